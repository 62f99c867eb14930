#include "seller/shell/ui/show_once_form.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt/centre.h"
#include "seller/shell/context.h"
#include "seller/core/settings.h"

namespace tendrel {

TfrmShowOnce::TfrmShowOnce(SettingsStore& settings, const std::string& message,
                           const std::string& key, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      settings_(settings),
      key_(key) {
  setObjectName(QStringLiteral("frmShowOnce"));
  setWindowTitle(QString::fromUtf8(kShowOnceCaption));
  setModal(true);

  memMessage = new QPlainTextEdit(this);
  memMessage->setObjectName(QStringLiteral("memMessage"));
  memMessage->setReadOnly(true);
  memMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memMessage->setPlainText(QString::fromStdString(message));

  chkNoMore = new QCheckBox(QStringLiteral("Don't show this message again."), this);
  chkNoMore->setObjectName(QStringLiteral("chkNoMore"));
  // The choice is kept the moment it is made, not when the window closes.
  connect(chkNoMore, &QCheckBox::toggled, this,
          [this](bool on) { SilenceMessage(settings_, key_, on); });

  btnClose = new QPushButton(QStringLiteral("&Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);
  btnClose->setAutoDefault(true);
  // Escape rejects the dialog, which closes it just as the button does.
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(chkNoMore);
  bottom->addStretch();
  bottom->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memMessage);
  layout->addLayout(bottom);
  setFixedSize(440, 260);
}

void TfrmShowOnce::showEvent(QShowEvent* event) {
  CentreOnScreen(this);
  btnClose->setFocus();
  QDialog::showEvent(event);
}

bool ShowOnce(SettingsStore& settings, const std::string& message, const std::string& key,
              QWidget* parent) {
  if (MessageSilenced(settings, key)) return false;
  TfrmShowOnce form(settings, message, key, parent);
  form.exec();
  return true;
}

void QtOneTimeMessages::Present(const std::string& message, const std::string& key) {
  TfrmShowOnce form(settings_, message, key, parent_);
  form.exec();
}

}  // namespace tendrel
