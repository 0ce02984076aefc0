#pragma once
// The scheme file as bytes in memory. TWorkList::SaveToFile and LoadFromFile
// are built on these two; tests and the fuzzer use them without touching the
// disk.
//
// Layout (integers 32-bit signed little-endian, offsets from the first byte):
// TotalSize, Count n, two reserved words, NameOffsets[0..n], the names in code
// page 1251 without terminators, then one record per work: its n cells as
// signed bytes and its duration in the 80-bit extended format.

#include <optional>
#include <string>
#include <string_view>

class TWorkList;

// The largest scheme the program takes. The scheme file and the list hold an
// n x n table of cells: 20,000 works are 400 MB on the disk and as much in
// memory, with the analysis's bit rows (50 MB) beside them, twice the
// 10,000 works the windows are made to handle; the file's 32-bit size would
// end the format itself near 46,000 works. Readers refuse a larger count
// before they allocate anything for it.
inline constexpr int MaxWorks = 20000;

// The file image of List. Nothing when a name has no code page 1251 form or
// the scheme is too large for the 32-bit TotalSize. Throws std::bad_alloc when
// the image cannot be had.
std::optional<std::string> BuildSchemeImage(const TWorkList& List);

// What LoadFromFile does, with the file's bytes already read: the list is
// replaced by the scheme, errors go to the list's messenger, and ckScheme is
// announced once at the end whatever the outcome. Bytes past TotalSize are
// ignored. True when the scheme was read whole.
bool LoadSchemeImage(TWorkList& List, std::string_view FileBytes);
