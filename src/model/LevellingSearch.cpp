// The genetic search: a seeded population of orders from the latest-finish
// rule and biased random sampling around it, then generations of two-point
// crossover, swap mutation and survival of the shortest, until the budget of
// generated schedules is spent or a schedule reaches the lower bound.

#include "model/LevellingSearch.h"

#include <algorithm>

namespace {

// One decoding and the two passes of the justification.
constexpr std::size_t SchedulesPerOrder = 3;

// Swaps of neighbours per position and generation.
constexpr double MutationRate = 0.05;

std::size_t PopulationFor(std::size_t Limit) {
    // About fifty generations of three schedules per child, within bounds
    // that keep the population varied and the generations many.
    return std::clamp<std::size_t>(Limit / 150, 16, 100);
}

} // namespace

TLevellingSearch::TLevellingSearch(const TLevellingNet& Net, std::size_t ScheduleLimit,
                                   std::uint64_t Seed, const std::atomic<bool>* Stop)
    : Net_(Net), Stop_(Stop), Limit_(std::max(ScheduleLimit, SchedulesPerOrder)),
      PopulationSize_(PopulationFor(ScheduleLimit)), Random_(Seed), Justification_(Net),
      Taken_(Net.N, 0) {}

bool TLevellingSearch::Done() const {
    return Generated() + SchedulesPerOrder > Limit_ || BestDuration_ <= Net_.LowerBound ||
           (Stop_ && Stop_->load(std::memory_order_relaxed) && !BestStart_.empty());
}

void TLevellingSearch::Run() {
    SeedPopulation();
    while (!Done()) {
        Breed();
        // Small networks soon breed only copies; fresh samples keep the
        // search going instead of letting the population die out.
        if (Population_.size() < std::max<std::size_t>(2, PopulationSize_ / 2))
            SeedPopulation();
    }
}

void TLevellingSearch::Evaluate(TIndividual& One) {
    const TReal Decoded = Justification_.Forward().Decode(One.List, Start_);
    One.Duration = Justification_.Improve(One.List, Start_, Decoded);
    if (One.Duration < BestDuration_) {
        BestDuration_ = One.Duration;
        BestStart_ = Start_;
    }
}

void TLevellingSearch::SeedPopulation() {
    if (Population_.empty()) {
        TIndividual First{PriorityList(Net_, Net_.LatestFinish), 0};
        Evaluate(First);
        Population_.push_back(std::move(First));
    }
    while (Population_.size() < PopulationSize_ && !Done()) {
        TIndividual One{SampledList(), 0};
        Evaluate(One);
        Population_.push_back(std::move(One));
    }
    std::stable_sort(
        Population_.begin(), Population_.end(),
        [](const TIndividual& a, const TIndividual& b) { return a.Duration < b.Duration; });
}

// Regret-based biased random sampling: an eligible work is picked with a
// chance that grows with how much later the latest eligible work may finish
// than this one, so urgent works come early but not always first.
std::vector<std::uint32_t> TLevellingSearch::SampledList() {
    TReal Unit = 0;
    for (TReal d : Net_.Duration)
        Unit += d;
    Unit = std::max<TReal>(Unit / static_cast<TReal>(std::max<std::size_t>(Net_.N, 1)) / 5, 1e-9L);

    std::vector<std::uint32_t> Pending(Net_.N);
    std::vector<std::uint32_t> Eligible;
    for (std::uint32_t j = 0; j < Net_.N; ++j) {
        Pending[j] = Net_.PredFrom[j + 1] - Net_.PredFrom[j];
        if (Pending[j] == 0)
            Eligible.push_back(j);
    }
    std::vector<std::uint32_t> List;
    List.reserve(Net_.N);
    std::vector<double> Weight;
    while (!Eligible.empty()) {
        TReal Latest = 0;
        for (std::uint32_t j : Eligible)
            Latest = std::max(Latest, Net_.LatestFinish[j]);
        Weight.resize(Eligible.size());
        double Sum = 0;
        for (std::size_t e = 0; e < Eligible.size(); ++e) {
            Weight[e] = static_cast<double>((Latest - Net_.LatestFinish[Eligible[e]]) / Unit + 1);
            Sum += Weight[e];
        }
        double Pick = Uniform() * Sum;
        std::size_t e = 0;
        while (e + 1 < Eligible.size() && Pick >= Weight[e])
            Pick -= Weight[e++];
        const std::uint32_t j = Eligible[e];
        Eligible.erase(Eligible.begin() + static_cast<std::ptrdiff_t>(e));
        List.push_back(j);
        for (std::uint32_t p = Net_.SuccFrom[j]; p < Net_.SuccFrom[j + 1]; ++p)
            if (--Pending[Net_.Succ[p]] == 0)
                Eligible.push_back(Net_.Succ[p]);
    }
    return List;
}

std::vector<std::uint32_t> TLevellingSearch::Cross(const std::vector<std::uint32_t>& Mother,
                                                   const std::vector<std::uint32_t>& Father,
                                                   std::size_t Head, std::size_t Middle) {
    // Each parent's order is precedence-feasible and every work is taken at
    // the first place one of them offers it, so the child's order is too.
    ++Stamp_;
    std::vector<std::uint32_t> Child;
    Child.reserve(Net_.N);
    auto TakeFrom = [&](const std::vector<std::uint32_t>& Parent, std::size_t Until) {
        for (std::size_t i = 0; i < Parent.size() && Child.size() < Until; ++i)
            if (Taken_[Parent[i]] != Stamp_) {
                Taken_[Parent[i]] = Stamp_;
                Child.push_back(Parent[i]);
            }
    };
    TakeFrom(Mother, Head);
    TakeFrom(Father, Middle);
    TakeFrom(Mother, Net_.N);
    return Child;
}

bool TLevellingSearch::Precedes(std::uint32_t a, std::uint32_t b) const {
    for (std::uint32_t p = Net_.PredFrom[b]; p < Net_.PredFrom[b + 1]; ++p)
        if (Net_.Pred[p] == a)
            return true;
    return false;
}

void TLevellingSearch::Mutate(std::vector<std::uint32_t>& List) {
    // Neighbours in a feasible order can only be tied by a direct
    // dependency: any chain between them would need a work in between.
    for (std::size_t i = 0; i + 1 < List.size(); ++i)
        if (Uniform() < MutationRate && !Precedes(List[i], List[i + 1]))
            std::swap(List[i], List[i + 1]);
}

void TLevellingSearch::Breed() {
    std::vector<std::size_t> Order(Population_.size());
    for (std::size_t i = 0; i < Order.size(); ++i)
        Order[i] = i;
    for (std::size_t i = Order.size(); i > 1; --i)
        std::swap(Order[i - 1], Order[Below(i)]);

    std::vector<TIndividual> Children;
    for (std::size_t i = 0; i + 1 < Order.size() && !Done(); i += 2) {
        const auto& Mother = Population_[Order[i]].List;
        const auto& Father = Population_[Order[i + 1]].List;
        std::size_t Head = Below(Net_.N + 1);
        std::size_t Middle = Below(Net_.N + 1);
        if (Head > Middle)
            std::swap(Head, Middle);
        for (int Side = 0; Side < 2 && !Done(); ++Side) {
            TIndividual Child{Side == 0 ? Cross(Mother, Father, Head, Middle)
                                        : Cross(Father, Mother, Head, Middle),
                              0};
            Mutate(Child.List);
            Evaluate(Child);
            Children.push_back(std::move(Child));
        }
    }
    Select(Children);
}

// The shortest of parents and children survive; a child that repeats a
// survivor exactly is dropped, since copies only crowd out variety.
void TLevellingSearch::Select(std::vector<TIndividual>& Children) {
    for (auto& Child : Children)
        Population_.push_back(std::move(Child));
    std::stable_sort(
        Population_.begin(), Population_.end(),
        [](const TIndividual& a, const TIndividual& b) { return a.Duration < b.Duration; });
    std::vector<TIndividual> Survivors;
    Survivors.reserve(PopulationSize_);
    for (auto& One : Population_) {
        if (Survivors.size() == PopulationSize_)
            break;
        const bool Copy =
            std::any_of(Survivors.begin(), Survivors.end(), [&](const TIndividual& s) {
                return s.Duration == One.Duration && s.List == One.List;
            });
        if (!Copy)
            Survivors.push_back(std::move(One));
    }
    Population_.swap(Survivors);
}
