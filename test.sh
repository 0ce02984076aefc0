#!/usr/bin/env bash
# Builds KORVANT with warnings as errors and runs every test through ctest.
# Widget tests use Qt's offscreen platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
build=${KORVANT_BUILD_DIR:-build/test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANT_WERROR=ON \
  ${KORVANT_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2
