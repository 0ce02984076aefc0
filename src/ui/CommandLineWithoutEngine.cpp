// RunCommandLine for a build without the network engine: the window-less
// faces are not there, so every option is refused; a plain file name opens
// the windows.

#include "ui/CommandLine.h"

#include <cstdio>
#include <string_view>

std::optional<int> RunCommandLine(int argc, char** argv) {
    if (argc < 2 || !std::string_view(argv[1]).starts_with("--"))
        return std::nullopt;
    std::fprintf(stderr,
                 "korvant: %s is not available in this build\nusage: korvant [FILE.kcrct]\n",
                 argv[1]);
    return 64;
}
