#include "ConstructionExample.h"

#include "model/Levelling.h"
#include "model/Messenger.h"
#include "model/ResourceLoad.h"
#include "model/WorkList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class TRecorder : public TMessenger {
public:
    std::vector<std::string> Texts;
    void Notice(std::string_view Text) override { Texts.emplace_back(Text); }
    void FileError(std::string_view Text) override { Texts.emplace_back(Text); }
    bool Question(std::string_view) override { return false; }
};

TEST(ExampleScheme, TheBundledFileIsTheExampleAsItsSourceDescribesIt) {
    TRecorder Messages;
    TWorkList Loaded;
    Loaded.Messenger = &Messages;
    ASSERT_TRUE(Loaded.LoadFromFile(KORVANT_EXAMPLE_FILE)) << KORVANT_EXAMPLE_FILE;
    EXPECT_TRUE(Messages.Texts.empty());
    EXPECT_FALSE(Loaded.HasContour);

    TWorkList Source;
    FillConstructionExample(Source);
    ASSERT_EQ(Loaded.Count(), Source.Count());
    for (int i = 0; i < Source.Count(); ++i) {
        EXPECT_EQ(Loaded.GetWork(i).Name, Source.GetWork(i).Name) << i;
        EXPECT_EQ(Loaded.GetWork(i).Duration, Source.GetWork(i).Duration) << i;
        EXPECT_EQ(Loaded.GetWork(i).Links, Source.GetWork(i).Links) << i;
        EXPECT_EQ(Loaded.GetWork(i).Demands, Source.GetWork(i).Demands) << i;
    }
    EXPECT_EQ(Loaded.Resources(), Source.Resources());
}

TEST(ExampleScheme, LevellingRemovesTheOverAllocationOfTheEarlySchedule) {
    TWorkList List;
    FillConstructionExample(List);
    std::vector<TDemands> Demands;
    for (int i = 0; i < List.Count(); ++i)
        Demands.push_back(List.GetWork(i).Demands);
    const TLevellingProblem Problem = LevellingProblemOf(List, List.Resources(), Demands);
    const TLevelledSchedule Levelled = Level(Problem);
    ASSERT_TRUE(Levelled.Valid());
    // The peak of workers at the given starts, sampled at every start.
    const auto Peak = [&](const std::vector<TReal>& Start) {
        TReal Most = 0;
        for (const TReal At : Start) {
            TReal Busy = 0;
            for (std::size_t j = 0; j < Start.size(); ++j)
                if (Start[j] <= At && At < Start[j] + Problem.Durations[j])
                    Busy += Demands[j].Of(0);
            Most = std::max(Most, Busy);
        }
        return Most;
    };
    std::vector<TReal> Early(Problem.Durations.size());
    for (std::size_t j = 0; j < Early.size(); ++j)
        for (const std::size_t p : Problem.Predecessors[j])
            Early[j] = std::max(Early[j], Early[p] + Problem.Durations[p]);
    EXPECT_GT(Peak(Early), 8);
    EXPECT_LE(Peak(Levelled.Start), 8);
    EXPECT_GT(Levelled.Duration, Levelled.CriticalPathLength);
    // The load chart's profile tells the same: workers over-allocated early,
    // no resource levelled.
    std::vector<TReal> EarlyFinish(Early.size());
    for (std::size_t j = 0; j < Early.size(); ++j)
        EarlyFinish[j] = Early[j] + Problem.Durations[j];
    const auto EarlyLoad = ResourceLoads(List.Resources(), Demands, Early, EarlyFinish);
    EXPECT_EQ(EarlyLoad[0].Peak, Peak(Early));
    EXPECT_FALSE(EarlyLoad[0].Over.empty());
    const auto LevelledLoad =
        ResourceLoads(List.Resources(), Demands, Levelled.Start, Levelled.Finish);
    EXPECT_EQ(LevelledLoad[0].Peak, Peak(Levelled.Start));
    for (const TResourceLoad& Load : LevelledLoad)
        EXPECT_TRUE(Load.Over.empty());
}

TEST(ExampleScheme, ShowsEveryKindOfCell) {
    TWorkList List;
    FillConstructionExample(List);
    EXPECT_FALSE(List.HasContour);
    std::vector<int> Seen(5, 0);
    for (int i = 0; i < List.Count(); ++i)
        for (std::int8_t Cell : List.GetWork(i).Links)
            ++Seen[static_cast<std::size_t>(Cell + 1)];
    for (int Kind = 0; Kind < 5; ++Kind)
        EXPECT_GT(Seen[static_cast<std::size_t>(Kind)], 0) << "cell value " << Kind - 1;
}

} // namespace
