// Replacing a file as a whole. Every system call is checked: a write that
// takes fewer bytes than asked is continued, an interrupted one repeated, and
// the data must reach the device (fsync) and the descriptor close cleanly
// before the rename, since a full disk may show itself at any of these.

#include "model/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local TFileFault* ActiveFault = nullptr;

// True when the fault of a test is to strike this call of Step; errno then
// holds its error.
bool Faulted(TFileStep Step) {
    TFileFault* Fault = ActiveFault;
    if (!Fault || Fault->Step != Step || ++Fault->Calls != Fault->Nth)
        return false;
    errno = Fault->Error;
    return true;
}

std::string ReasonOf(int Error) {
    return std::strerror(Error);
}

// One write(2), or the fault a test put in its place.
ssize_t WriteSome(int Descriptor, std::string_view Bytes) {
    if (Faulted(TFileStep::Write))
        return errno != 0 ? -1 : ::write(Descriptor, Bytes.data(), 1);
    return ::write(Descriptor, Bytes.data(), Bytes.size());
}

bool WriteAll(int Descriptor, std::string_view Bytes) {
    while (!Bytes.empty()) {
        const ssize_t Written = WriteSome(Descriptor, Bytes);
        if (Written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        // Nothing written and no error: the device takes no more.
        if (Written == 0) {
            errno = ENOSPC;
            return false;
        }
        Bytes.remove_prefix(static_cast<std::size_t>(Written));
    }
    return true;
}

// A fresh file of its own beside the target; never one that was there.
int CreateBeside(const std::filesystem::path& Target, const std::filesystem::path& Folder,
                 bool Private, std::filesystem::path& Temporary) {
    std::random_device Seed;
    std::mt19937 Random(Seed());
    for (int Attempt = 0; Attempt < 16; ++Attempt) {
        std::string Name = ".";
        Name += Target.filename().string();
        Name += '.';
        Name += std::to_string(Random() % 1000000000u);
        Name += ".tmp";
        Temporary = Folder / Name;
        const int Descriptor =
            Faulted(TFileStep::Create)
                ? -1
                : ::open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                         Private ? 0600 : 0666);
        if (Descriptor >= 0 || errno != EEXIST)
            return Descriptor;
    }
    return -1;
}

// The target itself when it is a symbolic link; Reason when it may not be
// replaced.
bool Resolve(std::filesystem::path& Target, struct stat& Old, bool& Exists, std::string& Reason) {
    namespace fs = std::filesystem;
    std::error_code Error;
    if (fs::is_symlink(fs::symlink_status(Target, Error))) {
        const fs::path Resolved = fs::weakly_canonical(Target, Error);
        if (!Error)
            Target = Resolved;
    }
    Exists = ::stat(Target.c_str(), &Old) == 0;
    if (!Exists)
        return true;
    // A file the user may not write is not replaced behind his back.
    if (S_ISDIR(Old.st_mode)) {
        Reason = ReasonOf(EISDIR);
        return false;
    }
    if (!S_ISREG(Old.st_mode)) {
        Reason = "not a regular file";
        return false;
    }
    if (::access(Target.c_str(), W_OK) != 0) {
        Reason = ReasonOf(errno);
        return false;
    }
    return true;
}

// The new name itself should survive a crash as well; a folder that cannot
// be synchronised does not make the write a failure.
void SyncFolder(const std::filesystem::path& Folder) {
    const int Descriptor = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Descriptor >= 0) {
        ::fsync(Descriptor);
        ::close(Descriptor);
    }
}

} // namespace

TFileFault::TFileFault(TFileStep AStep, int ANth, int AError)
    : Step(AStep), Nth(ANth), Error(AError), Outer(ActiveFault) {
    ActiveFault = this;
}

TFileFault::~TFileFault() {
    ActiveFault = Outer;
}

bool ReplaceFileWith(const std::string& FileName, std::string_view Bytes, std::string& Reason) {
    namespace fs = std::filesystem;
    if (FileName.empty()) {
        Reason = ReasonOf(ENOENT);
        return false;
    }
    fs::path Target(FileName);
    struct stat Old {};
    bool Exists = false;
    if (!Resolve(Target, Old, Exists, Reason))
        return false;
    const fs::path Folder = Target.has_parent_path() ? Target.parent_path() : fs::path(".");

    fs::path Temporary;
    const int Descriptor = CreateBeside(Target, Folder, Exists, Temporary);
    if (Descriptor < 0) {
        Reason = ReasonOf(errno);
        return false;
    }
    // Each step runs only after the one before succeeded; the first error is
    // the reason, and the descriptor is closed whatever happened.
    int Error = 0;
    if (!WriteAll(Descriptor, Bytes))
        Error = errno;
    // A replaced file keeps its mode; a new one got the usual one from open.
    if (!Error && Exists &&
        (Faulted(TFileStep::Mode) || ::fchmod(Descriptor, Old.st_mode & 07777) != 0))
        Error = errno;
    if (!Error && (Faulted(TFileStep::Sync) || ::fsync(Descriptor) != 0))
        Error = errno;
    if (Faulted(TFileStep::Close)) {
        if (!Error)
            Error = errno;
        ::close(Descriptor);
    } else if (::close(Descriptor) != 0 && !Error) {
        Error = errno;
    }
    if (!Error && (Faulted(TFileStep::Rename) || ::rename(Temporary.c_str(), Target.c_str()) != 0))
        Error = errno;
    if (Error) {
        ::unlink(Temporary.c_str());
        Reason = ReasonOf(Error);
        return false;
    }
    SyncFolder(Folder);
    return true;
}
