#!/usr/bin/env bash
# Installs what building and testing KORVANT needs on Debian 12, and nothing
# that is there already. Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation fontconfig
  xvfb xauth
  clang libclang-rt-14-dev
  # Tools of the tests and the scripts only, not of the program: the install
  # test validates the menu entry, the user-level checks drive the windows,
  # the crossing comparison runs Graphviz, pictures and PDFs are looked at.
  desktop-file-utils xdotool graphviz poppler-utils imagemagick
  # xmllint validates MS Project XML out where the schema is at hand.
  libxml2-utils
  # The levelling benchmark's exact solvers for the optima of small instances.
  minizinc coinor-cbc
  # cpack -G DEB reads the libraries' package names.
  dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
