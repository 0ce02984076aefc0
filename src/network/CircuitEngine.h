#pragma once
// The network engine behind the diagram window: it turns the work list into an
// activity-on-arrow network held in a link-object store, then analyses it for
// the picture: levels, the critical (or shortest) path, chain nodes for arcs
// that span several levels, rows and event numbers, and finally the picture.
// It owns the store and works from the work list it was given.
//
// The phases live in their own source files: Construction.cpp (events and the
// first fictive arcs), FictiveArcs.cpp (pruning and gluing), TopSort.cpp
// (levels), CriticalPath.cpp (path values and marks), LongArcs.cpp (chain
// nodes), Rows.cpp (rows, numbers, grid geometry), CrossingReduction.cpp
// with SwapRule.cpp and SwapKernels.cpp (the row swaps), NetworkView.cpp (the
// result every reader uses). The picture is drawn from that result by the
// drawing library.

#include "core/LinkObject.h"
#include "core/Real.h"
#include "network/EventWorks.h"
#include "network/NetworkView.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

class TBitRows;
class TGraph;
class TWorkList;
struct TSchemeSnapshot;

// Thrown at a checkpoint of an analysis whose cancel flag is set: a newer
// scheme has superseded it, and nothing it made is kept.
class TAnalysisCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "analysis cancelled"; }
};

// Kinds of link objects (TypeID).
inline constexpr std::int32_t TypeAllRoot = 100;     // hAll: every event and chain node
inline constexpr std::int32_t TypePiARoot = 110;     // hPiA: every start event of a work set
inline constexpr std::int32_t TypeWRoot = 111;       // hW: every end event of works
inline constexpr std::int32_t TypeLevelsRoot = 115;  // hLevels: the level objects
inline constexpr std::int32_t TypePiA = 10;          // event at which a set of works is finished
inline constexpr std::int32_t TypeW = 11;            // event at which works end
inline constexpr std::int32_t TypeFictiveChain = 12; // chain node of a split fictive arc
inline constexpr std::int32_t TypeRealChain = 13;    // chain node of a split real arc
inline constexpr std::int32_t TypeLevel = 13;        // level object (only under hLevels)

// Kinds of XCoord and YCoord.
inline constexpr int CoordNear = 0;   // left or top edge of an event circle
inline constexpr int CoordFar = 1;    // right or bottom edge
inline constexpr int CoordCentre = 2; // centre

// Columns and rows of the grid are this many pixels apart.
inline constexpr int GridStep = 60;
inline constexpr int EventDiameter = 20;

class TCircuitEngine {
public:
    // The network; none while there is none (fewer than two works, a contour,
    // or a build that failed).
    std::unique_ptr<TMemoryLinkObject> Circuit;
    // -1 for the critical (longest) path, +1 for the shortest; set by the
    // owner before a rebuild.
    int PathSign = -1;
    // The events' sets of works are kept as bits (EventWorks.h); true makes
    // them sets of the store as well (Mul1, Mul3), for those who read the
    // store: the debug window and the tests. Set before GetCircuit.
    bool KeepSets = true;

    // Reads the list as it stands at every step (on the list's own thread).
    explicit TCircuitEngine(const TWorkList& AWorkList) : WorkList(&AWorkList) {}
    // Reads a snapshot, which it keeps; any thread.
    explicit TCircuitEngine(std::shared_ptr<const TSchemeSnapshot> AScheme);
    ~TCircuitEngine();
    TCircuitEngine(const TCircuitEngine&) = delete;
    TCircuitEngine& operator=(const TCircuitEngine&) = delete;

    // Throws the old network away and builds the new one. A consistency fault
    // during the build leaves no network behind before it travels on.
    void GetCircuit();
    // Releases the network (what the window does when it is destroyed).
    void FreeCircuit();
    // Releases the store alone, keeping the result: what the views read
    // needs no store, and a large network's sets are most of its memory.
    void ReleaseStore();
    // The analysis after a build, up to the drawing: TopSort,
    // FoundCriticalPath, SplitLongArcs, PlaceVertices, then the result that
    // every reader uses. Without a network the result says so (and still
    // holds the works' schedule).
    void Analyse();
    // The analysis without the layout: levels, the path, the event numbers
    // and the result, whose events and arcs are then those Analyse gives,
    // without rows, chain nodes or segments (HasLayout false). Analyse or
    // Layout may follow on the same network.
    void AnalyseWithoutLayout();
    // The layout after AnalyseWithoutLayout: chain nodes, rows and the
    // result again, now as Analyse makes it.
    void Layout();
    // The flag that cancels the analysis: every step checks it and throws
    // TAnalysisCancelled once it is set. None: never cancelled.
    void SetCancel(const std::atomic<bool>* Flag) { Cancel = Flag; }
    // Throws TAnalysisCancelled when the flag is set.
    void Checkpoint() const {
        if (Cancel && Cancel->load(std::memory_order_relaxed))
            throw TAnalysisCancelled();
    }
    // What the last Analyse found; no network after GetCircuit until the
    // next Analyse.
    const TNetworkView& Result() const { return View; }
    // Reads the analysed store into the result (Analyse ends with it);
    // without the layout, no rows, segments or size.
    void MakeView(bool WithLayout = true);
    // Handle of the first object of that kind in table order; a fault when
    // there is none (or no network).
    THandle GethALL(std::int32_t TypeID) const;

    // --- The steps of GetCircuit, in the order it runs them. They are open so
    // that a build can be followed stage by stage.

    // The closure of the work list's graph (every work's transitive
    // predecessors), rows sorted so that equal sets are neighbours and the
    // empty set comes first. None on a contour.
    std::unique_ptr<TGraph> PredecessorSets() const;
    // A new store with the roots hAll, hPiA and hW (handles 1, 2, 3).
    void CreateRoots();
    void CreatePiA(const TGraph& SortedClosure);
    void WaCreate();
    // A fictive arc from the end of every work to every start event that
    // waits for it, directly or not.
    void CreateFictiveArcs();
    void MergeEqualW();
    // Positions in hW's out-links.
    bool SameSuccessors(int i, int j) const;
    void MergeW(int i, int j);
    // MergeW of the end event b into a, given by handles.
    void MergeWVertices(THandle a, THandle b);
    // CreateFictiveArcs, MergeEqualW and the first PruneFictive in one step
    // that makes only the fictive arcs the pruning keeps; the network it
    // leaves is the same, link for link. GetCircuit runs this.
    void LinkEndEvents();
    // PruneFictive, then GlueFictive, until nothing is absorbed.
    void ReduceFictive();
    void PruneFictive();
    // The same walk with one search per fictive arc.
    void PruneFictiveBySearch();
    // Whether Target is reachable from From without the out-link at position
    // SkipPosition of From (-1: none skipped).
    bool ReachableOtherwise(THandle From, THandle Target, int SkipPosition);
    void RemoveFictive(THandle Vertex, int Position);
    bool GlueFictive();
    bool GlueingOutFictive();
    bool GlueingInFictive();

    // --- Levels.
    void TopSort();
    void BuildLevels();
    // The first level object under hLevels whose TopN is Level.
    bool FindLevel(std::int32_t Level, THandle& Found) const;

    // --- Path values and marks.
    void FoundCriticalPath();
    // Signed weight of the arc b -> h; keeps MaxWeight up to date.
    TReal GetWeigth(THandle b, THandle h);
    void UpdateDuration(THandle h);
    void SetCriticalPath(THandle h);
    // The largest arc weight met by the last FoundCriticalPath.
    TReal MaxWeight = 0;

    // --- Layout.
    void SplitLongArcs();
    void InsertChain(THandle c, THandle d, std::int32_t Span);
    void PlaceVertices();
    void InitRows();
    // Swaps rows inside each level by SwapRule (network/SwapRule.h); returns
    // the number of passes made.
    int ReduceCrossings();
    // The same, every pair decided by SwapRule itself from the links as they
    // stand: slow, the reference that ReduceCrossings equals row for row.
    int ReduceCrossingsPairwise();
    // ReduceCrossings decides pairs sixteen at a time where the processor
    // has AVX2, eight at a time otherwise; false keeps it to eight (so that
    // tests and benchmarks can run both).
    static void AllowWideVectors(bool Allow);
    // ReduceCrossings decides pairs in 16 bits where the rows and sums fit;
    // false keeps every level to the 32-bit loops (for the same reason).
    static void AllowShortRows(bool Allow);
    void NumberEvents();
    static int XCoord(int t, int Kind);
    static int YCoord(int r, int Kind);

private:
    // ReduceCrossings' steps read the store as the engine does.
    friend class TCrossingReduction;

    // Exactly one of the two is the source of the works.
    const TWorkList* WorkList = nullptr;
    std::shared_ptr<const TSchemeSnapshot> Scheme;
    const std::atomic<bool>* Cancel = nullptr;
    TNetworkView View;
    // What the construction reads of the works.
    const TGraph& WorkGraph() const;
    const TBitRows* WorkClosure() const;
    TReal WorkDuration(std::int32_t Work) const;
    // Roots of the build under way.
    THandle hAll = 0;
    THandle hPiA = 0;
    THandle hW = 0;
    // Visit stamps by handle: one stamp per ReachableOtherwise query, one per
    // SetCriticalPath walk.
    std::vector<std::uint32_t> Stamps;
    std::uint32_t Stamp = 0;
    // The works of every event, as bits; shared with the views that show
    // them, and never changed once a view has them (a new network gets new
    // ones).
    std::shared_ptr<TEventWorks> Works = std::make_shared<TEventWorks>();

    TLinkNode& Node(THandle Handle) const;
    // The data block of a vertex, level object or chain node.
    TLinkData& Data(THandle Handle) const;
    const THandleArray& Out(THandle Handle) const { return Node(Handle).OutLinks; }
    std::uint32_t Position(THandle Handle) const;
    // For every handle of the store, its position in List; -1 for handles
    // not in it.
    std::vector<std::int32_t> IndexOfHandles(const THandleArray& List) const;
    // A fresh stamp for a walk that marks vertices.
    void NewWalk();
    // Marks the handle as visited in this walk; false when it was already.
    bool Visit(THandle Handle) {
        if (Handle >= Stamps.size())
            Stamps.resize(static_cast<std::size_t>(Handle) + 1, 0);
        if (Stamps[Handle] == Stamp)
            return false;
        Stamps[Handle] = Stamp;
        return true;
    }

    THandle AddRoot(std::int32_t TypeID);
    // A new event with the sets its kind has, its works' sets empty.
    THandle AddEvent(std::int32_t TypeID);
    std::unique_ptr<TMultitude> FinishedSet(const TLinkData& Start, std::int32_t Work) const;
    // CreatePiA from the closure's rows in the order PredecessorSets sorts
    // them, without making the sets as a graph.
    void CreatePiA(const TBitRows& Closure, const std::vector<int>& Order);
    bool FindLevel(THandle Levels, std::int32_t Level, THandle& Found) const;
    std::unique_ptr<TMultitude> SelectLayer(THandle All, std::int32_t Level);
    void RemoveLayer(THandle All, const TMultitude& Layer);
    void WalkCriticalPath(THandle h);

    // The steps of MakeView. Index maps a handle to its event's position in
    // the result (-1 for anything else).
    using TArcRows = std::unordered_map<std::uint64_t, std::vector<std::int32_t>>;
    void MakeViewEvents(const THandleArray& Members, std::vector<std::int32_t>& Index);
    void MakeViewArcs(const std::vector<std::int32_t>& Index, bool WithRows);
    TArcRows ChainRows() const;
    std::vector<std::int32_t> ArcRows(const TArcRows& Chains, THandle From, THandle To) const;
    void MakeViewSegments(const THandleArray& Members);
    void MakeViewSchedule(const std::vector<std::int32_t>& Index);
};
