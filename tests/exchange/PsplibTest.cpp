// Single-mode PSPLIB instances.

#include "ExchangeTestSupport.h"

#include "exchange/Psplib.h"
#include "model/SchemeFile.h"

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
