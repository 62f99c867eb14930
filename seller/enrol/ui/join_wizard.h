#pragma once
// The Join wizard: enrols the author as a Tillon vendor, page by page. The
// pages collect the vendor's details; Finish sends them to the service (or
// stores a vendor ID the user pastes in) while the window stays responsive.
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

#include "seller/enrol/enrolment.h"
#include "seller/enrol/vendor_details.h"
#include "seller/shell/ui/wizard_table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace tendrel {

class KeyedPicture;
class StepRunner;
class TTendrelEdit;

// The pages, in the order they are walked.
enum JoinPage {
  kStartPage,
  kContractPage,
  kContactPage,
  kPhoneFaxEmailPage,
  kAddressPage,
  kCategoryPage,
  kPasswordPage,
  kPricePage,
  kCreditCardPage,
  kVendorIdPage,
  kJoinPageCount
};

// The questions of the wizard's own buttons.
inline constexpr char kLeaveJoinQuestion[] = "Are you sure you want to leave the Tillon Registration Wizard ?";
inline constexpr char kRejectContractQuestion[] =
    "Are you sure you wish to reject the terms of the contract ?  The registration process will be cancelled if "
    "you choose \"Yes\".";
// What the vendor-ID page explains once it is reached.
inline constexpr char kVendorIdExplanation[] =
    "To obtain a Vendor ID, or to send changes to Tillon, please click on the \"Finish\" button.\r\n\r\nIf you "
    "have been sent a Vendor ID and would like to use it now, click on the \"I Want To Paste My Vendor ID\" "
    "button below.";

class JoinWizard : public QObject, public Wizard {
  Q_OBJECT

 public:
  explicit JoinWizard(const WizardSite& site);
  ~JoinWizard() override;
  static std::unique_ptr<Wizard> Make(const WizardSite& site) { return std::make_unique<JoinWizard>(site); }

  // Loads the fields from the settings, turns to the first page, sets it up.
  void Enter() override;

  // The buttons.
  void Next();
  void Back();
  void Cancel();
  void Accept();
  void DontAccept();
  void AllowPaste();
  void ShowWebSite();

  // Fills the fields from the settings section Vendor.
  void LoadFields();
  // The fields as typed (the description cut to its 60 characters).
  VendorDetails Typed() const;
  // Runs the page's checks; shows the first problem and focuses its field.
  bool ValidatePage(int page);
  // The password rules; shows the problem when there is one.
  bool ConfirmPassword();

  int CurrentPage() const;
  // True while the details are on their way to the service.
  bool Sending() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPages(const WizardSite& site);
  void Arrived(int page);
  void SetUpPage();
  void SetUpVendorIdPage();
  void Finish();
  void Send();
  void Concluded(EnrolOutcome outcome);
  void SetSending(bool on);

  WizardFrame& frame_;
  QStackedWidget* pgJoinWizard_ = nullptr;
  QWidget* pages_[kJoinPageCount] = {};
  KeyedPicture* background_ = nullptr;
  KeyedPicture* overlay_ = nullptr;
  QPushButton* btnRegisterBack_ = nullptr;
  QPushButton* btnRegisterNext_ = nullptr;
  QPushButton* btnRegisterCancel_ = nullptr;
  QPushButton* btnAccept_ = nullptr;
  QPushButton* btnNoAccept_ = nullptr;
  QPushButton* btnTillonWebSite_ = nullptr;
  QPushButton* btnAllowPaste_ = nullptr;
  QLabel* lblVendorDesc_ = nullptr;
  QLabel* lblJoinStatus_ = nullptr;
  QPlainTextEdit* memContract_ = nullptr;
  QLineEdit *txtCompanyName_ = nullptr, *txtContactName_ = nullptr;
  QLineEdit *txtContactEmail_ = nullptr, *txtPhone_ = nullptr, *txtFax_ = nullptr;
  QLineEdit *txtStreet_ = nullptr, *txtCity_ = nullptr, *txtState_ = nullptr, *txtPostcode_ = nullptr,
            *txtCountry_ = nullptr;
  QComboBox* cmbCategory_ = nullptr;
  QLineEdit *txtBusinessDescription_ = nullptr, *txtVendorURL_ = nullptr;
  QLineEdit *txtPassword_ = nullptr, *txtPassword2_ = nullptr;
  QLineEdit* txtCCName_ = nullptr;
  QComboBox* cmbCCType_ = nullptr;
  TTendrelEdit *txtCCNumber_ = nullptr, *txtCCExpiryDate_ = nullptr;
  QLineEdit* txtVendorID_ = nullptr;

  std::unique_ptr<Enrolment> enrolment_;
  StepRunner* runner_ = nullptr;
};

// The vendor agreement shown on the contract page.
QString VendorAgreementText();

}  // namespace tendrel
