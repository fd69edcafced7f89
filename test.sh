#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/setup.sh"
tarnwick_install_missing
tarnwick_build
cd "$TARNWICK_BUILD"
ctest --output-on-failure -j "$(nproc)" "$@"
