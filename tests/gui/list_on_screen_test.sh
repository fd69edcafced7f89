#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# The file list of the real program on a virtual X server, driven with the
# real mouse and keyboard:
#   - a drag of plain text from another program is refused;
#   - a drag of a folder and two files ("~" name included) is taken as a
#     copy: the folder's files, then the files, are listed;
#   - a double-click removes the entry under the pointer;
#   - "Load Sample/Example Files" lists the samples and asks its question,
#     answered No;
#   - a run ("Remove all tabs") then writes exactly the listed files.
#
#   tests/gui/list_on_screen_test.sh PROGRAM DRAG_SOURCE
#
# Exits 77 (skipped) when Xvfb, xdotool or xwininfo is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/x_windows.sh"

program="${1:?usage: list_on_screen_test.sh PROGRAM DRAG_SOURCE}"
drag_source="${2:?usage: list_on_screen_test.sh PROGRAM DRAG_SOURCE}"

if [ -z "${TARNWICK_ON_SCREEN_INNER:-}" ]; then
  tarnwick_require_tools xvfb-run xdotool xwininfo
  exec env TARNWICK_ON_SCREEN_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$0" "$program" "$drag_source"
fi

unset QT_QPA_PLATFORM
work="$(mktemp -d)"
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  if [ -n "${TARNWICK_ON_SCREEN_SHOT:-}" ]; then import -window root "$TARNWICK_ON_SCREEN_SHOT" || true; fi
  echo "--- program output:" >&2; cat "$work/program.log" >&2 || true
  exit 1
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$work/out" "$work/drop/Sub"
printf 'a\tb\n' >"$work/drop/a.txt"
printf 'tilde\n' >"$work/drop/~b.txt"
printf 'c\n' >"$work/drop/Sub/c.txt"
printf 'removed\n' >"$work/drop/Sub/removed.txt"
# "Remove all tabs in text file(s)", results into $work/out.
printf '[Tarnwick]\nCombo1=3\nOutput%%20Folder=%s\n' "$work/out/" \
  >"$XDG_CONFIG_HOME/Merriveld.ini"

window_named() { tarnwick_window_named "$@"; }
wait_for() { tarnwick_wait_for "$@"; }

"$program" >"$work/program.log" 2>&1 &
pids+=($!)
main="$(wait_for Tarnwick)" || fail "no window titled Tarnwick appeared"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
list_x=$((X + 260)) list_y=$((Y + 140))

# Drags from the source's corner to the middle of the list; prints the
# action the list chose.
drag_onto_list() {
  "$drag_source" "$@" >"$work/source.log" 2>&1 &
  local source_pid=$!
  pids+=("$source_pid")
  wait_for "drag source" >/dev/null || fail "the drag source did not appear"
  sleep 0.3
  xdotool mousemove 50 50
  sleep 0.2
  xdotool mousedown 1
  sleep 0.3
  local step
  for step in 1 2 3 4 5; do
    xdotool mousemove $((50 + (list_x - 50) * step / 5)) $((50 + (list_y - 50) * step / 5))
    sleep 0.15
  done
  sleep 0.3
  xdotool mouseup 1
  local i
  for i in $(seq 1 50); do
    grep -q "drop action" "$work/source.log" && break
    sleep 0.1
  done
  # The list asks the source for the dragged data after the drop: the
  # source must still be there to answer.
  sleep 1.5
  kill "$source_pid" 2>/dev/null || true
  wait "$source_pid" 2>/dev/null || true
  sed -n 's/^drop action //p' "$work/source.log"
}

action="$(drag_onto_list --text)"
[ "$action" = 0 ] || fail "a drag of text was taken (action '$action')"
echo "text drag: refused"

action="$(drag_onto_list "$work/drop/Sub" "$work/drop/a.txt" "$work/drop/~b.txt")"
[ "$action" = 1 ] || fail "the drag of files was not taken as a copy (action '$action')"
echo "file drag: taken as a copy"
sleep 0.5
[ -n "${TARNWICK_ON_SCREEN_SHOT:-}" ] && import -window root "${TARNWICK_ON_SCREEN_SHOT%.png}-dropped.png"

# The list now holds Sub/c.txt, Sub/removed.txt, a.txt, ~b.txt: a
# double-click on the second entry removes it.
xdotool mousemove --window "$main" 150 81 click --repeat 2 --delay 60 1
sleep 0.5

xdotool mousemove --window "$main" 400 264 click 1  # "Load Sample/Example Files"
question="$(wait_for Tarnwick "$main")" || fail "the samples question did not appear"
xdotool windowfocus --sync "$question" || true
xdotool key alt+n
sleep 0.5
window_named Tarnwick "$main" >/dev/null && fail "the samples question is still open"
echo "samples: question answered No"

xdotool mousemove --window "$main" 268 416 click 1  # "Start Removing"
done_box="$(wait_for Tarnwick "$main")" || fail "no \"Done.\" message after the run"
xdotool windowfocus --sync "$done_box" || true
xdotool key Return
sleep 0.3

expected="$( (printf '%s\n' a.txt '~b.txt' c.txt; ls -A "$(dirname "$program")/Samples") | sort)"
written="$(ls -A "$work/out" | sort)"
[ "$written" = "$expected" ] || fail "the run wrote $(echo $written), not $(echo $expected)"
[ "$(cat "$work/out/a.txt")" = "ab" ] || fail "a.txt was not processed"
[ "$(cat "$work/drop/a.txt")" = "$(printf 'a\tb')" ] || fail "the dropped file itself changed"
echo "run: wrote the dropped files, less the removed one, and the samples"
echo "the list took drops, a double-click and the samples as expected"
