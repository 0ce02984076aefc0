// Report: the network in a form that other programs and tests can read
// without a window. Events come in the order of their numbers, real arcs in
// work order, fictive arcs by their events' numbers.

#include "network/Report.h"

#include "model/RealText.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
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

bool IsEvent(const TLinkNode& N) {
    return N.TypeID == TypePiA || N.TypeID == TypeW;
}

struct TFictiveArc {
    std::int32_t From;
    std::int32_t To;
    bool OnPath;
};

} // namespace

std::string ReportJson(TWorkList& List, int PathSign) {
    TCircuitEngine Engine(List);
    Engine.PathSign = PathSign;
    Engine.GetCircuit();
    Engine.Analyse();

    std::string J = "{\"mode\": \"";
    J += PathSign > 0 ? "shortest" : "critical";
    J += "\", \"works\": [";
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& W = List.GetWork(i);
        J += i ? ", " : "";
        J += "{\"name\": " + Quoted(W.Name) + ", \"duration\": " + Real(W.Duration) + '}';
    }
    J += "], \"cells\": [";
    for (int i = 0; i < List.Count(); ++i) {
        J += i ? ", [" : "[";
        const TABs& Cells = List.GetWork(i).Links;
        for (std::size_t j = 0; j < Cells.size(); ++j)
            J += (j ? ", " : "") + std::to_string(Cells[j]);
        J += ']';
    }
    J += "], \"contour\": ";
    J += Bool(List.HasContour);

    std::string Events;
    std::string Arcs;
    std::string PathLength = "null";
    if (Engine.Circuit && List.Count() >= 2 && !List.HasContour) {
        const TMemoryLinkObject& Store = *Engine.Circuit;
        std::vector<const TLinkNode*> Ordered;
        for (const THandle h : Store.Get(Engine.GethALL(TypeAllRoot)).OutLinks)
            if (IsEvent(Store.Get(h)))
                Ordered.push_back(&Store.Get(h));
        std::stable_sort(Ordered.begin(), Ordered.end(),
                         [](const TLinkNode* a, const TLinkNode* b) {
                             return a->Data->Number < b->Data->Number;
                         });
        const auto Number = [&Store](std::int32_t h) {
            return Store.Get(static_cast<THandle>(h)).Data->Number;
        };

        const TLinkNode* End = nullptr;
        std::vector<TFictiveArc> Fictive;
        std::vector<std::string> RealArcs(static_cast<std::size_t>(List.Count()));
        for (const TLinkNode* E : Ordered) {
            const TLinkData& D = *E->Data;
            Events += Events.empty() ? "" : ", ";
            Events += "{\"number\": " + std::to_string(D.Number) +
                      ", \"level\": " + std::to_string(D.TopN) +
                      ", \"row\": " + std::to_string(D.Y) + ", \"time\": " +
                      (std::isinf(D.Duration) ? std::string("null") : Real(std::fabs(D.Duration))) +
                      ", \"on_path\": " + Bool(!D.CritOut->Empty() || E->OutLinks.empty()) + '}';
            if (!End || D.TopN > End->Data->TopN)
                End = E;
            for (const TMultitudeElement& Arc : *D.Arcs)
                if (Arc.Key >= 0 && Arc.Key < List.Count())
                    RealArcs[static_cast<std::size_t>(Arc.Key)] =
                        "{\"from\": " + std::to_string(D.Number) +
                        ", \"to\": " + std::to_string(Number(Arc.Value)) +
                        ", \"work\": " + std::to_string(Arc.Key) +
                        ", \"duration\": " + Real(Arc.Weight) +
                        ", \"on_path\": " + Bool(D.CritOut->HasKey(Arc.Value)) + '}';
            for (const TMultitudeElement& f : *D.FictOut)
                Fictive.push_back({D.Number, Number(f.Key), D.CritOut->HasKey(f.Key)});
        }
        std::sort(Fictive.begin(), Fictive.end(), [](const TFictiveArc& a, const TFictiveArc& b) {
            return std::tie(a.From, a.To) < std::tie(b.From, b.To);
        });
        for (const std::string& Arc : RealArcs)
            if (!Arc.empty())
                Arcs += (Arcs.empty() ? "" : ", ") + Arc;
        for (const TFictiveArc& f : Fictive)
            Arcs += std::string(Arcs.empty() ? "" : ", ") + "{\"from\": " + std::to_string(f.From) +
                    ", \"to\": " + std::to_string(f.To) +
                    ", \"work\": null, \"duration\": null, \"on_path\": " + Bool(f.OnPath) + '}';
        // The end event is alone in the highest level.
        if (End && !std::isinf(End->Data->Duration))
            PathLength = Real(std::fabs(End->Data->Duration));
    }
    J += ", \"events\": [" + Events + "], \"arcs\": [" + Arcs +
         "], \"path_length\": " + PathLength + '}';
    return J;
}
