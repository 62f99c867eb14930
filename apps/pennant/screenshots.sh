#!/usr/bin/env bash
# Pictures of Pennant's pages, for looking at the layout: starts a private
# session bus and the stand-in editor under Xvfb, runs pennant with
# PENNANT_SCREENSHOTS and leaves page-*.png in the folder given (default
# /tmp/pennant-shots): every page, the main page with crosses and the summary
# page in each of its layouts. Usage: screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
OUT=${2:-/tmp/pennant-shots}
mkdir -p "$OUT"
HOME_DIR=$(mktemp -d)
trap 'rm -rf "$HOME_DIR"' EXIT
mkdir -p "$HOME_DIR/site"
printf '<html>\r\n<head>\r\n<title>Channel Test</title>\r\n</head>\r\n<body>\r\n<p>Hello</p>\r\n</body>\r\n</html>\r\n' \
  > "$HOME_DIR/site/page.htm"
export XDG_DATA_HOME="$HOME_DIR/data" XDG_CONFIG_HOME="$HOME_DIR/config"
OUT_ABS=$(cd "$OUT" && pwd)
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
  "$0/bin/marquill-host" "$1" & HOST=$!
  for i in $(seq 50); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner Marquill4.Plugin 2>/dev/null | grep -q true && break
    sleep 0.2
  done
  PENNANT_SCREENSHOTS="$2" "$0/bin/pennant"; rc=$?
  kill $HOST; wait $HOST 2>/dev/null
  exit $rc
' "$BUILD" "$HOME_DIR/site/page.htm" "$OUT_ABS"
ls "$OUT_ABS"/page-*.png
