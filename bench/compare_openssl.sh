#!/usr/bin/env bash
# Times the content cipher's file encoder against `openssl enc -rc4` on the same
# file, in the same run, and reports throughput, their ratio and our peak memory.
#
#   bench/compare_openssl.sh [ENCODER] [SIZE_MIB] [WORK_DIR]
#
# ENCODER defaults to bench_encode_cli in build-bench (configure with
# -DTENDREL_BENCH=ON). The two tools run in turn, openssl then ours, RUNS times
# each (default 7), so a change of the machine's speed falls on both; each
# writes its output into WORK_DIR (the same medium: give a folder on a RAM
# disk such as /dev/shm to leave the disk out). Medians, minima and maxima are
# reported, and the ratio of the medians.
# Exit status 1 when the ratio is below 0.6 or the peak RSS reaches 32 MiB.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
encoder=${1:-$here/../build-bench/bench/bench_encode_cli}
size_mib=${2:-256}
work=${3:-}
runs=${RUNS:-7}
key=00112233445566778899AABBCCDDEEFF

[[ -x $encoder ]] || { echo "encoder not found: $encoder" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time (GNU time) is needed" >&2; exit 2; }
if [[ -z $work ]]; then
  work=$(mktemp -d "${TMPDIR:-/var/tmp}/cipher-compare.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
src=$work/source.bin

echo "making a ${size_mib} MiB file in $work"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$src"
cat "$src" >/dev/null  # both tools start from a warm page cache

# timed NAME CMD...: one run under GNU time; appends "<seconds> <max RSS KiB>"
# to $work/NAME.times. The output file is removed first, so neither tool
# overwrites a file the other left.
timed() {
  local name=$1; shift
  rm -f "$work/out.bin"
  { /usr/bin/time -f "TIME %e %M" "$@" >/dev/null; } 2>&1 | awk '/^TIME/ {print $2, $3}' >>"$work/$name.times"
}

: >"$work/openssl.times"; : >"$work/ours.times"
for ((n = 0; n < runs; n++)); do
  timed openssl openssl enc -rc4 -provider legacy -provider default -K "$key" -nosalt \
        -in "$src" -out "$work/out.bin"
  timed ours "$encoder" "$src" "$work/out.bin" "$key"
done

# The encoded copy must decode back to the source.
"$encoder" "$src" "$work/ours.bin" "$key" >/dev/null
"$encoder" "$work/ours.bin" "$work/back.bin" "$key" >/dev/null
cmp -s "$src" "$work/back.bin" || { echo "round trip FAILED" >&2; exit 1; }
rm -f "$work/ours.bin" "$work/back.bin" "$work/out.bin"

# stats FILE: "median min max maxrss" of the seconds in FILE.
stats() {
  sort -n -k1,1 "$1" | awk '{t[NR] = $1; if ($2 > r) r = $2} END {
    m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
    print m, t[1], t[NR], r }'
}
read -r ssl_med ssl_min ssl_max ssl_rss < <(stats "$work/openssl.times")
read -r our_med our_min our_max our_rss < <(stats "$work/ours.times")

awk -v mib="$size_mib" -v runs="$runs" -v sm="$ssl_med" -v sl="$ssl_min" -v sh="$ssl_max" -v srss="$ssl_rss" \
    -v om="$our_med" -v ol="$our_min" -v oh="$our_max" -v orss="$our_rss" 'BEGIN {
  mb = mib * 1048576 / 1e6
  printf "%d runs each, alternated; seconds as median (min-max)\n", runs
  printf "openssl rc4 : %7.3f (%.3f-%.3f) s  %7.1f MB/s  peak RSS %6.1f MiB\n", sm, sl, sh, mb / sm, srss / 1024
  printf "ours        : %7.3f (%.3f-%.3f) s  %7.1f MB/s  peak RSS %6.1f MiB\n", om, ol, oh, mb / om, orss / 1024
  ratio = sm / om
  printf "throughput ratio of the medians (ours / openssl): %.2f  (target >= 0.60, peak RSS < 32 MiB)\n", ratio
  exit !(ratio >= 0.6 && orss < 32 * 1024)
}'
