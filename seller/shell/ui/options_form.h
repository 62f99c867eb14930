#pragma once
// The options dialog: the one user setting that shapes every applet tag, the
// location of the service's class folder on the vendor's web server.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tendrel {

class SettingsStore;
class UserDialogs;

inline constexpr char kOptionsResetQuestion[] =
    "Are you sure you want to set the tln options back to their default values ?  If you choose "
    "'Yes' their current values will be lost.";
inline constexpr char kDefaultClassLocation[] = "classes/";

class TfrmOptions : public QDialog {
 public:
  TfrmOptions(SettingsStore& settings, UserDialogs& dialogs, QWidget* parent = nullptr);

  QLabel* lblCodebase;
  QLabel* lblWarning;
  QLineEdit* txtClassLocation;
  QPushButton* btnReset;
  QPushButton* btnClose;

  // "&Reset To Default Values": asks, and on Yes puts back "classes/".
  void btnResetClick();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void txtClassLocationExit();
  SettingsStore& settings_;
  UserDialogs& dialogs_;
};

}  // namespace tendrel
