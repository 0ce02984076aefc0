#include "network/EventWorks.h"

#include "messages/ErrorStrings.h"
#include "messages/InternalFault.h"
#include "network/NetworkView.h"

#include <algorithm>
#include <bit>

TEventWorks::TEventWorks(std::vector<std::int32_t> AKeys)
    : Keys(std::move(AKeys)), Words((Keys.size() + 63) / 64), Stride(std::max<std::size_t>(Words, 1)) {
    std::int32_t Largest = -1;
    for (const std::int32_t k : Keys)
        Largest = std::max(Largest, k);
    Bits.assign(static_cast<std::size_t>(Largest + 1), -1);
    for (std::size_t b = 0; b < Keys.size(); ++b)
        if (Keys[b] >= 0)
            Bits[static_cast<std::size_t>(Keys[b])] = static_cast<std::int32_t>(b);
}

int TEventWorks::BitOf(std::int32_t Key) const {
    if (Key < 0 || static_cast<std::size_t>(Key) >= Bits.size())
        return -1;
    return Bits[static_cast<std::size_t>(Key)];
}

void TEventWorks::Add(THandle Event) {
    if (Event >= SlotOf.size())
        SlotOf.resize(static_cast<std::size_t>(Event) + 1, 0);
    if (SlotOf[Event] != 0)
        RaiseFault(Msg::NodeNotFound);
    SlotOf[Event] = static_cast<std::uint32_t>(Rows.size() / (3 * Stride)) + 1;
    Rows.resize(Rows.size() + 3 * Stride, 0);
}

bool TEventWorks::Has(THandle Event) const {
    return Event < SlotOf.size() && SlotOf[Event] != 0;
}

std::uint64_t* TEventWorks::Row(THandle Event, int Which) {
    if (!Has(Event))
        RaiseFault(Msg::NodeNotFound);
    return Rows.data() + ((SlotOf[Event] - 1) * 3 + static_cast<std::size_t>(Which)) * Stride;
}

const std::uint64_t* TEventWorks::Row(THandle Event, int Which) const {
    return const_cast<TEventWorks*>(this)->Row(Event, Which);
}

// The merges pass over events without bits: a network put together by
// hand, link by link, keeps its works in the store's sets alone.

void TEventWorks::MergeEnds(THandle a, THandle b) {
    if (!Has(a) || !Has(b))
        return;
    std::uint64_t* A = Waited(a);
    const std::uint64_t* B = Waited(b);
    for (std::size_t x = 0; x < Words; ++x)
        A[x] |= B[x];
    MergeFinished(a, b);
}

void TEventWorks::MergeFinished(THandle a, THandle b) {
    if (!Has(a) || !Has(b))
        return;
    std::uint64_t* A = Finished(a);
    std::uint64_t* AEnding = Ending(a);
    const std::uint64_t* B = Finished(b);
    const std::uint64_t* BEnding = Ending(b);
    for (std::size_t x = 0; x < Words; ++x) {
        // A work a already has keeps its mark there.
        AEnding[x] |= BEnding[x] & ~A[x];
        A[x] |= B[x];
    }
}

void TEventWorks::AddFinishedEarlier(THandle a, THandle b) {
    if (!Has(a) || !Has(b))
        return;
    std::uint64_t* A = Finished(a);
    const std::uint64_t* B = Waited(b);
    for (std::size_t x = 0; x < Words; ++x)
        A[x] |= B[x];
}

bool TEventWorks::WaitsForNone(THandle Event) const {
    const std::uint64_t* R = Waited(Event);
    return std::all_of(R, R + Words, [](std::uint64_t w) { return w == 0; });
}

bool TEventWorks::Intersect(const std::uint64_t* A, const std::uint64_t* B) const {
    for (std::size_t x = 0; x < Words; ++x)
        if ((A[x] & B[x]) != 0)
            return true;
    return false;
}

namespace {

// Calls Visit with every set bit of Row & ~Without (Without may be none),
// ascending.
template <class TVisit>
void ForBits(const std::uint64_t* Row, const std::uint64_t* Without, std::size_t Words,
             TVisit&& Visit) {
    for (std::size_t x = 0; x < Words; ++x)
        for (std::uint64_t w = Row[x] & (Without ? ~Without[x] : ~std::uint64_t{0}); w != 0;
             w &= w - 1)
            Visit(x * 64 + static_cast<std::size_t>(std::countr_zero(w)));
}

} // namespace

std::vector<std::int32_t> TEventWorks::KeysOf(const std::uint64_t* Row) const {
    std::vector<std::int32_t> Out;
    ForBits(Row, nullptr, Words, [&](std::size_t b) { Out.push_back(Keys[b]); });
    return Out;
}

std::vector<TViewEventWork> TEventWorks::ListOf(THandle Event, bool End) const {
    std::vector<TViewEventWork> List;
    if (!End) {
        ForBits(Waited(Event), nullptr, Words, [&](std::size_t b) {
            List.push_back({Keys[b], false});
        });
        return List;
    }
    const std::uint64_t* All = Finished(Event);
    const std::uint64_t* Here = Ending(Event);
    ForBits(Here, nullptr, Words, [&](std::size_t b) { List.push_back({Keys[b], false}); });
    ForBits(All, Here, Words, [&](std::size_t b) { List.push_back({Keys[b], true}); });
    return List;
}
