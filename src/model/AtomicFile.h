#pragma once
// The one way the program puts a file on the disk. Scheme files, exported
// plans and pictures are all made whole in memory first and handed here, so
// that a full disk or a failing device is noticed in one place: the bytes go
// to a fresh file beside the target, are flushed to the device, the file is
// closed, and only then does it take the target's name. Whatever fails on the
// way, the file that was there keeps every byte and the fresh one is removed.

#include <string>
#include <string_view>

// Replaces the file FileName, or creates it, with Bytes. A symbolic link is
// written through rather than replaced; a replaced file keeps its mode. A
// target that is not a regular file, or that the user may not write, is left
// alone. False, with the system's reason in Reason ("No space left on
// device"), when the file could not be written whole.
bool ReplaceFileWith(const std::string& FileName, std::string_view Bytes, std::string& Reason);

// The system calls of a write, in the order ReplaceFileWith makes them; each
// may fail on a real device, and a test makes it fail with TFileFault.
enum class TFileStep { Create, Write, Mode, Sync, Close, Rename };

// For tests: while it lives, the Nth call (counted from 1) of Step made by
// this thread fails with Error, as the system would have failed it. Error 0
// on a write makes that write take one byte only, as a device may. A close
// that fails still releases the descriptor, as Linux does.
class TFileFault {
public:
    TFileFault(TFileStep AStep, int ANth, int AError);
    ~TFileFault();
    TFileFault(const TFileFault&) = delete;
    TFileFault& operator=(const TFileFault&) = delete;

    // Whether the fault came to pass.
    bool Struck() const { return Calls >= Nth; }

    const TFileStep Step;
    const int Nth;
    const int Error;
    int Calls = 0;

private:
    TFileFault* Outer;
};
