#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Whole runs of tarnwick-batch against the tools people use for the same job,
# in one run and on the same files: find and replace "Cat" with "dog", and
# remove all tabs.
#
#   bench/cli_bench.sh PATH/TO/tarnwick-batch [WORK_FOLDER]
#
# 1. 10,000 files of 2 KiB in one folder, into an empty output folder:
#    find and replace and remove-all-tabs, against cp -r, and cp -r
#    followed by sd over the copies; the same two with --dry-run (nothing
#    written), against the same cp -r.
#    Then the same find and replace with --jobs 1 (one file after the
#    other), --jobs 2 and, on a bigger machine, one job per core (the
#    default), and the scaling from one job to more.
# 2. The same files in place (output folder = their folder): against
#    sed -i and sd. The files are restored before every timed run (not
#    timed). tarnwick-batch flushes the replaced originals to disk, in
#    groups, sed and sd do not: "sed -i + sync" shows what a flush of the
#    lot costs.
# 3. One 256 MiB file into an output folder: against cp, and cp + sd.
# 4. The same file in place: against sed -i and sd.
# 5. That file cut in eight, into an output folder: find and replace with
#    three pairs, --jobs 1, 2 and one per core: the scaling where the work
#    is the edit more than the file system.
# Every figure is the median of REPEAT runs (default 3) of wall time, and of
# the minor page faults of the processes a row ran (the kernel's count for
# waited-for children); every output is compared byte for byte with the
# peer's, and a dry run must leave its output folder empty. Needs sd (Debian
# package "sd"); installs it when missing and running as root.
set -euo pipefail

program=${1:?usage: cli_bench.sh PATH/TO/tarnwick-batch [WORK_FOLDER]}
program=$(realpath "$program")
repeat=${REPEAT:-3}
count=${FILES:-10000}
big_mib=${BIG_MIB:-256}

if ! command -v sd > /dev/null; then
  if [[ "$(id -u)" -eq 0 ]]; then
    echo "installing sd (Debian package) for the comparison ..."
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq sd > /dev/null
  else
    echo "cli_bench: needs sd (apt-get install sd)" >&2
    exit 2
  fi
fi

if [[ $# -ge 2 ]]; then
  mkdir -p "$2"
  work=$(mktemp -d "$2/cli-bench-XXXXXX")
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/cli-bench-XXXXXX")
fi
trap 'rm -rf "$work"' EXIT
echo "work folder: $work ($(df -T "$work" | awk 'NR==2 {print $2}')), sd $(sd --version | awk '{print $2}')"

# The minor page faults of this shell's waited-for children so far (the
# cminflt field of /proc/PID/stat), in the variable child_faults.
read_child_faults() {
  local line
  read -r line < "/proc/$BASHPID/stat"
  line=${line##*) }
  # shellcheck disable=SC2086
  set -- $line
  child_faults=$9
}
# Runs a command; prints the seconds it took, to the millisecond, and the
# minor page faults of the processes it ran. Called as $(measure ...): the
# subshell's children are exactly the command's processes.
measure() {
  local start end before
  read_child_faults; before=$child_faults
  start=$(date +%s%N)
  "$@" > /dev/null
  end=$(date +%s%N)
  read_child_faults
  awk -v ns=$((end - start)) -v faults=$((child_faults - before)) \
    'BEGIN { printf "%.3f %d\n", ns / 1e9, faults }'
}
# Medians of the seconds and of the faults of "seconds faults" pairs.
median_of() { printf '%s\n' "${@:2}" | awk -v f="$1" '{print $f}' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds_of() { median_of 1 "$@"; }
faults_of() { median_of 2 "$@"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }
per_file() { awk -v f="$1" -v n="$2" 'BEGIN { if (n > 1) printf "%.2f\n", f / n }'; }
# row NAME SECONDS FAULTS FILES [NOTE]: faults per file over FILES files.
row() {
  printf '  %-42s %8s %9s %9s   %s\n' "$1" "$2" "$3" "$(per_file "$3" "$4")" "${5:-}"
}
header() { printf '%s\n  %-42s %8s %9s %9s\n' "$1" "" seconds faults "per file"; }
same_tree() {
  if ! diff -r -q "$1" "$2" > /dev/null; then
    echo "MISMATCH: $1 and $2 differ" >&2
    exit 1
  fi
}

# --- test data -----------------------------------------------------------
echo "generating $count files of 2 KiB and one file of $big_mib MiB ..."
mkdir "$work/many"
awk -v root="$work/many" -v count="$count" '
BEGIN {
  line = "The Cat sat on the mat; a Category of cats, 12345 words\tand more.\r\n"
  block = ""
  while (length(block) + length(line) <= 2048) block = block line
  block = block substr("xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 1, 2048 - length(block))
  for (f = 0; f < count; f++) {
    name = sprintf("%s/f%05d.txt", root, f)
    printf "%s", block > name
    close(name)
  }
}'
awk -v mib="$big_mib" 'BEGIN {
  line = "The Cat sat on the mat; a Category of cats, 12345 words\tand more \xc3\xa9\r\n"
  chunk = ""; while (length(chunk) < 65536) chunk = chunk line
  total = mib * 1048576; n = 0
  while (n + length(chunk) <= total) { printf "%s", chunk; n += length(chunk) }
  printf "%s", substr(chunk, 1, total - n)
}' > "$work/big.txt"
mkdir "$work/bigsrc"; mv "$work/big.txt" "$work/bigsrc/big.txt"
sync

cores=$(nproc)
ours() { "$program" --operation find-and-replace --find-what Cat --replace-with dog "$@"; }
tabs() { "$program" --operation remove-all-tabs "$@"; }

# --- 1. many files into an output folder, and dry runs ----------------------
ours_many_out() { rm -rf "$work/out"; mkdir "$work/out"; ours --output "$work/out" --add-folder "$work/many" --extension txt; }
tabs_many_out() { rm -rf "$work/tout"; mkdir "$work/tout"; tabs --output "$work/tout" --add-folder "$work/many" --extension txt; }
ours_many_dry() { ours --output "$work/dry" --add-folder "$work/many" --extension txt --dry-run; }
tabs_many_dry() { tabs --output "$work/dry" --add-folder "$work/many" --extension txt --dry-run; }
cp_many() { rm -rf "$work/out2"; cp -r --reflink=never "$work/many" "$work/out2"; }
cp_sd_many() { cp_many; find "$work/out2" -type f -exec sd -s Cat dog {} +; }
mkdir "$work/dry"
declare -a a=() b=() c=() d=() e=() g=()
for ((i = 0; i < repeat; i++)); do
  sync; a+=("$(measure ours_many_out)")
  sync; b+=("$(measure tabs_many_out)")
  sync; c+=("$(measure ours_many_dry)")
  sync; d+=("$(measure tabs_many_dry)")
  sync; e+=("$(measure cp_many)")
  sync; g+=("$(measure cp_sd_many)")
done
same_tree "$work/out" "$work/out2"
rm -rf "$work/out2"
cp -r --reflink=never "$work/many" "$work/out2"
find "$work/out2" -type f -exec sd -s "$(printf '\t')" '' {} +
same_tree "$work/tout" "$work/out2"
# A dry run writes nothing and reports every file as changed.
if [[ -n "$(ls -A "$work/dry")" ]]; then
  echo "MISMATCH: a dry run wrote into $work/dry" >&2
  exit 1
fi
for dry in ours_many_dry tabs_many_dry; do
  changed=$("$dry" | awk -F '\t' '$2 == "changed"' | wc -l)
  if [[ "$changed" -ne "$count" ]]; then
    echo "MISMATCH: $dry reported $changed files changed, not $count" >&2
    exit 1
  fi
done
t_ours_many_out=$(seconds_of "${a[@]}"); f_ours_many_out=$(faults_of "${a[@]}")
t_tabs_many_out=$(seconds_of "${b[@]}"); f_tabs_many_out=$(faults_of "${b[@]}")
t_ours_many_dry=$(seconds_of "${c[@]}"); f_ours_many_dry=$(faults_of "${c[@]}")
t_tabs_many_dry=$(seconds_of "${d[@]}"); f_tabs_many_dry=$(faults_of "${d[@]}")
t_cp_many=$(seconds_of "${e[@]}"); f_cp_many=$(faults_of "${e[@]}")
t_cpsd_many=$(seconds_of "${g[@]}"); f_cpsd_many=$(faults_of "${g[@]}")
rm -rf "$work/out" "$work/tout" "$work/out2" "$work/dry"

# --- 1b. many files into an output folder, one job and more ----------------
jobs_list=(1 2)
if [[ "$cores" -gt 2 ]]; then jobs_list+=("$cores"); fi
ours_many_jobs() { rm -rf "$work/jout$1"; mkdir "$work/jout$1"; ours --output "$work/jout$1" --add-folder "$work/many" --extension txt --jobs "$1"; }
# "JOBS seconds faults" per run.
declare -a jr=() jc=()
for ((i = 0; i < repeat; i++)); do
  for jobs in "${jobs_list[@]}"; do
    sync; jr+=("$jobs $(measure ours_many_jobs "$jobs")")
  done
  sync; jc+=("$(measure cp_many)")
done
rm -rf "$work/out2"
cp -r --reflink=never "$work/many" "$work/out2"
find "$work/out2" -type f -exec sd -s Cat dog {} +
for jobs in "${jobs_list[@]}"; do
  same_tree "$work/jout$jobs" "$work/out2"
  rm -rf "$work/jout$jobs"
done
rm -rf "$work/out2"
t_cp_jobs=$(seconds_of "${jc[@]}"); f_cp_jobs=$(faults_of "${jc[@]}")

# --- 2. many files in place -------------------------------------------------
restore_many() { rm -rf "$work/in" && cp -r --reflink=never "$work/many" "$work/in" && sync; }
ours_many_in() { ours --output "$work/in" --add-folder "$work/in" --extension txt; }
sed_many_in() { find "$work/in" -type f -exec sed -i 's/Cat/dog/g' {} +; }
sed_many_in_sync() { sed_many_in; sync -f "$work/in"; }
sd_many_in() { find "$work/in" -type f -exec sd -s Cat dog {} +; }
declare -a a=() b=() c=() d=()
for ((i = 0; i < repeat; i++)); do
  restore_many; a+=("$(measure ours_many_in)"); mv "$work/in" "$work/in-ours"
  restore_many; b+=("$(measure sed_many_in)"); rm -rf "$work/in"
  restore_many; c+=("$(measure sed_many_in_sync)"); rm -rf "$work/in"
  restore_many; d+=("$(measure sd_many_in)")
  same_tree "$work/in-ours" "$work/in"; rm -rf "$work/in-ours" "$work/in"
done
t_ours_many_in=$(seconds_of "${a[@]}"); f_ours_many_in=$(faults_of "${a[@]}")
t_sed_many=$(seconds_of "${b[@]}"); f_sed_many=$(faults_of "${b[@]}")
t_seds_many=$(seconds_of "${c[@]}"); f_seds_many=$(faults_of "${c[@]}")
t_sd_many=$(seconds_of "${d[@]}"); f_sd_many=$(faults_of "${d[@]}")

# --- 3. one big file into an output folder ---------------------------------
ours_big_out() { rm -rf "$work/bout"; mkdir "$work/bout"; ours --output "$work/bout" "$work/bigsrc/big.txt"; }
cp_big() { rm -rf "$work/bout2"; mkdir "$work/bout2"; cp --reflink=never "$work/bigsrc/big.txt" "$work/bout2/"; }
cp_sd_big() { cp_big; sd -s Cat dog "$work/bout2/big.txt"; }
declare -a a=() b=() c=()
for ((i = 0; i < repeat; i++)); do
  sync; a+=("$(measure ours_big_out)")
  sync; b+=("$(measure cp_big)")
  sync; c+=("$(measure cp_sd_big)")
done
cmp "$work/bout/big.txt" "$work/bout2/big.txt"
t_ours_big_out=$(seconds_of "${a[@]}"); f_ours_big_out=$(faults_of "${a[@]}")
t_cp_big=$(seconds_of "${b[@]}"); f_cp_big=$(faults_of "${b[@]}")
t_cpsd_big=$(seconds_of "${c[@]}"); f_cpsd_big=$(faults_of "${c[@]}")
rm -rf "$work/bout" "$work/bout2"

# --- 4. one big file in place -----------------------------------------------
restore_big() { rm -rf "$work/bin" && mkdir "$work/bin" && cp --reflink=never "$work/bigsrc/big.txt" "$work/bin/" && sync; }
ours_big_in() { ours --output "$work/bin" "$work/bin/big.txt"; }
sed_big_in() { sed -i 's/Cat/dog/g' "$work/bin/big.txt"; }
sd_big_in() { sd -s Cat dog "$work/bin/big.txt"; }
declare -a a=() b=() c=()
for ((i = 0; i < repeat; i++)); do
  restore_big; a+=("$(measure ours_big_in)"); mv "$work/bin/big.txt" "$work/big-ours.txt"
  restore_big; b+=("$(measure sed_big_in)"); cmp "$work/big-ours.txt" "$work/bin/big.txt"
  restore_big; c+=("$(measure sd_big_in)"); cmp "$work/big-ours.txt" "$work/bin/big.txt"
  rm -f "$work/big-ours.txt"
done
t_ours_big_in=$(seconds_of "${a[@]}"); f_ours_big_in=$(faults_of "${a[@]}")
t_sed_big=$(seconds_of "${b[@]}"); f_sed_big=$(faults_of "${b[@]}")
t_sd_big=$(seconds_of "${c[@]}"); f_sd_big=$(faults_of "${c[@]}")

# --- 5. eight files into an output folder, one job and more ----------------
mkdir "$work/eight"
split -n 8 -d --additional-suffix=.txt "$work/bigsrc/big.txt" "$work/eight/part"
keep_jobs() { rm -rf "$work/kout$1"; mkdir "$work/kout$1"; "$program" --operation find-and-replace --find-what "$(printf 'Cat\nmat\n12345')" --replace-with "$(printf 'dog\nrug\n54321')" --output "$work/kout$1" --add-folder "$work/eight" --jobs "$1"; }
cp_eight() { rm -rf "$work/kout"; cp -r --reflink=never "$work/eight" "$work/kout"; }
declare -a kr=() kc=()
for ((i = 0; i < repeat; i++)); do
  for jobs in "${jobs_list[@]}"; do
    sync; kr+=("$jobs $(measure keep_jobs "$jobs")")
  done
  sync; kc+=("$(measure cp_eight)")
done
for jobs in "${jobs_list[@]}"; do
  same_tree "$work/kout$jobs" "$work/kout1"
done
rm -rf "$work/eight" "$work/kout"*
t_cp_eight=$(seconds_of "${kc[@]}"); f_cp_eight=$(faults_of "${kc[@]}")

# --- the table ---------------------------------------------------------------
x() { printf 'ours / %s %s' "$1" "$(ratio "$2" "$3")"; }
echo
echo "median of $repeat: wall seconds, minor page faults of the row's processes;"
echo "find and replace Cat -> dog unless named; every output equal to the peer's"
header "$count files of 2 KiB into an empty output folder:"
row "cp -r" "$t_cp_many" "$f_cp_many" "$count"
row "cp -r + sd" "$t_cpsd_many" "$f_cpsd_many" "$count"
row "tarnwick-batch" "$t_ours_many_out" "$f_ours_many_out" "$count" \
  "$(x "cp -r" "$t_ours_many_out" "$t_cp_many"), $(x "cp -r + sd" "$t_ours_many_out" "$t_cpsd_many")"
row "tarnwick-batch remove-all-tabs" "$t_tabs_many_out" "$f_tabs_many_out" "$count" \
  "$(x "cp -r" "$t_tabs_many_out" "$t_cp_many")"
row "tarnwick-batch --dry-run" "$t_ours_many_dry" "$f_ours_many_dry" "$count" \
  "$(x "cp -r" "$t_ours_many_dry" "$t_cp_many")"
row "tarnwick-batch remove-all-tabs --dry-run" "$t_tabs_many_dry" "$f_tabs_many_dry" "$count" \
  "$(x "cp -r" "$t_tabs_many_dry" "$t_cp_many")"
# jobs_rows RUNS FILES CP_SECONDS: a row per number of jobs from the
# "JOBS seconds faults" runs in the array named RUNS, with its ratio to cp
# -r and the speed-up from one job.
jobs_rows() {
  local -n runs=$1
  local jobs t
  # The median of field $2 (2: seconds, 3: faults) of the runs with $1 jobs.
  of() { printf '%s\n' "${runs[@]}" | awk -v j="$1" '$1 == j {print $2, $3}' | { mapfile -t pairs; median_of "$(($2 - 1))" "${pairs[@]}"; }; }
  for jobs in "${jobs_list[@]}"; do
    t=$(of "$jobs" 2)
    row "tarnwick-batch --jobs $jobs" "$t" "$(of "$jobs" 3)" "$2" \
      "$(x "cp -r" "$t" "$3"), 1 job / this $(ratio "$(of 1 2)" "$t")"
  done
}
header "$count files of 2 KiB into an empty output folder, by jobs ($cores cores):"
row "cp -r" "$t_cp_jobs" "$f_cp_jobs" "$count"
jobs_rows jr "$count" "$t_cp_jobs"
header "$count files of 2 KiB in place:"
row "tarnwick-batch (flushes in groups)" "$t_ours_many_in" "$f_ours_many_in" "$count"
row "sed -i" "$t_sed_many" "$f_sed_many" "$count" "$(x this "$t_ours_many_in" "$t_sed_many")"
row "sed -i + sync" "$t_seds_many" "$f_seds_many" "$count" "$(x this "$t_ours_many_in" "$t_seds_many")"
row "sd" "$t_sd_many" "$f_sd_many" "$count" "$(x this "$t_ours_many_in" "$t_sd_many")"
header "one file of $big_mib MiB into an output folder:"
row "tarnwick-batch" "$t_ours_big_out" "$f_ours_big_out" 1
row "cp" "$t_cp_big" "$f_cp_big" 1 "$(x this "$t_ours_big_out" "$t_cp_big")"
row "cp + sd" "$t_cpsd_big" "$f_cpsd_big" 1 "$(x this "$t_ours_big_out" "$t_cpsd_big")"
header "one file of $big_mib MiB in place:"
row "tarnwick-batch (flushes the original)" "$t_ours_big_in" "$f_ours_big_in" 1
row "sed -i" "$t_sed_big" "$f_sed_big" 1 "$(x this "$t_ours_big_in" "$t_sed_big")"
row "sd" "$t_sd_big" "$f_sd_big" 1 "$(x this "$t_ours_big_in" "$t_sd_big")"
header "8 files of $((big_mib / 8)) MiB into an output folder, three pairs (Cat mat 12345), by jobs:"
row "cp -r" "$t_cp_eight" "$f_cp_eight" 8
jobs_rows kr 8 "$t_cp_eight"
echo
echo "targets: many files into a folder <= 1.2 x cp -r; dry runs <= 0.3 x cp -r and"
echo "         <= 5 faults per file; big file into a folder <= 1.6 x cp;"
echo "         big file in place <= sd and sed -i; many files in place <= 1.3 x sed -i + sync, <= 2 x sed -i;"
echo "         many files into a folder with --jobs 2 <= 0.8 x cp -r"
