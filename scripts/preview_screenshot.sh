#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts the real Tarnwick program on a virtual X server and takes
# screenshots of the file list's menu windows as a user opens them:
#
#   scripts/preview_screenshot.sh PROGRAM OUTPUT_FOLDER
#
# preview-many-lines.png: "Preview changes" of a file with 300 lines whose
#   tabs "Remove all tabs" removes (the first 200 pairs shown, all counted);
# preview-utf16.png: the same for a UTF-16 file with a byte-order mark;
# report-failed.png: "Show last run's report" after a run with a missing
#   file (its sizes "-", its reason in full), whose error report is closed;
# report-after-restart.png: "Show last run's report" in the program started
#   again after a run that changed a file (read from the journal);
# report-undone.png: the same report once "Undo last run" has undone it.
# Exits 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x_windows.sh"

program="${1:?usage: preview_screenshot.sh PROGRAM OUTPUT_FOLDER}"
output="${2:?usage: preview_screenshot.sh PROGRAM OUTPUT_FOLDER}"

if [ -z "${TARNWICK_SCREENSHOT_INNER:-}" ]; then
  tarnwick_require_tools xvfb-run xdotool import iconv
  mkdir -p "$output"
  output="$(cd "$output" && pwd)"
  program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
  exec env TARNWICK_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$0" "$program" "$output"
fi

unset QT_QPA_PLATFORM
work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  if [ -s "$work/program.log" ]; then sed 's/^/  program: /' "$work/program.log" | tail -20 >&2; fi
  exit 1
}

# Own settings, home and journal, so no real user's are touched.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$work/in" "$work/out"
for i in $(seq 1 300); do printf 'Line %d:\tcolumn one\tcolumn two\r\n' "$i"; done \
  >"$work/in/many-tabs.txt"
printf 'h\xc3\xa9llo\tw\xc3\xb6rld\r\nunchanged line\r\nGr\xc3\xbc\xc3\x9fe\taus\tK\xc3\xb6ln\r\nna\xc3\xafve\tcaf\xc3\xa9\r\n' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/in/utf16le.txt"

wait_for() { tarnwick_wait_for "$@"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"; }
shoot() { sleep 0.5; import -window "$1" "$output/$2" || fail "no screenshot of $2"; echo "screenshot: $output/$2"; }

# Starts the program with "Remove all tabs" chosen and adds one file by
# typing its path into the open-file dialog.
start_with() {
  printf '[Tarnwick]\nCombo1=3\nOutput%%20Folder=%s\n' "$work/out/" >"$XDG_CONFIG_HOME/Merriveld.ini"
  "$program" >"$work/program.log" 2>&1 &
  pid=$!
  main="$(wait_for Tarnwick)" || fail "no window titled Tarnwick appeared"
  sleep 0.5
  click "$main" 136 230  # "Add File(s)"
  local dialog
  dialog="$(wait_for "Add File(s) - Hold Ctrl to select multiple files")" ||
    fail "the open-file dialog did not appear"
  sleep 0.5
  xdotool windowfocus --sync "$dialog" || true
  xdotool type --delay 5 "$1"
  xdotool key Return
  sleep 0.5
}
stop_program() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; pid=""; }

# Selects the first entry, right-clicks it and picks the menu's n-th command.
menu_command() {
  click "$main" 100 72
  sleep 0.3
  click "$main" 100 72 3
  sleep 0.5
  local k
  for ((k = 0; k < $1; k++)); do xdotool key Down; done
  xdotool key Return
}

for shot in many-tabs.txt:preview-many-lines.png utf16le.txt:preview-utf16.png; do
  start_with "$work/in/${shot%%:*}"
  menu_command 1
  preview="$(wait_for "Preview changes")" || fail "no preview of ${shot%%:*}"
  shoot "$preview" "${shot#*:}"
  stop_program
done

start_with "$work/in/a-file-that-went-away-before-the-run-began.txt"
click "$main" 268 416  # "Start Removing"
error_box="$(wait_for "Application Error")" || fail "the missing file was not reported"
xdotool windowfocus --sync "$error_box" || true
xdotool key Return
done_box="$(wait_for Tarnwick "$main")" || fail "no \"Done.\" message after the run"
xdotool windowfocus --sync "$done_box" || true
xdotool key Return
sleep 0.3
menu_command 2
report="$(wait_for "Last run's report")" || fail "no report window"
shoot "$report" report-failed.png
stop_program

# A run that changes a file, the program ended and started again: the
# report comes from the journal; then the run undone through the menu.
start_with "$work/in/many-tabs.txt"
click "$main" 268 416  # "Start Removing"
done_box="$(wait_for Tarnwick "$main")" || fail "no \"Done.\" message after the run"
xdotool windowfocus --sync "$done_box" || true
xdotool key Return
sleep 0.3
stop_program
"$program" >"$work/program.log" 2>&1 &
pid=$!
main="$(wait_for Tarnwick)" || fail "no window titled Tarnwick appeared after the restart"
sleep 0.5
menu_command 2
report="$(wait_for "Last run's report")" || fail "no report window after the restart"
shoot "$report" report-after-restart.png
xdotool windowfocus --sync "$report" || true
xdotool key Escape
sleep 0.3
menu_command 3
question="$(wait_for Tarnwick "$main")" || fail "undo asked nothing"
xdotool windowfocus --sync "$question" || true
xdotool key alt+y
undo="$(wait_for "Undo last run")" || fail "no undo window"
xdotool windowfocus --sync "$undo" || true
xdotool key Escape
sleep 0.3
menu_command 2
report="$(wait_for "Last run's report")" || fail "no report window after the undo"
shoot "$report" report-undone.png
stop_program
