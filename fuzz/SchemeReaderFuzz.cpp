// Feeds arbitrary bytes to the scheme reader as if they were a file. Beyond
// the sanitizers it checks what must hold after any load: every row as long
// as the list with its own cell forbidden, every duration one the editor
// would take, a calendar only when the load succeeded and then one the
// calendar's checks accept, resources and demands only when the load
// succeeded and then ones the list's checks accept, and, when the load
// succeeded, that saving the scheme and reading it again gives the same
// scheme, calendar, resources and demands and all.

#include "model/Messenger.h"
#include "model/RealText.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"
#include "model/X87.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

class TSilentMessenger : public TMessenger {
public:
    int Errors = 0;
    void Notice(std::string_view) override {}
    void FileError(std::string_view) override { ++Errors; }
    bool Question(std::string_view) override { return false; }
};

void Require(bool Condition, const char* What) {
    if (!Condition) {
        std::fprintf(stderr, "scheme reader property broken: %s\n", What);
        std::abort();
    }
}

void CheckRows(const TWorkList& List) {
    for (int i = 0; i < List.Count(); ++i) {
        const TABs& Links = List.GetWork(i).Links;
        Require(Links.size() == static_cast<std::size_t>(List.Count()), "row length equals Count");
        Require(Links[static_cast<std::size_t>(i)] == LinkForbidden, "own cell is -1");
        Require(DurationAllowed(List.GetWork(i).Duration), "every duration is allowed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
    TWorkList List;
    TSilentMessenger Messenger;
    List.Messenger = &Messenger;
    int Announcements = 0;
    List.AddListener([&](TWorkList&, std::int32_t, std::int32_t) { ++Announcements; });

    const bool Loaded = LoadSchemeImage(List, Bytes);
    Require(!List.Updating, "Updating is false after a load");
    Require(Announcements == 1, "one announcement per load");
    Require(Loaded || Messenger.Errors > 0, "a failed load says why");
    CheckRows(List);
    Require(Loaded || !List.Calendar(), "no calendar from a failed load");
    Require(Loaded || List.Resources().empty(), "no resources from a failed load");
    if (!Loaded)
        return 0;
    Require(!List.Calendar() || !CalendarProblem(*List.Calendar()), "a loaded calendar is sound");
    Require(!ResourceProblem(List.Resources()), "loaded resources are sound");
    for (int i = 0; i < List.Count(); ++i)
        Require(DemandsFit(List.GetWork(i).Demands, List.Resources().size()),
                "loaded demands are sound");

    // Names read from code page 1251 can always be written back.
    const auto Image = BuildSchemeImage(List);
    Require(Image.has_value(), "a loaded scheme can be saved");
    Require(static_cast<std::int64_t>(Image->size()) == List.SchemeSize(),
            "image size is SchemeSize");
    TWorkList Again;
    Again.Messenger = &Messenger;
    Require(LoadSchemeImage(Again, *Image), "a saved scheme loads");
    Require(Again.Count() == List.Count(), "same number of works");
    Require(Again.Calendar() == List.Calendar(), "same calendar");
    Require(Again.Resources() == List.Resources(), "same resources");
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& a = List.GetWork(i);
        const TWorkData& b = Again.GetWork(i);
        Require(a.Name == b.Name, "same name");
        Require(EncodeX87(a.Duration) == EncodeX87(b.Duration), "same duration");
        Require(a.Links == b.Links, "same cells");
        Require(a.Demands == b.Demands, "same demands");
    }
    return 0;
}
