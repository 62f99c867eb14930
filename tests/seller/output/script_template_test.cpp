// The shipped script template: its frame, what it must never hold, and its
// JavaScript part run in node against a page of stand-in applets.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>

#include "output_support.h"
#include "seller/output/page_support.h"

using namespace tendrel;
using namespace outputtest;

namespace {

const char kJavaScriptStart[] = "<script language=\"JavaScript\">";

// The JavaScript part's script, placeholder replaced by `count`.
std::string JavaScriptPart(size_t count) {
  const std::string block = ScriptBlockFor(count);
  const size_t start = block.find(kJavaScriptStart);
  if (start == std::string::npos) return {};
  const size_t body = start + std::string(kJavaScriptStart).size();
  return block.substr(body, block.find("</script>", body) - body);
}

// Loads the script into a page whose applets Tillon1 to Tillon4 are stand-ins
// (Tillon2 of another class), calls TillonOnLoad() and runs the timers it
// sets. The communications applet answers from the `readyAfter` + 1-th
// lookup on; with "throws" the applet context cannot be had. Returns the
// alerts, the timer delays and the applets handed the communications applet.
const char kHarness[] = R"JS(
const fs = require('fs'), vm = require('vm');
const code = fs.readFileSync(process.argv[2], 'utf8');
const [browser, readyAfter, contextFails] = [process.argv[3], Number(process.argv[4]), process.argv[5] === 'throws'];
const out = {alerts: [], timeouts: [], wired: [], asked: []};
const comms = {};
let lookups = 0;
function applet(name, cls) {
  return {
    getClass() { return {getName() { return cls; }}; },
    getAppletContext() {
      if (contextFails) throw new Error('no Java here');
      return {getApplet(n) { out.asked.push(n); return ++lookups > readyAfter ? comms : null; }};
    },
    setCommsApplet(c) { out.wired.push(c === comms ? name : name + ' (not the comms applet)'); },
  };
}
const browsers = {
  navigator4: {appName: 'Netscape', appVersion: '4.08 [en] (Win98; I)', javaEnabled: () => true},
  navigator2: {appName: 'Netscape', appVersion: '2.02 (Win95; I)', javaEnabled: () => true},
  nojava: {appName: 'Netscape', appVersion: '4.08 [en] (Win98; I)', javaEnabled: () => false},
  explorer: {appName: 'Microsoft Internet Explorer', appVersion: '4.0 (compatible; MSIE 5.5)', javaEnabled: () => true},
  other: {appName: 'Lynx', appVersion: '2.8', javaEnabled: () => false},
};
const pending = [];
const page = {
  navigator: browsers[browser],
  document: {applets: {Tillon1: applet('Tillon1', 'VendorApplet'), Tillon2: applet('Tillon2', 'com.shop.Banner'),
                       Tillon3: applet('Tillon3', 'VendorApplet'), Tillon4: applet('Tillon4', 'VendorApplet')}},
  alert: (m) => out.alerts.push(m),
  setTimeout: (f, ms) => { out.timeouts.push(ms); pending.push(f); },
};
vm.createContext(page);
vm.runInContext(code, page);
vm.runInContext('TillonOnLoad()', page);
while (pending.length > 0 && out.timeouts.length < 20) {
  const f = pending.shift();
  if (typeof f === 'function') f(); else vm.runInContext(f, page);
}
console.log(JSON.stringify(out));
)JS";

class ScriptTemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty()) GTEST_SKIP() << "node is not installed";
    ASSERT_TRUE(dir.isValid());
  }
  // node's exit code and what it wrote.
  int Node(const QStringList& args, QByteArray* out) {
    QProcess p;
    p.start(node, args);
    if (!p.waitForFinished(30000)) return -1;
    *out = p.readAllStandardOutput() + p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  QString Write(const char* name, const std::string& text) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    return path;
  }
  QJsonObject Run(const char* browser, int readyAfter, bool contextFails = false) {
    const QString script = Write("script.js", JavaScriptPart(3));
    const QString harness = Write("harness.js", kHarness);
    QByteArray out;
    const int code = Node({harness, script, QString::fromLatin1(browser), QString::number(readyAfter),
                           QString::fromLatin1(contextFails ? "throws" : "works")},
                          &out);
    EXPECT_EQ(code, 0) << out.toStdString();
    return QJsonDocument::fromJson(out).object();
  }
  static std::vector<std::string> Texts(const QJsonValue& v) {
    std::vector<std::string> texts;
    for (const QJsonValue& e : v.toArray()) texts.push_back(e.isString() ? e.toString().toStdString() : std::to_string(e.toInt()));
    return texts;
  }

  QString node;
  QTemporaryDir dir;
};

}  // namespace

TEST(ScriptTemplate, OneBlockThatKeepsOutOfThePageSearches) {
  const std::string raw = ShippedTemplate();
  ASSERT_FALSE(raw.empty());
  EXPECT_EQ(raw.rfind(std::string(kScriptStartMarker) + "\n", 0), 0u);
  EXPECT_EQ(raw.substr(raw.size() - std::string(kScriptEndMarker).size() - 1), std::string(kScriptEndMarker) + "\n");
  EXPECT_EQ(Count(raw, kScriptStartMarker), 1u);
  EXPECT_EQ(Count(raw, kScriptEndMarker), 1u);
  EXPECT_EQ(Count(raw, "[NUMVENDAPPLETS]"), 1u);
  EXPECT_EQ(Count(raw, "<script language=\"VBScript\">"), 1u);
  EXPECT_EQ(Count(raw, kJavaScriptStart), 1u);
  // The page is searched for these after the block is in: the block must
  // hold none of them.
  for (const std::string& text : {std::string("<body"), std::string("</body>"), std::string("<head>"),
                                  std::string("<applet"), std::string("</applet>"), std::string("onLoad="),
                                  std::string(kCommsAppletStart), BrowserObjectStart()})
    EXPECT_EQ(Count(raw, text), 0u) << text;
}

TEST_F(ScriptTemplateTest, TheJavaScriptPartIsValid) {
  for (const size_t count : {0u, 1u, 1000u}) {
    const std::string js = JavaScriptPart(count);
    ASSERT_NE(js.find("function TillonOnLoad()"), std::string::npos);
    QByteArray out;
    EXPECT_EQ(Node({QStringLiteral("--check"), Write("check.js", js)}, &out), 0) << count << ": " << out.toStdString();
  }
  // A broken script is refused, so the check above means something.
  QByteArray out;
  EXPECT_NE(Node({QStringLiteral("--check"), Write("broken.js", JavaScriptPart(3) + "\n}")}, &out), 0);
}

TEST_F(ScriptTemplateTest, OnLoadWiresTheSaleboxesOnceTheCommsAppletAnswers) {
  const QJsonObject r = Run("navigator4", 2);
  EXPECT_TRUE(Texts(r["alerts"]).empty());
  // Twice nothing: tried again after 5000 ms each time.
  EXPECT_EQ(Texts(r["timeouts"]), (std::vector<std::string>{"5000", "5000"}));
  EXPECT_EQ(Texts(r["asked"]), (std::vector<std::string>(3, "tilloncommsapplet")));
  // Tillon1 to Tillon3 (the count), those of class VendorApplet.
  EXPECT_EQ(Texts(r["wired"]), (std::vector<std::string>{"Tillon1", "Tillon3"}));

  const QJsonObject at_once = Run("explorer", 0);
  EXPECT_TRUE(Texts(at_once["timeouts"]).empty());
  EXPECT_EQ(Texts(at_once["wired"]), (std::vector<std::string>{"Tillon1", "Tillon3"}));
}

TEST_F(ScriptTemplateTest, ALookupThatFailsIsNotRetried) {
  const QJsonObject r = Run("navigator4", 0, true);
  EXPECT_TRUE(Texts(r["timeouts"]).empty());
  EXPECT_TRUE(Texts(r["wired"]).empty());
}

TEST_F(ScriptTemplateTest, TheVisitorIsToldWhatTheBrowserLacks) {
  const std::vector<std::string> old = Texts(Run("navigator2", 0)["alerts"]);
  ASSERT_EQ(old.size(), 1u);
  EXPECT_NE(old[0].find("Netscape Navigator 3.0 or later"), std::string::npos);
  const std::vector<std::string> noJava = Texts(Run("nojava", 0)["alerts"]);
  ASSERT_EQ(noJava.size(), 1u);
  EXPECT_NE(noJava[0].find("Java is switched off"), std::string::npos);
  const std::vector<std::string> other = Texts(Run("other", 0)["alerts"]);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_NE(other[0].find("Internet Explorer 3.01 or later"), std::string::npos);
  // Internet Explorer is the VBScript part's to check.
  EXPECT_TRUE(Texts(Run("explorer", 0)["alerts"]).empty());
}
