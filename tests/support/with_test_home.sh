#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a command with a fresh home of its own: HOME, XDG_CONFIG_HOME,
# XDG_STATE_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR point
# into a new folder below PARENT, removed when the command ends. Exits with
# the command's status (77, skipped, included).
#
#   tests/support/with_test_home.sh PARENT COMMAND [ARGUMENT...]
set -euo pipefail

parent="${1:?usage: with_test_home.sh PARENT COMMAND [ARGUMENT...]}"
shift
[ $# -gt 0 ] || { echo "usage: with_test_home.sh PARENT COMMAND [ARGUMENT...]" >&2; exit 2; }
mkdir -p "$parent"
home="$(mktemp -d "$parent/home-XXXXXX")"
trap 'chmod -R u+rwx "$home" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/.config" "$home/.local/state" "$home/.local/share" "$home/.cache"
mkdir -m 700 "$home/runtime"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state" \
  XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime"
status=0
"$@" || status=$?
exit "$status"
