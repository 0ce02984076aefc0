#pragma once
// Tables of works as spreadsheets save them (CSV).
//
// Reading takes UTF-8, with or without a byte order mark, or code page 1251
// when the bytes are not UTF-8. The separator is the one of ';', tab and ','
// found most often in the header line; fields may be quoted, with doubled
// quotes and line breaks inside. Columns are found by their captions in any
// order, Russian or English: "Наименование"/"Name", "Длительность"/"Duration"
// (decimal comma or point) and, when present, "Предшественники"/"Predecessors"
// (numbers of works counted from 1, separated by ',', ';' or blanks, or exact
// names). Rows without a name are passed over; a row whose duration or
// predecessors cannot be read refuses the file. The table is read a record
// at a time, keeping only the three columns.
//
// Writing gives UTF-8 with a byte order mark and ';' between fields, as a
// spreadsheet with a Russian locale opens it: the number, name, duration and
// predecessors of every work (numbers with a decimal comma, written so that
// they read back exactly), then its critical-path schedule.

#include "exchange/Plan.h"

#include <optional>
#include <string>
#include <string_view>

// The longest field and the longest record (the quotes and line breaks
// inside it counted) a table may hold, in bytes; a longer one refuses the
// file, naming its row.
inline constexpr std::size_t MaxCsvField = std::size_t{1} << 20;
inline constexpr std::size_t MaxCsvRow = std::size_t{4} << 20;

std::optional<TPlan> ReadCsv(std::string_view Bytes, std::string_view Source, std::string& Error);

// The file's bytes for an analysed list.
std::string WriteCsv(const TWorkList& List);
