#include "model/WorkList.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "model/Messenger.h"

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
    if (Kind != ckQuietAdd)
        RecalcLinks();
    // A listener may register another one; walk by position.
    for (std::size_t i = 0; i < Listeners.size(); ++i)
        Listeners[i](*this, Index, Kind);
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

void TWorkList::RecalcLinks() {
    BuildGraph();
    auto Result = Graph.CloseAndReduce();
    HasContour = !Result;
    if (!Result) {
        FileError(Msg::Contour);
        return;
    }
    const int n = Count();
    const auto Cell = [this](int i, int j) -> std::int8_t& {
        return Works[static_cast<std::size_t>(i)]->Links[static_cast<std::size_t>(j)];
    };

    // The entered cells are remembered, then every cell is cleared.
    TGraph Entered;
    for (int i = 0; i < n; ++i) {
        TMultitudeElement Scratch(i);
        Scratch.Subset = std::make_unique<TMultitude>();
        for (int j = 0; j < n; ++j) {
            const std::int8_t v = Cell(i, j);
            // Odd positive values count as entered: a damaged file may hold 5.
            if (v > 0 && (v % 2) == 1)
                Scratch.Subset->AddKey(j);
            Cell(i, j) = LinkFree;
        }
        if (!Scratch.Subset->Empty())
            Entered.Rows.Add(std::move(Scratch));
        Cell(i, i) = LinkForbidden;
    }

    const TGraph& Closure = *Result->Closure;
    const TGraph& Reduction = *Result->Reduction;
    for (int i = 0; i < n; ++i) {
        for (const TMultitudeElement& k : *Closure.Rows[i].Subset) {
            Cell(i, k.Key) = LinkImplied;
            Cell(k.Key, i) = LinkForbidden;
        }
        for (const TMultitudeElement& k : *Reduction.Rows[i].Subset)
            Cell(i, k.Key) = LinkDirect;
    }
    for (const TMultitudeElement& Row : Entered.Rows)
        for (const TMultitudeElement& k : *Row.Subset)
            if (Cell(Row.Key, k.Key) == LinkImplied)
                Cell(Row.Key, k.Key) = LinkRedundant;
}
