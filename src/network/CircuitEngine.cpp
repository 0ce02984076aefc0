// The engine's common ground: the lookups every phase uses, the roots, and the
// sequence that analyses a freshly built network for the diagram.

#include "network/CircuitEngine.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"

#include <algorithm>

TCircuitEngine::TCircuitEngine(std::shared_ptr<const TSchemeSnapshot> AScheme) : Scheme(std::move(AScheme)) {}

TCircuitEngine::~TCircuitEngine() = default;

const TGraph& TCircuitEngine::WorkGraph() const {
    return WorkList ? WorkList->Graph : *Scheme->Graph;
}

const TBitRows* TCircuitEngine::WorkClosure() const {
    if (WorkList)
        return WorkList->Closure();
    return Scheme->Closure ? &*Scheme->Closure : nullptr;
}

TReal TCircuitEngine::WorkDuration(std::int32_t Work) const {
    if (WorkList)
        return WorkList->GetWork(Work).Duration;
    if (Work < 0 || Work >= Scheme->Count())
        RaiseFault(Msg::NodeNotFound);
    return Scheme->Durations[static_cast<std::size_t>(Work)];
}

void TCircuitEngine::ReleaseStore() {
    Circuit.reset();
    Stamps = {};
    // A view made before keeps the sets it shows.
    Works = std::make_shared<TEventWorks>();
}

void TCircuitEngine::FreeCircuit() {
    Circuit.reset();
    // A view made before keeps the sets it shows.
    Works = std::make_shared<TEventWorks>();
    View = TNetworkView{};
    hAll = hPiA = hW = 0;
}

void TCircuitEngine::Analyse() {
    // GetCircuit makes no network for fewer than two works or a contour.
    if (Circuit) {
        TopSort();
        FoundCriticalPath();
        SplitLongArcs();
        PlaceVertices();
    }
    MakeView();
}

void TCircuitEngine::AnalyseWithoutLayout() {
    if (Circuit) {
        Checkpoint();
        TopSort();
        Checkpoint();
        FoundCriticalPath();
        // Numbers follow the levels' lists, which the layout only adds chain
        // nodes to: Layout gives every event the same number again.
        NumberEvents();
    }
    Checkpoint();
    MakeView(false);
}

void TCircuitEngine::Layout() {
    if (Circuit) {
        Checkpoint();
        SplitLongArcs();
        Checkpoint();
        PlaceVertices();
    }
    Checkpoint();
    MakeView();
}

THandle TCircuitEngine::GethALL(std::int32_t TypeID) const {
    if (Circuit)
        for (std::uint32_t p = 0; p < Circuit->Count(); ++p)
            if (Circuit->Node(p).TypeID == TypeID)
                return Circuit->Node(p).Handle;
    RaiseFault(Msg::RootNotFound);
}

TLinkNode& TCircuitEngine::Node(THandle Handle) const {
    if (!Circuit)
        RaiseFault(Msg::NodeNotFound);
    return Circuit->Get(Handle);
}

TLinkData& TCircuitEngine::Data(THandle Handle) const {
    TLinkNode& N = Node(Handle);
    // Roots have no data block; asking one for its sets means the network's
    // links are broken.
    if (!N.Data)
        RaiseFault(Msg::NodeNotFound);
    return *N.Data;
}

std::uint32_t TCircuitEngine::Position(THandle Handle) const {
    const std::int32_t p = Circuit->FindNodeOnHandle(Handle);
    if (p < 0)
        RaiseFault(Msg::NodeNotFound);
    return static_cast<std::uint32_t>(p);
}

std::vector<std::int32_t> TCircuitEngine::IndexOfHandles(const THandleArray& List) const {
    std::vector<std::int32_t> Index(static_cast<std::size_t>(Circuit->LastHandle) + 1, -1);
    for (std::size_t i = 0; i < List.size(); ++i)
        Index[List[i]] = static_cast<std::int32_t>(i);
    return Index;
}

void TCircuitEngine::NewWalk() {
    const auto Size = static_cast<std::size_t>(Circuit->LastHandle) + 1;
    if (Stamps.size() < Size)
        Stamps.resize(Size, 0);
    if (++Stamp == 0) {
        std::fill(Stamps.begin(), Stamps.end(), 0);
        Stamp = 1;
    }
}

THandle TCircuitEngine::AddRoot(std::int32_t TypeID) {
    TLinkNode Root;
    Root.RootFlag = 1;
    Root.TypeID = TypeID;
    return Circuit->AddObject(std::move(Root));
}
