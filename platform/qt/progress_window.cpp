#include "platform/qt/progress_window.h"

#include <QLabel>
#include <QProgressBar>

#include "platform/qt/centre.h"

namespace tendrel {

ProgressWindow::ProgressWindow(const ProgressWindowSetup& setup, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(setup.objectName);
  setWindowTitle(setup.title);
  setFixedSize(setup.size);
  const int w = setup.size.width();
  const int h = setup.size.height();
  // The status line near the top, the bar a little above the bottom edge.
  label_ = new QLabel(this);
  label_->setObjectName(setup.labelName);
  label_->setAlignment(Qt::AlignCenter);
  label_->setGeometry(8, 14, w - 16, 20);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(setup.barName);
  bar_->setRange(setup.minimum, setup.maximum);
  bar_->setValue(setup.minimum);
  bar_->setTextVisible(false);
  bar_->setGeometry(16, h - 38, w - 32, 18);
}

void ProgressWindow::SetStatus(const QString& text) { label_->setText(text); }

void ProgressWindow::SetPosition(int position) { bar_->setValue(position); }

void ProgressWindow::ShowCentred() {
  CentreOnScreen(this);
  show();
  raise();
}

}  // namespace tendrel
