// The FTP session against the stand-in FTP server (pyftpdlib) on loopback:
// the kept control connection, the tracked remote directory, streamed uploads,
// WinINet error numbers with the server's answer, and bounded waits.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "platform/inet/ftp.h"
#include "support/ftp_stand_in.h"

using namespace tendrel;

namespace {

long long MsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

// A local file of size bytes holding every byte value.
std::string MakeFile(const QTemporaryDir& dir, const std::string& name, size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  const QString path = dir.filePath(QString::fromStdString(name));
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(data.data(), static_cast<qint64>(data.size()));
  return path.toStdString();
}

std::string FileBytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

FtpOptions Options(int stallMs = 3000, bool passive = false) {
  FtpOptions o;
  o.passive = passive;
  o.timeouts.connectMs = 3000;
  o.timeouts.stallMs = stallMs;
  return o;
}

}  // namespace

TEST(FtpAddress, HostAndPortAsTyped) {
  std::string host;
  int port = 0;
  ASSERT_TRUE(SplitFtpAddress("ftp.example.org", &host, &port));
  EXPECT_EQ(host, "ftp.example.org");
  EXPECT_EQ(port, 21);
  ASSERT_TRUE(SplitFtpAddress("127.0.0.1:2121", &host, &port));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 2121);
  ASSERT_TRUE(SplitFtpAddress("[::1]:65535", &host, &port));
  EXPECT_EQ(host, "::1");
  EXPECT_EQ(port, 65535);
  ASSERT_TRUE(SplitFtpAddress("fe80::1", &host, &port)) << "a bare IPv6 address has no port";
  EXPECT_EQ(host, "fe80::1");
  EXPECT_EQ(port, 21);
  for (const char* bad : {"", "host:", "host:0", "host:65536", "host:21x", ":21", "[::1", "[::1]x", "a b",
                          "user@host", "host/dir"})
    EXPECT_FALSE(SplitFtpAddress(bad, &host, &port)) << bad;
}

TEST(FtpAddress, RemotePathsGoUpAndStayBelowTheRoot) {
  EXPECT_EQ(JoinRemotePath("/home/v", "public_html"), "/home/v/public_html");
  EXPECT_EQ(JoinRemotePath("/home/v", ".."), "/home");
  EXPECT_EQ(JoinRemotePath("/home/v", "../../.."), "/") << "never above the root";
  EXPECT_EQ(JoinRemotePath("/", ".."), "/");
  EXPECT_EQ(JoinRemotePath("/home/v", "a/./b//c/"), "/home/v/a/b/c");
  EXPECT_EQ(JoinRemotePath("/home/v", "/srv/www"), "/srv/www") << "an absolute path starts afresh";
  EXPECT_EQ(JoinRemotePath("/home/v", ""), "/home/v");
  EXPECT_EQ(JoinRemotePath("/home/v", "a b/..x"), "/home/v/a b/..x") << "only whole \"..\" parts go up";
}

TEST(FtpSessionTest, OneControlConnectionCarriesDirectoriesAndUploads) {
  FtpStandIn server;
  ASSERT_NE(server.port(), 0);
  QTemporaryDir local;
  // Larger than the upload buffer, so it goes in many pieces.
  const std::string big = MakeFile(local, "big.bin", 3 * 1024 * 1024 + 17);
  const std::string empty = MakeFile(local, "empty.bin", 0);

  FtpSession session(Options());
  InetError error;
  ASSERT_TRUE(session.Connect(server.Address(), FtpStandIn::kUser, FtpStandIn::kPassword, &error)) << error.detail;
  EXPECT_TRUE(session.IsOpen());
  EXPECT_EQ(session.CurrentDir(), "/") << "the login lands in the home folder, the server's root";

  ASSERT_TRUE(session.MakeDir("web", &error)) << error.detail;
  ASSERT_TRUE(session.ChangeDir("web", &error)) << error.detail;
  EXPECT_EQ(session.CurrentDir(), "/web");
  ASSERT_TRUE(session.MakeDir("sub dir", &error)) << "a name with a blank: " << error.detail;
  ASSERT_TRUE(session.ChangeDir("sub dir", &error));
  EXPECT_EQ(session.CurrentDir(), "/web/sub dir");

  std::vector<std::pair<uint64_t, uint64_t>> seen;
  ASSERT_TRUE(session.Put(big, "a #%?.bin", false, [&seen](uint64_t s, uint64_t t) { seen.push_back({s, t}); },
                          &error))
      << error.detail;
  EXPECT_EQ(server.FileText("web/sub dir/a #%?.bin"), FileBytes(big)) << "every byte, under the exact name";
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), std::make_pair(uint64_t{3 * 1024 * 1024 + 17}, uint64_t{3 * 1024 * 1024 + 17}));
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1].first, seen[i].first) << "progress only grows";

  ASSERT_TRUE(session.ChangeDir("..", &error));
  EXPECT_EQ(session.CurrentDir(), "/web");
  ASSERT_TRUE(session.Put(empty, "sub dir/empty.bin", false, {}, &error)) << "a relative path and an empty file";
  EXPECT_TRUE(server.Exists("web/sub dir/empty.bin"));
  EXPECT_EQ(server.FileText("web/sub dir/empty.bin"), "");

  // ASCII mode only changes the transfer type announced.
  const std::string text = MakeFile(local, "page.htm", 100);
  ASSERT_TRUE(session.Put(text, "page.htm", true, {}, &error));
  EXPECT_EQ(server.CommandsOf("TYPE A").size(), 1u);

  EXPECT_EQ(server.Connections(), 1u) << "the control connection is kept from the login on";
  EXPECT_EQ(session.ConnectionsMade(), 1);
  EXPECT_EQ(server.CommandsOf("USER").size(), 1u);
  EXPECT_FALSE(server.CommandsOf("EPRT").empty()) << "active mode: the server connects back";
  EXPECT_TRUE(server.CommandsOf("EPSV").empty());
  EXPECT_TRUE(server.CommandsOf("PASV").empty());
}

TEST(FtpSessionTest, ServerRefusalsAreExtendedErrorsWithTheServersAnswer) {
  FtpStandIn server;
  ASSERT_NE(server.port(), 0);
  QDir(server.Home()).mkpath(QStringLiteral("there"));
  FtpSession session(Options());
  InetError error;
  ASSERT_TRUE(session.Connect(server.Address(), FtpStandIn::kUser, FtpStandIn::kPassword, &error));

  EXPECT_FALSE(session.MakeDir("there", &error)) << "the directory exists";
  EXPECT_EQ(error.code, kInetExtendedError);
  EXPECT_EQ(session.LastResponse().substr(0, 4), "550 ") << session.LastResponse();
  EXPECT_TRUE(session.IsOpen());

  EXPECT_FALSE(session.ChangeDir("missing", &error));
  EXPECT_EQ(error.code, kInetExtendedError);
  EXPECT_EQ(session.LastResponse().substr(0, 4), "550 ");
  EXPECT_EQ(session.CurrentDir(), "/") << "a refused change leaves the directory as it was";

  // The connection still serves after refusals.
  ASSERT_TRUE(session.ChangeDir("there", &error)) << error.detail;
  EXPECT_EQ(server.Connections(), 1u);

  // A line break cannot smuggle a second command in.
  EXPECT_FALSE(session.MakeDir("x\r\nDELE y", &error));
  EXPECT_NE(error.code, 0);
  EXPECT_TRUE(server.CommandsOf("DELE").empty());
}

TEST(FtpSessionTest, ConnectFailuresCarryWinInetNumbers) {
  FtpStandIn refusing({QStringLiteral("--refuse")});
  FtpStandIn good;
  ASSERT_NE(refusing.port(), 0);
  ASSERT_NE(good.port(), 0);
  InetError error;
  {
    FtpSession session(Options());
    EXPECT_FALSE(session.Connect(refusing.Address(), "vendor", "secret", &error));
    EXPECT_EQ(error.code, kInetCannotConnect);
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(session.CurrentDir(), "");
  }
  {
    FtpSession session(Options());
    EXPECT_FALSE(session.Connect(good.Address(), "vendor", "wrong", &error));
    EXPECT_EQ(error.code, kInetIncorrectPassword);
    EXPECT_EQ(session.LastResponse().substr(0, 4), "530 ");
    EXPECT_FALSE(session.IsOpen());
  }
  {
    FtpSession session(Options());
    EXPECT_FALSE(session.Connect("no-such-host.invalid", "vendor", "secret", &error));
    EXPECT_EQ(error.code, kInetNameNotResolved);
    EXPECT_FALSE(session.Connect("127.0.0.1:99999", "vendor", "secret", &error));
    EXPECT_EQ(error.code, kInetInvalidUrl);
  }
  {
    // Nothing may go out before a connection is made; the local file is checked first.
    FtpSession session(Options());
    EXPECT_FALSE(session.Put("/nonexistent/file.e", "file.e", false, {}, &error));
    EXPECT_EQ(error.code, kFtpInvalidHandle);
    ASSERT_TRUE(session.Connect(good.Address(), "vendor", "secret", &error));
    EXPECT_FALSE(session.Put("/nonexistent/file.e", "file.e", false, {}, &error));
    EXPECT_EQ(error.code, kFtpFileNotFound);
    EXPECT_TRUE(good.CommandsOf("STOR").empty());
  }
}

TEST(FtpSessionTest, StallsEndWithinTheTimeOuts) {
  QTemporaryDir local;
  const std::string file = MakeFile(local, "big.e", 16 * 1024 * 1024);
  struct Case {
    const char* what;
    QStringList options;
    bool stallBeforeLogin;
  };
  const Case cases[] = {
      {"upload no longer read", {QStringLiteral("--stall-upload"), QStringLiteral("100000")}, false},
      {"no answer to STOR", {QStringLiteral("--stall-command"), QStringLiteral("STOR")}, false},
      {"no answer to the password", {QStringLiteral("--stall-command"), QStringLiteral("PASS")}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FtpStandIn server(c.options);
    ASSERT_NE(server.port(), 0);
    FtpSession session(Options(1500));
    InetError error;
    auto t0 = std::chrono::steady_clock::now();
    const bool connected = session.Connect(server.Address(), "vendor", "secret", &error);
    if (c.stallBeforeLogin) {
      EXPECT_FALSE(connected);
      EXPECT_EQ(error.code, kInetTimeout) << error.detail;
      EXPECT_LT(MsSince(t0), 6000);
      continue;
    }
    ASSERT_TRUE(connected) << error.detail;
    t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.Put(file, "big.e", false, {}, &error));
    EXPECT_EQ(error.code, kInetTimeout) << error.detail;
    session.Close();
    EXPECT_LT(MsSince(t0), 7000) << "the failure and the close, within the time-outs";
  }
}

TEST(FtpSessionTest, ClosingWhenTheServerNoLongerAnswersIsBounded) {
  FtpStandIn server({QStringLiteral("--stall-command"), QStringLiteral("QUIT")});
  ASSERT_NE(server.port(), 0);
  FtpSession session(Options(1500));
  InetError error;
  ASSERT_TRUE(session.Connect(server.Address(), "vendor", "secret", &error));
  ASSERT_TRUE(session.MakeDir("x", &error));
  const auto t0 = std::chrono::steady_clock::now();
  session.Close();
  EXPECT_LT(MsSince(t0), 4000) << "the answer to QUIT is awaited no longer than any other";
  EXPECT_FALSE(session.IsOpen());
  EXPECT_EQ(server.CommandsOf("QUIT").size(), 1u);
}

TEST(FtpSessionTest, AnAbortEndsAnUploadAsCancelled) {
  FtpStandIn server({QStringLiteral("--stall-upload"), QStringLiteral("100000")});
  ASSERT_NE(server.port(), 0);
  QTemporaryDir local;
  const std::string file = MakeFile(local, "big.e", 16 * 1024 * 1024);
  std::atomic<bool> stop{false};
  FtpSession session(Options(20000));
  session.SetAbort([&stop] { return stop.load(); });
  InetError error;
  ASSERT_TRUE(session.Connect(server.Address(), "vendor", "secret", &error));
  const auto t0 = std::chrono::steady_clock::now();
  // Asked from the progress, as another thread would: the transfer is running.
  EXPECT_FALSE(session.Put(file, "big.e", false, [&stop](uint64_t sent, uint64_t) {
    if (sent > 0) stop = true;
  }, &error));
  EXPECT_EQ(error.code, kInetOperationCancelled);
  EXPECT_LT(MsSince(t0), 5000) << "well before the stall time-out";
  // An abort already asked refuses to begin.
  EXPECT_FALSE(session.MakeDir("x", &error));
  EXPECT_EQ(error.code, kInetOperationCancelled);
}
