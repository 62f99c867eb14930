#pragma once
// A small titled window with a centred status line over a progress bar, shown
// while a wizard's long step runs.
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tendrel {

struct ProgressWindowSetup {
  QString objectName;
  QString title;
  QSize size{322, 84};  // client area; fixed
  int minimum = 0;
  int maximum = 100;
  QString labelName = QStringLiteral("lblInfo");
  QString barName = QStringLiteral("pbProgress");
};

class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressWindow(const ProgressWindowSetup& setup, QWidget* parent = nullptr);

  QLabel* label() const { return label_; }
  QProgressBar* bar() const { return bar_; }

  void SetStatus(const QString& text);
  void SetPosition(int position);
  // Shows the window centred on its screen and in front.
  void ShowCentred();

 private:
  QLabel* label_;
  QProgressBar* bar_;
};

}  // namespace tendrel
