// The transport against the stand-in Tillon service over HTTPS with a test
// CA: requests as the service sees them, the kept connection, and failures
// that each end in the error report within the time-outs.
#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "seller/core/settings.h"
#include "seller/service/transport.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

using namespace tendrel;

namespace {

constexpr char kEnrol[] =
    "/vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=open%20sesame&company_name=Smith%20%26%20Sons"
    "&cc_number=4111111111111111&reseller_id=";

class ServiceExchange : public ::testing::Test {
 protected:
  void SetUp() override { settings_.WriteText("Options", "Logging", "Yes"); }

  ServiceConfig Config(int stallMs = 5000) const {
    ServiceConfig c;
    c.host = "127.0.0.1";
    c.timeouts.connectMs = 3000;
    c.timeouts.stallMs = stallMs;
    c.logPath = home_.root() + "/tlnlog.txt";
    return c;
  }
  void UsePort(int port) { settings_.WriteInteger("", "Port", port); }
  std::string Log() const {
    QFile f(QString::fromStdString(home_.root() + "/tlnlog.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  static long long MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  }

  TempHome home_;
  SettingsStore settings_;
  ScriptedDialogs dialogs_;
};

}  // namespace

TEST_F(ServiceExchange, RequestArrivesByteForByteAndConnectionIsKept) {
  TillonStandIn service;
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  UsePort(service.port());
  ServiceTransport transport(settings_, dialogs_, Config());
  ASSERT_TRUE(transport.Connect());

  const std::string reply = transport.Request(kEnrol);
  EXPECT_EQ(reply, "{SUCCESS}1001;");
  EXPECT_EQ(transport.LastError(), 0);
  const std::string details = transport.Request("/vendor/VendorProductDetails.html?vendor_id=1001"
                                                "&vendor_password=open%20sesame");
  EXPECT_EQ(details, "{SUCCESS}\n{ENDALL}");
  EXPECT_TRUE(transport.Request("/vendor/VendorProductDelete.html?vendor_id=1001&vendor_password=x&product_id=1")
                  .find("{ERROR}") == 0);
  EXPECT_TRUE(dialogs_.shown.empty());

  const auto lines = service.Requests();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].request, std::string("GET ") + kEnrol + " HTTP/1.1");
  EXPECT_EQ(lines[1].connection, lines[0].connection) << "the connection is kept between requests";
  EXPECT_EQ(lines[2].connection, lines[0].connection);

  // The log holds both directions, without the password or the card number.
  const std::string log = Log();
  EXPECT_NE(log.find("[SENT] /vendor/VendorRegisterUpdate.html?vendor_id=&vendor_password=****"
                     "&company_name=Smith%20%26%20Sons&cc_number=****&reseller_id=\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("[RECEIVED] {SUCCESS}1001;\r\n------------------------\r\n"), std::string::npos);
  EXPECT_EQ(log.find("sesame"), std::string::npos);
  EXPECT_EQ(log.find("4111"), std::string::npos);

  // A reply the caller refuses: its report closes everything, and the next
  // request goes out on a new connection.
  transport.ErrorReport("Vendor Registration Did Not Succeed", "{ERROR}Unknown vendor;");
  EXPECT_FALSE(transport.Connected());
  ASSERT_TRUE(transport.Connect());
  EXPECT_EQ(transport.Request(kEnrol), "{SUCCESS}1002;");
  const auto after = service.Requests();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_NE(after[3].connection, after[2].connection);
}

TEST_F(ServiceExchange, HtmlErrorPageComesBackForTheCallerToReport) {
  TillonStandIn service({QStringLiteral("--html-error")});
  ASSERT_NE(service.port(), 0);
  TrustedCa ca(service.CaFile());
  UsePort(service.port());
  ServiceTransport transport(settings_, dialogs_, Config());
  ASSERT_TRUE(transport.Connect());
  const std::string reply = transport.Request(kEnrol);
  ASSERT_FALSE(ReplySucceeded(reply));
  EXPECT_TRUE(dialogs_.shown.empty()) << "an HTTP error status is still a whole reply";
  transport.ErrorReport("Vendor Registration Did Not Succeed", reply);
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0],
            "Vendor Registration Did Not Succeed\r\n\r\nInternal Server Error\r\n"
            "The Tillon database is not available .\r\n\r\nError 0  ");
}

TEST_F(ServiceExchange, FailuresEndInTheReportAndTheNextRequestReconnects) {
  TillonStandIn refusing({QStringLiteral("--refuse")});
  TillonStandIn slow({QStringLiteral("--slow"), QStringLiteral("30")});
  TillonStandIn resetting({QStringLiteral("--reset-mid-body")});
  TillonStandIn good;
  ASSERT_NE(refusing.port(), 0);
  ASSERT_NE(slow.port(), 0);
  ASSERT_NE(resetting.port(), 0);
  ASSERT_NE(good.port(), 0);
  struct Case {
    const char* what;
    int port;
    std::string caFile;
    const char* message;
    int code;  // 0: any failure number
  };
  const Case cases[] = {
      {"refused", refusing.port(), good.CaFile(), kCouldNotSend, kInetCannotConnect},
      {"slow", slow.port(), slow.CaFile(), kCouldNotSend, kInetTimeout},
      {"reset mid-body", resetting.port(), resetting.CaFile(), kCouldNotRead, 0},
      {"certificate of another CA", slow.port(), good.CaFile(), kCouldNotSend, kInetInvalidCA},
  };
  ServiceTransport transport(settings_, dialogs_, Config(800));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialogs_.shown.clear();
    TrustedCa ca(c.caFile);
    UsePort(c.port);
    ASSERT_TRUE(transport.Connect());
    const auto t0 = std::chrono::steady_clock::now();
    const std::string reply = transport.Request(kEnrol);
    EXPECT_LT(MsSince(t0), 6000) << "bounded by the time-outs";
    EXPECT_EQ(reply, "");
    EXPECT_FALSE(transport.Connected()) << "the report closed everything";
    ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
    const std::string shown = dialogs_.MessageTexts()[0];
    EXPECT_EQ(shown.rfind(std::string(c.message) + "\r\n\r\n\r\n\r\nError ", 0), 0u) << shown;
    if (c.code != 0) {
      EXPECT_EQ(transport.LastError(), c.code);
      EXPECT_EQ(shown, BuildErrorReport(c.message, "", c.code, ""));
    } else {
      EXPECT_NE(transport.LastError(), 0);
    }
  }
  // Whatever failed before, the next request connects afresh and goes through.
  dialogs_.shown.clear();
  TrustedCa ca(good.CaFile());
  UsePort(good.port());
  ASSERT_TRUE(transport.Connect());
  EXPECT_EQ(transport.Request(kEnrol), "{SUCCESS}1001;");
  EXPECT_TRUE(dialogs_.shown.empty());

  // The log keeps the order: sent, the report, then the empty reply.
  const std::string log = Log();
  const size_t sent = log.find("[SENT] ");
  const size_t error = log.find("[ERROR] Could not send http request.", sent);
  const size_t received = log.find("[RECEIVED] \r\n", error);
  EXPECT_NE(sent, std::string::npos);
  EXPECT_NE(error, std::string::npos);
  EXPECT_NE(received, std::string::npos);
}

TEST_F(ServiceExchange, SendShowsNothingAndFinishReportsLater) {
  TillonStandIn refusing({QStringLiteral("--refuse")});
  ASSERT_NE(refusing.port(), 0);
  UsePort(refusing.port());
  ServiceTransport transport(settings_, dialogs_, Config());
  std::vector<bool> cursor;
  transport.SetBusyHook([&cursor](bool busy) { cursor.push_back(busy); });
  ASSERT_TRUE(transport.Connect());
  cursor.clear();
  const ServiceOutcome outcome = transport.Send(kEnrol);
  EXPECT_FALSE(outcome);
  EXPECT_EQ(outcome.failure, kCouldNotSend);
  EXPECT_TRUE(dialogs_.shown.empty()) << "the blocking part shows nothing";
  EXPECT_TRUE(cursor.empty()) << "nor touches the cursor";
  EXPECT_EQ(transport.Finish(outcome), "");
  EXPECT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(cursor, std::vector<bool>{false}) << "the report restores the normal cursor";

  // Without a connection the request cannot even be opened.
  dialogs_.shown.clear();
  EXPECT_EQ(transport.Request(kEnrol), "");
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0], BuildErrorReport(kCouldNotOpen, "", 6, ""));
}

TEST_F(ServiceExchange, LargeRepliesComeWholeUpTo64MiB) {
  TillonStandIn large({QStringLiteral("--pad"), QString::number(3 << 20)});
  TillonStandIn huge({QStringLiteral("--pad"), QString::number(64 << 20)}, large.TlsDir());
  ASSERT_NE(large.port(), 0);
  ASSERT_NE(huge.port(), 0);
  TrustedCa ca(large.CaFile());
  settings_.WriteText("Options", "Logging", "No");  // keeps 3 MiB out of the log
  ServiceTransport transport(settings_, dialogs_, Config());

  UsePort(large.port());
  ASSERT_TRUE(transport.Connect());
  const std::string reply = transport.Request(kEnrol);
  EXPECT_EQ(reply.size(), std::string("{SUCCESS}1001;").size() + (3u << 20));
  EXPECT_EQ(reply.rfind("{SUCCESS}1001; ", 0), 0u);
  EXPECT_TRUE(dialogs_.shown.empty());

  // One byte beyond 64 MiB is refused as a failure, not cut short silently.
  transport.CloseAll();
  UsePort(huge.port());
  ASSERT_TRUE(transport.Connect());
  EXPECT_EQ(transport.Request(kEnrol), "");
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0], BuildErrorReport(kCouldNotRead, "", kInetInvalidServerResponse, ""));
}
