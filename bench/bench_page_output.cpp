// The page output through the stand-in editor on large pages, over D-Bus on
// a private bus: a page of 10 MiB holding 1,000 Saleboxes and one of 20 MiB
// holding 2,000. The new Salebox goes in before all the others, so every tag
// of the page is renamed and rewritten; then the page support is added and
// the page replaced. A fresh editor serves each run, filled before the clock
// starts; the two pages take turns. Reports the median, least and most of the runs, the time spent in
// each host call (median run), and the growth from one size to the next.
//
//   bench_page_output [--runs N] [--host PATH]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
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
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "bench/bench_bus.h"
#include "host/dbus_host_editor.h"
#include "platform/dialogs.h"
#include "seller/output/page_output.h"
#include "seller/shell/context.h"
#include "bench/bench_dialogs.h"

using namespace tendrel;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

using benchbus::WaitFor;

bool EditorOnBus() {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("Marquill4.Plugin")).value();
}

// The D-Bus host with the calls counted and timed by name.
class TimedHost : public HostEditor {
 public:
  explicit TimedHost(std::unique_ptr<HostEditor> inner) : inner_(std::move(inner)) {}
  struct Tally {
    int calls = 0;
    double ms = 0;
  };
  std::map<std::string, Tally> tally;

  HostValue Invoke(const std::string& name, const std::vector<HostValue>& args) override {
    const auto t0 = Clock::now();
    HostValue v = inner_->Invoke(name, args);
    Tally& t = tally[name];
    ++t.calls;
    t.ms += Ms(t0, Clock::now());
    return v;
  }

 private:
  std::unique_ptr<HostEditor> inner_;
};

// A page of about `bytes` bytes with `boxes` Saleboxes spread evenly through
// its body among paragraphs of CR LF lines with two-, three- and four-byte
// characters. The caret's place, right after the body tag, comes back in
// `caret`.
std::string MakePage(size_t bytes, int boxes, SettingsStore& settings, int* caret) {
  std::string page =
      "<html>\r\n<head>\r\n<title>Catalogue</title>\r\n</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n";
  *caret = static_cast<int>(page.size());
  const std::string tail = "</body>\r\n</html>\r\n";
  std::vector<std::string> tags;
  size_t tagBytes = 0;
  for (int i = 0; i < boxes; ++i) {
    TApplet a(&settings);
    a.AppletName = "Box" + std::to_string(i);
    a.ProductID = std::to_string(100000 + i);
    a.ProductName = "Caf\xC3\xA9 guide " + std::to_string(i);
    a.Description = "A guide to the caf\xC3\xA9s of the town, part " + std::to_string(i);
    a.VendorID = "V42";
    a.Cost = "25";
    a.MediaType = "text/html";
    a.SourceFile = "/home/v/guides/guide" + std::to_string(i) + ".htm";
    a.PreviewURL = "teasers/guide" + std::to_string(i) + ".gif";
    a.Width = "200";
    a.Height = "300";
    tags.push_back(a.BuildTag() + "\r\n");
    tagBytes += tags.back().size();
  }
  const size_t fill = bytes > page.size() + tail.size() + tagBytes ? bytes - page.size() - tail.size() - tagBytes : 0;
  const size_t perGap = fill / static_cast<size_t>(boxes + 1);
  page.reserve(bytes + 4096);
  int line = 0;
  auto paragraphs = [&](size_t want) {
    const size_t until = page.size() + want;
    while (page.size() < until)
      page += "<p class=\"item\">Item " + std::to_string(line++) +
              ": na\xC3\xAFve caf\xC3\xA9 \xE2\x82\xAC 9.99 \xF0\x9F\x98\x80 and some plain words</p>\r\n";
  };
  for (const std::string& tag : tags) {
    paragraphs(perGap);
    page += tag;
  }
  paragraphs(perGap);
  return page + tail;
}

class Editor {
 public:
  Editor(const QString& program, const QString& page, const QString& dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    proc_.setProcessEnvironment(env);
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(program, {page});
  }
  ~Editor() {
    proc_.kill();
    proc_.waitForFinished(10000);
    WaitFor([] { return !EditorOnBus(); }, 10000);
  }
  // On the bus, with the whole page in its window: answers come at once.
  bool WaitUntilReady() {
    if (!WaitFor([] { return EditorOnBus(); }, 120000)) return false;
    auto probe = DBusHostEditor::Create(120000);
    int quick = 0;
    const QDeadlineTimer deadline(120000);
    while (quick < 20 && !deadline.hasExpired()) {
      const auto t0 = Clock::now();
      probe->CallInt("getselstart");
      quick = Ms(t0, Clock::now()) < 2.0 ? quick + 1 : 0;
    }
    return quick >= 20;
  }

 private:
  QProcess proc_;
};

struct Row {
  int mib = 0, boxes = 0;
  std::vector<double> runs;
  std::map<std::string, TimedHost::Tally> tally;  // of the median run
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Bravant"));
  int runs = 5;
  QString hostProgram = QStringLiteral(MARQUILL_HOST_PATH);
  for (int i = 1; i < argc; i += 2) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%s needs a value\n", opt.c_str());
      return 2;
    } else if (opt == "--runs") {
      runs = std::max(3, std::atoi(argv[i + 1]));
    } else if (opt == "--host") {
      hostProgram = QString::fromLocal8Bit(argv[i + 1]);
    } else {
      std::fprintf(stderr, "usage: bench_page_output [--runs N] [--host PATH]\n");
      return 2;
    }
  }

  // A bus of our own, so no other editor answers in place of the one timed,
  // and folders of our own for the settings and the script template.
  QProcess daemon;
  if (!benchbus::StartPrivateBus(daemon)) return 1;
  QTemporaryDir tmp;
  setenv("XDG_DATA_HOME", tmp.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
  setenv("XDG_CONFIG_HOME", tmp.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
  const QString pagePath = tmp.filePath(QStringLiteral("catalogue.htm"));

  std::printf("editor: %s\n%d runs of each page, a fresh editor each; ms\n\n", qPrintable(hostProgram), runs);
  // The sizes take turns, run by run, so a change in the machine's load
  // falls on both alike.
  std::vector<Row> rows = {{10, 1000, {}, {}}, {20, 2000, {}, {}}};
  std::vector<std::vector<std::map<std::string, TimedHost::Tally>>> tallies(rows.size());
  for (int r = 0; r < runs; ++r) {
    for (size_t k = 0; k < rows.size(); ++k) {
      Row& row = rows[k];
      const int mib = row.mib, boxes = row.boxes;
      BenchDialogs dialogs{true};
      BravantContext ctx(dialogs);
      int caret = 0;
      const std::string page = MakePage(static_cast<size_t>(mib) << 20, boxes, ctx.Settings(), &caret);
      std::ofstream(pagePath.toStdString(), std::ios::binary | std::ios::trunc) << page;
      Editor editor(hostProgram, pagePath, tmp.filePath(QStringLiteral("editor")));
      if (!editor.WaitUntilReady()) {
        std::fprintf(stderr, "the editor did not come onto the bus with the page\n");
        return 1;
      }
      auto timed = std::make_unique<TimedHost>(DBusHostEditor::Create(120000));
      TimedHost* host = timed.get();
      ctx.AttachHost(std::move(timed));
      host->Invoke("setselection", {caret, 0});
      host->tally.clear();
      TApplet& current = ctx.Applet();
      current.ProductID = "NEW";
      current.VendorID = "V42";
      current.Cost = "25";
      current.MediaType = "text/plain";
      current.Width = "200";
      current.Height = "300";

      PageOutput output(ctx);
      const auto t0 = Clock::now();
      const OutputResult result = output.OutputAll();
      const double ms = Ms(t0, Clock::now());
      tallies[k].push_back(host->tally);

      // Checked after the clock: every Salebox renamed in order, the new one first.
      const std::string after = host->CallText("getalltext");
      const std::string last = "<applet name=\"Tillon" + std::to_string(boxes + 1) + "\"";
      if (result != OutputResult::Placed || output.DocumentApplets().size() != static_cast<size_t>(boxes + 1) ||
          output.DocumentApplets().front().ProductID != "NEW" || after.find(last) == std::string::npos ||
          after.find("var TillonSaleboxCount = " + std::to_string(boxes + 1) + ";") == std::string::npos ||
          PosCI("<applet name=\"Box", after) != 0) {
        std::fprintf(stderr, "the page output at %d MiB did not come out as it should\n", mib);
        return 1;
      }
      row.runs.push_back(ms);
      std::printf("%3d MiB, %4d Saleboxes: run %d: %.0f ms\n", mib, boxes, r + 1, ms);
      std::fflush(stdout);
    }
  }
  for (size_t k = 0; k < rows.size(); ++k) {
    // The tally of the run nearest the median.
    Row& row = rows[k];
    const double median = Median(row.runs);
    size_t nearest = 0;
    for (size_t i = 1; i < row.runs.size(); ++i)
      if (std::abs(row.runs[i] - median) < std::abs(row.runs[nearest] - median)) nearest = i;
    row.tally = tallies[k][nearest];
  }

  std::printf("\n| page | Saleboxes | median | least | most |\n|---|---|---|---|---|\n");
  for (const Row& r : rows)
    std::printf("| %d MiB | %d | %.0f | %.0f | %.0f |\n", r.mib, r.boxes, Median(r.runs),
                *std::min_element(r.runs.begin(), r.runs.end()), *std::max_element(r.runs.begin(), r.runs.end()));
  std::printf("\nHost calls of the median run (calls, ms in all):\n");
  for (const Row& r : rows) {
    std::printf("  %d MiB:", r.mib);
    for (const auto& [name, t] : r.tally) std::printf(" %s %d/%.0f", name.c_str(), t.calls, t.ms);
    std::printf("\n");
  }
  const double ratio = Median(rows[1].runs) / Median(rows[0].runs);
  std::printf("\n20 MiB / 10 MiB: %.2f\nTargets: 10 MiB <= 2000 ms; 20 MiB <= 2.2 x 10 MiB.\n", ratio);
  daemon.kill();
  daemon.waitForFinished(3000);
  return 0;
}
