#!/usr/bin/env bash
# Pictures of Kestrel's seventeen pages, for looking at the layout: beside the
# stand-in editor (scripts/with-editor.sh), runs kestrel with
# KESTREL_SCREENSHOTS and leaves page-00.png ... page-16.png in the folder
# given (default /tmp/kestrel-shots). Usage: screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
OUT=${2:-/tmp/kestrel-shots}
mkdir -p "$OUT"
HOME_DIR=$(mktemp -d)
trap 'rm -rf "$HOME_DIR"' EXIT
mkdir -p "$HOME_DIR/site"
printf '<html>\r\n<head>\r\n<title>Tom &amp; Jerry'"'"'s Page</title>\r\n</head>\r\n<body>\r\n<p>Hello</p>\r\n</body>\r\n</html>\r\n' \
  > "$HOME_DIR/site/page.htm"
export XDG_DATA_HOME="$HOME_DIR/data" XDG_CONFIG_HOME="$HOME_DIR/config"
OUT_ABS=$(cd "$OUT" && pwd)
WITH_EDITOR_TIMEOUT=60 bash "$(dirname "$0")/../../scripts/with-editor.sh" "$BUILD" "$HOME_DIR/site/page.htm" \
  env KESTREL_SCREENSHOTS="$OUT_ABS" "$BUILD/bin/kestrel"
ls "$OUT_ABS"/page-*.png
