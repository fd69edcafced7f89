#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the engine benchmark in Release and runs it. Extra arguments go to
# the benchmark (--repetitions N, --mib N, --utf16-mib N, --folder DIR).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_BENCH_BUILD:-$root/build-release}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tarnwick_engine_bench
folder="$build/bench-data"
trap 'rm -rf "$folder"' EXIT
"$build/bench/tarnwick_engine_bench" --folder "$folder" "$@"
