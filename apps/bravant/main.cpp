// Bravant: the seller tool, a plug-in of the Marquill editor.
//
// Hidden options for trying the window out:
//   --page ID                           show that wizard after start-up (an id
//                                       of the wizard table: create, publish,
//                                       output, join)
//   --screenshot FILE                   write a picture of the window, then end
//   --screenshot-delay MS               wait before the picture (default 800)
// BRAVANT_SCREENSHOTS=DIR writes a picture of every wizard page there
// (<wizard id>-NN.png, NN the page's index in the wizard) and of the preview
// image maker (preview-before.png, preview-after.png) and ends.
// With BRAVANT_SHOWN_STAMP set, the moment the window first appears is
// printed to standard error as "bravant shown <ns since the epoch>"; with the
// value "quit" the program then ends (start-up timing).
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/qt/qt_dialogs.h"
#include "resources/resources.h"
#include "seller/authoring/ui/create_wizard.h"
#include "seller/preview/ui/frm_make_preview.h"
#include "seller/products/ui/frm_edit_tillon.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/desktop_host_probe.h"
#include "seller/shell/ui/main_form.h"
#include "seller/shell/ui/show_once_form.h"
#include "seller/wizards/bravant_wizards.h"

namespace {

struct HiddenOptions {
  std::optional<std::string> page;
  QString screenshot;
  int screenshotDelay = 800;
};

std::optional<std::string> WizardNamed(const tendrel::WizardTable& wizards, const QString& name) {
  const std::string id = name.toStdString();
  if (tendrel::FindWizard(wizards, id) != nullptr) return id;
  std::fprintf(stderr, "bravant: no wizard is called %s\n", qPrintable(name));
  return std::nullopt;
}

HiddenOptions ReadOptions(const tendrel::WizardTable& wizards, const QStringList& args) {
  HiddenOptions o;
  for (qsizetype i = 1; i + 1 < args.size(); ++i) {
    const QString& a = args.at(i);
    if (a == QLatin1String("--page")) {
      o.page = WizardNamed(wizards, args.at(++i));
    } else if (a == QLatin1String("--screenshot")) {
      o.screenshot = args.at(++i);
    } else if (a == QLatin1String("--screenshot-delay")) {
      bool ok = false;
      const int ms = args.at(++i).toInt(&ok);
      if (ok && ms >= 0) o.screenshotDelay = ms;
    }
  }
  return o;
}

// Prints the moment the window is first exposed, once it has been painted.
class ShownStamp : public QObject {
 public:
  explicit ShownStamp(bool quit) : quit_(quit) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && event->type() == QEvent::Expose) {
      done_ = true;
      QTimer::singleShot(0, this, [this] {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        std::fprintf(stderr, "bravant shown %lld\n",
                     static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
        std::fflush(stderr);
        if (quit_) QApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool quit_;
  bool done_ = false;
};

QPixmap Shoot(QWidget& form) {
  QApplication::processEvents();
  QApplication::processEvents();
  QScreen* screen = form.screen();
  return screen != nullptr ? screen->grabWindow(form.winId()) : form.grab();
}

// A made-up picture for the pages that show one.
QString MakePicture(const QString& dir) {
  QImage picture(320, 240, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 255 / 320, y * 255 / 240, 160));
  const QString path = QDir(dir).filePath(QStringLiteral("picture.png"));
  return picture.save(path) ? path : QString();
}

QString MakeTextFile(const QString& dir, const QString& name, const QByteArray& text) {
  const QString path = QDir(dir).filePath(name);
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? path : QString();
}

bool Save(QWidget& window, const QString& dir, const QString& name) {
  const QString file = QDir(dir).filePath(name);
  if (Shoot(window).save(file)) return true;
  std::fprintf(stderr, "bravant: %s could not be written\n", qPrintable(file));
  return false;
}

QString Numbered(const QString& stem, int i) { return QStringLiteral("%1-%2.png").arg(stem).arg(i, 2, 10, QLatin1Char('0')); }

// The preview image maker before and after its tiles are packed closer.
int ScreenshotPreviewMaker(tendrel::BravantContext& ctx, const QString& dir, const QString& picture) {
  tendrel::TfrmMakePreview maker(ctx.Settings(), ctx.Dialogs());
  maker.ShowPreview(picture.toStdString());
  maker.show();
  int failures = Save(maker, dir, QStringLiteral("preview-before.png")) ? 0 : 1;
  for (int i = 0; i < 5; ++i) maker.btnSpacingClick();
  failures += Save(maker, dir, QStringLiteral("preview-after.png")) ? 0 : 1;
  maker.hide();
  return failures;
}

// Every wizard's pages in turn (<id>-NN.png); the Create wizard's once for
// each kind of content with a file shown (create-text-NN.png, ...); the
// preview image maker.
void ScreenshotPages(tendrel::TMainForm& form, const tendrel::WizardTable& wizards, const QString& dir,
                     tendrel::BravantContext& ctx) {
  QDir().mkpath(dir);
  const QString picture = MakePicture(dir);
  const QString text = MakeTextFile(dir, QStringLiteral("story.txt"), "Once upon a time there was a page.\n");
  const QString page = MakeTextFile(dir, QStringLiteral("guide.htm"),
                                    "<html><head><title>Guide</title></head><body><p>A guide.</p></body></html>\n");
  int failures = 0;
  for (const tendrel::WizardRow& row : wizards) {
    form.SwitchTo(row.id);
    auto* pages = form.findChild<QStackedWidget*>(QString::fromStdString(row.inner));
    const int count = pages != nullptr ? std::max<int>(1, pages->count()) : 1;
    for (int i = 0; i < count; ++i) {
      if (pages != nullptr && pages->count() > 0) pages->setCurrentIndex(i);
      failures += Save(form, dir, Numbered(QString::fromStdString(row.id), i)) ? 0 : 1;
    }
  }
  form.SwitchTo(tendrel::kCreateWizard);
  if (auto* create = dynamic_cast<tendrel::CreateWizard*>(form.WizardFor(tendrel::kCreateWizard))) {
    auto* pages = form.findChild<QStackedWidget*>(QStringLiteral("pgEditApplet"));
    const struct {
      int tag;
      const char* stem;
      QString file;
    } kinds[] = {{0, "create-text", text}, {1, "create-image", picture}, {2, "create-html", page}};
    for (const auto& kind : kinds) {
      create->ChooseKind(kind.tag);
      create->ShowFile(kind.file.toStdString());
      for (int i = 0; pages != nullptr && i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        failures += Save(form, dir, Numbered(QString::fromLatin1(kind.stem), i)) ? 0 : 1;
      }
      pages->setCurrentIndex(0);
      create->Reset();
    }
  }
  failures += ScreenshotPreviewMaker(ctx, dir, picture);
  for (const QString& f : {picture, text, page}) QFile::remove(f);
  QApplication::exit(failures == 0 ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Bravant"));
  tendrel::InitResources();
  const tendrel::WizardTable wizards = tendrel::BravantWizards();
  const HiddenOptions options = ReadOptions(wizards, QApplication::arguments());

  // The program-wide objects: settings store and product record first, then
  // the main window, which finds the host.
  tendrel::QtUserDialogs dialogs;
  tendrel::BravantContext ctx(dialogs);
  tendrel::DesktopHostProbe probe;
  tendrel::TMainForm form(ctx, probe, wizards);
  form.SetProductEditor([&ctx](QWidget* parent) { tendrel::EditRegisteredProducts(ctx, parent); });
  tendrel::QtOneTimeMessages messages(ctx.Settings(), &form);
  ctx.SetOneTimeMessages(&messages);

  if (!form.Start()) return 1;
  if (options.page) form.SwitchTo(*options.page);

  std::optional<ShownStamp> stamp;
  if (const char* s = std::getenv("BRAVANT_SHOWN_STAMP"); s != nullptr && *s != '\0') {
    stamp.emplace(std::string(s) == "quit");
    form.winId();  // makes the native window, so its events can be watched
    form.windowHandle()->installEventFilter(&*stamp);
  }
  form.show();

  if (!options.screenshot.isEmpty()) {
    QTimer::singleShot(options.screenshotDelay, &form, [&form, &options] {
      const QPixmap shot = Shoot(form);
      if (!shot.save(options.screenshot)) {
        std::fprintf(stderr, "bravant: the screenshot could not be written to %s\n",
                     qPrintable(options.screenshot));
        QApplication::exit(1);
        return;
      }
      std::printf("Screenshot of Bravant: %s\n", qPrintable(options.screenshot));
      std::fflush(stdout);
      QApplication::exit(0);
    });
  }
  if (const char* dir = std::getenv("BRAVANT_SCREENSHOTS"); dir != nullptr && *dir != '\0') {
    const QString d = QString::fromLocal8Bit(dir);
    QTimer::singleShot(options.screenshotDelay, &form,
                       [&form, &wizards, d, &ctx] { ScreenshotPages(form, wizards, d, ctx); });
  }
  return app.exec();
}
