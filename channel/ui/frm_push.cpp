#include "channel/ui/frm_push.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>

#include "channel/generate_channels.h"
#include "channel/log.h"
#include "common/controls/tendrel_combo.h"
#include "common/controls/tendrel_edit.h"
#include "common/files.h"
#include "common/paths.h"
#include "host/host_calls.h"
#include "host/host_editor.h"
#include "host/plugin_message.h"
#include "platform/dialogs.h"
#include "platform/qt/centre.h"
#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"

namespace tendrel::channel {

namespace {

// The form's measures: a fixed dialog of 413 by 289 whose page control
// fills the area above a footer 40 high. The wizard pictures stand at the
// left of their pages with the texts in the column beside them; the
// property pages have their header picture at the top left and their fields
// across the whole width.
constexpr int kClientWidth = 413;
constexpr int kClientHeight = 289;
constexpr int kFooterHeight = 40;
constexpr int kPageHeight = kClientHeight - kFooterHeight;
constexpr int kLeft = 136;
constexpr int kColumn = kClientWidth - kLeft - 8;
constexpr int kWide = kClientWidth - 16;
constexpr int kBrowse = 24;

constexpr QRect Col(int top, int height) { return QRect(kLeft, top, kColumn, height); }
constexpr QRect Row(int top, int height) { return QRect(8, top, kWide, height); }

const char kRegPath[] = "\\Software\\Tendrel\\Marquill\\Push";
const char kChannelFilter[] = "Channel Files(*.CDF)|*.CDF";
// The host's help file and the wizard's topic in it, as an HTML page and
// its anchor.
const char kHelpFile[] = "help/marquill.htm";
const char kHelpTopic[] = "354";

const PageControl kIntroRows[] = {
    {Ctl::Text, "",
     "Push viewers need a browser that receives continually updated information: PointCast, Netscape "
     "Netcaster and Internet Explorer 4 are such viewers.",
     Col(12, 60)},
    {Ctl::Text, "",
     "They use channels to bring that information to you. This wizard creates and configures the \"add "
     "channel\" buttons for all three of them.",
     Col(84, 60)},
    {Ctl::Text, "", "The content, and whether it is dynamic, is up to you.", Col(156, 32)},
};

const PageControl kMainRows[] = {
    {Ctl::Text, "",
     "Select the Channel Viewer that you would like to define an \"Add  Channel\" button for.", Col(12, 46)},
    {Ctl::Text, "", "Note : All fields have been filled in with default values for you to edit. ", Col(188, 46)},
};

// A property page's header picture and its heading.
std::vector<PageControl> HeaderRows(const QString& picture, const QString& heading) {
  return {{Ctl::Picture, picture, "", QRect(8, 6, 64, 52)},
          {Ctl::Heading, "", heading, QRect(84, 22, kClientWidth - 92, 20)}};
}

const PageControl kCommonRows[] = {
    {Ctl::Caption, "", "The Title of the Webpage to be broadcast on your channel :", Row(64, 16)},
    {Ctl::Edit, "editCommonTitle", "", Row(81, 21)},
    {Ctl::Caption, "", "The URL of the Webpage to be broadcast on your channel : ", Row(114, 16)},
    {Ctl::Caption, "", "The Description of the Webpage to be broadcast on your channel :", Row(164, 16)},
    {Ctl::Edit, "editDescription", "", Row(181, 21)},
};
constexpr QRect kCommonURL = Row(131, 22);

const PageControl kPointCastRows[] = {
    {Ctl::Text, "", "The Filename of the PointCast Channel File  (.CDF) to store your settings :", Row(58, 28)},
    {Ctl::Edit, "editPCFile", "", QRect(8, 86, kWide - kBrowse - 2, 21)},
    {Ctl::Text, "",
     "The location where you will upload the PointCast Channel File (.CDF) on your Web Server, once this Wizard "
     "has created the PointCast Channel file. ",
     Row(112, 42)},
    {Ctl::Caption, "", "(Example : http://www.yourserver.com/channels/pcchannel.cdf)", Row(154, 16)},
    {Ctl::Caption, "", "Have the Channel Update  Every : ", QRect(8, 209, 200, 16)},
    {Ctl::Caption, "", "Hour(s)", QRect(258, 209, 80, 16)},
};
constexpr QRect kPCSelf = Row(171, 22);
constexpr QRect kPCSchedule(208, 206, 44, 21);

const PageControl kIERows[] = {
    {Ctl::Text, "",
     "The Filename of the Internet Explorer Channel File (.CDF) to store your channel settings :", Row(60, 28)},
    {Ctl::Edit, "editIEFile", "", QRect(8, 89, kWide - kBrowse - 2, 21)},
    {Ctl::Text, "",
     "The HTTP Location of the Icon (.ico) File to appear in the favorites menu for this channel :", Row(117, 28)},
    {Ctl::Text, "",
     "The HTTP Location of the Graphic (.gif, .jpg) File to appear on the channel button within Internet Explorer :",
     Row(174, 28)},
};
constexpr QRect kIEIcon = Row(146, 22);
constexpr QRect kIEPicture = Row(203, 22);

const PageControl kNetscapeRows[] = {
    {Ctl::Caption, "", "Have the Channel Update every:", Row(66, 16)},
    {Ctl::Combo, "cmbNetscapeUpdate", "", QRect(8, 83, 150, 22)},
    {Ctl::Text, "", "The HTTP Location of the Icon (.ico) File to appear for this channel :", Row(116, 16)},
    {Ctl::Caption, "", "Download to Cache:", QRect(8, 172, 120, 16)},
    {Ctl::Caption, "", "level(s) deep in site.", QRect(184, 172, 200, 16)},
    {Ctl::Caption, "", "Display as:", QRect(8, 206, 120, 16)},
    {Ctl::Combo, "cmbNetscapeDisplay", "", QRect(130, 203, 100, 22)},
};
constexpr QRect kNetscapePicture = Row(133, 22);
constexpr QRect kNetscapeDownload(130, 169, 44, 21);

const PageControl kFinishRows[] = {
    {Ctl::Text, "lblFinish1",
     "When you click the Finish Button, the Channel HTML code will be pasted into the current document in "
     "Marquill Professional.",
     Col(8, 44)},
    {Ctl::Text, "lblFinish2",
     "The following channel file(s) will also be created, describing your channel. Before previewing, these "
     "Channel Files must be uploaded, along with the current Marquill Professional HTML document.",
     Col(52, 70)},
    {Ctl::Text, "lblJava1",
     "In order to add  Netscape Netcaster channels, Javascript will be inserted within the HEAD tag of your "
     "current Marquill Professional document.  ",
     Col(52, 70)},
    {Ctl::Caption, "lblIEFile", "Current Location of the Internet Explorer Channel File : ",
     QRect(kLeft, 124, kColumn + 6, 16)},
    {Ctl::Edit, "editFinishIE", "", Col(140, 21), "", kCtlReadOnly},
    {Ctl::Caption, "lblPCFile", "Current Location of the PointCast Channel File : ",
     QRect(kLeft, 174, kColumn + 6, 16)},
    {Ctl::Edit, "editFinishPC", "", Col(190, 21), "", kCtlReadOnly},
    {Ctl::Text, "lblNetscapeFile", "Note : Netscape Netcaster does not require a Channel file. ", Col(218, 28)},
};

const PageControl kFooterRows[] = {
    {Ctl::Rule, "", "", QRect(8, 0, kClientWidth - 16, 2)},
    {Ctl::Button, "btnHelp", "&Help", QRect(8, 9, 75, 25)},
    {Ctl::Button, "btnBack", "<< &Back", QRect(168, 9, 75, 25)},
    {Ctl::Button, "btnNext", "&Next >>", QRect(247, 9, 75, 25)},
    {Ctl::Button, "btnCancel", "&Cancel", QRect(330, 9, 75, 25)},
};

}  // namespace

// ---- pictures ----

std::string WizardBitmapName(int screenDepth) { return BitmapForDepth(screenDepth, "wizardGrey", "wizardColor"); }

std::string HelpPage(const std::string& appPath) {
  if (appPath.empty()) return {};
  const std::string file = JoinPath(appPath, kHelpFile);
  if (!FileExists(file)) return {};
  QUrl url = QUrl::fromLocalFile(Q(file));
  url.setFragment(QString::fromLatin1(kHelpTopic));
  return S(url.toString());
}

PushPicture::PushPicture(QWidget* parent) : KeyedPicture(parent) {}

void PushPicture::paintEvent(QPaintEvent* event) {
  if (onPaint) onPaint(this);
  KeyedPicture::paintEvent(event);
}

void PushPicture::mouseReleaseEvent(QMouseEvent* event) {
  KeyedPicture::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

namespace {
int DepthOf(const QWidget* w) {
  const QScreen* s = w->screen();
  return s ? s->depth() : 24;
}
}  // namespace

// ---- what generation needs of the window ----

class TfrmPush::View : public PushView {
 public:
  explicit View(TfrmPush* form) : form_(form) {}
  ~View() override { SetBusy(false); }

  void SetBusy(bool busy) override {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  }
  void Minimise() override {
    state_ = form_->windowState();
    form_->showMinimized();
    // Let the window system see it go before the host's save dialog blocks us.
    QCoreApplication::processEvents();
  }
  void Restore() override {
    form_->setWindowState(state_ & ~Qt::WindowMinimized);
    form_->show();
    form_->raise();
    form_->activateWindow();
  }
  void ShowFailedCheck(PushPage page, PushField field) override {
    form_->walk_.FailedCheck(page);
    form_->ShowWalk();
    if (QWidget* w = form_->FieldWidget(field)) w->setFocus(Qt::OtherFocusReason);
  }

 private:
  TfrmPush* form_;
  bool busy_ = false;
  Qt::WindowStates state_;
};

// ---- TfrmPush ----

TfrmPush::TfrmPush(PennantServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)),
      view_(std::make_unique<View>(this)) {
  setObjectName(QStringLiteral("frmPush"));
  setWindowTitle(QStringLiteral("Pennant v1.01"));
  setFont(PageFont());
  setFixedSize(kClientWidth, kClientHeight);
  BuildForm();
  // The histories are read once the form is built, as a form loads its
  // controls; the defaults set at start then replace the texts shown.
  for (TTendrelCombo* c : {cmbCommonURL_, cmbPCSelf_, cmbIEIcon_, cmbIEPicture_, cmbNetscapePicture_}) c->Loaded();
  CentreOnScreen(this);
}

TfrmPush::~TfrmPush() = default;

QWidget* TfrmPush::AddPage(const QString& name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  pageMain_->addWidget(page);
  return page;
}

PushPicture* TfrmPush::AddWizardPicture(QWidget* page, const QString& name) {
  auto* p = new PushPicture(page);
  p->setObjectName(name);
  p->move(8, 8);
  p->SetBitmapResource(WizardBitmapName(DepthOf(this)));
  p->onPaint = [](PushPicture* box) { box->SetBitmapResource(WizardBitmapName(DepthOf(box))); };
  return p;
}

void TfrmPush::AddToggle(QWidget* page, int viewer, int top, const QString& panel, const QString& tick,
                         const QString& cross, const QString& hint, const QString& caption) {
  auto* frame = new QFrame(page);
  frame->setObjectName(panel);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(1);
  frame->setGeometry(kLeft + 16, top, 20, 20);
  frame->setToolTip(hint);
  auto picture = [frame](const QString& name, const char* bitmap) {
    auto* p = new PushPicture(frame);
    p->setObjectName(name);
    p->move(2, 2);
    p->SetBitmapResource(bitmap);
    p->onPaint = [bitmap](PushPicture* box) { box->SetBitmapResource(bitmap); };
    p->setCursor(Qt::PointingHandCursor);
    return p;
  };
  const auto i = static_cast<size_t>(viewer);
  ticks_[i] = picture(tick, "Tick");
  crosses_[i] = picture(cross, "Cross");
  crosses_[i]->hide();
  auto* label = new QLabel(caption, page);
  label->setGeometry(kLeft + 46, top + 2, kColumn - 46, 16);
  label->setToolTip(hint);
}

TTendrelCombo* TfrmPush::AddHistory(QWidget* page, const QString& name, const char* regValue, const QRect& where) {
  auto* c = new TTendrelCombo(page);
  c->setObjectName(name);
  c->setGeometry(where);
  c->SetMaxItems(10);
  c->SetMoveSelectedToTop(true);
  c->SetRegPath(kRegPath);
  c->SetRegValue(regValue);
  c->SetRegStore(true);
  return c;
}

void TfrmPush::BuildForm() {
  pageMain_ = new QStackedWidget(this);
  pageMain_->setObjectName(QStringLiteral("pageMain"));
  pageMain_->setGeometry(0, 0, kClientWidth, kPageHeight);
  // The page control's order.
  BuildMain(AddPage(QStringLiteral("tabMain")));
  BuildCommon(AddPage(QStringLiteral("tabCommon")));
  BuildPointCast(AddPage(QStringLiteral("tabPointCast")));
  BuildIE(AddPage(QStringLiteral("tabIE")));
  BuildNetscape(AddPage(QStringLiteral("tabNetscape")));
  BuildIntro(AddPage(QStringLiteral("tabIntro")));
  BuildFinish(AddPage(QStringLiteral("tabFinish")));
  BuildFooter();
  ShowWalk();
}

void TfrmPush::BuildMain(QWidget* page) {
  AddWizardPicture(page, QStringLiteral("imgWizard"));
  BuildPage(page, kMainRows);
  AddToggle(page, 0, 72, QStringLiteral("pnlIE"), QStringLiteral("imgIETick"), QStringLiteral("imgIECross"),
            QStringLiteral("Produce CDF file and code for Internet Explorer"), QStringLiteral("Internet Explorer"));
  AddToggle(page, 1, 108, QStringLiteral("pnlPC"), QStringLiteral("imgPCTick"), QStringLiteral("imgPCCross"),
            QStringLiteral("Produce CDF file and code for  PointCast"), QStringLiteral("PointCast"));
  AddToggle(page, 2, 144, QStringLiteral("pnlNetscape"), QStringLiteral("imgNetscapeTick"),
            QStringLiteral("imgNetscapeCross"), QStringLiteral("Produce code for Netscape NetCaster"),
            QStringLiteral("Netscape Netcaster"));
  connect(ticks_[0], &PushPicture::clicked, this, &TfrmPush::imgIETickClick);
  connect(crosses_[0], &PushPicture::clicked, this, &TfrmPush::imgIECrossClick);
  connect(ticks_[1], &PushPicture::clicked, this, &TfrmPush::imgPCTickClick);
  connect(crosses_[1], &PushPicture::clicked, this, &TfrmPush::imgPCCrossClick);
  connect(ticks_[2], &PushPicture::clicked, this, &TfrmPush::imgNetscapeTickClick);
  connect(crosses_[2], &PushPicture::clicked, this, &TfrmPush::imgNetscapeCrossClick);
}

void TfrmPush::BuildCommon(QWidget* page) {
  PageControls made = BuildPage(page, HeaderRows(QStringLiteral("imgCommonHead"),
                                                 QStringLiteral("Common Channel Properties")));
  heads_[0] = made.must<KeyedPicture>("imgCommonHead");
  made = BuildPage(page, kCommonRows);
  editCommonTitle_ = made.must<QLineEdit>("editCommonTitle");
  editDescription_ = made.must<QLineEdit>("editDescription");
  cmbCommonURL_ = AddHistory(page, QStringLiteral("cmbCommonURL"), "CommonURL", kCommonURL);
  QWidget::setTabOrder(editCommonTitle_, cmbCommonURL_);
  QWidget::setTabOrder(cmbCommonURL_, editDescription_);
  connect(cmbCommonURL_, &TTendrelCombo::Exited, this, &TfrmPush::cmbCommonURLExit);
}

void TfrmPush::BuildPointCast(QWidget* page) {
  PageControls made = BuildPage(page, HeaderRows(QStringLiteral("imgPChead2"),
                                                 QStringLiteral("PointCast Channel Properties")));
  heads_[1] = made.must<KeyedPicture>("imgPChead2");
  made = BuildPage(page, kPointCastRows);
  editPCFile_ = made.must<QLineEdit>("editPCFile");
  auto* browse = new QToolButton(page);
  browse->setObjectName(QStringLiteral("btnPCFile"));
  browse->setIcon(QIcon(QPixmap::fromImage(LoadBitmapResource("OPENFILE"))));
  browse->setGeometry(editPCFile_->geometry().right() + 3, editPCFile_->y(), kBrowse, editPCFile_->height());
  connect(browse, &QToolButton::clicked, this, &TfrmPush::btnPCFileClick);
  cmbPCSelf_ = AddHistory(page, QStringLiteral("cmbPCSelf"), "PCInfo", kPCSelf);
  connect(cmbPCSelf_, &TTendrelCombo::Exited, this, &TfrmPush::cmbPCSelfExit);
  editPCSchedule_ = new TTendrelEdit(page, EditRevision::R105);
  editPCSchedule_->setObjectName(QStringLiteral("editPCSchedule"));
  editPCSchedule_->setGeometry(kPCSchedule);
  editPCSchedule_->SetNumericOnly(true);
  editPCSchedule_->SetMin(1);
  editPCSchedule_->SetMax(744);
  editPCSchedule_->setText(QStringLiteral("1"));
  editPCSchedule_->SetDialogs(services_.dialogs);
  QWidget::setTabOrder(editPCFile_, browse);
  QWidget::setTabOrder(browse, cmbPCSelf_);
  QWidget::setTabOrder(cmbPCSelf_, editPCSchedule_);
}

void TfrmPush::BuildIE(QWidget* page) {
  PageControls made = BuildPage(page, HeaderRows(QStringLiteral("imgIEHead"),
                                                 QStringLiteral("Internet Explorer Channel Properties")));
  heads_[2] = made.must<KeyedPicture>("imgIEHead");
  made = BuildPage(page, kIERows);
  editIEFile_ = made.must<QLineEdit>("editIEFile");
  auto* browse = new QToolButton(page);
  browse->setObjectName(QStringLiteral("btnIEChannel"));
  browse->setIcon(QIcon(QPixmap::fromImage(LoadBitmapResource("OPENFILE"))));
  browse->setGeometry(editIEFile_->geometry().right() + 3, editIEFile_->y(), kBrowse, editIEFile_->height());
  connect(browse, &QToolButton::clicked, this, &TfrmPush::btnIEChannelClick);
  cmbIEIcon_ = AddHistory(page, QStringLiteral("cmbIEIcon"), "IEIcon", kIEIcon);
  cmbIEPicture_ = AddHistory(page, QStringLiteral("cmbIEPicture"), "IEPicture", kIEPicture);
  connect(cmbIEIcon_, &TTendrelCombo::Exited, this, &TfrmPush::cmbIEIconExit);
  connect(cmbIEPicture_, &TTendrelCombo::Exited, this, &TfrmPush::cmbIEPictureExit);
  QWidget::setTabOrder(editIEFile_, browse);
  QWidget::setTabOrder(browse, cmbIEIcon_);
  QWidget::setTabOrder(cmbIEIcon_, cmbIEPicture_);
}

void TfrmPush::BuildNetscape(QWidget* page) {
  PageControls made = BuildPage(page, HeaderRows(QStringLiteral("imgNetscapeHead"),
                                                 QStringLiteral("Netscape NetCaster Channel Properties")));
  heads_[3] = made.must<KeyedPicture>("imgNetscapeHead");
  made = BuildPage(page, kNetscapeRows);
  cmbNetscapeUpdate_ = made.must<QComboBox>("cmbNetscapeUpdate");
  cmbNetscapeUpdate_->addItems({QStringLiteral("30 Minutes"), QStringLiteral("Hour"), QStringLiteral("Day"),
                                QStringLiteral("Week")});
  cmbNetscapeDisplay_ = made.must<QComboBox>("cmbNetscapeDisplay");
  cmbNetscapeDisplay_->addItems({QStringLiteral("webtop"), QStringLiteral("window"), QStringLiteral("full")});
  cmbNetscapePicture_ = AddHistory(page, QStringLiteral("cmbNetscapePicture"), "NetscapePicture", kNetscapePicture);
  connect(cmbNetscapePicture_, &TTendrelCombo::Exited, this, &TfrmPush::cmbNetscapePictureExit);
  editNetscapeDownload_ = new TTendrelEdit(page, EditRevision::R105);
  editNetscapeDownload_->setObjectName(QStringLiteral("editNetscapeDownload"));
  editNetscapeDownload_->setGeometry(kNetscapeDownload);
  editNetscapeDownload_->SetNumericOnly(true);
  editNetscapeDownload_->SetMin(1);
  editNetscapeDownload_->SetMax(99);
  editNetscapeDownload_->setText(QStringLiteral("1"));
  editNetscapeDownload_->SetDialogs(services_.dialogs);
  QWidget::setTabOrder(cmbNetscapeUpdate_, cmbNetscapePicture_);
  QWidget::setTabOrder(cmbNetscapePicture_, editNetscapeDownload_);
  QWidget::setTabOrder(editNetscapeDownload_, cmbNetscapeDisplay_);
}

void TfrmPush::BuildIntro(QWidget* page) {
  AddWizardPicture(page, QStringLiteral("imgWizIntro"));
  BuildPage(page, kIntroRows);
}

void TfrmPush::BuildFinish(QWidget* page) {
  AddWizardPicture(page, QStringLiteral("imgWizFinish"));
  PageControls made = BuildPage(page, kFinishRows);
  lblFinish2_ = made.must<QLabel>("lblFinish2");
  lblJava1_ = made.must<QLabel>("lblJava1");
  lblJava1_->hide();
  lblIEFile_ = made.must<QLabel>("lblIEFile");
  editFinishIE_ = made.must<QLineEdit>("editFinishIE");
  lblPCFile_ = made.must<QLabel>("lblPCFile");
  editFinishPC_ = made.must<QLineEdit>("editFinishPC");
  // The two captions over the summary's file fields are one line each in
  // the column beside the picture (reaching into its right margin): the page
  // font's condensed cut fits them.
  for (QLabel* l : {lblIEFile_, lblPCFile_}) {
    QFont f = l->font();
    f.setStretch(QFont::SemiCondensed);
    l->setFont(f);
  }
  lblNetscapeFile_ = made.must<QLabel>("lblNetscapeFile");
}

void TfrmPush::BuildFooter() {
  auto* footer = new QWidget(this);
  footer->setObjectName(QStringLiteral("pnlFooter"));
  footer->setGeometry(0, kPageHeight, kClientWidth, kFooterHeight);
  PageControls made = BuildPage(footer, kFooterRows);
  btnHelp_ = made.must<QPushButton>("btnHelp");
  btnBack_ = made.must<QPushButton>("btnBack");
  btnNext_ = made.must<QPushButton>("btnNext");
  btnCancel_ = made.must<QPushButton>("btnCancel");
  btnNext_->setDefault(true);
  connect(btnHelp_, &QPushButton::clicked, this, &TfrmPush::btnHelpClick);
  connect(btnBack_, &QPushButton::clicked, this, &TfrmPush::btnBackClick);
  connect(btnNext_, &QPushButton::clicked, this, &TfrmPush::btnNextClick);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmPush::btnCancelClick);
}

bool TfrmPush::FormCreate() {
  UserDialogs& dialogs = *services_.dialogs;
  if (!services_.hostRunning || !services_.hostRunning()) {
    dialogs.Message("This program can only be run from within Marquill. Please start Marquill and try again.",
                    "Error", MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  // Without the automation object there is nothing to work on: end quietly.
  try {
    if (services_.createHost) host_ = services_.createHost();
  } catch (const std::exception& e) {
    qCWarning(lcChannel) << "Marquill's automation object could not be made:" << e.what();
  }
  if (!host_) return false;
  if (services_.listenForHost && !listener_) {
    listener_ = new PlugInMessageListener(this);
    connect(listener_, &PlugInMessageListener::closeRequested, this, &QWidget::close);
  }
  SetDefaults();
  // The page headers: Common, PointCast, Internet Explorer, Netscape.
  const std::array<const char*, 4> heads = {"CommonUP", "PCUP", "IEUP", "NetscapeUp"};
  for (size_t i = 0; i < heads.size(); ++i) heads_[i]->SetBitmapResource(heads[i]);
  walk_.JumpTo(PushPage::Intro);
  ShowWalk();
  return true;
}

void TfrmPush::SetDefaults() {
  cmbNetscapeUpdate_->setCurrentIndex(2);
  cmbNetscapeDisplay_->setCurrentIndex(0);
  const PennantConfig& config = services_.config;
  cmbIEIcon_->setEditText(Q(config.DefaultIcon()));
  cmbNetscapePicture_->setEditText(Q(config.DefaultIcon()));
  cmbIEPicture_->setEditText(Q(config.DefaultPicture()));
  try {
    const std::string folder = PathToFileURL(HostCalls(*host_).GetAppPath());
    editPCFile_->setText(Q(JoinPath(folder, "/html files/pcchannel.cdf")));
    editIEFile_->setText(Q(JoinPath(folder, "/html files/iechannel.cdf")));
    // Long addresses show from their start, as a field does before it is entered.
    editPCFile_->setCursorPosition(0);
    editIEFile_->setCursorPosition(0);
  } catch (const std::exception& e) {
    qCWarning(lcChannel) << "the host's folder is not known; the channel files have no default:" << e.what();
  }
  cmbPCSelf_->setEditText(QStringLiteral("http://"));
  editCommonTitle_->setText(QStringLiteral("Tendrel Software"));
  cmbCommonURL_->setEditText(Q(config.HomePage()));
  editDescription_->setText(QStringLiteral("The makers of the Marquill Professional Web Editor"));
}

channel::Viewers TfrmPush::Ticked() const {
  channel::Viewers v;
  v.ie = !ticks_[0]->isHidden();
  v.pointCast = !ticks_[1]->isHidden();
  v.netcaster = !ticks_[2]->isHidden();
  return v;
}

ChannelFields TfrmPush::Fields() const {
  const channel::Viewers v = Ticked();
  ChannelFields f;
  f.ie = v.ie;
  f.pointCast = v.pointCast;
  f.netcaster = v.netcaster;
  f.title = S(editCommonTitle_->text());
  f.url = S(cmbCommonURL_->currentText());
  f.description = S(editDescription_->text());
  f.ieFile = S(editIEFile_->text());
  f.ieIcon = S(cmbIEIcon_->currentText());
  f.iePicture = S(cmbIEPicture_->currentText());
  f.pcFile = S(editPCFile_->text());
  f.pcSelf = S(cmbPCSelf_->currentText());
  f.pcHours = S(editPCSchedule_->text());
  f.netscapeUpdate = cmbNetscapeUpdate_->currentIndex();
  f.netscapeDepth = S(editNetscapeDownload_->text());
  f.netscapeDisplay = S(cmbNetscapeDisplay_->currentText());
  f.netscapePicture = S(cmbNetscapePicture_->currentText());
  return f;
}

QWidget* TfrmPush::FieldWidget(PushField field) const {
  switch (field) {
    case PushField::CommonURL: return cmbCommonURL_;
    case PushField::IEFile: return editIEFile_;
    case PushField::IEIcon: return cmbIEIcon_;
    case PushField::IEPicture: return cmbIEPicture_;
    case PushField::PCFile: return editPCFile_;
    case PushField::PCSelf: return cmbPCSelf_;
  }
  return nullptr;
}

void TfrmPush::ShowWalk() {
  pageMain_->setCurrentIndex(static_cast<int>(walk_.page()));
  btnBack_->setEnabled(walk_.backEnabled());
  btnNext_->setText(Q(walk_.nextCaption()));
}

void TfrmPush::OpenPage(PushPage page) {
  if (page == PushPage::Finish) LoadFinalPage();
  walk_.JumpTo(page);
  ShowWalk();
}

void TfrmPush::btnNextClick() {
  switch (walk_.Next(Ticked())) {
    case PushWalk::NextResult::Stayed: return;
    case PushWalk::NextResult::Summary: LoadFinalPage(); break;
    case PushWalk::NextResult::Moved: break;
    case PushWalk::NextResult::Generate:
      if (GenerateChannels()) close();
      return;
  }
  ShowWalk();
}

void TfrmPush::btnBackClick() {
  if (walk_.Back(Ticked())) ShowWalk();
}

void TfrmPush::btnCancelClick() { close(); }

bool TfrmPush::GenerateChannels() {
  HostCalls calls(*host_);
  return channel::GenerateChannels(Fields(), calls, *services_.dialogs, *view_, services_.config);
}

void TfrmPush::LoadFinalPage() {
  const SummaryLayout s = channel::LoadFinalPage(Ticked());
  lblJava1_->setVisible(s.java1Shown);
  lblFinish2_->setVisible(s.finish2Shown);
  lblIEFile_->setVisible(s.ieShown);
  editFinishIE_->setVisible(s.ieShown);
  if (s.ieShown) {
    lblIEFile_->move(lblIEFile_->x(), s.ieLabelTop);
    editFinishIE_->move(editFinishIE_->x(), s.ieEditTop);
    editFinishIE_->setText(Q(FileURLToPath(S(editIEFile_->text()))));
    editFinishIE_->setCursorPosition(0);
  }
  lblPCFile_->setVisible(s.pcShown);
  editFinishPC_->setVisible(s.pcShown);
  if (s.pcShown) {
    lblPCFile_->move(lblPCFile_->x(), s.pcLabelTop);
    editFinishPC_->move(editFinishPC_->x(), s.pcEditTop);
    editFinishPC_->setText(Q(FileURLToPath(S(editPCFile_->text()))));
    editFinishPC_->setCursorPosition(0);
  }
  lblNetscapeFile_->setVisible(s.netscapeFileShown);
}

// ---- viewer toggles: a click on the picture that shows swaps it ----

void TfrmPush::Toggle(int viewer, bool tick) {
  const auto i = static_cast<size_t>(viewer);
  PushPicture* clicked = tick ? ticks_[i] : crosses_[i];
  if (clicked->isHidden()) return;
  ticks_[i]->setVisible(!tick);
  crosses_[i]->setVisible(tick);
}

void TfrmPush::imgIETickClick() { Toggle(0, true); }
void TfrmPush::imgIECrossClick() { Toggle(0, false); }
void TfrmPush::imgPCTickClick() { Toggle(1, true); }
void TfrmPush::imgPCCrossClick() { Toggle(1, false); }
void TfrmPush::imgNetscapeTickClick() { Toggle(2, true); }
void TfrmPush::imgNetscapeCrossClick() { Toggle(2, false); }

// ---- histories ----

void TfrmPush::HistoryExit(TTendrelCombo* combo) {
  std::vector<std::string> items = combo->Items();
  const QString text = combo->currentText();
  if (!AddToHistory(items, S(text))) return;
  combo->insertItem(0, text);
  // Inserting before the current item moves the selection; the text stays.
  combo->setEditText(text);
}

void TfrmPush::cmbCommonURLExit() { HistoryExit(cmbCommonURL_); }
void TfrmPush::cmbPCSelfExit() { HistoryExit(cmbPCSelf_); }
void TfrmPush::cmbIEIconExit() { HistoryExit(cmbIEIcon_); }
void TfrmPush::cmbIEPictureExit() { HistoryExit(cmbIEPicture_); }
void TfrmPush::cmbNetscapePictureExit() { HistoryExit(cmbNetscapePicture_); }

void TfrmPush::FormClose() {
  for (TTendrelCombo* c : {cmbCommonURL_, cmbPCSelf_, cmbIEIcon_, cmbIEPicture_, cmbNetscapePicture_})
    if (!c->SaveToRegistry()) qCWarning(lcChannel) << "the history" << c->objectName() << "could not be saved";
}

// ---- file pickers and help ----

void TfrmPush::PickChannelFile(QLineEdit* edit) {
  FileDialogRequest req;
  req.defaultExt = "cdf";
  req.filter = kChannelFilter;
  req.confirmOverwrite = false;
  try {
    req.initialDir = HostCalls(*host_).GetAppPath();
  } catch (const std::exception& e) {
    qCWarning(lcChannel) << "the host's folder is not known for the file dialog:" << e.what();
  }
  if (std::optional<std::string> path = services_.dialogs->SaveFile(req)) {
    edit->setText(Q(PathToFileURL(*path)));
    edit->setCursorPosition(0);
  }
}

void TfrmPush::btnPCFileClick() { PickChannelFile(editPCFile_); }
void TfrmPush::btnIEChannelClick() { PickChannelFile(editIEFile_); }

void TfrmPush::btnHelpClick() {
  std::string appPath;
  try {
    appPath = HostCalls(*host_).GetAppPath();
  } catch (const std::exception& e) {
    qCWarning(lcChannel) << "the host's folder is not known for help:" << e.what();
    return;
  }
  const std::string page = HelpPage(appPath);
  if (page.empty()) return;
  if (services_.showHelp) services_.showHelp(page);
  else QDesktopServices::openUrl(QUrl(Q(page)));
}

void TfrmPush::closeEvent(QCloseEvent* e) {
  // Every way out keeps the histories: Cancel, the close box, Finish, the
  // host's close message and SIGTERM.
  FormClose();
  e->accept();
  emit closed();
}

}  // namespace tendrel::channel
