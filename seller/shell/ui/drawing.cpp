#include "seller/shell/ui/drawing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

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

// A child widget fills no background of its own, so the keyed pixels let
// the page behind show through.
TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {}

void TPaintBox::SetBitmap(const QImage& bitmap) {
  picture_ = KeyedPixmap(bitmap);
  setFixedSize(picture_.isNull() ? QSize(0, 0) : picture_.size());
  update();
}

void TPaintBox::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
}

void PaintLogo(const std::string& lowColourName, const std::string& deepName, TPaintBox& box) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const bool lowColour = screen != nullptr && screen->depth() <= 8;
  box.SetBitmap(LoadBitmapResource(lowColour ? lowColourName : deepName));
}

void BusyCursor() {
  if (QGuiApplication::overrideCursor() != nullptr)
    QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void NormalCursor() {
  while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
}

}  // namespace tendrel
