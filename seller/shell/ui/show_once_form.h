#pragma once
// The one-time message window and ShowOnce, which shows it unless the user
// has silenced the message.
#include <QDialog>
#include <string>

#include "seller/core/show_once.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tendrel {

class SettingsStore;

class TfrmShowOnce : public QDialog {
 public:
  TfrmShowOnce(SettingsStore& settings, const std::string& message, const std::string& key,
               QWidget* parent = nullptr);

  QPlainTextEdit* memMessage;
  QCheckBox* chkNoMore;
  QPushButton* btnClose;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SettingsStore& settings_;
  std::string key_;
};

// Shows the message modally unless "Messages"/key holds "No More" (exactly);
// true when it was shown.
bool ShowOnce(SettingsStore& settings, const std::string& message, const std::string& key,
              QWidget* parent = nullptr);

// The one-time messages of the running program, as windows.
class QtOneTimeMessages : public OneTimeMessages {
 public:
  explicit QtOneTimeMessages(SettingsStore& settings, QWidget* parent = nullptr)
      : settings_(settings), parent_(parent) {}
  void Present(const std::string& message, const std::string& key) override;

 private:
  SettingsStore& settings_;
  QWidget* parent_;
};

}  // namespace tendrel
