#include "NetworkTestSupport.h"

#include <sstream>

namespace NetworkTest {

std::unique_ptr<TWorkList> MakeList(const TScheme& Scheme) {
    auto List = std::make_unique<TWorkList>();
    for (std::size_t i = 0; i < Scheme.Durations.size(); ++i) {
        TWorkData W;
        W.Name = "W" + std::to_string(i);
        W.Duration = Scheme.Durations[i];
        List->AddWork(W, true);
    }
    for (std::size_t i = 0; i < Scheme.Deps.size(); ++i)
        for (const int j : Scheme.Deps[i])
            List->GetWork(static_cast<int>(i)).Links[static_cast<std::size_t>(j)] = LinkDirect;
    List->Changed(0, ckScheme);
    return List;
}

TScheme RandomScheme(std::mt19937& Random, int MaxWorks, double Density, bool Fractional) {
    std::uniform_int_distribution<int> Size(2, MaxWorks);
    std::uniform_int_distribution<int> Duration(1, 9);
    std::bernoulli_distribution Edge(Density);
    TScheme S;
    const int n = Size(Random);
    S.Deps.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        TReal d = Duration(Random);
        if (Fractional)
            d = d / 10 + static_cast<TReal>(Duration(Random)) / 7;
        S.Durations.push_back(d);
        for (int j = 0; j < i; ++j)
            if (Edge(Random))
                S.Deps[static_cast<std::size_t>(i)].push_back(j);
    }
    return S;
}

std::string Describe(const TScheme& Scheme) {
    std::ostringstream Text;
    for (std::size_t i = 0; i < Scheme.Durations.size(); ++i) {
        Text << i << '(' << static_cast<double>(Scheme.Durations[i]) << "):";
        for (const int j : Scheme.Deps[i])
            Text << ' ' << j;
        Text << "; ";
    }
    return Text.str();
}

const TLinkNode& NodeOf(const TCircuitEngine& Engine, THandle h) {
    return Engine.Circuit->Get(h);
}

const TLinkData& DataOf(const TCircuitEngine& Engine, THandle h) {
    return *Engine.Circuit->Get(h).Data;
}

std::vector<std::int32_t> Keys(const TMultitude& Set) {
    std::vector<std::int32_t> Result;
    for (const TMultitudeElement& m : Set)
        Result.push_back(m.Key);
    return Result;
}

std::vector<std::pair<std::int32_t, std::int32_t>> Pairs(const TMultitude& Set) {
    std::vector<std::pair<std::int32_t, std::int32_t>> Result;
    for (const TMultitudeElement& m : Set)
        Result.emplace_back(m.Key, m.Value);
    return Result;
}

bool IsEvent(const TLinkNode& N) {
    return N.TypeID == TypePiA || N.TypeID == TypeW;
}

std::vector<THandle> Events(const TCircuitEngine& Engine) {
    std::vector<THandle> Result;
    for (const THandle h : NodeOf(Engine, Engine.GethALL(TypeAllRoot)).OutLinks)
        if (IsEvent(NodeOf(Engine, h)))
            Result.push_back(h);
    return Result;
}

THandle TailOfWork(const TCircuitEngine& Engine, int k) {
    for (const THandle e : Events(Engine))
        if (DataOf(Engine, e).Arcs->HasKey(k))
            return e;
    return 0;
}

THandle HeadOfWork(const TCircuitEngine& Engine, int k) {
    const THandle Tail = TailOfWork(Engine, k);
    if (Tail == 0)
        return 0;
    const TMultitude& Arcs = *DataOf(Engine, Tail).Arcs;
    return static_cast<THandle>(Arcs[Arcs.KeyPosition(k)].Value);
}

THandNetwork::THandNetwork(TCircuitEngine& AEngine) : Engine(AEngine) {
    Engine.CreateRoots();
}

THandle THandNetwork::Event(std::int32_t TypeID) {
    TLinkNode N;
    N.TypeID = TypeID;
    N.Data = std::make_unique<TLinkData>();
    TLinkData& D = *N.Data;
    for (auto* Set : {&D.Mul1, &D.Mul4, &D.FictIn, &D.FictOut, &D.Arcs, &D.CritOut})
        *Set = std::make_unique<TMultitude>();
    if (TypeID == TypePiA)
        D.Mul2 = std::make_unique<TMultitude>();
    else {
        D.Mul3 = std::make_unique<TMultitude>();
        D.Mul3->Compare = CompareValues;
    }
    const THandle h = Engine.Circuit->AddObject(std::move(N));
    Engine.Circuit->AddReference(TypeID == TypePiA ? 2 : 3, h);
    Engine.Circuit->AddReference(1, h);
    return h;
}

void THandNetwork::Link(THandle From, THandle To) {
    Engine.Circuit->AddReference(From, To);
    Engine.Circuit->Get(To).Data->Mul4->AddKey(static_cast<std::int32_t>(From));
}

void THandNetwork::Real(THandle From, THandle To, int Work, TReal Weight) {
    Link(From, To);
    Engine.Circuit->Get(From).Data->Arcs->Add(
        TMultitudeElement(Work, static_cast<std::int32_t>(To), Weight));
}

void THandNetwork::Fictive(THandle From, THandle To) {
    Link(From, To);
    Engine.Circuit->Get(From).Data->FictOut->AddKey(static_cast<std::int32_t>(To));
    Engine.Circuit->Get(To).Data->FictIn->AddKey(static_cast<std::int32_t>(From));
}

} // namespace NetworkTest
