#include "seller/enrol/ui/join_wizard.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVariant>
#include <vector>

#include "common/controls/tendrel_edit.h"
#include "host/host_calls.h"
#include "host/host_editor.h"
#include "platform/qt/keyed_picture.h"
#include "platform/qt/page_builder.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/step_runner.h"
#include "seller/core/deployment.h"
#include "seller/core/log.h"
#include "seller/shell/context.h"
#include "seller/shell/ui/drawing.h"

namespace tendrel {

namespace {

// The wizard's room beside the side picture: the pages over a row of
// buttons. Each page has the pictures at its top left and its controls in
// the column beside them.
constexpr int kWidth = 398;
constexpr int kPageHeight = 282;
constexpr int kLeft = 104;
constexpr int kColumn = kWidth - kLeft - 8;
constexpr int kButtonsTop = kPageHeight + 3;
// A field's label at the left of the column and the field beside it.
constexpr int kLabelWidth = 124;
constexpr int kFieldLeft = kLeft + kLabelWidth + 4;
constexpr int kFieldWidth = kWidth - kFieldLeft - 8;

constexpr QRect Col(int top, int height) { return QRect(kLeft, top, kColumn, height); }
constexpr QRect Label(int top) { return QRect(kLeft, top + 3, kLabelWidth, 16); }
constexpr QRect Field(int top) { return QRect(kFieldLeft, top, kFieldWidth, 22); }

// The picture behind each page and the one on it.
constexpr QPoint kBackgroundAt(8, 8);
constexpr QPoint kOverlayAt(20, 21);

QString Site() { return Q(deployment::TillonWebSite()); }

std::vector<PageControl> StartRows() {
  return {
      {Ctl::Heading, "", "Welcome to Tillon", Col(8, 18)},
      {Ctl::Text, "",
       "Tillon is designed to enable you to sell your digital content on the World Wide Web. Tillon features "
       "flexible pricing and rock-solid security, and allows you to put your 'Buy' button right on your own Web "
       "page.",
       Col(34, 88)},
      {Ctl::Text, "",
       QStringLiteral("This wizard enrols you as a Tillon vendor: it sends your details to Tillon, which answers "
                      "with your Vendor ID. The fees for selling through Tillon are explained on its web site:\n%1")
           .arg(Site()),
       Col(130, 72)},
  };
}

std::vector<PageControl> ContractRows() {
  return {
      {Ctl::Text, "",
       "Please read the contract below thoroughly.  If you don't accept one or more of the terms outlined in it "
       "then click the \"Don't Accept\" button to cancel this process.",
       QRect(8, 8, kWidth - 16, 44)},
      {Ctl::Memo, "memContract", VendorAgreementText(), QRect(8, 54, kWidth - 16, 190), {}, kCtlReadOnly},
      {Ctl::Button, "btnAccept", "&Accept", QRect(kWidth - 8 - 2 * 100 - 6, 250, 100, 25)},
      {Ctl::Button, "btnNoAccept", "&Don't Accept", QRect(kWidth - 8 - 100, 250, 100, 25)},
  };
}

std::vector<PageControl> ContactRows() {
  return {
      {Ctl::Text, "",
       "Please start entering your registration information here.  First we need to know who to contact to "
       "arrange your payments.",
       Col(8, 58)},
      {Ctl::Caption, "", "Company Name", Col(72, 16)},
      {Ctl::Edit, "txtCompanyName", "", Col(89, 22)},
      {Ctl::Caption, "", "Contact Name", Col(117, 16)},
      {Ctl::Edit, "txtContactName", "", Col(134, 22)},
      {Ctl::Text, "",
       "Any information you supply about your contact details will be used to send you the money earned through "
       "your Tillon products and will not be used for any other purpose.",
       Col(168, 72)},
  };
}

std::vector<PageControl> PhoneFaxEmailRows() {
  return {
      {Ctl::Text, "",
       "Next we need to know how to contact you.  Email will be our primary method of communication with you - "
       "please notify us if it is going to change.",
       Col(8, 58)},
      {Ctl::Caption, "", "Email Address", Col(70, 16)},
      {Ctl::Edit, "txtContactEmail", "", Col(87, 22)},
      {Ctl::Caption, "", "Phone (Include international dial codes)", Col(115, 16)},
      {Ctl::Edit, "txtPhone", "", Col(132, 22)},
      {Ctl::Caption, "", "Fax (Include international dial codes)", Col(160, 16)},
      {Ctl::Edit, "txtFax", "", Col(177, 22)},
      {Ctl::Text, "", QStringLiteral("Tillon's own contact details are on its web site:\n%1").arg(Site()), Col(209, 44)},
  };
}

std::vector<PageControl> AddressRows() {
  return {
      {Ctl::Text, "",
       "Please enter the address to which your payments can be sent.  As before, this is a very important piece "
       "of information so please notify us if it is going to change.",
       Col(8, 72)},
      {Ctl::Caption, "", "Street", Label(86)},
      {Ctl::Edit, "txtStreet", "", Field(86)},
      {Ctl::Caption, "", "City", Label(114)},
      {Ctl::Edit, "txtCity", "", Field(114)},
      {Ctl::Caption, "", "State", Label(142)},
      {Ctl::Edit, "txtState", "", Field(142)},
      {Ctl::Caption, "", "Postal / Zip code", Label(170)},
      {Ctl::Edit, "txtPostcode", "", Field(170)},
      {Ctl::Caption, "", "Country", Label(198)},
      {Ctl::Edit, "txtCountry", "", Field(198)},
  };
}

std::vector<PageControl> CategoryRows() {
  return {
      {Ctl::Text, "",
       QStringLiteral("What you enter here is listed among Tillon's member businesses on its web site:\n%1")
           .arg(Site()),
       Col(8, 58)},
      {Ctl::Caption, "", "Category", Col(72, 16)},
      {Ctl::Combo, "cmbCategory", "", Col(89, 22)},
      {Ctl::Caption, "", "Business Description (up to 60 characters)", Col(119, 16)},
      {Ctl::Edit, "txtBusinessDescription", "", Col(136, 22)},
      {Ctl::Caption, "", "Your Web Site Address", Col(166, 16)},
      {Ctl::Edit, "txtVendorURL", "http://", Col(183, 22)},
  };
}

std::vector<PageControl> PasswordRows() {
  return {
      {Ctl::Text, "",
       "Tillon  needs a password to be defined which ensures that any changes to your details come only from "
       "you.  ",
       Col(8, 58)},
      {Ctl::Text, "", "Please enter this password below - it must be at least seven characters long and contain "
                      "one number.",
       Col(70, 44)},
      {Ctl::Caption, "", "Password", Label(124)},
      {Ctl::Edit, "txtPassword", "", Field(124)},
      {Ctl::Caption, "", "Confirm", Label(152)},
      {Ctl::Edit, "txtPassword2", "", Field(152)},
  };
}

std::vector<PageControl> PriceRows() {
  return {
      {Ctl::Text, "",
       "You will now be asked to enter your credit card details. This information will be used to pay you all "
       "proceeds from your Tillon sales.",
       Col(8, 58)},
      {Ctl::Text, "", "Please Note: You will not be charged anything here.", Col(70, 30)},
      {Ctl::Text, "", "Your credit card details will be transferred securely to Tillon.", Col(104, 30)},
      {Ctl::Text, "",
       QStringLiteral("Tillon deducts a small fee from each transaction, as described on its web site:\n%1")
           .arg(Site()),
       Col(138, 58)},
      {Ctl::Button, "btnTillonWebSite", "Go To The Tillon Web Site", QRect(kLeft, 204, 200, 25)},
  };
}

std::vector<PageControl> CreditCardRows() {
  return {
      {Ctl::Text, "", "Please supply your credit card information.  ", Col(8, 30)},
      {Ctl::Text, "", "This information will be used to pay you the money you earn selling your Tillon products.",
       Col(40, 44)},
      {Ctl::Caption, "", "Name On Card", Label(92)},
      {Ctl::Edit, "txtCCName", "", Field(92)},
      {Ctl::Caption, "", "Credit Card Type", Label(120)},
      {Ctl::Combo, "cmbCCType", "", Field(120)},
      {Ctl::Caption, "", "Number (no spaces)", Label(148)},
      {Ctl::Caption, "", "Expiry Date (mmyy)", Label(176)},
  };
}

std::vector<PageControl> VendorIdRows() {
  return {
      {Ctl::Text, "lblVendorDesc",
       "Paste your Vendor ID into this box, or automatically get it from the Tillon server....", Col(8, 110)},
      {Ctl::Caption, "", "Vendor ID", Col(126, 16)},
      {Ctl::Edit, "txtVendorID", "", Col(143, 22)},
      {Ctl::Button, "btnAllowPaste", "I Want To &Paste My Vendor ID In", QRect(kLeft, 177, 230, 25)},
  };
}

// Overlay picture by page; empty hides it, null keeps the one shown.
const char* OverlayFor(int page) {
  switch (page) {
    case kStartPage:
    case kVendorIdPage: return "regwiztillon";
    case kCategoryPage: return "regwizcategory";
    case kAddressPage: return "regwizlocation";
    case kPhoneFaxEmailPage: return "regwizcontact";
    case kCreditCardPage: return "regwizcreditcard";
    case kPasswordPage: return "regwizpassword";
    case kContactPage: return "";
    default: return nullptr;
  }
}

// A field the user may leave empty carries a non-zero Tag.
bool Optional(const QWidget* w) { return w->property("Tag").toInt() != 0; }

void SelectItem(QComboBox* combo, const std::string& text) {
  combo->setCurrentIndex(combo->findText(Q(text), Qt::MatchExactly));
}

TTendrelEdit* CardField(QWidget* page, const char* name, int top, int maxLength) {
  auto* e = new TTendrelEdit(page);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(Field(top));
  e->SetNumericOnly(true);
  e->setMaxLength(maxLength);
  return e;
}

}  // namespace

QString VendorAgreementText() {
  return QStringLiteral(
      "TILLON VENDOR AGREEMENT (version 1.01)\n"
      "\n"
      "1. What this agreement covers. Tillon sells access to digital content that you publish on your own web "
      "site. By joining you become a Tillon vendor and may place Tillon Saleboxes on your pages.\n"
      "\n"
      "2. Your content. You own your content and remain responsible for it. You confirm that you have the right "
      "to sell it and that it breaks no law. Tillon may stop selling any content that is reported to break the "
      "law or these terms.\n"
      "\n"
      "3. Prices and fees. You set the price of each product. For every sale Tillon deducts the transaction fee "
      "published on its web site at the time of the sale and pays you the rest. Tillon will give you at least 30 "
      "days' notice of any change to its fees.\n"
      "\n"
      "4. Payment. Your earnings are paid to the credit card you name when you join, once a month, when they "
      "exceed the minimum published on Tillon's web site. Nothing is ever charged to that card.\n"
      "\n"
      "5. Your details. Keep your contact and payment details up to date; Tillon uses them only to pay you and to "
      "contact you about your account.\n"
      "\n"
      "6. Your password and Vendor ID. Keep your password to yourself. Anything done with your Vendor ID and "
      "password is taken to be done by you.\n"
      "\n"
      "7. Ending the agreement. Either side may end this agreement at any time by notice. Earnings from sales "
      "made before the end are still paid to you.\n"
      "\n"
      "8. Liability. Tillon runs its service with reasonable care but cannot promise that it will never be "
      "interrupted. Neither side is liable to the other for indirect losses.\n");
}

JoinWizard::JoinWizard(const WizardSite& site) : frame_(site.Frame()) {
  site.Place(BuildPages(site));
  runner_ = new StepRunner(this);
}

JoinWizard::~JoinWizard() = default;

QWidget* JoinWizard::BuildPages(const WizardSite& site) {
  auto* room = new QWidget;
  room->setObjectName(QStringLiteral("pnlJoinWizard"));
  room->setFont(PageFont());
  pgJoinWizard_ = new QStackedWidget(room);
  pgJoinWizard_->setObjectName(Q(site.InnerName()));
  pgJoinWizard_->setGeometry(0, 0, kWidth, kPageHeight);

  const std::vector<PageControl> rows[kJoinPageCount] = {
      StartRows(),  ContractRows(), ContactRows(), PhoneFaxEmailRows(), AddressRows(),
      CategoryRows(), PasswordRows(), PriceRows(),   CreditCardRows(),    VendorIdRows()};
  static const char* const kNames[kJoinPageCount] = {"tbStart",    "tbContract", "tbContact",      "tbPhoneFaxEmail",
                                                     "tbAddress",  "tbCategory", "tbPassword",     "tbPrice",
                                                     "tbCreditCard", "tbVendorID"};
  PageControls c;
  for (int i = 0; i < kJoinPageCount; ++i) {
    pages_[i] = new QWidget;
    pages_[i]->setObjectName(QString::fromLatin1(kNames[i]));
    const PageControls made = BuildPage(pages_[i], rows[i]);
    for (const PageControl& r : rows[i])
      if (!r.name.isEmpty()) c.add(r.name, made.find(r.name));
    pgJoinWizard_->addWidget(pages_[i]);
  }
  memContract_ = c.get<QPlainTextEdit>("memContract");
  memContract_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  btnAccept_ = c.get<QPushButton>("btnAccept");
  btnNoAccept_ = c.get<QPushButton>("btnNoAccept");
  txtCompanyName_ = c.get<QLineEdit>("txtCompanyName");
  txtContactName_ = c.get<QLineEdit>("txtContactName");
  txtContactEmail_ = c.get<QLineEdit>("txtContactEmail");
  txtPhone_ = c.get<QLineEdit>("txtPhone");
  txtFax_ = c.get<QLineEdit>("txtFax");
  txtFax_->setProperty("Tag", 1);
  txtStreet_ = c.get<QLineEdit>("txtStreet");
  txtCity_ = c.get<QLineEdit>("txtCity");
  txtState_ = c.get<QLineEdit>("txtState");
  txtPostcode_ = c.get<QLineEdit>("txtPostcode");
  txtCountry_ = c.get<QLineEdit>("txtCountry");
  cmbCategory_ = c.get<QComboBox>("cmbCategory");
  cmbCategory_->setEditable(true);
  cmbCategory_->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& item : BusinessCategories()) cmbCategory_->addItem(Q(item));
  txtBusinessDescription_ = c.get<QLineEdit>("txtBusinessDescription");
  txtVendorURL_ = c.get<QLineEdit>("txtVendorURL");
  txtVendorURL_->setMaxLength(kVendorUrlMax);
  txtPassword_ = c.get<QLineEdit>("txtPassword");
  txtPassword2_ = c.get<QLineEdit>("txtPassword2");
  for (QLineEdit* e : {txtPassword_, txtPassword2_}) {
    e->setEchoMode(QLineEdit::Password);
    e->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    connect(e, &QLineEdit::returnPressed, this, [this] { txtPassword2_->setFocus(Qt::OtherFocusReason); });
  }
  txtPassword2_->installEventFilter(this);
  btnTillonWebSite_ = c.get<QPushButton>("btnTillonWebSite");
  btnTillonWebSite_->hide();
  txtCCName_ = c.get<QLineEdit>("txtCCName");
  cmbCCType_ = c.get<QComboBox>("cmbCCType");
  for (const std::string& item : CardTypes()) cmbCCType_->addItem(Q(item));
  // After the rows, so the page check meets them in the order they are shown.
  txtCCNumber_ = CardField(pages_[kCreditCardPage], "txtCCNumber", 148, kCardNumberMax);
  txtCCExpiryDate_ = CardField(pages_[kCreditCardPage], "txtCCExpiryDate", 176, kCardExpiryMax);
  lblVendorDesc_ = c.get<QLabel>("lblVendorDesc");
  txtVendorID_ = c.get<QLineEdit>("txtVendorID");
  btnAllowPaste_ = c.get<QPushButton>("btnAllowPaste");

  for (QLineEdit* e : {txtCompanyName_, txtContactName_, txtContactEmail_, txtPhone_, txtFax_, txtStreet_, txtCity_,
                       txtPostcode_, txtState_, txtCountry_, txtBusinessDescription_}) {
    // Typed or pasted, these characters never reach the field.
    connect(e, &QLineEdit::textEdited, e, [e](const QString& text) {
      QString kept;
      int cursor = e->cursorPosition();
      for (qsizetype i = 0; i < text.size(); ++i) {
        if (FilteredCharacter(text.at(i).unicode())) {
          if (i < e->cursorPosition()) --cursor;
        } else {
          kept += text.at(i);
        }
      }
      if (kept != text) {
        e->setText(kept);
        e->setCursorPosition(std::max(0, cursor));
      }
    });
  }
  txtBusinessDescription_->installEventFilter(this);

  background_ = new KeyedPicture(pages_[kStartPage]);
  background_->setObjectName(QStringLiteral("imgJoinBackground"));
  background_->SetBitmapResource("regwizback");
  overlay_ = new KeyedPicture(pages_[kStartPage]);
  overlay_->setObjectName(QStringLiteral("imgJoinOverlay"));
  overlay_->SetBitmapResource("regwiztillon");

  lblJoinStatus_ = new QLabel(room);
  lblJoinStatus_->setObjectName(QStringLiteral("lblJoinStatus"));
  lblJoinStatus_->setGeometry(8, kButtonsTop + 4, 150, 18);
  const auto button = [room](const char* name, const char* text, int left) {
    auto* b = new QPushButton(QString::fromUtf8(text), room);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, kButtonsTop, 75, 25);
    return b;
  };
  btnRegisterBack_ = button("btnRegisterBack", "< &Back", kWidth - 8 - 3 * 75 - 10);
  btnRegisterNext_ = button("btnRegisterNext", "Next >&>", kWidth - 8 - 2 * 75 - 10);
  btnRegisterCancel_ = button("btnRegisterCancel", "Cancel", kWidth - 8 - 75);
  room->setMinimumSize(kWidth, kButtonsTop + 25 + 4);

  connect(pgJoinWizard_, &QStackedWidget::currentChanged, this, &JoinWizard::Arrived);
  connect(btnRegisterNext_, &QPushButton::clicked, this, &JoinWizard::Next);
  connect(btnRegisterBack_, &QPushButton::clicked, this, &JoinWizard::Back);
  connect(btnRegisterCancel_, &QPushButton::clicked, this, &JoinWizard::Cancel);
  connect(btnAccept_, &QPushButton::clicked, this, &JoinWizard::Accept);
  connect(btnNoAccept_, &QPushButton::clicked, this, &JoinWizard::DontAccept);
  connect(btnTillonWebSite_, &QPushButton::clicked, this, &JoinWizard::ShowWebSite);
  connect(btnAllowPaste_, &QPushButton::clicked, this, &JoinWizard::AllowPaste);
  return room;
}

void JoinWizard::Enter() {
  // What the Create wizard's pages show is kept in the record, so it is
  // there again on the way back (entering Create reloads its pages).
  frame_.CommitWizard(kCreateWizard);
  LoadFields();
  if (CurrentPage() == kStartPage)
    SetUpPage();
  else
    TurnToFirstPage(pgJoinWizard_);
}

void JoinWizard::LoadFields() {
  const VendorDetails d = LoadVendorDetails(frame_.Context().Settings());
  txtVendorID_->setText(d.id.empty() ? QString::fromLatin1(kNoVendorId) : Q(d.id));
  txtVendorID_->setEnabled(true);
  txtPassword_->setText(Q(d.password));
  txtPassword2_->setText(Q(d.password));
  // An enrolled vendor's password is the service's to change, not this page's.
  const bool locked = !d.password.empty() && txtVendorID_->text() != QLatin1String(kNoVendorId);
  txtPassword_->setEnabled(!locked);
  txtPassword2_->setEnabled(!locked);
  txtCompanyName_->setText(Q(d.companyName));
  txtContactName_->setText(Q(d.contactName));
  txtContactEmail_->setText(Q(d.contactEmail));
  txtPhone_->setText(Q(d.phone));
  txtFax_->setText(Q(d.fax));
  txtStreet_->setText(Q(d.street));
  txtCity_->setText(Q(d.city));
  txtState_->setText(Q(d.state));
  txtPostcode_->setText(Q(d.postcode));
  txtCountry_->setText(Q(d.country));
  SelectItem(cmbCategory_, d.businessType);
  if (cmbCategory_->currentIndex() < 0) cmbCategory_->setEditText(Q(d.businessType));
  txtBusinessDescription_->setText(Q(d.businessDescription));
  // Nothing stored yet: the address starts as the scheme, ready to finish.
  txtVendorURL_->setText(d.url.empty() ? QStringLiteral("http://") : Q(d.url));
  txtCCName_->setText(Q(d.ccName));
  SelectItem(cmbCCType_, d.ccType);
  txtCCNumber_->setText(Q(d.ccNumber));
  txtCCExpiryDate_->setText(Q(d.ccExpiryDate));
}

VendorDetails JoinWizard::Typed() const {
  VendorDetails d;
  d.id = S(txtVendorID_->text());
  d.password = S(txtPassword_->text());
  d.companyName = S(txtCompanyName_->text());
  d.contactName = S(txtContactName_->text());
  d.contactEmail = S(txtContactEmail_->text());
  d.phone = S(txtPhone_->text());
  d.fax = S(txtFax_->text());
  d.street = S(txtStreet_->text());
  d.city = S(txtCity_->text());
  d.state = S(txtState_->text());
  d.postcode = S(txtPostcode_->text());
  d.country = S(txtCountry_->text());
  d.businessType = S(cmbCategory_->currentText());
  d.businessDescription = S(txtBusinessDescription_->text().left(kBusinessDescriptionMax));
  d.url = S(txtVendorURL_->text());
  d.ccName = S(txtCCName_->text());
  d.ccType = S(cmbCCType_->currentText());
  d.ccNumber = S(txtCCNumber_->text());
  d.ccExpiryDate = S(txtCCExpiryDate_->text());
  return d;
}

int JoinWizard::CurrentPage() const { return pgJoinWizard_->currentIndex(); }

bool JoinWizard::Sending() const { return runner_->busy(); }

bool JoinWizard::ValidatePage(int page) {
  if (page < 0 || page >= kJoinPageCount) return false;
  UserDialogs& dialogs = frame_.Context().Dialogs();
  const auto refuse = [&dialogs](QWidget* focus, const char* text) {
    if (focus != nullptr) focus->setFocus(Qt::OtherFocusReason);
    dialogs.Message(text, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return false;
  };
  // The page's own edits, in the order they were put on it (the order shown).
  for (QObject* child : pages_[page]->children()) {
    auto* edit = qobject_cast<QLineEdit*>(child);
    if (edit == nullptr || !edit->isVisibleTo(pages_[page]) || Optional(edit)) continue;
    if (edit->text().isEmpty()) return refuse(edit, kFillAllFields);
  }
  switch (page) {
    case kCreditCardPage:
      if (cmbCCType_->currentIndex() < 0) return refuse(nullptr, kChooseCardType);
      break;
    case kCategoryPage:
      if (cmbCategory_->currentText().isEmpty()) return refuse(nullptr, kChooseCategory);
      if (txtBusinessDescription_->text().isEmpty()) return refuse(txtBusinessDescription_, kDescribeBusiness);
      break;
    case kPasswordPage:
      return ConfirmPassword();
    default:
      break;
  }
  return true;
}

bool JoinWizard::ConfirmPassword() {
  const std::string problem = PasswordProblem(S(txtPassword_->text()), S(txtPassword2_->text()));
  if (problem.empty()) return true;
  frame_.Context().Dialogs().Message(problem, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  return false;
}

// Every arrival on a page sets it up; the fee page's web-site button and the
// vendor-ID page's set-up come with the first arrival there (only Next gets
// there first).
void JoinWizard::Arrived(int page) {
  SetUpPage();
  if (page == kPricePage) btnTillonWebSite_->show();
  if (page == kVendorIdPage) SetUpVendorIdPage();
}

void JoinWizard::SetUpPage() {
  QWidget* window = pgJoinWizard_->window();
  const bool updates = window->updatesEnabled();
  window->setUpdatesEnabled(false);
  const int page = CurrentPage();
  if (page != kContractPage) {
    background_->setParent(pages_[page]);
    background_->move(kBackgroundAt);
    background_->show();
    overlay_->setParent(pages_[page]);
    overlay_->move(kOverlayAt);
    overlay_->raise();
  }
  if (const char* picture = OverlayFor(page)) {
    if (*picture == '\0') {
      overlay_->hide();
    } else {
      overlay_->SetBitmapResource(picture);
      overlay_->show();
    }
  } else if (page != kContractPage) {
    overlay_->show();
  }
  btnRegisterBack_->setEnabled(page > 0);
  btnRegisterNext_->setEnabled(page != kContractPage);
  btnRegisterNext_->setText(page == kJoinPageCount - 1 ? QStringLiteral("&Finish") : QStringLiteral("Next >&>"));
  window->setUpdatesEnabled(updates);
}

void JoinWizard::SetUpVendorIdPage() {
  lblVendorDesc_->setText(QString::fromUtf8(kVendorIdExplanation));
  txtVendorID_->setEnabled(false);
  if (txtVendorID_->text().isEmpty()) txtVendorID_->setText(QString::fromLatin1(kNoVendorId));
}

void JoinWizard::Next() {
  if (Sending()) return;
  const int page = CurrentPage();
  if (!ValidatePage(page)) return;
  if (page == kVendorIdPage)
    Finish();
  else
    pgJoinWizard_->setCurrentIndex(page + 1);
}

void JoinWizard::Back() {
  if (Sending() || CurrentPage() <= 0) return;
  pgJoinWizard_->setCurrentIndex(CurrentPage() - 1);
}

void JoinWizard::Cancel() {
  if (Sending()) return;
  if (frame_.Context().Dialogs().ConfirmYesNo(kLeaveJoinQuestion)) frame_.SwitchTo(kCreateWizard);
}

void JoinWizard::Accept() {
  btnRegisterNext_->setEnabled(true);
  Next();
}

void JoinWizard::DontAccept() {
  if (frame_.Context().Dialogs().ConfirmYesNo(kRejectContractQuestion)) frame_.SwitchTo(kCreateWizard);
}

void JoinWizard::AllowPaste() {
  txtVendorID_->clear();
  txtVendorID_->setEnabled(true);
  txtVendorID_->setFocus(Qt::OtherFocusReason);
}

void JoinWizard::ShowWebSite() {
  BravantContext& ctx = frame_.Context();
  if (ctx.Host() == nullptr) return;
  try {
    HostCalls(*ctx.Host()).BrowserPreview(deployment::TillonWebSite());
  } catch (const EHostError& e) {
    ctx.ReportFault(e.what());
  }
}

// The finish step: the details go out (or the pasted ID is kept), then the
// wizard hands over to Create whatever came of it.
void JoinWizard::Finish() {
  enrolment_ = std::make_unique<Enrolment>(frame_.Context());
  if (!enrolment_->ConfirmJoin()) {
    Concluded(EnrolOutcome::Declined);
    return;
  }
  Send();
}

void JoinWizard::Send() {
  const std::optional<std::string> pasted =
      txtVendorID_->isEnabled() ? std::optional<std::string>(S(txtVendorID_->text())) : std::nullopt;
  const std::optional<std::string> request = enrolment_->Prepare(Typed(), pasted);
  if (!request) {
    Concluded(enrolment_->outcome());
    return;
  }
  ServiceTransport& service = frame_.Context().Service();
  SetSending(true);
  service.Busy(true);
  const bool started = runner_->Start(
      [&service, path = *request](StepControl& control) {
        service.SetAbort(control.CancelCheck());
        ServiceOutcome outcome = service.Send(path);
        service.SetAbort({});
        return QVariant::fromValue(outcome);
      },
      [this](const QVariant& result) {
        SetSending(false);
        Concluded(enrolment_->Conclude(result.value<ServiceOutcome>()));
      });
  if (!started) {
    SetSending(false);
    Concluded(enrolment_->Conclude(service.Send(*request)));
  }
}

void JoinWizard::Concluded(EnrolOutcome outcome) {
  BravantContext& ctx = frame_.Context();
  if (outcome == EnrolOutcome::Enrolled) {
    txtVendorID_->setText(Q(enrolment_->vendorId()));
    ctx.ShowOnce(JoinedMessage(), kJoinedKey);
    frame_.EnableWizard(kCreateWizard, true);
  }
  qCInfo(lcSeller) << "enrolment ended:" << static_cast<int>(outcome);
  ctx.Service().Busy(false);
  NormalCursor();
  frame_.SwitchTo(kCreateWizard);
}

void JoinWizard::SetSending(bool on) {
  pgJoinWizard_->setEnabled(!on);
  for (QPushButton* b : {btnRegisterBack_, btnRegisterNext_, btnRegisterCancel_}) b->setEnabled(!on);
  lblJoinStatus_->setText(on ? QStringLiteral("Sending your details to Tillon...") : QString());
  if (!on) SetUpPage();
}

bool JoinWizard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (watched == txtBusinessDescription_) {
      if (txtBusinessDescription_->text().size() > kBusinessDescriptionMax)
        txtBusinessDescription_->setText(txtBusinessDescription_->text().left(kBusinessDescriptionMax));
    } else if (watched == txtPassword2_ && reason != Qt::ActiveWindowFocusReason &&
               reason != Qt::PopupFocusReason) {
      // Only a word of advice on the way out; the buttons check for
      // themselves (Next) or leave the page (Back, Cancel), so leaving for
      // them stays quiet rather than asking twice.
      QWidget* to = QApplication::focusWidget();
      if (to != btnRegisterNext_ && to != btnRegisterBack_ && to != btnRegisterCancel_ && !Sending()) {
        QMetaObject::invokeMethod(this, [this] { ConfirmPassword(); }, Qt::QueuedConnection);
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tendrel
