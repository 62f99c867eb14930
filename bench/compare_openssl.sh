#!/usr/bin/env bash
# Times the content cipher's file encoder against `openssl enc -rc4` on the same
# file, in the same run, and reports throughput, their ratio and our peak memory.
#
#   bench/compare_openssl.sh [ENCODER] [SIZE_MIB] [WORK_DIR]
#
# ENCODER defaults to bench_encode_cli in build-bench (configure with
# -DTENDREL_BENCH=ON). Each tool runs RUNS times (default 3); the best time counts.
# Exit status 1 when the ratio is below 0.6 or the peak RSS reaches 32 MiB.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
encoder=${1:-$here/../build-bench/bench/bench_encode_cli}
size_mib=${2:-256}
work=${3:-}
runs=${RUNS:-3}
key=00112233445566778899AABBCCDDEEFF

[[ -x $encoder ]] || { echo "encoder not found: $encoder" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time (GNU time) is needed" >&2; exit 2; }
if [[ -z $work ]]; then
  work=$(mktemp -d "${TMPDIR:-/var/tmp}/cipher-compare.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
src=$work/source.bin

echo "making a ${size_mib} MiB file in $work"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$src"
cat "$src" >/dev/null  # both tools start from a warm page cache

# best_of CMD...: runs the command $runs times under GNU time, prints
# "<best seconds> <largest max RSS in KiB>".
best_of() {
  local best="" rss=0 line secs kib
  for ((n = 0; n < runs; n++)); do
    line=$( { /usr/bin/time -f "TIME %e %M" "$@" >/dev/null; } 2>&1 | grep '^TIME' )
    secs=$(awk '{print $2}' <<<"$line"); kib=$(awk '{print $3}' <<<"$line")
    if [[ -z $best ]] || awk -v a="$secs" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$secs; fi
    ((kib > rss)) && rss=$kib
  done
  echo "$best $rss"
}

read -r ssl_s ssl_rss < <(best_of openssl enc -rc4 -provider legacy -provider default \
                              -K "$key" -nosalt -in "$src" -out "$work/openssl.bin")
rm -f "$work/openssl.bin"
read -r our_s our_rss < <(best_of "$encoder" "$src" "$work/ours.bin" "$key")

# The encoded copy must decode back to the source.
"$encoder" "$work/ours.bin" "$work/back.bin" "$key" >/dev/null
cmp -s "$src" "$work/back.bin" || { echo "round trip FAILED" >&2; exit 1; }

# Peak RSS in detail from one more run, as GNU time -v reports it.
peak=$( { /usr/bin/time -v "$encoder" "$src" "$work/ours.bin" "$key" >/dev/null; } 2>&1 |
        awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}')
((peak > our_rss)) && our_rss=$peak

awk -v mib="$size_mib" -v ssl="$ssl_s" -v ours="$our_s" -v srss="$ssl_rss" -v orss="$our_rss" 'BEGIN {
  bytes = mib * 1048576
  ssl_mbs = bytes / ssl / 1e6; our_mbs = bytes / ours / 1e6; ratio = our_mbs / ssl_mbs
  printf "openssl rc4 : %7.3f s  %7.1f MB/s  peak RSS %6.1f MiB\n", ssl, ssl_mbs, srss / 1024
  printf "ours        : %7.3f s  %7.1f MB/s  peak RSS %6.1f MiB\n", ours, our_mbs, orss / 1024
  printf "ratio (ours / openssl): %.2f  (target >= 0.60, peak RSS < 32 MiB)\n", ratio
  exit !(ratio >= 0.6 && orss < 32 * 1024)
}'
