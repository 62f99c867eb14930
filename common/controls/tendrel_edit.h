#pragma once
// TTendrelEdit: a single-line edit that can take digits only within bounds,
// can carry a file-browse button at its right, and can keep its text in the
// registry.
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QToolButton>
#include <string>

#include "common/controls/registry_binding.h"

namespace tendrel {

class UserDialogs;

// Bravant carries revision 1.07 of the edit, Pennant 1.05: the older one has
// a browse button that stays where it was put, keeps its own enabled state and
// outlives the edit (its parent frees it). IntValue works in both; Pennant
// simply does not call it.
enum class EditRevision { R107, R105 };

class TTendrelEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(bool NumericOnly READ NumericOnly WRITE SetNumericOnly)
  Q_PROPERTY(int Max READ Max WRITE SetMax)
  Q_PROPERTY(int Min READ Min WRITE SetMin)
  Q_PROPERTY(QString Version READ VersionQ WRITE SetVersionQ)
  Q_PROPERTY(bool FileBrowser READ FileBrowser WRITE SetFileBrowser)
  Q_PROPERTY(QString FileFilter READ FileFilterQ WRITE SetFileFilterQ)
  Q_PROPERTY(QString RegPath READ RegPathQ WRITE SetRegPathQ)
  Q_PROPERTY(QString RegValue READ RegValueQ WRITE SetRegValueQ)
  Q_PROPERTY(bool RegStore READ RegStore WRITE SetRegStore)
  Q_PROPERTY(TTendrelEditOptions Options READ Options WRITE SetOptions)

 public:
  enum TTendrelEditOption { teOnExit = 0x1, teOnCarriageReturn = 0x2 };
  Q_DECLARE_FLAGS(TTendrelEditOptions, TTendrelEditOption)
  Q_FLAG(TTendrelEditOptions)

  // Width of the browse button, in pixels.
  static constexpr int kBrowseButtonWidth = 24;

  explicit TTendrelEdit(QWidget* parent = nullptr,
                        EditRevision revision = EditRevision::R107);
  ~TTendrelEdit() override;

  // Where the browse dialog and the report of a text that is not a number go.
  // Without one the browse button does nothing and such a text goes
  // unreported (it stays as it is either way).
  void SetDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }
  UserDialogs* Dialogs() const { return dialogs_; }

  bool NumericOnly() const { return numericOnly_; }
  void SetNumericOnly(bool on);
  int Max() const { return max_; }
  void SetMax(int value) { max_ = value; }
  int Min() const { return min_; }
  void SetMin(int value) { min_ = value; }
  // "1.07" or "1.05" by revision; writing is ignored.
  std::string Version() const;
  void SetVersion(const std::string&) {}
  bool FileBrowser() const { return fileBrowser_; }
  // True shows the browse button (once, however often it is set); false
  // frees it.
  void SetFileBrowser(bool on);
  std::string FileFilter() const { return fileFilter_; }
  void SetFileFilter(const std::string& filter) { fileFilter_ = filter; }
  std::string RegPath() const { return registry_.Path(); }
  void SetRegPath(const std::string& path) { registry_.SetPath(path); }
  std::string RegValue() const { return registry_.Value(); }
  void SetRegValue(const std::string& value) { registry_.SetValue(value); }
  bool RegStore() const { return registry_.Store(); }
  void SetRegStore(bool on) { registry_.SetStore(on); }
  TTendrelEditOptions Options() const { return options_; }
  void SetOptions(TTendrelEditOptions options) { options_ = options; }

  EditRevision Revision() const { return revision_; }
  // The text as an integer; 0 when it is empty or not an integer.
  int IntValue() const;
  // The browse button while FileBrowser is on (and the edit has had a parent
  // to put it on); else null.
  QToolButton* BrowseButton() const { return button_; }

  // The form calls this once its properties are set: with RegStore on, the
  // text is loaded from the registry (an empty or missing value empties it).
  void Loaded();
  // Writes the text to the registry value now.
  bool SaveToRegistry() const;
  // The browse button's action: an open-file dialog starting in the folder
  // of the current text; the chosen file becomes the text.
  void Browse();

 signals:
  // The focus left the edit and its own exit handling (Min, saving) is done.
  // Not sent when the text failed to convert for the Min check.
  void Exited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString VersionQ() const { return QString::fromStdString(Version()); }
  void SetVersionQ(const QString&) {}
  QString FileFilterQ() const { return QString::fromStdString(fileFilter_); }
  void SetFileFilterQ(const QString& v) { fileFilter_ = v.toStdString(); }
  QString RegPathQ() const { return QString::fromStdString(registry_.Path()); }
  void SetRegPathQ(const QString& v) { registry_.SetPath(v.toStdString()); }
  QString RegValueQ() const { return QString::fromStdString(registry_.Value()); }
  void SetRegValueQ(const QString& v) { registry_.SetValue(v.toStdString()); }

  // True when the typed key is to be swallowed by the digit filter.
  bool FilterKey(QKeyEvent* event);
  void CreateBrowseButton();
  void PlaceBrowseButton();
  bool Follows() const { return revision_ == EditRevision::R107; }

  const EditRevision revision_;
  UserDialogs* dialogs_ = nullptr;
  bool numericOnly_ = false;
  int max_ = 0;
  int min_ = 0;
  bool fileBrowser_ = false;
  std::string fileFilter_;
  RegistryBinding registry_;
  TTendrelEditOptions options_;
  QPointer<QToolButton> button_;
  bool exiting_ = false;
};

}  // namespace tendrel

Q_DECLARE_OPERATORS_FOR_FLAGS(tendrel::TTendrelEdit::TTendrelEditOptions)
