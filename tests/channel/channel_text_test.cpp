// The generated texts against real readers: the IE channel file through an
// XML parser, the Netcaster script through node; and the values the script
// and files take from the fields.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QXmlStreamReader>
#include <fstream>

#include "channel/channel_text.h"
#include "channel/generate_channels.h"
#include "tests/channel/channel_support.h"

// Failures show the text, not its UTF-16 units.
void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

using namespace tendrel;
using namespace channeltest;

namespace {

// The text and the attributes of the IE channel file as a parser reads them.
struct ReadBack {
  QString error, channelHref, title;
  QStringList logos;
};

ReadBack ParseIE(const std::string& cdf) {
  ReadBack r;
  QXmlStreamReader xml(QByteArray::fromStdString(cdf));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"CHANNEL") r.channelHref = xml.attributes().value("HREF").toString();
    else if (xml.name() == u"TITLE") r.title = xml.readElementText();
    else if (xml.name() == u"LOGO") r.logos << xml.attributes().value("HREF").toString();
  }
  if (xml.hasError()) r.error = xml.errorString();
  return r;
}

ChannelFields WebFields() {
  ChannelFields f;
  f.url = "http://www.example.com/news/";
  f.ieFile = "file:///tmp/site/ie.cdf";
  f.ieIcon = "http://www.example.com/i.ico";
  f.iePicture = "http://www.example.com/p.gif";
  f.pcSelf = "http://www.example.com/pc.cdf";
  f.pcHours = "1";
  return f;
}

TEST(IEChannelFile, ParsesAsXmlWhateverTheTitle) {
  struct Case {
    std::string typed;
    QString readBack;
  };
  const Case cases[] = {
      {"Tom & Jerry's <News>", "Tom & Jerry's <News>"},
      {"say \"hi\" & 'bye' ]]> now", "say \"hi\" & 'bye' ]]> now"},
      {"two\r\nlines\tand a tab", "two\r\nlines\tand a tab"},
      {"Caf\xC3\xA9 \xE2\x82\xAC", QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC")},
      // Bytes XML cannot hold: control bytes go, broken UTF-8 becomes U+FFFD.
      {"a\x01\x1F" "b\x7F", "ab\x7F"},
      {"Caf\xE9!", QString::fromUtf8("Caf\xEF\xBF\xBD!")},
      {"\xEF\xBF\xBF|\xED\xA0\x80", QString::fromUtf8("\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD")},
  };
  for (const Case& c : cases) {
    ChannelFields f = WebFields();
    f.title = c.typed;
    const ReadBack r = ParseIE(BuildIEChannelFile(f));
    EXPECT_TRUE(r.error.isEmpty()) << c.typed << ": " << r.error.toStdString();
    EXPECT_EQ(r.title, c.readBack) << c.typed;
  }
  // Attributes keep their &, quotes and line breaks too.
  ChannelFields f = WebFields();
  f.url = "http://x.example/?a=1&b=\"2\"<\t>";
  f.ieIcon = "http://x.example/i.ico?\r\n";
  const ReadBack r = ParseIE(BuildIEChannelFile(f));
  EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  EXPECT_EQ(r.channelHref, "http://x.example/?a=1&b=\"2\"<\t>");
  EXPECT_EQ(r.title, "http://x.example/?a=1&b=\"2\"<\t>");
  EXPECT_EQ(r.logos, QStringList({"http://x.example/i.ico?", "http://www.example.com/p.gif"}));
}

TEST(IEChannelFile, LogoReferencesUseSlashes) {
  ChannelFields f = WebFields();
  f.ieFile = "file:///C|/web/ch/ie.cdf";
  f.ieIcon = "file:///C|/web/img/a.ico";
  f.iePicture = "C:\\web\\img\\b.gif";  // a path of another form stays absolute
  const ReadBack r = ParseIE(BuildIEChannelFile(f));
  EXPECT_EQ(r.logos, QStringList({"../img/a.ico", "C:/web/img/b.gif"}));
}

TEST(PointCastChannelFile, EscapesEveryQuotedValue) {
  ChannelFields f = WebFields();
  f.title = "Tom & \"Jerry\"";
  f.description = "<b>";
  const std::string pc = BuildPointCastChannelFile(f);
  EXPECT_NE(pc.find("\tTitle = \"Tom &amp; &quot;Jerry&quot;\"\r\n"), std::string::npos);
  EXPECT_NE(pc.find("\t\tTitle = \"Tom &amp; &quot;Jerry&quot;\"\r\n"), std::string::npos);
  EXPECT_NE(pc.find("\tAbstract = \"&lt;b&gt;\"\r\n"), std::string::npos);
}

// The script's lines that carry the fields.
TEST(NetcasterScript, ValuesFromTheFields) {
  const PennantConfig config = TestConfig();
  ChannelFields f = WebFields();
  const char* codes[] = {"3", "4", "5", "6"};
  for (int i = 0; i < 4; ++i) {
    f.netscapeUpdate = i;
    const std::string s = BuildNetcasterScript(f, "file:///tmp/site/index.htm", config);
    EXPECT_NE(s.find(std::string("\r\nvar chanIntervalTime = ") + codes[i] + ";\r\n"), std::string::npos) << i;
  }
  struct Depth {
    std::string typed, line;
  };
  for (const Depth& d : {Depth{"", "var chanDepth =1;"}, Depth{"  ", "var chanDepth =1;"},
                         Depth{"12", "var chanDepth =12;"}}) {
    f.netscapeDepth = d.typed;
    EXPECT_NE(BuildNetcasterScript(f, "", config).find("\r\n" + d.line + "\r\n"), std::string::npos) << d.typed;
  }
  f.netscapeDisplay = "full";
  f.netscapePicture = "  ";
  std::string s = BuildNetcasterScript(f, "file:///tmp/site/index.htm", config);
  EXPECT_NE(s.find("\r\nvar chanMode=\"full\";\r\n"), std::string::npos);
  EXPECT_NE(s.find("\r\nvar chanCardURL ='';\r\n"), std::string::npos);
  f.netscapePicture = "http://www.example.com/n.ico";
  s = BuildNetcasterScript(f, "file:///tmp/site/index.htm", config);
  EXPECT_NE(s.find("\r\nvar chanCardURL ='http://www.example.com/n.ico';\r\n"), std::string::npos);
}

// The bodies of the five SCRIPT elements, between "<!--" and "//-->".
std::vector<std::string> ScriptBodies(const std::string& script) {
  std::vector<std::string> bodies;
  for (size_t at = 0; (at = script.find("<!--\r\n", at)) != std::string::npos;) {
    const size_t end = script.find("//-->\r\n</SCRIPT>\r\n", at);
    if (end == std::string::npos) break;
    bodies.push_back(script.substr(at + 6, end - at - 6));
    at = end;
  }
  return bodies;
}

// Runs node on a script file; its exit code and what it wrote.
std::pair<int, std::string> Node(const QStringList& args) {
  QProcess node;
  node.start("/usr/bin/node", args);
  node.waitForFinished(30000);
  return {node.exitCode(), (node.readAllStandardOutput() + node.readAllStandardError()).toStdString()};
}

TEST(NetcasterScript, StaysValidJavaScriptWhateverIsTyped) {
  if (!QFile::exists("/usr/bin/node")) GTEST_SKIP() << "node is not installed";
  QTemporaryDir dir;
  ChannelFields f = WebFields();
  f.url = "http://x.example/it's\\here\"</script><!--<SCRIPT>";
  f.title = "Tom's \"News\" \\ \r\nnext\xE2\x80\xA8line\x01";
  f.description = "</SCRIPT> back\\slash 'single' \"double\"\n";
  f.netscapeDisplay = "web\"top'";
  f.netscapePicture = "http://x.example/a'b\\c.ico";
  const std::string script = BuildNetcasterScript(f, "file:///tmp/site/index.htm", TestConfig());

  // The values cannot end an element or open a comment or script inside one.
  const QString upper = QString::fromStdString(script).toUpper();
  EXPECT_EQ(upper.count("</SCRIPT"), 5);
  EXPECT_EQ(upper.count("<SCRIPT"), 5);
  EXPECT_EQ(upper.count("<!--"), 5);

  const std::vector<std::string> bodies = ScriptBodies(script);
  ASSERT_EQ(bodies.size(), 5u);
  for (size_t i = 0; i < bodies.size(); ++i) {
    const std::string path = dir.filePath(QString("element%1.js").arg(i + 1)).toStdString();
    std::ofstream(path, std::ios::binary) << bodies[i];
    const auto [code, output] = Node({"--check", QString::fromStdString(path)});
    EXPECT_EQ(code, 0) << "element " << i + 1 << ": " << output;
  }

  // Run the first element: each value reads back as typed (trimmed).
  const std::string path = dir.filePath("values.js").toStdString();
  std::ofstream(path, std::ios::binary)
      << "var screen = {availTop: 0, availLeft: 0};\n" << bodies[0]
      << "\nprocess.stdout.write(JSON.stringify([chanURL, chanName, chanDesc, chanMode, chanCardURL]));\n";
  const auto [code, output] = Node({QString::fromStdString(path)});
  ASSERT_EQ(code, 0) << output;
  const QJsonArray values = QJsonDocument::fromJson(QByteArray::fromStdString(output)).array();
  EXPECT_EQ(values.at(0).toString().toStdString(), f.url);
  EXPECT_EQ(values.at(1).toString().toStdString(), "Tom's \"News\" \\ \r\nnext\xE2\x80\xA8line");
  EXPECT_EQ(values.at(2).toString().toStdString(), "</SCRIPT> back\\slash 'single' \"double\"");
  EXPECT_EQ(values.at(3).toString().toStdString(), f.netscapeDisplay);
  EXPECT_EQ(values.at(4).toString().toStdString(), f.netscapePicture);
}

TEST(Escaping, PlainValuesStayAsTheyAre) {
  const std::string plain = "Caf\xC3\xA9 News: 100% (daily) \xE2\x82\xAC / \t";
  EXPECT_EQ(EscapeCdf(plain, CdfPlace::Text), plain);
  EXPECT_EQ(EscapeScriptString(plain, '"'), plain);
  EXPECT_EQ(EscapeScriptString("it's", '"'), "it's");
  EXPECT_EQ(EscapeScriptString("say \"hi\"", '\''), "say \"hi\"");
  EXPECT_EQ(EscapeHtmlAttribute("a<b>'c'"), "a<b>'c'");
}

}  // namespace
