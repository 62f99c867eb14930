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
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "common/files.h"
#include "common/paths.h"
#include "host/document.h"
#include "host/host_calls.h"
#include "platform/qt/centre.h"
#include "seller/core/log.h"
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

QPushButton* GlyphButton(QWidget* parent, const std::string& name, const std::string& bitmap,
                         const std::string& accessibleName) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromStdString(name));
  const QPixmap glyph = KeyedPixmap(LoadBitmapResource(bitmap));
  b->setIcon(QIcon(glyph));
  b->setIconSize(glyph.size());
  b->setFixedSize(kButtonWidth, kButtonHeight);
  b->setFocusPolicy(Qt::TabFocus);
  // The glyph carries the words; these serve screen readers and tests.
  b->setAccessibleName(QString::fromStdString(accessibleName));
  b->setToolTip(QString::fromStdString(accessibleName));
  return b;
}

}  // namespace

TMainForm::TMainForm(BravantContext& ctx, HostProbe& probe, WizardTable wizards, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ctx_(ctx),
      probe_(probe) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Bravant"));
  ctx_.Service().SetBusyHook([](bool busy) { busy ? BusyCursor() : NormalCursor(); });

  BuildMenus();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  wizards_.reserve(wizards.size());
  for (WizardRow& row : wizards) {
    wizards_.emplace_back();
    wizards_.back().row = std::move(row);
  }
  column->addWidget(BuildButtonBar(central));

  pcMain_ = new QStackedWidget(central);
  pcMain_->setObjectName(QStringLiteral("pcMain"));
  pcMain_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  for (Entry& entry : wizards_) BuildWizard(entry);
  pcMain_->installEventFilter(this);
  column->addWidget(pcMain_, 1);
  setCentralWidget(central);

  pbxTillon_ = new TPaintBox(wizards_.empty() ? pcMain_ : wizards_.front().page);
  pbxTillon_->setObjectName(QStringLiteral("pbxTillon"));
  PaintLogo("littletillon", "littletillon", *pbxTillon_);

  popBrowser_ = new QMenu(this);
  popBrowser_->setObjectName(QStringLiteral("popBrowser"));

  // The menu bar belongs to the window's client area here: menu bar, button
  // bar and pages together make up the fixed 498 by 370.
  setFixedSize(kClientWidth, kWindowHeight);
}

// The wizards are freed before the window's widgets, which they may point at.
TMainForm::~TMainForm() {
  // The wizards (and any request of theirs) end with the window; the
  // service connection goes with them.
  wizards_.clear();
  ctx_.Service().SetBusyHook({});
  ctx_.Service().CloseAll();
}

void TMainForm::SetProductEditor(std::function<void(QWidget* parent)> open) {
  openProducts_ = std::move(open);
  mnuEditProducts_->setEnabled(static_cast<bool>(openProducts_));
  mnuEditProducts_->setToolTip(openProducts_ ? QString() : QStringLiteral("Not available in this version."));
}

void TMainForm::BuildMenus() {
  QMenu* tillon = menuBar()->addMenu(QStringLiteral("&Tillon"));
  tillon->setObjectName(QStringLiteral("mnuTillon"));
  tillon->setToolTipsVisible(true);
  mnuEditProducts_ = tillon->addAction(QStringLiteral("&Edit Registered Products"));
  mnuEditProducts_->setObjectName(QStringLiteral("mnuEditProducts"));
  mnuEditProducts_->setEnabled(false);
  mnuEditProducts_->setToolTip(QStringLiteral("Not available in this version."));
  connect(mnuEditProducts_, &QAction::triggered, this, [this] {
    if (openProducts_) openProducts_(this);
  });
  mnuOptions_ = tillon->addAction(QStringLiteral("&Options"));
  mnuOptions_->setObjectName(QStringLiteral("mnuOptions"));
  connect(mnuOptions_, &QAction::triggered, this, [this] { OpenOptions(); });
  mnuExit_ = tillon->addAction(QStringLiteral("E&xit"));
  mnuExit_->setObjectName(QStringLiteral("mnuExit"));
  mnuExit_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
  connect(mnuExit_, &QAction::triggered, this, [this] { close(); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  mnuContents_ = help->addAction(QStringLiteral("&Contents"));
  mnuContents_->setObjectName(QStringLiteral("mnuContents"));
  mnuContents_->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mnuContents_, &QAction::triggered, this, [this] { ShowHelp(); });
  mnuSearch_ = help->addAction(QStringLiteral("&Search"));
  mnuSearch_->setObjectName(QStringLiteral("mnuSearch"));
  connect(mnuSearch_, &QAction::triggered, this, [this] { ShowHelp(); });
  help->addSeparator();
  mnuVendorID_ = help->addAction(QStringLiteral("&Vendor ID To Clipboard"));
  mnuVendorID_->setObjectName(QStringLiteral("mnuVendorID"));
  connect(mnuVendorID_, &QAction::triggered, this, [this] { CopyVendorIdToClipboard(); });
  mnuAbout_ = help->addAction(QStringLiteral("&About..."));
  mnuAbout_->setObjectName(QStringLiteral("mnuAbout"));
  connect(mnuAbout_, &QAction::triggered, this, [this] { ShowInformation(); });
}

QWidget* TMainForm::BuildButtonBar(QWidget* parent) {
  pnlButtons_ = new QWidget(parent);
  pnlButtons_->setObjectName(QStringLiteral("pnlButtons"));
  pnlButtons_->setFixedHeight(kButtonBarHeight);
  auto* row = new QHBoxLayout(pnlButtons_);
  row->setContentsMargins(2, 3, 4, 3);
  row->setSpacing(2);
  for (Entry& entry : wizards_) {
    const WizardRow& r = entry.row;
    entry.button = GlyphButton(pnlButtons_, r.button, r.glyph, r.accessibleName);
    entry.button->setEnabled(r.enabledAtStart);
    const std::string id = r.id;
    connect(entry.button, &QPushButton::clicked, this, [this, id] { SwitchTo(id); });
    row->addWidget(entry.button);
  }
  row->addStretch(1);
  pbxBravantLogo_ = new TPaintBox(pnlButtons_);
  pbxBravantLogo_->setObjectName(QStringLiteral("pbxBravantLogo"));
  PaintLogo("bravantlogo", "bravantlogo", *pbxBravantLogo_);
  row->addWidget(pbxBravantLogo_, 0, Qt::AlignVCenter);
  return pnlButtons_;
}

// The page: the side picture at its left edge, the wizard's own controls in
// the rest.
void TMainForm::BuildWizard(Entry& entry) {
  const WizardRow& r = entry.row;
  entry.page = new QWidget;
  entry.page->setObjectName(QString::fromStdString(r.page));
  auto* row = new QHBoxLayout(entry.page);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  entry.side = new TPaintBox(entry.page);
  entry.side->setObjectName(QString::fromStdString(r.sidePicture));
  PaintLogo(r.sideBitmap, r.sideBitmap, *entry.side);
  row->addWidget(entry.side, 0, Qt::AlignLeft | Qt::AlignTop);
  pcMain_->addWidget(entry.page);
  if (r.make) entry.wizard = r.make(WizardSite(*this, entry.page, r.inner));
}

const TMainForm::Entry* TMainForm::Find(const std::string& id) const {
  for (const Entry& entry : wizards_)
    if (entry.row.id == id) return &entry;
  return nullptr;
}

Wizard* TMainForm::WizardFor(const std::string& id) const {
  const Entry* entry = Find(id);
  return entry != nullptr ? entry->wizard.get() : nullptr;
}

void TMainForm::EnableWizard(const std::string& id, bool enabled) {
  if (const Entry* entry = Find(id)) entry->button->setEnabled(enabled);
}

bool TMainForm::WizardEnabled(const std::string& id) const {
  const Entry* entry = Find(id);
  return entry != nullptr && entry->button->isEnabled();
}

void TMainForm::SwitchTo(const std::string& id) {
  if (active_ == id) return;
  const Entry* entry = Find(id);
  if (entry == nullptr) return;
  active_ = id;
  pcMain_->setCurrentWidget(entry->page);
  if (entry->wizard) entry->wizard->Enter();
  PlaceTillonLogo();
}

void TMainForm::ResetWizard(const std::string& id) {
  if (Wizard* wizard = WizardFor(id)) wizard->Reset();
}

void TMainForm::CommitWizard(const std::string& id) {
  if (Wizard* wizard = WizardFor(id)) wizard->Commit();
}

void TMainForm::ShowStatus(const std::string& text) {
  QStatusBar* line = statusBar();
  line->setObjectName(QStringLiteral("stbStatus"));
  line->setSizeGripEnabled(false);
  if (text.empty()) {
    line->clearMessage();
    line->hide();
    setFixedSize(kClientWidth, kWindowHeight);
  } else {
    line->showMessage(QString::fromStdString(text));
    line->show();
    setFixedSize(kClientWidth, kWindowHeight + line->sizeHint().height());
  }
}

void TMainForm::PlaceTillonLogo() {
  const Entry* entry = Find(active_);
  if (entry == nullptr && !wizards_.empty()) entry = &wizards_.front();
  if (entry == nullptr) return;
  QWidget* page = entry->page;
  if (pbxTillon_->parentWidget() != page) pbxTillon_->setParent(page);
  // Bottom left, under the wizard's side picture.
  const int x = (entry->side->width() - pbxTillon_->width()) / 2;
  pbxTillon_->move(std::max(0, x), std::max(0, page->height() - pbxTillon_->height() - 4));
  pbxTillon_->raise();
  pbxTillon_->show();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pcMain_ && event->type() == QEvent::Resize) PlaceTillonLogo();
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::EditMode() const { return ctx_.State().EditMode(); }

bool TMainForm::Start() {
  ctx_.State().SetHostWindowFound(probe_.HostWindowPresent());
  if (!ctx_.State().HostWindowFound()) {
    ctx_.Dialogs().Error(kHostMissingText, kHostMissingCaption);
    return false;
  }

  try {
    std::unique_ptr<HostEditor> host = probe_.CreateHost();
    if (!host) throw EHostError("no automation object");
    ctx_.AttachHost(std::move(host));
    const std::string help = JoinPath(HostCalls(*ctx_.Host()).GetAppPath(), kHelpFile);
    if (FileExists(help)) helpFile_ = help;
  } catch (const std::exception& e) {
    qCWarning(lcSeller, "Connecting to the host editor failed: %s", e.what());
    ctx_.Dialogs().Message(kHostConnectFailedText, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  }

  // A host that fails when asked for its selection leaves nothing selected:
  // the program starts as it would without one.
  std::string selection;
  try {
    selection = DocRead(ctx_.Host(), false);
  } catch (const std::exception& e) {
    qCWarning(lcSeller, "Reading the host's selection failed: %s", e.what());
    selection.clear();
  }
  StartupFacts facts;
  facts.selectionIsSalebox = !selection.empty() && ctx_.Applet().StoreApplet(selection, 0);
  facts.storedVendorId = ctx_.Settings().ReadText("Vendor", "ID", "");
  facts.recordVendorId = ctx_.Applet().VendorID;
  const StartupPlan plan = PlanStartup(facts);

  ctx_.State().SetEditMode(plan.editMode);
  if (plan.editMode) {
    if (Wizard* create = WizardFor(kCreateWizard)) create->BeginEdit();
    EnableWizard(kOutputWizard, true);
  }
  EnableWizard(kCreateWizard, plan.saleboxEnabled);
  SwitchTo(plan.first);
  EnableWizard(kPublishWizard, plan.publishEnabled);
  return true;
}

void TMainForm::ShowInformation() {
  ctx_.Dialogs().Message(InformationText(ctx_.Settings(), ctx_.State().HostWindowFound()),
                         kProgramTitle, MsgIcon::None, MsgButtons::Ok);
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
  return ctx_.State().SaleboxPlaced() || ctx_.Dialogs().ConfirmYesNo(kCloseQuestion);
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
    CentreOnScreen(this);
  }
  QMainWindow::showEvent(event);
}

}  // namespace tendrel
