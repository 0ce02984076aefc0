// Links of every type with lags and leads become an arrow diagram whose
// early schedule is MS Project's: checked against MS Project's own rule for
// the early start, computed here over the tasks and links directly.

#include "ExchangeTestSupport.h"

#include "exchange/LinkConversion.h"
#include "exchange/MsProjectXml.h"
#include "model/Schedule.h"

#include <algorithm>
#include <random>

namespace {

// ES(B) = max(0, FS: EF(A)+lag, SS: ES(A)+lag, FF: EF(A)+lag-d(B),
// SF: ES(A)+lag-d(B)), tasks taken in index order (links go forward).
std::vector<TReal> MsProjectStarts(const TLinkedTasks& Tasks) {
    std::vector<TReal> Start(Tasks.Tasks.size(), 0);
    const auto d = [&](int k) { return Tasks.Tasks[static_cast<std::size_t>(k)].Duration; };
    for (std::size_t k = 0; k < Tasks.Tasks.size(); ++k)
        for (const auto& Link : Tasks.Links) {
            if (Link.After != static_cast<int>(k))
                continue;
            const TReal Es = Start[static_cast<std::size_t>(Link.Before)];
            const TReal Ef = Es + d(Link.Before);
            TReal Bound = 0;
            switch (Link.Type) {
            case TLinkType::FinishStart:
                Bound = Ef + Link.Lag;
                break;
            case TLinkType::StartStart:
                Bound = Es + Link.Lag;
                break;
            case TLinkType::FinishFinish:
                Bound = Ef + Link.Lag - d(Link.After);
                break;
            case TLinkType::StartFinish:
                Bound = Es + Link.Lag - d(Link.After);
                break;
            }
            Start[k] = std::max(Start[k], Bound);
        }
    return Start;
}

// Tasks "T0", "T1"... of whole and half days, a few of them milestones,
// linked forward with every type; lags and leads up to longer than a work,
// runs of start-to-start and finish-to-finish links among them.
TLinkedTasks RandomTasks(std::mt19937& Random) {
    TLinkedTasks Tasks;
    const int n = 2 + static_cast<int>(Random() % 30);
    for (int k = 0; k < n; ++k) {
        const std::string Name = "T" + std::to_string(k);
        if (Random() % 8 == 0)
            Tasks.AddPassage(Name, Name);
        else
            Tasks.AddWork(Name, static_cast<TReal>(1 + Random() % 12) / 2, Name);
    }
    const int Links = static_cast<int>(Random() % static_cast<unsigned>(2 * n + 1));
    const bool Runs = Random() % 3 == 0;
    for (int l = 0; l < Links; ++l) {
        const int After = 1 + static_cast<int>(Random() % static_cast<unsigned>(n - 1));
        const int Before =
            Runs ? After - 1 : static_cast<int>(Random() % static_cast<unsigned>(After));
        const auto Type = static_cast<TLinkType>(Runs ? 3 - 3 * (Random() % 2) : Random() % 4);
        const TReal Lag =
            Random() % 3 == 0 ? 0 : static_cast<TReal>(static_cast<int>(Random() % 25) - 14) / 2;
        Tasks.AddLink(Before, After, Type, Lag);
    }
    return Tasks;
}

std::string Show(const TLinkedTasks& Tasks) {
    std::string Out;
    for (const auto& Task : Tasks.Tasks)
        Out += Task.Name + " " + (Task.Work ? FormatReal(Task.Duration) : "веха") + "\n";
    for (const auto& Link : Tasks.Links)
        Out += "T" + std::to_string(Link.Before) + " -" +
               std::to_string(static_cast<int>(Link.Type)) + "-> T" + std::to_string(Link.After) +
               " " + FormatReal(Link.Lag) + "\n";
    return Out;
}

TSchedule ScheduleOf(TPlan Plan, TWorkList& List) {
    FillWorkList(List, std::move(Plan));
    return ComputeSchedule(List);
}

TEST(LinkConversion, EveryTaskStartsWhenMsProjectWouldStartItOnRandomPlans) {
    std::mt19937 Random(29);
    int Split = 0, Waited = 0;
    for (int Round = 0; Round < 400; ++Round) {
        const TLinkedTasks Tasks = RandomTasks(Random);
        std::string Error;
        auto Plan = ConvertLinks(Tasks).Build("x", Error);
        ASSERT_TRUE(Plan) << Error << "\n" << Show(Tasks);
        const std::vector<TReal> Expected = MsProjectStarts(Tasks);
        TReal Finish = 0;
        for (std::size_t k = 0; k < Expected.size(); ++k)
            Finish = std::max(Finish, Expected[k] + Tasks.Tasks[k].Duration);
        std::vector<std::string> Names;
        for (const TWorkData& Work : Plan->Works)
            Names.push_back(Work.Name);
        TWorkList List;
        const TSchedule Schedule = ScheduleOf(std::move(*Plan), List);
        ASSERT_TRUE(Schedule.Valid) << Show(Tasks);
        EXPECT_EQ(Schedule.ProjectDuration, Finish) << Show(Tasks);
        for (std::size_t k = 0; k < Expected.size(); ++k) {
            const auto& Task = Tasks.Tasks[k];
            if (!Task.Work)
                continue;
            auto Found = std::find(Names.begin(), Names.end(), Task.Name);
            if (Found == Names.end()) {
                Found = std::find_if(Names.begin(), Names.end(), [&](const std::string& Name) {
                    return Name.rfind(Task.Name + " (1/", 0) == 0;
                });
                ++Split;
            }
            ASSERT_NE(Found, Names.end()) << Task.Name << "\n" << Show(Tasks);
            EXPECT_EQ(Schedule.Works[static_cast<std::size_t>(Found - Names.begin())].EarlyStart,
                      Expected[k])
                << Task.Name << "\n"
                << Show(Tasks);
        }
        Waited +=
            static_cast<int>(std::count_if(Names.begin(), Names.end(), [](const std::string& Name) {
                return Name.rfind("Ожидание: ", 0) == 0;
            }));

        // Written for MS Project and read back, the diagram keeps its finish.
        std::string XmlError;
        const auto Xml = WriteMsProjectXml(List, XmlError);
        ASSERT_TRUE(Xml) << XmlError;
        auto Back = ReadMsProjectXml(*Xml, "x", XmlError);
        ASSERT_TRUE(Back) << XmlError;
        TWorkList Again;
        EXPECT_EQ(ScheduleOf(std::move(*Back), Again).ProjectDuration, Finish) << Show(Tasks);
    }
    // The rounds reach every way a link can go.
    EXPECT_GT(Split, 100);
    EXPECT_GT(Waited, 100);
}

} // namespace
