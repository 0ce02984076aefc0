// The scheme file's extension block: chunks written and read with every
// length checked against the bytes that are there before anything is
// allocated for it, and the calendar's chunk checked as strictly as the
// dialog checks a calendar.

#include "model/SchemeExtensions.h"

#include "messages/ErrorStrings.h"
#include "model/X87.h"

#include <algorithm>
#include <array>
#include <functional>
#include <span>
#include <vector>

namespace {

constexpr std::string_view Signature("\x89KVNT\r\n\x1A", 8);
constexpr std::uint32_t BlockVersion = 1;
constexpr std::string_view CalendarTag = "CLND";
constexpr std::string_view ResourcesTag = "RSRC";
constexpr std::string_view EndTag = "KEND";
// A fuzzing build takes any check value, so that the fuzzer gets past it to
// the chunks' contents; every other build checks it.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool CheckCrc = false;
#else
constexpr bool CheckCrc = true;
#endif

constexpr std::array<std::uint32_t, 256> CrcTable = [] {
    std::array<std::uint32_t, 256> Table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        Table[n] = c;
    }
    return Table;
}();

void Put32(std::string& Out, std::int64_t Value) {
    const auto u = static_cast<std::uint32_t>(Value);
    for (int k = 0; k < 4; ++k)
        Out += static_cast<char>((u >> (8 * k)) & 0xFF);
}

// Reads little-endian words from the front of a view; Failed once the view
// ran short, after which every word reads as 0.
class TReader {
public:
    explicit TReader(std::string_view ABytes) : Bytes(ABytes) {}
    std::uint32_t Word() {
        if (Bytes.size() < 4) {
            Failed = true;
            Bytes = {};
            return 0;
        }
        std::uint32_t u = 0;
        for (int k = 3; k >= 0; --k)
            u = (u << 8) | static_cast<unsigned char>(Bytes[static_cast<std::size_t>(k)]);
        Bytes.remove_prefix(4);
        return u;
    }
    std::int32_t Signed() { return static_cast<std::int32_t>(Word()); }
    std::string_view Take(std::size_t n) {
        if (Bytes.size() < n) {
            Failed = true;
            Bytes = {};
            return {};
        }
        const std::string_view Part = Bytes.substr(0, n);
        Bytes.remove_prefix(n);
        return Part;
    }
    std::size_t Left() const { return Bytes.size(); }
    bool Failed = false;

private:
    std::string_view Bytes;
};

void AppendChunk(std::string& Block, std::string_view Tag, std::string_view Data) {
    Block += Tag;
    Put32(Block, static_cast<std::int64_t>(Data.size()));
    Block += Data;
    Put32(Block, Crc32(Data, Crc32(Tag)));
}

std::string CalendarChunk(const TCalendar& c) {
    std::string Data;
    Put32(Data, c.Start.Days);
    Put32(Data, c.StartTime ? *c.StartTime : -1);
    Put32(Data, c.Weekdays);
    Put32(Data, c.MinutesPerDay);
    Put32(Data, static_cast<std::int64_t>(c.Periods.size()));
    for (const TWorkPeriod& p : c.Periods) {
        Put32(Data, p.Start);
        Put32(Data, p.End);
    }
    for (const std::vector<TCivilDate>* Dates : {&c.Holidays, &c.Workdays}) {
        Put32(Data, static_cast<std::int64_t>(Dates->size()));
        for (const TCivilDate d : *Dates)
            Put32(Data, d.Days);
    }
    return Data;
}

void PutText(std::string& Out, const std::string& Text) {
    Put32(Out, static_cast<std::int64_t>(Text.size()));
    Out += Text;
}

void PutReal(std::string& Out, TReal Value) {
    const TX87Bytes Bytes = EncodeX87(Value);
    Out.append(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
}

// The resources, each its name, unit and availability; then the works that
// demand anything, each its number and its demands (resource number, units).
std::string ResourcesChunk(const TSchemeExtras& Extras) {
    std::string Data;
    Put32(Data, static_cast<std::int64_t>(Extras.Resources.size()));
    for (const TResource& r : Extras.Resources) {
        PutText(Data, r.Name);
        PutText(Data, r.Unit);
        PutReal(Data, r.Availability);
    }
    Put32(Data, static_cast<std::int64_t>(Extras.Demands.size()));
    for (const auto& [Work, Demands] : Extras.Demands) {
        Put32(Data, static_cast<std::int64_t>(Work));
        Put32(Data, static_cast<std::int64_t>(Demands.Items().size()));
        for (const auto& [Resource, Units] : Demands.Items()) {
            Put32(Data, static_cast<std::int64_t>(Resource));
            PutReal(Data, Units);
        }
    }
    return Data;
}

bool Ascending(const std::vector<TCivilDate>& Dates) {
    return std::adjacent_find(Dates.begin(), Dates.end(), std::greater_equal<>()) == Dates.end();
}

std::string ReadError(std::string_view Why) {
    return std::string(Msg::ReadError) + "\r" + std::string(Why);
}

// A list of dates whose count is checked against the bytes left before any
// room is made for it.
bool ReadDates(TReader& In, std::vector<TCivilDate>& Dates) {
    const std::uint32_t Count = In.Word();
    if (In.Failed || Count > In.Left() / 4)
        return false;
    Dates.reserve(Count);
    for (std::uint32_t k = 0; k < Count; ++k)
        Dates.push_back(TCivilDate{In.Signed()});
    return true;
}

std::optional<std::string> ReadCalendar(std::string_view Data, TCalendar& c) {
    TReader In(Data);
    c.Start = TCivilDate{In.Signed()};
    const std::int32_t StartTime = In.Signed();
    if (StartTime != -1)
        c.StartTime = StartTime;
    const std::uint32_t Weekdays = In.Word();
    c.MinutesPerDay = In.Signed();
    const std::uint32_t PeriodCount = In.Word();
    if (In.Failed || Weekdays > 0x7F || PeriodCount > In.Left() / 8)
        return std::string(Msg::ExtensionDamaged);
    c.Weekdays = static_cast<std::uint8_t>(Weekdays);
    c.Periods.clear();
    for (std::uint32_t k = 0; k < PeriodCount; ++k) {
        const int Start = In.Signed();
        c.Periods.push_back({Start, In.Signed()});
    }
    // Lists out of order or with repeats are never written: damage.
    if (!ReadDates(In, c.Holidays) || !ReadDates(In, c.Workdays) || In.Left() != 0 ||
        !Ascending(c.Holidays) || !Ascending(c.Workdays))
        return std::string(Msg::ExtensionDamaged);
    if (const auto Problem = CalendarProblem(c))
        return ReadError(*Problem);
    return std::nullopt;
}

bool ReadText(TReader& In, std::string& Text) {
    const std::uint32_t Length = In.Word();
    if (In.Failed || Length > MaxResourceTextLength || Length > In.Left())
        return false;
    Text.assign(In.Take(Length));
    return true;
}

std::optional<TReal> ReadReal(TReader& In) {
    const std::string_view Bytes = In.Take(10);
    if (In.Failed)
        return std::nullopt;
    return DecodeX87(
        std::span<const std::uint8_t, 10>(reinterpret_cast<const std::uint8_t*>(Bytes.data()), 10));
}

// One work's demands: resource numbers ascending and within the list, units
// positive, as the work list keeps them.
bool ReadDemands(TReader& In, std::size_t ResourceCount, TDemands& Demands) {
    const std::uint32_t Count = In.Word();
    if (In.Failed || Count == 0 || Count > ResourceCount || Count > In.Left() / 14)
        return false;
    std::int64_t Last = -1;
    for (std::uint32_t k = 0; k < Count; ++k) {
        const std::uint32_t Resource = In.Word();
        const std::optional<TReal> Units = ReadReal(In);
        if (In.Failed || !Units || static_cast<std::int64_t>(Resource) <= Last)
            return false;
        Last = Resource;
        Demands.Set(Resource, *Units);
    }
    return Demands.Items().size() == Count && DemandsFit(Demands, ResourceCount);
}

std::optional<std::string> ReadResources(std::string_view Data, TSchemeExtras& Extras) {
    const std::string Damaged(Msg::ExtensionDamaged);
    TReader In(Data);
    // A resource takes at least 18 bytes, a work's entry at least 22.
    const std::uint32_t Count = In.Word();
    if (In.Failed || Count == 0 || Count > MaxResources || Count > In.Left() / 18)
        return Damaged;
    Extras.Resources.resize(Count);
    for (TResource& r : Extras.Resources) {
        if (!ReadText(In, r.Name) || !ReadText(In, r.Unit))
            return Damaged;
        const std::optional<TReal> Availability = ReadReal(In);
        if (!Availability)
            return Damaged;
        r.Availability = *Availability;
    }
    if (ResourceProblem(Extras.Resources))
        return Damaged;
    const std::uint32_t Works = In.Word();
    if (In.Failed || Works > In.Left() / 22)
        return Damaged;
    Extras.Demands.reserve(Works);
    std::int64_t Last = -1;
    for (std::uint32_t k = 0; k < Works; ++k) {
        const std::uint32_t Work = In.Word();
        if (In.Failed || static_cast<std::int64_t>(Work) <= Last)
            return Damaged;
        Last = Work;
        TDemands Demands;
        if (!ReadDemands(In, Count, Demands))
            return Damaged;
        Extras.Demands.emplace_back(Work, std::move(Demands));
    }
    if (In.Left() != 0)
        return Damaged;
    return std::nullopt;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::uint32_t Crc32(std::string_view Bytes, std::uint32_t Crc) {
    Crc = ~Crc;
    for (const char b : Bytes)
        Crc = CrcTable[(Crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (Crc >> 8);
    return ~Crc;
}

std::string BuildSchemeExtensions(const TSchemeExtras& Extras) {
    if (Extras.Empty())
        return {};
    std::string Block(Signature);
    Put32(Block, BlockVersion);
    if (Extras.Calendar)
        AppendChunk(Block, CalendarTag, CalendarChunk(*Extras.Calendar));
    if (!Extras.Resources.empty())
        AppendChunk(Block, ResourcesTag, ResourcesChunk(Extras));
    AppendChunk(Block, EndTag, {});
    return Block;
}

bool BeginsExtensionBlock(std::string_view Tail) {
    // A file cut inside the signature still shows it was meant as a block.
    return !Tail.empty() && Signature.starts_with(Tail.substr(0, Signature.size()));
}

std::optional<std::string> ReadSchemeExtensions(std::string_view Tail, TSchemeExtras& Extras) {
    Extras = {};
    TSchemeExtras Read;
    if (!BeginsExtensionBlock(Tail))
        return std::nullopt;
    const std::string Damaged(Msg::ExtensionDamaged);
    if (static_cast<std::int64_t>(Tail.size()) > MaxExtensionSize)
        return Damaged;
    TReader In(Tail);
    In.Take(Signature.size());
    const std::uint32_t Version = In.Word();
    if (In.Failed)
        return Damaged;
    if (Version != BlockVersion)
        return std::string(Msg::ExtensionTooNew);
    std::vector<std::string_view> Seen;
    for (;;) {
        const std::string_view Tag = In.Take(4);
        const std::uint32_t Length = In.Word();
        if (In.Failed || Length > In.Left())
            return Damaged;
        const std::string_view Data = In.Take(Length);
        const std::uint32_t Crc = In.Word();
        if (In.Failed || (CheckCrc && Crc != Crc32(Data, Crc32(Tag))))
            return Damaged;
        for (const char c : Tag)
            if (!IsLetter(c))
                return Damaged;
        for (const std::string_view Other : Seen)
            if (Other == Tag)
                return Damaged;
        Seen.push_back(Tag);
        if (Tag == EndTag) {
            if (In.Left() != 0)
                return Damaged;
            Extras = std::move(Read);
            return std::nullopt;
        }
        if (Tag == CalendarTag) {
            if (auto Error = ReadCalendar(Data, Read.Calendar.emplace()))
                return Error;
        } else if (Tag == ResourcesTag) {
            if (auto Error = ReadResources(Data, Read))
                return Error;
        } else if (Tag[0] >= 'A' && Tag[0] <= 'Z') {
            return std::string(Msg::ExtensionTooNew);
        }
    }
}
