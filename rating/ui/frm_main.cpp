#include "rating/ui/frm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>

#include "common/file_error.h"
#include "common/files.h"
#include "host/host_calls.h"
#include "platform/qt/minimised.h"
#include "host/host_editor.h"
#include "host/plugin_message.h"
#include "platform/dialogs.h"
#include "rating/form_body.h"
#include "rating/label.h"
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

QString Q(const std::string& s) { return QString::fromStdString(s); }

QFont FormFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

QLabel* Text(QWidget* parent, const QString& text, const QRect& where, bool wrap = true) {
  auto* l = new QLabel(text, parent);
  l->setTextFormat(Qt::PlainText);
  l->setWordWrap(wrap);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l->setGeometry(where);
  return l;
}

QLabel* Heading(QWidget* parent, const QString& text, const QRect& where) {
  QLabel* l = Text(parent, text, where, false);
  QFont f = l->font();
  f.setBold(true);
  f.setPointSize(9);
  l->setFont(f);
  return l;
}

void CentreOnScreen(QWidget* w) {
  QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

// The progress window as the submission sees it.
class SendInfoView : public SubmissionView {
 public:
  explicit SendInfoView(TfrmSendInfo* w) : w_(w) {}
  void SetStatus(const std::string& text) override { w_->lblInfo->setText(Q(text)); }
  void SetBar(int position) override { w_->SendProgBar->setValue(position); }
  void ShowProgress() override {
    CentreOnScreen(w_);
    w_->show();
    w_->raise();
  }
  void CloseProgress() override { w_->hide(); }
  void Pump() override { QCoreApplication::processEvents(); }

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
  return screenDepth > 8 ? QStringLiteral("FULLWIZ") : QStringLiteral("STDWIZ");
}

WizardPicture::WizardPicture(QWidget* parent) : QWidget(parent) { resize(120, 232); }

void WizardPicture::paintEvent(QPaintEvent*) {
  if (onPaint) onPaint(this);
  if (drawing_.isEmpty()) return;
  QImage image(QStringLiteral(":/bitmap/") + drawing_);
  if (image.isNull()) return;
  if (size() != image.size()) resize(image.size());
  // The bottom-left pixel's colour is the see-through one.
  image = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb clear = image.pixel(0, image.height() - 1);
  const QRgb back = palette().color(backgroundRole()).rgba();
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (line[x] == clear) line[x] = back;
  }
  QPainter p(this);
  p.drawImage(0, 0, image);
}

void WizardPicture::Draw(const QString& resource) { drawing_ = resource; }

// ---- TfrmSendInfo ----

TfrmSendInfo::TfrmSendInfo(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmSendInfo"));
  setWindowTitle(QStringLiteral("Sending Information"));
  setFont(FormFont());
  setFixedSize(322, 84);
  lblInfo = new QLabel(this);
  lblInfo->setObjectName(QStringLiteral("lblInfo"));
  lblInfo->setAlignment(Qt::AlignCenter);
  lblInfo->setGeometry(8, 14, 306, 20);
  SendProgBar = new QProgressBar(this);
  SendProgBar->setObjectName(QStringLiteral("SendProgBar"));
  SendProgBar->setRange(0, 5);
  SendProgBar->setValue(0);
  SendProgBar->setTextVisible(false);
  SendProgBar->setGeometry(16, 46, 290, 18);
}

// ---- TfrmMain ----

TfrmMain::TfrmMain(KestrelServices services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Kestrel - v1.01"));
  setFont(FormFont());
  setFixedSize(kClientWidth, kClientHeight);
  BuildForm();
  frmSendInfo_ = new TfrmSendInfo(this);
  link_ = services_.createLink ? services_.createLink() : std::make_unique<CurlRatingLink>(services_.config);
  CentreOnScreen(this);
}

TfrmMain::~TfrmMain() = default;

QWidget* TfrmMain::AddPage(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* picture = new WizardPicture(page);
  picture->setObjectName(QStringLiteral("PaintBox%1").arg(pagecontrol1_->count() + 1));
  picture->move(8, 8);
  picture->onPaint = [this](WizardPicture* box) { PaintBox1Paint(box); };
  pagecontrol1_->addWidget(page);
  return page;
}

void TfrmMain::BuildCategoryPage(QWidget* page, int category, int top) {
  const Category& c = CategoryAt(category);
  const bool age = category == kAgeCategory;
  const QString code = Q(std::string(c.code));
  const int levelHeight = 70;

  auto* level = new QGroupBox(QStringLiteral("Level "), page);
  level->setGeometry(kLeft, top, kColumn, levelHeight);
  auto* trk = new QSlider(Qt::Horizontal, level);
  trk->setObjectName(QStringLiteral("trk") + code);
  trk->setRange(c.minLevel, kMaxLevel);
  trk->setValue(c.minLevel);
  trk->setPageStep(1);
  trk->setSingleStep(1);
  trk->setTickPosition(QSlider::TicksBelow);
  trk->setTickInterval(1);
  trk->setGeometry(8, 18, kColumn - 16, 26);
  const QString low = age ? QStringLiteral("All Ages") : QStringLiteral("0");
  const QString high = age ? QStringLiteral("Explicitly for Adults") : QStringLiteral("9");
  QLabel* lowLabel = Text(level, low, QRect(8, 46, (kColumn - 16) / 2, 16), false);
  lowLabel->setObjectName(QStringLiteral("lbl%1Low").arg(code));
  QLabel* highLabel = Text(level, high, QRect(8 + (kColumn - 16) / 2, 46, (kColumn - 16) / 2, 16), false);
  highLabel->setObjectName(QStringLiteral("lbl%1High").arg(code));
  highLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
  trk_[static_cast<size_t>(category)] = trk;
  connect(trk, &QSlider::valueChanged, this, kSliderSlots[static_cast<size_t>(category)]);

  const int descTop = top + levelHeight + 4;
  const int descBottom = category == kCombinedCategory ? 212 : kPageHeight - 6;
  auto* desc = new QGroupBox(QStringLiteral("Description "), page);
  desc->setGeometry(kLeft, descTop, kColumn, descBottom - descTop);
  QLabel* lbl = Text(desc, QString(), QRect(8, 18, kColumn - 16, descBottom - descTop - 22));
  lbl->setObjectName(QStringLiteral("lbl%1Desc").arg(code));
  lblDesc_[static_cast<size_t>(category)] = lbl;
}

void TfrmMain::BuildForm() {
  pagecontrol1_ = new QStackedWidget(this);
  pagecontrol1_->setObjectName(QStringLiteral("pagecontrol1"));
  pagecontrol1_->setGeometry(0, 0, kClientWidth, kPageHeight);

  // 0 intro
  QWidget* p = AddPage("intro");
  Text(p,
       QStringLiteral("The SafeSurf Rating Standard is a voluntary rating system designed to protect "
                      "children on the Internet and the rights of their parents to decide what their "
                      "children see, while respecting the freedom of those who publish."),
       QRect(kLeft, 16, kColumn, 84));
  Text(p,
       QStringLiteral("In the following pages, please select the appropriate rating levels for your site "
                      "by moving the slider bar on each page."),
       QRect(kLeft, 108, kColumn, 60));

  // 1 tabUserInfo
  p = AddPage("tabUserInfo");
  Text(p, QStringLiteral("This rating is for"), QRect(kLeft, 8, kColumn, 16), false);
  cmbSiteType_ = new QComboBox(p);
  cmbSiteType_->setObjectName(QStringLiteral("cmbSiteType"));
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
  cmbSiteType_->setGeometry(kLeft, 25, kColumn, 22);
  // An item chosen (again) from the list names the type; typed text names neither.
  auto chosen = [this](int i) {
    if (keepTypedSiteType_) return;
    siteType_ = i == 0 ? SiteType::Page : i == 1 ? SiteType::Directory : SiteType::Typed;
  };
  connect(cmbSiteType_, &QComboBox::activated, this, chosen);
  connect(cmbSiteType_, &QComboBox::currentIndexChanged, this, chosen);
  connect(siteTypeEdit, &QLineEdit::textEdited, this, [this] { siteType_ = SiteType::Typed; });
  Text(p, QStringLiteral("Enter the Web Page or Web Site Directoty to be rated"), QRect(kLeft, 52, kColumn, 30));
  txtSiteURL_ = new QLineEdit(QStringLiteral("http://"), p);
  txtSiteURL_->setObjectName(QStringLiteral("txtSiteURL"));
  txtSiteURL_->setGeometry(kLeft, 82, kColumn, 22);
  Text(p,
       QStringLiteral("Site directory entries should end with a slash \"/\", for example %1 ; "
                      "a single page looks like %2")
           .arg(Q(services_.config.ExampleDirectory()), Q(services_.config.ExamplePage())),
       QRect(kLeft, 108, kColumn, 64));
  Text(p, QStringLiteral("Enter the title of the Web Page or Web Site"), QRect(kLeft, 176, kColumn, 16), false);
  txtSiteTitle_ = new QLineEdit(p);
  txtSiteTitle_->setObjectName(QStringLiteral("txtSiteTitle"));
  txtSiteTitle_->setGeometry(kLeft, 193, kColumn, 22);

  // 2 .. 12 the categories, in page order
  for (int page = kPage000; page <= kPage00A; ++page) {
    const int category = PageCategory(page);
    const Category& c = CategoryAt(category);
    const std::string name(c.pageName);
    p = AddPage(name.c_str());
    if (category == kCombinedCategory) {
      Heading(p, Q(std::string(c.heading)), QRect(kLeft, 6, kColumn, 18));
      Text(p,
           QStringLiteral("This rating can be used to cover three themes with a single rating. To set "
                          "individual ratings, click the button below."),
           QRect(kLeft, 25, kColumn, 44));
      BuildCategoryPage(p, category, 70);
      auto* btn = new QPushButton(QStringLiteral("Set Individual Ratings"), p);
      btn->setObjectName(QStringLiteral("btnSetIndividual"));
      btn->setGeometry(kLeft + (kColumn - 150) / 2, 217, 150, 25);
      connect(btn, &QPushButton::clicked, this, &TfrmMain::btnSetIndividualClick);
    } else {
      Heading(p, Q(std::string(c.heading)), QRect(kLeft, 8, kColumn, 18));
      BuildCategoryPage(p, category, 32);
    }
  }

  // 13 tabAddButton
  p = AddPage("tabAddButton");
  Text(p,
       QStringLiteral("You can automatically add the following image to your web page. Just select the "
                      "\"Add Image\" option below. The image will be added at the end of your document."),
       QRect(kLeft, 8, kColumn, 72));
  auto* logo = new QLabel(p);
  logo->setObjectName(QStringLiteral("imgLogo"));
  logo->setPixmap(QPixmap(QStringLiteral(":/file/ssurf.gif")));
  logo->setGeometry(kLeft + (kColumn - 88) / 2, 86, 88, 31);
  Text(p, QStringLiteral("The image itself will be saved into the same directory as the current document."),
       QRect(kLeft, 128, kColumn, 44));
  chkAddImage_ = new QCheckBox(QStringLiteral("Add Image"), p);
  chkAddImage_->setObjectName(QStringLiteral("chkAddImage"));
  chkAddImage_->setChecked(true);
  chkAddImage_->setGeometry(kLeft, 180, kColumn, 20);

  // 14 TabSubmit
  p = AddPage("TabSubmit");
  Text(p,
       QStringLiteral("SafeSurf requires to you submit to them the information about your site. Please "
                      "fill in the information below and press next to submit the information."),
       QRect(kLeft, 8, kColumn, 72));
  Text(p, QStringLiteral("Enter your name"), QRect(kLeft, 88, kColumn, 16), false);
  txtUserName_ = new QLineEdit(p);
  txtUserName_->setObjectName(QStringLiteral("txtUserName"));
  txtUserName_->setGeometry(kLeft, 105, kColumn, 22);
  Text(p, QStringLiteral("Enter your email address"), QRect(kLeft, 138, kColumn, 16), false);
  txtUserEmail_ = new QLineEdit(p);
  txtUserEmail_->setObjectName(QStringLiteral("txtUserEmail"));
  txtUserEmail_->setGeometry(kLeft, 155, kColumn, 22);

  // 15 tabEmail
  p = AddPage("tabEmail");
  txtEmail_ = new QPlainTextEdit(p);
  txtEmail_->setObjectName(QStringLiteral("txtEmail"));
  txtEmail_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtEmail_->setGeometry(kLeft, 8, kColumn, 198);
  txtEmail_->setPlainText(Q(MemoFirstLine(services_.config.email)) + QLatin1Char('\n'));
  auto* btnSave = new QPushButton(QStringLiteral("&Save as File"), p);
  btnSave->setObjectName(QStringLiteral("btnSave"));
  btnSave->setGeometry(kLeft, 214, 100, 25);
  connect(btnSave, &QPushButton::clicked, this, &TfrmMain::btnSaveClick);

  // 16 tabFinish
  p = AddPage("tabFinish");
  Text(p, QStringLiteral("Press the finish button to insert the SafeSurf Rating into the current document."),
       QRect(kLeft, 16, kColumn, 48));
  Text(p,
       QStringLiteral("For more information about SafeSurf and its rating system, visit SafeSurf's web "
                      "page at %1")
           .arg(Q(services_.config.homePage)),
       QRect(kLeft, 76, kColumn, 60));

  // The footer
  auto* footer = new QWidget(this);
  footer->setObjectName(QStringLiteral("pnlFooter"));
  footer->setGeometry(0, kPageHeight, kClientWidth, kClientHeight - kPageHeight);
  auto* rule = new QFrame(footer);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  rule->setGeometry(8, 0, kClientWidth - 16, 2);
  auto button = [footer](const char* name, const QString& text, int x) {
    auto* b = new QPushButton(text, footer);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 10, 75, 25);
    return b;
  };
  BackButt_ = button("BackButt", QStringLiteral("<< &Back"), 160);
  NextButt_ = button("NextButt", QStringLiteral("&Next >>"), 240);
  FinishButt_ = button("FinishButt", QStringLiteral("&Finish"), 240);
  CancelButt_ = button("CancelButt", QStringLiteral("&Cancel"), 334);
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
    try {
      if (services_.createHost) host_ = services_.createHost();
      if (host_) txtSiteTitle_->setText(Q(host_->CallText("DOC_GETHTMLTITLE")));
    } catch (const std::exception&) {
      // Without the host object or a title the wizard still rates; Finish then does nothing.
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

void TfrmMain::ShowWalk() {
  pagecontrol1_->setCurrentIndex(walk_.page());
  BackButt_->setEnabled(walk_.backEnabled());
  NextButt_->setVisible(walk_.nextVisible());
  NextButt_->setEnabled(walk_.nextEnabled());
  FinishButt_->setVisible(walk_.finishVisible());
}

void TfrmMain::OpenPage(int page) {
  walk_.JumpTo(page);
  ShowWalk();
}

void TfrmMain::NextButtClick() {
  if (sending_) return;  // the progress window lets clicks through while it repaints
  walk_.Next([this] { btnSubmitClick(); });
  ShowWalk();
}

void TfrmMain::BackButtClick() {
  if (sending_) return;
  walk_.Back();
  ShowWalk();
}

void TfrmMain::CancelButtClick() { close(); }

void TfrmMain::btnSetIndividualClick() {
  walk_.SetIndividual();
  ShowWalk();
}

void TfrmMain::btnSubmitClick() {
  if (sending_ || walk_.submitted()) return;
  UserDialogs& dialogs = *services_.dialogs;
  const Rating r = CurrentRating();
  if (const std::string warning = CheckSubmitFields(r.userName, r.userEmail); !warning.empty()) {
    dialogs.Warn(warning);
    (r.userName.empty() ? txtUserName_ : txtUserEmail_)->setFocus();
    return;
  }
  const std::string body =
      BuildFormBody(r, services_.config.homePage, [&dialogs] { dialogs.Error("Canonicalize error."); });
  SendInfoView view(frmSendInfo_);
  frmSendInfo_->SendProgBar->setValue(0);
  RatingSubmission submission(*link_, view, dialogs, services_.config.email, [this] { WriteReport(); });
  sending_ = true;
  const bool sent = submission.Send(body);
  sending_ = false;
  walk_.MarkSubmitted();
  walk_.ShowNext();
  if (sent) walk_.ShowNext();
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
  frmSendInfo_->hide();
  e->accept();
  emit closed();
}

}  // namespace tendrel
