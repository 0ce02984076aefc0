// The JSON report of an analysed scheme, in both modes, and without a network.

#include "NetworkTestSupport.h"

#include "model/Calendar.h"
#include "network/Report.h"

#include <gtest/gtest.h>

using namespace NetworkTest;

namespace {

// K after A and B, L after B only; A takes 1, B 2.5, K 3, L 4.
std::unique_ptr<TWorkList> FourWorks() {
    auto List = MakeList({{1, 2.5, 3, 4}, {{}, {}, {0, 1}, {1}}});
    List->GetWork(0).Name = "Ёж \"1\"";
    List->GetWork(1).Name = "a\\b\tc";
    return List;
}

const std::string Works =
    R"({"name": "Ёж \"1\"", "duration": 1.0)"
    R"(, "early_start": 0.0, "early_finish": 1.0, "late_start": 2.5, "late_finish": 3.5, "total_float": 2.5, "free_float": 1.5, "critical": false, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}, )"
    R"({"name": "a\\b\tc", "duration": 2.5)"
    R"(, "early_start": 0.0, "early_finish": 2.5, "late_start": 0.0, "late_finish": 2.5, "total_float": 0.0, "free_float": 0.0, "critical": true, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}, )"
    R"({"name": "W2", "duration": 3.0)"
    R"(, "early_start": 2.5, "early_finish": 5.5, "late_start": 3.5, "late_finish": 6.5, "total_float": 1.0, "free_float": 1.0, "critical": false, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}, )"
    R"({"name": "W3", "duration": 4.0)"
    R"(, "early_start": 2.5, "early_finish": 6.5, "late_start": 2.5, "late_finish": 6.5, "total_float": 0.0, "free_float": 0.0, "critical": true, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null})";
const std::string Cells = R"([[-1, 0, -1, 0], [0, -1, -1, -1], [1, 1, -1, 0], [0, 1, 0, -1]])";

} // namespace

TEST(ReportJson, CriticalModeFollowsTheLongestRoute) {
    auto List = FourWorks();
    EXPECT_EQ(
        ReportJson(*List, -1),
        R"({"mode": "critical", "calendar": null, "works": [)" + Works + R"(], "cells": )" + Cells +
            R"(, "contour": false, "events": [)"
            R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true, "early": 0.0, "late": 0.0, "slack": 0.0, "early_date": null, "late_date": null}, )"
            R"({"number": 2, "level": 2, "row": 1, "time": 2.5, "on_path": true, "early": 2.5, "late": 2.5, "slack": 0.0, "early_date": null, "late_date": null}, )"
            R"({"number": 3, "level": 3, "row": 0, "time": 2.5, "on_path": false, "early": 2.5, "late": 3.5, "slack": 1.0, "early_date": null, "late_date": null}, )"
            R"({"number": 4, "level": 4, "row": 0, "time": 6.5, "on_path": true, "early": 6.5, "late": 6.5, "slack": 0.0, "early_date": null, "late_date": null}], )"
            R"("arcs": [)"
            R"({"from": 1, "to": 3, "work": 0, "duration": 1.0, "on_path": false, "rows": [0, 0, 0]}, )"
            R"({"from": 1, "to": 2, "work": 1, "duration": 2.5, "on_path": true, "rows": [0, 1]}, )"
            R"({"from": 3, "to": 4, "work": 2, "duration": 3.0, "on_path": false, "rows": [0, 0]}, )"
            R"({"from": 2, "to": 4, "work": 3, "duration": 4.0, "on_path": true, "rows": [1, 1, 0]}, )"
            R"({"from": 2, "to": 3, "work": null, "duration": null, "on_path": false, "rows": [1, 0]}], )"
            R"("path_length": 6.5, "project_duration": 6.5, "project_finish_date": null})");
}

TEST(ReportJson, ShortestModeFollowsTheShortestRoute) {
    auto List = FourWorks();
    EXPECT_EQ(
        ReportJson(*List, +1),
        R"({"mode": "shortest", "calendar": null, "works": [)" + Works + R"(], "cells": )" + Cells +
            R"(, "contour": false, "events": [)"
            R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true, "early": 0.0, "late": 0.0, "slack": 0.0, "early_date": null, "late_date": null}, )"
            R"({"number": 2, "level": 2, "row": 1, "time": 2.5, "on_path": false, "early": 2.5, "late": 2.5, "slack": 0.0, "early_date": null, "late_date": null}, )"
            R"({"number": 3, "level": 3, "row": 0, "time": 1.0, "on_path": true, "early": 2.5, "late": 3.5, "slack": 1.0, "early_date": null, "late_date": null}, )"
            R"({"number": 4, "level": 4, "row": 0, "time": 4.0, "on_path": true, "early": 6.5, "late": 6.5, "slack": 0.0, "early_date": null, "late_date": null}], )"
            R"("arcs": [)"
            R"({"from": 1, "to": 3, "work": 0, "duration": 1.0, "on_path": true, "rows": [0, 0, 0]}, )"
            R"({"from": 1, "to": 2, "work": 1, "duration": 2.5, "on_path": false, "rows": [0, 1]}, )"
            R"({"from": 3, "to": 4, "work": 2, "duration": 3.0, "on_path": true, "rows": [0, 0]}, )"
            R"({"from": 2, "to": 4, "work": 3, "duration": 4.0, "on_path": false, "rows": [1, 1, 0]}, )"
            R"({"from": 2, "to": 3, "work": null, "duration": null, "on_path": false, "rows": [1, 0]}], )"
            R"("path_length": 4.0, "project_duration": 6.5, "project_finish_date": null})");
}

// Only the longest of the works between two events lies on the path, in
// either mode: the others have float.
TEST(ReportJson, OfParallelWorksOnlyTheLongestIsOnThePath) {
    auto List = MakeList({{2, 6}, {}});
    EXPECT_EQ(
        ReportJson(*List, +1),
        R"({"mode": "shortest", "calendar": null, "works": [{"name": "W0", "duration": 2.0)"
        R"(, "early_start": 0.0, "early_finish": 2.0, "late_start": 4.0, "late_finish": 6.0, "total_float": 4.0, "free_float": 4.0, "critical": false, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}, )"
        R"({"name": "W1", "duration": 6.0)"
        R"(, "early_start": 0.0, "early_finish": 6.0, "late_start": 0.0, "late_finish": 6.0, "total_float": 0.0, "free_float": 0.0, "critical": true, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}], )"
        R"("cells": [[-1, 0], [0, -1]], "contour": false, "events": [)"
        R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true, )"
        R"("early": 0.0, "late": 0.0, "slack": 0.0, "early_date": null, "late_date": null}, )"
        R"({"number": 2, "level": 2, "row": 0, "time": 6.0, "on_path": true, )"
        R"("early": 6.0, "late": 6.0, "slack": 0.0, "early_date": null, "late_date": null}], )"
        R"("arcs": [{"from": 1, "to": 2, "work": 0, "duration": 2.0, "on_path": false, "rows": [0, 0]}, )"
        R"({"from": 1, "to": 2, "work": 1, "duration": 6.0, "on_path": true, "rows": [0, 0]}], )"
        R"("path_length": 6.0, "project_duration": 6.0, "project_finish_date": null})");
}

TEST(ReportJson, OneWorkHasNoNetwork) {
    auto List = MakeList({{1e20L}, {}});
    EXPECT_EQ(
        ReportJson(*List, -1),
        R"({"mode": "critical", "calendar": null, "works": [{"name": "W0", "duration": 1e+20)"
        R"(, "early_start": 0.0, "early_finish": 1e+20, "late_start": 0.0, "late_finish": 1e+20, "total_float": 0.0, "free_float": 0.0, "critical": true, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}], )"
        R"("cells": [[-1]], "contour": false, "events": [], "arcs": [], )"
        R"("path_length": null, "project_duration": 1e+20, "project_finish_date": null})");
    auto Empty = std::make_unique<TWorkList>();
    EXPECT_EQ(
        ReportJson(*Empty, +1),
        R"({"mode": "shortest", "calendar": null, "works": [], "cells": [], "contour": false, )"
        R"("events": [], "arcs": [], "path_length": null, "project_duration": null, "project_finish_date": null})");
}

TEST(ReportJson, AContourHasNoNetwork) {
    auto List = MakeList({{1, 2}, {}});
    List->GetWork(0).Links[1] = LinkDirect;
    List->GetWork(1).Links[0] = LinkDirect;
    List->Changed(0, ckScheme);
    EXPECT_EQ(
        ReportJson(*List, -1),
        R"({"mode": "critical", "calendar": null, "works": [{"name": "W0", "duration": 1.0)"
        R"(, "early_start": null, "early_finish": null, "late_start": null, "late_finish": null, "total_float": null, "free_float": null, "critical": null, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}, )"
        R"({"name": "W1", "duration": 2.0)"
        R"(, "early_start": null, "early_finish": null, "late_start": null, "late_finish": null, "total_float": null, "free_float": null, "critical": null, "early_start_date": null, "early_finish_date": null, "late_start_date": null, "late_finish_date": null}], )"
        R"("cells": [[-1, 1], [1, -1]], "contour": true, "events": [], "arcs": [], )"
        R"("path_length": null, "project_duration": null, "project_finish_date": null})");
}

// The four-work example from Monday 2027-03-01 with the holiday of
// 08.03.2027: dates worked out by hand on the standard day (08:00-12:00,
// 13:00-17:00), finishes on a day's edge at its end, starts at the next
// period's beginning, events when the works into them finish.
TEST(ReportJson, WithACalendarEveryTimeHasItsDate) {
    auto List = FourWorks();
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    Calendar.Holidays = {TCivilDate::FromYmd(2027, 3, 8)};
    ASSERT_TRUE(List->SetCalendar(Calendar));
    const std::string J = ReportJson(*List, -1);
    const auto Has = [&J](const std::string& Part) {
        EXPECT_NE(J.find(Part), std::string::npos) << Part << "\nin " << J;
    };
    Has(R"({"mode": "critical", "calendar": {"start": "2027-03-01", "weekdays": [1, 2, 3, 4, 5], )"
        R"("holidays": ["2027-03-08"], "workdays": []}, "works": [)");
    const auto Dates = [](const char* Es, const char* Ef, const char* Ls, const char* Lf) {
        return std::string(R"("early_start_date": "2027-03-)") + Es +
               R"(", "early_finish_date": "2027-03-)" + Ef + R"(", "late_start_date": "2027-03-)" +
               Ls + R"(", "late_finish_date": "2027-03-)" + Lf + R"("})";
    };
    Has(Dates("01T08:00", "01T17:00", "03T13:00", "04T12:00")); // A: 0, 1, 2.5, 3.5
    Has(Dates("01T08:00", "03T12:00", "01T08:00", "03T12:00")); // B: 0, 2.5, 0, 2.5
    Has(Dates("03T13:00", "09T12:00", "04T13:00", "10T12:00")); // K: 2.5, 5.5, 3.5, 6.5
    Has(Dates("03T13:00", "10T12:00", "03T13:00", "10T12:00")); // L: 2.5, 6.5, 2.5, 6.5
    Has(R"("slack": 0.0, "early_date": "2027-03-01T08:00", "late_date": "2027-03-01T08:00"})");
    Has(R"("slack": 1.0, "early_date": "2027-03-03T12:00", "late_date": "2027-03-04T12:00"})");
    Has(R"("project_duration": 6.5, "project_finish_date": "2027-03-10T12:00"})");

    // Hours, length of day and start time other than the standard ones are
    // told as well; a seven-day week reaches day 6.5 on Sunday.
    Calendar.StartTime = 9 * 60;
    Calendar.Periods = {{9 * 60, 18 * 60}};
    Calendar.MinutesPerDay = 540;
    Calendar.Weekdays = 0x7F;
    ASSERT_TRUE(List->SetCalendar(Calendar));
    const std::string Full = ReportJson(*List, -1);
    EXPECT_NE(Full.find(R"("calendar": {"start": "2027-03-01", "weekdays": [1, 2, 3, 4, 5, 6, 7], )"
                        R"("holidays": ["2027-03-08"], "workdays": [], "start_time": "09:00", )"
                        R"("periods": [["09:00", "18:00"]], "minutes_per_day": 540}, )"),
              std::string::npos)
        << Full;
    EXPECT_NE(Full.find(R"("project_finish_date": "2027-03-07T13:30"})"), std::string::npos)
        << Full;
}
