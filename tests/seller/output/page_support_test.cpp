// The page support's text work: where the script block, the start-up
// handler, the browser object and the communications applet go, and when
// they are left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "seller/output/page_support.h"

using namespace tendrel;

namespace {

// Sets an environment variable for the life of the object.
class EnvValue {
 public:
  EnvValue(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
  ~EnvValue() { unsetenv(name_); }

 private:
  const char* name_;
};

}  // namespace

TEST(AddBodyOnLoad, TheFourRules) {
  struct Case {
    std::string tag, expected;
  } cases[] = {
      // No handler: the attribute goes before the ">".
      {"<body>", "<body onLoad=\"TillonOnLoad()\">"},
      {"<BODY bgcolor=\"#FFFFFF\">", "<BODY bgcolor=\"#FFFFFF\" onLoad=\"TillonOnLoad()\">"},
      // Only the start-up handler, in any case: no change.
      {"<body onLoad=\"TillonOnLoad()\">", ""},
      {"<body ONLOAD=tillononload()>", ""},
      // Another handler: the start-up handler runs first.
      {"<body onLoad=\"init()\">", "<body onLoad=\"TillonOnLoad();init()\">"},
      {"<body bgcolor=white onload=init()>", "<body bgcolor=white onload=TillonOnLoad();init()>"},
      {"<body onLoad=\"start(1); go()\" text=black>", "<body onLoad=\"TillonOnLoad();start(1); go()\" text=black>"},
      // Called among others already: no change.
      {"<body onLoad=\"TillonOnLoad();init()\">", ""},
      {"<body onLoad=\"init(); tillonOnLoad()\">", ""},
      // An empty handler is filled in rather than followed by a second one.
      {"<body onLoad=\"\" bgcolor=red>", "<body onLoad=\"TillonOnLoad()\" bgcolor=red>"},
      // Only the handler's own text gets the start-up call in front.
      {"<body bgcolor=\"yellow\" onLoad=\"y\">", "<body bgcolor=\"yellow\" onLoad=\"TillonOnLoad();y\">"},
      {"<body id=\"onload\" onLoad=go()>", "<body id=\"onload\" onLoad=TillonOnLoad();go()>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddBodyOnLoad(c.tag), c.expected) << c.tag;
    // A second output leaves the tag as the first made it.
    if (!c.expected.empty()) {
      EXPECT_EQ(AddBodyOnLoad(c.expected), "") << c.expected;
    }
  }
}

TEST(ScriptBlock, OldBlocksAreRemovedWhateverTheirCase) {
  const std::string page =
      "<head><!-- Start Tillon Script -->old 1<!-- End Tillon Script -->\r\n<title>t</title>"
      "<!-- START TILLON SCRIPT -->old 2\r\n<!-- end tillon script --></head>";
  EXPECT_EQ(RemoveScriptBlocks(page), "<head>\r\n<title>t</title></head>");
  // A start marker without its end marker stays, with what follows it.
  const std::string open = "<head><!-- Start Tillon Script -->half";
  EXPECT_EQ(RemoveScriptBlocks(open), open);
  EXPECT_EQ(RemoveScriptBlocks("no markers"), "no markers");
}

TEST(ScriptBlock, GoesRightBehindTheFirstPlainHeadTag) {
  std::string page = "<html>\r\n<HEAD>\r\n<title>x</title>\r\n</head><head>";
  EXPECT_TRUE(InsertScriptBlock(page, "[S]"));
  EXPECT_EQ(page, "<html>\r\n<HEAD>[S]\r\n<title>x</title>\r\n</head><head>");
  // A head start tag with attributes is not "<head>".
  for (std::string none : {std::string("<head lang=\"en\">\r\n</head>"), std::string("<header>"), std::string("")}) {
    const std::string before = none;
    EXPECT_FALSE(InsertScriptBlock(none, "[S]"));
    EXPECT_EQ(none, before);
  }
}

TEST(BrowserObject, TheBlockAndItsDeploymentValues) {
  EXPECT_TRUE(std::regex_match(BrowserObjectStart(),
                               std::regex("<OBJECT CLASSID=\"clsid:[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                          "[0-9A-F]{12}\"")));
  EXPECT_EQ(BrowserObjectBlock(), BrowserObjectStart() +
                                      "\r\nCODEBASE=\"http://www.tillon.com/Salebox/lib/saleboxLib.cab\">\r\n"
                                      "</OBJECT>\r\n");
  EnvValue url("BRAVANT_PLAIN_URL", "http://plain.test:8080/");
  EnvValue id("BRAVANT_OBJECT_CLSID", "00000000-1111-2222-3333-444444444444");
  EXPECT_EQ(BrowserObjectBlock(),
            "<OBJECT CLASSID=\"clsid:00000000-1111-2222-3333-444444444444\"\r\n"
            "CODEBASE=\"http://plain.test:8080/Salebox/lib/saleboxLib.cab\">\r\n</OBJECT>\r\n");
}

TEST(BrowserObject, GoesAtTheStartOfTheLineAfterTheBodyTag) {
  const std::string block = BrowserObjectBlock();
  struct Case {
    std::string page, expected;
  } cases[] = {
      {"<head></head>\r\n<body bgcolor=red><p>x</p>\r\n<p>y</p></body>",
       "<head></head>\r\n<body bgcolor=red><p>x</p>\r\n" + block + "<p>y</p></body>"},
      // Bare LF and CR line ends count as line breaks too.
      {"<body>\n<p>y</p>", "<body>\n" + block + "<p>y</p>"},
      {"<body>\r<p>y</p>", "<body>\r" + block + "<p>y</p>"},
      // A body tag over two lines is not split.
      {"<body\r\n bgcolor=red>\r\n<p>y</p>", "<body\r\n bgcolor=red>\r\n" + block + "<p>y</p>"},
      // No line break after the tag: on a line of its own right behind it.
      {"<body><p>y</p></body>", "<body>\r\n" + block + "<p>y</p></body>"},
      // No body start tag at all, or a "<body" never closed: nothing.
      {"<p>y</p></body>\r\n", "<p>y</p></body>\r\n"},
      {"<p>y</p><body\r\n", "<p>y</p><body\r\n"},
  };
  for (const Case& c : cases) {
    std::string page = c.page;
    InsertBrowserObject(page);
    EXPECT_EQ(page, c.expected) << c.page;
  }
}

TEST(BrowserObject, APageHoldingOneGetsNoSecond) {
  const std::string start = BrowserObjectStart();
  std::string lower;
  for (const char ch : start) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  for (const std::string& held : {start, lower}) {
    std::string page = "<body>\r\n" + held + " CODEBASE=\"elsewhere\"></object>\r\n</body>";
    const std::string before = page;
    InsertBrowserObject(page);
    EXPECT_EQ(page, before);
  }
}

TEST(CommsApplet, ThePublishedLinesAndTheirDeploymentValue) {
  EXPECT_EQ(PublishedCommsApplet(),
            "<applet name=\"tilloncommsapplet\"\r\n"
            "codebase=\"https://secure.tillon.com/Salebox/classes/\"\r\n"
            "code=\"com.tillon.tankard.comms.TillonCommsApplet\"\r\n"
            "width=2 height=1>\r\n"
            "</applet>");
  EnvValue url("BRAVANT_SECURE_URL", "https://secure.test:8443//");
  EXPECT_EQ(PublishedCommsApplet().rfind(
                "<applet name=\"tilloncommsapplet\"\r\ncodebase=\"https://secure.test:8443/Salebox/classes/\"\r\n", 0),
            0u);
}

TEST(CommsApplet, GoesOnceRightBeforeTheFirstBodyEnd) {
  const std::string block = std::string(kCommsAppletComment) + "\r\n[applet]\r\n";
  struct Case {
    std::string page, expected;
  } cases[] = {
      {"<p>x</p>\r\n</BODY>\r\n</body>", "<p>x</p>\r\n" + block + "</BODY>\r\n</body>"},
      // Its comment opens a line of its own.
      {"<p>x</p></body>", "<p>x</p>\r\n" + block + "</body>"},
      {"</body>", block + "</body>"},
      // Without "</body>", nothing.
      {"<body><p>x</p>", "<body><p>x</p>"},
      // A page holding one, in any case, gets no second.
      {"<APPLET NAME=\"TillonCommsApplet\"></applet></body>", "<APPLET NAME=\"TillonCommsApplet\"></applet></body>"},
  };
  for (const Case& c : cases) {
    std::string page = c.page;
    InsertCommsApplet(page, "[applet]");
    EXPECT_EQ(page, c.expected) << c.page;
  }
}

