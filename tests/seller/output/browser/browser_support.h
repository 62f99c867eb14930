#pragma once
// What the browser tests share: a plain web server over a folder, the
// selenium driver run on a page with its report read back, a look at the
// service's buyer side through curl, and small file and JSON helpers.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "support/stand_in_process.h"

namespace browsertest {

inline QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// A folder served over plain HTTP on a free loopback port, for the life of
// the object: the vendor's web server in front of the FTP root.
class WebServer {
 public:
  explicit WebServer(const QString& root)
      : proc_(QStringLiteral("-c"), {QStringLiteral(R"(
import functools, http.server, sys
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=sys.argv[1]))
print(server.server_address[1], flush=True)
server.serve_forever()
)"),
                                     root}) {}
  int port() const { return proc_.port(); }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port()); }

 private:
  StandInProcess proc_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v, had_ = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// Runs the selenium driver with `config` and gives back its report; an empty
// object when it did not run at all (the test has failed then).
inline QJsonObject RunDriver(const QJsonObject& config, int timeoutMs = 150000) {
  QTemporaryDir work;
  const QString configPath = work.filePath(QStringLiteral("config.json"));
  const QString reportPath = work.filePath(QStringLiteral("report.json"));
  EXPECT_TRUE(WriteFile(configPath, QJsonDocument(config).toJson()));
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedChannels);
  p.start(QStringLiteral("/usr/bin/python3"),
          {QStringLiteral(TEST_SOURCE_DIR "/seller/output/browser/salebox_driver.py"), configPath, reportPath});
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    ADD_FAILURE() << "the driver did not finish within " << timeoutMs << " ms";
    return {};
  }
  EXPECT_EQ(p.exitCode(), 0);
  const QByteArray report = ReadFile(reportPath);
  // SALEBOX_REPORTS=folder keeps every report there, for a look by hand.
  if (const char* keep = std::getenv("SALEBOX_REPORTS"); keep && *keep) {
    static int n = 0;
    WriteFile(QStringLiteral("%1/%2-%3.json").arg(QString::fromLocal8Bit(keep), config[QStringLiteral("mode")].toString()).arg(++n),
              report);
  }
  return QJsonDocument::fromJson(report).object();
}

// How a driver's run ended: empty when it went through; else what stopped it.
inline std::string DriverProblem(const QJsonObject& report) {
  if (report.isEmpty()) return "no report";
  if (report.contains(QStringLiteral("error")))
    return "stopped at \"" + report[QStringLiteral("step")].toString().toStdString() + "\": " +
           report[QStringLiteral("error")].toString().toStdString() + "\n" +
           report[QStringLiteral("traceback")].toString().toStdString();
  return {};
}

inline std::string Str(const QJsonValue& v) { return v.toString().toStdString(); }

// The report's Salebox of that applet name among `boxes`; an empty object
// when there is none.
inline QJsonObject BoxNamed(const QJsonArray& boxes, const std::string& applet) {
  for (const QJsonValue& b : boxes)
    if (Str(b[QStringLiteral("applet")]) == applet) return b.toObject();
  return {};
}

// The SEVERE console entries of one of the driver's phases, as texts.
inline std::vector<std::string> Severe(const QJsonObject& report, const char* phase) {
  std::vector<std::string> out;
  for (const QJsonValue& v : report[QStringLiteral("severe")][QString::fromLatin1(phase)].toArray())
    out.push_back(Str(v));
  return out;
}

// One HTTPS exchange with the service through curl.
struct Reply {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  QByteArray body;
  std::string Header(const std::string& name) const {
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
  }
  QJsonValue Json(const char* key) const { return QJsonDocument::fromJson(body).object()[QString::fromLatin1(key)]; }
};

// curl `args` (the address among them) trusting `caFile`; redirects are not
// followed.
inline Reply Curl(const std::string& caFile, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.start(QStringLiteral("curl"), QStringList{QStringLiteral("-s"), QStringLiteral("-i"), QStringLiteral("--max-time"),
                                              QStringLiteral("30"), QStringLiteral("--cacert"),
                                              QString::fromStdString(caFile)} +
                                      args);
  Reply r;
  if (!p.waitForFinished(40000)) {
    p.kill();
    p.waitForFinished(5000);
    return r;
  }
  const QByteArray out = p.readAllStandardOutput();
  const qsizetype split = out.indexOf("\r\n\r\n");
  if (split < 0) return r;
  r.body = out.mid(split + 4);
  const QList<QByteArray> lines = out.left(split).split('\n');
  const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
  r.status = status.value(1).toInt();
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    if (colon > 0)
      r.headers[lines[i].left(colon).trimmed().toLower().toStdString()] = lines[i].mid(colon + 1).trimmed().toStdString();
  }
  return r;
}

}  // namespace browsertest
