// Crossing reduction: improves the rows of every level by pairwise swaps, so
// that fewer segments of the diagram cross, more of them run straight and
// they are shorter (the rule is SwapRule, network/SwapRule.h). The levels are
// taken in order, several passes over all of them; inside a level every pair
// of members is decided, each member with the later ones from the last up.
//
// The gains are those of SwapRule in closed form over the neighbour rows of
// the two members (n = count, S = sum, cnt(x) = how many rows equal x, D = the
// sum of sign(c - e)):
//   crossing = D(U, V), negated when b < a;
//   straight = -nV cntU(a) - nU cntV(b) + nU cntV(a) + nV cntU(b);
//   distance = 2 (a - b) (nU SV - nV SU), the squares cancelling.
// All of it is exact integer arithmetic, so every decision, and with it every
// row, is the one SwapRule gives. The sums D do not depend on this level's
// rows, so they are known before its pairs are decided; the pairs of one
// member u are decided from the last member up, and as only a swap changes
// u's row, the pairs down to the next one that may swap are passed over in
// groups (sixteen or eight at a time in 16 bits, four in 32; SwapKernels.h).

#include "network/CircuitEngine.h"

#include "network/SwapKernels.h"
#include "network/SwapRule.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>

using namespace SwapKernels;

namespace {

// Rows fit in 16 bits while the sums stay below this.
constexpr int ShortBound = TMemberRows16::Filler - 8;

std::atomic<bool> ShortRowsAllowed{true};

} // namespace

// The steps of ReduceCrossings: Init indexes the store once, Run makes the
// passes, each level prepared by BeginLevel and decided by ReduceLevel, and
// Cleanup writes the rows back.
class TCrossingReduction {
public:
    explicit TCrossingReduction(TCircuitEngine& AEngine) : Engine(AEngine) {}
    void Init();
    void Run(int Passes);
    void Cleanup();
    std::vector<std::size_t> LevelSizes() const {
        std::vector<std::size_t> Sizes;
        for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l)
            Sizes.push_back(LevelBegin[l + 1] - LevelBegin[l]);
        return Sizes;
    }

private:
    TCircuitEngine& Engine;
    THandleArray LevelList;
    TNeighbours N;
    std::vector<std::int32_t> IndexOf;
    std::vector<std::size_t> LevelBegin;
    std::vector<int> LevelRow;
    std::size_t MemberCount = 0;
    bool RowsFitShort = false;
    // What stays fixed through the passes: the members' counts and level
    // flags, which of them are wide, which narrow ones lack a row on a side.
    TMemberRows MR;
    std::vector<std::uint32_t> OutAt, InAt;
    std::vector<std::int16_t> NarrowMask;
    std::vector<std::int32_t> WideOf;
    std::vector<std::size_t> WidePositions, WideBegin{0}, IrregularPositions, IrregularBegin{0};
    std::vector<std::uint8_t> AllHaveLevel, ShortLevel;
    TMemberRows16 MR16;
    std::vector<std::int16_t> Special16;
    TLastCandidate16 NextCandidate = nullptr;

    // The level being decided: its first index, member count, level row,
    // rows, whether it is decided in 16 bits, and its views.
    std::size_t Base = 0;
    std::size_t m = 0;
    int M = 0;
    int* Rows = nullptr;
    bool Short = false;
    TLevelRows L;
    TLevelRows16 L16;
    std::vector<int> T;
    std::vector<std::int16_t> T16, Out16, In16;

    std::int32_t IndexOfHandle(THandle h);
    void IndexMembers();
    void ClassifyMembers();
    void PrepareShort();
    void BeginLevel(std::size_t l);
    void GatherWide();
    void WideColumns();
    void ReduceLevel();
    void NarrowPairs16(std::size_t j);
    void WidePairs16(std::size_t j, std::span<const int> UO, std::span<const int> UI);
    void MemberPairs(std::size_t j);

    // How many rows of member x equal r, on either side.
    long long CountOut(std::size_t x, int r) const {
        if (L.WideOf[x] < 0)
            return L.OutLo[x] == r;
        return std::ranges::count(L.OutRows(static_cast<std::size_t>(L.WideOf[x])), r);
    }
    long long CountIn(std::size_t x, int r) const {
        const long long n = L.HasLevel[x] && M == r;
        if (L.WideOf[x] < 0)
            return n + (L.InLo[x] == r);
        return n + std::ranges::count(L.InRows(static_cast<std::size_t>(L.WideOf[x])), r);
    }
    // The sums of member x's rows, M counted on the in-side.
    long long SumOut(std::size_t x) const {
        if (const std::int32_t w = L.WideOf[x]; w >= 0)
            return L.WideOutSum[static_cast<std::size_t>(w)];
        return L.OutLo[x] != MissingLo ? L.OutLo[x] : 0;
    }
    long long SumIn(std::size_t x) const {
        if (const std::int32_t w = L.WideOf[x]; w >= 0)
            return L.WideInSum[static_cast<std::size_t>(w)];
        return (L.InLo[x] != MissingLo ? L.InLo[x] : 0) + (L.HasLevel[x] ? M : 0);
    }
    bool Swaps(std::size_t j, std::size_t q, int a, int b, int Sum) const;
    bool NarrowSwaps(std::size_t j, std::size_t q, int a, int b) const;
    int NarrowAgainst(std::size_t j, std::size_t k) const;
    void SwapRows(std::size_t j, std::size_t q, int a, int b);
};

std::int32_t TCrossingReduction::IndexOfHandle(THandle h) {
    if (IndexOf[h] < 0) {
        TLinkNode& Object = Engine.Node(h);
        // Roots carry no data block and never count.
        if (!Object.Data)
            return -1;
        IndexOf[h] = static_cast<std::int32_t>(N.Y.size());
        N.Y.push_back(Object.Data->Y);
        N.Block.push_back(Object.Data.get());
    }
    return IndexOf[h];
}

void TCrossingReduction::IndexMembers() {
    LevelList = Engine.Out(Engine.GethALL(TypeLevelsRoot));
    IndexOf.assign(static_cast<std::size_t>(Engine.Circuit->LastHandle) + 1, -1);
    for (const THandle Level : LevelList) {
        LevelBegin.push_back(N.Y.size());
        LevelRow.push_back(Engine.Data(Level).Y);
        for (const THandle x : Engine.Out(Level))
            IndexOfHandle(x);
    }
    MemberCount = N.Y.size();
    LevelBegin.push_back(MemberCount);
    N.HasLevel.assign(MemberCount, 0);
    for (const THandle Level : LevelList)
        for (const THandle x : Engine.Out(Level)) {
            const TLinkNode& Object = Engine.Node(x);
            for (const THandle y : Object.OutLinks)
                if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    N.OutN.push_back(i);
            for (const THandle y : Object.InLinks)
                if (y == Level)
                    N.HasLevel[static_cast<std::size_t>(IndexOf[x])] = 1;
                else if (const std::int32_t i = IndexOfHandle(y); i >= 0)
                    N.InN.push_back(i);
            N.OutBegin.push_back(static_cast<std::uint32_t>(N.OutN.size()));
            N.InBegin.push_back(static_cast<std::uint32_t>(N.InN.size()));
            const std::size_t Me = N.OutBegin.size() - 2;
            const auto Outs = N.OutOf(Me);
            const auto Ins = N.InOf(Me);
            const bool Narrow = Outs.size() <= 1 && Ins.size() <= 1;
            N.OutOne.push_back(!Narrow ? TNeighbours::NotNarrow : Outs.empty() ? -1 : Outs[0]);
            N.InOne.push_back(!Narrow || Ins.empty() ? -1 : Ins[0]);
        }
    // Rows fit in 16 bits when no level has as many members.
    std::size_t Largest = 0;
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l)
        Largest = std::max(Largest, LevelBegin[l + 1] - LevelBegin[l]);
    RowsFitShort = Largest < static_cast<std::size_t>(TMemberRows16::Filler) &&
                   ShortRowsAllowed.load(std::memory_order_relaxed);
}

void TCrossingReduction::ClassifyMembers() {
    // Where a member's single neighbours are found: their index, or an
    // entry Missing.
    const auto Missing = static_cast<std::uint32_t>(N.Y.size());
    N.Y.push_back(MissingLo);
    const std::size_t Padded = MemberCount + Group;
    for (auto* V : {&MR.OutLo, &MR.InLo})
        V->assign(Padded, MissingLo);
    for (auto* V : {&MR.OutHi, &MR.InHi})
        V->assign(Padded, MissingHi);
    for (auto* V : {&MR.HasLevel, &MR.G, &MR.OutCount, &MR.InCount})
        V->assign(Padded, 0);
    OutAt.assign(MemberCount, Missing);
    InAt.assign(MemberCount, Missing);
    NarrowMask.assign(MemberCount, 0);
    WideOf.assign(MemberCount, -1);
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        const std::size_t First = LevelBegin[l];
        bool All = true;
        std::int32_t w = 0;
        for (std::size_t Me = First; Me < LevelBegin[l + 1]; ++Me) {
            const int HasLevel = N.HasLevel[Me];
            MR.HasLevel[Me] = HasLevel;
            All = All && HasLevel;
            if (const std::int32_t OutOne = N.OutOne[Me]; OutOne != TNeighbours::NotNarrow) {
                const std::int32_t InOne = N.InOne[Me];
                MR.OutCount[Me] = OutOne >= 0;
                MR.InCount[Me] = (InOne >= 0) + HasLevel;
                if (OutOne >= 0)
                    OutAt[Me] = static_cast<std::uint32_t>(OutOne);
                if (InOne >= 0)
                    InAt[Me] = static_cast<std::uint32_t>(InOne);
                NarrowMask[Me] = -1;
                if (OutOne < 0 || InOne < 0)
                    IrregularPositions.push_back(Me - First);
            } else {
                MR.OutCount[Me] = static_cast<int>(N.OutOf(Me).size());
                MR.InCount[Me] = static_cast<int>(N.InOf(Me).size()) + HasLevel;
                WideOf[Me] = w++;
                WidePositions.push_back(Me - First);
            }
        }
        AllHaveLevel.push_back(All);
        WideBegin.push_back(WidePositions.size());
        IrregularBegin.push_back(IrregularPositions.size());
    }
}

void TCrossingReduction::PrepareShort() {
    // A level's sign sums fit in 16 bits when they stay below ShortBound:
    // a narrow member's level term is at most 1 and its sums against the
    // other narrow members at most 2 in size; a wide member's level term is
    // at most its in-link count, and a narrow member's sum against it at
    // most its link count.
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        std::size_t Links = 0;
        for (std::size_t w = WideBegin[l]; w < WideBegin[l + 1]; ++w) {
            const std::size_t x = LevelBegin[l] + WidePositions[w];
            Links = std::max(Links, N.OutOf(x).size() + N.InOf(x).size());
        }
        ShortLevel.push_back(2 * Links + 4 < static_cast<std::size_t>(ShortBound));
    }
    MR16.Resize(MemberCount);
    Special16.assign(TMemberRows16::Front + MemberCount + TMemberRows16::Front, 0);
    for (std::size_t l = 0; l + 1 < LevelBegin.size(); ++l) {
        for (std::size_t w = WideBegin[l]; w < WideBegin[l + 1]; ++w)
            Special16[TMemberRows16::Front + LevelBegin[l] + WidePositions[w]] = -1;
        for (std::size_t x = IrregularBegin[l]; x < IrregularBegin[l + 1]; ++x)
            Special16[TMemberRows16::Front + LevelBegin[l] + IrregularPositions[x]] = -1;
    }
    for (std::size_t y = 0; y < MemberCount; ++y)
        *TMemberRows16::At(MR16.R, y) = static_cast<std::int16_t>(N.Y[y]);
}

void TCrossingReduction::Init() {
    IndexMembers();
    ClassifyMembers();
    PrepareShort();
    NextCandidate = ChooseLastCandidate16();
}

void TCrossingReduction::Run(int Passes) {
    for (int Pass = 0; Pass < Passes; ++Pass)
        for (std::size_t l = 0; l < LevelList.size(); ++l) {
            // A superseded analysis stops here; the store it leaves is
            // thrown away with it.
            if (l % 64 == 0)
                Engine.Checkpoint();
            if (LevelBegin[l + 1] - LevelBegin[l] < 2)
                continue;
            BeginLevel(l);
            ReduceLevel();
        }
}

void TCrossingReduction::Cleanup() {
    for (std::size_t i = 0; i < MemberCount; ++i)
        N.Block[i]->Y = N.Y[i];
}

void TCrossingReduction::BeginLevel(std::size_t l) {
    Base = LevelBegin[l];
    m = LevelBegin[l + 1] - Base;
    M = LevelRow[l];
    Rows = N.Y.data() + Base;
    L.OutLo = MR.OutLo.data() + Base;
    L.OutHi = MR.OutHi.data() + Base;
    L.InLo = MR.InLo.data() + Base;
    L.InHi = MR.InHi.data() + Base;
    L.HasLevel = MR.HasLevel.data() + Base;
    L.OutCount = MR.OutCount.data() + Base;
    L.InCount = MR.InCount.data() + Base;
    L.G = MR.G.data() + Base;
    L.AllHaveLevel = AllHaveLevel[l];
    L.Wide = {WidePositions.data() + WideBegin[l], WidePositions.data() + WideBegin[l + 1]};
    L.WideOf = WideOf.data() + Base;
    // Rows fit in 16 bits, and so do the sums, bounded by the wide members'
    // link counts: the narrow members are decided eight or sixteen pairs at
    // a time.
    Short = L.AllHaveLevel && RowsFitShort && ShortLevel[l];
    // The narrow members' rows, read again.
    GatherRows(N.Y.data(), OutAt.data(), InAt.data(), NarrowMask.data(), M, Base, Base + m,
               MR.OutLo.data(), MR.OutHi.data(), MR.InLo.data(), MR.InHi.data(), MR.G.data(), Short,
               TMemberRows16::At(MR16.O, 0), TMemberRows16::At(MR16.I, 0),
               TMemberRows16::At(MR16.GT, 0), TMemberRows16::At(MR16.F, 0));
    GatherWide();
    WideColumns();
    T.resize(m + Group);
    if (Short) {
        L16.O = TMemberRows16::At(MR16.O, Base);
        L16.I = TMemberRows16::At(MR16.I, Base);
        L16.GT = TMemberRows16::At(MR16.GT, Base);
        L16.R = TMemberRows16::At(MR16.R, Base);
        L16.F = TMemberRows16::At(MR16.F, Base);
        L16.Special = Special16.data() + TMemberRows16::Front + Base;
        L16.Irregular = {IrregularPositions.data() + IrregularBegin[l],
                         IrregularPositions.data() + IrregularBegin[l + 1]};
    }
}

// The wide members' rows, level terms and sums.
void TCrossingReduction::GatherWide() {
    L.WideRows.clear();
    L.RowsBegin.assign(1, 0);
    L.WideOutSum.clear();
    L.WideInSum.clear();
    for (const std::size_t x : L.Wide) {
        int g = 0;
        long long OutSum = 0;
        long long InSum = L.HasLevel[x] ? M : 0;
        for (const std::int32_t i : N.OutOf(Base + x)) {
            L.WideRows.push_back(N.Y[static_cast<std::size_t>(i)]);
            OutSum += L.WideRows.back();
        }
        L.RowsBegin.push_back(L.WideRows.size());
        for (const std::int32_t i : N.InOf(Base + x)) {
            L.WideRows.push_back(N.Y[static_cast<std::size_t>(i)]);
            g += Sgn(L.WideRows.back(), M);
            InSum += L.WideRows.back();
        }
        L.RowsBegin.push_back(L.WideRows.size());
        L.G[x] = g;
        L.WideOutSum.push_back(OutSum);
        L.WideInSum.push_back(InSum);
    }
}

// The narrow members before each wide one, against it: as sign sums Col, or
// in a 16-bit level as the terms WideGT that the groups of sixteen take.
void TCrossingReduction::WideColumns() {
    L.Col.clear();
    L.ColBegin.clear();
    std::size_t Columns = 0;
    for (const std::size_t k : L.Wide) {
        L.ColBegin.push_back(Columns);
        Columns += k;
    }
    if (Short) {
        L16.WideGT.resize(Columns);
        for (std::size_t w = 0; w < L.Wide.size(); ++w)
            WideTerms16(TMemberRows16::At(MR16.O, Base), TMemberRows16::At(MR16.I, Base),
                        L.Wide[w], L.OutRows(w), L.InRows(w), L.G[L.Wide[w]],
                        L16.WideGT.data() + L.ColBegin[w]);
        return;
    }
    L.Col.assign(Columns, 0);
    for (std::size_t w = 0; w < L.Wide.size(); ++w) {
        const std::size_t k = L.Wide[w];
        int* C = L.Col.data() + L.ColBegin[w];
        for (const int e : L.OutRows(w))
            AddColumnSigns(e, L.OutLo, L.OutHi, k, C);
        for (const int e : L.InRows(w))
            AddColumnSigns(e, L.InLo, L.InHi, k, C);
    }
}

// Equals SwapRule(a, b, u, v) for u at position j with row a and v at q
// with row b, given the sign sum Sum = D(U, V) of the pair.
bool TCrossingReduction::Swaps(std::size_t j, std::size_t q, int a, int b, int Sum) const {
    if (Sum != 0)
        return (b > a) == (Sum > 0);
    const long long nUO = L.OutCount[j];
    const long long nUI = L.InCount[j];
    const long long nVO = L.OutCount[q];
    const long long nVI = L.InCount[q];
    const long long Straight = -nVO * CountOut(j, a) - nUO * CountOut(q, b) +
                               nUO * CountOut(q, a) + nVO * CountOut(j, b) -
                               nVI * CountIn(j, a) - nUI * CountIn(q, b) + nUI * CountIn(q, a) +
                               nVI * CountIn(j, b);
    if (Straight != 0)
        return Straight > 0;
    const long long Distance =
        2 * static_cast<long long>(a - b) *
        (nUO * SumOut(q) - nVO * SumOut(j) + nUI * SumIn(q) - nVI * SumIn(j));
    return Distance > 0;
}

// Equals SwapRule(a, b, u, v) for two narrow members of a level where every
// member has its level object, read without the neighbour lists.
bool TCrossingReduction::NarrowSwaps(std::size_t j, std::size_t q, int a, int b) const {
    const int oU = L.OutLo[j];
    const int iU = L.InLo[j];
    const int oV = L.OutLo[q];
    const int iV = L.InLo[q];
    int Sum = L.G[j] - L.G[q];
    if (oU != MissingLo)
        Sum += (oU > oV) - (oU < L.OutHi[q]);
    if (iU != MissingLo)
        Sum += (iU > iV) - (iU < L.InHi[q]);
    if (Sum != 0)
        return (b > a) == (Sum > 0);
    const int nUO = oU != MissingLo;
    const int nUI = (iU != MissingLo) + 1;
    const int nVO = oV != MissingLo;
    const int nVI = (iV != MissingLo) + 1;
    // The level object's row M is on the in-side of both.
    const int Straight = -nVO * (oU == a) - nUO * (oV == b) + nUO * (oV == a) + nVO * (oU == b) -
                         nVI * ((iU == a) + (M == a)) - nUI * ((iV == b) + (M == b)) +
                         nUI * ((iV == a) + (M == a)) + nVI * ((iU == b) + (M == b));
    if (Straight != 0)
        return Straight > 0;
    const long long SUO = nUO ? oU : 0;
    const long long SVO = nVO ? oV : 0;
    const long long SUI = (iU != MissingLo ? iU : 0) + static_cast<long long>(M);
    const long long SVI = (iV != MissingLo ? iV : 0) + static_cast<long long>(M);
    const long long Distance =
        2 * static_cast<long long>(a - b) * (nUO * SVO - nVO * SUO + nUI * SVI - nVI * SUI);
    return Distance > 0;
}

// The sign sum D of the narrow member j against k, level terms included.
int TCrossingReduction::NarrowAgainst(std::size_t j, std::size_t k) const {
    const int o = L.OutLo[j];
    const int i = L.InLo[j];
    if (L.WideOf[k] >= 0) {
        const std::size_t At = L.ColBegin[static_cast<std::size_t>(L.WideOf[k])] + j;
        if (!Short)
            return L.Col[At] + L.G[j] - L.G[k];
        // WideGT = G(k) - Col - the rows j has.
        return L.G[j] - L16.WideGT[At] - (o != MissingLo) - (i != MissingLo);
    }
    int t = L.G[j] - L.G[k];
    if (o != MissingLo)
        t += (o > L.OutLo[k]) - (o < L.OutHi[k]);
    if (i != MissingLo)
        t += (i > L.InLo[k]) - (i < L.InHi[k]);
    return t;
}

// The members at j and q had the rows a and b and swap them; in a 16-bit
// level the rows there and the straight flags follow.
void TCrossingReduction::SwapRows(std::size_t j, std::size_t q, int a, int b) {
    std::swap(Rows[j], Rows[q]);
    if (!Short)
        return;
    L16.R[j] = static_cast<std::int16_t>(b);
    L16.R[q] = static_cast<std::int16_t>(a);
    if (L.WideOf[q] < 0)
        L16.F[q] = static_cast<std::int16_t>(TMemberRows16::Flags(L.OutLo[q], L.InLo[q], a));
}

// The loops run over list positions; only the rows move.
void TCrossingReduction::ReduceLevel() {
    for (std::size_t j = 0; j + 1 < m; ++j) {
        if (Short && L.WideOf[j] < 0) {
            NarrowPairs16(j);
            continue;
        }
        if (L.WideOf[j] >= 0 && Short) {
            const auto UO = L.OutRows(static_cast<std::size_t>(L.WideOf[j]));
            const auto UI = L.InRows(static_cast<std::size_t>(L.WideOf[j]));
            // A wide member of a 16-bit level whose sums fit as well.
            if (UO.size() + 2 * UI.size() < ShortBound) {
                WidePairs16(j, UO, UI);
                continue;
            }
        }
        MemberPairs(j);
    }
}

// The pairs of the narrow member j of a 16-bit level with the later members,
// eight or sixteen at a time.
void TCrossingReduction::NarrowPairs16(std::size_t j) {
    TNarrowMember U{L.OutLo[j], L.InLo[j], L.G[j], Rows[j]};
    // The groups count the signs against Filler for the members without a
    // row on a side; GT takes them back.
    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
        L16.GT[L.Wide[w]] = L16.WideGT[L.ColBegin[w] + j];
    // A member without a row on a side: the groups count u's signs against
    // Filler there, GT takes them back.
    for (auto x = L16.Irregular.size(); x-- > 0 && L16.Irregular[x] > j;) {
        const std::size_t k = L16.Irregular[x];
        const int Counted = (L.OutLo[k] == MissingLo && U.o != MissingLo ? -1 : 0) +
                            (L.InLo[k] == MissingLo && U.i != MissingLo ? -1 : 0);
        // T = the groups' signs + g - GT.
        L16.GT[k] = static_cast<std::int16_t>(Counted + L.G[k]);
    }
    for (std::size_t Top = m;;) {
        const std::size_t q = NextCandidate(L16, U, j + 1, Top);
        if (q == Top)
            break;
        Top = q;
        const int a = Rows[j];
        const int b = Rows[q];
        if (L.WideOf[q] < 0 ? NarrowSwaps(j, q, a, b) : Swaps(j, q, a, b, NarrowAgainst(j, q))) {
            SwapRows(j, q, a, b);
            U.a = b;
        }
    }
}

// The pairs of the wide member j with the later members, sixteen bits wide:
// the sign sums first, whose signs are all the rule takes from them, then
// the pairs that may swap.
void TCrossingReduction::WidePairs16(std::size_t j, std::span<const int> UO,
                                     std::span<const int> UI) {
    Out16.assign(UO.begin(), UO.end());
    In16.assign(UI.begin(), UI.end());
    T16.resize(TMemberRows16::Front + m + Group);
    std::int16_t* ST = T16.data() + TMemberRows16::Front;
    const auto Sign = [](int t) { return static_cast<std::int16_t>((t > 0) - (t < 0)); };
    for (auto x = L16.Irregular.size(); x-- > 0 && L16.Irregular[x] > j;) {
        const std::size_t k = L16.Irregular[x];
        int t = L.G[j] - L.G[k];
        for (const int c : UO)
            t += (c > L.OutLo[k]) - (c < L.OutHi[k]);
        for (const int c : UI)
            t += (c > L.InLo[k]) - (c < L.InHi[k]);
        ST[k] = Sign(t);
    }
    for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;) {
        const std::size_t k = L.Wide[w];
        ST[k] = Sign(SignSum(UO, L.OutRows(w)) + SignSum(UI, L.InRows(w)) + L.G[j] - L.G[k]);
    }
    for (std::size_t Top = m;;) {
        const int a = Rows[j];
        int Sum = 0;
        const std::size_t q = WideCandidate16(L16, Out16, In16, L.G[j], a, ST, j + 1, Top, Sum);
        if (q == Top)
            break;
        Top = q;
        const int b = Rows[q];
        if (Swaps(j, q, a, b, Sum))
            SwapRows(j, q, a, b);
    }
}

// The pairs of member j with the later members in 32 bits: the sign sums
// T[k] of all of them first, then the pairs that may swap.
void TCrossingReduction::MemberPairs(std::size_t j) {
    const int g = L.G[j];
    const int H = L.HasLevel[j];
    const auto LevelTerms = [&](std::size_t k) {
        return (L.HasLevel[k] ? g : 0) - (H ? L.G[k] : 0);
    };
    if (L.WideOf[j] < 0) {
        NarrowSigns(L, j + 1, m, L.OutLo[j], L.InLo[j], g, H, T.data());
        for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
            T[L.Wide[w]] = L.Col[L.ColBegin[w] + j] + LevelTerms(L.Wide[w]);
    } else {
        const auto UO = L.OutRows(static_cast<std::size_t>(L.WideOf[j]));
        const auto UI = L.InRows(static_cast<std::size_t>(L.WideOf[j]));
        NarrowSigns(L, j + 1, m, MissingLo, MissingLo, g, H, T.data());
        for (const int c : UO)
            AddRowSigns(c, L.OutLo, L.OutHi, j + 1, m, T.data());
        for (const int c : UI)
            AddRowSigns(c, L.InLo, L.InHi, j + 1, m, T.data());
        for (auto w = L.Wide.size(); w-- > 0 && L.Wide[w] > j;)
            T[L.Wide[w]] =
                SignSum(UO, L.OutRows(w)) + SignSum(UI, L.InRows(w)) + LevelTerms(L.Wide[w]);
    }
    // Pairs (j, k) from k = m - 1 down to j + 1; only the pairs that may swap
    // are looked at one by one.
    for (std::size_t Top = m;;) {
        const int a = Rows[j];
        const std::size_t q = LastCandidate(a, Rows, T.data(), j + 1, Top);
        if (q == Top)
            break;
        Top = q;
        const int b = Rows[q];
        if (Swaps(j, q, a, b, T[q]))
            SwapRows(j, q, a, b);
    }
}

// Equals ReduceCrossingsPairwise, row for row.
int TCircuitEngine::ReduceCrossings() {
    TCrossingReduction Reduction(*this);
    Reduction.Init();
    const int Passes = SwapPasses(Reduction.LevelSizes());
    Reduction.Run(Passes);
    Reduction.Cleanup();
    return Passes;
}

void TCircuitEngine::AllowWideVectors(bool Allow) {
    SwapKernels::AllowWideVectors(Allow);
}

void TCircuitEngine::AllowShortRows(bool Allow) {
    ShortRowsAllowed.store(Allow, std::memory_order_relaxed);
}
