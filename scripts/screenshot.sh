#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts the real Tarnwick program on a virtual X server, checks that the
# main window "Tarnwick" appears at its design size (536 x 473), adds a file
# through the open-file dialog, runs "Remove x" and "Find and replace" far
# enough to show each option dialog, and takes a screenshot of each window.
#
#   scripts/screenshot.sh PROGRAM OUTPUT_FOLDER
#
# Writes main-window.png, remove-dialog.png, find-replace-dialog.png and
# done-message.png into OUTPUT_FOLDER. Without xdotool only the main window
# is checked and shot. Exits 77 (skipped) when Xvfb, xwininfo or
# ImageMagick's import is missing, non-zero when a check fails.
#
# With TARNWICK_README_SHOT=FILE.png (and xdotool) it also writes the
# README's picture: the program copied to /home/reader/Tarnwick with its
# Samples folder, the samples listed, the output folder
# /home/reader/Documents/Cleaned/. /home/reader must not exist; it is
# removed afterwards.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x_windows.sh"

program="${1:?usage: screenshot.sh PROGRAM OUTPUT_FOLDER}"
output="${2:?usage: screenshot.sh PROGRAM OUTPUT_FOLDER}"

if [ -z "${TARNWICK_SCREENSHOT_INNER:-}" ]; then
  tarnwick_require_tools xvfb-run xwininfo import
  mkdir -p "$output"
  output="$(cd "$output" && pwd)"
  if [ -n "${TARNWICK_README_SHOT:-}" ]; then
    mkdir -p "$(dirname "$TARNWICK_README_SHOT")"
    TARNWICK_README_SHOT="$(cd "$(dirname "$TARNWICK_README_SHOT")" && pwd)/$(basename "$TARNWICK_README_SHOT")"
    export TARNWICK_README_SHOT
  fi
  program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
  exec env TARNWICK_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$0" "$program" "$output"
fi

unset QT_QPA_PLATFORM
work="$(mktemp -d)"
pid=""
reader=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
  if [ -n "$reader" ]; then rm -rf "$reader"; fi
}
trap cleanup EXIT

# Own settings and home, so no real user's settings are touched.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$work/in" "$work/out"
printf 'Lorem ipsum\tdolor sit amet.\r\nSecond line 42.\r\n' >"$work/in/sample.txt"

fail() { echo "FAILED: $*" >&2; exit 1; }

have_xdotool=""
command -v xdotool >/dev/null 2>&1 && have_xdotool=1

window_named() { tarnwick_window_named "$@"; }
wait_for() { tarnwick_wait_for "$@"; }

shoot() {
  local i
  for i in 1 2 3 4 5; do
    sleep 0.5
    if import -window "$1" "$output/$2" 2>/dev/null; then
      echo "screenshot: $output/$2"
      return 0
    fi
  done
  fail "no screenshot of $2"
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

start_program() {
  local operation="$1"
  printf '[Tarnwick]\nCombo1=%s\nOutput%%20Folder=%s\n' "$operation" "$work/out/" \
    >"$XDG_CONFIG_HOME/Merriveld.ini"
  "$program" >"$work/program.log" 2>&1 &
  pid=$!
  main="$(wait_for Tarnwick)" || fail "no window titled Tarnwick appeared"
  sleep 0.5
}

stop_program() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; pid=""; }

add_sample_file() {
  click "$main" 136 230  # "Add File(s)"
  local dialog
  dialog="$(wait_for "Add File(s) - Hold Ctrl to select multiple files")" ||
    fail "the open-file dialog did not appear"
  sleep 0.5
  xdotool windowfocus --sync "$dialog" || true
  xdotool type --delay 5 "$work/in/sample.txt"
  xdotool key Return
  sleep 0.5
}

# --- the main window, and "Remove x" ---
start_program 9
geometry="$(xwininfo -id "$main")"
width="$(awk '/Width:/ {print $2}' <<<"$geometry")"
height="$(awk '/Height:/ {print $2}' <<<"$geometry")"
echo "main window: ${width} x ${height}"
[ "$width" = 536 ] && [ "$height" = 473 ] || fail "main window is ${width} x ${height}, not 536 x 473"

if [ -z "$have_xdotool" ]; then
  shoot "$main" main-window.png
  echo "xdotool is missing: the run and the option dialogs were not shown"
  exit 0
fi

add_sample_file
shoot "$main" main-window.png

click "$main" 268 416  # "Start Removing"
remove="$(wait_for "Remove X - File 1. ")" || fail "the remove-what dialog did not appear"
xdotool windowfocus --sync "$remove" || true
xdotool type --delay 5 "sit "
shoot "$remove" remove-dialog.png
click "$remove" 100 135  # "OK"
done_box="$(wait_for Tarnwick "$main")" || fail "no \"Done.\" message after the run"
shoot "$done_box" done-message.png
xdotool windowfocus --sync "$done_box" || true
xdotool key Return
sleep 0.3
expected="$(printf 'Lorem ipsum\tdolor amet.\r\nSecond line 42.\r\n')"
[ "$(cat "$work/out/sample.txt")" = "$expected" ] || fail "the output file is not as expected"
echo "run: the output file lost the removed text"
stop_program

# --- "Find and replace" ---
start_program 11
add_sample_file
click "$main" 268 416
replace="$(wait_for "Find And Replace - File 1. ")" || fail "the find-and-replace dialog did not appear"
shoot "$replace" find-replace-dialog.png
stop_program
echo "all windows appeared as expected"

# --- the README's picture: the samples listed, a user's output folder ---
if [ -n "${TARNWICK_README_SHOT:-}" ]; then
  [ -e /home/reader ] && fail "/home/reader exists; the README picture needs it free"
  reader=/home/reader
  mkdir -p "$reader/Tarnwick" "$reader/Documents/Cleaned" "$reader/.config"
  cp "$program" "$reader/Tarnwick/tarnwick"
  cp -r "$(dirname "$program")/Samples" "$reader/Tarnwick/Samples"
  printf '[Tarnwick]\nCombo1=3\nOutput%%20Folder=%s\n' "$reader/Documents/Cleaned/" \
    >"$reader/.config/Merriveld.ini"
  HOME="$reader" XDG_CONFIG_HOME="$reader/.config" "$reader/Tarnwick/tarnwick" \
    >"$work/program.log" 2>&1 &
  pid=$!
  main="$(wait_for Tarnwick)" || fail "no window titled Tarnwick appeared"
  sleep 0.5
  click "$main" 400 264  # "Load Sample/Example Files"
  question="$(wait_for Tarnwick "$main")" || fail "the samples question did not appear"
  xdotool windowfocus --sync "$question" || true
  xdotool key alt+n
  sleep 0.5
  xdotool mousemove --window "$main" 530 10  # off the buttons
  import -window "$main" "$TARNWICK_README_SHOT" || fail "no README picture"
  echo "README picture: $TARNWICK_README_SHOT"
  stop_program
fi
