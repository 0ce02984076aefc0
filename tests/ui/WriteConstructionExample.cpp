// Writes the example scheme: write_construction_example OUT.kcrct

#include "ConstructionExample.h"

#include "model/Messenger.h"
#include "model/WorkList.h"

#include <cstdio>
#include <string>

namespace {

class TConsole : public TMessenger {
public:
    void Notice(std::string_view Text) override { Print(Text); }
    void FileError(std::string_view Text) override { Print(Text); }
    bool Question(std::string_view) override { return false; }

private:
    static void Print(std::string_view Text) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(Text.size()), Text.data());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_construction_example OUT.kcrct\n");
        return 64;
    }
    TConsole Console;
    TWorkList List;
    List.Messenger = &Console;
    FillConstructionExample(List);
    if (List.HasContour)
        return 1;
    return List.SaveToFile(argv[1]) ? 0 : 2;
}
