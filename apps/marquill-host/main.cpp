// marquill-host: the stand-in host editor. One window with one HTML page, and
// the automation object Marquill4.Plugin on the session bus.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "host_window.h"
#include "plugin_service.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Plug-ins know the editor's window by its class. On X11, Qt takes the
  // class part of WM_CLASS from the application name.
  QApplication::setApplicationName(QStringLiteral("TfrmMain"));

  QCommandLineParser cl;
  cl.setApplicationDescription(QStringLiteral("Stand-in Marquill editor for the Tendrel wizards."));
  cl.addHelpOption();
  cl.addPositionalArgument(QStringLiteral("page"), QStringLiteral("HTML page to open."));
  QCommandLineOption shot(QStringLiteral("screenshot"),
                          QStringLiteral("Write a picture of the window to <file>, then close."),
                          QStringLiteral("file"));
  QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                           QStringLiteral("Milliseconds to wait before the picture (default 1500)."),
                           QStringLiteral("ms"), QStringLiteral("1500"));
  cl.addOption(shot);
  cl.addOption(delay);
  cl.process(app);
  const bool unattended = cl.isSet(shot);

  tendrel::HostWindow window;
  tendrel::PluginService service(&window);
  QObject::connect(&window, &tendrel::HostWindow::closing, &service, &tendrel::PluginService::sayGoodbye);
  window.show();

  if (!cl.positionalArguments().isEmpty()) {
    const QString page = cl.positionalArguments().first();
    QString error;
    if (!window.openPath(page, &error)) {
      const QString text = QStringLiteral("%1 could not be opened: %2").arg(page, error);
      std::fprintf(stderr, "marquill-host: %s\n", qPrintable(text));
      if (!unattended) QMessageBox::warning(&window, QStringLiteral("Open"), text);
    }
  }

  QString error;
  if (!service.publish(&error)) {
    const QString text = QStringLiteral("Plug-ins cannot reach this editor: %1.").arg(error);
    std::fprintf(stderr, "marquill-host: %s\n", qPrintable(text));
    window.note(text);
  }

  if (unattended) {
    const QString file = cl.value(shot);
    QTimer::singleShot(cl.value(delay).toInt(), &window, [&window, file] {
      if (window.grab().save(file)) {
        std::printf("Screenshot of the editor: %s\n", qPrintable(file));
      } else {
        std::fprintf(stderr, "marquill-host: the screenshot could not be written to %s\n", qPrintable(file));
        QApplication::exit(1);
      }
      std::fflush(stdout);
      window.close();
    });
  }
  return app.exec();
}
