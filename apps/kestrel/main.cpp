// kestrel: rates the page open in Marquill under the SafeSurf system.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "platform/qt/close_on_term.h"
#include "platform/qt/qt_dialogs.h"
#include "rating/form_body.h"
#include "rating/kestrel_config.h"
#include "rating/levels.h"
#include "rating/page_walk.h"
#include "rating/submission.h"
#include "rating/ui/frm_main.h"
#include "resources/resources.h"

namespace {

// Pictures of the pages, for looking at the layout: KESTREL_SCREENSHOTS=dir
// writes page-00.png ... page-16.png there (and each category page once more
// with its slider at the top, page-NN-max.png, for the longest texts) and
// ends the program; page-15-report.png shows the memo with a report in it.
void ScreenshotPages(tendrel::TfrmMain* form, const QString& dir) {
  QDir().mkpath(dir);
  auto shoot = [form, &dir](const QString& name) {
    QApplication::processEvents();
    const QString file = QDir(dir).filePath(name);
    if (!form->grab().save(file)) std::fprintf(stderr, "kestrel: %s could not be written\n", qPrintable(file));
  };
  for (int page = 0; page < tendrel::kPageCount; ++page) {
    form->OpenPage(page);
    const QString number = QStringLiteral("%1").arg(page, 2, 10, QLatin1Char('0'));
    shoot(QStringLiteral("page-%1.png").arg(number));
    const int category = tendrel::PageCategory(page);
    if (category < 0) continue;
    const std::string code(tendrel::CategoryAt(category).code);
    if (auto* trk = form->findChild<QSlider*>(QStringLiteral("trk") + QString::fromStdString(code))) {
      const int start = trk->value();
      trk->setValue(trk->maximum());
      shoot(QStringLiteral("page-%1-max.png").arg(number));
      trk->setValue(start);
    }
  }
  // The memo as a failed submission leaves it, with the report to mail.
  auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("txtEmail"));
  auto* name = form->findChild<QLineEdit*>(QStringLiteral("txtUserName"));
  if (memo && name) {
    name->setText(QStringLiteral("Ann Lee"));
    for (const std::string& line : tendrel::BuildReport(form->CurrentRating()))
      memo->appendPlainText(QString::fromStdString(line));
    form->OpenPage(tendrel::kPageEmail);
    shoot(QStringLiteral("page-15-report.png"));
  }
  // The progress window as it looks during a submission.
  tendrel::TfrmSendInfo* info = form->sendInfo();
  info->lblInfo->setText(QStringLiteral("Sending Information to SafeSurf."));
  info->SendProgBar->setValue(1);
  info->show();
  QApplication::processEvents();
  const QString file = QDir(dir).filePath(QStringLiteral("send-info.png"));
  if (!info->grab().save(file)) std::fprintf(stderr, "kestrel: %s could not be written\n", qPrintable(file));
  form->close();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrel"));
  tendrel::InitResources();

  tendrel::QtUserDialogs dialogs;
  tendrel::KestrelServices services;
  services.dialogs = &dialogs;
  services.config = tendrel::KestrelConfigFromEnvironment();
  services.hostRunning = [] { return tendrel::MarquillRunning(); };
  services.createHost = []() -> std::unique_ptr<tendrel::HostEditor> { return tendrel::DBusHostEditor::Create(); };
  services.createLink = [config = services.config]() -> std::unique_ptr<tendrel::RatingLink> {
    return std::make_unique<tendrel::CurlRatingLink>(config);
  };

  tendrel::TfrmMain form(services);
  if (!form.FormCreate()) return 1;
  tendrel::CloseOnTerm(&form);
  QObject::connect(&form, &tendrel::TfrmMain::closed, &app, &QApplication::quit, Qt::QueuedConnection);
  form.show();

  // Hidden helpers for looking at the pages.
  if (const char* page = std::getenv("KESTREL_OPEN_PAGE"); page && *page) form.OpenPage(std::atoi(page));
  if (const char* dir = std::getenv("KESTREL_SCREENSHOTS"); dir && *dir) {
    const QString d = QString::fromLocal8Bit(dir);
    QTimer::singleShot(1000, &form, [&form, d] { ScreenshotPages(&form, d); });
  }
  return app.exec();
}
