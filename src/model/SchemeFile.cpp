// Writing and reading scheme files. The writer builds the whole image first
// and hands it to the one file writer, which replaces the target only once
// the image is safely on disk; the reader
// trusts nothing in the file: every count and offset is checked against the
// bytes actually read before it is used.

#include "model/SchemeFile.h"

#include "messages/ErrorStrings.h"
#include "model/AtomicFile.h"
#include "model/Cp1251.h"
#include "model/RealText.h"
#include "model/SchemeExtensions.h"
#include "model/WorkList.h"
#include "model/X87.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t HeaderSize = 16; // TotalSize, Count, two reserved words
constexpr std::int64_t DurationSize = 10;
constexpr std::int64_t MaxTotalSize = std::numeric_limits<std::int32_t>::max();

std::int64_t ImageSize(std::int64_t n, std::int64_t NamesLength) {
    return HeaderSize + 4 * (n + 1) + NamesLength + n * (n + DurationSize);
}

void Put32(std::string& Image, std::int64_t Offset, std::int64_t Value) {
    const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(Value));
    for (int k = 0; k < 4; ++k)
        Image[static_cast<std::size_t>(Offset + k)] = static_cast<char>((u >> (8 * k)) & 0xFF);
}

// Data holds the file from offset 4 on, so file offset x is Data[x - 4].
std::int32_t Get32(std::string_view Data, std::int64_t FileOffset) {
    std::uint32_t u = 0;
    for (int k = 3; k >= 0; --k)
        u = (u << 8) |
            static_cast<unsigned char>(Data[static_cast<std::size_t>(FileOffset - 4 + k)]);
    return static_cast<std::int32_t>(u);
}

// What every outcome of a load shares: the message first, then the
// list is announced once, so that the windows show what it now holds.
bool Finish(TWorkList& List, bool Success, std::string_view Error = {}) {
    if (!Success)
        List.FileError(Error);
    List.Updating = false;
    List.Changed(0, ckScheme);
    return Success;
}

// Works appended before a failure keep a row as long as the file's Count; cut
// it to the works that are there, or later rows would refer to works that
// never came and an added work would find stale cells where its column goes.
void TrimRows(TWorkList& List) {
    const auto n = static_cast<std::size_t>(List.Count());
    for (int i = 0; i < List.Count(); ++i)
        List.GetWork(i).Links.resize(n);
}

// Steps after the buffer has been read: Data is the file from offset 4 up to
// TotalSize, and holds the header at least; Tail the extension block that
// follows TotalSize, or TailError why it could not be had.
bool ReadScheme(TWorkList& List, std::string_view Data, std::string_view Tail,
                std::optional<std::string_view> TailError) {
    const std::int64_t TotalSize = static_cast<std::int64_t>(Data.size()) + 4;
    const std::int64_t n = Get32(Data, 4);
    // The offset table alone must fit in the bytes read; this also bounds n
    // by the size of the file before anything is allocated for it.
    const std::int64_t NamesStart = HeaderSize + 4 * (n + 1);
    if (n < 0 || NamesStart > TotalSize)
        return Finish(List, false, Msg::ReadError);
    if (n > MaxWorks)
        return Finish(List, false,
                      std::string(Msg::TooManyWorks) + ": " + std::to_string(n) + " (не больше " +
                          std::to_string(MaxWorks) + ")");

    // Every offset lies in the names' area of the bytes read, and none runs
    // backwards (a negative name length). Checked before any work is made.
    const auto Offset = [&](std::int64_t i) -> std::int64_t {
        return Get32(Data, HeaderSize + 4 * i);
    };
    for (std::int64_t i = 0; i <= n; ++i)
        if (Offset(i) < NamesStart || Offset(i) > TotalSize || (i > 0 && Offset(i) < Offset(i - 1)))
            return Finish(List, false, Msg::ReadError);

    // The names follow the table one after the other; with offsets inside
    // the names' area their total length cannot pass the end of the data.
    // Nothing below needs more memory than the bytes read hold; should even
    // that be short, the works read so far stay, as after any failure.
    bool BadDuration = false;
    try {
        std::int64_t NameAt = NamesStart;
        const std::int64_t RecordSize = n + DurationSize;
        std::int64_t RecordAt = Offset(n);
        for (std::int64_t i = 0; i < n; ++i) {
            const std::int64_t Length = Offset(i + 1) - Offset(i);
            if (RecordAt + RecordSize > TotalSize)
                break; // fewer records than Count: told below
            const std::string_view Record = Data.substr(static_cast<std::size_t>(RecordAt - 4),
                                                        static_cast<std::size_t>(RecordSize));
            const auto Duration = DecodeX87(std::span<const std::uint8_t, 10>(
                reinterpret_cast<const std::uint8_t*>(Record.data()) + n, 10));
            // A duration the editor would refuse is damage as much as a NaN:
            // a negative or zero one would give wrong times, a huge one none.
            if (!Duration || !DurationAllowed(*Duration)) {
                BadDuration = true;
                break;
            }
            TWorkData Work;
            Work.Name = Cp1251ToUtf8(Data.substr(static_cast<std::size_t>(NameAt - 4),
                                                 static_cast<std::size_t>(Length)));
            Work.Duration = *Duration;
            Work.Links.resize(static_cast<std::size_t>(n));
            std::memcpy(Work.Links.data(), Record.data(), static_cast<std::size_t>(n));
            List.AddWork(Work, false);
            NameAt += Length;
            RecordAt += RecordSize;
        }
    } catch (const std::bad_alloc&) {
        TrimRows(List);
        return Finish(List, false, Msg::NoMemoryToRead);
    }
    if (BadDuration) {
        TrimRows(List);
        return Finish(List, false, Msg::ReadError);
    }
    if (List.Count() != n) {
        TrimRows(List);
        return Finish(List, false, Msg::CountMismatch);
    }
    // The works are whole; a damaged calendar leaves them as they came.
    if (TailError)
        return Finish(List, false, *TailError);
    TSchemeExtras Extras;
    if (const auto Error = ReadSchemeExtensions(Tail, Extras))
        return Finish(List, false, *Error);
    if (!Extras.Demands.empty() && Extras.Demands.back().first >= static_cast<std::size_t>(n))
        return Finish(List, false, Msg::ExtensionDamaged);
    List.SetCalendar(std::move(Extras.Calendar));
    List.SetResources(std::move(Extras.Resources));
    for (auto& [Work, Demands] : Extras.Demands)
        List.SetDemands(static_cast<int>(Work), std::move(Demands));
    return Finish(List, true);
}

// Loading up to the point where the buffer has been read: TotalSize is
// checked, then ReadScheme does the rest. Read(Buffer) fills the whole Buffer
// with the bytes from offset 4 on, or reports failure; ReadTail(Tail) gives
// the extension block after TotalSize, if there is one, or a file error.
template <class TRead, class TReadTail>
bool LoadAfterTotalSize(TWorkList& List, std::int64_t TotalSize, std::int64_t Available, TRead Read,
                        TReadTail ReadTail) {
    // A TotalSize too small for the header, or beyond the file, describes a
    // damaged file, not a shortage of memory: no buffer is requested for it.
    if (TotalSize < HeaderSize || TotalSize > Available)
        return Finish(List, false, Msg::ReadError);
    std::string Buffer;
    try {
        Buffer.resize(static_cast<std::size_t>(TotalSize - 4));
    } catch (const std::bad_alloc&) {
        return Finish(List, false, Msg::NoMemoryToRead);
    }
    if (!Read(Buffer))
        return Finish(List, false, Msg::ReadError);
    std::string Tail;
    const std::optional<std::string_view> TailError = ReadTail(Tail);
    return ReadScheme(List, Buffer, Tail, TailError);
}

std::int64_t DecodeTotalSize(const unsigned char* p) {
    const std::uint32_t u =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(u);
}

class TDescriptor {
public:
    explicit TDescriptor(int AHandle) : Handle(AHandle) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor() {
        if (Handle >= 0)
            ::close(Handle);
    }
    const int Handle;
};

// Fills Bytes from the descriptor; false on an error or an early end.
bool ReadAll(int Descriptor, char* Bytes, std::size_t Size) {
    while (Size > 0) {
        const ssize_t Got = ::read(Descriptor, Bytes, Size);
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (Got == 0)
            return false;
        Bytes += Got;
        Size -= static_cast<std::size_t>(Got);
    }
    return true;
}

// The bytes after TotalSize when they begin an extension block; anything else
// there is left unread, as it always was. The block's size is checked before
// a buffer is requested for it.
std::optional<std::string_view> ReadTail(int Descriptor, std::int64_t Size, std::string& Tail) {
    if (Size <= 0)
        return std::nullopt;
    Tail.resize(static_cast<std::size_t>(std::min<std::int64_t>(Size, 8)));
    if (!ReadAll(Descriptor, Tail.data(), Tail.size()))
        return Msg::ReadError;
    if (!BeginsExtensionBlock(Tail)) {
        Tail.clear();
        return std::nullopt;
    }
    if (Size > MaxExtensionSize)
        return Msg::ExtensionDamaged;
    const std::size_t Head = Tail.size();
    Tail.resize(static_cast<std::size_t>(Size));
    if (!ReadAll(Descriptor, Tail.data() + Head, Tail.size() - Head))
        return Msg::ReadError;
    return std::nullopt;
}

// A scheme is only ever read from a regular file: a FIFO or a device could
// make the read wait forever or never end. The name is checked before it is
// opened, and what was opened is checked again, since the name may have been
// given to something else in between; opening without blocking keeps even
// that case from waiting for a writer. Size receives the file's length.
int OpenRegularFile(const std::string& FileName, std::int64_t& Size) {
    struct stat Info {};
    if (FileName.empty() || ::stat(FileName.c_str(), &Info) != 0 || !S_ISREG(Info.st_mode))
        return -1;
    const int Handle = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Handle < 0)
        return -1;
    if (::fstat(Handle, &Info) != 0 || !S_ISREG(Info.st_mode)) {
        ::close(Handle);
        return -1;
    }
    Size = static_cast<std::int64_t>(Info.st_size);
    return Handle;
}

// What the list keeps beyond its works, as the extension block holds it.
TSchemeExtras SchemeExtrasOf(const TWorkList& List) {
    TSchemeExtras Extras{List.Calendar(), List.Resources(), {}};
    if (!List.Resources().empty())
        for (int i = 0; i < List.Count(); ++i)
            if (const TDemands& Demands = List.GetWork(i).Demands; !Demands.Empty())
                Extras.Demands.emplace_back(static_cast<std::size_t>(i), Demands);
    return Extras;
}

} // namespace

std::optional<std::string> BuildSchemeImage(const TWorkList& List) {
    const int n = List.Count();
    std::vector<std::string> Names;
    Names.reserve(static_cast<std::size_t>(n));
    std::int64_t NamesLength = 0;
    for (int i = 0; i < n; ++i) {
        auto Bytes = Utf8ToCp1251(List.GetWork(i).Name);
        if (!Bytes)
            return std::nullopt;
        NamesLength += static_cast<std::int64_t>(Bytes->size());
        Names.push_back(std::move(*Bytes));
    }
    const std::int64_t TotalSize = ImageSize(n, NamesLength);
    if (TotalSize > MaxTotalSize)
        return std::nullopt;

    std::string Image(static_cast<std::size_t>(TotalSize), '\0');
    Put32(Image, 0, TotalSize);
    Put32(Image, 4, n);
    std::int64_t At = HeaderSize + 4 * (n + 1);
    for (int i = 0; i < n; ++i) {
        Put32(Image, HeaderSize + 4 * i, At);
        std::memcpy(Image.data() + At, Names[static_cast<std::size_t>(i)].data(),
                    Names[static_cast<std::size_t>(i)].size());
        At += static_cast<std::int64_t>(Names[static_cast<std::size_t>(i)].size());
    }
    Put32(Image, HeaderSize + 4 * n, At);
    for (int i = 0; i < n; ++i) {
        const TWorkData& Work = List.GetWork(i);
        for (int j = 0; j < n; ++j) {
            const auto Cell = static_cast<std::size_t>(j) < Work.Links.size()
                                  ? Work.Links[static_cast<std::size_t>(j)]
                                  : LinkFree;
            Image[static_cast<std::size_t>(At++)] = static_cast<char>(Cell);
        }
        const TX87Bytes Duration = EncodeX87(Work.Duration);
        std::memcpy(Image.data() + At, Duration.data(), Duration.size());
        At += DurationSize;
    }
    Image += BuildSchemeExtensions(SchemeExtrasOf(List));
    return Image;
}

bool LoadSchemeImage(TWorkList& List, std::string_view FileBytes) {
    List.Updating = true;
    List.Clear();
    if (FileBytes.size() < 4)
        return Finish(List, false, Msg::ReadError);
    const std::int64_t TotalSize =
        DecodeTotalSize(reinterpret_cast<const unsigned char*>(FileBytes.data()));
    return LoadAfterTotalSize(
        List, TotalSize, static_cast<std::int64_t>(FileBytes.size()),
        [&](std::string& Buffer) {
            std::memcpy(Buffer.data(), FileBytes.data() + 4, Buffer.size());
            return true;
        },
        [&](std::string& Tail) -> std::optional<std::string_view> {
            const std::string_view Rest = FileBytes.substr(static_cast<std::size_t>(TotalSize));
            if (!BeginsExtensionBlock(Rest))
                return std::nullopt;
            if (static_cast<std::int64_t>(Rest.size()) > MaxExtensionSize)
                return Msg::ExtensionDamaged;
            Tail.assign(Rest);
            return std::nullopt;
        });
}

std::int64_t TWorkList::SchemeSize() const {
    const auto Extensions =
        static_cast<std::int64_t>(BuildSchemeExtensions(SchemeExtrasOf(*this)).size());
    std::int64_t NamesLength = 0;
    for (int i = 0; i < Count(); ++i) {
        const std::string& Name = GetWork(i).Name;
        // A name with no code page 1251 form is never written; it counts
        // with its own bytes here.
        const auto Bytes = Utf8ToCp1251(Name);
        NamesLength += static_cast<std::int64_t>(Bytes ? Bytes->size() : Name.size());
    }
    return ImageSize(Count(), NamesLength) + Extensions;
}

bool TWorkList::SaveToFile(const std::string& FileName) {
    if (Count() == 0)
        return false;
    bool Written = false;
    try {
        const std::optional<std::string> Image = BuildSchemeImage(*this);
        std::string Reason;
        Written = Image && ReplaceFileWith(FileName, *Image, Reason);
    } catch (const std::bad_alloc&) {
        FileError(Msg::NoMemoryToSave);
        return false;
    }
    if (!Written) {
        FileError(Msg::WriteError);
        return false;
    }
    Modified = false;
    return true;
}

bool TWorkList::LoadFromFile(const std::string& FileName) {
    Updating = true;
    Clear();
    // The size is known before anything is read, so that no buffer larger
    // than the file is ever requested.
    std::int64_t Available = 0;
    const TDescriptor File(OpenRegularFile(FileName, Available));
    if (File.Handle < 0)
        return Finish(*this, false, Msg::ReadError);
    char Head[4];
    if (!ReadAll(File.Handle, Head, sizeof Head))
        return Finish(*this, false, Msg::ReadError);
    const std::int64_t TotalSize = DecodeTotalSize(reinterpret_cast<const unsigned char*>(Head));
    return LoadAfterTotalSize(
        *this, TotalSize, Available,
        [&](std::string& Buffer) { return ReadAll(File.Handle, Buffer.data(), Buffer.size()); },
        [&](std::string& Tail) { return ReadTail(File.Handle, Available - TotalSize, Tail); });
}
