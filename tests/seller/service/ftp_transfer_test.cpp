// Bravant's FTP transfer against the stand-in FTP server (pyftpdlib): the
// one kept connection under the transport, the messages of its failures as
// the error report shows and logs them, and the next operation after one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "seller/core/settings.h"
#include "seller/service/ftp_transfer.h"
#include "seller/service/transport.h"
#include "support/ftp_stand_in.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

class FtpTransferTest : public ::testing::Test {
 protected:
  void SetUp() override { settings_.WriteText("Options", "Logging", "Yes"); }

  ServiceConfig Config(int stallMs = 3000) const {
    ServiceConfig c;
    c.host = "127.0.0.1";
    c.timeouts.connectMs = 3000;
    c.timeouts.stallMs = stallMs;
    c.logPath = home_.root() + "/tlnlog.txt";
    return c;
  }
  std::string Log() const {
    QFile f(QString::fromStdString(home_.root() + "/tlnlog.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  // A local file of size bytes; name may hold a backslash, which is no folder here.
  std::string LocalFile(const std::string& name, size_t size = 1000) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 13) & 0xFF);
    const QString path = local_.filePath(QString::fromStdString(name));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(data.data(), static_cast<qint64>(data.size()));
    return path.toStdString();
  }
  static std::string Bytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  static std::string ConnectMessage(const std::string& host, const std::string& directory) {
    return "Could not connect to FTP host (" + host + ") or change directory (" + directory + ")";
  }
  static long long MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  }

  TempHome home_;
  SettingsStore settings_;
  ScriptedDialogs dialogs_;
  QTemporaryDir local_;
};

}  // namespace

TEST_F(FtpTransferTest, UploadsGoToTheLoginDirectoryAndBelowOverOneConnection) {
  FtpStandIn server;
  ASSERT_NE(server.port(), 0);
  QDir(server.Home()).mkpath(QStringLiteral("www/shop"));
  ServiceTransport transport(settings_, dialogs_, Config());
  FtpTransfer& ftp = transport.Ftp();
  EXPECT_FALSE(ftp.Connected());

  // An empty starting directory stays where the login lands.
  ASSERT_TRUE(ftp.FtpConnect(server.Address(), "", FtpStandIn::kUser, FtpStandIn::kPassword));
  EXPECT_TRUE(ftp.Connected());
  EXPECT_EQ(ftp.CurrentDir(), "/");
  const std::string product = LocalFile("pre\\tale.e", 70000);
  ASSERT_TRUE(ftp.FtpPutSameName(product));
  EXPECT_EQ(server.FileText("tale.e"), Bytes(product)) << "the name after the last backslash";

  // Directories: one that exists counts as made, "..", relative remote names.
  ASSERT_TRUE(ftp.FtpMakeDir("www"));
  EXPECT_EQ(transport.LastError(), 0);
  ASSERT_TRUE(ftp.FtpChangeDir("www"));
  ASSERT_TRUE(ftp.FtpMakeDir("classes"));
  ASSERT_TRUE(ftp.FtpChangeDir("classes"));
  ASSERT_TRUE(ftp.FtpChangeDir(".."));
  EXPECT_EQ(ftp.CurrentDir(), "/www");
  const std::string preview = LocalFile("tale.gif", 300);
  ASSERT_TRUE(ftp.FtpPut(preview, "shop/tale.gif", false));
  EXPECT_EQ(server.FileText("www/shop/tale.gif"), Bytes(preview));
  EXPECT_TRUE(server.Exists("www/classes"));

  // The blocking part reports the bytes sent of the whole.
  std::vector<uint64_t> sent;
  const FtpOutcome outcome = ftp.PutSameName(product, [&sent](uint64_t s, uint64_t total) {
    EXPECT_EQ(total, 70000u);
    sent.push_back(s);
  });
  EXPECT_TRUE(outcome);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), 70000u);
  EXPECT_EQ(server.FileText("www/tale.e"), Bytes(product));

  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(server.Connections(), 1u);
  EXPECT_FALSE(server.CommandsOf("EPRT").empty()) << "active mode unless the settings say passive";
}

TEST_F(FtpTransferTest, AnotherConnectKeepsTheConnectionOnlyForTheSameServer) {
  FtpStandIn first;
  FtpStandIn second;
  ASSERT_NE(first.port(), 0);
  ASSERT_NE(second.port(), 0);
  QDir(first.Home()).mkpath(QStringLiteral("pub/a"));
  QDir(first.Home()).mkpath(QStringLiteral("web"));
  ServiceTransport transport(settings_, dialogs_, Config());
  FtpTransfer& ftp = transport.Ftp();
  const std::string file = LocalFile("item.e");

  ASSERT_TRUE(ftp.FtpConnect(first.Address(), "pub", "vendor", "secret"));
  ASSERT_TRUE(ftp.FtpChangeDir("a"));
  // The same server, login and starting directory: the connection and its
  // current directory stay.
  ASSERT_TRUE(ftp.FtpConnect(first.Address(), "pub", "vendor", "secret"));
  EXPECT_EQ(ftp.CurrentDir(), "/pub/a");
  EXPECT_EQ(first.Connections(), 1u);

  // Another starting directory connects anew and starts there.
  ASSERT_TRUE(ftp.FtpConnect(first.Address(), "web", "vendor", "secret"));
  EXPECT_EQ(ftp.CurrentDir(), "/web");
  EXPECT_EQ(first.Connections(), 2u);

  // Another server: the files go there, not to the server connected before.
  ASSERT_TRUE(ftp.FtpConnect(second.Address(), "", "vendor", "secret"));
  ASSERT_TRUE(ftp.FtpPutSameName(file));
  EXPECT_TRUE(second.Exists("item.e"));
  EXPECT_FALSE(first.Exists("web/item.e"));

  // Another login (and password) on the same server connects anew; a wrong
  // one fails instead of riding on the open connection.
  EXPECT_FALSE(ftp.FtpConnect(second.Address(), "", "vendor", "not the password"));
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0], ConnectMessage(second.Address(), "") + "\r\n\r\n\r\n\r\nError 12014  ");
  EXPECT_FALSE(ftp.Connected());
  EXPECT_TRUE(dialogs_.shown.size() == 1 && dialogs_.shown[0].caption == "Bravant");
}

TEST_F(FtpTransferTest, ConnectFailuresNameTheHostAndTheDirectory) {
  FtpStandIn refusing({QStringLiteral("--refuse")});
  FtpStandIn good;
  ASSERT_NE(refusing.port(), 0);
  ASSERT_NE(good.port(), 0);
  ServiceTransport transport(settings_, dialogs_, Config());
  FtpTransfer& ftp = transport.Ftp();

  EXPECT_FALSE(ftp.FtpConnect(refusing.Address(), "public_html", "vendor", "secret"));
  EXPECT_EQ(transport.LastError(), 12029);
  EXPECT_FALSE(ftp.FtpConnect(good.Address(), "public_html", "vendor", "wrong"));
  EXPECT_EQ(transport.LastError(), 12014);
  EXPECT_FALSE(ftp.FtpConnect(good.Address(), "public_html", "vendor", "secret")) << "no such directory";
  EXPECT_EQ(transport.LastError(), 12003);

  const std::vector<std::string> shown = dialogs_.MessageTexts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], "Could not connect to FTP host (" + refusing.Address() +
                          ") or change directory (public_html)\r\n\r\n\r\n\r\nError 12029  "
                          "Server is not running at this time, or FTP session was dropped.");
  EXPECT_EQ(shown[1], ConnectMessage(good.Address(), "public_html") + "\r\n\r\n\r\n\r\nError 12014  ");
  // 12003 is explained by the server's own answer to the change of directory.
  const std::string prefix = ConnectMessage(good.Address(), "public_html") + "\r\n\r\n\r\n\r\nError 12003  550 ";
  EXPECT_EQ(shown[2].rfind(prefix, 0), 0u) << shown[2];
  EXPECT_FALSE(ftp.Connected()) << "a failed starting directory leaves no connection behind";

  // Each report is logged, and the password never is.
  const std::string log = Log();
  EXPECT_NE(log.find("[ERROR] " + ConnectMessage(refusing.Address(), "public_html")), std::string::npos);
  EXPECT_EQ(log.find("wrong"), std::string::npos);
  EXPECT_EQ(log.find("secret"), std::string::npos);
}

TEST_F(FtpTransferTest, FailedOperationsReportTheirTextsAndDropTheConnection) {
  FtpStandIn readOnly({QStringLiteral("--read-only")});
  ASSERT_NE(readOnly.port(), 0);
  QDir(readOnly.Home()).mkpath(QStringLiteral("there"));
  ServiceTransport transport(settings_, dialogs_, Config());
  FtpTransfer& ftp = transport.Ftp();
  const std::string file = LocalFile("item.e");

  struct Case {
    const char* what;
    std::function<bool()> run;
    std::string message;
    int code;
  };
  const Case cases[] = {
      {"a refused upload", [&] { return ftp.FtpPut(file, "sub/item.e", false); },
       "An error occurred while trying to upload sub/item.e to your FTP server.", 12003},
      {"a refused upload under its own name", [&] { return ftp.FtpPutSameName(file); },
       "Could not transfer " + file, 12003},
      {"a missing directory", [&] { return ftp.FtpChangeDir("missing dir"); },
       "Could not change directory to \"missing dir\"", 12003},
      {"a missing local file", [&] { return ftp.FtpPutSameName(file + ".gone"); },
       "Could not transfer " + file + ".gone", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialogs_.shown.clear();
    ASSERT_TRUE(ftp.FtpConnect(readOnly.Address(), "", "vendor", "secret"));
    EXPECT_FALSE(c.run());
    EXPECT_FALSE(ftp.Connected()) << "the report closed the connection";
    EXPECT_EQ(transport.LastError(), c.code);
    ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
    const std::string shown = dialogs_.MessageTexts()[0];
    EXPECT_EQ(shown.rfind(c.message + "\r\n\r\n\r\n\r\nError " + std::to_string(c.code) + "  ", 0), 0u) << shown;
    if (c.code == 12003) {
      EXPECT_NE(shown.find("  550 "), std::string::npos) << "the server's answer: " << shown;
    }
  }

  // The server refusing MKD of a folder that exists is success without a message.
  dialogs_.shown.clear();
  ASSERT_TRUE(ftp.FtpConnect(readOnly.Address(), "", "vendor", "secret"));
  EXPECT_TRUE(ftp.FtpMakeDir("there"));
  EXPECT_TRUE(ftp.Connected());
  EXPECT_TRUE(dialogs_.shown.empty());

  // Without a connection nothing goes out and the operation's own text is shown.
  transport.CloseAll();
  EXPECT_FALSE(ftp.Connected()) << "close-all closes the FTP connection as well";
  EXPECT_FALSE(ftp.FtpMakeDir("new"));
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0], BuildErrorReport("Could not create directory \"new\"", "", 6, ""));
}

TEST_F(FtpTransferTest, ACutOffUploadFailsAndTheNextConnectStartsAfresh) {
  FtpStandIn server({QStringLiteral("--cut-upload"), QStringLiteral("100000")});
  ASSERT_NE(server.port(), 0);
  ServiceTransport transport(settings_, dialogs_, Config());
  FtpTransfer& ftp = transport.Ftp();
  const std::string big = LocalFile("big.e", 2 * 1024 * 1024);
  const std::string small = LocalFile("small.gif", 5000);

  ASSERT_TRUE(ftp.FtpConnect(server.Address(), "", "vendor", "secret"));
  EXPECT_FALSE(ftp.FtpPutSameName(big));
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0].rfind("Could not transfer " + big + "\r\n\r\n\r\n\r\nError ", 0), 0u);
  EXPECT_NE(transport.LastError(), 0);
  EXPECT_FALSE(ftp.Connected());

  // The next connect logs in on a new connection, which serves.
  ASSERT_TRUE(ftp.FtpConnect(server.Address(), "", "vendor", "secret"));
  ASSERT_TRUE(ftp.FtpPutSameName(small)) << "below the cut";
  EXPECT_EQ(server.FileText("small.gif"), Bytes(small));
  EXPECT_EQ(server.CommandsOf("USER").size(), 2u);
  EXPECT_EQ(server.Connections(), 2u);
}

TEST_F(FtpTransferTest, AStalledServerEndsInTheReportWithinTheTimeOuts) {
  FtpStandIn stalling({QStringLiteral("--stall-upload"), QStringLiteral("65536")});
  FtpStandIn mute({QStringLiteral("--stall-command"), QStringLiteral("MKD")});
  ASSERT_NE(stalling.port(), 0);
  ASSERT_NE(mute.port(), 0);
  ServiceTransport transport(settings_, dialogs_, Config(1500));
  FtpTransfer& ftp = transport.Ftp();
  const std::string big = LocalFile("big.e", 16 * 1024 * 1024);

  ASSERT_TRUE(ftp.FtpConnect(stalling.Address(), "", "vendor", "secret"));
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ftp.FtpPutSameName(big));
  EXPECT_LT(MsSince(t0), 8000);
  EXPECT_EQ(transport.LastError(), 12002);

  ASSERT_TRUE(ftp.FtpConnect(mute.Address(), "", "vendor", "secret"));
  t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ftp.FtpMakeDir("classes")) << "no answer is no success";
  EXPECT_LT(MsSince(t0), 8000);
  EXPECT_EQ(transport.LastError(), 12002);

  const std::vector<std::string> shown = dialogs_.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], BuildErrorReport("Could not transfer " + big, "", 12002, ""));
  EXPECT_EQ(shown[1], BuildErrorReport("Could not create directory \"classes\"", "", 12002, ""));
}

TEST_F(FtpTransferTest, BlockingPartsShowNothingAndThePassiveSettingIsHonoured) {
  FtpStandIn server;
  FtpStandIn refusing({QStringLiteral("--refuse")});
  ASSERT_NE(server.port(), 0);
  ASSERT_NE(refusing.port(), 0);
  settings_.WriteText("Options", "Passive FTP", "Yes");
  ServiceTransport transport(settings_, dialogs_, Config());
  std::vector<bool> cursor;
  transport.SetBusyHook([&cursor](bool busy) { cursor.push_back(busy); });
  FtpTransfer& ftp = transport.Ftp();

  const FtpOutcome failed = ftp.Connect({refusing.Address(), "dir", "vendor", "secret"});
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.failure, ConnectMessage(refusing.Address(), "dir"));
  EXPECT_EQ(transport.LastError(), 12029) << "noted for the report to come";
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(cursor.empty());
  EXPECT_FALSE(ftp.Finish(failed));
  EXPECT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(cursor, std::vector<bool>{false}) << "the report restores the normal cursor";

  ASSERT_TRUE(ftp.Connect({server.Address(), "", "vendor", "secret"}));
  ASSERT_TRUE(ftp.PutSameName(LocalFile("p.e")));
  EXPECT_TRUE(ftp.Finish(FtpOutcome{}));
  EXPECT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_TRUE(server.Exists("p.e"));
  EXPECT_FALSE(server.CommandsOf("EPSV").empty() && server.CommandsOf("PASV").empty());
  EXPECT_TRUE(server.CommandsOf("EPRT").empty() && server.CommandsOf("PORT").empty());
}
