#include "platform/qt/keyed_picture.h"

#include <QPainter>

namespace tendrel {

QImage LoadBitmapResource(const std::string& name) {
  return QImage(QStringLiteral(":/bitmap/") + QString::fromStdString(name));
}

QPixmap KeyedPixmap(const QImage& bitmap) {
  if (bitmap.isNull()) return {};
  // The shipped bitmaps are palette images: work on plain 32-bit pixels.
  QImage img = bitmap.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = img.pixel(0, img.height() - 1) & 0x00FFFFFFu;
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0x00FFFFFFu) == key) line[x] = 0;
  }
  return QPixmap::fromImage(img);
}

std::string BitmapForDepth(int screenDepth, const std::string& lowColourName, const std::string& deepName) {
  return screenDepth > 8 ? deepName : lowColourName;
}

KeyedPicture::KeyedPicture(QWidget* parent) : QWidget(parent) {}

void KeyedPicture::SetBitmap(const QImage& bitmap) {
  resource_.clear();
  picture_ = KeyedPixmap(bitmap);
  setFixedSize(picture_.isNull() ? QSize(0, 0) : picture_.size());
  update();
}

void KeyedPicture::SetBitmapResource(const std::string& name) {
  if (!picture_.isNull() && name == resource_) return;
  SetBitmap(LoadBitmapResource(name));
  resource_ = name;
}

void KeyedPicture::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
}

}  // namespace tendrel
