#pragma once
// The Create wizard: builds the Salebox, the product record's fields, page
// by page. Its pages stay hidden until a kind of content is chosen or a
// Salebox from the page is opened for editing.
#include <QImage>
#include <QObject>
#include <memory>
#include <string>

#include "seller/authoring/create_fields.h"
#include "seller/shell/ui/wizard_table.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QWidget;

namespace tendrel {

class KeyedPicture;
class TTendrelEdit;

inline constexpr char kCancelCreateQuestion[] =
    "Are you sure you want to clear this information and start again ?";

// The pages, in order.
enum CreatePage { kFilePage, kLayoutPage, kNamePage, kPreviewPage, kCreatePageCount };

class CreateWizard : public QObject, public Wizard {
  Q_OBJECT

 public:
  explicit CreateWizard(const WizardSite& site);
  ~CreateWizard() override;
  static std::unique_ptr<Wizard> Make(const WizardSite& site) { return std::make_unique<CreateWizard>(site); }

  // Loads the record into the pages, turns to the file page and sets it up.
  void Enter() override;
  // A Salebox from the page is being edited: its kind stays as it is.
  void BeginEdit() override;
  // Clears the product record and the pages; Publish and Output have nothing
  // to work on until a new Salebox is made, and nothing is left unplaced.
  void Reset() override;
  // Writes the pages into the product record.
  void Commit() override;

  // Cancel's question; on Yes resets the wizard and hides its pages. True
  // when the user said Yes.
  bool Cancel();
  // A kind button (tag 0 text, 1 image, 2 HTML).
  void ChooseKind(int tag);
  void Browse();
  void BrowsePreview();
  void CreatePreview();
  void Next();
  void Back();

  // Shows the file (an image, or the text of a text or HTML file); the
  // fallbacks of a path that does not exist are the file and name fields.
  void ShowFile(const std::string& path);
  // What the pages show now.
  CreateFields Fields() const;
  int CurrentPage() const;
  ContentKind Kind() const { return kind_; }
  // The image shown for an image product; null when there is none.
  const QImage& ShownImage() const { return shownImage_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildRoom(const WizardSite& site);
  void ApplyKind(ContentKind kind);
  void ShowImage(const std::string& path, const QImage& image);
  void NeutralLayout();
  void LoadRecord();
  void SetFields(const CreateFields& f);
  void SetUpPage();
  void ShowPages(bool shown);
  void Focus(CreateField field);
  bool CheckPage(int page);
  void Finish();

  WizardFrame& frame_;
  ContentKind kind_ = ContentKind::None;
  bool loaded_ = false;  // the pages have been filled from the record
  std::string productId_;
  QImage shownImage_;

  QWidget* kindColumn_ = nullptr;
  QPushButton* btnSaleboxText_ = nullptr;
  QPushButton* btnSaleboxImage_ = nullptr;
  QPushButton* btnSaleboxHTML_ = nullptr;
  QWidget* pnlChooseKind_ = nullptr;
  QStackedWidget* pgEditApplet_ = nullptr;
  QWidget* pages_[kCreatePageCount] = {};
  QWidget* pnlEditApplet_ = nullptr;
  QPushButton* btnSaleboxBack_ = nullptr;
  QPushButton* btnSaleboxNext_ = nullptr;
  QPushButton* btnSaleboxCancel_ = nullptr;
  QPushButton* btnSaleboxHelp_ = nullptr;
  KeyedPicture* imgEditApplet_ = nullptr;
  QLabel* lblChooseFileType_ = nullptr;
  QPushButton* btnBrowse_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
  QPlainTextEdit* memText_ = nullptr;
  QScrollArea* scrImage_ = nullptr;
  QLabel* ilPreview_ = nullptr;
  QLabel* lblHTMLWarning_ = nullptr;
  TTendrelEdit* txtWidth_ = nullptr;
  TTendrelEdit* txtHeight_ = nullptr;
  QCheckBox* chkFrame_ = nullptr;
  QLineEdit* txtName_ = nullptr;
  QPlainTextEdit* txtDescription_ = nullptr;
  TTendrelEdit* txtCost_ = nullptr;
  QLineEdit* txtPreviewURL_ = nullptr;
  QPushButton* btnBrowsePreview_ = nullptr;
  QPushButton* btnCreate_ = nullptr;
  QLabel* lblPreviewHeading_ = nullptr;
};

}  // namespace tendrel
