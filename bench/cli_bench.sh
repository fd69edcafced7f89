#!/usr/bin/env bash
# Whole-process figures for tarnwick-batch against cp and tr, in one run.
#
#   bench/cli_bench.sh PATH/TO/tarnwick-batch [WORK_FOLDER]
#
# 1. 10,000 files of 2 KiB in 100 folders, remove-all-tabs into one output
#    folder, against cp of the same files into a folder followed by
#    tr -d '\t' over each copy (a find -exec loop; each result written to a
#    new file and renamed over the copy). Also with a final sync, because
#    tarnwick-batch flushes each result to disk before it replaces the copy
#    (safe write); the copies themselves are new files and are not flushed.
# 2. One 256 MiB file, remove-all-tabs, against cp, cp + sync, and
#    cp + tr + sync.
# The many-file comparison runs again on tmpfs (/dev/shm) when there is one,
# where flushing costs nothing (SKIP_MEMORY=1 leaves it out).
# Every figure is the median of REPEAT runs (default 3) of wall time.
# Outputs are compared byte for byte with tr's.
set -euo pipefail

program=${1:?usage: cli_bench.sh PATH/TO/tarnwick-batch [WORK_FOLDER]}
program=$(realpath "$program")
repeat=${REPEAT:-3}
files_per_folder=100
folders=100
big_mib=${BIG_MIB:-256}

if [[ $# -ge 2 ]]; then
  mkdir -p "$2"
  work=$(mktemp -d "$2/cli-bench-XXXXXX")
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/cli-bench-XXXXXX")
fi
trap 'rm -rf "$work"' EXIT
echo "work folder: $work ($(df -T "$work" | awk 'NR==2 {print $2}'))"

# Seconds taken by a command, to the millisecond.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000000" | bc
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

ratio() {
  echo "scale=2; $1 / $2" | bc
}

# --- test data -------------------------------------------------------------
echo "generating $((folders * files_per_folder)) files of 2 KiB in $folders folders ..."
awk -v root="$work/many" -v folders="$folders" -v per="$files_per_folder" '
BEGIN {
  line = "word\tword  words\t12345\tmore text here\tand\tthere\r\n"
  block = ""
  while (length(block) + length(line) <= 2048) block = block line
  block = block substr("xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 1, 2048 - length(block))
  for (d = 0; d < folders; d++) {
    folder = sprintf("%s/d%03d", root, d)
    system("mkdir -p " folder)
    for (f = 0; f < per; f++) {
      name = sprintf("%s/f%03d_%03d.txt", folder, d, f)
      printf "%s", block > name
      close(name)
    }
  }
}'
echo "generating one file of $big_mib MiB ..."
awk -v mib="$big_mib" 'BEGIN {
  line = "word\tword  words\t12345\tmore text here\tand\tthere \xc3\xa9\r\n"
  chunk = ""; while (length(chunk) < 65536) chunk = chunk line
  total = mib * 1048576; n = 0
  while (n + length(chunk) <= total) { printf "%s", chunk; n += length(chunk) }
  printf "%s", substr(chunk, 1, total - n)
}' > "$work/big.txt"
sync

# --- many files --------------------------------------------------------------
# many_files FOLDER LABEL: the many-file comparison on the file system that
# holds FOLDER.
many_files() {
  local base=$1 label=$2
  rm -rf "$base/out" "$base/out2"
  if [[ "$base" != "$work" ]]; then cp -r "$work/many" "$base/many"; fi
  ours_many() {
    rm -rf "$base/out"; mkdir "$base/out"
    "$program" --operation remove-all-tabs --output "$base/out" \
      --add-folder "$base/many"
  }
  cp_files() {
    rm -rf "$base/out2"; mkdir "$base/out2"
    find "$base/many" -type f -exec cp --reflink=never -t "$base/out2" {} +
  }
  tr_loop() {
    find "$base/out2" -type f -exec sh -c \
      'for f; do tr -d "\t" < "$f" > "$f.tmp" && mv -f "$f.tmp" "$f"; done' sh {} +
  }
  cp_tr_many() { cp_files; tr_loop; }
  cp_tr_many_sync() { cp_files; tr_loop; sync -f "$base/out2"; }

  local -a t_ours=() t_cp=() t_cptr=() t_cptrs=()
  local i
  for ((i = 0; i < repeat; i++)); do
    sync
    t_ours+=("$(seconds ours_many)")
    t_cp+=("$(seconds cp_files)")
    t_cptr+=("$(seconds cp_tr_many)")
    sync
    t_cptrs+=("$(seconds cp_tr_many_sync)")
  done
  if ! diff -r -q "$base/out" "$base/out2" > /dev/null; then
    echo "MISMATCH: tarnwick-batch's output differs from tr's" >&2
    exit 1
  fi
  local m_ours m_cp m_cptr m_cptrs
  m_ours=$(median "${t_ours[@]}")
  m_cp=$(median "${t_cp[@]}")
  m_cptr=$(median "${t_cptr[@]}")
  m_cptrs=$(median "${t_cptrs[@]}")
  echo
  echo "10,000 files of 2 KiB in 100 folders, remove-all-tabs, $label (median of $repeat, seconds):"
  printf '  %-44s %8s\n' "tarnwick-batch (flushes every result)" "$m_ours"
  printf '  %-44s %8s\n' "cp of the files" "$m_cp"
  printf '  %-44s %8s   ratio ours/this %s\n' "cp + tr loop" "$m_cptr" "$(ratio "$m_ours" "$m_cptr")"
  printf '  %-44s %8s   ratio ours/this %s\n' "cp + tr loop + sync" "$m_cptrs" "$(ratio "$m_ours" "$m_cptrs")"
  rm -rf "$base/out" "$base/out2"
  if [[ "$base" != "$work" ]]; then rm -rf "$base/many"; fi
}

many_files "$work" "on $(df -T "$work" | awk 'NR==2 {print $2}')"
# The same in memory, where flushing to disk costs nothing: what is left is
# the work of the processes themselves.
if [[ "${SKIP_MEMORY:-0}" != 1 && -d /dev/shm ]] &&
   [[ "$(df -T /dev/shm | awk 'NR==2 {print $2}')" == tmpfs ]]; then
  memory=$(mktemp -d /dev/shm/cli-bench-XXXXXX)
  trap 'rm -rf "$work" "$memory"' EXIT
  many_files "$memory" "on tmpfs (no disk)"
fi

# --- one big file ------------------------------------------------------------
ours_big() {
  rm -rf "$work/bout"; mkdir "$work/bout"
  "$program" --operation remove-all-tabs --output "$work/bout" "$work/big.txt"
}
cp_big() {
  rm -rf "$work/bout2"; mkdir "$work/bout2"
  cp --reflink=never "$work/big.txt" "$work/bout2/"
}
cp_big_sync() { cp_big; sync -f "$work/bout2/big.txt"; }
cp_tr_big_sync() {
  cp_big
  tr -d '\t' < "$work/bout2/big.txt" > "$work/bout2/big.tmp"
  mv -f "$work/bout2/big.tmp" "$work/bout2/big.txt"
  sync -f "$work/bout2/big.txt"
}
declare -a b_ours b_cp b_cps b_cptrs
for ((i = 0; i < repeat; i++)); do
  b_ours+=("$(seconds ours_big)")
  b_cp+=("$(seconds cp_big)")
  b_cps+=("$(seconds cp_big_sync)")
  b_cptrs+=("$(seconds cp_tr_big_sync)")
done
if ! cmp -s "$work/bout/big.txt" "$work/bout2/big.txt"; then
  echo "MISMATCH: tarnwick-batch's big output differs from tr's" >&2
  exit 1
fi
m_bours=$(median "${b_ours[@]}")
m_bcp=$(median "${b_cp[@]}")
m_bcps=$(median "${b_cps[@]}")
m_bcptrs=$(median "${b_cptrs[@]}")
echo
echo "one file of $big_mib MiB, remove-all-tabs (median of $repeat, seconds):"
printf '  %-44s %8s\n' "tarnwick-batch (result flushed)" "$m_bours"
printf '  %-44s %8s   ratio ours/this %s\n' "cp" "$m_bcp" "$(ratio "$m_bours" "$m_bcp")"
printf '  %-44s %8s   ratio ours/this %s\n' "cp + sync" "$m_bcps" "$(ratio "$m_bours" "$m_bcps")"
printf '  %-44s %8s   ratio ours/this %s\n' "cp + tr + sync" "$m_bcptrs" "$(ratio "$m_bours" "$m_bcptrs")"
echo
echo "targets: many files no slower than cp + tr loop; big file at most 2.5 x cp"
