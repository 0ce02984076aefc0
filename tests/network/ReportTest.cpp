// The JSON report of an analysed scheme, in both modes, and without a network.

#include "NetworkTestSupport.h"

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
    R"({"name": "Ёж \"1\"", "duration": 1.0}, {"name": "a\\b\tc", "duration": 2.5}, )"
    R"({"name": "W2", "duration": 3.0}, {"name": "W3", "duration": 4.0})";
const std::string Cells = R"([[-1, 0, -1, 0], [0, -1, -1, -1], [1, 1, -1, 0], [0, 1, 0, -1]])";

} // namespace

TEST(ReportJson, CriticalModeFollowsTheLongestRoute) {
    auto List = FourWorks();
    EXPECT_EQ(ReportJson(*List, -1),
              R"({"mode": "critical", "works": [)" + Works + R"(], "cells": )" + Cells +
                  R"(, "contour": false, "events": [)"
                  R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true}, )"
                  R"({"number": 2, "level": 2, "row": 1, "time": 2.5, "on_path": true}, )"
                  R"({"number": 3, "level": 3, "row": 0, "time": 2.5, "on_path": false}, )"
                  R"({"number": 4, "level": 4, "row": 0, "time": 6.5, "on_path": true}], )"
                  R"("arcs": [)"
                  R"({"from": 1, "to": 3, "work": 0, "duration": 1.0, "on_path": false}, )"
                  R"({"from": 1, "to": 2, "work": 1, "duration": 2.5, "on_path": true}, )"
                  R"({"from": 3, "to": 4, "work": 2, "duration": 3.0, "on_path": false}, )"
                  R"({"from": 2, "to": 4, "work": 3, "duration": 4.0, "on_path": true}, )"
                  R"({"from": 2, "to": 3, "work": null, "duration": null, "on_path": false}], )"
                  R"("path_length": 6.5})");
}

TEST(ReportJson, ShortestModeFollowsTheShortestRoute) {
    auto List = FourWorks();
    EXPECT_EQ(ReportJson(*List, +1),
              R"({"mode": "shortest", "works": [)" + Works + R"(], "cells": )" + Cells +
                  R"(, "contour": false, "events": [)"
                  R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true}, )"
                  R"({"number": 2, "level": 2, "row": 1, "time": 2.5, "on_path": false}, )"
                  R"({"number": 3, "level": 3, "row": 0, "time": 1.0, "on_path": true}, )"
                  R"({"number": 4, "level": 4, "row": 0, "time": 4.0, "on_path": true}], )"
                  R"("arcs": [)"
                  R"({"from": 1, "to": 3, "work": 0, "duration": 1.0, "on_path": true}, )"
                  R"({"from": 1, "to": 2, "work": 1, "duration": 2.5, "on_path": false}, )"
                  R"({"from": 3, "to": 4, "work": 2, "duration": 3.0, "on_path": true}, )"
                  R"({"from": 2, "to": 4, "work": 3, "duration": 4.0, "on_path": false}, )"
                  R"({"from": 2, "to": 3, "work": null, "duration": null, "on_path": false}], )"
                  R"("path_length": 4.0})");
}

TEST(ReportJson, ParallelWorksShareTheirEventsAndTheMark) {
    auto List = MakeList({{2, 6}, {}});
    EXPECT_EQ(ReportJson(*List, +1),
              R"({"mode": "shortest", "works": [{"name": "W0", "duration": 2.0}, )"
              R"({"name": "W1", "duration": 6.0}], "cells": [[-1, 0], [0, -1]], )"
              R"("contour": false, "events": [)"
              R"({"number": 1, "level": 1, "row": 0, "time": 0.0, "on_path": true}, )"
              R"({"number": 2, "level": 2, "row": 0, "time": 6.0, "on_path": true}], )"
              R"("arcs": [{"from": 1, "to": 2, "work": 0, "duration": 2.0, "on_path": true}, )"
              R"({"from": 1, "to": 2, "work": 1, "duration": 6.0, "on_path": true}], )"
              R"("path_length": 6.0})");
}

TEST(ReportJson, OneWorkHasNoNetwork) {
    auto List = MakeList({{1e20L}, {}});
    EXPECT_EQ(ReportJson(*List, -1),
              R"({"mode": "critical", "works": [{"name": "W0", "duration": 1e+20}], )"
              R"("cells": [[-1]], "contour": false, "events": [], "arcs": [], )"
              R"("path_length": null})");
    auto Empty = std::make_unique<TWorkList>();
    EXPECT_EQ(ReportJson(*Empty, +1),
              R"({"mode": "shortest", "works": [], "cells": [], "contour": false, )"
              R"("events": [], "arcs": [], "path_length": null})");
}

TEST(ReportJson, AContourHasNoNetwork) {
    auto List = MakeList({{1, 2}, {}});
    List->GetWork(0).Links[1] = LinkDirect;
    List->GetWork(1).Links[0] = LinkDirect;
    List->Changed(0, ckScheme);
    EXPECT_EQ(ReportJson(*List, -1),
              R"({"mode": "critical", "works": [{"name": "W0", "duration": 1.0}, )"
              R"({"name": "W1", "duration": 2.0}], "cells": [[-1, 1], [1, -1]], )"
              R"("contour": true, "events": [], "arcs": [], "path_length": null})");
}
