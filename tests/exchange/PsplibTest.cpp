// Single-mode PSPLIB instances.

#include "ExchangeTestSupport.h"

#include "exchange/Psplib.h"
#include "model/Levelling.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"

namespace {

TEST(Psplib, JobsBetweenSourceAndSinkBecomeWorksAndZeroJobsMilestones) {
    std::string Error;
    const auto Plan = ReadPsplib(SampleBytes("instance.sm"), "instance.sm", Error);
    ASSERT_TRUE(Plan) << Error;
    // Job 5 takes no time: job 7 waits for jobs 2 and 3 through it.
    EXPECT_EQ(Describe(*Plan),
              (std::vector<std::string>{"Работа 2 3 <-", "Работа 3 5 <-", "Работа 4 2 <-",
                                        "Работа 6 4 <- 2", "Работа 7 6 <- 1 2 3"}));
    ASSERT_EQ(Plan->Warnings.size(), 1u);
    EXPECT_NE(Plan->Warnings[0].find("работа 5"), std::string::npos);
}

TEST(Psplib, RenewableResourcesAndRequestsBecomeResourcesAndDemands) {
    std::string Error;
    auto Plan = ReadPsplib(SampleBytes("instance.sm"), "instance.sm", Error);
    ASSERT_TRUE(Plan) << Error;
    ASSERT_EQ(Plan->Resources, (std::vector<TResource>{{"R 1", "", 5}, {"R 2", "", 4}}));
    // Job 4 (the third work) asks for 3 and 1; job 3 for none of R 1.
    EXPECT_EQ(Plan->Works[2].Demands.Of(0), 3);
    EXPECT_EQ(Plan->Works[2].Demands.Of(1), 1);
    EXPECT_EQ(Plan->Works[1].Demands.Items().size(), 1u);

    // The published instance j301_1, levelled to its published optimum.
    std::ifstream In(KORVANT_MODEL_DATA "/j301_1.sm", std::ios::binary);
    std::stringstream Bytes;
    Bytes << In.rdbuf();
    Plan = ReadPsplib(Bytes.str(), "j301_1.sm", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Plan->Resources.size(), 4u);
    EXPECT_EQ(Plan->Resources[2].Availability, 4);
    EXPECT_EQ(Plan->Works[1].Demands.Of(0), 10); // job 3
    TWorkList List;
    FillWorkList(List, std::move(*Plan));
    ASSERT_EQ(List.Resources().size(), 4u);
    std::vector<TDemands> Demands;
    for (int i = 0; i < List.Count(); ++i)
        Demands.push_back(List.GetWork(i).Demands);
    EXPECT_EQ(Level(LevellingProblemOf(List, List.Resources(), Demands)).Duration, 43);
}

TEST(Psplib, NonRenewableResourcesArePassedOverWithAWarningAndBadCountsRefused) {
    std::string Sound = SampleBytes("instance.sm");
    std::string Mixed = Sound;
    const std::string None = "nonrenewable              :  0";
    Mixed.replace(Mixed.find(None), None.size(), "nonrenewable              :  1");
    // Every request line gains a column for the non-renewable resource.
    for (std::size_t At = Mixed.find("  1      1     0       0    0");
         At != std::string::npos && Mixed[At] != '*'; At = Mixed.find('\n', At) + 1)
        Mixed.insert(Mixed.find('\n', At), "    7");
    std::string Error;
    const auto Plan = ReadPsplib(Mixed, "mixed.sm", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Plan->Resources.size(), 2u);
    EXPECT_EQ(Plan->Works[2].Demands.Of(1), 1);
    ASSERT_EQ(Plan->Warnings.size(), 2u);
    EXPECT_NE(Plan->Warnings[0].find("невозобновляемые"), std::string::npos);

    std::string Negative = Sound;
    Negative.replace(Negative.find("  4      1     2       3    1"), 29,
                     "  4      1     2      -3    1");
    EXPECT_NE(Refusal(ReadPsplib, Negative).find("работа 4: потребность в ресурсе R 1"),
              std::string::npos);
    std::string Short = Sound;
    Short.replace(Short.find("    5    4"), 10, "    5");
    EXPECT_NE(Refusal(ReadPsplib, Short).find("RESOURCEAVAILABILITIES"), std::string::npos);
}

TEST(Psplib, InstancesMissingASectionOrCutShortAreRefused) {
    const std::string Sound = SampleBytes("instance.sm");
    const auto Without = [&](const std::string& From, const std::string& To) {
        const std::size_t a = Sound.find(From);
        return Sound.substr(0, a) + Sound.substr(To.empty() ? Sound.size() : Sound.find(To, a));
    };
    const struct {
        std::string Bytes;
        std::string Why;
    } Cases[] = {
        {"", "нет строки «jobs (incl. supersource/sink ):»"},
        {Without("PRECEDENCE", "REQUESTS"), "нет раздела «PRECEDENCE RELATIONS:»"},
        {Without("REQUESTS", ""), "нет раздела «REQUESTS/DURATIONS:»"},
        {Sound.substr(0, Sound.find("  6      1     4")),
         "«REQUESTS/DURATIONS:» обрывается до работы 6"},
        {Without("   5        1          1           7", "   6        1"),
         "«PRECEDENCE RELATIONS:» строка 23: ждали строку работы 5"},
        {Without("   2        1          1           5\n", "   3        1"),
         "ждали строку работы 2"},
    };
    for (const auto& Case : Cases) {
        const std::string Error = Refusal(ReadPsplib, Case.Bytes);
        EXPECT_NE(Error.find(Case.Why), std::string::npos) << Error;
    }
    std::string Far = Sound;
    Far.replace(Far.find("           5   6"), 16, "           5  66");
    EXPECT_NE(Refusal(ReadPsplib, Far).find("работа 3: нет работы 66"), std::string::npos);
}

TEST(Psplib, MoreJobsThatTakeTimeThanASchemeTakesAreRefusedWithTheCount) {
    // A chain of jobs; with zero durations they are milestones, not works.
    const auto Chain = [](int Jobs, int Duration) {
        std::string s = "jobs (incl. supersource/sink ):  " + std::to_string(Jobs) +
                        "\nPRECEDENCE RELATIONS:\n";
        for (int j = 1; j <= Jobs; ++j)
            s += std::to_string(j) + " 1 " + (j < Jobs ? "1 " + std::to_string(j + 1) : "0") + "\n";
        s += "REQUESTS/DURATIONS:\n";
        for (int j = 1; j <= Jobs; ++j)
            s += std::to_string(j) + " 1 " + std::to_string(j == 1 || j == Jobs ? 0 : Duration) +
                 "\n";
        return s;
    };
    EXPECT_EQ(Refusal(ReadPsplib, Chain(MaxWorks + 3, 1)), "bad: " + TooMany);
    std::string Error;
    const auto Milestones = ReadPsplib(Chain(MaxWorks + 3, 0), "m", Error);
    ASSERT_TRUE(Milestones) << Error;
    EXPECT_TRUE(Milestones->Works.empty());
}

} // namespace
