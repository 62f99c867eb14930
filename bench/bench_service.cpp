// The service transport against the stand-in Tillon service (HTTPS on
// loopback, a test CA made in a temporary folder).
//
// 1. REQUESTS requests in a row: ServiceTransport (Connect, the Sends on its
//    kept connection, CloseAll) against the curl tool fetching the same URLs
//    in one process, its connection reused. The two take turns run by run,
//    each starting with no connection open, making one TLS handshake and
//    reading every body; the wall time of the whole series is taken. Both
//    runs' byte totals must agree and curl must report one connect. curl's
//    time includes starting its process, which is timed on its own too.
// 2. One large reply (4 and 16 MiB of padding, one stand-in each), read by
//    Send on a kept connection, the two sizes in turn: MiB/s and the per-MiB
//    time of the large over the small (near 1: reading is linear). curl's own
//    time for the same transfer on a kept connection is shown beside it, so
//    the cost of the service and the loopback can be told from ours.
//
//   bench_service [ROUNDS] [REQUESTS]   (default 7 and 200)
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/dialogs.h"
#include "seller/core/settings.h"
#include "seller/service/transport.h"

#include "tests/support/stand_in_process.h"
#include "bench/bench_dialogs.h"

extern char** environ;

namespace {

using namespace tendrel;
using Clock = std::chrono::steady_clock;

// A cheap answer: an unknown vendor is refused before any work is done.
constexpr char kPath[] = "/vendor/VendorProductDetails.html?vendor_id=1&vendor_password=x";
constexpr size_t kMiB = 1u << 20;

double SecondsSince(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

struct Stats {
  double median, min, max;
};

Stats Summary(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  return {median, v.front(), v.back()};
}

// The stand-in service on a free loopback port for the life of the object.
class StandIn {
 public:
  // recordDir: where the service lists the requests it received, with the
  // number of the connection each came on; empty for none.
  StandIn(const QString& tlsDir, int pad, const QString& recordDir = {})
      : proc_(QStringLiteral(TILLON_STANDIN_PATH), Args(tlsDir, pad, recordDir), 30000) {
    if (proc_.port() <= 0) throw std::runtime_error("the stand-in service did not start");
  }
  int port() const { return proc_.port(); }

 private:
  static QStringList Args(const QString& tlsDir, int pad, const QString& recordDir) {
    QStringList args = {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--lifetime"),
                        QStringLiteral("900"), QStringLiteral("--tls-dir"), tlsDir};
    if (pad > 0) args << QStringLiteral("--pad") << QString::number(pad);
    if (!recordDir.isEmpty()) args << QStringLiteral("--record-dir") << recordDir;
    return args;
  }
  StandInProcess proc_;
};

ServiceConfig Config(const std::string& logPath) {
  ServiceConfig c = ServiceConfig::FromDeployment();
  c.logPath = logPath;
  return c;
}

struct Series {
  double seconds = 0;
  size_t bytes = 0;   // body bytes read, all requests together
  int connects = 0;   // new connections curl reports having made
  double last = 0;    // curl's own time for the last transfer
};

// Our side: a fresh transport, Connect, n Sends, CloseAll.
Series OursInARow(const SettingsStore& settings, UserDialogs& dialogs, const ServiceConfig& config, int n) {
  Series s;
  const auto t0 = Clock::now();
  {
    ServiceTransport transport(settings, dialogs, config);
    if (!transport.Connect()) throw std::runtime_error("Connect failed");
    for (int i = 0; i < n; ++i) {
      const ServiceOutcome out = transport.Send(kPath);
      if (!out) throw std::runtime_error("Send failed: " + out.failure);
      s.bytes += out.reply.size();
    }
    transport.CloseAll();
  }
  s.seconds = SecondsSince(t0);
  return s;
}

// Runs curl -K config with stdout to outFile (stderr to /dev/null when quiet);
// the exit status.
int RunCurl(const std::string& config, const std::string& outFile, bool quiet) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string arg0 = "curl", arg1 = "-K", arg2 = config;
  char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "curl", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("curl could not be started");
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) throw std::runtime_error("waitpid failed");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// curl's options matching the transport's request: the same CA, no proxy,
// the same agent and cache headers; a line of size, connects and seconds a URL.
std::string CurlOptions(const std::string& caFile) {
  return "silent\nshow-error\ncacert = \"" + caFile +
         "\"\nnoproxy = \"*\"\nuser-agent = \"Tillon Applicator\"\n"
         "header = \"Cache-Control: no-cache\"\nheader = \"Pragma: no-cache\"\n"
         "write-out = \"%{size_download} %{num_connects} %{time_total}\\n\"\n";
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
  if (!f) throw std::runtime_error("cannot write " + path);
}

Series CurlInARow(const std::string& config, const std::string& outFile, int n) {
  Series s;
  const auto t0 = Clock::now();
  const int rc = RunCurl(config, outFile, false);
  s.seconds = SecondsSince(t0);
  if (rc != 0) throw std::runtime_error("curl failed with status " + std::to_string(rc));
  std::ifstream in(outFile);
  size_t size = 0;
  int connects = 0, lines = 0;
  while (in >> size >> connects >> s.last) {
    s.bytes += size;
    s.connects += connects;
    ++lines;
  }
  if (lines != n) throw std::runtime_error("curl reported " + std::to_string(lines) + " transfers");
  return s;
}

void PrintRow(const char* name, const Stats& st, double perSecond, const char* unit) {
  std::printf("  %-26s %8.4f %8.4f %8.4f %9.1f %s\n", name, st.median, st.min, st.max, perSecond, unit);
}

int Bench(int rounds, int requests, const QTemporaryDir& work) {
  const std::string root = work.path().toStdString();
  const QString tlsDir = work.filePath(QStringLiteral("tls"));
  const std::string caFile = root + "/tls/ca.pem";
  setenv("TENDREL_CA_FILE", caFile.c_str(), 1);
  const ServiceConfig config = Config(root + "/tlnlog.txt");
  SettingsStore settings;
  BenchDialogs dialogs;

  // 1. Requests in a row.
  const std::string curlOut = root + "/curl-out.txt";
  const auto seriesConfig = [&](int port) {
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + kPath;
    std::string list = CurlOptions(caFile);
    for (int i = 0; i < requests; ++i) list += "url = \"" + url + "\"\noutput = \"/dev/null\"\n";
    const std::string path = root + "/curl-" + std::to_string(port) + ".cfg";
    WriteFile(path, list);
    return path;
  };
  size_t replySize = 0;
  {
    // First, untimed, against a service that records the connection of
    // every request: each side's series must come on one connection, and
    // the two must read the same bytes.
    const QString records = work.filePath(QStringLiteral("records"));
    StandIn service(tlsDir, 0, records);
    settings.WriteInteger("", "Port", service.port());
    const std::string curlConfig = seriesConfig(service.port());
    const auto connectionsOf = [&](size_t from) {
      std::ifstream log(records.toStdString() + "/requests.log");
      std::string connection, line;
      std::set<std::string> seen;
      size_t count = 0;
      while (log >> connection && std::getline(log, line))
        if (count++ >= from) seen.insert(connection);
      if (count != from + requests)
        throw std::runtime_error("the service saw " + std::to_string(count - from) + " requests");
      return seen.size();
    };
    const Series ourCheck = OursInARow(settings, dialogs, config, requests);
    const size_t ourConnections = connectionsOf(0);
    const Series curlCheck = CurlInARow(curlConfig, curlOut, requests);
    const size_t curlConnections = connectionsOf(requests);
    if (ourConnections != 1 || curlConnections != 1)
      throw std::runtime_error("connections used: ours " + std::to_string(ourConnections) + ", curl's " +
                               std::to_string(curlConnections));
    if (ourCheck.bytes != curlCheck.bytes || ourCheck.bytes == 0 || ourCheck.bytes % requests != 0)
      throw std::runtime_error("the two sides read different bodies: " + std::to_string(ourCheck.bytes) +
                               " and " + std::to_string(curlCheck.bytes) + " bytes");
    replySize = ourCheck.bytes / requests;
  }
  {
    StandIn service(tlsDir, 0);
    settings.WriteInteger("", "Port", service.port());
    const std::string config200 = seriesConfig(service.port()), configNone = root + "/curl-none.cfg";
    WriteFile(configNone, CurlOptions(caFile));
    // One untimed run of each: a process's and the service's first
    // exchanges cost more.
    OursInARow(settings, dialogs, config, requests);
    CurlInARow(config200, curlOut, requests);

    std::vector<double> ours, curl, start;
    for (int r = 0; r < rounds; ++r) {
      const Series a = OursInARow(settings, dialogs, config, requests);
      const Series b = CurlInARow(config200, curlOut, requests);
      if (a.bytes != replySize * requests || b.bytes != replySize * requests)
        throw std::runtime_error("a body came short");
      if (b.connects != 1)
        throw std::runtime_error("curl made " + std::to_string(b.connects) + " connections, not one");
      ours.push_back(a.seconds);
      curl.push_back(b.seconds);
    }
    // curl's process start alone: the same options without a URL (curl
    // then refuses at once).
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      RunCurl(configNone, curlOut, true);
      start.push_back(SecondsSince(t0));
    }

    const Stats o = Summary(ours), c = Summary(curl), s = Summary(start);
    std::printf("%d requests in a row, one connection, %zu-byte replies (%d runs each, alternated)\n", requests,
                replySize, rounds);
    std::printf("  %-26s %8s %8s %8s %9s\n", "side", "median s", "min s", "max s", "");
    PrintRow("ours (ServiceTransport)", o, requests / o.median, "req/s");
    PrintRow("curl (one process)", c, requests / c.median, "req/s");
    PrintRow("curl start-up, no URL", s, 1 / s.median, "starts/s");
    const double ratio = c.median / o.median;
    std::printf("  ratio curl/ours (medians): %.2f  (target >= 0.80)%s\n", ratio,
                ratio >= 0.8 ? "" : "  BELOW TARGET");
    std::printf("  the same without curl's start-up: %.2f\n\n", (c.median - s.median) / o.median);
  }

  // 2. Large replies.
  const int runs = 5;
  const size_t pads[2] = {4 * kMiB, 16 * kMiB};
  const char* const names[2] = {"4 MiB", "16 MiB"};
  StandIn small(tlsDir, static_cast<int>(pads[0])), large(tlsDir, static_cast<int>(pads[1]));
  std::vector<std::unique_ptr<ServiceTransport>> transports;
  std::string curlConfigs[2];
  for (int k = 0; k < 2; ++k) {
    const int port = (k == 0 ? small : large).port();
    settings.WriteInteger("", "Port", port);  // read by Connect
    transports.push_back(std::make_unique<ServiceTransport>(settings, dialogs, config));
    if (!transports.back()->Connect()) throw std::runtime_error("Connect failed");
    // curl fetches twice and reports the second transfer, on the kept connection.
    const std::string url =
        "url = \"https://127.0.0.1:" + std::to_string(port) + kPath + "\"\noutput = \"/dev/null\"\n";
    curlConfigs[k] = root + "/curl-large-" + std::to_string(k) + ".cfg";
    WriteFile(curlConfigs[k], CurlOptions(caFile) + url + url);
  }
  std::vector<double> ours[2], curl[2];
  for (int r = -1; r < runs; ++r) {  // run -1 opens our connections, untimed
    for (int k = 0; k < 2; ++k) {
      const auto t0 = Clock::now();
      const ServiceOutcome out = transports[k]->Send(kPath);
      const double t = SecondsSince(t0);
      if (!out) throw std::runtime_error("Send failed: " + out.failure);
      if (out.reply.size() != replySize + pads[k])
        throw std::runtime_error("a large reply came with " + std::to_string(out.reply.size()) + " bytes");
      if (r < 0) continue;
      ours[k].push_back(t);
      const Series c = CurlInARow(curlConfigs[k], curlOut, 2);
      if (c.bytes != 2 * (replySize + pads[k]) || c.connects != 1)
        throw std::runtime_error("curl's large transfers came short or on two connections");
      curl[k].push_back(c.last);
    }
  }
  std::printf("One large reply on a kept connection (%d runs each, alternated)\n", runs);
  std::printf("  %-26s %8s %8s %8s %9s\n", "reply", "median s", "min s", "max s", "");
  Stats st[2], ct[2];
  for (int k = 0; k < 2; ++k) {
    st[k] = Summary(ours[k]);
    ct[k] = Summary(curl[k]);
    const double mib = static_cast<double>(pads[k] + replySize) / kMiB;
    PrintRow((std::string(names[k]) + ", ours (Send)").c_str(), st[k], mib / st[k].median, "MiB/s");
    PrintRow((std::string(names[k]) + ", curl's transfer").c_str(), ct[k], mib / ct[k].median, "MiB/s");
  }
  std::printf("  per-MiB time 16 MiB / 4 MiB (medians): ours %.2f, curl %.2f  (near 1.0: linear)\n",
              st[1].median / 4 / st[0].median, ct[1].median / 4 / ct[0].median);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const int requests = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  // The settings and the log stay in a folder of their own; the transport
  // talks to the stand-in on loopback.
  QTemporaryDir work;
  if (!work.isValid()) return std::fprintf(stderr, "no temporary folder\n"), 1;
  const std::string config = work.path().toStdString() + "/config";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("XDG_DATA_HOME", (work.path().toStdString() + "/data").c_str(), 1);
  setenv("BRAVANT_SERVICE_HOST", "127.0.0.1", 1);
  QCoreApplication app(argc, argv);
  try {
    return Bench(rounds, requests, work);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_service: %s\n", e.what());
    return 1;
  }
}
