// Values in a Salebox tag that hold a double quote or ">": written as
// entities so the tag stays whole, read back as the characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "seller/authoring/applet.h"
#include "seller/core/settings.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

class TagValuesTest : public ::testing::Test {
 protected:
  TempHome home;
  SettingsStore settings;
};

// The parameter line of `name` in a tag, from "<param" through the end of
// its line.
std::string ParamLine(const std::string& tag, const std::string& name) {
  const size_t at = tag.find("<param name=" + name + " ");
  if (at == std::string::npos) return {};
  return tag.substr(at, tag.find("\r\n", at) - at);
}

}  // namespace

TEST_F(TagValuesTest, QuotesAndClosingBracketsSurviveWriteReadWrite) {
  TApplet a(&settings);
  a.AppletName = "Tillon1";
  a.ProductName = "The \"Best\" Guide > 2";
  a.Description = "Says \"hi\" -> then >> bye";
  a.PreviewURL = "img/\"q\">.gif";
  a.SourceFile = "/home/v/a>b \"c\".txt";
  a.Cost = "5";
  a.Width = "200";
  a.Height = "300";
  const std::string tag = a.BuildTag();

  EXPECT_EQ(ParamLine(tag, "saleboxname"),
            "<param name=saleboxname value=\"The &quot;Best&quot; Guide &gt; 2\">");
  EXPECT_EQ(ParamLine(tag, "description"),
            "<param name=description value=\"Says &quot;hi&quot; -&gt; then &gt;&gt; bye\">");
  EXPECT_EQ(ParamLine(tag, "previewURL"), "<param name=previewURL value=\"img/&quot;q&quot;&gt;.gif\">");
  EXPECT_EQ(ParamLine(tag, "sourcefile"), "<param name=sourcefile value=\"/home/v/a&gt;b &quot;c&quot;.txt\">");

  TApplet b(&settings);
  ASSERT_TRUE(b.StoreApplet(tag, 0));
  EXPECT_EQ(b.ProductName, a.ProductName);
  EXPECT_EQ(b.Description, a.Description);
  EXPECT_EQ(b.PreviewURL, a.PreviewURL);
  EXPECT_EQ(b.SourceFile, a.SourceFile);
  EXPECT_EQ(b.Cost, "5");  // the lines after them are still found
  b.AppletName = a.AppletName;
  EXPECT_EQ(b.BuildTag(), tag);
}

TEST_F(TagValuesTest, ValuesMadeOfQuotesAreWrittenInsideTheirOwnQuotes) {
  // Before, a value that began or ended with a quote lent it to the tag and
  // came back without it.
  TApplet a(&settings);
  a.ProductName = "\"Quoted\"";
  a.Description = "\"";
  const std::string tag = a.BuildTag();
  EXPECT_EQ(ParamLine(tag, "saleboxname"), "<param name=saleboxname value=\"&quot;Quoted&quot;\">");
  EXPECT_EQ(ParamLine(tag, "description"), "<param name=description value=\"&quot;\">");
  TApplet b(&settings);
  ASSERT_TRUE(b.StoreApplet(tag, 0));
  EXPECT_EQ(b.ProductName, "\"Quoted\"");
  EXPECT_EQ(b.Description, "\"");
}

TEST_F(TagValuesTest, TagsWrittenBeforeReadAsBefore) {
  // No entity of the two: every other text, "&" and other entities among
  // it, reads as it always did; so do the fields that are never escaped.
  const std::string tag =
      "<applet name=\"Tillon1\" codebase=\"classes/\" code=\"VendorApplet\" width=200 height=300 MAYSCRIPT>\r\n"
      "<param name=productID value=\"P&quot;1\">\r\n"
      "<param name=saleboxname value=\"Fish &amp; Chips &lt;hot&lt; &QUOT;x&GT; &quot\">\r\n"
      "<param name=vendorID value=V1>\r\n"
      "<param name=description value=\"A & B; C &gt D\">\r\n"
      "<param name=sourcefile value=\"C:\\shop\\menu.txt\">\r\n"
      "</applet>";
  TApplet b(&settings);
  ASSERT_TRUE(b.StoreApplet(tag, 0));
  EXPECT_EQ(b.ProductName, "Fish &amp; Chips &lt;hot&lt; &QUOT;x&GT; &quot");
  EXPECT_EQ(b.Description, "A & B; C &gt D");
  EXPECT_EQ(b.SourceFile, "C:\\shop\\menu.txt");
  EXPECT_EQ(b.ProductID, "P&quot;1");
}

TEST_F(TagValuesTest, EntitiesInAValueComeBackAsTheCharacters) {
  // A tag whose value holds the entities (written by hand, or by this
  // program) gives the characters; written again they are entities again.
  const std::string tag =
      "<applet code=\"VendorApplet\">\r\n<param name=saleboxname value=\"a&quot;&quot;b&gt;&amp;gt;\">\r\n</applet>";
  TApplet b(&settings);
  ASSERT_TRUE(b.StoreApplet(tag, 0));
  EXPECT_EQ(b.ProductName, "a\"\"b>&amp;gt;");
  EXPECT_EQ(ParamLine(b.BuildTag(), "saleboxname"),
            "<param name=saleboxname value=\"a&quot;&quot;b&gt;&amp;gt;\">");
}
