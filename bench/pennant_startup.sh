#!/usr/bin/env bash
# Pennant's start with the editor running: the time from starting bin/pennant
# to its window's first paint, over RUNS starts (default 10), under Xvfb on a
# private session bus. Prints each start and the median in milliseconds.
# Usage: pennant_startup.sh BUILD_DIR [RUNS]
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
RUNS=${2:-10}
HOME_DIR=$(mktemp -d)
trap 'rm -rf "$HOME_DIR"' EXIT
mkdir -p "$HOME_DIR/site"
printf '<html>\r\n<head>\r\n<title>Start</title>\r\n</head>\r\n<body>\r\n</body>\r\n</html>\r\n' > "$HOME_DIR/site/page.htm"
export XDG_DATA_HOME="$HOME_DIR/data" XDG_CONFIG_HOME="$HOME_DIR/config"
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
  "$0/bin/marquill-host" "$1" 2>/dev/null & HOST=$!
  for i in $(seq 50); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner Marquill4.Plugin 2>/dev/null | grep -q true && break
    sleep 0.2
  done
  times=()
  for run in $(seq "$2"); do
    t0=$(date +%s%N)
    out=$(PENNANT_EXIT_WHEN_SHOWN=1 "$0/bin/pennant" 2>/dev/null)
    t1=${out#shown }
    ms=$(( (t1 - t0) / 1000000 ))
    echo "start $run: $ms ms"
    times+=("$ms")
  done
  kill $HOST; wait $HOST 2>/dev/null || true
  sorted=($(printf "%s\n" "${times[@]}" | sort -n))
  n=${#sorted[@]}
  if (( n % 2 )); then median=${sorted[$((n / 2))]}; else median=$(( (sorted[n / 2 - 1] + sorted[n / 2]) / 2 )); fi
  echo "median of $n starts: $median ms"
' "$BUILD" "$HOME_DIR/site/page.htm" "$RUNS"
