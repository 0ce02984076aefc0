#!/usr/bin/env bash
# Builds KORVANT (release) and starts it with the bundled example scheme.
# Without a display it runs under xvfb-run; set QT_QPA_PLATFORM=offscreen to
# run with no screen at all.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANT_BENCH=OFF >/dev/null
cmake --build build/release -j2 --target korvant
example=examples/construction.kcrct
args=("$@")
[ ${#args[@]} -eq 0 ] && [ -f "$example" ] && args=("$example")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a build/release/src/ui/korvant "${args[@]}"
fi
exec build/release/src/ui/korvant "${args[@]}"
