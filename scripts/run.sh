#!/usr/bin/env bash
# The main job: builds the programs and starts the stand-in editor,
# marquill-host, on a sample page. Without a display it runs the editor and
# Bravant under Xvfb, writes a picture of them and ends them.
#
# Environment:
#   BUILD_DIR           the build folder (default build); a relative one counts
#                       from the top of the source tree.
#   TENDREL_SKIP_BUILD  when 1, nothing is installed, configured or built: the
#                       programs already in BUILD_DIR/bin are used as they are.
#
# Ends with a non-zero status and a line naming what failed when a program is
# missing, does not start or ends at once, or the picture is not written.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "run.sh: $*" >&2
  exit 1
}

BUILD_DIR=${BUILD_DIR:-build}
if [ "${TENDREL_SKIP_BUILD:-}" != 1 ]; then
  bash scripts/setup-deps.sh
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD_DIR" -j2
fi
case $BUILD_DIR in
  /*) BUILD=$BUILD_DIR ;;
  *) BUILD=$PWD/$BUILD_DIR ;;
esac
HOST="$BUILD/bin/marquill-host"
BRAVANT="$BUILD/bin/bravant"

# Checked before anything starts, so a wrong folder is named rather than
# showing up later as an editor that never answers.
need_program() {
  [ -f "$2" ] || fail "$1 is missing: $2 does not exist (is BUILD_DIR=$BUILD_DIR the build folder?)"
  [ -x "$2" ] || fail "$1 cannot be run: $2 is not executable"
}
need_program "the editor marquill-host" "$HOST"

# The page is the user's own copy; the shipped sample stays as it is, and an
# existing copy (perhaps edited) is kept.
PAGES="${XDG_DATA_HOME:-$HOME/.local/share}/Tendrel/Marquill/html files"
PAGE="$PAGES/index.htm"
mkdir -p "$PAGES"
[ -e "$PAGE" ] || cp resources/sample/index.htm "$PAGE"

# The plug-ins reach the editor over the session bus: start one if there is
# none (or the one named is gone), and stop it again at the end.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] ||
   ! dbus-send --session --dest=org.freedesktop.DBus --type=method_call --print-reply \
       /org/freedesktop/DBus org.freedesktop.DBus.GetId >/dev/null 2>&1; then
  eval "$(dbus-launch --sh-syntax)"
  trap 'kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true' EXIT
  echo "Started a session bus: $DBUS_SESSION_BUS_ADDRESS"
fi

# Runs under Xvfb: the editor, then Bravant once the editor answers on the
# bus, then the picture. Each failure is reported here and ends with status
# 65, so the caller knows it was told already.
show_editor_and_bravant() {
  # Not local: the exit trap still needs them after the function returns.
  host='' bravant=''
  local owner status
  stop() {
    echo "run.sh: $*" >&2
    exit 65
  }
  trap 'kill $host $bravant 2>/dev/null; wait 2>/dev/null' EXIT
  "$HOST" "$PAGE" & host=$!
  for _ in $(seq 200); do
    if ! kill -0 "$host" 2>/dev/null; then
      wait "$host" && status=0 || status=$?
      stop "the editor $HOST ended before answering on the session bus (status $status)"
    fi
    # Answered by our editor, not by one already on this bus.
    owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID Marquill4.Plugin 2>/dev/null) || owner=''
    if [ "$owner" = "(uint32 $host,)" ] &&
       gdbus call --session --dest Marquill4.Plugin --object-path /Plugin \
         --method Marquill4.Plugin.Invoke IsOpenDoc "@av []" >/dev/null 2>&1; then
      break
    fi
    owner=''
    sleep 0.1
  done
  [ -n "$owner" ] || stop "the editor $HOST did not answer as Marquill4.Plugin on the session bus within 20 s"

  "$BRAVANT" & bravant=$!
  for _ in $(seq 30); do
    sleep 0.1
    if ! kill -0 "$bravant" 2>/dev/null; then
      wait "$bravant" && status=0 || status=$?
      bravant=''
      stop "Bravant $BRAVANT exited at once (status $status)"
    fi
  done
  import -window root "$SHOT" || stop "the picture could not be taken (import failed)"
  [ -s "$SHOT" ] || stop "the picture $SHOT is missing or empty"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  need_program "Bravant" "$BRAVANT"
  SHOT="${TMPDIR:-/tmp}/tendrel-$(id -un)/editor-with-bravant.png"
  mkdir -p "$(dirname "$SHOT")"
  # A picture left by an earlier run must not pass for this one.
  rm -f "$SHOT"
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): running the editor and Bravant under Xvfb."
  export HOST PAGE SHOT BRAVANT
  status=0
  # The function goes as text: xvfb-run's sh would drop an exported one.
  timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c "$(declare -f show_editor_and_bravant); show_editor_and_bravant" || status=$?
  case $status in
    0) ;;
    65) exit 1 ;;
    124) fail "the editor and Bravant did not finish within 90 s" ;;
    *) fail "running the editor and Bravant under Xvfb failed (xvfb-run status $status)" ;;
  esac
  [ -s "$SHOT" ] || fail "the picture $SHOT is missing or empty"
  echo "The editor ran on $PAGE with Bravant open; screenshot: $SHOT"
  exit 0
fi

echo "Starting the stand-in editor on $PAGE"
echo "Drive it from another shell, e.g.:"
echo "  gdbus call --session --dest Marquill4.Plugin --object-path /Plugin --method Marquill4.Plugin.Invoke getalltext \"@av []\""
if [ -n "${DBUS_SESSION_BUS_PID:-}" ]; then echo "  (with DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS)"; fi
status=0
"$HOST" "$PAGE" || status=$?
[ "$status" = 0 ] || fail "the editor $HOST ended with status $status"
