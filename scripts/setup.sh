#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Shared by run.sh and test.sh: installs what is missing (Debian 12, as root)
# and configures and builds the project. Fast when nothing changed.
set -euo pipefail

TARNWICK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TARNWICK_BUILD="${TARNWICK_BUILD:-$TARNWICK_ROOT/build}"

TARNWICK_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-liberation
  desktop-file-utils appstream man-db lintian reuse ccache
)

tarnwick_install_missing() {
  local missing=()
  local p
  for p in "${TARNWICK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures once; configures again when the requested build type is not
# the one the build folder was made with.
tarnwick_build() {
  local build_type="${TARNWICK_BUILD_TYPE:-RelWithDebInfo}"
  local configured=""
  if [ -f "$TARNWICK_BUILD/CMakeCache.txt" ]; then
    configured="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$TARNWICK_BUILD/CMakeCache.txt")"
  fi
  if [ ! -f "$TARNWICK_BUILD/build.ninja" ] || [ "$configured" != "$build_type" ]; then
    cmake -S "$TARNWICK_ROOT" -B "$TARNWICK_BUILD" -G Ninja \
      -DCMAKE_BUILD_TYPE="$build_type" "$@"
  fi
  cmake --build "$TARNWICK_BUILD" -j "$(nproc)"
}
