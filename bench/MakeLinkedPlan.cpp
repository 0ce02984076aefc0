// Writes an MS Project XML plan of TASKS tasks and LINKS links of every type,
// with lags and leads, for timing `korvant --convert` on it:
//   make_linked_plan TASKS LINKS FILE.xml
// Each link comes from one of the 40 tasks before its task, as in a plan
// built phase by phase; a third of the links carry a lag or a lead of up to
// five days.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_linked_plan TASKS LINKS FILE.xml\n");
        return 64;
    }
    const int Tasks = std::atoi(argv[1]);
    const int Links = std::atoi(argv[2]);
    if (Tasks < 2 || Links < 0) {
        std::fprintf(stderr, "make_linked_plan: at least two tasks\n");
        return 64;
    }
    std::mt19937 Random(2000);
    std::vector<std::string> Before(static_cast<std::size_t>(Tasks));
    for (int l = 0; l < Links; ++l) {
        const int After = 1 + static_cast<int>(Random() % static_cast<unsigned>(Tasks - 1));
        const int Back =
            1 + static_cast<int>(Random() % static_cast<unsigned>(std::min(After, 40)));
        const int Type = static_cast<int>(Random() % 4);
        // Tenths of minutes of 480-minute days, in half days.
        const long Lag = Random() % 3 == 0 ? (static_cast<long>(Random() % 21) - 10) * 2400 : 0;
        Before[static_cast<std::size_t>(After)] +=
            "<PredecessorLink><PredecessorUID>" + std::to_string(After - Back + 1) +
            "</PredecessorUID><Type>" + std::to_string(Type) + "</Type><LinkLag>" +
            std::to_string(Lag) + "</LinkLag><LagFormat>7</LagFormat></PredecessorLink>";
    }
    std::ofstream Out(argv[3], std::ios::binary);
    Out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Project xmlns=\"http://schemas.microsoft.com/project\"><MinutesPerDay>480"
           "</MinutesPerDay><Tasks>\n";
    for (int k = 0; k < Tasks; ++k)
        Out << "<Task><UID>" << k + 1 << "</UID><Name>Работа " << k + 1 << "</Name><Duration>PT"
            << 4 * (1 + Random() % 20) << "H0M0S</Duration>" << Before[static_cast<std::size_t>(k)]
            << "</Task>\n";
    Out << "</Tasks></Project>\n";
    return Out ? 0 : 2;
}
