#include "seller/publish/ui/publish_wizard.h"

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVariant>

#include "platform/qt/keyed_picture.h"
#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/step_runner.h"
#include "seller/authoring/applet.h"
#include "seller/core/settings.h"
#include "seller/publish/ui/server_pages.h"
#include "seller/shell/context.h"

namespace tendrel {

namespace {

// The wizard's room beside the side picture: the status line over the
// pages, the pages over a row of buttons. Each page but the Server
// Definition page has the section picture at its top left and its text in
// the column beside it.
constexpr int kWidth = 398;
constexpr int kPageHeight = 282;
constexpr int kLeft = 104;
constexpr int kColumn = kWidth - kLeft - 8;
constexpr int kButtonsTop = kPageHeight + 3;
constexpr int kWide = kWidth - 16;

constexpr QRect Col(int top, int height) { return QRect(kLeft, top, kColumn, height); }

constexpr QPoint kSectionAt(8, 8);
// The finishing picture stands in front of the section picture's emblem.
constexpr QPoint kFinishAt(20, 22);
// The status line lies over the foot of the pages, where the last page's
// hint to click Finish is (of no use while the work runs).
constexpr QRect kStatusLine(8, 256, kWide, 18);

// The publish list's columns.
constexpr int kFileColumnWidth = 135;
constexpr int kStatusColumnWidth = 162;

std::vector<PageControl> IntroRows() {
  return {
      {Ctl::Text, "",
       "The next stage in creating a Salebox is to send some information to the Tillon database about your "
       "product, and also to create an encrypted copy of your file that only paying customers can see.",
       Col(8, 72)},
      {Ctl::Text, "",
       "To accomplish this you will need to tell Bravant about the location of your web site.  Bravant will "
       "then create the encrypted file, upload it, and tell the central Tillon database exactly where the "
       "encrypted file can be found.",
       Col(86, 86)},
      {Ctl::Text, "",
       "You will also be asked to send the Bravant Java Classes to your web site.  This will allow your "
       "customers to use Tillon to pay for your material.  You only need to upload these files once.",
       Col(178, 72)},
  };
}

std::vector<PageControl> EditOrUploadRows() {
  return {
      {Ctl::Text, "",
       "If you have not yet told Bravant about the server on which your files are stored, this is the time to "
       "do it.  Choose the option below if you'd like to create or edit server information before you upload "
       "your web page.",
       Col(8, 86)},
      {Ctl::Radio, "optEditServers", "Create or edit my server information", Col(98, 20)},
      {Ctl::Text, "",
       "If you don't need to change any server information and you are now ready to upload your Salebox please "
       "select the option below.  You must have FTP access to your server to use this wizard.",
       Col(136, 72)},
      {Ctl::Radio, "optUploadSalebox", "Upload A Salebox", Col(212, 20)},
  };
}

std::vector<PageControl> InstallClassesRows() {
  return {
      {Ctl::Text, "",
       QStringLiteral("For your customers to be enable to see and use the Tillon system you will need to have "
                      "installed the Bravant Java Class files.  ") +
           "You only need to do this once for each server, so if you have already done it then proceed to the "
           "next page.  If not then click on the" +
           "\"Install Classes\"" + " button below.",
       Col(8, 128)},
      {Ctl::Button, "btnInstallClasses", "&Install Tillon Java Classes", QRect(kLeft, 146, 190, 25)},
  };
}

std::vector<PageControl> RegisterUploadRows() {
  return {
      {Ctl::Text, "",
       "This is the list of files to be registered in the Tillon database and then uploaded to your server.  If "
       "you do not want one or more of these files to be processed simply highlight them and click 'Remove'.",
       Col(8, 100)},
      {Ctl::Button, "btnRemove", "&Remove From List", QRect(8, 222, 110, 25)},
      {Ctl::Check, "chkProcessAll", "Process Salebox even if ", QRect(124, 225, 160, 20)},
      {Ctl::Caption, "lblAlreadyRegistered", "already registered.", QRect(284, 227, 106, 16)},
      {Ctl::Text, "", "Click on the Finish button to start the Upload Procedure.", QRect(8, 256, kWide, 18)},
  };
}

// Blocking work on the wizard's worker thread; notes and the continuation
// come back to the user-interface thread.
class StepBlockingRunner : public BlockingRunner {
 public:
  explicit StepBlockingRunner(StepRunner& runner) : runner_(runner) {}

  void Run(Work work, Note onNote, Then then) override {
    const bool started = runner_.Start(
        [work](StepControl& control) {
          BlockingControl blocking;
          blocking.note = [&control](const std::string& text) { control.Report(0, Q(text)); };
          blocking.cancelled = control.CancelCheck();
          work(blocking);
          return QVariant(true);
        },
        [then](const QVariant&) {
          if (then) then();
        },
        [onNote](int, const QString& text) {
          if (onNote) onNote(S(text));
        });
    // The steps run one after the other, so the runner is always idle here;
    // should it not be, the step still runs rather than vanish.
    if (!started) InlineRunner().Run(std::move(work), std::move(onNote), std::move(then));
  }

 private:
  StepRunner& runner_;
};

const char* const kPageTitles[kPublishPageCount] = {
    "Introduction", "Edit Servers Or Upload", "Server Definition", "Choose Server", "Install Java Classes",
    "Register and Upload"};
const char* const kPageNames[kPublishPageCount] = {"tabIntroduction", "tabEditOrUpload", "tabServerDefinition",
                                                   "tabChooseServer", "tabInstallClasses", "tabRegisterUpload"};

}  // namespace

PublishWizard::PublishWizard(const WizardSite& site)
    : frame_(site.Frame()), store_(site.Context().Settings()) {
  site.Place(BuildPages(site));
  runner_ = new StepRunner(this);
  blocking_ = std::make_unique<StepBlockingRunner>(*runner_);
  PublishView view;
  view.rowStatus = [this](size_t row, const std::string& text) { SetRowStatus(row, text); };
  view.status = [this](const std::string& text) { SetStatus(text); };
  view.enableOutput = [this] { frame_.EnableWizard(kOutputWizard, true); };
  pipeline_ = std::make_unique<PublishPipeline>(site.Context(), *blocking_, std::move(view));
  installation_ = std::make_unique<ClassInstallation>(site.Context(), *blocking_,
                                                      [this](const std::string& text) { SetStatus(text); });
}

// The worker ends before the pipeline it works for.
PublishWizard::~PublishWizard() { runner_->Stop(); }

QWidget* PublishWizard::BuildPages(const WizardSite& site) {
  BravantContext& ctx = site.Context();
  auto* room = new QWidget;
  room->setObjectName(QStringLiteral("pnlUploadWizard"));
  room->setFont(PageFont());
  pgUploadWizard_ = new QStackedWidget(room);
  pgUploadWizard_->setObjectName(QString::fromStdString(site.InnerName()));
  pgUploadWizard_->setGeometry(0, 0, kWidth, kPageHeight);

  PageControls c;
  const auto page = [&c](const std::vector<PageControl>& rows) {
    auto* p = new QWidget;
    const PageControls made = BuildPage(p, rows);
    for (const PageControl& r : rows)
      if (!r.name.isEmpty()) c.add(r.name, made.find(r.name));
    return p;
  };
  pages_[kIntroPage] = page(IntroRows());
  pages_[kEditOrUploadPage] = page(EditOrUploadRows());
  pages_[kServerDefinitionPage] = serverDefinition_ = new ServerDefinitionPage(ctx);
  pages_[kChooseServerPage] = chooseServer_ = new ChooseServerPage(ctx);
  pages_[kInstallClassesPage] = page(InstallClassesRows());
  pages_[kRegisterUploadPage] = page(RegisterUploadRows());
  for (int i = 0; i < kPublishPageCount; ++i) {
    if (pages_[i]->objectName().isEmpty()) pages_[i]->setObjectName(QLatin1String(kPageNames[i]));
    pages_[i]->setWindowTitle(QLatin1String(kPageTitles[i]));
    pgUploadWizard_->addWidget(pages_[i]);
  }

  optEditServers_ = c.get<QRadioButton>("optEditServers");
  optUploadSalebox_ = c.get<QRadioButton>("optUploadSalebox");
  btnInstallClasses_ = c.get<QPushButton>("btnInstallClasses");
  btnRemove_ = c.get<QPushButton>("btnRemove");
  chkProcessAll_ = c.get<QCheckBox>("chkProcessAll");
  lblAlreadyRegistered_ = c.get<QLabel>("lblAlreadyRegistered");
  lblAlreadyRegistered_->installEventFilter(this);
  // The label reads on from the box's own words, on their line.
  chkProcessAll_->resize(chkProcessAll_->sizeHint().width(), chkProcessAll_->height());
  lblAlreadyRegistered_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lblAlreadyRegistered_->setGeometry(chkProcessAll_->geometry().right() + 1, chkProcessAll_->y(),
                                     lblAlreadyRegistered_->sizeHint().width(), chkProcessAll_->height());

  // Under the section picture, so both columns show whole.
  lvApplets_ = new QTreeWidget(pages_[kRegisterUploadPage]);
  lvApplets_->setObjectName(QStringLiteral("lvApplets"));
  lvApplets_->setGeometry(8, 132, kWide, 84);
  lvApplets_->setColumnCount(2);
  lvApplets_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Status")});
  lvApplets_->setRootIsDecorated(false);
  lvApplets_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvApplets_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvApplets_->setTextElideMode(Qt::ElideMiddle);  // a long path keeps its start and its progress
  lvApplets_->header()->setStretchLastSection(false);
  lvApplets_->setColumnWidth(0, kFileColumnWidth);
  lvApplets_->setColumnWidth(1, kStatusColumnWidth);
  QWidget::setTabOrder(lvApplets_, btnRemove_);

  imgSection_ = new KeyedPicture(pages_[kIntroPage]);
  imgSection_->setObjectName(QStringLiteral("imgUploadWizard"));
  imgSection_->SetBitmapResource("uploadwiz");
  imgSection_->move(kSectionAt);
  imgFinish_ = new KeyedPicture(pages_[kRegisterUploadPage]);
  imgFinish_->setObjectName(QStringLiteral("imgUploadWizardGo"));
  imgFinish_->SetBitmapResource("uploadwizgo");
  imgFinish_->move(kFinishAt);
  imgFinish_->hide();

  // The step in progress, over the pages; it shows only while there is one.
  lblUploadStatus_ = new QLabel(room);
  lblUploadStatus_->setObjectName(QStringLiteral("lblUploadStatus"));
  lblUploadStatus_->setGeometry(kStatusLine);
  lblUploadStatus_->setAutoFillBackground(true);
  lblUploadStatus_->setTextFormat(Qt::PlainText);
  lblUploadStatus_->hide();

  const auto button = [room](const char* name, const char* text, int left) {
    auto* b = new QPushButton(QString::fromUtf8(text), room);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, kButtonsTop, 75, 25);
    return b;
  };
  btnUploadHelp_ = button("btnUploadHelp", "&Help", 8);
  btnUploadHelp_->hide();
  btnUploadBack_ = button("btnUploadBack", "&<< Back", kWidth - 8 - 3 * 75 - 10);
  btnUploadNext_ = button("btnUploadNext", "Next >&>", kWidth - 8 - 2 * 75 - 10);
  btnClose_ = button("btnClose", "&Cancel", kWidth - 8 - 75);
  room->setMinimumSize(kWidth, kButtonsTop + 25 + 4);

  chooseServer_->onOtherServerChosen = [this] {
    installEnabled_ = true;
    if (!Working()) btnInstallClasses_->setEnabled(true);
  };
  connect(pgUploadWizard_, &QStackedWidget::currentChanged, this, &PublishWizard::Arrived);
  connect(btnUploadNext_, &QPushButton::clicked, this, &PublishWizard::Next);
  connect(btnUploadBack_, &QPushButton::clicked, this, &PublishWizard::Back);
  connect(btnClose_, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(btnInstallClasses_, &QPushButton::clicked, this, &PublishWizard::InstallClasses);
  connect(btnRemove_, &QPushButton::clicked, this, &PublishWizard::RemoveFromList);
  connect(chkProcessAll_, &QCheckBox::toggled, this, &PublishWizard::ProcessAllChanged);
  return room;
}

void PublishWizard::Enter() {
  TurnToFirstPage(pgUploadWizard_);
  // Publishing works on what the Create wizard's pages show.
  frame_.CommitWizard(kCreateWizard);
  const bool anyServer = LoadServerLists(store_, *serverDefinition_, *chooseServer_);
  (anyServer ? optUploadSalebox_ : optEditServers_)->setChecked(true);
  BuildList();
  UpdateButtons();
}

bool PublishWizard::Cancel() {
  if (Working()) return false;
  if (!frame_.Context().Dialogs().ConfirmYesNo(kCancelPublishQuestion)) return false;
  frame_.SwitchTo(kCreateWizard);
  return true;
}

int PublishWizard::CurrentPage() const { return pgUploadWizard_->currentIndex(); }

bool PublishWizard::Working() const {
  return runner_->busy() || pipeline_->Running() || installation_->Running();
}

bool PublishWizard::UploadChosen() const { return optUploadSalebox_->isChecked(); }

void PublishWizard::Next() {
  if (Working()) return;
  UserDialogs& dialogs = frame_.Context().Dialogs();
  const int page = CurrentPage();
  switch (page) {
    case kEditOrUploadPage:
      if (UploadChosen()) {
        pgUploadWizard_->setCurrentIndex(kChooseServerPage);
        return;
      }
      if (!optEditServers_->isChecked()) return;
      break;
    case kServerDefinitionPage:
      if (!serverDefinition_->HasServers()) {
        dialogs.Message(kNoServerDefined, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
        return;
      }
      LoadServerLists(store_, *serverDefinition_, *chooseServer_);
      break;
    case kChooseServerPage:
      if (chooseServer_->ChosenServer().empty()) {
        dialogs.Message(kChooseServerMessage, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
        return;
      }
      break;
    default:
      break;
  }
  if (page == kPublishPageCount - 1) {
    Finish();
    return;
  }
  pgUploadWizard_->setCurrentIndex(page + 1);
  if (page + 1 == kRegisterUploadPage)
    chkProcessAll_->setChecked(RegYes(frame_.Context().Settings(), "Options", kProcessAllValue, "No"));
}

void PublishWizard::Back() {
  if (Working()) return;
  const int page = CurrentPage();
  if (page == kChooseServerPage && UploadChosen())
    pgUploadWizard_->setCurrentIndex(kEditOrUploadPage);
  else if (page > 0)
    pgUploadWizard_->setCurrentIndex(page - 1);
}

void PublishWizard::Arrived(int) { UpdateButtons(); }

void PublishWizard::UpdateButtons() {
  const int page = CurrentPage();
  const bool last = page == kPublishPageCount - 1;
  btnUploadBack_->setEnabled(page > 0 && !Working());
  btnUploadNext_->setText(last ? QStringLiteral("&Finish") : QStringLiteral("Next >&>"));
  imgFinish_->setVisible(last);
  if (page != kServerDefinitionPage && page >= 0) {
    imgSection_->setParent(pages_[page]);
    imgSection_->move(kSectionAt);
    imgSection_->show();
    imgSection_->raise();
    if (last) imgFinish_->raise();
  }
}

void PublishWizard::BuildList() {
  lvApplets_->clear();
  TApplet& record = frame_.Context().Applet();
  if (!chkProcessAll_->isChecked() && !record.ProductID.empty()) return;
  auto* item = new QTreeWidgetItem(lvApplets_, {Q(record.ProductName), QString()});
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&record)));
}

std::vector<TApplet*> PublishWizard::ListedRecords() const {
  std::vector<TApplet*> records;
  for (int i = 0; i < lvApplets_->topLevelItemCount(); ++i)
    records.push_back(reinterpret_cast<TApplet*>(lvApplets_->topLevelItem(i)->data(0, Qt::UserRole).value<quintptr>()));
  return records;
}

void PublishWizard::RemoveFromList() {
  if (Working()) return;
  // From the last to the first; the records themselves stay as they are.
  for (int i = lvApplets_->topLevelItemCount() - 1; i >= 0; --i)
    if (lvApplets_->topLevelItem(i)->isSelected()) delete lvApplets_->takeTopLevelItem(i);
}

void PublishWizard::ProcessAllChanged() {
  frame_.Context().Settings().WriteText("Options", kProcessAllValue, chkProcessAll_->isChecked() ? "Yes" : "No");
  BuildList();
}

bool PublishWizard::eventFilter(QObject* watched, QEvent* event) {
  // The label beside the box acts for it without changing it.
  if (watched == lblAlreadyRegistered_ && event->type() == QEvent::MouseButtonRelease && !Working()) {
    ProcessAllChanged();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void PublishWizard::InstallClasses() {
  if (Working()) return;
  const ServerDefinition server = store_.Load(chooseServer_->ChosenServer());
  SetWorking(true);
  installation_->Run(server, [this](bool installed) {
    if (installed) installEnabled_ = false;
    SetWorking(false);
  });
}

void PublishWizard::Finish() {
  const ServerDefinition server = store_.Load(chooseServer_->ChosenServer());
  SetWorking(true);
  pipeline_->Run(ListedRecords(), server, [this](bool published) {
    SetWorking(false);
    if (!published) return;
    frame_.EnableWizard(kOutputWizard, true);
    frame_.SwitchTo(kOutputWizard);
  });
}

// While the work runs nothing may start another step or leave the wizard:
// its buttons and the bar's wizard buttons are disabled, and given back as
// they were at the end.
void PublishWizard::SetWorking(bool on) {
  if (on) {
    barState_.clear();
    for (const char* id : {kCreateWizard, kPublishWizard, kOutputWizard, kJoinWizard}) {
      barState_.emplace_back(id, frame_.WizardEnabled(id));
      frame_.EnableWizard(id, false);
    }
  } else {
    for (const auto& [id, enabled] : barState_) frame_.EnableWizard(id, enabled);
    barState_.clear();
  }
  // The list stays readable: only what acts is disabled (the work runs on
  // the last two pages, and the way off them is closed).
  for (QWidget* w : {static_cast<QWidget*>(btnUploadBack_), static_cast<QWidget*>(btnUploadNext_),
                     static_cast<QWidget*>(btnClose_), static_cast<QWidget*>(btnRemove_),
                     static_cast<QWidget*>(chkProcessAll_), static_cast<QWidget*>(lblAlreadyRegistered_)})
    w->setEnabled(!on);
  btnInstallClasses_->setEnabled(!on && installEnabled_);
  if (!on) UpdateButtons();
}

void PublishWizard::SetStatus(const std::string& text) {
  lblUploadStatus_->setText(Q(text));
  lblUploadStatus_->setVisible(!text.empty());
  lblUploadStatus_->raise();
}

void PublishWizard::SetRowStatus(size_t row, const std::string& text) {
  QTreeWidgetItem* item = lvApplets_->topLevelItem(static_cast<int>(row));
  if (item == nullptr) return;
  item->setText(1, Q(text));
  item->setToolTip(1, Q(text));
}

}  // namespace tendrel
