#!/usr/bin/env bash
# Builds the scheme-reader fuzzer with clang and runs it for SECONDS (default
# 60) on a copy of fuzz/corpus. Exits non-zero on any crash, leak, timeout or
# sanitizer report; the input that caused it is kept in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANT_FUZZ=ON -DKORVANT_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_scheme_reader -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$build/artifacts"
cp fuzz/corpus/* "$work/corpus/"

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$build/fuzz/fuzz_scheme_reader" "$work/corpus" \
    -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/" -print_final_stats=1
