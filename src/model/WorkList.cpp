#include "model/WorkList.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "model/Messenger.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

TWorkList::~TWorkList() {
    // Nothing is announced while the list is torn down.
    Updating = true;
}

TWorkData& TWorkList::GetWork(int Index) {
    if (Index < 0 || Index >= Count())
        throw EInternalFault("List index out of bounds");
    return *Works[static_cast<std::size_t>(Index)];
}

const TWorkData& TWorkList::GetWork(int Index) const {
    return const_cast<TWorkList*>(this)->GetWork(Index);
}

void TWorkList::AddWork(const TWorkData& Work, bool FreshCells) {
    const int OldCount = Count();
    auto Record = std::make_unique<TWorkData>();
    Record->Name = Work.Name;
    Record->Duration = Work.Duration;
    Record->Demands = Work.Demands;
    if (FreshCells)
        Record->Links.assign(static_cast<std::size_t>(OldCount) + 1, LinkFree);
    else
        Record->Links = Work.Links;
    if (Record->Links.size() <= static_cast<std::size_t>(OldCount))
        Record->Links.resize(static_cast<std::size_t>(OldCount) + 1, LinkFree);
    Record->Links[static_cast<std::size_t>(OldCount)] = LinkForbidden;
    Works.push_back(std::move(Record));
    // The new column is free in every earlier row, also in a row that was
    // already longer (one read from a file with a larger Count).
    if (FreshCells)
        for (int i = 0; i < OldCount; ++i) {
            TABs& Row = Works[static_cast<std::size_t>(i)]->Links;
            Row.resize(static_cast<std::size_t>(OldCount) + 1);
            Row[static_cast<std::size_t>(OldCount)] = LinkFree;
        }
    Changed(OldCount, FreshCells ? ckAdd : ckQuietAdd);
}

void TWorkList::Clear() {
    Works.clear();
    ProjectCalendar.reset();
    ProjectResources.clear();
    Changed(0, ckScheme);
    Modified = false;
}

void TWorkList::AddListener(TWorkListListener Listener) {
    Listeners.push_back(std::move(Listener));
}

void TWorkList::Changed(std::int32_t Index, std::int32_t Kind) {
    if (Updating)
        return;
    Modified = true;
    // A new duration or name, the path switch, the calendar and the
    // resources leave every cell as it was: the last classification stands.
    const bool CellsKept =
        (Kind == ckWork || Kind == ckPathMode || Kind == ckCalendar || Kind == ckResources) &&
        Analysed;
    if (Kind == ckQuietAdd) {
        Analysed = false;
        ClosureRows.reset();
    } else if (!CellsKept) {
        RecalcLinks();
    }
    // A listener may register another one; walk by position.
    for (std::size_t i = 0; i < Listeners.size(); ++i)
        Listeners[i](*this, Index, Kind);
}

bool TWorkList::SetCalendar(std::optional<TCalendar> Calendar) {
    if (Calendar) {
        NormaliseCalendar(*Calendar);
        if (CalendarProblem(*Calendar))
            return false;
    }
    ProjectCalendar = std::move(Calendar);
    Changed(0, ckCalendar);
    return true;
}

bool TWorkList::SetResources(std::vector<TResource> Resources) {
    if (ResourceProblem(Resources))
        return false;
    for (const auto& Work : Works)
        if (!Work->Demands.Empty() && Work->Demands.Items().back().first >= Resources.size())
            return false;
    ProjectResources = std::move(Resources);
    Changed(0, ckResources);
    return true;
}

bool TWorkList::SetDemands(int Index, TDemands Demands) {
    TWorkData& Work = GetWork(Index);
    if (!DemandsFit(Demands, ProjectResources.size()))
        return false;
    Work.Demands = std::move(Demands);
    Changed(Index, ckResources);
    return true;
}

bool TWorkList::ReplaceResources(std::vector<TResource> Resources,
                                 std::vector<TWorkDemands> Demands) {
    if (ResourceProblem(Resources))
        return false;
    std::vector<const TDemands*> After(Works.size());
    for (std::size_t i = 0; i < Works.size(); ++i)
        After[i] = &Works[i]->Demands;
    for (const TWorkDemands& Entry : Demands) {
        if (Entry.Work < 0 || Entry.Work >= Count())
            return false;
        After[static_cast<std::size_t>(Entry.Work)] = &Entry.Demands;
    }
    for (const TDemands* Work : After)
        if (!DemandsFit(*Work, Resources.size()))
            return false;
    ProjectResources = std::move(Resources);
    for (TWorkDemands& Entry : Demands)
        Works[static_cast<std::size_t>(Entry.Work)]->Demands = std::move(Entry.Demands);
    Changed(0, ckResources);
    return true;
}

void TWorkList::FileError(std::string_view Text) const {
    if (Messenger)
        Messenger->FileError(Text);
}

void TWorkList::BuildGraph() {
    Graph.Clear();
    for (int i = 0; i < Count(); ++i) {
        TMultitudeElement Row(i);
        Row.Subset = std::make_unique<TMultitude>();
        Row.Subset->AddMarked(Works[static_cast<std::size_t>(i)]->Links);
        Graph.Rows.Add(std::move(Row));
    }
}

bool TWorkList::SetDependency(int i, int j, bool Enter) {
    if (i < 0 || i >= Count() || j < 0 || j >= Count())
        return false;
    std::int8_t& Cell = Works[static_cast<std::size_t>(i)]->Links[static_cast<std::size_t>(j)];
    std::int8_t Value = Cell;
    if (Enter && Cell == LinkFree)
        Value = LinkDirect;
    else if (Enter && Cell == LinkImplied)
        Value = LinkRedundant;
    else if (!Enter && Cell == LinkDirect)
        Value = LinkFree;
    else if (!Enter && Cell == LinkRedundant)
        Value = LinkImplied;
    else
        return false;
    Cell = Value;
    Changed(i, ckScheme);
    return true;
}

namespace {

bool Entered(std::int8_t Cell) {
    return Cell > 0 && Cell % 2 == 1;
}

} // namespace

TRemovedWork TWorkList::DeleteWork(int Index) {
    const int n = Count();
    if (Index < 0 || Index >= n)
        throw EInternalFault("List index out of bounds");
    const auto At = static_cast<std::size_t>(Index);
    TRemovedWork Removed;
    Removed.Index = Index;
    // Its successors wait for its predecessors. Such a cell already holds a
    // dependency through this work (implied, or entered); an implied one
    // becomes entered.
    std::vector<int> Before;
    for (int k = 0; k < n; ++k)
        if (Entered(Works[At]->Links[static_cast<std::size_t>(k)]))
            Before.push_back(k);
    for (int i = 0; i < n; ++i) {
        TABs& Row = Works[static_cast<std::size_t>(i)]->Links;
        if (!Entered(Row[At]))
            continue;
        for (const int k : Before) {
            if (k == i)
                continue;
            std::int8_t& Cell = Row[static_cast<std::size_t>(k)];
            if (Entered(Cell))
                continue;
            Removed.Bridged.push_back(TCellChange{i, k, Cell});
            Cell = Cell == LinkImplied ? LinkRedundant : LinkDirect;
        }
    }
    Removed.Column.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        TABs& Row = Works[static_cast<std::size_t>(i)]->Links;
        Removed.Column[static_cast<std::size_t>(i)] = Row[At];
        if (i != Index)
            Row.erase(Row.begin() + Index);
    }
    Removed.Work = std::move(*Works[At]);
    Works.erase(Works.begin() + Index);
    Changed(Index, ckDelete);
    return Removed;
}

void TWorkList::PlaceWork(int Index, TWorkData Work, const TABs& Column) {
    const int n = Count();
    if (Index < 0 || Index > n)
        throw EInternalFault("List index out of bounds");
    Work.Links.resize(static_cast<std::size_t>(n) + 1, LinkFree);
    Work.Links[static_cast<std::size_t>(Index)] = LinkForbidden;
    for (int i = 0; i < n; ++i) {
        TABs& Row = Works[static_cast<std::size_t>(i)]->Links;
        const int Old = i < Index ? i : i + 1;
        const std::int8_t Cell = Column.empty() ? LinkFree : Column[static_cast<std::size_t>(Old)];
        Row.insert(Row.begin() + Index, Cell);
    }
    Works.insert(Works.begin() + Index, std::make_unique<TWorkData>(std::move(Work)));
}

void TWorkList::RestoreWork(const TRemovedWork& Removed) {
    PlaceWork(Removed.Index, Removed.Work, Removed.Column);
    for (const TCellChange& Change : Removed.Bridged)
        Works[static_cast<std::size_t>(Change.Row)]
            ->Links[static_cast<std::size_t>(Change.Column)] = Change.Old;
    Changed(Removed.Index, ckInsert);
}

void TWorkList::InsertWork(int Index, const std::string& Name, TReal Duration) {
    PlaceWork(Index, TWorkData{Name, Duration, {}}, {});
    Changed(Index, ckInsert);
}

void TWorkList::MoveWork(int From, int To) {
    const int n = Count();
    if (From < 0 || From >= n || To < 0 || To >= n)
        throw EInternalFault("List index out of bounds");
    if (From == To)
        return;
    // One rotation of the records and the same one of every row's cells.
    const auto Rotate = [From, To](auto Begin) {
        if (From < To)
            std::rotate(Begin + From, Begin + From + 1, Begin + To + 1);
        else
            std::rotate(Begin + To, Begin + From, Begin + From + 1);
    };
    Rotate(Works.begin());
    for (auto& Work : Works)
        Rotate(Work->Links.begin());
    Changed(To, ckMove);
}

namespace {

// The eight bits of a byte as eight bytes of 0 or 1, first bit first.
constexpr std::array<std::uint64_t, 256> SpreadBits = [] {
    std::array<std::uint64_t, 256> Table{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned k = 0; k < 8; ++k)
            if ((b >> k) & 1u)
                Table[b] |= std::uint64_t{1} << (8 * k);
    return Table;
}();

constexpr std::uint64_t ByteOf(std::int8_t Value) {
    return static_cast<std::uint8_t>(Value);
}

// One row of cells from its bits of the closure (C), the reduction (R) and
// the works that reach it (F), as RecalcLinks says, entered cells read from
// the row as it was. The cells are written eight at a time from the bits, a
// word of 64 alike at once (most of a large scheme's row is all forbidden or
// all implied), then the few cells of the reduction one by one: a row costs
// about n / 8 steps instead of n.
void ClassifyRow(std::int8_t* Links, int i, int n, const std::uint64_t* C, const std::uint64_t* R,
                 const std::uint64_t* F) {
    const auto Forbidden = [&](int j) { return j == i || TBitRows::Test(F, j); };
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t Low = 0x0101010101010101ULL;
        constexpr std::uint64_t ToForbidden = ByteOf(LinkForbidden) ^ ByteOf(LinkFree);
        constexpr std::uint64_t ToImplied = ByteOf(LinkImplied) ^ ByteOf(LinkFree);
        constexpr std::uint64_t ToRedundant = ByteOf(LinkRedundant) ^ ByteOf(LinkImplied);
        static_assert(ToRedundant == 1, "an entered implied cell differs in bit 0 alone");
        for (int j0 = 0; j0 < n; j0 += 64) {
            const std::size_t w = static_cast<std::size_t>(j0) / 64;
            std::uint64_t f = F[w];
            if (i >= j0 && i < j0 + 64)
                f |= std::uint64_t{1} << (i - j0);
            const std::uint64_t c = C[w] & ~f;
            if (j0 + 64 <= n && (f == ~std::uint64_t{0} || (f | c) == 0)) {
                std::memset(Links + j0, f ? LinkForbidden : LinkFree, 64);
                continue;
            }
            for (int k = 0; k < 8 && j0 + 8 * k < n; ++k) {
                const int Count = std::min(8, n - j0 - 8 * k);
                std::uint64_t Was = 0;
                std::memcpy(&Was, Links + j0 + 8 * k, static_cast<std::size_t>(Count));
                const std::uint64_t Implied = SpreadBits[(c >> (8 * k)) & 0xFF];
                const std::uint64_t Entered = Was & ~(Was >> 7) & Low;
                const std::uint64_t Cells = ByteOf(LinkFree) * Low ^
                                            SpreadBits[(f >> (8 * k)) & 0xFF] * ToForbidden ^
                                            Implied * ToImplied ^ (Implied & Entered);
                std::memcpy(Links + j0 + 8 * k, &Cells, static_cast<std::size_t>(Count));
            }
        }
    } else {
        for (int k = 0; k < n; ++k)
            Links[k] = Forbidden(k)            ? LinkForbidden
                       : !TBitRows::Test(C, k) ? LinkFree
                       : Entered(Links[k])     ? LinkRedundant
                                               : LinkImplied;
    }
    const std::size_t Words = (static_cast<std::size_t>(n) + 63) / 64;
    for (std::size_t w = 0; w < Words; ++w)
        for (std::uint64_t Word = R[w]; Word != 0; Word &= Word - 1) {
            const int d = static_cast<int>(w * 64) + std::countr_zero(Word);
            if (!Forbidden(d))
                Links[d] = LinkDirect;
        }
}

} // namespace

void TWorkList::RecalcLinks() {
    BuildGraph();
    auto Result = Graph.CloseAndReduceBits();
    HasContour = !Result;
    Analysed = true;
    ClosureRows.reset();
    if (!Result) {
        FileError(Msg::Contour);
        return;
    }
    // The graph's rows are the works in order, so positions are work
    // indices. Cell (i, j) is forbidden when j is i or reaches i, direct when
    // the arc i -> j is in the reduction, implied when j is reachable from i
    // otherwise, and then redundant when it was entered (an odd positive
    // value: a damaged file may hold 5); every other cell is free.
    const int n = Count();
    const TBitRows Reaching = Result->Closure.Transposed(n);
    for (int i = 0; i < n; ++i)
        ClassifyRow(Works[static_cast<std::size_t>(i)]->Links.data(), i, n, Result->Closure.Row(i),
                    Result->Reduction.Row(i), Reaching.Row(i));
    // The entered cells are what they were, so the closure stays true for the
    // construction that follows.
    ClosureRows = std::move(Result->Closure);
}
