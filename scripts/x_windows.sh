# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Shared by the scripts that drive the real program on a virtual X server.
# Source it; it defines functions only.

# Exits 77 (skipped) with a message when one of the tools is missing.
tarnwick_require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is missing (install xvfb, xdotool, x11-utils, imagemagick)"
      exit 77
    fi
  done
}

# Prints the id of a visible window with exactly this title, other than the
# ids given after it; fails when there is none. Without xdotool it finds
# the first window of that title with xwininfo.
tarnwick_window_named() {
  local title="$1"; shift
  if ! command -v xdotool >/dev/null 2>&1; then
    xwininfo -name "$title" 2>/dev/null | awk '/Window id:/ {print $4}' | grep .
    return
  fi
  local pattern id other skip
  pattern="^$(printf '%s' "$title" | sed 's/[][().*^$+?|\\]/\\&/g')\$"
  for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
    skip=""
    for other in "$@"; do [ "$id" = "$other" ] && skip=1; done
    [ -z "$skip" ] && { echo "$id"; return 0; }
  done
  return 1
}

# Waits up to ten seconds for tarnwick_window_named with the same arguments.
tarnwick_wait_for() {
  local i
  for i in $(seq 1 100); do
    if tarnwick_window_named "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}
