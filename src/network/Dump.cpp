// Dump: the network as text, so that a whole build can be read, compared
// with another build, or kept as the expected result of a test.

#include "network/Dump.h"

#include "model/RealText.h"

namespace {

void Handles(std::string& Text, const char* Label, const THandleArray& Links) {
    Text += "  ";
    Text += Label;
    for (const THandle h : Links) {
        Text += ' ';
        Text += std::to_string(h);
    }
    Text += '\n';
}

// Members in the set's own order: the key, and ":value" when the value is not
// 0; arcs always show head and weight.
void Set(std::string& Text, const char* Label, const TMultitude* S, bool Arcs = false) {
    Text += "  ";
    Text += Label;
    if (!S) {
        Text += " -\n";
        return;
    }
    Text += " {";
    bool First = true;
    for (const TMultitudeElement& m : *S) {
        if (!First)
            Text += ' ';
        First = false;
        Text += std::to_string(m.Key);
        if (Arcs) {
            Text += '>' + std::to_string(m.Value) + '@' + FormatReal(m.Weight);
        } else if (m.Value != 0) {
            Text += ':' + std::to_string(m.Value);
        }
    }
    Text += "}\n";
}

} // namespace

std::string DumpStore(const TMemoryLinkObject& Store) {
    std::string Text;
    for (std::uint32_t p = 0; p < Store.Count(); ++p) {
        const TLinkNode& N = Store.Node(p);
        Text += '[' + std::to_string(p) + "] handle " + std::to_string(N.Handle) + " type " +
                std::to_string(N.TypeID);
        if (N.RootFlag)
            Text += " root";
        if (N.DeleteMark)
            Text += " marked";
        Text += '\n';
        Handles(Text, "out", N.OutLinks);
        Handles(Text, "in", N.InLinks);
        if (!N.Data)
            continue;
        const TLinkData& D = *N.Data;
        Set(Text, "Mul1", D.Mul1.get());
        Set(Text, "Mul2", D.Mul2.get());
        Set(Text, "Mul3", D.Mul3.get());
        Set(Text, "Mul4", D.Mul4.get());
        Set(Text, "FictIn", D.FictIn.get());
        Set(Text, "FictOut", D.FictOut.get());
        Set(Text, "CritOut", D.CritOut.get());
        Set(Text, "Arcs", D.Arcs.get(), true);
        Text += "  TopN " + std::to_string(D.TopN) + " Y " + std::to_string(D.Y) + " Number " +
                std::to_string(D.Number) + " Duration " + FormatReal(D.Duration) + '\n';
    }
    return Text;
}
