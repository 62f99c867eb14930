#include "seller/authoring/ui/create_wizard.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStringDecoder>
#include <vector>

#include "common/controls/tendrel_edit.h"
#include "common/paths.h"
#include "platform/image/image_file.h"
#include "platform/qt/keyed_picture.h"
#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"
#include "seller/authoring/applet.h"
#include "seller/preview/ui/make_preview.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/drawing.h"

namespace tendrel {

namespace {

// The wizard's room beside the side picture: the kind buttons in a column at
// its left, the pages beside them over a row of buttons. Each page has the
// wizard picture at its top left and its controls in the column beside it.
constexpr int kRoomWidth = 398;
constexpr int kKindsWidth = 66;
constexpr int kPagesLeft = kKindsWidth;
constexpr int kPagesWidth = kRoomWidth - kPagesLeft;
constexpr int kPagesHeight = 282;
constexpr int kButtonsTop = kPagesHeight + 3;
constexpr int kLeft = 98;
constexpr int kColumn = kPagesWidth - kLeft - 6;

constexpr QRect Col(int top, int height) { return QRect(kLeft, top, kColumn, height); }
// Below the picture, the page's whole width.
constexpr QRect Wide(int top, int height) { return QRect(4, top, kPagesWidth - 10, height); }

// The file page's two layouts: the label and the browse row move for HTML.
constexpr int kLabelTop = 12;
constexpr int kBrowseTop = 40;
constexpr int kHtmlLabelTop = 4;
constexpr int kHtmlBrowseTop = 51;
constexpr int kBrowseWidth = 72;

// A text file larger than this is not shown: the preview would take long to
// fill and tell the user nothing more.
constexpr qint64 kLargestTextPreview = 4 << 20;

const PageControl kFileRows[] = {
    {Ctl::Text, "lblChooseFileType", kChooseFileHint, Col(kLabelTop, 28)},
    {Ctl::Button, "btnBrowse", "&Browse...", QRect(kLeft, kBrowseTop, kBrowseWidth, 24)},
    {Ctl::Edit, "txtFile", "", QRect(kLeft + kBrowseWidth + 4, kBrowseTop + 1, kColumn - kBrowseWidth - 4, 22)},
    {Ctl::Text, "lblHTMLWarning", kHtmlWarning, Col(80, 44)},
    {Ctl::Memo, "memText", "", Wide(130, 148), {}, kCtlReadOnly},
};

const PageControl kLayoutRows[] = {
    {Ctl::Heading, "", "Size of the Salebox", Col(8, 18)},
    {Ctl::Text, "",
     "How large the Salebox is on your page, in pixels. It must be at least 200 pixels wide and 300 pixels high "
     "to show the Tillon \"Buy\" dialog.",
     Col(30, 58)},
    {Ctl::Caption, "lblWidth", "&Width", QRect(kLeft, 99, 80, 16)},
    {Ctl::Caption, "lblHeight", "&Height", QRect(kLeft, 129, 80, 16)},
    {Ctl::Check, "chkFrame", "&Show inside new window when purchased.", Wide(164, 22)},
};

const PageControl kNameRows[] = {
    {Ctl::Caption, "lblName", "&Name of Product", Col(8, 16)},
    {Ctl::Edit, "txtName", "", Col(25, 22)},
    {Ctl::Caption, "lblDescription", "&Description (100 Chararacters Maximum)", Col(55, 16)},
    {Ctl::Memo, "txtDescription", "", Col(72, 66)},
    {Ctl::Caption, "lblCost", "&Cost (cents)", Col(148, 16)},
};

const PageControl kPreviewRows[] = {
    {Ctl::Text, "lblPreviewHeading", kOtherHeading, Col(4, 100)},
    {Ctl::Caption, "lblPreviewURL", "&Preview Filename", Col(130, 16)},
    {Ctl::Edit, "txtPreviewURL", "", QRect(kLeft, 147, kColumn - kBrowseWidth - 4, 22)},
    {Ctl::Button, "btnBrowsePreview", "B&rowse...", QRect(kLeft + kColumn - kBrowseWidth, 146, kBrowseWidth, 24)},
    {Ctl::Button, "btnCreate", "Create Tillon Preview Image ...", Col(182, 26)},
};

TTendrelEdit* NumberField(QWidget* page, const char* name, const QRect& where, UserDialogs& dialogs) {
  auto* e = new TTendrelEdit(page);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(where);
  e->SetNumericOnly(true);
  e->SetDialogs(&dialogs);
  e->setText(QStringLiteral("0"));
  return e;
}

// The text of a file for the preview: UTF-8 when it is that, else Latin-1.
std::optional<QString> ReadPreviewText(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (f.size() > kLargestTextPreview || !f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) return std::nullopt;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  return text;
}

ImageRead ReadShowingBusy(const std::string& path) {
  BusyCursor();
  ImageRead read = ReadImageFile(path);
  NormalCursor();
  return read;
}

bool FileExists(const std::string& path) { return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile(); }

}  // namespace

CreateWizard::CreateWizard(const WizardSite& site) : frame_(site.Frame()) { site.Place(BuildRoom(site)); }

CreateWizard::~CreateWizard() = default;

QWidget* CreateWizard::BuildRoom(const WizardSite& site) {
  UserDialogs& dialogs = frame_.Context().Dialogs();
  auto* room = new QWidget;
  room->setObjectName(QStringLiteral("pnlCreateWizard"));
  room->setFont(PageFont());

  // The kind buttons, tags 0 to 2.
  kindColumn_ = new QWidget(room);
  kindColumn_->setGeometry(0, 0, kKindsWidth, kPagesHeight);
  const auto kindButton = [this](const char* name, const char* glyph, const char* words, int tag) {
    auto* b = new QPushButton(kindColumn_);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(4, 8 + tag * 64, 58, 58);
    b->setIcon(KeyedPixmap(LoadBitmapResource(glyph)));
    b->setIconSize(QSize(52, 50));
    b->setAccessibleName(QString::fromLatin1(words));
    b->setToolTip(QString::fromLatin1(words));
    b->setProperty("Tag", tag);
    connect(b, &QPushButton::clicked, this, [this, tag] { ChooseKind(tag); });
    return b;
  };
  btnSaleboxText_ = kindButton("btnSaleboxText", "inserttext", "Sell a text file", 0);
  btnSaleboxImage_ = kindButton("btnSaleboxImage", "insertimage", "Sell an image", 1);
  btnSaleboxHTML_ = kindButton("btnSaleboxHTML", "inserthtml", "Sell a web page", 2);

  // Before a kind is chosen: the prompt.
  pnlChooseKind_ = new QWidget(room);
  pnlChooseKind_->setObjectName(QStringLiteral("pnlChooseKind"));
  pnlChooseKind_->setGeometry(kPagesLeft, 0, kPagesWidth, kPagesHeight + 30);
  auto* start = new KeyedPicture(pnlChooseKind_);
  start->setObjectName(QStringLiteral("imgCreateStart"));
  start->SetBitmapResource("createstart");
  start->move((kPagesWidth - start->width()) / 2, 24);
  auto* prompt = new QLabel(QString::fromLatin1(kChooseKindPrompt), pnlChooseKind_);
  prompt->setObjectName(QStringLiteral("lblChooseKind"));
  prompt->setWordWrap(true);
  prompt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  prompt->setGeometry(16, 180, kPagesWidth - 32, 48);

  pgEditApplet_ = new QStackedWidget(room);
  pgEditApplet_->setObjectName(Q(site.InnerName()));
  pgEditApplet_->setGeometry(kPagesLeft, 0, kPagesWidth, kPagesHeight);
  static const char* const kNames[kCreatePageCount] = {"tbFile", "tbLayout", "tbNameDescCost", "tbPreview"};
  const std::span<const PageControl> rows[kCreatePageCount] = {kFileRows, kLayoutRows, kNameRows, kPreviewRows};
  PageControls c;
  for (int i = 0; i < kCreatePageCount; ++i) {
    pages_[i] = new QWidget;
    pages_[i]->setObjectName(QString::fromLatin1(kNames[i]));
    const PageControls made = BuildPage(pages_[i], rows[i]);
    for (const PageControl& r : rows[i])
      if (!r.name.isEmpty()) c.add(r.name, made.find(r.name));
    pgEditApplet_->addWidget(pages_[i]);
  }
  lblChooseFileType_ = c.get<QLabel>("lblChooseFileType");
  btnBrowse_ = c.get<QPushButton>("btnBrowse");
  txtFile_ = c.get<QLineEdit>("txtFile");
  lblHTMLWarning_ = c.get<QLabel>("lblHTMLWarning");
  memText_ = c.get<QPlainTextEdit>("memText");
  memText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scrImage_ = new QScrollArea(pages_[kFilePage]);
  scrImage_->setObjectName(QStringLiteral("scrImage"));
  scrImage_->setGeometry(memText_->geometry());
  scrImage_->setAlignment(Qt::AlignCenter);
  ilPreview_ = new QLabel;
  ilPreview_->setObjectName(QStringLiteral("ilPreview"));
  scrImage_->setWidget(ilPreview_);
  scrImage_->hide();

  txtWidth_ = NumberField(pages_[kLayoutPage], "txtWidth", QRect(kLeft + 84, 96, 80, 22), dialogs);
  txtHeight_ = NumberField(pages_[kLayoutPage], "txtHeight", QRect(kLeft + 84, 126, 80, 22), dialogs);
  c.get<QLabel>("lblWidth")->setBuddy(txtWidth_);
  c.get<QLabel>("lblHeight")->setBuddy(txtHeight_);
  chkFrame_ = c.get<QCheckBox>("chkFrame");

  txtName_ = c.get<QLineEdit>("txtName");
  txtDescription_ = c.get<QPlainTextEdit>("txtDescription");
  txtDescription_->setTabChangesFocus(true);
  // One line of at most 100 characters, however it is typed or pasted.
  connect(txtDescription_, &QPlainTextEdit::textChanged, this, [this] {
    const QString text = txtDescription_->toPlainText();
    QString kept = text;
    kept.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    if (kept.size() > 100) kept.truncate(100);
    if (kept == text) return;
    const QSignalBlocker block(txtDescription_);
    txtDescription_->setPlainText(kept);
    txtDescription_->moveCursor(QTextCursor::End);
  });
  txtCost_ = NumberField(pages_[kNamePage], "txtCost", QRect(kLeft, 165, 100, 22), dialogs);
  txtCost_->installEventFilter(this);
  c.get<QLabel>("lblName")->setBuddy(txtName_);
  c.get<QLabel>("lblDescription")->setBuddy(txtDescription_);
  c.get<QLabel>("lblCost")->setBuddy(txtCost_);

  lblPreviewHeading_ = c.get<QLabel>("lblPreviewHeading");
  txtPreviewURL_ = c.get<QLineEdit>("txtPreviewURL");
  c.get<QLabel>("lblPreviewURL")->setBuddy(txtPreviewURL_);
  btnBrowsePreview_ = c.get<QPushButton>("btnBrowsePreview");
  btnCreate_ = c.get<QPushButton>("btnCreate");

  imgEditApplet_ = new KeyedPicture(pages_[kFilePage]);
  imgEditApplet_->setObjectName(QStringLiteral("imgEditApplet"));
  imgEditApplet_->move(4, 4);

  pnlEditApplet_ = new QWidget(room);
  pnlEditApplet_->setObjectName(QStringLiteral("pnlEditApplet"));
  pnlEditApplet_->setGeometry(kPagesLeft, kButtonsTop, kPagesWidth, 28);
  const auto button = [this](const char* name, const char* text, int left) {
    auto* b = new QPushButton(QString::fromUtf8(text), pnlEditApplet_);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 0, 75, 25);
    return b;
  };
  btnSaleboxHelp_ = button("btnSaleboxHelp", "&Help", 4);
  btnSaleboxHelp_->hide();
  btnSaleboxBack_ = button("btnSaleboxBack", "&<< Back", kPagesWidth - 6 - 3 * 75 - 10);
  btnSaleboxNext_ = button("btnSaleboxNext", "Next >&>", kPagesWidth - 6 - 2 * 75 - 10);
  btnSaleboxCancel_ = button("btnSaleboxCancel", "&Cancel", kPagesWidth - 6 - 75);
  btnSaleboxNext_->setDefault(true);
  btnSaleboxBack_->setEnabled(false);
  room->setMinimumSize(kRoomWidth, kButtonsTop + 25 + 4);

  connect(pgEditApplet_, &QStackedWidget::currentChanged, this, [this] { SetUpPage(); });
  connect(btnBrowse_, &QPushButton::clicked, this, &CreateWizard::Browse);
  connect(btnBrowsePreview_, &QPushButton::clicked, this, &CreateWizard::BrowsePreview);
  connect(btnCreate_, &QPushButton::clicked, this, &CreateWizard::CreatePreview);
  connect(btnSaleboxNext_, &QPushButton::clicked, this, &CreateWizard::Next);
  connect(btnSaleboxBack_, &QPushButton::clicked, this, &CreateWizard::Back);
  connect(btnSaleboxCancel_, &QPushButton::clicked, this, &CreateWizard::Cancel);

  NeutralLayout();
  ShowPages(false);
  return room;
}

void CreateWizard::ShowPages(bool shown) {
  pgEditApplet_->setVisible(shown);
  pnlEditApplet_->setVisible(shown);
  pnlChooseKind_->setVisible(!shown);
}

void CreateWizard::NeutralLayout() {
  lblChooseFileType_->move(kLeft, kLabelTop);
  btnBrowse_->move(kLeft, kBrowseTop);
  txtFile_->move(txtFile_->x(), kBrowseTop + 1);
  lblHTMLWarning_->hide();
  chkFrame_->setEnabled(true);
}

void CreateWizard::ApplyKind(ContentKind kind) {
  NeutralLayout();
  kind_ = kind;
  const std::optional<KindSetup> setup = SetupOf(kind);
  if (!setup) return;
  imgEditApplet_->SetBitmapResource(setup->picture);
  lblChooseFileType_->setText(Q(ChooseFileCaption(*setup)));
  const bool image = kind == ContentKind::Image;
  memText_->setVisible(!image);
  scrImage_->setVisible(image);
  if (kind == ContentKind::Html) {
    chkFrame_->setChecked(true);
    chkFrame_->setEnabled(false);
    lblHTMLWarning_->show();
    lblChooseFileType_->move(kLeft, kHtmlLabelTop);
    btnBrowse_->move(kLeft, kHtmlBrowseTop);
    txtFile_->move(txtFile_->x(), kHtmlBrowseTop + 1);
  }
}

void CreateWizard::SetFields(const CreateFields& f) {
  txtFile_->setText(Q(f.file));
  txtWidth_->setText(Q(f.width));
  txtHeight_->setText(Q(f.height));
  chkFrame_->setChecked(f.useFrame);
  txtName_->setText(Q(f.name));
  txtDescription_->setPlainText(Q(f.description));
  txtCost_->setText(Q(f.cost));
  txtPreviewURL_->setText(Q(f.previewUrl));
  productId_ = f.productId;
}

CreateFields CreateWizard::Fields() const {
  CreateFields f;
  f.file = S(txtFile_->text());
  f.width = S(txtWidth_->text());
  f.height = S(txtHeight_->text());
  f.useFrame = chkFrame_->isChecked();
  f.name = S(txtName_->text());
  f.description = S(txtDescription_->toPlainText());
  f.cost = S(txtCost_->text());
  f.previewUrl = S(txtPreviewURL_->text());
  f.productId = productId_;
  return f;
}

int CreateWizard::CurrentPage() const { return pgEditApplet_->currentIndex(); }

// The record into the pages: the fields, the kind, and the file shown. A
// registered product keeps its file and name.
void CreateWizard::LoadRecord() {
  const TApplet& record = frame_.Context().Applet();
  loaded_ = true;
  SetFields(FieldsFromRecord(record));
  ApplyKind(KindOfMediaType(record.MediaType));
  if (txtFile_->text().isEmpty() && FileExists(record.ProductName)) txtFile_->setText(Q(record.ProductName));
  memText_->clear();
  ilPreview_->clear();
  shownImage_ = QImage();
  ShowFile(S(txtFile_->text()));
  const bool registered = !record.ProductID.empty();
  txtFile_->setEnabled(!registered);
  txtName_->setEnabled(!registered);
  btnBrowse_->setEnabled(!registered);
}

void CreateWizard::Enter() {
  LoadRecord();
  if (CurrentPage() == kFilePage)
    SetUpPage();
  else
    pgEditApplet_->setCurrentIndex(kFilePage);
}

void CreateWizard::BeginEdit() {
  for (QPushButton* b : {btnSaleboxText_, btnSaleboxImage_, btnSaleboxHTML_}) b->setEnabled(false);
  ShowPages(true);
}

void CreateWizard::Reset() {
  BravantContext& ctx = frame_.Context();
  ctx.Applet().Clear();
  LoadRecord();
  for (QPushButton* b : {btnSaleboxText_, btnSaleboxImage_, btnSaleboxHTML_}) b->setEnabled(true);
  frame_.EnableWizard(kPublishWizard, false);
  frame_.EnableWizard(kOutputWizard, false);
  ctx.State().SetSaleboxPlaced(true);
}

void CreateWizard::Commit() {
  // Until the pages have been filled from the record they hold nothing of
  // it: a Salebox opened for editing while another wizard came first keeps
  // its record as read from the page.
  if (!loaded_) return;
  BravantContext& ctx = frame_.Context();
  CreateFields fields = Fields();
  // The product ID is the record's own: a registration (Publish) gives the
  // record its new ID while these pages still show the old one.
  fields.productId = ctx.Applet().ProductID;
  CopyFieldsToRecord(fields, ctx.Settings(), ctx.Applet());
}

bool CreateWizard::Cancel() {
  if (!frame_.Context().Dialogs().ConfirmYesNo(kCancelCreateQuestion)) return false;
  Reset();
  ShowPages(false);
  return true;
}

void CreateWizard::ChooseKind(int tag) {
  const std::optional<KindSetup> setup = KindForTag(tag);
  if (!setup) return;
  if (!txtFile_->text().isEmpty() && !frame_.Context().Dialogs().ConfirmYesNo(kClearQuestion)) return;
  Reset();
  ShowPages(true);
  frame_.Context().Applet().MediaType = setup->mediaType;
  ApplyKind(setup->kind);
  if (CurrentPage() == kFilePage)
    SetUpPage();
  else
    pgEditApplet_->setCurrentIndex(kFilePage);
}

void CreateWizard::Browse() {
  BravantContext& ctx = frame_.Context();
  const std::optional<KindSetup> setup = SetupOf(kind_);
  if (!setup) return;
  FileDialogRequest req;
  req.caption = "Open";
  req.filter = setup->filter;
  req.initialDir = ctx.Settings().ReadText("Directories", setup->folderValue, "");
  req.mustExist = true;
  const std::optional<std::string> chosen = ctx.Dialogs().OpenFile(req);
  if (!chosen || chosen->empty()) return;
  // An image that cannot be read leaves everything as it was.
  ImageRead read;
  if (kind_ == ContentKind::Image) {
    read = ReadShowingBusy(*chosen);
    if (!read.ok()) {
      ctx.Dialogs().Message(UnreadableImageMessage(), kProgramTitle, MsgIcon::None, MsgButtons::Ok);
      return;
    }
  }
  txtFile_->setText(Q(*chosen));
  txtName_->setText(Q(ExtractFileName(*chosen)));
  ctx.Settings().WriteText("Directories", setup->folderValue, ExtractFileDir(*chosen));
  if (kind_ == ContentKind::Image)
    ShowImage(*chosen, read.image);
  else
    ShowFile(*chosen);
  ctx.State().SetSaleboxPlaced(false);
}

void CreateWizard::ShowFile(const std::string& given) {
  std::string path = given;
  if (!FileExists(path)) path = S(txtFile_->text());
  if (!FileExists(path)) path = S(txtName_->text());
  if (!FileExists(path)) return;
  BravantContext& ctx = frame_.Context();
  if (kind_ == ContentKind::Image) {
    const ImageRead read = ReadShowingBusy(path);
    if (!read.ok()) {
      // The fields keep what they had: nothing half-filled from a file that
      // could not be read.
      ctx.Dialogs().Message(UnreadableImageMessage(), kProgramTitle, MsgIcon::None, MsgButtons::Ok);
      return;
    }
    ShowImage(path, read.image);
  } else {
    txtFile_->setText(Q(path));
    const std::optional<QString> text = ReadPreviewText(path);
    if (text) {
      memText_->setPlainText(*text);
    } else {
      ctx.Dialogs().Message(UnreadableTextMessage(path), kProgramTitle, MsgIcon::None, MsgButtons::Ok);
      memText_->clear();
    }
  }
  // An image proposes its own size; a text or page starts at 400 by 400.
  txtWidth_->setText(Q(SizeOrDefault(S(txtWidth_->text()))));
  txtHeight_->setText(Q(SizeOrDefault(S(txtHeight_->text()))));
}

void CreateWizard::ShowImage(const std::string& path, const QImage& image) {
  txtFile_->setText(Q(path));
  shownImage_ = image;
  ilPreview_->setPixmap(QPixmap::fromImage(shownImage_));
  ilPreview_->resize(shownImage_.size());
  frame_.Context().Applet().MediaType = ImageMediaType(path);
  txtHeight_->setText(QString::number(std::max(shownImage_.height(), kMinHeight)));
  txtWidth_->setText(QString::number(std::max(shownImage_.width(), kMinWidth)));
}

void CreateWizard::BrowsePreview() {
  BravantContext& ctx = frame_.Context();
  FileDialogRequest req;
  req.caption = "Open";
  req.filter = kPreviewFilter;
  req.initialDir = ctx.Settings().ReadText("Directories", "Preview Open", "");
  req.mustExist = true;
  const std::optional<std::string> chosen = ctx.Dialogs().OpenFile(req);
  if (!chosen || chosen->empty()) return;
  txtPreviewURL_->setText(Q(*chosen));
  ctx.Settings().WriteText("Directories", "Preview Open", ExtractFileDir(*chosen));
}

void CreateWizard::CreatePreview() {
  BravantContext& ctx = frame_.Context();
  if (shownImage_.isNull()) {
    ctx.Dialogs().Message(kChooseImageFirst, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return;
  }
  const std::string made = MakePreviewFor(S(txtFile_->text()), ctx.Settings(), ctx.Dialogs(), pgEditApplet_->window());
  if (!made.empty()) txtPreviewURL_->setText(Q(made));
}

void CreateWizard::Focus(CreateField field) {
  QWidget* w = nullptr;
  switch (field) {
    case CreateField::File: w = txtFile_; break;
    case CreateField::Width: w = txtWidth_; break;
    case CreateField::Height: w = txtHeight_; break;
    case CreateField::Name: w = txtName_; break;
    case CreateField::Cost: w = txtCost_; break;
    case CreateField::None: break;
  }
  if (w != nullptr && w->isEnabled()) w->setFocus(Qt::OtherFocusReason);
}

bool CreateWizard::CheckPage(int page) {
  CreateFields f = Fields();
  std::optional<PageProblem> problem;
  switch (page) {
    case kFilePage: problem = CheckFilePage(f); break;
    case kLayoutPage:
      problem = CheckLayoutPage(f);
      txtWidth_->setText(Q(f.width));
      txtHeight_->setText(Q(f.height));
      break;
    case kNamePage: problem = CheckNamePage(f); break;
    default: break;
  }
  if (!problem) return true;
  if (CurrentPage() != page) pgEditApplet_->setCurrentIndex(page);
  Focus(problem->field);
  frame_.Context().Dialogs().Message(problem->message, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  Focus(problem->field);
  return false;
}

void CreateWizard::Next() {
  const int page = CurrentPage();
  if (!CheckPage(page)) return;
  if (btnSaleboxNext_->text() == QLatin1String("&Finish"))
    Finish();
  else
    pgEditApplet_->setCurrentIndex(page + 1);
}

void CreateWizard::Back() {
  if (CurrentPage() > 0) pgEditApplet_->setCurrentIndex(CurrentPage() - 1);
}

void CreateWizard::Finish() {
  Commit();
  frame_.EnableWizard(kPublishWizard, true);
  frame_.EnableWizard(kOutputWizard, true);
  frame_.SwitchTo(kPublishWizard);
}

void CreateWizard::SetUpPage() {
  const int page = CurrentPage();
  imgEditApplet_->setParent(pages_[page]);
  imgEditApplet_->move(4, 4);
  imgEditApplet_->show();
  const bool last = page == kPreviewPage;
  btnSaleboxNext_->setText(last ? QStringLiteral("&Finish") : QStringLiteral("Next >&>"));
  if (last) {
    const bool image = kind_ == ContentKind::Image;
    btnCreate_->setEnabled(image);
    lblPreviewHeading_->setText(QString::fromLatin1(image ? kImageHeading : kOtherHeading));
  }
  btnSaleboxBack_->setEnabled(page > 0);
}

bool CreateWizard::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtCost_ && event->type() == QEvent::FocusOut)
    txtCost_->setText(Q(CostAfterExit(S(txtCost_->text()))));
  return QObject::eventFilter(watched, event);
}

}  // namespace tendrel
