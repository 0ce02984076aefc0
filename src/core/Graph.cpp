#include "core/Graph.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

bool TGraph::RowIsEmpty(int Index) const {
    const TMultitudeElement& Row = Rows.GetElement(Index);
    return !Row.Subset || Row.Subset->Empty();
}

std::unique_ptr<TMultitude> TGraph::EmptyRows() const {
    auto Result = std::make_unique<TMultitude>();
    for (int i = 0; i < Rows.Count(); ++i)
        if (RowIsEmpty(i))
            Result->AddKey(Rows[i].Key);
    return Result;
}

void TGraph::RemoveFromRows(std::int32_t Key) {
    TMultitude One;
    One.AddKey(Key);
    for (TMultitudeElement& Row : Rows)
        if (Row.Subset)
            Row.Subset->Subtract(One);
}

TMultitudeElement& TGraph::AddRow(std::int32_t Key) {
    int Index = 0;
    TMultitudeElement Probe(Key);
    if (!Rows.Find(Probe, Index)) {
        Probe.Subset = std::make_unique<TMultitude>();
        Rows.Add(std::move(Probe));
    }
    return Rows[Index];
}

const TMultitudeElement* TGraph::FindRow(std::int32_t Key) const {
    const int p = Rows.KeyPosition(Key);
    if (p < Rows.Count() && Rows[p].Key == Key)
        return &Rows[p];
    return nullptr;
}

std::unique_ptr<TGraph> TGraph::Copy() const {
    auto Result = std::make_unique<TGraph>();
    for (const TMultitudeElement& Row : Rows)
        Result->Rows.Add(Row);
    return Result;
}

std::unique_ptr<TGraph> TGraph::Transpose() const {
    auto T = std::make_unique<TGraph>();
    for (const TMultitudeElement& Row : Rows) {
        TMultitudeElement NewRow(Row.Key);
        NewRow.Subset = std::make_unique<TMultitude>();
        T->Rows.Add(std::move(NewRow));
    }
    for (const TMultitudeElement& Row : Rows) {
        if (!Row.Subset)
            continue;
        for (const TMultitudeElement& s : *Row.Subset) {
            const int p = T->Rows.KeyPosition(s.Key);
            if (p >= T->Rows.Count() || T->Rows[p].Key != s.Key)
                RaiseFault(Msg::TransposeRowMissing);
            T->Rows[p].Subset->AddKey(Row.Key);
        }
    }
    return T;
}

std::unique_ptr<TGraph> TGraph::Renumber(const TMultitude& Replacements, bool Direct) const {
    if (Replacements.Empty())
        return Copy();
    auto W = Replacements.Copy();
    if (!Direct)
        for (TMultitudeElement& w : *W)
            std::swap(w.Key, w.Value);
    // K looks up the number that replaces a successor; W is walked in
    // ascending order of the new numbers.
    auto K = W->Copy();
    W->Compare = CompareValues;
    W->Sort();

    auto R = std::make_unique<TGraph>();
    for (const TMultitudeElement& w : *W) {
        const TMultitudeElement* Source = FindRow(w.Key);
        if (!Source)
            continue;
        TMultitudeElement NewRow(w.Value, Source->Value, Source->Weight);
        NewRow.Subset = std::make_unique<TMultitude>();
        if (Source->Subset) {
            for (const TMultitudeElement& s : *Source->Subset) {
                const int p = K->KeyPosition(s.Key);
                if (p >= K->Count() || (*K)[p].Key != s.Key)
                    RaiseFault(Msg::RenumberIncomplete);
                TMultitudeElement Successor = s.Clone();
                Successor.Key = (*K)[p].Value;
                NewRow.Subset->Add(std::move(Successor));
            }
        }
        R->Rows.Add(std::move(NewRow));
    }
    return R;
}

std::optional<TLevelNumbering> TGraph::NumberLevels() const {
    auto Replacements = std::make_unique<TMultitude>();
    auto Work = Copy();
    if (Rows.Count() <= 1)
        return TLevelNumbering{std::move(Work), std::move(Replacements)};

    TMultitude Done;
    for (const TMultitudeElement& Row : Rows)
        Replacements->AddKey(Row.Key);
    std::int32_t Next = 1;
    do {
        auto L = Work->EmptyRows();
        L->Subtract(Done);
        if (L->Empty())
            return std::nullopt;
        Done.Unite(*L);
        for (int j = 0; j < L->Count(); ++j) {
            int Index = 0;
            Replacements->Find((*L)[j], Index);
            (*Replacements)[Index].Value = Next + j;
            Work->RemoveFromRows((*L)[j].Key);
        }
        Next += L->Count();
    } while (Done.Count() != Rows.Count());

    auto Numbered = Renumber(*Replacements, true);
    return TLevelNumbering{std::move(Numbered), std::move(Replacements)};
}

std::optional<TClosureReduction> TGraph::CloseAndReduce() const {
    auto Levels = NumberLevels();
    if (!Levels)
        return std::nullopt;
    auto T = Levels->Numbered->Transpose();
    Levels->Numbered.reset();

    auto Cw = std::make_unique<TGraph>();
    auto Rw = std::make_unique<TGraph>();
    for (const TMultitudeElement& x : T->Rows) {
        Rw->AddRow(x.Key);
        Cw->AddRow(x.Key).Subset->AddKey(x.Key);
    }
    // Highest number first: the closure of every successor is complete by the
    // time it is united into a vertex. Successors nearest first: one that is
    // reachable through another is already in the closure when its turn comes.
    for (int xi = T->Rows.Count() - 1; xi >= 0; --xi) {
        const TMultitudeElement& x = T->Rows[xi];
        TMultitude& CwX = *(*Cw).Rows[Cw->Rows.KeyPosition(x.Key)].Subset;
        TMultitude& RwX = *(*Rw).Rows[Rw->Rows.KeyPosition(x.Key)].Subset;
        for (const TMultitudeElement& y : *x.Subset) {
            const int p = CwX.KeyPosition(y.Key);
            if (p < CwX.Count() && CwX[p].Key == y.Key)
                continue;
            CwX.Unite(*Cw->Rows[Cw->Rows.KeyPosition(y.Key)].Subset);
            RwX.AddKey(y.Key);
        }
    }
    T.reset();
    Cw = Cw->Renumber(*Levels->Replacements, false);
    Rw = Rw->Renumber(*Levels->Replacements, false);
    for (TMultitudeElement& Row : Cw->Rows) {
        TMultitude Own;
        Own.AddKey(Row.Key);
        Row.Subset->Subtract(Own);
    }
    return TClosureReduction{Cw->Transpose(), Rw->Transpose()};
}
