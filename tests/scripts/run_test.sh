#!/usr/bin/env bash
# scripts/run.sh on prepared build folders, without a display, each run on a
# private session bus and in a private home: the real programs in an absolute
# folder give a picture; missing, broken or stand-in programs and an empty
# picture end non-zero with a line naming what failed.
# Usage: run_test.sh RUN_SH MARQUILL_HOST BRAVANT
set -uo pipefail
RUN_SH=$1
REAL_HOST=$2
REAL_BRAVANT=$3
ROOT=$(cd "$(dirname "$RUN_SH")/.." && pwd)

for tool in xvfb-run dbus-run-session gdbus import; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
SUCCESS="with Bravant open; screenshot:"

# run NAME BUILD_DIR [PATH_PREFIX]: runs the script in its own home; leaves
# its status in rc, its output in out and its home in home.
run() {
  home="$WORK/$1"
  mkdir -p "$home/tmp"
  rc=0
  out=$(cd "$home" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="${3:+$3:}$PATH" \
          HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
          TMPDIR="$home/tmp" TENDREL_SKIP_BUILD=1 BUILD_DIR="$2" \
          dbus-run-session -- bash "$RUN_SH" 2>&1) || rc=$?
}

# check NAME CONDITION...: the condition (a command) must hold.
check() {
  local name=$1
  shift
  if ! "$@"; then
    echo "FAIL [$name]: $* (status $rc)"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

# expect_failure NAME MESSAGE: the last run ended non-zero, said MESSAGE
# (a fixed text) and never claimed success.
expect_failure() {
  check "$1" test "$rc" -ne 0
  check "$1" grep -qF -- "$2" <<<"$out"
  check "$1" test -z "$(grep -F -- "$SUCCESS" <<<"$out")"
  check "$1" test -z "$(find "$home/tmp" -name '*.png' -size +0)"
}

# A build folder of its own under WORK, holding bin/.
build_dir() {
  mkdir -p "$WORK/$1/bin"
  echo "$WORK/$1"
}

# The real programs, named by an absolute folder, from another folder than
# the source tree.
real=$(cd "$(dirname "$REAL_HOST")/.." && pwd)
[ "$(dirname "$REAL_BRAVANT")" -ef "$real/bin" ] || { echo "FAIL: the programs are in different folders"; exit 1; }
run absolute "$real"
check absolute test "$rc" -eq 0
check absolute grep -qF "$SUCCESS" <<<"$out"
shot=$(sed -n "s/.*$SUCCESS //p" <<<"$out")
check absolute test -s "$shot"
check absolute test "$(head -c 4 "$shot" | od -An -c | tr -d ' ')" = "211PNG"
check absolute test "$(dirname "$shot")" = "$home/tmp/tendrel-$(id -un)"

# Missing or unusable programs are named before anything starts.
empty=$(build_dir empty)
run empty "$empty"
expect_failure empty "the editor marquill-host is missing: $empty/bin/marquill-host does not exist"

no_x=$(build_dir no_x)
cp "$REAL_HOST" "$no_x/bin/marquill-host"
chmod -x "$no_x/bin/marquill-host"
run no_x "$no_x"
expect_failure no_x "the editor marquill-host cannot be run: $no_x/bin/marquill-host is not executable"

only_host=$(build_dir only_host)
ln -s "$REAL_HOST" "$only_host/bin/marquill-host"
run only_host "$only_host"
expect_failure only_host "Bravant is missing: $only_host/bin/bravant does not exist"

# An editor that ends at once.
dead_host=$(build_dir dead_host)
printf '#!/bin/sh\nexit 2\n' >"$dead_host/bin/marquill-host"
chmod +x "$dead_host/bin/marquill-host"
ln -s "$REAL_BRAVANT" "$dead_host/bin/bravant"
run dead_host "$dead_host"
expect_failure dead_host "the editor $dead_host/bin/marquill-host ended before answering on the session bus (status 2)"

# A Bravant that ends at once, in a folder named relative to the source tree.
dead_bravant=$(build_dir dead_bravant)
ln -s "$REAL_HOST" "$dead_bravant/bin/marquill-host"
printf '#!/bin/sh\nexit 3\n' >"$dead_bravant/bin/bravant"
chmod +x "$dead_bravant/bin/bravant"
relative=$(realpath --relative-to="$ROOT" "$dead_bravant")
run dead_bravant "$relative"
expect_failure dead_bravant "Bravant $ROOT/$relative/bin/bravant exited at once (status 3)"

# A picture that comes out empty.
stubs="$WORK/stubs"
mkdir -p "$stubs"
printf '#!/bin/sh\nfor last; do :; done\n: >"$last"\n' >"$stubs/import"
chmod +x "$stubs/import"
run empty_shot "$real" "$stubs"
expect_failure empty_shot "the picture $home/tmp/tendrel-$(id -un)/editor-with-bravant.png is missing or empty"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
