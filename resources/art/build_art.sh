#!/usr/bin/env bash
# Redraws every bitmap in resources/bitmaps (and bitmaps.qrc) from draw_art.cpp.
# Needs: g++, Qt 6 Gui development files, fonts-dejavu-core, and ImageMagick
# (or GraphicsMagick) for the one GIF. The drawn files are committed, so the
# normal build never runs this.
#
#   resources/art/build_art.sh              redraw
#   resources/art/build_art.sh --sheet F    redraw, then write contact sheets F-1.png, F-2.png, ...
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "$here/.." && pwd)/bitmaps
sheet=""
if [[ ${1:-} == --sheet ]]; then
    sheet=${2:?"--sheet needs a file name"}
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2046  # pkg-config's flags must split into words
g++ -std=c++20 -O2 -Wall -Wextra -Werror -fPIC "$here/draw_art.cpp" -o "$work/draw_art" \
    $(pkg-config --cflags --libs Qt6Gui)

mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$work/draw_art" "$out" "$work/ssurf.png"

# Qt cannot write GIF.
if command -v gm >/dev/null 2>&1; then
    gm convert "$work/ssurf.png" "$out/ssurf.gif"
elif command -v convert >/dev/null 2>&1; then
    convert "$work/ssurf.png" "$out/ssurf.gif"
else
    echo "build_art.sh: ssurf.gif needs ImageMagick or GraphicsMagick (apt-get install imagemagick)" >&2
    exit 1
fi

if [[ -n $sheet ]]; then
    QT_QPA_PLATFORM=offscreen "$work/draw_art" --sheet "$out" "$sheet"
fi
