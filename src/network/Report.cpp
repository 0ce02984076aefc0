// Report: the network in a form that other programs and tests can read
// without a window. Events come in the order of their numbers, real arcs in
// work order, fictive arcs by their events' numbers.

#include "network/Report.h"

#include "model/Calendar.h"
#include "model/Levelling.h"
#include "model/RealText.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"
#include "network/DetailedLabels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// 15 significant digits, and always recognisable as a real: 1 -> 1.0.
std::string Real(TReal Value) {
    std::string Text = FormatReal(Value);
    if (Text.find_first_of(".eE") == std::string::npos &&
        Text.find_first_of("0123456789") != std::string::npos)
        Text += ".0";
    return Text;
}

std::string Quoted(const std::string& Text) {
    std::string Out = "\"";
    for (const char c : Text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            Out += "\\\"";
            break;
        case '\\':
            Out += "\\\\";
            break;
        case '\n':
            Out += "\\n";
            break;
        case '\r':
            Out += "\\r";
            break;
        case '\t':
            Out += "\\t";
            break;
        case '\b':
            Out += "\\b";
            break;
        case '\f':
            Out += "\\f";
            break;
        default:
            if (u < 0x20) {
                char Escape[8];
                std::snprintf(Escape, sizeof Escape, "\\u%04x", u);
                Out += Escape;
            } else {
                Out += c;
            }
        }
    }
    return Out + '"';
}

const char* Bool(bool Value) {
    return Value ? "true" : "false";
}

std::string RowList(const std::vector<std::int32_t>& List) {
    std::string Text = "[";
    // Piece by piece, as the cells below: see there.
    for (std::size_t k = 0; k < List.size(); ++k) {
        if (k)
            Text += ", ";
        Text += std::to_string(List[k]);
    }
    return Text + ']';
}

std::string TimeOfDay(int Minute) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "\"%02d:%02d\"", Minute / 60, Minute % 60);
    return Text;
}

std::string DateList(const std::vector<TCivilDate>& Dates) {
    std::string Text = "[";
    for (std::size_t k = 0; k < Dates.size(); ++k) {
        if (k)
            Text += ", ";
        Text += Quoted(Dates[k].Iso());
    }
    return Text + ']';
}

// The four keys every calendar has, then the start time, the working hours
// and the length of a day where they are not the standard ones.
std::string CalendarJson(const std::optional<TCalendar>& Calendar) {
    if (!Calendar)
        return "null";
    const TCalendar& c = *Calendar;
    std::string J = "{\"start\": " + Quoted(c.Start.Iso()) + ", \"weekdays\": [";
    for (int Day = 1, Listed = 0; Day <= 7; ++Day)
        if (c.WeekdayWorks(Day)) {
            J += Listed++ ? ", " : "";
            J += std::to_string(Day);
        }
    J += "], \"holidays\": " + DateList(c.Holidays) + ", \"workdays\": " + DateList(c.Workdays);
    const TCalendar Standard;
    if (c.StartTime)
        J += ", \"start_time\": " + TimeOfDay(*c.StartTime);
    if (c.Periods != Standard.Periods) {
        J += ", \"periods\": [";
        for (std::size_t k = 0; k < c.Periods.size(); ++k) {
            J += k ? ", [" : "[";
            J += TimeOfDay(c.Periods[k].Start) + ", " + TimeOfDay(c.Periods[k].End) + ']';
        }
        J += ']';
    }
    if (c.MinutesPerDay != Standard.MinutesPerDay)
        J += ", \"minutes_per_day\": " + std::to_string(c.MinutesPerDay);
    return J + '}';
}

std::string MomentJson(const std::optional<TMoment>& Moment) {
    return Moment ? Quoted(Moment->Iso()) : std::string("null");
}

std::string ResourcesJson(const std::vector<TResource>& Resources) {
    std::string J = "[";
    for (std::size_t k = 0; k < Resources.size(); ++k) {
        J += k ? ", " : "";
        J += "{\"name\": " + Quoted(Resources[k].Name) +
             ", \"unit\": " + Quoted(Resources[k].Unit) +
             ", \"availability\": " + Real(Resources[k].Availability) + '}';
    }
    return J + ']';
}

// A work's demands (units of each resource in the resources' order) and its
// place in the levelled schedule.
std::string LevelledWorkJson(const TWorkList& List, int i, const TLevelledSchedule& Levelled) {
    const auto At = static_cast<std::size_t>(i);
    std::string J = ", \"demands\": [";
    for (std::size_t k = 0; k < List.Resources().size(); ++k) {
        J += k ? ", " : "";
        J += Real(List.GetWork(i).Demands.Of(k));
    }
    return J + "], \"leveled_start\": " + Real(Levelled.Start[At]) +
           ", \"leveled_finish\": " + Real(Levelled.Finish[At]);
}

// A day number as a date of the calendar's clock; null without one.
std::string DateJson(const std::optional<TCalendarClock>& Clock, TReal Day,
                     std::optional<TMoment> (TCalendarClock::*Map)(TReal) const) {
    return MomentJson(Clock ? (*Clock.*Map)(Day) : std::nullopt);
}

// One work of the report: its name, duration and schedule, with dates.
std::string WorkJson(const TWorkList& List, int i, const TSchedule& Schedule,
                     const std::optional<TCalendarClock>& Clock, const TLevelledSchedule* Levelled) {
    const TWorkData& W = List.GetWork(i);
    std::string J = "{\"name\": " + Quoted(W.Name) + ", \"duration\": " + Real(W.Duration);
    const TWorkTimes* t = Schedule.Valid ? &Schedule.Works[static_cast<std::size_t>(i)] : nullptr;
    const auto Time = [t](TReal TWorkTimes::*Field) {
        return t ? Real(t->*Field) : std::string("null");
    };
    J += ", \"early_start\": " + Time(&TWorkTimes::EarlyStart) +
         ", \"early_finish\": " + Time(&TWorkTimes::EarlyFinish) +
         ", \"late_start\": " + Time(&TWorkTimes::LateStart) +
         ", \"late_finish\": " + Time(&TWorkTimes::LateFinish) +
         ", \"total_float\": " + Time(&TWorkTimes::TotalFloat) +
         ", \"free_float\": " + Time(&TWorkTimes::FreeFloat) +
         ", \"critical\": " + (t ? Bool(t->Critical) : "null");
    const auto When = [&](TReal TWorkTimes::*Field, auto Map) {
        return t ? DateJson(Clock, t->*Field, Map) : std::string("null");
    };
    J += ", \"early_start_date\": " + When(&TWorkTimes::EarlyStart, &TCalendarClock::StartOf);
    J += ", \"early_finish_date\": " + When(&TWorkTimes::EarlyFinish, &TCalendarClock::FinishOf);
    J += ", \"late_start_date\": " + When(&TWorkTimes::LateStart, &TCalendarClock::StartOf);
    J += ", \"late_finish_date\": " + When(&TWorkTimes::LateFinish, &TCalendarClock::FinishOf);
    if (Levelled)
        J += LevelledWorkJson(List, i, *Levelled);
    return J + '}';
}

} // namespace

std::string ReportJson(TWorkList& List, int PathSign, const TDetailedSizes* Detailed, bool Layout,
                       const TLevelledSchedule* Levelled) {
    std::string Text;
    WriteReport([&Text](std::string_view Part) { Text += Part; }, List, PathSign, Detailed, Layout,
                Levelled);
    return Text;
}

void WriteReport(const TReportSink& Put, TWorkList& List, int PathSign,
                 const TDetailedSizes* Detailed, bool Layout, const TLevelledSchedule* Levelled) {
    if (Levelled &&
        (!Levelled->Valid() || Levelled->Start.size() != static_cast<std::size_t>(List.Count())))
        Levelled = nullptr;
    TCircuitEngine Engine(List);
    Engine.PathSign = PathSign;
    Engine.KeepSets = false;
    Engine.GetCircuit();
    if (Layout || Detailed)
        Engine.Analyse();
    else
        Engine.AnalyseWithoutLayout();
    // The text needs the result alone.
    Engine.ReleaseStore();
    const TNetworkView& View = Engine.Result();
    const TSchedule& Schedule = View.Schedule;
    // The plain view's rows, or the detailed view's, made before any text
    // goes out, so that a fault in them leaves none behind.
    TDetailedRows Rows;
    std::string Size;
    if (View.HasNetwork) {
        if (Detailed) {
            TDetailedPicture Picture = LayOutDetailed(View, *Detailed);
            Rows = std::move(Picture.Rows);
            // Points of the PDF: the picture has whole pixels, 96 to the inch.
            Size = ", \"width\": " + Real(std::ceil(Picture.Geometry.Width) * 0.75) +
                   ", \"height\": " + Real(std::ceil(Picture.Geometry.Height) * 0.75);
        } else {
            Rows = PlainRows(View);
        }
    }
    // The text goes out a part at a time: the cells of 10,000 works are
    // hundreds of megabytes of it.
    std::string J;
    const auto PutPart = [&Put, &J] {
        if (J.size() >= (std::size_t{1} << 20)) {
            Put(J);
            J.clear();
        }
    };

    // Dates only with a calendar; every date key is null without one.
    std::optional<TCalendarClock> Clock;
    if (List.Calendar())
        Clock.emplace(*List.Calendar());
    const auto Date = [&Clock](TReal Day,
                               std::optional<TMoment> (TCalendarClock::*Map)(TReal) const) {
        return DateJson(Clock, Day, Map);
    };

    J = "{\"mode\": \"";
    J += PathSign > 0 ? "shortest" : "critical";
    J += "\", \"calendar\": " + CalendarJson(List.Calendar());
    if (Levelled)
        J += ", \"resources\": " + ResourcesJson(List.Resources());
    J += ", \"works\": [";
    for (int i = 0; i < List.Count(); ++i) {
        J += i ? ", " : "";
        J += WorkJson(List, i, Schedule, Clock, Levelled);
        PutPart();
    }
    J += "], \"cells\": [";
    for (int i = 0; i < List.Count(); ++i) {
        J += i ? ", [" : "[";
        const TABs& Cells = List.GetWork(i).Links;
        // Appended piece by piece: GCC 12 sees "literal + temporary string"
        // inlined into the caller under link-time optimisation as a copy of
        // impossible length (-Wstringop-overflow).
        for (std::size_t j = 0; j < Cells.size(); ++j) {
            if (j)
                J += ", ";
            J += std::to_string(Cells[j]);
        }
        J += ']';
        PutPart();
    }
    J += "], \"contour\": ";
    J += Bool(List.HasContour);

    std::string Events;
    std::string Arcs;
    if (View.HasNetwork) {
        const auto RowOf = [&View, &Rows](const TViewEvent* e) {
            return Rows.EventRow[static_cast<std::size_t>(e - View.Events.data())];
        };
        const auto LevelOf = [&View, &Rows](const TViewEvent* e) {
            return Rows.EventColumn[static_cast<std::size_t>(e - View.Events.data())];
        };
        const auto RowsOf = [&View, &Rows](const TViewArc* a) -> const std::vector<std::int32_t>& {
            return Rows.ArcRows[static_cast<std::size_t>(a - View.Arcs.data())];
        };
        std::vector<const TViewEvent*> Ordered;
        for (const TViewEvent& e : View.Events)
            Ordered.push_back(&e);
        std::stable_sort(
            Ordered.begin(), Ordered.end(),
            [](const TViewEvent* a, const TViewEvent* b) { return a->Number < b->Number; });
        for (const TViewEvent* e : Ordered) {
            Events += Events.empty() ? "" : ", ";
            Events += "{\"number\": " + std::to_string(e->Number) +
                      ", \"level\": " + std::to_string(LevelOf(e)) +
                      (View.HasLayout ? ", \"row\": " + std::to_string(RowOf(e)) : std::string()) +
                      ", \"time\": " + (std::isinf(e->Time) ? std::string("null") : Real(e->Time)) +
                      ", \"on_path\": " + Bool(e->OnPath) + ", \"early\": " + Real(e->Early) +
                      ", \"late\": " + Real(e->Late) + ", \"slack\": " + Real(e->Slack) +
                      ", \"early_date\": " + Date(e->Early, &TCalendarClock::EventAt) +
                      ", \"late_date\": " + Date(e->Late, &TCalendarClock::EventAt) + '}';
        }
        const auto Number = [&View](std::int32_t i) {
            return std::to_string(View.Events[static_cast<std::size_t>(i)].Number);
        };
        // Real arcs in work order, then the fictive ones as the result has them.
        std::vector<const TViewArc*> Real(static_cast<std::size_t>(List.Count()), nullptr);
        for (std::size_t a = 0; a < View.RealArcCount; ++a)
            if (View.Arcs[a].Work >= 0 && View.Arcs[a].Work < List.Count())
                Real[static_cast<std::size_t>(View.Arcs[a].Work)] = &View.Arcs[a];
        for (const TViewArc* a : Real)
            if (a)
                Arcs +=
                    (Arcs.empty() ? "" : ", ") + std::string("{\"from\": ") + Number(a->From) +
                    ", \"to\": " + Number(a->To) + ", \"work\": " + std::to_string(a->Work) +
                    ", \"duration\": " + ::Real(a->Duration) + ", \"on_path\": " + Bool(a->OnPath) +
                    (View.HasLayout ? ", \"rows\": " + RowList(RowsOf(a)) : std::string()) + '}';
        for (std::size_t a = View.RealArcCount; a < View.Arcs.size(); ++a) {
            const TViewArc& f = View.Arcs[a];
            const std::vector<std::int32_t>& FictiveRows = RowsOf(&f);
            Arcs += std::string(Arcs.empty() ? "" : ", ") + "{\"from\": " + Number(f.From) +
                    ", \"to\": " + Number(f.To) +
                    ", \"work\": null, \"duration\": null, \"on_path\": " + Bool(f.OnPath) +
                    (View.HasLayout ? ", \"rows\": " + RowList(FictiveRows) : std::string()) + '}';
        }
    }
    const std::string PathLength = View.PathFound ? Real(View.PathLength) : std::string("null");
    J += ", \"events\": [" + Events + "], \"arcs\": [" + Arcs +
         "], \"path_length\": " + PathLength + ", \"project_duration\": " +
         (Schedule.Valid ? Real(Schedule.ProjectDuration) : std::string("null")) +
         ", \"project_finish_date\": " +
         (Schedule.Valid ? Date(Schedule.ProjectDuration, &TCalendarClock::FinishOf)
                         : std::string("null")) +
         Size;
    if (Levelled)
        J += ", \"leveled_duration\": " + Real(Levelled->Duration);
    J += '}';
    Put(J);
}
