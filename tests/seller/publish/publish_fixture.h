#pragma once
// What the publish tests share: the stand-in Tillon service over HTTPS with an
// enrolled vendor, the stand-in FTP server (pyftpdlib) with a server
// definition pointing at it, a product's files on disk, and a look at what
// each side received.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "seller/core/settings.h"
#include "seller/publish/pipeline.h"
#include "seller/publish/servers.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"
#include "support/ftp_stand_in.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/tillon_stand_in.h"

namespace publishtest {

inline constexpr char kVendorPassword[] = "pw7 secret";
inline constexpr char kServerName[] = "Web";
inline constexpr char kStartDir[] = "www";
inline constexpr char kHttpRoot[] = "http://www.example.com/~vendor";

inline tendrel::ServiceConfig LoopbackService() {
  tendrel::ServiceConfig c;
  c.host = "127.0.0.1";
  c.timeouts.connectMs = 3000;
  c.timeouts.stallMs = 5000;
  return c;
}

inline QByteArray ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const std::string& path, const QByteArray& data) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(data), data.size());
}

inline QByteArray RandomBytes(qsizetype n, quint32 seed) {
  QByteArray data(n, '\0');
  QRandomGenerator gen(seed);
  for (char& c : data) c = static_cast<char>(gen.bounded(256));
  return data;
}

// The query of a recorded request line ("GET /path?query HTTP/1.1") as its
// fields, in order, values as sent.
inline std::vector<std::pair<std::string, std::string>> QueryFields(const std::string& line) {
  std::vector<std::pair<std::string, std::string>> fields;
  const size_t q = line.find('?');
  const size_t end = line.rfind(" HTTP/");
  if (q == std::string::npos || end == std::string::npos || end < q) return fields;
  const std::string query = line.substr(q + 1, end - q - 1);
  size_t at = 0;
  while (at <= query.size()) {
    size_t amp = query.find('&', at);
    if (amp == std::string::npos) amp = query.size();
    const std::string piece = query.substr(at, amp - at);
    const size_t eq = piece.find('=');
    fields.emplace_back(piece.substr(0, eq), eq == std::string::npos ? "" : piece.substr(eq + 1));
    at = amp + 1;
  }
  return fields;
}

class PublishFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    files = home.root() + "/files";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(files)));
  }

  // Starts the service (with its misbehaviour switches) knowing the vendor.
  void StartService(const QStringList& options = {}) {
    statePath = home.root() + "/tillon-state.json";
    WriteAll(statePath, QByteArray("{\"next_vendor\": 1002, \"next_product\": 5001, \"products\": {}, "
                                   "\"vendors\": {\"1001\": {\"vendor_id\": \"1001\", "
                                   "\"vendor_password\": \"") +
                            kVendorPassword + "\"}}}");
    vendorId = "1001";
    // The last --state given is the one the service keeps.
    service = std::make_unique<TillonStandIn>(options + QStringList{QStringLiteral("--state"),
                                                                    QString::fromStdString(statePath)});
    ASSERT_NE(service->port(), 0);
    ca = std::make_unique<TrustedCa>(service->CaFile());
    ctx.Settings().WriteInteger("", "Port", service->port());
    ctx.Settings().WriteText("Vendor", "ID", vendorId);
    ctx.Settings().WriteText("Vendor", "Password", tendrel::EncodePassword(kVendorPassword, "ENC"));
  }

  // Starts an FTP server and defines the server "Web" for it.
  FtpStandIn& StartFtp(const QStringList& options = {}) {
    ftps.push_back(std::make_unique<FtpStandIn>(options));
    FtpStandIn& ftp = *ftps.back();
    EXPECT_NE(ftp.port(), 0);
    QDir().mkpath(QString::fromStdString(ftp.HomePath(kStartDir)));
    DefineServer(ftp.Address(), FtpStandIn::kPassword);
    return ftp;
  }
  void DefineServer(const std::string& address, const std::string& password) {
    tendrel::ServerStore store(ctx.Settings());
    store.Write(kServerName, tendrel::ServerField::Address, address);
    store.Write(kServerName, tendrel::ServerField::Directory, kStartDir);
    store.Write(kServerName, tendrel::ServerField::Login, FtpStandIn::kUser);
    store.Write(kServerName, tendrel::ServerField::Password, password);
    store.Write(kServerName, tendrel::ServerField::HttpBase, kHttpRoot);
  }
  tendrel::ServerDefinition Server() { return tendrel::ServerStore(ctx.Settings()).Load(kServerName); }

  // A file of the product's, in the files folder.
  std::string File(const std::string& name, const QByteArray& data) {
    const std::string path = files + "/" + name;
    WriteAll(path, data);
    return path;
  }

  // The current Salebox as the Create wizard leaves it.
  void Product(const std::string& source, const std::string& mediaType, const std::string& preview = {}) {
    tendrel::TApplet& r = ctx.Applet();
    r.ProductName = "Poems of O'Hara";
    r.Description = "Short & sweet";
    r.Cost = "25";
    r.Width = "200";
    r.Height = "300";
    r.MediaType = mediaType;
    r.SourceFile = source;
    r.PreviewURL = preview;
    r.VendorID = vendorId;
  }

  // The source as the service's own decoder gets it back from an uploaded
  // file, with the key registered for the product.
  QByteArray DecodedByService(const std::string& productId, const std::string& uploaded) {
    const QString out = QString::fromStdString(home.root() + "/decoded.bin");
    QFile::remove(out);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("python3"),
            {QStringLiteral(TEST_SOURCE_DIR "/../standins/tillon_service.py"), QStringLiteral("--decode-product"),
             QString::fromStdString(statePath), QString::fromStdString(productId), QString::fromStdString(uploaded), out});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    return ReadAll(out.toStdString());
  }

  // The product registration requests the service received.
  std::vector<std::string> Registrations() const {
    std::vector<std::string> lines;
    for (const auto& l : service->Requests())
      if (l.request.find("/vendor/VendorProductReplace.html") != std::string::npos) lines.push_back(l.request);
    return lines;
  }

  TempHome home;
  tendrel::ScriptedDialogs dialogs;
  tendrel::BravantContext ctx{dialogs, "\\Software\\Tendrel\\Tillon", LoopbackService()};
  std::unique_ptr<TillonStandIn> service;
  std::unique_ptr<TrustedCa> ca;
  std::vector<std::unique_ptr<FtpStandIn>> ftps;
  std::string files;
  std::string vendorId;
  std::string statePath;
};

}  // namespace publishtest
