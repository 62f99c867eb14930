#include "seller/publish/ui/server_pages.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"
#include "seller/shell/context.h"

namespace tendrel {

namespace {

// The wizard's room; the Choose Server page leaves the section picture its
// corner at the top left.
constexpr int kWidth = 398;
constexpr int kPictureRight = 104;
constexpr int kPictureBottom = 128;

// Server Definition: the list's group at the left, the details at the right,
// each field under its caption.
constexpr QRect kServersGroup(6, 4, 116, 272);
constexpr QRect kDetailsGroup(128, 4, kWidth - 128 - 6, 272);
constexpr int kFieldLeft = 8;
constexpr int kFieldWidth = kDetailsGroup.width() - 2 * kFieldLeft;
constexpr int kFieldPitch = 49;
constexpr QRect Caption(int i) { return QRect(kFieldLeft, 22 + i * kFieldPitch, kFieldWidth, 16); }
constexpr QRect Field(int i) { return QRect(kFieldLeft, 39 + i * kFieldPitch, kFieldWidth, 22); }

QString Examples(const char* what, const QString& example) {
  return QStringLiteral("%1 (e.g. %2)").arg(QLatin1String(what), example);
}

std::vector<PageControl> DefinitionRows() {
  const QString site = QString::fromLatin1(kExampleWebAddress);
  return {
      {Ctl::Group, "grpCurrentServers", "Current Servers", kServersGroup},
      {Ctl::Button, "btnNewServer", "&New Server", QRect(8, 208, 100, 25), "grpCurrentServers"},
      {Ctl::Button, "btnDeleteServer", "&Delete Server", QRect(8, 238, 100, 25), "grpCurrentServers"},
      {Ctl::Group, "grpServerDetails", "Servers Details", kDetailsGroup},
      {Ctl::Caption, "lblAddressCaption", Examples("Address", QString::fromLatin1(kExampleFtpHost)), Caption(0),
       "grpServerDetails"},
      {Ctl::Edit, "txtAddress", "", Field(0), "grpServerDetails"},
      {Ctl::Caption, "lblDirectoryCaption", Examples("Starting Directory", QStringLiteral("public_html")),
       Caption(1), "grpServerDetails"},
      {Ctl::Edit, "txtDirectory", "", Field(1), "grpServerDetails"},
      {Ctl::Caption, "lblLoginCaption", "Login Name", Caption(2), "grpServerDetails"},
      {Ctl::Edit, "txtLogin", "", Field(2), "grpServerDetails"},
      {Ctl::Caption, "lblPasswordCaption", "Password", Caption(3), "grpServerDetails"},
      {Ctl::Edit, "txtServerPassword", "", Field(3), "grpServerDetails"},
      {Ctl::Caption, "lblHTTPBaseCaption", Examples("HTTP Base", site + QStringLiteral("/MyDir")), Caption(4),
       "grpServerDetails"},
      {Ctl::Edit, "txtHTTPBase", "", Field(4), "grpServerDetails"},
  };
}

constexpr char kChooseText[] =
    "Please choose the server to which you wish to upload your files.  If you have not yet defined any servers "
    "please return to the first page and choose the 'Create or Edit Servers' option then clicking the 'Next' "
    "button.  ";
constexpr char kFtpAccessText[] = "You will need to have FTP access to the server you wish to connect to.";

// Choose Server: the advice beside the picture, the list and the chosen
// server's details under it.
constexpr QRect kChooseList(8, 152, 150, 92);
constexpr QRect kInfoGroup(166, 134, kWidth - 166 - 8, 110);
constexpr int kInfoLabelWidth = 62;
constexpr int kInfoValueLeft = 8 + kInfoLabelWidth + 4;
constexpr int kInfoValueWidth = kInfoGroup.width() - kInfoValueLeft - 8;

std::vector<PageControl> ChooseRows() {
  return {
      {Ctl::Text, "", kChooseText, QRect(kPictureRight, 8, kWidth - kPictureRight - 8, kPictureBottom - 14)},
      {Ctl::Caption, "lblServers", "Servers", QRect(8, 134, 150, 16)},
      {Ctl::Group, "grpServerInfo", "Server Information", kInfoGroup},
      {Ctl::Caption, "", "Address :", QRect(8, 30, kInfoLabelWidth, 16), "grpServerInfo"},
      {Ctl::Caption, "lblAddress", "", QRect(kInfoValueLeft, 30, kInfoValueWidth, 16), "grpServerInfo"},
      {Ctl::Caption, "", "Initial Dir :", QRect(8, 62, kInfoLabelWidth, 16), "grpServerInfo"},
      {Ctl::Caption, "lblInitialDir", "", QRect(kInfoValueLeft, 62, kInfoValueWidth, 16), "grpServerInfo"},
      {Ctl::Text, "", kFtpAccessText, QRect(8, 250, kWidth - 16, 28)},
  };
}

QListWidget* MakeList(QWidget* parent, const char* name, const QRect& where) {
  auto* l = new QListWidget(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(where);
  l->setSelectionMode(QAbstractItemView::SingleSelection);
  return l;
}

void FillList(QListWidget* list, const std::vector<std::string>& names) {
  const QSignalBlocker quiet(list);
  list->clear();
  for (const std::string& n : names) list->addItem(Q(n));
}

int RowOf(const QListWidget* list, const std::string& name) {
  for (int i = 0; i < list->count(); ++i)
    if (S(list->item(i)->text()) == name) return i;
  return -1;
}

// Shows as much of the text as fits, the whole of it in the tip.
void ShowElided(QLabel* label, const std::string& text) {
  const QString full = Q(text);
  label->setText(label->fontMetrics().elidedText(full, Qt::ElideRight, label->width()));
  label->setToolTip(label->text() == full ? QString() : full);
}

// Focus that moves within the window; the window losing or regaining the
// focus (a message box, another program) or a context menu is no leaving or
// entering of a field.
bool MovedWithinWindow(const QEvent* event) {
  const Qt::FocusReason r = static_cast<const QFocusEvent*>(event)->reason();
  return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

}  // namespace

// ---- Server Definition ---------------------------------------------------------

ServerDefinitionPage::ServerDefinitionPage(BravantContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), store_(ctx.Settings()), editor_(store_, ctx.Dialogs()) {
  setObjectName(QStringLiteral("tabServerDefinition"));
  setFont(PageFont());
  const PageControls c = BuildPage(this, DefinitionRows());
  auto* group = c.get<QGroupBox>("grpCurrentServers");
  lstServers_ = MakeList(group, "lstServers", QRect(8, 22, 100, 180));
  // In the group's tab order before its buttons.
  QWidget::setTabOrder(lstServers_, c.find("btnNewServer"));
  btnNewServer_ = c.get<QPushButton>("btnNewServer");
  btnDeleteServer_ = c.get<QPushButton>("btnDeleteServer");
  grpServerDetails_ = c.get<QGroupBox>("grpServerDetails");
  txtAddress_ = c.get<QLineEdit>("txtAddress");
  txtDirectory_ = c.get<QLineEdit>("txtDirectory");
  txtLogin_ = c.get<QLineEdit>("txtLogin");
  txtPassword_ = c.get<QLineEdit>("txtServerPassword");
  txtHTTPBase_ = c.get<QLineEdit>("txtHTTPBase");
  txtPassword_->setEchoMode(QLineEdit::Password);
  txtPassword_->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  for (QLineEdit* e : {txtAddress_, txtDirectory_, txtLogin_, txtPassword_, txtHTTPBase_}) e->installEventFilter(this);
  grpServerDetails_->setEnabled(false);

  connect(lstServers_, &QListWidget::currentRowChanged, this, [this](int row) { ServerClicked(row); });
  connect(btnNewServer_, &QPushButton::clicked, this, [this] { NewServer(); });
  connect(btnDeleteServer_, &QPushButton::clicked, this, [this] { DeleteServer(); });
}

ServerDefinitionPage::~ServerDefinitionPage() = default;

void ServerDefinitionPage::LoadList(const std::vector<std::string>& names) {
  editor_.SetList(names);
  FillList(lstServers_, names);
  // The server being edited keeps its mark when it is still listed.
  const QSignalBlocker quiet(lstServers_);
  lstServers_->setCurrentRow(RowOf(lstServers_, editor_.Current()));
}

bool ServerDefinitionPage::HasServers() const { return !editor_.List().empty(); }

std::string ServerDefinitionPage::CurrentServer() const { return editor_.Current(); }

void ServerDefinitionPage::ServerClicked(int row) {
  if (row < 0) return;
  ShowFields(editor_.Choose(S(lstServers_->item(row)->text())));
  grpServerDetails_->setEnabled(true);
  txtAddress_->setFocus(Qt::OtherFocusReason);
}

void ServerDefinitionPage::NewServer() {
  const std::optional<std::string> name = editor_.NewServer();
  if (!name) return;
  {
    const QSignalBlocker quiet(lstServers_);
    lstServers_->addItem(Q(*name));
  }
  // Selecting it loads it as a click on it would.
  lstServers_->setCurrentRow(lstServers_->count() - 1);
}

void ServerDefinitionPage::DeleteServer() {
  if (!editor_.DeleteServer()) return;
  FillList(lstServers_, editor_.List());
  ShowFields({});
  grpServerDetails_->setEnabled(false);
}

void ServerDefinitionPage::ShowFields(const ServerFields& fields) {
  txtAddress_->setText(Q(fields.address));
  txtDirectory_->setText(Q(fields.directory));
  txtLogin_->setText(Q(fields.login));
  txtPassword_->setText(Q(fields.password));
  txtHTTPBase_->setText(Q(fields.httpBase));
}

ServerFields ServerDefinitionPage::Typed() const {
  return {S(txtAddress_->text()), S(txtDirectory_->text()), S(txtLogin_->text()), S(txtPassword_->text()),
          S(txtHTTPBase_->text())};
}

QLineEdit* ServerDefinitionPage::FieldEdit(ServerField f) const {
  switch (f) {
    case ServerField::Address: return txtAddress_;
    case ServerField::Directory: return txtDirectory_;
    case ServerField::Login: return txtLogin_;
    case ServerField::Password: return txtPassword_;
    case ServerField::HttpBase: break;
  }
  return txtHTTPBase_;
}

void ServerDefinitionPage::Leave(QLineEdit* field) {
  for (const ServerField f : {ServerField::Address, ServerField::Directory, ServerField::Login,
                              ServerField::Password, ServerField::HttpBase}) {
    if (FieldEdit(f) != field) continue;
    ServerFields fields = Typed();
    if (editor_.Leave(f, fields)) txtHTTPBase_->setText(Q(fields.httpBase));
    return;
  }
}

void ServerDefinitionPage::EnteredHttpBase() {
  // Only while the vendor is still in the field: a click that went on to
  // another control before this ran has left it already.
  if (QApplication::focusWidget() != txtHTTPBase_) return;
  ctx_.ShowOnce(ServerPageDirHelp(), kServerPageDirKey);
  txtHTTPBase_->deselect();
  txtHTTPBase_->setCursorPosition(0);
}

bool ServerDefinitionPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && MovedWithinWindow(event)) {
    Leave(qobject_cast<QLineEdit*>(watched));
  } else if (event->type() == QEvent::FocusIn && watched == txtHTTPBase_ && MovedWithinWindow(event)) {
    // After the field has taken the focus (and, from the keyboard, selected
    // its text), so that the caret can then go to its start.
    QMetaObject::invokeMethod(this, [this] { EnteredHttpBase(); }, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Choose Server -----------------------------------------------------------

ChooseServerPage::ChooseServerPage(BravantContext& ctx, QWidget* parent)
    : QWidget(parent), store_(ctx.Settings()) {
  setObjectName(QStringLiteral("tabChooseServer"));
  setFont(PageFont());
  const PageControls c = BuildPage(this, ChooseRows());
  lstChooseServer_ = MakeList(this, "lstChooseServer", kChooseList);
  lblAddress_ = c.get<QLabel>("lblAddress");
  lblInitialDir_ = c.get<QLabel>("lblInitialDir");
  connect(lstChooseServer_, &QListWidget::currentRowChanged, this, [this](int row) { RowChosen(row); });
}

ChooseServerPage::~ChooseServerPage() = default;

void ChooseServerPage::LoadList(const std::vector<std::string>& names) {
  FillList(lstChooseServer_, names);
  shown_ = {};
  const int row = RowOf(lstChooseServer_, store_.LastServer());
  {
    const QSignalBlocker quiet(lstChooseServer_);
    lstChooseServer_->setCurrentRow(row);
  }
  RowChosen(row);
}

std::string ChooseServerPage::ChosenServer() const {
  const QListWidgetItem* item = lstChooseServer_->currentItem();
  return item != nullptr && item->isSelected() ? S(item->text()) : std::string();
}

void ChooseServerPage::RowChosen(int row) {
  if (row < 0) {
    shown_ = {};
  } else {
    shown_ = store_.Choose(S(lstChooseServer_->item(row)->text()));
    if (shown_.otherThanLast && onOtherServerChosen) onOtherServerChosen();
  }
  ShowChoice();
}

void ChooseServerPage::ShowChoice() {
  ShowElided(lblAddress_, shown_.address);
  ShowElided(lblInitialDir_, shown_.directory);
}

// ---- Both lists ---------------------------------------------------------------

bool LoadServerLists(ServerStore& store, ServerDefinitionPage& definition, ChooseServerPage& choose) {
  const std::vector<std::string> names = store.Names();
  choose.LoadList(names);
  definition.LoadList(names);
  return !names.empty();
}

}  // namespace tendrel
