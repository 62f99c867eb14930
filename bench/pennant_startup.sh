#!/usr/bin/env bash
# Pennant's start with the editor running: the time from starting bin/pennant
# to its window's first paint, over RUNS starts (default 10), beside the
# stand-in editor (scripts/with-editor.sh). Prints each start and the median
# in milliseconds.
# Usage: pennant_startup.sh BUILD_DIR [RUNS]
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
RUNS=${2:-10}
HOME_DIR=$(mktemp -d)
trap 'rm -rf "$HOME_DIR"' EXIT
mkdir -p "$HOME_DIR/site"
printf '<html>\r\n<head>\r\n<title>Start</title>\r\n</head>\r\n<body>\r\n</body>\r\n</html>\r\n' > "$HOME_DIR/site/page.htm"
export XDG_DATA_HOME="$HOME_DIR/data" XDG_CONFIG_HOME="$HOME_DIR/config"
bash "$(dirname "$0")/../scripts/with-editor.sh" "$BUILD" "$HOME_DIR/site/page.htm" bash -c '
  times=()
  for run in $(seq "$1"); do
    t0=$(date +%s%N)
    out=$(PENNANT_EXIT_WHEN_SHOWN=1 "$0/bin/pennant" 2>/dev/null)
    t1=${out#shown }
    ms=$(( (t1 - t0) / 1000000 ))
    echo "start $run: $ms ms"
    times+=("$ms")
  done
  sorted=($(printf "%s\n" "${times[@]}" | sort -n))
  n=${#sorted[@]}
  if (( n % 2 )); then median=${sorted[$((n / 2))]}; else median=$(( (sorted[n / 2 - 1] + sorted[n / 2]) / 2 )); fi
  echo "median of $n starts: $median ms"
' "$BUILD" "$RUNS"
