#pragma once
// The works of the events as rows of bits, one bit a work (by its row in the
// work graph): what a start event waits for, which works end at an end
// event, and every work finished by it, the ones ending there marked apart.
//
// Construction unites these sets at every merge and glue. As lists of
// members they grow with the square of the works (a 10,000-work scheme's
// end events hold about fifty million members, most of the network's
// memory) and every union copies one; as bits a union is a few hundred word
// operations. The store's own sets (Mul1, Mul3) are made besides only where
// somebody reads the store: the debug window and the tests.

#include "core/LinkObject.h"

#include <cstdint>
#include <vector>

struct TViewEventWork;

class TEventWorks {
public:
    // No works, no events.
    TEventWorks() = default;
    // No events; bit b stands for the work of key Keys[b].
    explicit TEventWorks(std::vector<std::int32_t> Keys);
    std::size_t WordCount() const { return Words; }
    // The bit of a work's key; -1 for a key of no work.
    int BitOf(std::int32_t Key) const;

    // Empty sets for a new event.
    void Add(THandle Event);
    bool Has(THandle Event) const;
    // Mul1: at a start event the works it waits for, at an end event the
    // works that end there.
    std::uint64_t* Waited(THandle Event) { return Row(Event, 0); }
    const std::uint64_t* Waited(THandle Event) const { return Row(Event, 0); }
    // Mul3 of an end event: the works finished by it, and among them those
    // that end there (mark 0).
    std::uint64_t* Finished(THandle Event) { return Row(Event, 1); }
    std::uint64_t* Ending(THandle Event) { return Row(Event, 2); }
    const std::uint64_t* Finished(THandle Event) const { return Row(Event, 1); }
    const std::uint64_t* Ending(THandle Event) const { return Row(Event, 2); }

    // The end event b falls into a: the works that end at either end at a;
    // b's finished works join a's with their marks unless a has them.
    void MergeEnds(THandle a, THandle b);
    // The end event a absorbs b's finished works, as MergeEnds does.
    void MergeFinished(THandle a, THandle b);
    // The end event a absorbs the start event b: the works b waits for
    // join a's finished works, finished earlier, unless a has them.
    void AddFinishedEarlier(THandle a, THandle b);

    bool WaitsForNone(THandle Event) const;
    bool Intersect(const std::uint64_t* A, const std::uint64_t* B) const;
    // The keys of a row's works, ascending.
    std::vector<std::int32_t> KeysOf(const std::uint64_t* Row) const;
    // The pop-up list of an event: at an end event the works ending there,
    // then those finished earlier; at a start event the works it waits for.
    std::vector<TViewEventWork> ListOf(THandle Event, bool End) const;

private:
    std::uint64_t* Row(THandle Event, int Which);
    const std::uint64_t* Row(THandle Event, int Which) const;

    std::vector<std::int32_t> Keys;
    std::vector<std::int32_t> Bits;
    std::size_t Words = 0;
    // Words of a row, at least one, so that every event has its own rows.
    std::size_t Stride = 1;
    // Slot + 1 by handle, 0 for a handle without sets; a slot is three rows.
    std::vector<std::uint32_t> SlotOf;
    std::vector<std::uint64_t> Rows;
};
