// The transport's display-free rules: the reply rule, the error report's
// explanation, cleaning and layout, the port check, and the activity log's
// layout, privacy and secrets.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <stdexcept>
#include <string>

#include "seller/core/settings.h"
#include "seller/service/activity_log.h"
#include "seller/service/service_query.h"
#include "seller/service/transport.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

std::string ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

ServiceConfig Config(const TempHome& home) {
  ServiceConfig c;
  c.host = "127.0.0.1";
  c.logPath = home.root() + "/tlnlog.txt";
  return c;
}

}  // namespace

TEST(ServiceReply, SuccessIsTheTokenAnywhereInAnyCase) {
  EXPECT_TRUE(ReplySucceeded("{SUCCESS}12;"));
  EXPECT_TRUE(ReplySucceeded("{success}"));
  EXPECT_TRUE(ReplySucceeded("Thank you.\r\n{Success}1001;"));
  EXPECT_FALSE(ReplySucceeded(""));
  EXPECT_FALSE(ReplySucceeded("SUCCESS"));
  EXPECT_FALSE(ReplySucceeded("{SUCCESS"));
  EXPECT_FALSE(ReplySucceeded("{ SUCCESS}"));
}

TEST(ServiceReport, ExplanationByErrorNumber) {
  EXPECT_EQ(ErrorExplanation(6, ""), "Unrecognized scheme.");
  EXPECT_EQ(ErrorExplanation(12006, ""), "Unrecognized scheme.");
  EXPECT_EQ(ErrorExplanation(7, ""), "Could not resolve host name.");
  EXPECT_EQ(ErrorExplanation(12007, ""), "Could not resolve host name.");
  EXPECT_EQ(ErrorExplanation(29, ""), "Server is not running at this time, or FTP session was dropped.");
  EXPECT_EQ(ErrorExplanation(12029, ""), "Server is not running at this time, or FTP session was dropped.");
  // The server's last response text, when there is one that fits the buffer.
  EXPECT_EQ(ErrorExplanation(3, "550 No such file"), "550 No such file");
  EXPECT_EQ(ErrorExplanation(12003, "550 No such file"), "550 No such file");
  EXPECT_EQ(ErrorExplanation(12003, ""), "No extended information available.");
  EXPECT_EQ(ErrorExplanation(12003, std::string(1999, 'x')), std::string(1999, 'x'));
  EXPECT_EQ(ErrorExplanation(12003, std::string(2000, 'x')), "No extended information available.");
  // Every other number, and none, explains nothing (the response text too).
  for (int code : {0, 5, 12002, 12030, 12045, 12004})
    EXPECT_EQ(ErrorExplanation(code, "550 No such file"), "") << code;
}

TEST(ServiceReport, CleaningDropsTitleTagsAndTokens) {
  EXPECT_EQ(CleanReply("<HTML><HEAD><title>500 Server Error</TITLE></HEAD>"
                       "<BODY><H1>Down</H1> for {MAINT} repairs</BODY></HTML>"),
            "Down for  repairs");
  EXPECT_EQ(CleanReply("  {ERROR}Unknown vendor;  "), "Unknown vendor;");
  EXPECT_EQ(CleanReply(""), "");
  // An unclosed tag and what follows it stay.
  EXPECT_EQ(CleanReply("a <b"), "a <b");
}

TEST(ServiceReport, LayoutUsesCrLfPairsAndTwoBlanks) {
  EXPECT_EQ(BuildErrorReport("Could not send http request.", "", 12029, ""),
            "Could not send http request.\r\n\r\n\r\n\r\nError 12029  "
            "Server is not running at this time, or FTP session was dropped.");
  EXPECT_EQ(BuildErrorReport("Vendor Registration Did Not Succeed", "<p>{ERROR}Wrong password;</p>", 0, ""),
            "Vendor Registration Did Not Succeed\r\n\r\nWrong password;\r\n\r\nError 0  ");
}

TEST(ServiceReport, ShownPlainLoggedAndEveryHandleClosed) {
  TempHome home;
  SettingsStore settings;
  settings.WriteText("Options", "Logging", "yes");
  ScriptedDialogs dialogs;
  ServiceTransport transport(settings, dialogs, Config(home));
  int busy = 0;
  transport.SetBusyHook([&busy](bool on) { busy = on ? 1 : 2; });
  ASSERT_TRUE(transport.Connect());
  ASSERT_TRUE(transport.Connected());
  transport.NoteError(12003, "530 Login incorrect.");
  transport.ErrorReport("Upload failed.");
  EXPECT_EQ(busy, 2) << "the normal cursor comes back first";
  EXPECT_FALSE(transport.Connected());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Upload failed.\r\n\r\n\r\n\r\nError 12003  530 Login incorrect.");
  EXPECT_EQ(dialogs.shown[0].caption, "Bravant");
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::None);
  const std::string log = ReadAll(home.root() + "/tlnlog.txt");
  EXPECT_NE(log.find(" [ERROR] Upload failed.\r\n\r\n\r\n\r\nError 12003  530 Login incorrect.\r\n"
                     "------------------------\r\n"),
            std::string::npos)
      << log;
}

TEST(ServiceConnect, PortMustLieWithinRange) {
  TempHome home;
  SettingsStore settings;
  ScriptedDialogs dialogs;
  for (const char* bad : {"65536", "-1", "0x10000"}) {
    settings.WriteText("", "Port", bad);
    ServiceTransport transport(settings, dialogs, Config(home));
    EXPECT_THROW(transport.Connect(), std::range_error) << bad;
    EXPECT_FALSE(transport.Connected()) << bad;
  }
  for (const char* good : {"0", "65535", "0x1BB", "443"}) {
    settings.WriteText("", "Port", good);
    ServiceTransport transport(settings, dialogs, Config(home));
    EXPECT_TRUE(transport.Connect()) << good;
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST(ServiceConnect, NoHostIsReportedAsNoConnection) {
  TempHome home;
  SettingsStore settings;
  ScriptedDialogs dialogs;
  ServiceConfig c = Config(home);
  c.host = "";
  ServiceTransport transport(settings, dialogs, c);
  EXPECT_FALSE(transport.Connect());
  EXPECT_FALSE(transport.Connected());
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0].rfind("Could Not Connect To Server\r\n\r\n\r\n\r\nError ", 0), 0u);
}

TEST(ActivityLog, NothingWrittenWhileLoggingIsOff) {
  TempHome home;
  SettingsStore settings;
  const std::string path = home.root() + "/tlnlog.txt";
  ActivityLog log(settings, path);
  log.Write("[SENT] /vendor/x.html");
  settings.WriteText("Options", "Logging", "No");
  log.Write("[SENT] /vendor/x.html");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(ActivityLog, LayoutPrivacyAndSecrets) {
  TempHome home;
  SettingsStore settings;
  settings.WriteText("Options", "Logging", "YES");
  const std::string path = home.root() + "/tlnlog.txt";
  ActivityLog log(settings, path);
  log.Write("[SENT] /vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=Sesame%20Open"
            "&company_name=Smith%26Sons&cc_number=4111111111111111&cc_type=VISA");
  log.Write("[ERROR] Registration of X has failed.\r\n\r\n/vendor/VendorProductReplace.html?vendor_id=7\r\n"
            "vendor_password=Sesame%20Open\r\nproduct_key=00112233445566778899AABBCCDDEEFF");
  const std::string text = ReadAll(path);
  ASSERT_EQ(text.rfind("File created on ", 0), 0u) << text;
  // The first entry follows the creation line on the same line: one CR LF
  // ends the first entry, then the rule.
  const size_t firstEnd = text.find("\r\n");
  const std::string firstLine = text.substr(0, firstEnd);
  EXPECT_NE(firstLine.find(" [SENT] /vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=****"
                           "&company_name=Smith%26Sons&cc_number=****&cc_type=VISA"),
            std::string::npos)
      << firstLine;
  EXPECT_EQ(text.substr(firstEnd, 28), "\r\n------------------------\r\n");
  EXPECT_NE(text.find("\r\nvendor_password=****\r\nproduct_key=****\r\n------------------------\r\n"),
            std::string::npos)
      << text;
  for (const char* secret : {"Sesame", "4111111111111111", "00112233"})
    EXPECT_EQ(text.find(secret), std::string::npos) << secret;
  EXPECT_EQ(text.find("-------------------------"), std::string::npos) << "exactly 24 hyphens";

  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ActivityLog, MaskingKeepsEverythingElse) {
  EXPECT_EQ(MaskSecrets("?vendor_id=12&vendor_password=&key=AB"), "?vendor_id=12&vendor_password=&key=****");
  EXPECT_EQ(MaskSecrets("?monkey=1&keys=2&product_key=3"), "?monkey=1&keys=2&product_key=****");
  EXPECT_EQ(MaskSecrets("{SUCCESS}12; a=b=c"), "{SUCCESS}12; a=b=c");
  EXPECT_EQ(MaskSecrets("no pairs here"), "no pairs here");
  EXPECT_EQ(MaskSecrets("CC_NUMBER=1&x"), "CC_NUMBER=****&x");
}

TEST(ServiceQuery, EveryValueEscapedInOrderIdsIncluded) {
  const std::string q = ServiceQuery("/vendor/VendorRegisterUpdate.html")
                            .Add("vendor_id", "12&vendor_password=x")
                            .Add("company_name", "O'Neil & Sons")
                            .Add("cc_amount", "0")
                            .Add("reseller_id", "R 7=")
                            .Text();
  EXPECT_EQ(q, "/vendor/VendorRegisterUpdate.html?vendor_id=12%26vendor_password%3Dx"
               "&company_name=O%60Neil%20%26%20Sons&cc_amount=0&reseller_id=R%207%3D");
  // A value too long for the escaping buffer goes out empty; an empty one too.
  EXPECT_EQ(ServiceQuery("/p").Add("a", std::string(400, ' ')).Add("b", "").Text(), "/p?a=&b=");
}
