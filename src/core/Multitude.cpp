#include "core/Multitude.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

int Sign(std::int64_t Difference) { return Difference < 0 ? -1 : (Difference > 0 ? 1 : 0); }

} // namespace

// The differences are taken in 64 bits so that keys far apart (any 32-bit
// vertex number is allowed) never wrap around and compare the wrong way.
int CompareKeys(const TMultitudeElement& First, const TMultitudeElement& Second) {
    return Sign(std::int64_t{First.Key} - Second.Key);
}

int CompareValues(const TMultitudeElement& First, const TMultitudeElement& Second) {
    return Sign(std::int64_t{First.Value} - Second.Value);
}

int CompareSubset(const TMultitudeElement& First, const TMultitudeElement& Second) {
    if (&First == &Second)
        return 0;
    if (!First.Subset || !Second.Subset)
        RaiseFault(Msg::NotASet);
    const TMultitude& A = *First.Subset;
    const TMultitude& B = *Second.Subset;
    const int nA = A.Count();
    const int nB = B.Count();
    if (nA == 0)
        return nB > 0 ? -1 : 0;
    if (nB == 0)
        return 1;
    const int n = std::min(nA, nB);
    if (A.Compare == CompareKeys) {
        // The usual case, without a call per member.
        for (int i = 0; i < n; ++i)
            if (A[i].Key != B[i].Key)
                return A[i].Key < B[i].Key ? -1 : 1;
    } else
        for (int i = 0; i < n; ++i) {
            const int r = A.Compare(A[i], B[i]);
            if (r != 0)
                return r;
        }
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}


TMultitudeElement TMultitudeElement::Clone() const {
    TMultitudeElement Result(Key, Value, Weight);
    if (Subset)
        Result.Subset = Subset->Copy();
    return Result;
}

TMultitudeElement& TMultitude::GetElement(int Index) {
    if (Index < 0 || Index >= Count())
        throw EInternalFault("List index out of bounds");
    return Items[static_cast<std::size_t>(Index)];
}

const TMultitudeElement& TMultitude::GetElement(int Index) const {
    return const_cast<TMultitude*>(this)->GetElement(Index);
}

bool TMultitude::Find(const TMultitudeElement& Element, int& Index) const {
    Index = 0;
    if (Items.empty())
        return false;
    int lo = 0;
    int hi = Count() - 1;
    int r = 0;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        Index = mid;
        r = Compare(Element, Items[static_cast<std::size_t>(mid)]);
        if (r < 0)
            hi = mid - 1;
        else if (r > 0)
            lo = mid + 1;
        else
            return true;
    }
    if (r > 0)
        Index = lo;
    return false;
}

int TMultitude::KeyPosition(std::int32_t Key) const {
    int lo = 0;
    int hi = Count() - 1;
    int mid = 0;
    bool greater = false;
    while (lo <= hi) {
        mid = (lo + hi) / 2;
        const std::int32_t k = Items[static_cast<std::size_t>(mid)].Key;
        if (Key < k) {
            hi = mid - 1;
            greater = false;
        } else if (Key > k) {
            lo = mid + 1;
            greater = true;
        } else {
            return mid;
        }
    }
    return greater ? lo : mid;
}

bool TMultitude::HasKey(std::int32_t Key) const {
    const int p = KeyPosition(Key);
    return p < Count() && Items[static_cast<std::size_t>(p)].Key == Key;
}

namespace {

// Whether Copy would give this set back unchanged: key order under CompareKeys
// without equal keys, and the same for every nested set.
bool IsAsCopied(const TMultitude& Set) {
    if (Set.Compare != CompareKeys)
        return false;
    for (int i = 0; i < Set.Count(); ++i) {
        if (i > 0 && Set[i - 1].Key >= Set[i].Key)
            return false;
        if (Set[i].Subset && !IsAsCopied(*Set[i].Subset))
            return false;
    }
    return true;
}

} // namespace

bool TMultitude::InsertSorted(TMultitudeElement&& Element) {
    int Index = 0;
    if (Find(Element, Index))
        return false;
    // A member handed over is stored as its clone would be, so that both Add
    // overloads leave the same set behind.
    if (Element.Subset && !IsAsCopied(*Element.Subset))
        Element.Subset = Element.Subset->Copy();
    Items.insert(Items.begin() + Index, std::move(Element));
    return true;
}

bool TMultitude::Add(const TMultitudeElement& Element) {
    int Index = 0;
    if (Find(Element, Index))
        return false;
    Items.insert(Items.begin() + Index, Element.Clone());
    return true;
}

bool TMultitude::Add(TMultitudeElement&& Element) { return InsertSorted(std::move(Element)); }

bool TMultitude::AddKey(std::int32_t Key) { return InsertSorted(TMultitudeElement(Key)); }

bool TMultitude::AppendKey(std::int32_t Key) {
    if (Compare == CompareKeys && (Items.empty() || Items.back().Key < Key)) {
        Items.emplace_back(Key);
        return true;
    }
    return AddKey(Key);
}

void TMultitude::AddMarked(std::span<const std::int8_t> Row) {
    std::size_t j = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight cells at a time: a cell is marked when it is 1 or 3, that is
        // when it equals 1 once bit 1 is cleared. Each zero byte of Rest is
        // such a cell; High gets bit 7 of exactly those bytes.
        constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
        for (; j + 8 <= Row.size(); j += 8) {
            std::uint64_t Cells;
            std::memcpy(&Cells, Row.data() + j, 8);
            const std::uint64_t Rest = (Cells & 0xFDFDFDFDFDFDFDFDULL) ^ 0x0101010101010101ULL;
            for (std::uint64_t High = ~(((Rest & Low7) + Low7) | Rest | Low7); High != 0;
                 High &= High - 1)
                AppendKey(static_cast<std::int32_t>(j + std::countr_zero(High) / 8));
        }
    }
    for (; j < Row.size(); ++j)
        if (Row[j] == 1 || Row[j] == 3)
            AppendKey(static_cast<std::int32_t>(j));
}

void TMultitude::Sort() {
    // A stable sort keeps members that tie under Compare in their previous
    // order, so that equal inputs always give equal networks.
    std::stable_sort(Items.begin(), Items.end(),
                     [this](const TMultitudeElement& A, const TMultitudeElement& B) {
                         return Compare(A, B) < 0;
                     });
}

std::unique_ptr<TMultitude> TMultitude::Copy() const {
    auto Result = std::make_unique<TMultitude>();
    // Members are added one by one so that a set whose keys were changed in
    // place, or that is ordered by another function, comes back in key order
    // with the first of equal keys kept. Appending is the same thing as long as
    // the keys seen so far are strictly ascending.
    Result->Items.reserve(Items.size());
    for (const TMultitudeElement& M : Items) {
        if (Result->Items.empty() || Result->Items.back().Key < M.Key)
            Result->Items.push_back(M.Clone());
        else
            Result->Add(M);
    }
    return Result;
}

void TMultitude::Subtract(const TMultitude& Other) {
    if (Items.empty())
        return;
    int Index = 0;
    for (const TMultitudeElement& M : Other.Items)
        if (Find(M, Index))
            Delete(Index);
}

void TMultitude::Unite(const TMultitude& Other) {
    for (const TMultitudeElement& M : Other.Items)
        Add(M);
}

std::unique_ptr<TMultitude> TMultitude::Intersection(const TMultitude& Other) const {
    auto Result = std::make_unique<TMultitude>();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < Items.size() && j < Other.Items.size()) {
        const int r = Compare(Items[i], Other.Items[j]);
        if (r == 0) {
            Result->Add(Items[i]);
            ++i;
            ++j;
        } else if (r < 0) {
            ++i;
        } else {
            ++j;
        }
    }
    return Result;
}

void TMultitude::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        throw EInternalFault("List index out of bounds");
    Items.erase(Items.begin() + Index);
}

void TMultitude::DeleteKeys(std::span<const std::int32_t> SortedKeys) {
    if (SortedKeys.empty())
        return;
    const auto Gone = [&SortedKeys](const TMultitudeElement& M) {
        return std::binary_search(SortedKeys.begin(), SortedKeys.end(), M.Key);
    };
    Items.erase(std::remove_if(Items.begin(), Items.end(), Gone), Items.end());
}
