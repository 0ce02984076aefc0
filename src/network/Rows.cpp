// Rows and numbers: places the network on the diagram's grid, column = level,
// row = Y. Every level's members start in their list order, the crossing
// reduction (CrossingReduction.cpp) then swaps rows, and the events are
// numbered in level order. The grid's pixel geometry is here too.

#include "network/CircuitEngine.h"

void TCircuitEngine::PlaceVertices() {
    InitRows();
    ReduceCrossings();
    NumberEvents();
}

void TCircuitEngine::InitRows() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    for (const THandle L : Out(Levels)) {
        const THandleArray& Members = Out(L);
        for (std::size_t j = 0; j < Members.size(); ++j)
            Data(Members[j]).Y = static_cast<std::int32_t>(j);
        Data(L).Y = static_cast<std::int32_t>(Members.size());
    }
}

// Numbers follow the levels and, inside a level, its list order, not the rows.
void TCircuitEngine::NumberEvents() {
    const THandle Levels = GethALL(TypeLevelsRoot);
    std::int32_t Counter = 1;
    THandle Level = 0;
    for (std::int32_t k = 1; FindLevel(Levels, k, Level); ++k)
        for (const THandle m : Out(Level)) {
            const std::int32_t Type = Node(m).TypeID;
            if (Type != TypeFictiveChain && Type != TypeRealChain)
                Data(m).Number = Counter++;
        }
}

int TCircuitEngine::XCoord(int t, int Kind) {
    switch (Kind) {
    case CoordNear:
        return GridStep * t - EventDiameter / 2;
    case CoordFar:
        return GridStep * t + EventDiameter / 2;
    case CoordCentre:
        return GridStep * t;
    default:
        return 0;
    }
}

int TCircuitEngine::YCoord(int r, int Kind) {
    switch (Kind) {
    case CoordNear:
        return GridStep * r + EventDiameter / 2;
    case CoordFar:
        return GridStep * r + EventDiameter / 2 + EventDiameter;
    case CoordCentre:
        return GridStep * r + EventDiameter;
    default:
        return EventDiameter / 2;
    }
}
