#include "platform/qt/centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tendrel {

void CentreOnScreen(QWidget* window) {
  if (!window) return;
  QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace tendrel
