#pragma once
// Covering a picture with a checkerboard of opaque tiles, so a teaser shows
// roughly half of it.
#include <QImage>
#include <QSize>

namespace tendrel {

// Spacing is added to the tile size to get the tiling cell: 0 gives an exact
// checkerboard, each step down packs the tiles one pixel closer.
inline constexpr int kWidestSpacing = 0;
inline constexpr int kTightestSpacing = -11;

// Tiling needs a picture strictly wider and strictly taller than the tile.
bool TileFits(QSize image, QSize tile);

// working becomes original with tiles drawn over it: cells of
// (tile + spacing) pixels, rows from the top, every other cell of a row
// starting with the second one in even rows and the first one in odd rows.
// The tile is drawn opaque and clipped at the picture's edges. working keeps
// the original's alpha channel if it has one (32 bits per pixel either way).
// Callers check TileFits first; a null original gives a null working image.
void ApplyTiling(QImage& working, const QImage& original, const QImage& tile, int spacing);

}  // namespace tendrel
