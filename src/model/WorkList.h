#pragma once
// The model of the whole program: the works of one scheme, each with a name, a
// duration and one row of dependency cells. Every change ends in Changed, which
// keeps the derived cells up to date (RecalcLinks) and then calls the
// registered listeners in registration order.

#include "core/Graph.h"
#include "core/Real.h"
#include "model/Calendar.h"
#include "model/Resources.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TMessenger;

// One row of the dependency matrix: cell j of work i says how work i depends
// on work j.
using TABs = std::vector<std::int8_t>;

inline constexpr std::int8_t LinkFree = 0;
inline constexpr std::int8_t LinkDirect = 1;
inline constexpr std::int8_t LinkImplied = 2;
inline constexpr std::int8_t LinkRedundant = 3;
inline constexpr std::int8_t LinkForbidden = -1;

inline constexpr std::int32_t ckQuietAdd = 2;
inline constexpr std::int32_t ckAdd = 0x40000005;
inline constexpr std::int32_t ckScheme = 4;
inline constexpr std::int32_t ckWork = 5;
inline constexpr std::int32_t ckPathMode = 6;
// A work left the list, came into it at a given place, or moved to another
// place; Index is where it was or now is.
inline constexpr std::int32_t ckDelete = 7;
inline constexpr std::int32_t ckInsert = 8;
inline constexpr std::int32_t ckMove = 9;
// The project calendar was set, changed or taken away.
inline constexpr std::int32_t ckCalendar = 10;
// The resources were set, or the demands of the work at Index changed.
inline constexpr std::int32_t ckResources = 11;

struct TWorkData {
    std::string Name; // UTF-8; code page 1251 only in the scheme file
    TReal Duration = 0;
    TABs Links;
    // Units of each resource the work keeps busy; it travels with the work
    // when the work is deleted, restored or moved.
    TDemands Demands = {};
};

// The demands one work is to have (Work: its position).
struct TWorkDemands {
    int Work = 0;
    TDemands Demands;
};

// One cell as it was before an operation changed it.
struct TCellChange {
    int Row = 0;
    int Column = 0;
    std::int8_t Old = LinkFree;
};

// What a deletion took away, enough to put the work back exactly: its record,
// its column (cell Index of every row, in the positions before the deletion)
// and the cells entered so that its successors kept waiting for its
// predecessors.
struct TRemovedWork {
    int Index = 0;
    TWorkData Work;
    TABs Column;
    std::vector<TCellChange> Bridged;
};

class TWorkList;
using TWorkListListener =
    std::function<void(TWorkList& List, std::int32_t Index, std::int32_t Kind)>;

class TWorkList {
public:
    // The graph of the entered dependencies: one row per work (Key = position)
    // whose Subset holds the positions of the works it depends on.
    TGraph Graph;
    // While true, Changed does nothing at all.
    bool Updating = false;
    // The scheme has changes that were not saved.
    bool Modified = false;
    // Whether the last RecalcLinks found a contour among the entered cells.
    bool HasContour = false;
    // Where file errors and the contour message go; none drops them.
    TMessenger* Messenger = nullptr;

    TWorkList() = default;
    TWorkList(const TWorkList&) = delete;
    TWorkList& operator=(const TWorkList&) = delete;
    ~TWorkList();

    int Count() const { return static_cast<int>(Works.size()); }
    // The record at that position, in place. Raises an internal fault outside
    // 0..Count-1.
    TWorkData& GetWork(int Index);
    const TWorkData& GetWork(int Index) const;

    // Appends a work. With FreshCells its row is all 0 and every earlier row
    // grows by one cell (kind ckAdd); otherwise Work.Links is taken as it is
    // (kind ckQuietAdd). The own cell is -1 either way.
    void AddWork(const TWorkData& Work, bool FreshCells);
    // Removes every work, the calendar and the resources and announces ckScheme; the scheme
    // is then unmodified.
    void Clear();
    void AddListener(TWorkListListener Listener);
    void Changed(std::int32_t Index, std::int32_t Kind);

    // Enters (Enter) or removes the dependency of work i on work j, as the
    // dependency table's clicks do: entering makes a free cell entered and an
    // implied one redundant, removing takes either back. False when the cell
    // cannot change that way (forbidden, already so, out of range); otherwise
    // the change is announced as ckScheme.
    bool SetDependency(int i, int j, bool Enter);

    // Removes the work at Index (kind ckDelete). The works that waited for it
    // go on waiting for its predecessors: where a work entered a dependency
    // on it, the dependencies it had entered become entered ones of that
    // work, so the order among the other works is kept. Every other cell
    // keeps what was entered.
    TRemovedWork DeleteWork(int Index);
    // Puts a deleted work back where it was, with its row, its column and the
    // cells the deletion entered as they were (kind ckInsert).
    void RestoreWork(const TRemovedWork& Removed);
    // A new work with free cells at Index (0..Count), the works from Index on
    // one place further (kind ckInsert).
    void InsertWork(int Index, const std::string& Name, TReal Duration);
    // Moves the work at From to the place To, the others closing up; its
    // dependencies go with it (kind ckMove, announced with To).
    void MoveWork(int From, int To);
    // Rebuilds Graph from the cells holding 1 or 3.
    void BuildGraph();
    // Reclassifies every cell from the entered ones (1 and 3).
    void RecalcLinks();
    // The closure the last RecalcLinks computed, for the network's
    // construction: bit j of row i says that work i depends on work j,
    // directly or not. None before an analysis, after a quiet addition, or
    // with a contour.
    const TBitRows* Closure() const { return ClosureRows ? &*ClosureRows : nullptr; }

    // The project calendar; without one the plan is shown in day numbers.
    const std::optional<TCalendar>& Calendar() const { return ProjectCalendar; }
    // Replaces the calendar, its exception lists sorted (kind ckCalendar).
    // False, and nothing changes, for a calendar CalendarProblem refuses.
    bool SetCalendar(std::optional<TCalendar> Calendar);

    // The resources the works draw on; none for most schemes.
    const std::vector<TResource>& Resources() const { return ProjectResources; }
    // Replaces the resources (kind ckResources). False, and nothing changes,
    // for a resource ResourceProblem refuses or when a work still demands a
    // resource past the end of the new list.
    bool SetResources(std::vector<TResource> Resources);
    // Replaces the demands of the work at Index (kind ckResources). False,
    // and nothing changes, for a demand of a resource the list does not have
    // or a number of units that is negative or not finite.
    bool SetDemands(int Index, TDemands Demands);
    // Replaces the resources and, in the same change, the demands of the
    // works listed (kind ckResources, announced once), so that a resource can
    // leave the list together with what the works demanded of it. False, and
    // nothing changes, when the list or any work's demands, new or kept,
    // would not fit.
    bool ReplaceResources(std::vector<TResource> Resources, std::vector<TWorkDemands> Demands);

    // Bytes the scheme file of this list takes.
    std::int64_t SchemeSize() const;
    // Writes the scheme; true when the whole file was written.
    bool SaveToFile(const std::string& FileName);
    // Replaces the list by the file's scheme; true when it was read whole.
    bool LoadFromFile(const std::string& FileName);

    // Shows a file error through Messenger, if there is one.
    void FileError(std::string_view Text) const;

private:
    // Puts Work at Index with Column's cells in the other rows (free where
    // Column is empty), announcing nothing.
    void PlaceWork(int Index, TWorkData Work, const TABs& Column);
    std::vector<std::unique_ptr<TWorkData>> Works;
    std::vector<TWorkListListener> Listeners;
    std::optional<TBitRows> ClosureRows;
    std::optional<TCalendar> ProjectCalendar;
    std::vector<TResource> ProjectResources;
    // Whether the cells were analysed since the last change of the works or
    // cells that was not (a quiet addition).
    bool Analysed = false;
};
