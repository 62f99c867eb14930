#pragma once
// Reading and writing image files through GraphicsMagick. Images cross this
// boundary as QImage: 32 bits per pixel, ARGB32 when the file has an alpha
// channel, else RGB32. Safe to call from any thread.
#include <QImage>
#include <string>

namespace tendrel {

struct ImageRead {
  QImage image;        // null when the read failed
  int status = 0;      // 0 after a good read, else non-zero (the library's failure)
  std::string error;   // the library's own message when status != 0
  bool ok() const { return status == 0 && !image.isNull(); }
};

// Reads BMP, JPEG (baseline and progressive), GIF, PNG, TIFF and PCX through GraphicsMagick.
// Of a file holding several frames (animated GIF, multi-page TIFF) the first is read.
ImageRead ReadImageFile(const std::string& path);

// Writes the image; empty string on success, else the library's message.
// The file is written whole (a temporary file renamed over the name), so a
// failed write leaves any earlier file as it was.
std::string WriteGif(const QImage& image, const std::string& path);
// quality 1..100 (values outside are clamped).
std::string WriteJpeg(const QImage& image, const std::string& path, int quality);

}  // namespace tendrel
