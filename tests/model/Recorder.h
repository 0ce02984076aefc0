#pragma once
// Records, in one sequence, what the work list shows the user and what it
// tells its listeners, so that a test can state the whole story of a change.

#include "model/Messenger.h"
#include "model/WorkList.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TRecorder : public TMessenger {
public:
    std::vector<std::string> Events;

    void Notice(std::string_view Text) override { Events.push_back("notice " + std::string(Text)); }
    void FileError(std::string_view Text) override {
        Events.push_back("error " + std::string(Text));
    }
    bool Question(std::string_view Text) override {
        Events.push_back("question " + std::string(Text));
        return false;
    }

    // Becomes the list's messenger and registers one listener named Name,
    // which also notes how many works the list held and whether it was
    // marked modified when it was called.
    void Attach(TWorkList& List, const std::string& Name = "L") {
        List.Messenger = this;
        Listen(List, Name);
    }
    void Listen(TWorkList& List, const std::string& Name) {
        List.AddListener([this, Name](TWorkList& L, std::int32_t Index, std::int32_t Kind) {
            Events.push_back(Call(Name, Index, Kind, L.Count(), L.Modified));
        });
    }

    static std::string Call(const std::string& Name, int Index, int Kind, int Count,
                            bool Modified) {
        return Name + "(" + std::to_string(Index) + "," + std::to_string(Kind) +
               ") n=" + std::to_string(Count) + (Modified ? " modified" : "");
    }
    static std::string Error(std::string_view Text) { return "error " + std::string(Text); }
};

// A folder of its own under the system's temporary folder, removed with
// everything in it when the test ends.
class TTempFolder {
public:
    TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder();
    std::filesystem::path Path;
    std::string File(const std::string& Name) const { return (Path / Name).string(); }
};

std::string ReadBytes(const std::string& FileName);
void WriteBytes(const std::string& FileName, std::string_view Bytes);
// Names of the entries of a folder, sorted.
std::vector<std::string> Entries(const std::filesystem::path& Folder);
