#pragma once
// A real file system with no room left: a 64 KB tmpfs of the test's own,
// filled to the last page after the test has put its files there. Mounting
// needs the right to mount (root with CAP_SYS_ADMIN); where the process lacks
// it the disk is not Ready and the test skips with the reason.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

class TFullDisk {
public:
    TFullDisk() {
        // In a mount namespace of this thread's own the tmpfs is seen only
        // by the test and the programs it starts, and vanishes with them
        // should the test die before it unmounts.
        static const bool Private =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        (void)Private;
        std::string Template =
            (std::filesystem::temp_directory_path() / "korvant-full-XXXXXX").string();
        if (!::mkdtemp(Template.data())) {
            Why = std::string("mkdtemp: ") + std::strerror(errno);
            return;
        }
        Path = Template;
        if (::mount("tmpfs", Template.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
            Why = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
            std::filesystem::remove(Path);
            Path.clear();
            return;
        }
        Mounted = true;
    }
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;
    ~TFullDisk() {
        if (Mounted)
            ::umount2(Path.c_str(), MNT_DETACH);
        if (!Path.empty())
            ::rmdir(Path.c_str());
    }

    bool Ready() const { return Mounted; }
    std::string File(const std::string& Name) const { return (Path / Name).string(); }

    // A file put there while there is still room.
    void Put(const std::string& Name, std::string_view Bytes) const {
        std::ofstream(File(Name), std::ios::binary) << Bytes;
    }

    // Takes every page that is left: from now on a write fails with ENOSPC.
    // True when the disk is indeed full.
    bool Fill() const {
        const int Descriptor =
            ::open(File(Filler).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (Descriptor < 0)
            return false;
        static const char Chunk[4096] = {};
        for (std::size_t Size = sizeof Chunk; Size > 0;)
            if (::write(Descriptor, Chunk, Size) < 0)
                Size = errno == ENOSPC ? Size / 2 : 0;
        ::close(Descriptor);
        const int Probe = ::open(File("probe").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool Full = Probe >= 0 && ::write(Probe, "x", 1) < 0 && errno == ENOSPC;
        if (Probe >= 0)
            ::close(Probe);
        ::unlink(File("probe").c_str());
        return Full;
    }

    // The names there besides the filler, sorted: what a write may have left.
    std::vector<std::string> Entries() const {
        std::vector<std::string> Names;
        for (const auto& Entry : std::filesystem::directory_iterator(Path))
            if (Entry.path().filename() != Filler)
                Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }

    std::string Why;
    std::filesystem::path Path;

private:
    static constexpr const char* Filler = "filler";
    bool Mounted = false;
};
