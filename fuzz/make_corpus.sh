#!/usr/bin/env bash
# Writes the seed files of the scheme-reader fuzzer into fuzz/corpus: a few
# sound schemes and a few damaged ones, each small enough to read in a hex dump.
set -euo pipefail
out="$(dirname "$0")/corpus"
mkdir -p "$out"

# Bytes given as hexadecimal pairs, blanks ignored.
bytes() { local h; h=$(tr -d ' \n' <<<"$*"); printf "$(sed 's/../\\x&/g' <<<"$h")"; }

header55='37000000 02000000 00000000 00000000 1C000000 1D000000 1F000000 414263'
rec_a='FF01 0000000000000080FF3F'   # cells -1, 1; duration 1
rec_bc='FFFF 00000000000000A00040'   # cells -1, -1; duration 2.5

bytes "$header55 $rec_a $rec_bc" >"$out/two_works.kcrct"
bytes "24000000 01000000 00000000 00000000 18000000 19000000 41 FF 0000000000000080FF3F" >"$out/one_work.kcrct"
bytes "14000000 00000000 00000000 00000000 14000000" >"$out/empty.kcrct"
# "Bc" also depends on "A": a contour.
bytes "$header55 $rec_a 01FF 00000000000000A00040" >"$out/contour.kcrct"
# Three works named in Cyrillic (code page 1251), a chain with a redundant cell
# and a stray 5, one duration the smallest normal number.
bytes "55000000 03000000 00000000 00000000
       20000000 26000000 2A000000 2E000000
       D0E0E1EEF2E0 DDF2E0EF 98ABB9BB
       FF0105 CDCCCCCCCCCCCCCCFB3F
       FFFF01 00000000000000800100
       FFFFFF 0000000000000080FF3F" >"$out/cyrillic_chain.kcrct"
# Damaged: one byte short, TotalSize far past the file, negative Count,
# offsets running backwards, records past the data, a NaN duration; TotalSize
# zero; durations that are numbers but no work's: negative, zero, the largest
# extended number.
bytes "$header55 $rec_a FFFF 00000000000000A000" >"$out/short.kcrct"
bytes "FFFFFF7F 02000000 00000000 00000000 1C000000 1D000000 1F000000 414263 $rec_a $rec_bc" >"$out/total_size_huge.kcrct"
bytes "37000000 FFFFFFFF 00000000 00000000 1C000000 1D000000 1F000000 414263 $rec_a $rec_bc" >"$out/count_negative.kcrct"
bytes "37000000 02000000 00000000 00000000 1D000000 1C000000 1F000000 414263 $rec_a $rec_bc" >"$out/offsets_backwards.kcrct"
bytes "37000000 02000000 00000000 00000000 1C000000 1D000000 2B000000 414263 $rec_a $rec_bc" >"$out/records_past_data.kcrct"
bytes "$header55 FF01 0100000000000080FF7F $rec_bc" >"$out/nan_duration.kcrct"
bytes "00000000 02000000 00000000 00000000 1C000000 1D000000 1F000000 414263 $rec_a $rec_bc" >"$out/total_size_zero.kcrct"
bytes "$header55 $rec_a FFFF 0000000000000080FFBF" >"$out/negative_duration.kcrct"
bytes "$header55 $rec_a FFFF 00000000000000000000" >"$out/zero_duration.kcrct"
bytes "$header55 $rec_a FFFF FFFFFFFFFFFFFFFFFE7F" >"$out/huge_duration.kcrct"

# The extension block after TotalSize: signature and version, a calendar chunk
# (from 2027-03-01, Monday to Friday, 08:00-12:00 and 13:00-17:00, 480
# minutes a day, the holiday 2027-03-08), the end chunk; each chunk is tag,
# length, data, CRC-32 of tag and data.
block_head='894B564E540D0A1A 01000000'
chunk_calendar='434C4E44 30000000 8E510000 FFFFFFFF 1F000000 E0010000 02000000
                E0010000 D0020000 0C030000 FC030000 01000000 95510000 00000000 FF9B5674'
chunk_end='4B454E44 00000000 09A84B04'
chunk_note='6E6F7465 07000000 4B4F5256414E54 572A9E1B'   # "note", may be passed over
chunk_unknown='51515151 00000000 2BFE4780'                # "QQQQ", must be understood
# Resources: one, "Crane", no unit, 1 unit there; work Bc needs it (1 unit).
chunk_resources='52535243 35000000 01000000 05000000 4372616E65 00000000 0000000000000080FF3F
                 01000000 01000000 01000000 00000000 0000000000000080FF3F 57EEFA1D'
chunk_resources_negative='52535243 35000000 01000000 05000000 4372616E65 00000000 0000000000000080FFBF
                 01000000 01000000 01000000 00000000 0000000000000080FF3F 3CBECC83' 
bytes "$header55 $rec_a $rec_bc $block_head $chunk_calendar $chunk_end" >"$out/calendar.kcrct"
bytes "$header55 $rec_a $rec_bc $block_head $chunk_note $chunk_calendar $chunk_end" >"$out/calendar_note.kcrct"
bytes "$header55 $rec_a $rec_bc $block_head $chunk_calendar $chunk_resources $chunk_end" >"$out/resources.kcrct"
# Damaged: a CRC off by one bit, an unknown chunk to be understood, the end
# chunk missing, a resource there with -1 units.
bytes "$header55 $rec_a $rec_bc $block_head ${chunk_calendar%FF9B5674}FE9B5674 $chunk_end" >"$out/calendar_bad_crc.kcrct"
bytes "$header55 $rec_a $rec_bc $block_head $chunk_unknown $chunk_end" >"$out/unknown_chunk.kcrct"
bytes "$header55 $rec_a $rec_bc $block_head $chunk_resources_negative $chunk_end" >"$out/resources_negative.kcrct"
bytes "$header55 $rec_a $rec_bc $block_head $chunk_calendar" >"$out/calendar_no_end.kcrct"
