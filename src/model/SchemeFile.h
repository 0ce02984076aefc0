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

// The largest scheme the program takes. The scheme file and the list hold an
// n x n table of cells: 12,000 works are a 144 MB file and as much in
// memory, with the analysis's bit rows (18 MB) beside them, and a plan read
// from another program's file is analysed and written as a scheme in about
// a second. The cost grows with the square: 20,000 works would be 400 MB
// and take about 3 s; the file's 32-bit size would end the format
// itself near 46,000. The windows are made to handle 10,000 works. Readers
// refuse a larger count before they allocate anything for it.
inline constexpr int MaxWorks = 12000;

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
