#include "seller/preview/preview_tiling.h"

#include <algorithm>
#include <cstring>

namespace tendrel {

bool TileFits(QSize image, QSize tile) {
  return image.width() > tile.width() && image.height() > tile.height();
}

namespace {

// Copies the tile's rows into the picture at (left, top), clipped.
void CopyTile(QImage& target, const QImage& tile, int left, int top) {
  const int x0 = std::max(left, 0), y0 = std::max(top, 0);
  const int x1 = std::min(left + tile.width(), target.width());
  const int y1 = std::min(top + tile.height(), target.height());
  if (x0 >= x1 || y0 >= y1) return;
  const size_t bytes = static_cast<size_t>(x1 - x0) * 4;
  for (int y = y0; y < y1; ++y) {
    const uchar* from = tile.constScanLine(y - top) + static_cast<size_t>(x0 - left) * 4;
    uchar* to = target.scanLine(y) + static_cast<size_t>(x0) * 4;
    std::memcpy(to, from, bytes);
  }
}

}  // namespace

void ApplyTiling(QImage& working, const QImage& original, const QImage& tile, int spacing) {
  const QImage::Format format =
      original.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  // Shares the original's pixels until the first scanLine() below copies them once.
  working = original.convertToFormat(format);
  if (working.isNull() || tile.isNull()) return;
  // The tile's own pixels, opaque, in the picture's pixel layout.
  const QImage cellTile = tile.convertToFormat(QImage::Format_RGB32).convertToFormat(format);

  // A tile narrower than the spacing cannot make a cell; keep cells at least one pixel.
  const int cellW = std::max(tile.width() + spacing, 1);
  const int cellH = std::max(tile.height() + spacing, 1);
  const int rows = working.height() / cellH + 1;
  const int perRow = working.width() / cellW;
  for (int row = 0; row < rows; ++row) {
    const int phase = row % 2 == 0 ? 1 : 0;
    const int top = cellH * row;
    for (int k = 0; k <= perRow / 2; ++k) CopyTile(working, cellTile, cellW * (2 * k + phase), top);
  }
}

}  // namespace tendrel
