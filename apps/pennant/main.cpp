// pennant: makes "Add Channel" buttons for the page open in Marquill.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "channel/pennant_config.h"
#include "channel/ui/frm_push.h"
#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "platform/qt/close_on_term.h"
#include "platform/qt/qt_dialogs.h"
#include "resources/resources.h"

namespace {

using tendrel::channel::PushPage;
using tendrel::channel::TfrmPush;

// Pictures of the pages, for looking at the layout: PENNANT_SCREENSHOTS=dir
// writes one picture per page in the page walk's order, the main page with
// crosses, and the summary page in each of its layouts, then ends the program.
void ScreenshotPages(TfrmPush* form, const QString& dir) {
  QDir().mkpath(dir);
  auto shoot = [form, &dir](const QString& name) {
    QApplication::processEvents();
    const QString file = QDir(dir).filePath(name);
    if (!form->grab().save(file)) std::fprintf(stderr, "pennant: %s could not be written\n", qPrintable(file));
  };
  const std::pair<PushPage, const char*> pages[] = {
      {PushPage::Intro, "page-1-intro.png"},         {PushPage::Main, "page-2-main.png"},
      {PushPage::IE, "page-3-ie.png"},               {PushPage::PointCast, "page-4-pointcast.png"},
      {PushPage::Netscape, "page-5-netscape.png"},   {PushPage::Common, "page-6-common.png"},
      {PushPage::Finish, "page-7-finish-all.png"},
  };
  for (const auto& [page, name] : pages) {
    form->OpenPage(page);
    shoot(QString::fromLatin1(name));
  }
  // The summary's other layouts: IE alone, PointCast alone, Netcaster alone.
  form->imgPCTickClick();
  form->OpenPage(PushPage::Finish);
  shoot(QStringLiteral("page-7-finish-ie.png"));
  form->imgPCCrossClick();
  form->imgIETickClick();
  form->OpenPage(PushPage::Finish);
  shoot(QStringLiteral("page-7-finish-pointcast.png"));
  form->imgPCTickClick();
  form->OpenPage(PushPage::Finish);
  shoot(QStringLiteral("page-7-finish-netcaster.png"));
  form->OpenPage(PushPage::Main);
  shoot(QStringLiteral("page-2-main-crosses.png"));
  form->close();
}

// PENNANT_EXIT_WHEN_SHOWN: once the window has painted, print the wall-clock
// time (ns since the epoch) and end, for measuring the start.
class ShownProbe : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && !done_) {
      done_ = true;
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
      std::printf("shown %lld\n", static_cast<long long>(ns));
      std::fflush(stdout);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pennant"));
  tendrel::InitResources();

  tendrel::QtUserDialogs dialogs;
  tendrel::channel::PennantServices services;
  services.dialogs = &dialogs;
  services.config = tendrel::channel::PennantConfigFromEnvironment();
  services.hostRunning = [] { return tendrel::MarquillRunning(); };
  services.createHost = []() -> std::unique_ptr<tendrel::HostEditor> { return tendrel::DBusHostEditor::Create(); };

  TfrmPush form(services);
  if (!form.FormCreate()) return 1;
  tendrel::CloseOnTerm(&form);
  QObject::connect(&form, &TfrmPush::closed, &app, &QApplication::quit, Qt::QueuedConnection);
  if (const char* v = std::getenv("PENNANT_EXIT_WHEN_SHOWN"); v && *v) form.installEventFilter(new ShownProbe(&form));
  form.show();

  if (const char* dir = std::getenv("PENNANT_SCREENSHOTS"); dir && *dir) {
    const QString d = QString::fromLocal8Bit(dir);
    QTimer::singleShot(1000, &form, [&form, d] { ScreenshotPages(&form, d); });
  }
  return app.exec();
}
