// Writes the 60-work house plan to a scheme file:
//   make_house_plan examples/house-60.kcrct

#include "HousePlan.h"
#include "model/Messenger.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_house_plan FILE.kcrct\n");
        return 64;
    }
    TStderrMessenger Messenger;
    TWorkList List;
    List.Messenger = &Messenger;
    FillHousePlan(List);
    return !List.HasContour && List.SaveToFile(argv[1]) ? 0 : 2;
}
