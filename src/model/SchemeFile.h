#pragma once
// The scheme file as bytes in memory. TWorkList::SaveToFile and LoadFromFile
// are built on these two; tests and the fuzzer use them without touching the
// disk.
//
// Layout (integers 32-bit signed little-endian, offsets from the first byte):
// TotalSize, Count n, two reserved words, NameOffsets[0..n], the names in code
// page 1251 without terminators, then one record per work: its n cells as
// signed bytes and its duration in the 80-bit extended format. After
// TotalSize, the extension block of SchemeExtensions.h when the scheme has a
// calendar; nothing otherwise.

#include <optional>
#include <string>
#include <string_view>

class TWorkList;

// The file image of List. Nothing when a name has no code page 1251 form or
// the scheme is too large for the 32-bit TotalSize. Throws std::bad_alloc when
// the image cannot be had.
std::optional<std::string> BuildSchemeImage(const TWorkList& List);

// What LoadFromFile does, with the file's bytes already read: the list is
// replaced by the scheme, errors go to the list's messenger, and ckScheme is
// announced once at the end whatever the outcome. Bytes past TotalSize are
// ignored unless they begin an extension block, which is then read as
// strictly as the rest (a damaged one fails the load, the works stay). True
// when the scheme was read whole.
bool LoadSchemeImage(TWorkList& List, std::string_view FileBytes);
