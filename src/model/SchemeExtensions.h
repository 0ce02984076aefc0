#pragma once
// What a scheme holds beyond its works (the project calendar, the resources
// and the works' demands of them), kept in the scheme file after the bytes TotalSize covers, where
// programs that know nothing of it never look.
//
// The block: the signature 89 'K' 'V' 'N' 'T' 0D 0A 1A, the block's version
// (32-bit little-endian, 1), then chunks, each a tag of four ASCII letters,
// the length of its data (32-bit little-endian), the data, and the CRC-32 of
// tag and data; the last chunk is "KEND" with no data. A tag whose first
// letter is a capital names data a reader must understand, or refuse the
// file; a small first letter names data a reader that does not know it may
// pass over. A scheme without such data has no block at all, so its file is
// the same as ever.

#include "model/Calendar.h"
#include "model/Resources.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TSchemeExtras {
    std::optional<TCalendar> Calendar;
    std::vector<TResource> Resources;
    // Only the works that demand anything, by ascending work number.
    std::vector<std::pair<std::size_t, TDemands>> Demands;
    bool Empty() const { return !Calendar && Resources.empty(); }
};

// A block is never larger than this; a file claiming more is damaged.
inline constexpr std::int64_t MaxExtensionSize = 16 << 20;

// The block for Extras; empty when there is nothing to keep.
std::string BuildSchemeExtensions(const TSchemeExtras& Extras);

// Whether bytes following TotalSize (at least their first eight, when there
// are that many) begin a block. Anything else there is what older programs
// may have left and is passed over.
bool BeginsExtensionBlock(std::string_view Tail);

// Reads the bytes following TotalSize into Extras. Nothing when they are no
// block or a sound one; otherwise the text of the file error.
std::optional<std::string> ReadSchemeExtensions(std::string_view Tail, TSchemeExtras& Extras);

// The CRC-32 of ISO-HDLC, as PNG and zlib compute it.
std::uint32_t Crc32(std::string_view Bytes, std::uint32_t Crc = 0);
