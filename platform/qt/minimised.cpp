#include "platform/qt/minimised.h"

#include <QCoreApplication>
#include <QWidget>

namespace tendrel {

namespace {

class Minimised {
 public:
  explicit Minimised(QWidget* w) : w_(w) {
    if (!w_) return;
    state_ = w_->windowState();
    w_->showMinimized();
    // Let the window system see it go before the call blocks this thread.
    QCoreApplication::processEvents();
  }
  ~Minimised() {
    if (!w_) return;
    w_->setWindowState(state_ & ~Qt::WindowMinimized);
    w_->show();
    w_->raise();
    w_->activateWindow();
  }
  Minimised(const Minimised&) = delete;
  Minimised& operator=(const Minimised&) = delete;

 private:
  QWidget* w_;
  Qt::WindowStates state_;
};

}  // namespace

void RunMinimised(QWidget* window, const std::function<void()>& work) {
  Minimised guard(window);
  work();
}

}  // namespace tendrel
