#include "rating/ui/frm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <vector>

#include "common/file_error.h"
#include "common/files.h"
#include "host/host_calls.h"
#include "host/host_editor.h"
#include "host/plugin_message.h"
#include "platform/dialogs.h"
#include "platform/qt/centre.h"
#include "platform/qt/minimised.h"
#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/step_runner.h"
#include "rating/form_body.h"
#include "rating/label.h"
#include "rating/log.h"
#include "rating/submission.h"

namespace tendrel {

namespace {

// The form's measures: a fixed dialog of 417 by 293 with a 249-high page
// control over a footer of buttons; each page has its picture at the left and
// its controls in the column beside it.
constexpr int kClientWidth = 417;
constexpr int kClientHeight = 293;
constexpr int kPageHeight = 249;
constexpr int kLeft = 136;
constexpr int kColumn = kClientWidth - kLeft - 8;

// A place in the column beside the picture.
constexpr QRect Col(int top, int height) { return QRect(kLeft, top, kColumn, height); }

// ---- the pages, in page-control order; the category pages come from
// CategoryRows ----

const PageControl kIntroRows[] = {
    {Ctl::Text, "",
     "The SafeSurf Rating Standard is a voluntary rating system designed to protect children on the Internet and "
     "the rights of their parents to decide what their children see, while respecting the freedom of those who "
     "publish.",
     Col(16, 84)},
    {Ctl::Text, "",
     "In the following pages, please select the appropriate rating levels for your site by moving the slider bar "
     "on each page.",
     Col(108, 60)},
};

// lblExamples gets the example addresses for %1 and %2.
const PageControl kUserInfoRows[] = {
    {Ctl::Caption, "", "This rating is for", Col(8, 16)},
    {Ctl::Combo, "cmbSiteType", "", Col(25, 22)},
    {Ctl::Text, "", "Enter the Web Page or Web Site Directoty to be rated", Col(52, 30)},
    {Ctl::Edit, "txtSiteURL", "http://", Col(82, 22)},
    {Ctl::Text, "lblExamples",
     "Site directory entries should end with a slash \"/\", for example %1 ; a single page looks like %2",
     Col(108, 64)},
    {Ctl::Caption, "", "Enter the title of the Web Page or Web Site", Col(176, 16)},
    {Ctl::Edit, "txtSiteTitle", "", Col(193, 22)},
};

const PageControl kAddButtonRows[] = {
    {Ctl::Text, "",
     "You can automatically add the following image to your web page. Just select the \"Add Image\" option below. "
     "The image will be added at the end of your document.",
     Col(8, 72)},
    {Ctl::Image, "imgLogo", ":/file/ssurf.gif", QRect(kLeft + (kColumn - 88) / 2, 86, 88, 31)},
    {Ctl::Text, "", "The image itself will be saved into the same directory as the current document.", Col(128, 44)},
    {Ctl::Check, "chkAddImage", "Add Image", Col(180, 20), "", kCtlChecked},
};

const PageControl kSubmitRows[] = {
    {Ctl::Text, "",
     "SafeSurf requires to you submit to them the information about your site. Please fill in the information "
     "below and press next to submit the information.",
     Col(8, 72)},
    {Ctl::Caption, "", "Enter your name", Col(88, 16)},
    {Ctl::Edit, "txtUserName", "", Col(105, 22)},
    {Ctl::Caption, "", "Enter your email address", Col(138, 16)},
    {Ctl::Edit, "txtUserEmail", "", Col(155, 22)},
};

const PageControl kEmailRows[] = {
    {Ctl::Memo, "txtEmail", "", Col(8, 198)},
    {Ctl::Button, "btnSave", "&Save as File", QRect(kLeft, 214, 100, 25)},
};

// lblMoreInfo gets SafeSurf's home page for %1.
const PageControl kFinishRows[] = {
    {Ctl::Text, "", "Press the finish button to insert the SafeSurf Rating into the current document.", Col(16, 48)},
    {Ctl::Text, "lblMoreInfo",
     "For more information about SafeSurf and its rating system, visit SafeSurf's web page at %1", Col(76, 60)},
};

const PageControl kFooterRows[] = {
    {Ctl::Rule, "", "", QRect(8, 0, kClientWidth - 16, 2)},
    {Ctl::Button, "BackButt", "<< &Back", QRect(160, 10, 75, 25)},
    {Ctl::Button, "NextButt", "&Next >>", QRect(240, 10, 75, 25)},
    {Ctl::Button, "FinishButt", "&Finish", QRect(240, 10, 75, 25)},
    {Ctl::Button, "CancelButt", "&Cancel", QRect(334, 10, 75, 25)},
};

// A category's page: its heading, a "Level " frame with the slider and the
// captions at its ends, and a "Description " frame. The combined category
// has a note under its heading and the button for individual ratings.
std::vector<PageControl> CategoryRows(int category) {
  const Category& c = CategoryAt(category);
  const bool age = category == kAgeCategory;
  const bool combined = category == kCombinedCategory;
  const QString code = Q(std::string(c.code));
  const QString level = QStringLiteral("grp%1Level").arg(code);
  const QString description = QStringLiteral("grp%1Desc").arg(code);
  const int top = combined ? 70 : 32;
  const int levelHeight = 70;
  const int inner = kColumn - 16;
  const int descTop = top + levelHeight + 4;
  const int descBottom = combined ? 212 : kPageHeight - 6;

  std::vector<PageControl> rows;
  rows.push_back({Ctl::Heading, "", Q(std::string(c.heading)), Col(combined ? 6 : 8, 18)});
  if (combined)
    rows.push_back({Ctl::Text, "",
                    "This rating can be used to cover three themes with a single rating. To set individual "
                    "ratings, click the button below.",
                    Col(25, 44)});
  rows.push_back({Ctl::Group, level, "Level ", Col(top, levelHeight)});
  rows.push_back({Ctl::Slider, "trk" + code, "", QRect(8, 18, inner, 26), level});
  rows.push_back({Ctl::Caption, QStringLiteral("lbl%1Low").arg(code), age ? "All Ages" : "0",
                  QRect(8, 46, inner / 2, 16), level});
  rows.push_back({Ctl::Caption, QStringLiteral("lbl%1High").arg(code), age ? "Explicitly for Adults" : "9",
                  QRect(8 + inner / 2, 46, inner / 2, 16), level, kCtlAlignRight});
  rows.push_back({Ctl::Group, description, "Description ", Col(descTop, descBottom - descTop)});
  rows.push_back({Ctl::Text, QStringLiteral("lbl%1Desc").arg(code), "",
                  QRect(8, 18, inner, descBottom - descTop - 22), description});
  if (combined)
    rows.push_back({Ctl::Button, "btnSetIndividual", "Set Individual Ratings",
                    QRect(kLeft + (kColumn - 150) / 2, 217, 150, 25)});
  return rows;
}

// The progress window as the submission sees it.
class SendInfoView : public SubmissionView {
 public:
  explicit SendInfoView(TfrmSendInfo* w) : w_(w) {}
  void SetStatus(const std::string& text) override { w_->SetStatus(Q(text)); }
  void SetBar(int position) override { w_->SetPosition(position); }
  void ShowProgress() override { w_->ShowCentred(); }
  void CloseProgress() override { w_->hide(); }

 private:
  TfrmSendInfo* w_;
};

using SliderSlot = void (TfrmMain::*)();
constexpr std::array<SliderSlot, kCategoryCount> kSliderSlots = {
    &TfrmMain::trk000Change, &TfrmMain::trk001Change, &TfrmMain::trk002Change, &TfrmMain::trk003Change,
    &TfrmMain::trk004Change, &TfrmMain::trk005Change, &TfrmMain::trk006Change, &TfrmMain::trk007Change,
    &TfrmMain::trk008Change, &TfrmMain::trk009Change, &TfrmMain::trk00AChange};

}  // namespace

// ---- WizardPicture ----

QString WizardBitmapName(int screenDepth) {
  return Q(BitmapForDepth(screenDepth, "STDWIZ", "FULLWIZ"));
}

WizardPicture::WizardPicture(QWidget* parent) : KeyedPicture(parent) { resize(120, 232); }

void WizardPicture::paintEvent(QPaintEvent* event) {
  if (onPaint) onPaint(this);
  KeyedPicture::paintEvent(event);
}

void WizardPicture::Draw(const QString& resource) { SetBitmapResource(S(resource)); }

// ---- TfrmSendInfo ----

namespace {
ProgressWindowSetup SendInfoSetup() {
  ProgressWindowSetup s;
  s.objectName = QStringLiteral("frmSendInfo");
  s.title = QStringLiteral("Sending Information");
  s.size = QSize(322, 84);
  s.minimum = 0;
  s.maximum = 5;
  s.labelName = QStringLiteral("lblInfo");
  s.barName = QStringLiteral("SendProgBar");
  return s;
}
}  // namespace

TfrmSendInfo::TfrmSendInfo(QWidget* parent)
    : ProgressWindow(SendInfoSetup(), parent), lblInfo(label()), SendProgBar(bar()) {
  setFont(PageFont());
}

// ---- TfrmMain ----

TfrmMain::TfrmMain(KestrelServices services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Kestrel - v1.01"));
  setFont(PageFont());
  setFixedSize(kClientWidth, kClientHeight);
  BuildForm();
  frmSendInfo_ = new TfrmSendInfo(this);
  link_ = services_.createLink ? services_.createLink() : std::make_unique<CurlRatingLink>(services_.config);
  runner_ = std::make_unique<StepRunner>();
  sendView_ = std::make_unique<SendInfoView>(frmSendInfo_);
  submission_ = std::make_unique<RatingSubmission>(*link_, *runner_, *sendView_, *services_.dialogs,
                                                   services_.config.email, [this] { WriteReport(); });
  CentreOnScreen(this);
}

TfrmMain::~TfrmMain() = default;

QWidget* TfrmMain::AddPage(const QString& name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* picture = new WizardPicture(page);
  picture->setObjectName(QStringLiteral("PaintBox%1").arg(pagecontrol1_->count() + 1));
  picture->move(8, 8);
  picture->onPaint = [this](WizardPicture* box) { PaintBox1Paint(box); };
  pagecontrol1_->addWidget(page);
  return page;
}

void TfrmMain::SetUpSlider(int category, QSlider* trk) {
  const Category& c = CategoryAt(category);
  trk->setRange(c.minLevel, kMaxLevel);
  trk->setValue(c.minLevel);
  trk->setPageStep(1);
  trk->setSingleStep(1);
  trk->setTickPosition(QSlider::TicksBelow);
  trk->setTickInterval(1);
  trk_[static_cast<size_t>(category)] = trk;
  connect(trk, &QSlider::valueChanged, this, kSliderSlots[static_cast<size_t>(category)]);
}

void TfrmMain::SetUpSiteType() {
  // Leaving the field makes the box select (and report as activated) the item
  // whose text was typed; that text was still typed, not chosen. The first
  // slot on editingFinished runs before the box's own, the second after it.
  auto* siteTypeEdit = new QLineEdit(cmbSiteType_);
  connect(siteTypeEdit, &QLineEdit::editingFinished, this,
          [this] { keepTypedSiteType_ = siteType_ == SiteType::Typed; });
  cmbSiteType_->setLineEdit(siteTypeEdit);
  connect(siteTypeEdit, &QLineEdit::editingFinished, this, [this] { keepTypedSiteType_ = false; });
  cmbSiteType_->setInsertPolicy(QComboBox::NoInsert);
  cmbSiteType_->setCompleter(nullptr);
  cmbSiteType_->addItems({QString::fromLatin1(kSiteTypePage), QString::fromLatin1(kSiteTypeDirectory)});
  // An item chosen (again) from the list names the type; typed text names neither.
  auto chosen = [this](int i) {
    if (keepTypedSiteType_) return;
    siteType_ = i == 0 ? SiteType::Page : i == 1 ? SiteType::Directory : SiteType::Typed;
  };
  connect(cmbSiteType_, &QComboBox::activated, this, chosen);
  connect(cmbSiteType_, &QComboBox::currentIndexChanged, this, chosen);
  connect(siteTypeEdit, &QLineEdit::textEdited, this, [this] { siteType_ = SiteType::Typed; });
}

void TfrmMain::BuildForm() {
  pagecontrol1_ = new QStackedWidget(this);
  pagecontrol1_->setObjectName(QStringLiteral("pagecontrol1"));
  pagecontrol1_->setGeometry(0, 0, kClientWidth, kPageHeight);

  BuildPage(AddPage(QStringLiteral("intro")), kIntroRows);

  PageControls made = BuildPage(AddPage(QStringLiteral("tabUserInfo")), kUserInfoRows);
  cmbSiteType_ = made.must<QComboBox>("cmbSiteType");
  SetUpSiteType();
  txtSiteURL_ = made.must<QLineEdit>("txtSiteURL");
  txtSiteTitle_ = made.must<QLineEdit>("txtSiteTitle");
  QLabel* examples = made.must<QLabel>("lblExamples");
  examples->setText(examples->text().arg(Q(services_.config.ExampleDirectory()), Q(services_.config.ExamplePage())));

  for (int page = kPage000; page <= kPage00A; ++page) {
    const int category = PageCategory(page);
    const std::vector<PageControl> rows = CategoryRows(category);
    made = BuildPage(AddPage(Q(std::string(CategoryAt(category).pageName))), rows);
    const QString code = Q(std::string(CategoryAt(category).code));
    SetUpSlider(category, made.get<QSlider>(QStringLiteral("trk") + code));
    lblDesc_[static_cast<size_t>(category)] = made.get<QLabel>(QStringLiteral("lbl%1Desc").arg(code));
    if (category == kCombinedCategory)
      connect(made.must<QPushButton>("btnSetIndividual"), &QPushButton::clicked, this,
              &TfrmMain::btnSetIndividualClick);
  }

  made = BuildPage(AddPage(QStringLiteral("tabAddButton")), kAddButtonRows);
  chkAddImage_ = made.must<QCheckBox>("chkAddImage");

  made = BuildPage(AddPage(QStringLiteral("TabSubmit")), kSubmitRows);
  txtUserName_ = made.must<QLineEdit>("txtUserName");
  txtUserEmail_ = made.must<QLineEdit>("txtUserEmail");

  made = BuildPage(AddPage(QStringLiteral("tabEmail")), kEmailRows);
  txtEmail_ = made.must<QPlainTextEdit>("txtEmail");
  txtEmail_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The report's lines are read (and mailed) whole: no wrapping, a
  // horizontal scroll bar when a line is wider than the memo.
  txtEmail_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtEmail_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  txtEmail_->setPlainText(Q(MemoFirstLine(services_.config.email)) + QLatin1Char('\n'));
  connect(made.must<QPushButton>("btnSave"), &QPushButton::clicked, this, &TfrmMain::btnSaveClick);

  made = BuildPage(AddPage(QStringLiteral("tabFinish")), kFinishRows);
  QLabel* moreInfo = made.must<QLabel>("lblMoreInfo");
  moreInfo->setText(moreInfo->text().arg(Q(services_.config.homePage)));

  auto* footer = new QWidget(this);
  footer->setObjectName(QStringLiteral("pnlFooter"));
  footer->setGeometry(0, kPageHeight, kClientWidth, kClientHeight - kPageHeight);
  made = BuildPage(footer, kFooterRows);
  BackButt_ = made.must<QPushButton>("BackButt");
  NextButt_ = made.must<QPushButton>("NextButt");
  FinishButt_ = made.must<QPushButton>("FinishButt");
  CancelButt_ = made.must<QPushButton>("CancelButt");
  connect(BackButt_, &QPushButton::clicked, this, &TfrmMain::BackButtClick);
  connect(NextButt_, &QPushButton::clicked, this, &TfrmMain::NextButtClick);
  connect(FinishButt_, &QPushButton::clicked, this, &TfrmMain::FinishButtClick);
  connect(CancelButt_, &QPushButton::clicked, this, &TfrmMain::CancelButtClick);
  ShowWalk();
}

bool TfrmMain::FormCreate() {
  if (services_.listenForHost && !listener_) {
    listener_ = new PlugInMessageListener(this);
    connect(listener_, &PlugInMessageListener::closeRequested, this, &QWidget::close);
  }
  walk_ = PageWalk();
  cmbSiteType_->setCurrentIndex(0);
  siteType_ = SiteType::Page;
  for (int c = 0; c < kCategoryCount; ++c) SliderChange(c);
  ShowWalk();

  if (services_.hostRunning && services_.hostRunning()) {
    // Without the host object or a title the wizard still rates; Finish then does nothing.
    try {
      if (services_.createHost) host_ = services_.createHost();
    } catch (const std::exception& e) {
      qCWarning(lcRating) << "Marquill's automation object could not be made:" << e.what();
      return true;
    }
    try {
      if (host_) txtSiteTitle_->setText(Q(HostCalls(*host_).GetHtmlTitle()));
    } catch (const std::exception& e) {
      qCWarning(lcRating) << "the document's title could not be read:" << e.what();
    }
    return true;
  }
  services_.dialogs->Message("This program can only be run from within Marquill. Please start Marquill and try again.",
                             "Error", MsgIcon::Error, MsgButtons::Ok);
  return false;
}

Rating TfrmMain::CurrentRating() const {
  Rating r;
  r.siteType = siteType_;
  r.siteTypeText = cmbSiteType_->currentText().toStdString();
  r.siteURL = txtSiteURL_->text().toStdString();
  r.siteTitle = txtSiteTitle_->text().toStdString();
  r.userName = txtUserName_->text().toStdString();
  r.userEmail = txtUserEmail_->text().toStdString();
  for (int c = 0; c < kCategoryCount; ++c) r.levels[static_cast<size_t>(c)] = trk_[static_cast<size_t>(c)]->value();
  return r;
}

std::string TfrmMain::BuildLabel() const { return tendrel::BuildLabel(CurrentRating(), services_.config.serviceId); }

void TfrmMain::SliderChange(int category) {
  const auto i = static_cast<size_t>(category);
  QString text = Q(LevelDescription(category, trk_[i]->value()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lblDesc_[i]->setText(text);
}

void TfrmMain::PaintBox1Paint(WizardPicture* box) {
  QScreen* s = box->screen();
  box->Draw(WizardBitmapName(s ? s->depth() : 24));
}

bool TfrmMain::stepping() const { return submission_ && submission_->busy(); }

// While a step runs, the wizard's own buttons wait for it, so the steps keep
// their order; the window itself stays live.
void TfrmMain::ShowWalk() {
  const bool idle = !stepping();
  pagecontrol1_->setCurrentIndex(walk_.page());
  BackButt_->setEnabled(idle && walk_.backEnabled());
  NextButt_->setVisible(walk_.nextVisible());
  NextButt_->setEnabled(idle && walk_.nextEnabled());
  FinishButt_->setVisible(walk_.finishVisible());
  FinishButt_->setEnabled(idle);
  CancelButt_->setEnabled(idle);
}

void TfrmMain::OpenPage(int page) {
  walk_.JumpTo(page);
  ShowWalk();
}

void TfrmMain::NextButtClick() {
  walk_.Next([this] { btnSubmitClick(); });
  ShowWalk();
}

void TfrmMain::BackButtClick() {
  walk_.Back();
  ShowWalk();
}

void TfrmMain::CancelButtClick() { close(); }

void TfrmMain::btnSetIndividualClick() {
  walk_.SetIndividual();
  ShowWalk();
}

void TfrmMain::btnSubmitClick() {
  if (walk_.submitted()) return;
  UserDialogs& dialogs = *services_.dialogs;
  const Rating r = CurrentRating();
  if (const std::string warning = CheckSubmitFields(r.userName, r.userEmail); !warning.empty()) {
    dialogs.Warn(warning);
    (r.userName.empty() ? txtUserName_ : txtUserEmail_)->setFocus();
    return;
  }
  const std::string body =
      BuildFormBody(r, services_.config.homePage, [&dialogs] { dialogs.Error("Canonicalize error."); });
  if (!submission_->Send(body, [this](bool sent) { Submitted(sent); })) return;  // one under way already
  frmSendInfo_->SendProgBar->setValue(0);
  ShowWalk();
}

// The submission has ended: on to tabEmail, and past it when the rating went out.
void TfrmMain::Submitted(bool sent) {
  walk_.Submitted(sent);
  ShowWalk();
}

void TfrmMain::WriteReport() {
  for (const std::string& line : BuildReport(CurrentRating())) txtEmail_->appendPlainText(Q(line));
}

void TfrmMain::btnSaveClick() {
  FileDialogRequest req;
  req.filter = "Text Files|*.txt|All Files|*.*";
  req.defaultExt = "txt";
  req.confirmOverwrite = true;
  std::optional<std::string> path = services_.dialogs->SaveFile(req);
  if (!path) return;
  std::vector<std::string> lines;
  for (const QString& line : txtEmail_->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
  try {
    SaveTextFile(*path, JoinLinesCRLF(lines));
  } catch (const FileError& e) {
    services_.dialogs->Error(e.what());
  }
}

void TfrmMain::FinishButtClick() {
  LabelInsertion insertion;
  insertion.label = BuildLabel();
  insertion.addImage = chkAddImage_->isChecked();
  insertion.logoLink = BuildLogoLink(services_.config.homePage);
  insertion.logoFile = [] { return PrepareLogoFile(); };
  insertion.forceSave = [this](HostEditor& h) { RunMinimised(this, [&h] { HostCalls(h).ForceSave(); }); };
  InsertRatingLabel(host_.get(), *services_.dialogs, insertion);
  close();
}

void TfrmMain::closeEvent(QCloseEvent* e) {
  // A step under way is cancelled and waited for here; nothing of it shows
  // once the window has gone.
  submission_->Abandon();
  frmSendInfo_->hide();
  e->accept();
  emit closed();
}

}  // namespace tendrel
