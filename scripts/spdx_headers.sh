#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Puts the licence and copyright lines (REUSE, https://reuse.software) at the
# top of every tracked source, script and build file that has none, in the
# file's own comment syntax: after a "#!" line or an XML declaration, which
# must stay first. Files that cannot carry a comment (images, the samples,
# JSON) are covered by .reuse/dep5 instead and left alone. The metainfo
# file's own licence is the CC0-1.0 it declares as its metadata licence.
#
# Running it again changes nothing: a file that names its licence on one of
# its first lines is left as it is.
#
#   scripts/spdx_headers.sh [--check] [FOLDER]
#
# FOLDER is the checkout (by default the one holding this script); its files
# are those git tracks there, or all files outside build folders where git
# is missing. --check changes nothing, lists the files that lack the lines
# and fails when there is one.
set -euo pipefail

check=false
if [ "${1:-}" = --check ]; then check=true; shift; fi
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$root"

# Spelled in two parts so that this script's own text holds no tag.
license_tag="SPDX""-License-Identifier:"
copyright_tag="SPDX""-FileCopyrightText:"
copyright="2026 Merriveld"

# "prefix suffix" of a line comment for a file, or nothing when the file is
# not one to mark here.
comment_style() {
  case "$1" in
    *.cpp | *.h) echo '// |' ;;
    *.metainfo.xml.in | *.svg | *.xml | *.md) echo '<!-- | -->' ;;
    *.1.in | *.1) echo '.\" |' ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | *.sh | *.bash-completion | \
      *.desktop | .gitignore | */.gitignore | .gitattributes | */.gitattributes | \
      scripts/layers.txt | .ci/run | run.sh | test.sh) echo '# |' ;;
    *) ;;
  esac
}

licence_of() {
  case "$1" in
    *.metainfo.xml.in) echo CC0-1.0 ;;
    *) echo GPL-3.0-or-later ;;
  esac
}

list_files() {
  if command -v git >/dev/null 2>&1 && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files
  else
    find . -path './build*' -prune -o -path ./.git -prune -o -type f -print | sed 's|^\./||'
  fi
}

missing=0
changed=0
while IFS= read -r file; do
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  style="$(comment_style "$file")"
  [ -n "$style" ] || continue
  if head -n 8 "$file" | grep -F "$license_tag" >/dev/null; then continue; fi
  missing=$((missing + 1))
  if $check; then
    echo "$file"
    continue
  fi
  prefix="${style%%|*}"
  suffix="${style#*|}"
  block="$(printf '%s%s %s%s\n%s%s %s%s' \
    "$prefix" "$copyright_tag" "$copyright" "$suffix" \
    "$prefix" "$license_tag" "$(licence_of "$file")" "$suffix")"
  first="$(head -n 1 "$file")"
  tmp="$(mktemp "$file.spdx-XXXXXX")"
  {
    case "$first" in
      '#!'* | '<?xml'*)
        # These must stay the first line.
        printf '%s\n%s\n' "$first" "$block"
        [ "$prefix" != '# ' ] || echo
        tail -n +2 "$file"
        ;;
      *)
        printf '%s\n' "$block"
        # A blank line after the lines, where the syntax takes it as nothing
        # (not in a manual page, where it would be vertical space).
        case "$prefix" in
          '// ' | '# ') echo ;;
        esac
        cat "$file"
        ;;
    esac
  } >"$tmp"
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
  changed=$((changed + 1))
done < <(list_files)

if $check; then
  if [ "$missing" -gt 0 ]; then
    echo "$missing file(s) above lack the licence line: run scripts/spdx_headers.sh" >&2
    exit 1
  fi
  echo "every source, script and build file names its licence"
else
  echo "licence lines added to $changed file(s)"
fi
