// The FTP transfer against the curl tool: one large file uploaded to the
// stand-in FTP server (pyftpdlib on loopback) by FtpPutSameName and by
// `curl -T`, the two taking turns run by run, both in active mode (Bravant's
// default) to the same server and the same remote name. Each run logs in
// afresh: ours is FtpConnect, FtpPutSameName and close-all; curl's is the
// whole process. The wall time of each run is taken; the table shows medians
// (with minimum and maximum) and MiB/s, and the ratio of throughputs
// ours/curl. Every upload's size on the server is checked, the first of each
// side byte for byte. Memory stays flat: the file is streamed, and the
// process's peak resident size is shown before and after our uploads.
//
// The files (the source and the server's home) are kept in /dev/shm where
// there is one, so the disk's write-back does not blur the two sides.
//
//   bench_ftp [ROUNDS] [MiB] [passive]   (default 11 and 256; "passive" runs both sides passive)
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "platform/dialogs.h"
#include "seller/core/settings.h"
#include "seller/service/ftp_transfer.h"
#include "seller/service/transport.h"

#include "tests/support/stand_in_process.h"
#include "bench/bench_dialogs.h"

extern char** environ;

namespace {

using namespace tendrel;
using Clock = std::chrono::steady_clock;

constexpr size_t kMiB = 1u << 20;
constexpr char kUser[] = "vendor";
constexpr char kPassword[] = "secret";

double SecondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Stats {
  double median, min, max;
};

Stats Summary(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  return {median, v.front(), v.back()};
}

long PeakRssKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The stand-in FTP server on a free loopback port for the life of the object.
class StandIn {
 public:
  explicit StandIn(const QString& home)
      : proc_(QStringLiteral(FTP_STANDIN_PATH),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--lifetime"), QStringLiteral("3600"),
               QStringLiteral("--home"), home, QStringLiteral("--user"), QString::fromLatin1(kUser),
               QStringLiteral("--password"), QString::fromLatin1(kPassword)}) {
    if (proc_.port() <= 0) throw std::runtime_error("the stand-in FTP server did not start");
  }
  int port() const { return proc_.port(); }

 private:
  StandInProcess proc_;
};

// A file of the given size with varied bytes, written a piece at a time.
void MakeFile(const std::string& path, size_t bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  std::vector<char> piece(kMiB);
  for (size_t done = 0, k = 0; done < bytes; done += piece.size(), ++k) {
    for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>((i * 131 + k * 7 + (i >> 9)) & 0xFF);
    f.write(piece.data(), static_cast<std::streamsize>(std::min(piece.size(), bytes - done)));
  }
  if (!f) throw std::runtime_error("cannot write " + path);
}

size_t SizeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<size_t>(info.st_size) : 0;
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> x(kMiB), y(kMiB);
  while (fa && fb) {
    fa.read(x.data(), static_cast<std::streamsize>(x.size()));
    fb.read(y.data(), static_cast<std::streamsize>(y.size()));
    if (fa.gcount() != fb.gcount() || std::memcmp(x.data(), y.data(), static_cast<size_t>(fa.gcount())) != 0)
      return false;
  }
  return !fa && !fb;
}

// curl -T of the file into the server's root under its own name; the exit status.
int CurlUpload(const std::string& file, int port, bool passive) {
  std::vector<std::string> args = {"curl", "-sS", "--noproxy", "*", "-u", std::string(kUser) + ":" + kPassword,
                                   "-T", file, "ftp://127.0.0.1:" + std::to_string(port) + "/"};
  if (!passive) args.insert(args.begin() + 1, {"-P", "-"});  // active mode, as ours
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("curl could not be started");
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) throw std::runtime_error("waitpid failed");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Bench(int rounds, size_t mib, bool passive, const QTemporaryDir& work) {
  const std::string root = work.path().toStdString();
  const std::string file = root + "/payload.bin";
  const std::string uploaded = root + "/home/payload.bin";
  const size_t bytes = mib * kMiB;
  MakeFile(file, bytes);
  StandIn server(work.filePath(QStringLiteral("home")));
  const std::string address = "127.0.0.1:" + std::to_string(server.port());

  SettingsStore settings;
  settings.WriteText("Options", "Passive FTP", passive ? "Yes" : "No");
  BenchDialogs dialogs;
  ServiceConfig config = ServiceConfig::FromDeployment();
  config.logPath = root + "/tlnlog.txt";
  ServiceTransport transport(settings, dialogs, config);

  const auto ours = [&] {
    const auto t0 = Clock::now();
    FtpTransfer& ftp = transport.Ftp();
    if (!ftp.FtpConnect(address, "", kUser, kPassword) || !ftp.FtpPutSameName(file))
      throw std::runtime_error("our upload failed");
    transport.CloseAll();
    const double t = SecondsSince(t0);
    if (SizeOf(uploaded) != bytes) throw std::runtime_error("our upload came short");
    return t;
  };
  const auto curl = [&] {
    const auto t0 = Clock::now();
    const int rc = CurlUpload(file, server.port(), passive);
    const double t = SecondsSince(t0);
    if (rc != 0) throw std::runtime_error("curl failed with status " + std::to_string(rc));
    if (SizeOf(uploaded) != bytes) throw std::runtime_error("curl's upload came short");
    return t;
  };

  // One untimed run of each, checked byte for byte: caches and the server warm up.
  const long rssBefore = PeakRssKiB();
  ours();
  if (!SameBytes(file, uploaded)) throw std::runtime_error("our upload differs from the file");
  curl();
  if (!SameBytes(file, uploaded)) throw std::runtime_error("curl's upload differs from the file");

  std::vector<double> a, b;
  for (int r = 0; r < rounds; ++r) {
    // Who goes first alternates, so neither always meets a server just written to.
    if (r % 2 == 0) {
      a.push_back(ours());
      b.push_back(curl());
    } else {
      b.push_back(curl());
      a.push_back(ours());
    }
  }
  const long rssAfter = PeakRssKiB();

  const Stats o = Summary(a), c = Summary(b);
  std::printf("%zu MiB uploaded to pyftpdlib on loopback, %s mode, a fresh login each run (%d runs each, alternated)\n",
              mib, passive ? "passive" : "active", rounds);
  std::printf("  %-28s %8s %8s %8s %9s\n", "side", "median s", "min s", "max s", "");
  std::printf("  %-28s %8.3f %8.3f %8.3f %9.1f MiB/s\n", "ours (FtpPutSameName)", o.median, o.min, o.max,
              mib / o.median);
  std::printf("  %-28s %8.3f %8.3f %8.3f %9.1f MiB/s\n", "curl -T", c.median, c.min, c.max, mib / c.median);
  const double ratio = c.median / o.median;
  std::printf("  throughput ratio ours/curl (medians): %.2f  (target >= 0.90)%s\n", ratio,
              ratio >= 0.9 ? "" : "  BELOW TARGET");
  // Load from elsewhere on the machine drifts; a pair of neighbouring runs meets the same load.
  std::vector<double> pairs;
  for (size_t i = 0; i < a.size(); ++i) pairs.push_back(b[i] / a[i]);
  std::printf("  the same, median of the run-by-run ratios: %.2f\n", Summary(pairs).median);
  std::printf("  peak resident size: %.1f MiB before our uploads, %.1f MiB after (the file is %zu MiB)\n",
              rssBefore / 1024.0, rssAfter / 1024.0, mib);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  const size_t mib = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 256;
  const bool passive = argc > 3 && std::strcmp(argv[3], "passive") == 0;
  QTemporaryDir work(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/bench_ftp-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/bench_ftp-XXXXXX"));
  if (!work.isValid()) return std::fprintf(stderr, "no temporary folder\n"), 1;
  setenv("XDG_CONFIG_HOME", (work.path().toStdString() + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (work.path().toStdString() + "/data").c_str(), 1);
  QCoreApplication app(argc, argv);
  try {
    return Bench(rounds, mib, passive, work);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_ftp: %s\n", e.what());
    return 1;
  }
}
