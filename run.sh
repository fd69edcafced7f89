#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds, and starts Tarnwick.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/setup.sh"
tarnwick_install_missing
tarnwick_build
program="$TARNWICK_BUILD/app/tarnwick"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Tarnwick on a virtual X server (Xvfb)."
  echo "Set DISPLAY to use your own screen."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
fi
exec "$program"
