#!/usr/bin/env bash
# The main job: builds the programs and starts the stand-in editor,
# marquill-host, on a sample page. Without a display it runs the editor and
# Bravant under Xvfb, writes a picture of them and ends them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j2
HOST="$PWD/$BUILD_DIR/bin/marquill-host"

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

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  SHOT="${TMPDIR:-/tmp}/tendrel-$(id -un)/editor-with-bravant.png"
  mkdir -p "$(dirname "$SHOT")"
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): running the editor and Bravant under Xvfb."
  export HOST PAGE SHOT BRAVANT="$PWD/$BUILD_DIR/bin/bravant"
  timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$HOST" "$PAGE" & host=$!
    for _ in $(seq 100); do
      gdbus call --session --dest Marquill4.Plugin --object-path /Plugin \
        --method Marquill4.Plugin.Invoke IsOpenDoc "@av []" >/dev/null 2>&1 && break
      sleep 0.1
    done
    "$BRAVANT" & bravant=$!
    sleep 3
    import -window root "$SHOT"
    kill "$bravant" "$host" 2>/dev/null
    wait'
  echo "The editor ran on $PAGE with Bravant open; screenshot: $SHOT"
  exit 0
fi

echo "Starting the stand-in editor on $PAGE"
echo "Drive it from another shell, e.g.:"
echo "  gdbus call --session --dest Marquill4.Plugin --object-path /Plugin --method Marquill4.Plugin.Invoke getalltext \"@av []\""
if [ -n "${DBUS_SESSION_BUS_PID:-}" ]; then echo "  (with DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS)"; fi
"$HOST" "$PAGE"
