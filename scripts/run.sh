#!/usr/bin/env bash
# The main job: builds the programs and starts what is ready.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j2
cat <<'MSG'
Built: the shared foundation (registry stand-in, Bravant's settings store,
text/path/file helpers, content cipher, product record, in-memory host).
The stand-in editor and the three wizard programs are not built yet, so there
is nothing to start; run the tests to exercise the foundation.
MSG
