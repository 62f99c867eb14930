#!/usr/bin/env bash
# Runs a command beside the stand-in editor: under Xvfb, on a private session
# bus, with marquill-host open on PAGE; the editor is ended afterwards and the
# command's exit status is returned. For pictures of the wizards' pages and
# for start-up timings.
# Usage: with-editor.sh BUILD_DIR PAGE COMMAND [ARGS...]
# WITH_EDITOR_TIMEOUT (seconds, default 120) bounds the whole run.
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
PAGE=${2:?page to open}
shift 2
[ $# -gt 0 ] || { echo "with-editor.sh: no command given" >&2; exit 2; }
exec timeout "${WITH_EDITOR_TIMEOUT:-120}" xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
  "$0/bin/marquill-host" "$1" 2>/dev/null & HOST=$!
  for i in $(seq 50); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner Marquill4.Plugin 2>/dev/null | grep -q true && break
    sleep 0.2
  done
  set +e
  "${@:2}"; rc=$?
  kill $HOST; wait $HOST 2>/dev/null
  exit $rc
' "$BUILD" "$PAGE" "$@"
