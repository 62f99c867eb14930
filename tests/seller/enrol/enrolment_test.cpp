// Enrolment end to end against the stand-in Tillon service over HTTPS with a
// test CA: what the service receives, what is stored, what the user is told.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/inet/inet.h"
#include "seller/core/settings.h"
#include "seller/enrol/enrolment.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

using namespace tendrel;

namespace {

VendorDetails Typed() {
  VendorDetails d;
  d.password = "secret77";
  d.companyName = "Smith Sons";
  d.contactName = "Ann";
  d.contactEmail = "ann@smith.example";
  d.phone = "0113 496 0000";
  d.street = "1 High St";
  d.city = "Leeds";
  d.state = "Yorks";
  d.postcode = "LS1";
  d.country = "UK";
  d.businessType = "Business";
  d.businessDescription = "Tools";
  d.url = "http://smith.example/";
  d.ccName = "Ann O'Brien";
  d.ccType = "Visa";
  d.ccNumber = "4111111111111111";
  d.ccExpiryDate = "1228";
  return d;
}

// The line the service records for a new enrolment of Typed().
constexpr char kNewEnrolmentLine[] =
    "GET /vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=secret77&company_name=Smith%20Sons"
    "&contact_name=Ann&contact_email=ann@smith.example&street=1%20High%20St&city=Leeds&state=Yorks&zip=LS1"
    "&country=UK&phone=0113%20496%200000&fax=&cc_name=Ann%20O%60Brien&cc_number=4111111111111111"
    "&cc_expiry_date=1228&cc_type=Visa&cc_amount=0&business_type=Business&business_description=Tools"
    "&vendor_url=http://smith.example/&contract_version=1.01&tln_version=BV1.0&reseller_id= HTTP/1.1";

class EnrolmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    hadDirs_ = dirs != nullptr;
    if (dirs) oldDirs_ = dirs;
    // No reseller code unless a test installs one.
    setenv("XDG_CONFIG_DIRS", (home_.root() + "/system").c_str(), 1);
  }
  void TearDown() override {
    if (hadDirs_) setenv("XDG_CONFIG_DIRS", oldDirs_.c_str(), 1);
    else unsetenv("XDG_CONFIG_DIRS");
  }

  static ServiceConfig Config(int stallMs = 5000) {
    ServiceConfig c;
    c.host = "127.0.0.1";
    c.timeouts.connectMs = 3000;
    c.timeouts.stallMs = stallMs;
    return c;
  }
  std::string VendorId() const { return ctx_.Settings().ReadText("Vendor", "ID", "x"); }
  // The installation's record of the reseller, on the machine-wide key.
  void InstallReseller(const std::string& code) {
    QDir().mkpath(QString::fromStdString(home_.root() + "/system/Tendrel"));
    QFile f(QString::fromStdString(home_.root() + "/system/Tendrel/Tillon.conf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[General]\nReseller%20ID=" + code + "\n").c_str());
  }

  TempHome home_;
  ScriptedDialogs dialogs_;
  BravantContext ctx_{dialogs_, "\\Software\\Tendrel\\Tillon", Config()};
  std::string oldDirs_;
  bool hadDirs_ = false;
};

}  // namespace

TEST_F(EnrolmentTest, NewVendorIsAskedSendsTheCardAndKeepsTheIssuedId) {
  TillonStandIn service({QStringLiteral("--spaced-id")});
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  ctx_.Settings().WriteInteger("", "Port", service.port());
  ctx_.Settings().WriteText("Vendor", "ID", "");
  dialogs_.messageAnswers = {MsgResult::Yes};

  Enrolment enrolment(ctx_);
  EXPECT_EQ(enrolment.Run(Typed(), std::nullopt), EnrolOutcome::Enrolled);
  EXPECT_EQ(enrolment.vendorId(), "1001");  // the blanks and tab around it dropped
  EXPECT_EQ(VendorId(), "1001");
  EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{kJoinQuestion, kJoinedCongratulations}));
  EXPECT_EQ(dialogs_.shown.front().icon, MsgIcon::Information);
  EXPECT_EQ(dialogs_.shown.front().buttons, MsgButtons::YesNo);
  const auto lines = service.Requests();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].request, kNewEnrolmentLine);
  // What was typed is kept, whatever comes of the request.
  EXPECT_EQ(ctx_.Settings().ReadText("Vendor", "Company Name", ""), "Smith Sons");
}

TEST_F(EnrolmentTest, EnrolledVendorUpdatesWithoutQuestionOrCardDetails) {
  TillonStandIn service;
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  ctx_.Settings().WriteInteger("", "Port", service.port());
  dialogs_.messageAnswers = {MsgResult::Yes};
  ASSERT_EQ(Enrolment(ctx_).Run(Typed(), std::nullopt), EnrolOutcome::Enrolled);
  dialogs_.shown.clear();

  VendorDetails changed = Typed();
  changed.city = "York";
  Enrolment update(ctx_);
  EXPECT_EQ(update.Run(changed, std::nullopt), EnrolOutcome::Updated);
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{kDetailsUpdated});
  EXPECT_EQ(VendorId(), "1001");
  const auto lines = service.Requests();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].request.rfind("GET /vendor/VendorRegisterUpdate.html?vendor_id=1001&vendor_password=secret77&", 0),
            0u);
  EXPECT_NE(lines[1].request.find("&city=York&"), std::string::npos);
  EXPECT_NE(lines[1].request.find("&fax=&cc_name=&cc_number=&cc_expiry_date=&cc_type=&cc_amount=&business_type="),
            std::string::npos)
      << lines[1].request;
  // The kept connection carried both.
  EXPECT_EQ(lines[1].connection, lines[0].connection);
}

TEST_F(EnrolmentTest, ResellerCodeComesFromTheInstallation) {
  TillonStandIn service;
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  ctx_.Settings().WriteInteger("", "Port", service.port());
  InstallReseller("R-42");
  EXPECT_EQ(ReadResellerCode(), "R-42");
  dialogs_.messageAnswers = {MsgResult::Yes};
  EXPECT_EQ(Enrolment(ctx_).Run(Typed(), std::nullopt), EnrolOutcome::Enrolled);
  const auto lines = service.Requests();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].request.find("&tln_version=BV1.0&reseller_id=R-42 HTTP/1.1"), std::string::npos);
}

TEST_F(EnrolmentTest, SuccessWithoutAUsableIdStoresNothing) {
  for (const char* option : {"--token-without-semicolon", "--token-without-id"}) {
    SCOPED_TRACE(option);
    TillonStandIn service({QString::fromLatin1(option)});
    ASSERT_NE(service.port(), 0);
    TrustedCa ca(service.CaFile());
    ctx_.Settings().WriteInteger("", "Port", service.port());
    ctx_.Settings().WriteText("Vendor", "ID", "");
    dialogs_.shown.clear();
    dialogs_.messageAnswers = {MsgResult::Yes};
    ctx_.Service().CloseAll();
    EXPECT_EQ(Enrolment(ctx_).Run(Typed(), std::nullopt), EnrolOutcome::IdMissing);
    EXPECT_EQ(VendorId(), "");
    EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{kJoinQuestion, kIdDidNotArrive}));
  }
}

TEST_F(EnrolmentTest, RefusalsAndFailuresEndInOneReportAndKeepTheId) {
  const auto start = std::chrono::steady_clock::now();
  TillonStandIn other;  // a CA that vouches for a different server
  ASSERT_NE(other.port(), 0);
  const struct {
    const char* what;
    QStringList options;
    const char* message;  // the report's first line
    bool sent;            // whether the service saw the request
  } cases[] = {
      {"no token", {QStringLiteral("--no-token")}, kRegistrationFailed, true},
      {"HTML error page", {QStringLiteral("--html-error")}, kRegistrationFailed, true},
      {"slow server", {QStringLiteral("--slow"), QStringLiteral("30")}, kCouldNotSend, true},
      {"reset mid-body", {QStringLiteral("--reset-mid-body")}, kCouldNotRead, true},
      {"refused", {QStringLiteral("--refuse")}, kCouldNotSend, false},
      {"untrusted certificate", {}, kCouldNotSend, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TillonStandIn service(c.options);
    ASSERT_NE(service.port(), 0);
    const bool untrusted = std::string(c.what) == "untrusted certificate";
    TrustedCa ca(untrusted ? other.CaFile() : service.CaFile());
    BravantContext ctx(dialogs_, "\\Software\\Tendrel\\Tillon", Config(1500));
    ctx.Settings().WriteInteger("", "Port", service.port());
    ctx.Settings().WriteText("Vendor", "ID", "");
    dialogs_.shown.clear();
    dialogs_.messageAnswers = {MsgResult::Yes};

    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Enrolment(ctx).Run(Typed(), std::nullopt), EnrolOutcome::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_EQ(ctx.Settings().ReadText("Vendor", "ID", "x"), "");
    ASSERT_EQ(dialogs_.shown.size(), 2u);  // the question, then one report
    const std::string report = dialogs_.shown[1].text;
    EXPECT_EQ(report.rfind(std::string(c.message) + "\r\n\r\n", 0), 0u) << report;
    EXPECT_EQ(dialogs_.shown[1].caption, "Bravant");
    EXPECT_FALSE(ctx.Service().Connected());  // the next request connects afresh
    EXPECT_EQ(!service.Requests().empty(), c.sent);
    if (std::string(c.what) == "HTML error page") {
      // Only the page's body text, without title, tags or brace tokens.
      EXPECT_EQ(report,
                std::string(kRegistrationFailed) +
                    "\r\n\r\nInternal Server Error\r\nThe Tillon database is not available .\r\n\r\nError 0  ");
    }
    if (untrusted) {
      EXPECT_NE(report.find("Error " + std::to_string(kInetInvalidCA)), std::string::npos) << report;
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(EnrolmentTest, PastedIdIsStoredWithoutAnyRequest) {
  // No service at all: nothing may be sent.
  ctx_.Settings().WriteInteger("", "Port", 9);
  dialogs_.messageAnswers = {MsgResult::Yes};
  Enrolment enrolment(ctx_);
  EXPECT_EQ(enrolment.Run(Typed(), std::string("P-77")), EnrolOutcome::PastedStored);
  EXPECT_EQ(VendorId(), "P-77");
  EXPECT_EQ(dialogs_.MessageTexts(), (std::vector<std::string>{kJoinQuestion, kPastedIdStored}));
  EXPECT_EQ(ctx_.Settings().ReadText("Vendor", "City", ""), "Leeds");
  EXPECT_FALSE(ctx_.Service().Connected());
}

TEST_F(EnrolmentTest, DecliningTheQuestionSavesAndSendsNothing) {
  ctx_.Settings().WriteInteger("", "Port", 9);
  dialogs_.messageAnswers = {MsgResult::No};
  Enrolment enrolment(ctx_);
  EXPECT_EQ(enrolment.Run(Typed(), std::nullopt), EnrolOutcome::Declined);
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{kJoinQuestion});
  EXPECT_EQ(ctx_.Settings().ReadText("Vendor", "Company Name", "none"), "none");
  EXPECT_FALSE(ctx_.Service().Connected());
}
