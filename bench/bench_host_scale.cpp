// The stand-in editor on large pages, through D-Bus on a private bus: how long
// a page takes to load until the first call is answered and until the window
// holds all of it (the longest wait for an answer meanwhile), and what
// getselstart, setselection + puttextatcursor of 1 KB and getalltext cost at
// each size once it is loaded. getalltext is set beside host_echo, a plain
// GDBus service answering the same bytes (and beside the same with its answer
// made once at start); all are called by the same client code, taking turns
// run by run. Medians throughout.
//
//   bench_host_scale [--sizes 1,4,16,50] [--runs N] [--host PATH] [--echo PATH] [--no-fill]
//
// --no-fill skips waiting for the window to fill, for an editor that loads
// a page whole before it answers (and answers slowly on a large one).
#include <gio/gio.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_bus.h"
#include "host/dbus_host_editor.h"

using namespace tendrel;
using Clock = std::chrono::steady_clock;

namespace {

const char kEchoName[] = "Tendrel.Bench.Echo";
const char kPrebuiltName[] = "Tendrel.Bench.Prebuilt";

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// An HTML page of about `bytes` bytes: CR LF lines with two-, three- and
// four-byte characters, as a long product list would be.
std::string MakePage(size_t bytes) {
  std::string page =
      "<html>\r\n<head>\r\n<title>Catalogue</title>\r\n</head>\r\n<body>\r\n<h1>Caf\xC3\xA9 catalogue</h1>\r\n";
  const std::string tail = "</body>\r\n</html>\r\n";
  page.reserve(bytes + 200);
  for (int i = 0; page.size() + tail.size() < bytes; ++i)
    page += "<p class=\"item\">Item " + std::to_string(i) +
            ": na\xC3\xAFve caf\xC3\xA9 \xE2\x82\xAC 9.99 \xF0\x9F\x98\x80 and some plain words</p>\r\n";
  return page + tail;
}

using benchbus::WaitFor;

bool Owned(const char* name) {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(QString::fromLatin1(name)).value();
}

// getalltext (or whatever the echo is asked) through GDBus; the answer's
// bytes copied out as any client would.
std::string FetchText(GDBusConnection* bus, const char* dest) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, dest, "/Plugin", "Marquill4.Plugin", "Invoke",
      g_variant_new("(s@av)", "getalltext", g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0)),
      G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, 600000, nullptr, &error);
  if (reply == nullptr) {
    std::fprintf(stderr, "getalltext from %s failed: %s\n", dest, error->message);
    std::exit(1);
  }
  GVariant* boxed = nullptr;
  g_variant_get(reply, "(v)", &boxed);
  gsize length = 0;
  const gchar* text = g_variant_get_string(boxed, &length);
  std::string out(text, length);
  g_variant_unref(boxed);
  g_variant_unref(reply);
  return out;
}

class Editor {
 public:
  Editor(const QString& program, const QString& page, const QString& dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    proc_.setProcessEnvironment(env);
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    started_ = Clock::now();
    proc_.start(program, {page});
  }
  ~Editor() {
    proc_.kill();
    proc_.waitForFinished(10000);
    WaitFor([] { return !Owned("Marquill4.Plugin"); }, 10000);
  }
  // Milliseconds from the start until a call is first answered.
  double WaitForFirstAnswer() {
    if (!WaitFor([] { return Owned("Marquill4.Plugin"); }, 120000)) {
      std::fprintf(stderr, "the editor did not come onto the bus\n");
      std::exit(1);
    }
    client_ = DBusHostEditor::Create(120000);
    client_->CallInt("getselstart");
    return Ms(started_, Clock::now());
  }
  // Milliseconds from the start until the window holds the whole page, seen
  // as answers coming at once again (while it fills, a call waits for the
  // piece being put in); `longest` gets the longest wait meanwhile.
  double WaitUntilFilled(double* longest) {
    *longest = 0;
    int quick = 0;
    Clock::time_point firstQuick = Clock::now();
    const QDeadlineTimer deadline(120000);
    while (quick < 20 && !deadline.hasExpired()) {
      const auto t0 = Clock::now();
      client_->CallInt("getselstart");
      const double ms = Ms(t0, Clock::now());
      if (ms < 2.0) {
        if (quick++ == 0) firstQuick = t0;
      } else {
        quick = 0;
        *longest = std::max(*longest, ms);
      }
    }
    return Ms(started_, firstQuick);
  }
  DBusHostEditor& client() { return *client_; }

 private:
  QProcess proc_;
  Clock::time_point started_;
  std::unique_ptr<DBusHostEditor> client_;
};

struct Row {
  int mib = 0;
  double load = 0, filled = 0, longest = 0, selStart = 0, edit = 0, allText = 0, echo = 0, prebuilt = 0;
};

// A host_echo serving `page` under `name` until destroyed.
class Echo {
 public:
  Echo(const QString& program, const QString& page, const char* name, bool prebuilt) {
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args;
    if (prebuilt) args << QStringLiteral("--prebuilt");
    proc_.start(program, args << page << QString::fromLatin1(name));
    if (!proc_.waitForReadyRead(60000)) {
      std::fprintf(stderr, "host_echo did not start\n");
      std::exit(1);
    }
  }
  ~Echo() {
    proc_.kill();
    proc_.waitForFinished(5000);
  }

 private:
  QProcess proc_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<int> sizes = {1, 4, 16, 50};
  int runs = 9;
  QString host = QStringLiteral(MARQUILL_HOST_PATH), echo = QStringLiteral(HOST_ECHO_PATH);
  bool fill = true;
  for (int i = 1; i < argc; i += 2) {
    const std::string opt = argv[i];
    if (opt == "--no-fill") {
      fill = false;
      --i;
    } else if (i + 1 >= argc) {
      std::fprintf(stderr, "%s needs a value\n", opt.c_str());
      return 2;
    } else if (opt == "--sizes") {
      sizes.clear();
      for (const QString& s : QString::fromLocal8Bit(argv[i + 1]).split(QLatin1Char(','))) sizes.push_back(s.toInt());
    } else if (opt == "--runs") {
      runs = std::max(3, std::atoi(argv[i + 1]));
    } else if (opt == "--host") {
      host = QString::fromLocal8Bit(argv[i + 1]);
    } else if (opt == "--echo") {
      echo = QString::fromLocal8Bit(argv[i + 1]);
    } else {
      std::fprintf(stderr,
                   "usage: bench_host_scale [--sizes 1,4,16,50] [--runs N] [--host PATH] [--echo PATH] [--no-fill]\n");
      return 2;
    }
  }

  // A bus of our own, so no other editor answers in place of the one timed.
  QProcess daemon;
  if (!benchbus::StartPrivateBus(daemon)) return 1;
  GDBusConnection* gbus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);

  QTemporaryDir tmp;
  const QString pagePath = tmp.filePath(QStringLiteral("page.htm"));
  const QString echoPath = tmp.filePath(QStringLiteral("echo.htm"));
  std::printf("editor: %s\n%d runs of each call, alternating where two are compared; medians in ms\n\n",
              qPrintable(host), runs);
  std::vector<Row> rows;
  for (int mib : sizes) {
    Row row;
    row.mib = mib;
    const std::string page = MakePage(static_cast<size_t>(mib) << 20);
    std::ofstream(pagePath.toStdString(), std::ios::binary) << page;

    // Loading: a fresh editor each run; the last one stays for the calls.
    const int loads = mib >= 50 ? 3 : 5;
    std::vector<double> loadMs;
    std::unique_ptr<Editor> editor;
    for (int r = 0; r < loads; ++r) {
      editor.reset();
      editor = std::make_unique<Editor>(host, pagePath, tmp.filePath(QStringLiteral("data")));
      loadMs.push_back(editor->WaitForFirstAnswer());
    }
    row.load = Median(loadMs);
    // The last run's fill, never before that run's first answer.
    if (fill) row.filled = std::max(loadMs.back(), editor->WaitUntilFilled(&row.longest));
    DBusHostEditor& h = editor->client();

    const int middle = static_cast<int>(page.size() / 2);
    h.Invoke("setselection", {middle, 0});
    std::vector<double> selMs;
    for (int r = 0; r < std::max(runs, 51); ++r) {
      const auto t0 = Clock::now();
      if (h.CallInt("getselstart") < 0) return 1;
      selMs.push_back(Ms(t0, Clock::now()));
    }
    row.selStart = Median(selMs);

    // Output from the last tag to the first, as a page of many boxes is made.
    const std::string box = "<div class=\"box\">" + std::string(1024 - 30, 'x') + "\xC3\xA9</div>\r\n";
    std::vector<double> editMs;
    for (int r = 0; r < std::max(runs, 21); ++r) {
      const int at = static_cast<int>(page.size() - page.size() * static_cast<size_t>(r + 1) / 23);
      const auto t0 = Clock::now();
      h.Invoke("setselection", {at, 0});
      h.Invoke("puttextatcursor", {box});
      editMs.push_back(Ms(t0, Clock::now()));
    }
    row.edit = Median(editMs);

    // getalltext beside the echo of the same bytes.
    const std::string now = FetchText(gbus, "Marquill4.Plugin");
    if (now.size() < page.size()) {
      std::fprintf(stderr, "getalltext answered %zu bytes of %zu\n", now.size(), page.size());
      return 1;
    }
    std::vector<double> allMs, echoMs, prebuiltMs;
    std::unique_ptr<Echo> plainEcho, prebuiltEcho;
    if (!echo.isEmpty()) {
      std::ofstream(echoPath.toStdString(), std::ios::binary) << now;
      plainEcho = std::make_unique<Echo>(echo, echoPath, kEchoName, false);
      prebuiltEcho = std::make_unique<Echo>(echo, echoPath, kPrebuiltName, true);
    }
    struct Turn {
      const char* dest;
      std::vector<double>* ms;
    };
    std::vector<Turn> turns = {{"Marquill4.Plugin", &allMs}};
    if (!echo.isEmpty()) turns.insert(turns.end(), {{kEchoName, &echoMs}, {kPrebuiltName, &prebuiltMs}});
    for (int r = 0; r < runs; ++r)
      for (size_t k = 0; k < turns.size(); ++k) {
        const Turn& turn = turns[(static_cast<size_t>(r) + k) % turns.size()];
        const auto t0 = Clock::now();
        const size_t got = FetchText(gbus, turn.dest).size();
        turn.ms->push_back(Ms(t0, Clock::now()));
        if (got != now.size()) {
          std::fprintf(stderr, "%s answered %zu bytes, not %zu\n", turn.dest, got, now.size());
          return 1;
        }
      }
    row.allText = Median(allMs);
    row.echo = Median(echoMs);
    row.prebuilt = Median(prebuiltMs);
    editor.reset();
    rows.push_back(row);
    std::printf("%3d MiB done\n", mib);
    std::fflush(stdout);
  }

  std::printf("\n| page | first answer | page filled | longest wait while filling | getselstart |"
              " setselection + puttextatcursor 1 KB | getalltext | GDBus echo | ratio | prebuilt echo | ratio |\n"
              "|---|---|---|---|---|---|---|---|---|---|---|\n");
  auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
  for (const Row& r : rows) {
    const std::string filled = fill ? std::to_string(std::lround(r.filled)) + " | " + std::to_string(std::lround(r.longest))
                                    : "- | -";
    std::printf("| %d MiB | %.0f | %s | %.3f | %.2f | %.1f | %.1f | %.2f | %.1f | %.2f |\n", r.mib, r.load,
                filled.c_str(), r.selStart, r.edit, r.allText, r.echo, ratio(r.allText, r.echo), r.prebuilt,
                ratio(r.allText, r.prebuilt));
  }
  std::printf("\nTargets: getselstart <= 1 ms and the edit <= 20 ms at 16 MiB; getalltext <= 1.3 x echo;"
              " first answer at 50 MiB <= 1500 ms.\n");
  g_object_unref(gbus);
  daemon.kill();
  daemon.waitForFinished(3000);
  return 0;
}
