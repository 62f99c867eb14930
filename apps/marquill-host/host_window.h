#pragma once
// The stand-in editor's one window: one HTML document, a File menu and a
// Plug-ins menu that starts the three wizards.
#include <QMainWindow>
#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "document_view.h"

namespace tendrel {

class HostWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit HostWindow(QWidget* parent = nullptr);

  DocumentView& view() { return view_; }
  bool docOpen() const { return docOpen_; }
  bool modified() const;
  // Full path of the document; empty while it has never been saved.
  const QString& docPath() const { return docPath_; }
  // The folder that holds help/ and "html files/"; made on start.
  QString appPath() const { return appPath_; }

  // A new empty document, replacing the open one (the caller asks first).
  void newDocument();
  // Opens `path`; the reason when it cannot be read.
  bool openPath(const QString& path, QString* error);
  // Writes the document whole to `path`, which then names it.
  bool saveTo(const QString& path, QString* error);
  // Shows the save dialog; `done` gets the chosen path, empty when cancelled.
  void askSavePath(std::function<void(const QString&)> done);
  // A status line for a person watching the editor.
  void note(const QString& text);

 signals:
  void closing();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private slots:
  void fileNew();
  void fileOpen();
  bool fileSave();
  bool fileSaveAs();
  void fileClose();

 private:
  // Offers to save unsaved changes; false when the user cancels.
  bool maybeSave();
  void startPlugin(const QString& name);
  void updateCaption();
  void setDocOpen(bool open);

  QPlainTextEdit* edit_;
  DocumentView view_;
  bool docOpen_ = true;
  QString docPath_;
  // The file began with a UTF-8 byte order mark: the page's text is shown and
  // served without it (plug-ins count positions from its first character),
  // and it is written back in front when the page is saved.
  bool byteOrderMark_ = false;
  QString appPath_;
};

}  // namespace tendrel
