// Levels: every event gets the column it is drawn in (TopN), so that every arc
// leads from a lower level to a higher one, and the level index is built: a
// root whose level objects list the members of each level. Everything after
// this walks the network level by level through that index.

#include "network/CircuitEngine.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "core/SetEdits.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

using namespace SetEdits;

// The layers are those of SelectLayer and RemoveLayer, scan after scan: a
// layer is every unnumbered event whose pending set is empty once the earlier
// layers are taken out of every pending set. Instead of rescanning, each event
// counts its pending members that belong to hAll (only those are ever taken
// out), and an event joins the next layer when the last of them is numbered.
// The pending sets lose the numbered events at the end, as the scans leave
// them.
void TCircuitEngine::TopSort() {
    const THandle All = GethALL(TypeAllRoot);
    const THandleArray& Members = Out(All);
    const std::size_t n = Members.size();
    const std::vector<std::int32_t> Index = IndexOfHandles(Members);
    std::vector<std::uint32_t> Pending(n, 0);
    std::vector<std::vector<std::uint32_t>> Waiting(n);
    for (std::size_t i = 0; i < n; ++i)
        for (const TMultitudeElement& m : *Data(Members[i]).Mul4) {
            const auto h = static_cast<THandle>(m.Key);
            if (h < Index.size() && Index[h] >= 0) {
                ++Pending[i];
                Waiting[static_cast<std::size_t>(Index[h])].push_back(static_cast<std::uint32_t>(i));
            }
        }
    // Members of a pending set outside hAll are never taken out: such an
    // event is never numbered.
    std::vector<bool> Blocked(n);
    for (std::size_t i = 0; i < n; ++i)
        Blocked[i] = Data(Members[i]).Mul4->Count() != static_cast<int>(Pending[i]);
    std::vector<std::uint32_t> Layer;
    for (std::size_t i = 0; i < n; ++i)
        if (Pending[i] == 0 && !Blocked[i] && Data(Members[i]).TopN == 0)
            Layer.push_back(static_cast<std::uint32_t>(i));
    std::vector<std::int32_t> Numbered;
    std::int32_t Level = 1;
    std::int32_t CheckCount = 0;
    std::vector<std::uint32_t> Next;
    while (!Layer.empty()) {
        for (const std::uint32_t i : Layer) {
            Data(Members[i]).TopN = Level;
            Numbered.push_back(Key(Members[i]));
        }
        CheckCount += static_cast<std::int32_t>(Layer.size());
        Next.clear();
        for (const std::uint32_t i : Layer)
            for (const std::uint32_t w : Waiting[i])
                if (--Pending[w] == 0 && !Blocked[w] && Data(Members[w]).TopN == 0)
                    Next.push_back(w);
        Layer.swap(Next);
        ++Level;
    }
    std::sort(Numbered.begin(), Numbered.end());
    for (const THandle v : Members)
        Data(v).Mul4->DeleteKeys(Numbered);
    if (static_cast<std::size_t>(CheckCount) != n)
        RaiseFault(Msg::TopSortFailed);
    TLinkNode Root;
    Root.RootFlag = 1;
    Root.TypeID = TypeLevelsRoot;
    Circuit->AddObject(std::move(Root));
    BuildLevels();
}

// An event whose last pending predecessor is numbered during this scan waits
// for the next one: the pending sets shrink only after the whole scan.
std::unique_ptr<TMultitude> TCircuitEngine::SelectLayer(THandle All, std::int32_t Level) {
    auto Layer = std::make_unique<TMultitude>();
    for (const THandle v : Out(All)) {
        TLinkData& D = Data(v);
        if (D.Mul4->Empty() && D.TopN == 0) {
            Layer->AddKey(static_cast<std::int32_t>(v));
            D.TopN = Level;
        }
    }
    return Layer;
}

void TCircuitEngine::RemoveLayer(THandle All, const TMultitude& Layer) {
    if (Layer.Empty())
        return;
    for (const THandle v : Out(All))
        Data(v).Mul4->Subtract(Layer);
}

void TCircuitEngine::BuildLevels() {
    const THandle All = GethALL(TypeAllRoot);
    const THandle Levels = GethALL(TypeLevelsRoot);
    // The level object of each number, as FindLevel would find it: the first
    // one listed under hLevels.
    std::unordered_map<std::int32_t, THandle> LevelOf;
    for (const THandle L : Out(Levels))
        LevelOf.try_emplace(Data(L).TopN, L);
    const std::size_t n = Out(All).size();
    for (std::size_t i = 0; i < n; ++i) {
        const THandle v = Out(All)[i];
        const std::int32_t t = Data(v).TopN;
        auto [It, New] = LevelOf.try_emplace(t, 0);
        if (New) {
            TLinkNode L;
            L.TypeID = TypeLevel;
            L.Data = std::make_unique<TLinkData>();
            L.Data->TopN = t;
            It->second = Circuit->AddObject(std::move(L));
            Circuit->AddReference(Levels, It->second);
        }
        // A member already listed stays where it is, so a second run only
        // appends what is new. Links are kept on both sides, so a member of
        // the level has the level among its in-links, a short list to search.
        const THandle Level = It->second;
        const THandleArray& In = Node(v).InLinks;
        if (std::find(In.begin(), In.end(), Level) == In.end())
            Circuit->AddNewReference(Level, v);
    }
}

bool TCircuitEngine::FindLevel(std::int32_t Level, THandle& Found) const {
    return FindLevel(GethALL(TypeLevelsRoot), Level, Found);
}

// Level objects stand in order of first appearance, not of number.
bool TCircuitEngine::FindLevel(THandle Levels, std::int32_t Level, THandle& Found) const {
    for (const THandle L : Out(Levels))
        if (Data(L).TopN == Level) {
            Found = L;
            return true;
        }
    return false;
}
