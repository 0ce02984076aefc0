#!/usr/bin/env bash
# Builds the fuzzers with clang and runs the scheme reader's for SECONDS
# (default 60) on a copy of fuzz/corpus, then each reader of other programs'
# files (MS Project XML, CSV, PSPLIB) for READER_SECONDS (default 25) on a copy
# of fuzz/corpus-xml, -csv and -sm. Exits non-zero on any crash, leak, timeout
# or sanitizer report; the input that caused it is kept in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
reader_seconds=${2:-25}
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANT_FUZZ=ON -DKORVANT_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_scheme_reader fuzz_xml_reader fuzz_csv_reader \
  fuzz_psplib_reader -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

# fuzz NAME CORPUS SECONDS
fuzz() {
  mkdir -p "$work/$1"
  cp "$2"/* "$work/$1/"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$1" "$work/$1" \
      -max_total_time="$3" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$build/artifacts/$1-" -print_final_stats=1
}

fuzz scheme_reader fuzz/corpus "$seconds"
fuzz xml_reader fuzz/corpus-xml "$reader_seconds"
fuzz csv_reader fuzz/corpus-csv "$reader_seconds"
fuzz psplib_reader fuzz/corpus-sm "$reader_seconds"
