// Writes the benchmarks' project-like scheme of n works to a scheme file, so
// that the program can be tried on the very scheme the benchmarks time:
//   make_project_scheme 1000 project-1000.kcrct

#include "ProjectScheme.h"
#include "model/Messenger.h"
#include "model/WorkList.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

int main(int argc, char** argv) {
    int n = 0;
    if (argc != 3 ||
        std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), n).ec != std::errc() || n < 1 ||
        n > 10000) {
        std::fprintf(stderr, "usage: make_project_scheme WORKS(1..10000) FILE.kcrct\n");
        return 64;
    }
    TStderrMessenger Messenger;
    TWorkList List;
    List.Messenger = &Messenger;
    FillProjectScheme(List, n);
    return List.SaveToFile(argv[2]) ? 0 : 2;
}
