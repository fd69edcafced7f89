#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the memory benchmark in Release and runs it (about 2.5 GiB of free
# disk space, a minute or two). An argument names the folder for its files.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_BENCH_BUILD:-$root/build-release}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tarnwick_memory_bench
folder="${1:-$build/memory-bench-data}"
trap 'rm -rf "$folder"' EXIT
"$build/bench/tarnwick_memory_bench" --folder "$folder"
