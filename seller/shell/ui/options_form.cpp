#include "seller/shell/ui/options_form.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt/centre.h"
#include "platform/dialogs.h"
#include "seller/core/settings.h"

namespace tendrel {

namespace {
const char kSection[] = "Options";
const char kName[] = "Class Location";
}  // namespace

TfrmOptions::TfrmOptions(SettingsStore& settings, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), settings_(settings),
      dialogs_(dialogs) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Bravant Options"));
  setModal(true);

  lblCodebase = new QLabel(
      QStringLiteral("Default location of Bravant classes directory on your host. This value is "
                     "used in the \"codebase\" attribute of each Salebox."),
      this);
  lblCodebase->setObjectName(QStringLiteral("lblCodebase"));
  lblCodebase->setWordWrap(true);
  lblCodebase->setTextFormat(Qt::PlainText);

  txtClassLocation = new QLineEdit(this);
  txtClassLocation->setObjectName(QStringLiteral("txtClassLocation"));
  txtClassLocation->setAccessibleName(QStringLiteral("Class Location"));
  txtClassLocation->setText(
      QString::fromStdString(settings_.ReadText(kSection, kName, kDefaultClassLocation)));
  connect(txtClassLocation, &QLineEdit::editingFinished, this,
          [this] { txtClassLocationExit(); });

  lblWarning = new QLabel(
      QStringLiteral("Do not change this unless you are absolutely sure of what you are doing."),
      this);
  lblWarning->setObjectName(QStringLiteral("lblWarning"));
  lblWarning->setWordWrap(true);
  lblWarning->setTextFormat(Qt::PlainText);

  btnReset = new QPushButton(QStringLiteral("&Reset To Default Values"), this);
  btnReset->setObjectName(QStringLiteral("btnReset"));
  btnReset->setAutoDefault(false);
  connect(btnReset, &QPushButton::clicked, this, [this] { btnResetClick(); });

  btnClose = new QPushButton(QStringLiteral("&Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setAutoDefault(false);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnReset);
  buttons->addStretch();
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCodebase);
  layout->addWidget(txtClassLocation);
  layout->addWidget(lblWarning);
  layout->addStretch();
  layout->addLayout(buttons);
  setFixedSize(400, 180);
}

void TfrmOptions::txtClassLocationExit() {
  // Taken as typed: the vendor alone knows where the classes lie.
  settings_.WriteText(kSection, kName, txtClassLocation->text().toStdString());
  txtClassLocation->setModified(false);
}

void TfrmOptions::btnResetClick() {
  if (!dialogs_.ConfirmYesNo(kOptionsResetQuestion)) return;
  txtClassLocation->setText(QString::fromUtf8(kDefaultClassLocation));
  txtClassLocationExit();
}

void TfrmOptions::done(int result) {
  // Closing the dialog leaves the field too: what was typed is kept.
  if (txtClassLocation->isModified()) txtClassLocationExit();
  QDialog::done(result);
}

void TfrmOptions::showEvent(QShowEvent* event) {
  CentreOnScreen(this);
  QDialog::showEvent(event);
}

}  // namespace tendrel
