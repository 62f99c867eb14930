#include "seller/shell/ui/main_form.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "common/files.h"
#include "common/paths.h"
#include "host/document.h"
#include "seller/shell/context.h"
#include "seller/shell/host_probe.h"
#include "seller/shell/startup.h"
#include "seller/shell/ui/drawing.h"
#include "seller/shell/ui/options_form.h"

namespace tendrel {

namespace {

constexpr int kButtonWidth = 95;
constexpr int kButtonHeight = 25;
const char kHelpFile[] = "help/bravant.html";

// The wizards' parts until they are built out: turn the inner page control to
// its first page, which is all their entry steps need of the frame.
class FirstPageEntry : public WizardPage {
 public:
  explicit FirstPageEntry(QStackedWidget* inner) : inner_(inner) {}
  void Enter() override {
    if (inner_ != nullptr && inner_->count() > 0) inner_->setCurrentIndex(0);
  }

 private:
  QStackedWidget* inner_;
};

// Create also opens on a selected Salebox and clears itself on Cancel.
class CreateEntry : public FirstPageEntry {
 public:
  CreateEntry(TMainForm& form, BravantContext& ctx)
      : FirstPageEntry(form.pgEditApplet), form_(form), ctx_(ctx) {}
  void BeginEdit() override { form_.pgEditApplet->show(); }
  void Reset() override {
    ctx_.Applet().Clear();
    form_.btnPublish->setEnabled(false);
    form_.btnOutput->setEnabled(false);
    ctx_.saleboxPlaced = true;
  }

 private:
  TMainForm& form_;
  BravantContext& ctx_;
};

QPushButton* GlyphButton(QWidget* parent, const char* name, const char* bitmap,
                         const char* accessibleName) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromUtf8(name));
  const QPixmap glyph = KeyedPixmap(LoadBitmapResource(bitmap));
  b->setIcon(QIcon(glyph));
  b->setIconSize(glyph.size());
  b->setFixedSize(kButtonWidth, kButtonHeight);
  b->setFocusPolicy(Qt::TabFocus);
  // The glyph carries the words; these serve screen readers and tests.
  b->setAccessibleName(QString::fromUtf8(accessibleName));
  b->setToolTip(QString::fromUtf8(accessibleName));
  return b;
}

QStackedWidget* InnerPageControl(const char* name) {
  auto* pc = new QStackedWidget;
  pc->setObjectName(QString::fromUtf8(name));
  return pc;
}

}  // namespace

TMainForm::TMainForm(BravantContext& ctx, HostProbe& probe, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ctx_(ctx),
      probe_(probe) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Bravant"));

  BuildMenus();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(BuildButtonBar());

  pcMain = new QStackedWidget(central);
  pcMain->setObjectName(QStringLiteral("pcMain"));
  pcMain->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  pgEditApplet = InnerPageControl("pgEditApplet");
  // Until a kind of file is chosen the Create wizard shows no pages.
  pgEditApplet->hide();
  pgUploadWizard = InnerPageControl("pgUploadWizard");
  pnlOutput = new QWidget;
  pnlOutput->setObjectName(QStringLiteral("pnlOutput"));
  pgJoinWizard = InnerPageControl("pgJoinWizard");
  tbSalebox = BuildPage("tbSalebox", pbxSideCreate, "pbxSideCreate", "sidecreate", pgEditApplet);
  tbUpload = BuildPage("tbUpload", pbxSidePublish, "pbxSidePublish", "sidepublish", pgUploadWizard);
  tbOutput = BuildPage("tbOutput", pbxSideOutput, "pbxSideOutput", "sidesend", pnlOutput);
  tbRegister = BuildPage("tbRegister", pbxSideJoin, "pbxSideJoin", "sidejoin", pgJoinWizard);
  for (QWidget* page : {tbSalebox, tbUpload, tbOutput, tbRegister}) pcMain->addWidget(page);
  pcMain->installEventFilter(this);
  column->addWidget(pcMain, 1);
  setCentralWidget(central);

  pbxTillon = new TPaintBox(tbSalebox);
  pbxTillon->setObjectName(QStringLiteral("pbxTillon"));
  PaintLogo("littletillon", "littletillon", *pbxTillon);

  popBrowser = new QMenu(this);
  popBrowser->setObjectName(QStringLiteral("popBrowser"));

  pages_[Index(Wizard::Create)] = std::make_unique<CreateEntry>(*this, ctx_);
  pages_[Index(Wizard::Publish)] = std::make_unique<FirstPageEntry>(pgUploadWizard);
  pages_[Index(Wizard::Output)] = std::make_unique<FirstPageEntry>(nullptr);
  pages_[Index(Wizard::Join)] = std::make_unique<FirstPageEntry>(pgJoinWizard);

  // The menu bar belongs to the window's client area here: menu bar, button
  // bar and pages together make up the fixed 498 by 370.
  setFixedSize(kClientWidth, kWindowHeight);
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildMenus() {
  QMenu* tillon = menuBar()->addMenu(QStringLiteral("&Tillon"));
  tillon->setObjectName(QStringLiteral("mnuTillon"));
  tillon->setToolTipsVisible(true);
  mnuEditProducts = tillon->addAction(QStringLiteral("&Edit Registered Products"));
  mnuEditProducts->setObjectName(QStringLiteral("mnuEditProducts"));
  mnuEditProducts->setEnabled(false);
  mnuEditProducts->setToolTip(QStringLiteral("Not available in this version."));
  mnuOptions = tillon->addAction(QStringLiteral("&Options"));
  mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
  connect(mnuOptions, &QAction::triggered, this, [this] { OpenOptions(); });
  mnuExit = tillon->addAction(QStringLiteral("E&xit"));
  mnuExit->setObjectName(QStringLiteral("mnuExit"));
  mnuExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
  connect(mnuExit, &QAction::triggered, this, [this] { close(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  mnuContents = help->addAction(QStringLiteral("&Contents"));
  mnuContents->setObjectName(QStringLiteral("mnuContents"));
  mnuContents->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mnuContents, &QAction::triggered, this, [this] { ShowHelp(); });
  mnuSearch = help->addAction(QStringLiteral("&Search"));
  mnuSearch->setObjectName(QStringLiteral("mnuSearch"));
  connect(mnuSearch, &QAction::triggered, this, [this] { ShowHelp(); });
  help->addSeparator();
  mnuVendorID = help->addAction(QStringLiteral("&Vendor ID To Clipboard"));
  mnuVendorID->setObjectName(QStringLiteral("mnuVendorID"));
  connect(mnuVendorID, &QAction::triggered, this, [this] { CopyVendorIdToClipboard(); });
  mnuAbout = help->addAction(QStringLiteral("&About..."));
  mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
  connect(mnuAbout, &QAction::triggered, this, [this] { ShowInformation(); });
}

QWidget* TMainForm::BuildButtonBar() {
  auto* bar = new QWidget;
  bar->setObjectName(QStringLiteral("pnlButtons"));
  bar->setFixedHeight(kButtonBarHeight);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(2, 3, 4, 3);
  row->setSpacing(2);
  btnSalebox = GlyphButton(bar, "btnSalebox", "makesalebox", "Create");
  btnPublish = GlyphButton(bar, "btnPublish", "publish", "Publish");
  btnOutput = GlyphButton(bar, "btnOutput", "output", "Output");
  btnRegister = GlyphButton(bar, "btnRegister", "jointillon", "Join");
  btnOutput->setEnabled(false);
  connect(btnSalebox, &QPushButton::clicked, this, [this] { SwitchTo(Wizard::Create); });
  connect(btnPublish, &QPushButton::clicked, this, [this] { SwitchTo(Wizard::Publish); });
  connect(btnOutput, &QPushButton::clicked, this, [this] { SwitchTo(Wizard::Output); });
  connect(btnRegister, &QPushButton::clicked, this, [this] { SwitchTo(Wizard::Join); });
  for (QPushButton* b : {btnSalebox, btnPublish, btnOutput, btnRegister}) row->addWidget(b);
  row->addStretch(1);
  pbxBravantLogo = new TPaintBox(bar);
  pbxBravantLogo->setObjectName(QStringLiteral("pbxBravantLogo"));
  PaintLogo("bravantlogo", "bravantlogo", *pbxBravantLogo);
  row->addWidget(pbxBravantLogo, 0, Qt::AlignVCenter);
  return bar;
}

QWidget* TMainForm::BuildPage(const char* name, TPaintBox*& side, const char* sideName,
                              const char* bitmap, QWidget* inner) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromUtf8(name));
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  side = new TPaintBox(page);
  side->setObjectName(QString::fromUtf8(sideName));
  PaintLogo(bitmap, bitmap, *side);
  row->addWidget(side, 0, Qt::AlignLeft | Qt::AlignTop);
  row->addWidget(inner, 1);
  return page;
}

QWidget* TMainForm::PageWidget(Wizard w) const {
  switch (w) {
    case Wizard::Create: return tbSalebox;
    case Wizard::Publish: return tbUpload;
    case Wizard::Output: return tbOutput;
    case Wizard::Join: return tbRegister;
  }
  return tbSalebox;
}

void TMainForm::SetWizardPage(Wizard wizard, std::unique_ptr<WizardPage> page) {
  if (page) pages_[Index(wizard)] = std::move(page);
}

void TMainForm::SwitchTo(Wizard wizard) {
  if (active_ == wizard) return;
  active_ = wizard;
  pcMain->setCurrentIndex(static_cast<int>(wizard));
  pages_[Index(wizard)]->Enter();
  PlaceTillonLogo();
}

void TMainForm::PlaceTillonLogo() {
  QWidget* page = PageWidget(active_.value_or(Wizard::Create));
  if (pbxTillon->parentWidget() != page) pbxTillon->setParent(page);
  // Bottom left, under the wizard's side picture.
  const int x = (pbxSideCreate->width() - pbxTillon->width()) / 2;
  pbxTillon->move(std::max(0, x), std::max(0, page->height() - pbxTillon->height() - 4));
  pbxTillon->raise();
  pbxTillon->show();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pcMain && event->type() == QEvent::Resize) PlaceTillonLogo();
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::Start() {
  ctx_.hostWindowFound = probe_.HostWindowPresent();
  if (!ctx_.hostWindowFound) {
    ctx_.Dialogs().Error(kHostMissingText, kHostMissingCaption);
    return false;
  }

  try {
    std::unique_ptr<HostEditor> host = probe_.CreateHost();
    if (!host) throw EHostError("no automation object");
    ctx_.AttachHost(std::move(host));
    const std::string help = JoinPath(ctx_.Host()->CallText("GetAppPath"), kHelpFile);
    if (FileExists(help)) helpFile_ = help;
  } catch (const std::exception&) {
    ctx_.Dialogs().Message(kHostConnectFailedText, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  }

  // A host that fails when asked for its selection leaves nothing selected:
  // the program starts as it would without one.
  std::string selection;
  try {
    selection = DocRead(ctx_.Host(), false);
  } catch (const std::exception&) {
    selection.clear();
  }
  StartupFacts facts;
  facts.selectionIsSalebox = !selection.empty() && ctx_.Applet().StoreApplet(selection, 0);
  facts.storedVendorId = ctx_.Settings().ReadText("Vendor", "ID", "");
  facts.recordVendorId = ctx_.Applet().VendorID;
  const StartupPlan plan = PlanStartup(facts);

  editMode_ = plan.editMode;
  if (plan.editMode) {
    Page(Wizard::Create).BeginEdit();
    btnOutput->setEnabled(true);
  }
  btnSalebox->setEnabled(plan.saleboxEnabled);
  SwitchTo(plan.first);
  btnPublish->setEnabled(plan.publishEnabled);
  return true;
}

bool TMainForm::CancelPublishWizard() {
  if (!ctx_.Dialogs().ConfirmYesNo(kCancelPublishQuestion)) return false;
  SwitchTo(Wizard::Create);
  return true;
}

bool TMainForm::CancelCreateWizard() {
  if (!ctx_.Dialogs().ConfirmYesNo(kCancelCreateQuestion)) return false;
  Page(Wizard::Create).Reset();
  pgEditApplet->hide();
  return true;
}

void TMainForm::ShowInformation() {
  ctx_.Dialogs().Message(InformationText(ctx_.Settings(), ctx_.hostWindowFound), kProgramTitle,
                         MsgIcon::None, MsgButtons::Ok);
}

void TMainForm::CopyVendorIdToClipboard() {
  QGuiApplication::clipboard()->setText(
      QString::fromStdString(ctx_.Settings().ReadText("Vendor", "ID", "")));
}

void TMainForm::OpenOptions() {
  TfrmOptions options(ctx_.Settings(), ctx_.Dialogs(), this);
  options.exec();
}

void TMainForm::ShowHelp() {
  // HTML help has no separate search window: both items open the contents.
  if (!helpFile_.empty())
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpFile_)));
}

bool TMainForm::FormCloseQuery() {
  return ctx_.saleboxPlaced || ctx_.Dialogs().ConfirmYesNo(kCloseQuestion);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery())
    event->accept();
  else
    event->ignore();
}

void TMainForm::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QMainWindow::showEvent(event);
}

}  // namespace tendrel
