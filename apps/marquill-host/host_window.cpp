#include "host_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStatusBar>

namespace tendrel {

namespace {

const QString kHtmlFilter = QStringLiteral("HTML files (*.htm *.html);;All files (*)");

QString MakeAppPath() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  QString path = QDir(base).filePath(QStringLiteral("Tendrel/Marquill"));
  QDir dir(path);
  dir.mkpath(QStringLiteral("help"));
  dir.mkpath(QStringLiteral("html files"));
  return QDir::cleanPath(path);
}

}  // namespace

HostWindow::HostWindow(QWidget* parent)
    : QMainWindow(parent), edit_(new QPlainTextEdit(this)), view_(edit_), appPath_(MakeAppPath()) {
  setObjectName(QStringLiteral("frmMain"));
  edit_->setObjectName(QStringLiteral("txtDocument"));
  edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  setCentralWidget(edit_);

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&New"), QKeySequence::New, this, &HostWindow::fileNew);
  file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, &HostWindow::fileOpen);
  file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, &HostWindow::fileSave);
  file->addAction(QStringLiteral("Save &As..."), QKeySequence::SaveAs, this, &HostWindow::fileSaveAs);
  file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &HostWindow::fileClose);
  file->addSeparator();
  file->addAction(QStringLiteral("E&xit"), QKeySequence::Quit, this, &QWidget::close);

  QMenu* plugins = menuBar()->addMenu(QStringLiteral("&Plug-ins"));
  for (const char* name : {"Bravant", "Pennant", "Kestrel"}) {
    const QString n = QString::fromLatin1(name);
    plugins->addAction(QStringLiteral("&") + n, this, [this, n] { startPlugin(n); });
  }

  connect(edit_->document(), &QTextDocument::modificationChanged, this, &HostWindow::updateCaption);
  statusBar()->showMessage(QStringLiteral("Ready"));
  resize(820, 600);
  updateCaption();
}

bool HostWindow::modified() const { return docOpen_ && edit_->document()->isModified(); }

void HostWindow::updateCaption() {
  QString caption = QStringLiteral("Marquill4");
  if (docOpen_) {
    caption += QStringLiteral(" - ") +
               (docPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(docPath_).fileName());
    if (modified()) caption += QStringLiteral(" *");
  }
  setWindowTitle(caption);
}

void HostWindow::setDocOpen(bool open) {
  docOpen_ = open;
  edit_->setEnabled(open);
  if (!open) {
    docPath_.clear();
    view_.Load({});
  }
  updateCaption();
}

void HostWindow::note(const QString& text) { statusBar()->showMessage(text, 8000); }

void HostWindow::newDocument() {
  docPath_.clear();
  byteOrderMark_ = false;
  view_.Load({});
  setDocOpen(true);
  edit_->setFocus();
}

bool HostWindow::openPath(const QString& path, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = f.errorString();
    return false;
  }
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    *error = f.errorString();
    return false;
  }
  std::string text;
  const bool latin1 = !bytes.isValidUtf8();
  bool bom = false;
  if (latin1) {
    text = QString::fromLatin1(bytes).toStdString();  // older pages: never lose a byte to U+FFFD
  } else {
    bom = bytes.startsWith("\xEF\xBB\xBF");
    const qsizetype skip = bom ? 3 : 0;
    text.assign(bytes.constData() + skip, static_cast<size_t>(bytes.size() - skip));
  }
  byteOrderMark_ = bom;
  docPath_ = QFileInfo(path).absoluteFilePath();
  view_.Load(std::move(text));
  setDocOpen(true);
  note(latin1 ? QStringLiteral("%1 is not UTF-8 text: read as Latin-1, it will be saved as UTF-8.")
                    .arg(QFileInfo(path).fileName())
              : QStringLiteral("Opened %1").arg(docPath_));
  return true;
}

bool HostWindow::saveTo(const QString& path, QString* error) {
  QSaveFile f(path);
  const std::string& text = view_.Text();
  if (!f.open(QIODevice::WriteOnly) || (byteOrderMark_ && f.write("\xEF\xBB\xBF", 3) != 3) ||
      f.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
      !f.commit()) {
    *error = f.errorString();
    return false;
  }
  docPath_ = QFileInfo(path).absoluteFilePath();
  edit_->document()->setModified(false);
  updateCaption();
  note(QStringLiteral("Saved %1").arg(docPath_));
  return true;
}

void HostWindow::askSavePath(std::function<void(const QString&)> done) {
  // A plug-in waits on this dialog, usually minimised: come to the front.
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  auto* d = new QFileDialog(this, QStringLiteral("Save As"),
                            QDir(appPath_).filePath(QStringLiteral("html files")), kHtmlFilter);
  d->setAcceptMode(QFileDialog::AcceptSave);
  d->setDefaultSuffix(QStringLiteral("htm"));
  d->setAttribute(Qt::WA_DeleteOnClose);
  connect(d, &QDialog::finished, this, [d, done](int result) {
    done(result == QDialog::Accepted && !d->selectedFiles().isEmpty() ? d->selectedFiles().first()
                                                                       : QString());
  });
  d->open();
}

bool HostWindow::maybeSave() {
  if (!modified()) return true;
  auto answer = QMessageBox::question(
      this, QStringLiteral("Marquill4"),
      QStringLiteral("Save the changes to %1?")
          .arg(docPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(docPath_).fileName()),
      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  if (answer == QMessageBox::Save) return fileSave();
  return answer == QMessageBox::Discard;
}

void HostWindow::fileNew() {
  if (maybeSave()) newDocument();
}

void HostWindow::fileOpen() {
  if (!maybeSave()) return;
  QString dir = docPath_.isEmpty() ? QDir(appPath_).filePath(QStringLiteral("html files"))
                                   : QFileInfo(docPath_).path();
  QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), dir, kHtmlFilter);
  if (path.isEmpty()) return;
  QString error;
  if (!openPath(path, &error))
    QMessageBox::warning(this, QStringLiteral("Open"),
                         QStringLiteral("%1 could not be opened: %2").arg(path, error));
}

bool HostWindow::fileSave() {
  if (!docOpen_) return true;
  if (docPath_.isEmpty()) return fileSaveAs();
  QString error;
  if (saveTo(docPath_, &error)) return true;
  QMessageBox::warning(this, QStringLiteral("Save"),
                       QStringLiteral("%1 could not be saved: %2").arg(docPath_, error));
  return false;
}

bool HostWindow::fileSaveAs() {
  if (!docOpen_) return true;
  QString dir = docPath_.isEmpty() ? QDir(appPath_).filePath(QStringLiteral("html files")) : docPath_;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), dir, kHtmlFilter);
  if (path.isEmpty()) return false;
  QString error;
  if (saveTo(path, &error)) return true;
  QMessageBox::warning(this, QStringLiteral("Save As"),
                       QStringLiteral("%1 could not be saved: %2").arg(path, error));
  return false;
}

void HostWindow::fileClose() {
  if (maybeSave()) setDocOpen(false);
}

void HostWindow::closeEvent(QCloseEvent* e) {
  if (!maybeSave()) {
    e->ignore();
    return;
  }
  emit closing();
  e->accept();
}

void HostWindow::startPlugin(const QString& name) {
  // The wizards are built beside the editor: in its own folder, or each in a
  // folder of its own next to the editor's.
  const QString exe = name.toLower();
  const QDir here(QCoreApplication::applicationDirPath());
  const QStringList candidates = {here.filePath(exe), here.filePath(QStringLiteral("../%1/%1").arg(exe)),
                                  here.filePath(QStringLiteral("../bin/") + exe)};
  for (const QString& c : candidates) {
    QFileInfo info(c);
    if (!info.isFile() || !info.isExecutable()) continue;
    QProcess p;
    p.setProgram(info.absoluteFilePath());
    p.setWorkingDirectory(info.absolutePath());
    if (p.startDetached()) {
      note(QStringLiteral("Started %1").arg(name));
      return;
    }
    QMessageBox::warning(this, QStringLiteral("Plug-ins"),
                         QStringLiteral("%1 could not be started: %2").arg(name, p.errorString()));
    return;
  }
  QStringList shown;
  for (const QString& c : candidates) shown << QDir::cleanPath(c);
  QMessageBox::warning(this, QStringLiteral("Plug-ins"),
                       QStringLiteral("%1 was not found. It was looked for at:\n%2")
                           .arg(name, shown.join(QLatin1Char('\n'))));
}

}  // namespace tendrel
