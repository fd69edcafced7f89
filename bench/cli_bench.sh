#!/usr/bin/env bash
# Whole runs of tarnwick-batch against the tools people use for the same job,
# in one run and on the same files: find and replace "Cat" with "dog".
#
#   bench/cli_bench.sh PATH/TO/tarnwick-batch [WORK_FOLDER]
#
# 1. 10,000 files of 2 KiB in one folder, into an output folder:
#    against cp -r, and cp -r followed by sd over the copies.
# 2. The same files in place (output folder = their folder): against
#    sed -i and sd. The files are restored before every timed run (not
#    timed). tarnwick-batch flushes the replaced originals to disk, in
#    groups, sed and sd do not: "sed -i + sync" shows what a flush of the
#    lot costs.
# 3. One 256 MiB file into an output folder: against cp, and cp + sd.
# 4. The same file in place: against sed -i and sd.
# Every figure is the median of REPEAT runs (default 3) of wall time; every
# output is compared byte for byte with the peer's. Needs sd (Debian package
# "sd"); installs it when missing and running as root.
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

# Seconds taken by a command, to the millisecond.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }
row() { printf '  %-40s %8s\n' "$1" "$2"; }
row_ratio() { printf '  %-40s %8s   ours / this %5s\n' "$1" "$2" "$(ratio "$3" "$2")"; }
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

ours() { "$program" --operation find-and-replace --find-what Cat --replace-with dog "$@"; }

# --- 1. many files into an output folder ----------------------------------
ours_many_out() { rm -rf "$work/out"; mkdir "$work/out"; ours --output "$work/out" --add-folder "$work/many" --extension txt; }
cp_many() { rm -rf "$work/out2"; cp -r --reflink=never "$work/many" "$work/out2"; }
cp_sd_many() { cp_many; find "$work/out2" -type f -exec sd -s Cat dog {} +; }
declare -a a=() b=() c=()
for ((i = 0; i < repeat; i++)); do
  sync; a+=("$(seconds ours_many_out)")
  sync; b+=("$(seconds cp_many)")
  sync; c+=("$(seconds cp_sd_many)")
done
same_tree "$work/out" "$work/out2"
m_ours_many_out=$(median "${a[@]}"); m_cp_many=$(median "${b[@]}"); m_cpsd_many=$(median "${c[@]}")
rm -rf "$work/out" "$work/out2"

# --- 2. many files in place -------------------------------------------------
restore_many() { rm -rf "$work/in" && cp -r --reflink=never "$work/many" "$work/in" && sync; }
ours_many_in() { ours --output "$work/in" --add-folder "$work/in" --extension txt; }
sed_many_in() { find "$work/in" -type f -exec sed -i 's/Cat/dog/g' {} +; }
sed_many_in_sync() { sed_many_in; sync -f "$work/in"; }
sd_many_in() { find "$work/in" -type f -exec sd -s Cat dog {} +; }
declare -a a=() b=() c=() d=()
for ((i = 0; i < repeat; i++)); do
  restore_many; a+=("$(seconds ours_many_in)"); mv "$work/in" "$work/in-ours"
  restore_many; b+=("$(seconds sed_many_in)"); rm -rf "$work/in"
  restore_many; c+=("$(seconds sed_many_in_sync)"); rm -rf "$work/in"
  restore_many; d+=("$(seconds sd_many_in)")
  same_tree "$work/in-ours" "$work/in"; rm -rf "$work/in-ours" "$work/in"
done
m_ours_many_in=$(median "${a[@]}"); m_sed_many=$(median "${b[@]}")
m_seds_many=$(median "${c[@]}"); m_sd_many=$(median "${d[@]}")

# --- 3. one big file into an output folder ---------------------------------
ours_big_out() { rm -rf "$work/bout"; mkdir "$work/bout"; ours --output "$work/bout" "$work/bigsrc/big.txt"; }
cp_big() { rm -rf "$work/bout2"; mkdir "$work/bout2"; cp --reflink=never "$work/bigsrc/big.txt" "$work/bout2/"; }
cp_sd_big() { cp_big; sd -s Cat dog "$work/bout2/big.txt"; }
declare -a a=() b=() c=()
for ((i = 0; i < repeat; i++)); do
  sync; a+=("$(seconds ours_big_out)")
  sync; b+=("$(seconds cp_big)")
  sync; c+=("$(seconds cp_sd_big)")
done
cmp "$work/bout/big.txt" "$work/bout2/big.txt"
m_ours_big_out=$(median "${a[@]}"); m_cp_big=$(median "${b[@]}"); m_cpsd_big=$(median "${c[@]}")
rm -rf "$work/bout" "$work/bout2"

# --- 4. one big file in place -----------------------------------------------
restore_big() { rm -rf "$work/bin" && mkdir "$work/bin" && cp --reflink=never "$work/bigsrc/big.txt" "$work/bin/" && sync; }
ours_big_in() { ours --output "$work/bin" "$work/bin/big.txt"; }
sed_big_in() { sed -i 's/Cat/dog/g' "$work/bin/big.txt"; }
sd_big_in() { sd -s Cat dog "$work/bin/big.txt"; }
declare -a a=() b=() c=()
for ((i = 0; i < repeat; i++)); do
  restore_big; a+=("$(seconds ours_big_in)"); mv "$work/bin/big.txt" "$work/big-ours.txt"
  restore_big; b+=("$(seconds sed_big_in)"); cmp "$work/big-ours.txt" "$work/bin/big.txt"
  restore_big; c+=("$(seconds sd_big_in)"); cmp "$work/big-ours.txt" "$work/bin/big.txt"
  rm -f "$work/big-ours.txt"
done
m_ours_big_in=$(median "${a[@]}"); m_sed_big=$(median "${b[@]}"); m_sd_big=$(median "${c[@]}")

# --- the table ---------------------------------------------------------------
echo
echo "find and replace Cat -> dog, median of $repeat, seconds; every output equal to the peer's"
echo "$count files of 2 KiB into an output folder:"
row "tarnwick-batch" "$m_ours_many_out"
row_ratio "cp -r" "$m_cp_many" "$m_ours_many_out"
row_ratio "cp -r + sd" "$m_cpsd_many" "$m_ours_many_out"
echo "$count files of 2 KiB in place:"
row "tarnwick-batch (flushes in groups)" "$m_ours_many_in"
row_ratio "sed -i" "$m_sed_many" "$m_ours_many_in"
row_ratio "sed -i + sync" "$m_seds_many" "$m_ours_many_in"
row_ratio "sd" "$m_sd_many" "$m_ours_many_in"
echo "one file of $big_mib MiB into an output folder:"
row "tarnwick-batch" "$m_ours_big_out"
row_ratio "cp" "$m_cp_big" "$m_ours_big_out"
row_ratio "cp + sd" "$m_cpsd_big" "$m_ours_big_out"
echo "one file of $big_mib MiB in place:"
row "tarnwick-batch (flushes the original)" "$m_ours_big_in"
row_ratio "sed -i" "$m_sed_big" "$m_ours_big_in"
row_ratio "sd" "$m_sd_big" "$m_ours_big_in"
echo
echo "targets: many files into a folder <= 2 x cp -r; big file into a folder <= 1.6 x cp;"
echo "         big file in place <= sd and sed -i; many files in place <= 1.5 x sed -i"
