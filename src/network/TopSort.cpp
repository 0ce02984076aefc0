// Levels: every event gets the column it is drawn in (TopN), so that every arc
// leads from a lower level to a higher one, and the level index is built: a
// root whose level objects list the members of each level. Everything after
// this walks the network level by level through that index.

#include "network/CircuitEngine.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

void TCircuitEngine::TopSort() {
    const THandle All = GethALL(TypeAllRoot);
    std::int32_t Level = 1;
    std::int32_t CheckCount = 0;
    for (;;) {
        const auto Layer = SelectLayer(All, Level);
        CheckCount += Layer->Count();
        ++Level;
        RemoveLayer(All, *Layer);
        if (Layer->Empty())
            break;
    }
    if (static_cast<std::size_t>(CheckCount) != Out(All).size())
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
    const std::size_t n = Out(All).size();
    for (std::size_t i = 0; i < n; ++i) {
        const THandle v = Out(All)[i];
        const std::int32_t t = Data(v).TopN;
        THandle Level = 0;
        if (!FindLevel(Levels, t, Level)) {
            TLinkNode L;
            L.TypeID = TypeLevel;
            L.Data = std::make_unique<TLinkData>();
            L.Data->TopN = t;
            Level = Circuit->AddObject(std::move(L));
            Circuit->AddReference(Levels, Level);
        }
        // A member already listed stays where it is, so a second run only
        // appends what is new.
        Circuit->AddReference(Level, v);
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
