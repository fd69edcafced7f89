#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a temporary prefix and checks what a Linux desktop
# needs of it:
#   - the installed tree, file by file: the two programs alone in bin/, the
#     samples (byte for byte) in share/tarnwick/Samples, the menu entry, the
#     AppStream metadata, the icon at its sizes and scalable, the manual
#     pages, the bash completion;
#   - desktop-file-validate and appstreamcli validate --no-net accept the
#     menu entry and the metadata;
#   - the manual pages render without warnings and name the same options
#     and operations as "tarnwick-batch --help"; the completion offers them;
#   - the installed tarnwick-batch runs an operation;
#   - the menu entry's command, the installed window program, finds its
#     samples in share/tarnwick (offscreen, through its hidden
#     --list-samples switch);
#   - the Debian package that CPack makes passes lintian without errors
#     (warnings are printed);
#   - every file of the source tree names its licence: reuse lint on a copy
#     after scripts/spdx_headers.sh, and on the tree itself once its files
#     carry the lines.
#
#   tests/install/install_test.sh CMAKE BUILD_FOLDER SOURCE_FOLDER
#
# Exits 77 (skipped) when a validator, man, lintian or reuse is missing.
set -euo pipefail

cmake="${1:?usage: install_test.sh CMAKE BUILD_FOLDER SOURCE_FOLDER}"
build="${2:?usage: install_test.sh CMAKE BUILD_FOLDER SOURCE_FOLDER}"
source="${3:?usage: install_test.sh CMAKE BUILD_FOLDER SOURCE_FOLDER}"

for tool in desktop-file-validate appstreamcli man lintian reuse; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is missing (install desktop-file-utils, appstream, man-db, lintian, reuse)"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

id=example.merriveld.tarnwick
sizes=(16 24 32 48 64 128 256)
samples=()
for f in "$source"/samples/*; do
  [ "$(basename "$f")" = CMakeLists.txt ] || samples+=("$(basename "$f")")
done
[ ${#samples[@]} -gt 0 ] || fail "no sample files found in $source/samples"

# The installed tree, exactly.
{
  printf '%s\n' bin/tarnwick bin/tarnwick-batch \
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" \
    share/man/man1/tarnwick.1.gz share/man/man1/tarnwick-batch.1.gz \
    share/bash-completion/completions/tarnwick-batch \
    share/doc/tarnwick/copyright share/doc/tarnwick/changelog.gz
  for s in "${sizes[@]}"; do echo "share/icons/hicolor/${s}x${s}/apps/$id.png"; done
  for f in "${samples[@]}"; do echo "share/tarnwick/Samples/$f"; done
} | LC_ALL=C sort >"$work/expected"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed"
diff -u "$work/expected" "$work/installed" >&2 || fail "the installed tree differs (- expected, + installed)"
for p in tarnwick tarnwick-batch; do
  [ -x "$prefix/bin/$p" ] || fail "bin/$p is not executable"
done
for f in "${samples[@]}"; do
  cmp -s "$source/samples/$f" "$prefix/share/tarnwick/Samples/$f" || fail "sample $f changed on install"
done
for s in "${sizes[@]}"; do
  png="$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png"
  # The PNG signature, then the header chunk's width and height.
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w $h" = "$s $s" ] || fail "$png is ${w}x${h}, not ${s}x${s}"
done
grep -q '<svg[^>]*viewBox="0 0 64 64"' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ||
  fail "the scalable icon is no 64x64 SVG drawing"
for gz in share/doc/tarnwick/changelog.gz share/man/man1/tarnwick.1.gz share/man/man1/tarnwick-batch.1.gz; do
  gzip -t "$prefix/$gz" || fail "$gz is no gzip file"
  # gzip -n: no name flag and no time stamp in the header (bytes 4 to 8).
  [ "$(od -An -tx1 -j3 -N5 "$prefix/$gz" | tr -d ' \n')" = 0000000000 ] ||
    fail "$gz carries a name or a time stamp"
done
echo "installed tree: as expected (${#samples[@]} samples, ${#sizes[@]} icon sizes)"

# The validators: no errors and no warnings.
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" >"$work/dfv.log" 2>&1 || { cat "$work/dfv.log" >&2; fail "desktop-file-validate"; }
[ ! -s "$work/dfv.log" ] || { cat "$work/dfv.log" >&2; fail "desktop-file-validate has remarks"; }
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 || { cat "$work/as.log" >&2; fail "appstreamcli validate"; }
if grep -E '^[EW]:' "$work/as.log" >&2; then fail "appstreamcli validate reports errors or warnings"; fi
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metadata does not launch $id.desktop"
grep -qx "Icon=$id" "$desktop" || fail "the menu entry does not name the icon $id"
grep -q "kDesktopFileName\\[\\] = \"$id\";" "$source/core/product.h" ||
  fail "the window program does not give $id as its desktop file name (core/product.h)"
echo "validators: the menu entry and the metadata pass"

# The manual pages against --help.
batch="$prefix/bin/tarnwick-batch"
"$batch" --help >"$work/help.txt" || fail "tarnwick-batch --help"
for page in tarnwick tarnwick-batch; do
  LC_ALL=C MANWIDTH=200 man --warnings -l "$prefix/share/man/man1/$page.1.gz" \
    >"$work/$page.man" 2>"$work/$page.warnings" || fail "man -l $page.1"
  [ ! -s "$work/$page.warnings" ] || { cat "$work/$page.warnings" >&2; fail "man -l $page.1 warns"; }
  grep -q "^NAME" "$work/$page.man" || fail "$page.1 rendered without a NAME section"
done
long_options() { grep -oE -- '--[a-z][a-z-]*' "$1" | LC_ALL=C sort -u; }
diff -u <(long_options "$work/help.txt") <(long_options "$work/tarnwick-batch.man") >&2 ||
  fail "tarnwick-batch.1 and --help name different options (- help, + manual)"
operations() { sed -nE 's/^ {20,}([0-9]+) +([a-z-]+).*/\1 \2/p' "$1" | LC_ALL=C sort -u; }
operations "$work/help.txt" >"$work/help.ops"
[ -s "$work/help.ops" ] || fail "no operations found in --help"
diff -u "$work/help.ops" <(sed -nE 's/^ +([0-9]+) ([a-z-]+)$/\1 \2/p' "$work/tarnwick-batch.man" | LC_ALL=C sort -u) >&2 ||
  fail "tarnwick-batch.1 and --help list different operations (- help, + manual)"
version="$("$batch" --version | grep -oE '[0-9]+\.[0-9]+\.[0-9]+')"
for page in tarnwick tarnwick-batch; do
  tail -n 1 "$work/$page.man" | grep -q "Tarnwick $version" || fail "$page.1 is not of version $version"
done
echo "manual pages: render cleanly, options and operations as in --help"

# The bash completion offers the options and operations of --help.
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
           _tarnwick_batch; printf "%s\n" "${COMPREPLY[@]}"' _ \
    "$prefix/share/bash-completion/completions/tarnwick-batch" tarnwick-batch "$@" | LC_ALL=C sort -u
}
diff -u <(grep -oE '^ +(-h, )?--[a-z][a-z-]*' "$work/help.txt" | grep -oE -- '--[a-z-]+' | LC_ALL=C sort -u) \
  <(complete_words "--" | grep -v '^--$') >&2 || fail "the completion offers other options than --help"
diff -u <(cut -d' ' -f2 "$work/help.ops" | LC_ALL=C sort -u) <(complete_words --operation "") >&2 ||
  fail "the completion offers other operations than --help"
[ "$(complete_words --operation = find)" = find-and-replace ] || fail "the completion of --operation=find"
mkdir -p "$work/cwd/out folder" "$work/cwd/other"
[ "$(cd "$work/cwd" && complete_words --output "ou")" = "out folder" ] || fail "the completion of --output"
echo "bash completion: options, operations and folders"

# The installed tarnwick-batch runs an operation.
mkdir -p "$work/in" "$work/out"
printf 'one\ttwo\r\nthree\t\n' >"$work/in/tabs.txt"
"$batch" --operation remove-all-tabs --output "$work/out" "$work/in/tabs.txt" >"$work/batch.log" 2>&1 ||
  { cat "$work/batch.log" >&2; fail "the installed tarnwick-batch failed"; }
[ "$(od -An -c "$work/out/tabs.txt" | tr -s ' \n' ' ')" = "$(printf 'onetwo\r\nthree\n' | od -An -c | tr -s ' \n' ' ')" ] ||
  fail "the installed tarnwick-batch wrote the wrong bytes"
printf 'one\ttwo\r\nthree\t\n' | cmp -s - "$work/in/tabs.txt" || fail "the input file changed"
echo "tarnwick-batch: removed the tabs of a copy"

# Completion of --undo offers the ids --list-runs prints, and nothing else.
export XDG_STATE_HOME="$work/state"
"$batch" --operation remove-all-tabs --output "$work/out" "$work/in/tabs.txt" >/dev/null 2>&1 ||
  fail "the second run failed"
"$batch" --list-runs | cut -f1 | LC_ALL=C sort -u >"$work/run.ids"
[ "$(wc -l <"$work/run.ids")" -ge 1 ] || fail "--list-runs lists no run"
diff -u "$work/run.ids" <(PATH="$prefix/bin:$PATH" complete_words --undo "") >&2 ||
  fail "the completion of --undo offers other words than the run ids"
[ -z "$(PATH="$prefix/bin:$PATH" complete_words --undo "no-such")" ] ||
  fail "the completion of --undo offers a file name"
echo "bash completion: --undo offers the journaled runs"

# The menu entry's command finds its samples in share/tarnwick.
command="$(sed -n 's/^Exec=//p' "$desktop")"
[ "$command" = tarnwick ] || fail "the menu entry runs '$command', not tarnwick"
mkdir -p "$work/home" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
for f in "${samples[@]}"; do echo "$prefix/share/tarnwick/Samples/$f"; done | LC_ALL=C sort >"$work/expected.samples"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  PATH="$prefix/bin:$PATH" "$command" --list-samples 2>"$work/window.log" | LC_ALL=C sort >"$work/listed.samples" ||
  { cat "$work/window.log" >&2; fail "the installed window program failed"; }
diff -u "$work/expected.samples" "$work/listed.samples" >&2 ||
  fail "the installed window program listed other samples (- expected, + listed)"
echo "window program: lists the samples of $prefix/share/tarnwick/Samples"

# The Debian package: lintian finds no error.
cpack="$(dirname "$cmake")/cpack"
"$cmake" -E chdir "$build" "$cpack" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
deb="$(ls "$work/package"/tarnwick_*.deb)"
dpkg-deb -c "$deb" | grep ' ./usr/share/doc/tarnwick/copyright$' >/dev/null || fail "the package has no copyright file"
status=0
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -E '^[EWIP]:' "$work/lintian.log" || true
[ "$status" -eq 0 ] || { cat "$work/lintian.log" >&2; fail "lintian reports errors or failed (status $status)"; }
echo "Debian package: lintian reports no error ($(grep -c '^W:' "$work/lintian.log" || true) warnings)"

# Every file names its licence (REUSE): scripts/spdx_headers.sh on a copy of
# the tracked files makes "reuse lint" pass; the tree itself must pass once
# its files carry the lines.
tree="$work/tree"
mkdir -p "$tree"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source" && git ls-files -z | xargs -0 cp --parents -P -t "$tree")
else
  (cd "$source" && find . -path './build*' -prune -o -path ./.git -prune -o -type f -print0 |
     xargs -0 cp --parents -P -t "$tree")
fi
"$tree/scripts/spdx_headers.sh" "$tree" >"$work/spdx.log" 2>&1 || { cat "$work/spdx.log" >&2; fail "spdx_headers.sh"; }
"$tree/scripts/spdx_headers.sh" "$tree" | grep 'added to 0 file' >/dev/null || fail "spdx_headers.sh changes files on a second run"
(cd "$tree" && reuse lint) >"$work/reuse.log" 2>&1 || { cat "$work/reuse.log" >&2; fail "reuse lint after spdx_headers.sh"; }
# The lines are added to the whole tree in one go; until then (the top
# CMakeLists.txt has none) the tree itself is not held to them.
if head -n 8 "$source/CMakeLists.txt" | grep -F "SPDX""-License-Identifier:" >/dev/null; then
  "$source/scripts/spdx_headers.sh" --check "$source" >&2 || fail "files without their licence lines"
  (cd "$source" && reuse lint) >"$work/reuse.log" 2>&1 || { cat "$work/reuse.log" >&2; fail "reuse lint"; }
  echo "licences: reuse lint passes on the tree"
else
  echo "licences: reuse lint passes after scripts/spdx_headers.sh (the tree has no licence lines yet)"
fi
echo "the installed tree is complete and works"
