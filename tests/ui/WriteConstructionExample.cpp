// Writes the example scheme: write_construction_example OUT.kcrct

#include "ConstructionExample.h"

#include "model/Messenger.h"
#include "model/WorkList.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_construction_example OUT.kcrct\n");
        return 64;
    }
    TStderrMessenger Console;
    TWorkList List;
    List.Messenger = &Console;
    FillConstructionExample(List);
    if (List.HasContour)
        return 1;
    return List.SaveToFile(argv[1]) ? 0 : 2;
}
