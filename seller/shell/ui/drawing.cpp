#include "seller/shell/ui/drawing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace tendrel {

void PaintLogo(const std::string& lowColourName, const std::string& deepName, TPaintBox& box) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  // No screen at all counts as a deep one.
  box.SetBitmap(LoadBitmapResource(BitmapForDepth(screen ? screen->depth() : 32, lowColourName, deepName)));
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
