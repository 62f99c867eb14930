#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/in_memory_host.h"
#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "seller/authoring/applet.h"
#include "seller/core/settings.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;

namespace {

const std::string kComment =
    "<!-- Please do not alter the following applet code directly.  Use the Bravant Omnikit to "
    "make changes and submit them to the Tillon database. -->";
const std::string kTrailer =
    "\r\nThe Tillon Salebox requires a Java-capable browser such as Netscape Navigator 3.0, or "
    "Internet Explorer 3.01 or later.\r\n</applet>";

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

class AppletTest : public ::testing::Test {
 protected:
  TempHome home;
  SettingsStore settings;
};

}  // namespace

TEST_F(AppletTest, BuildTagWritesTheExactTag) {
  TApplet a(&settings);
  a.AppletName = "Salebox1";
  a.ProductID = "P7";
  a.ProductName = " Poems ";
  a.VendorID = "V42";
  a.Cost = "1.50";
  a.Description = "  Short verse  ";
  a.PreviewURL = "img/teaser.gif";
  a.MediaType = "text/plain";
  a.SourceFile = "/home/v/poems.txt";
  a.UseFrame = true;
  a.Width = "200";
  a.Height = "80";
  EXPECT_EQ(a.BuildTag(),
            "<applet name=\"Salebox1\" codebase=\"classes/\" code=\"VendorApplet\" width=200 "
            "height=80 MAYSCRIPT>\r\n" +
                kComment +
                "\r\n<param name=cabbase value=salebox.cab>"
                "\r\n<param name=productID value=\"P7\">"
                "\r\n<param name=saleboxname value=\"Poems\">"
                "\r\n<param name=vendorID value=V42>"
                "\r\n<param name=cost value=1.50>"
                "\r\n<param name=description value=\"Short verse\">"
                "\r\n<param name=previewURL value=\"img/teaser.gif\">"
                "\r\n<param name=mediaType value=text/plain>"
                "\r\n<param name=sourcefile value=\"/home/v/poems.txt\">"
                "\r\n<param name=doUseFrame value=true>" +
                kTrailer);
  EXPECT_EQ(a.ClassLocation, "classes/");  // filled and kept
}

TEST_F(AppletTest, BuildTagOptionalLinesAndQuoting) {
  struct Case {
    std::string appletName, productName, description, preview;
    std::string expectName;     // name attribute as written
    int paramLines;
    bool hasSaleboxName;
  } cases[] = {
      {"", "", "", "", "\"\"", 7, false},
      {"\"Box\"", "", "", "", "\"Box\"", 7, false},
      {"\"Box", "", "", "", "\"Box\"", 7, false},
      {"Box\"", "   ", "", "", "\"Box\"", 8, true},  // blanks only are not empty
      {"B", "N", "D", "P", "\"B\"", 10, true},
  };
  for (const auto& c : cases) {
    TApplet a(&settings);
    a.AppletName = c.appletName;
    a.ProductName = c.productName;
    a.Description = c.description;
    a.PreviewURL = c.preview;
    std::string tag = a.BuildTag();
    EXPECT_EQ(tag.rfind("<applet name=" + c.expectName + " codebase=", 0), 0u) << tag;
    size_t lines = 0;
    for (size_t p = 0; (p = tag.find("\r\n<param name=", p)) != std::string::npos; ++p) ++lines;
    EXPECT_EQ(static_cast<int>(lines), c.paramLines) << c.appletName;
    EXPECT_EQ(tag.find("saleboxname") != std::string::npos, c.hasSaleboxName);
    if (c.productName == "   ") {
      EXPECT_NE(tag.find("<param name=saleboxname value=\"\">"), std::string::npos);
    }
    if (c.paramLines == 7) {
      // The fixed order of the always-written parameters.
      size_t last = 0;
      for (const char* n : {"cabbase", "productID", "vendorID", "cost", "mediaType",
                            "sourcefile", "doUseFrame"}) {
        size_t at = tag.find(std::string("<param name=") + n + " ");
        ASSERT_NE(at, std::string::npos) << n;
        EXPECT_GT(at, last);
        last = at;
      }
    }
  }
}

TEST_F(AppletTest, ClassLocationComesFromTheSettings) {
  settings.WriteText("Options", "Class Location", "java/lib/");
  TApplet a(&settings);
  EXPECT_NE(a.BuildTag().find(" codebase=\"java/lib/\" "), std::string::npos);
  a.ClassLocation = "mine/";
  EXPECT_NE(a.BuildTag().find(" codebase=\"mine/\" "), std::string::npos);

  TApplet read(&settings);
  ASSERT_TRUE(read.StoreApplet(a.BuildTag(), 0));
  EXPECT_EQ(read.ClassLocation, "java/lib/");  // never the tag's codebase
}

TEST_F(AppletTest, StoreAppletReadsBackWhatBuildTagWrote) {
  TApplet a(&settings);
  a.AppletName = "Salebox3";
  a.ProductID = "1234";
  a.ProductName = "Sunset";
  a.VendorID = "V9";
  a.Cost = "25";
  a.Description = "A picture of the sea";
  a.PreviewURL = "http://example.invalid/t.gif";
  a.MediaType = "image/gif";
  a.SourceFile = "C:\\pics\\sunset.gif";
  a.UseFrame = true;
  a.Width = "320";
  a.Height = "240";
  a.Key.Length = 16;
  const std::string tag = a.BuildTag();

  TApplet b(&settings);
  b.AppletName = "untouched";
  b.EncodedFile = "kept.egif";
  b.UploadState = "Uploaded";
  ASSERT_TRUE(b.StoreApplet(tag, 57));
  EXPECT_EQ(b.ProductID, a.ProductID);
  EXPECT_EQ(b.ProductName, a.ProductName);
  EXPECT_EQ(b.VendorID, a.VendorID);
  EXPECT_EQ(b.Cost, a.Cost);
  EXPECT_EQ(b.Description, a.Description);
  EXPECT_EQ(b.PreviewURL, a.PreviewURL);
  EXPECT_EQ(b.MediaType, a.MediaType);
  EXPECT_EQ(b.SourceFile, a.SourceFile);
  EXPECT_EQ(b.UseFrame, true);
  EXPECT_EQ(b.Width, "320");
  EXPECT_EQ(b.Height, "240");
  EXPECT_EQ(b.DocPosition, 57);
  EXPECT_EQ(b.DocLength, static_cast<int32_t>(tag.size()));
  // Fields that do not come from the tag stay as they were.
  EXPECT_EQ(b.AppletName, "untouched");
  EXPECT_EQ(b.EncodedFile, "kept.egif");
  EXPECT_EQ(b.UploadState, "Uploaded");
  EXPECT_EQ(b.Key.Length, 0);
}

TEST_F(AppletTest, StoreAppletToleratesOtherWritings) {
  struct Case {
    std::string tag;
    std::string productID, mediaType, cost;
    bool useFrame;
  } cases[] = {
      {"<APPLET CODE=\"vendorapplet\" width=1 height=2>\r\n<PARAM NAME=PRODUCTID VALUE=\"X1\">"
       "<param name=MediaType value=image/JPG><param name=doUseFrame value=TRUE></applet>",
       "X1", "image/jpeg", "", false},
      // Quoted parameter names are not recognised.
      {"<applet code=\"VendorApplet\"><param name=\"productID\" value=\"X2\">"
       "<param name=\"cost\" value=5></applet>",
       "", "", "", false},
      // A parameter entry without its closing ">" runs to the end of the text.
      {"<applet code=\"VendorApplet\"><param name=cost value=7", "", "", "7", false},
      {"<applet code=\"VendorApplet\"><param name=douseframe value=true>", "", "", "", true},
  };
  for (const auto& c : cases) {
    TApplet a(&settings);
    ASSERT_TRUE(a.StoreApplet(c.tag, 0)) << c.tag;
    EXPECT_EQ(a.ProductID, c.productID) << c.tag;
    EXPECT_EQ(a.MediaType, c.mediaType) << c.tag;
    EXPECT_EQ(a.Cost, c.cost) << c.tag;
    EXPECT_EQ(a.UseFrame, c.useFrame) << c.tag;
  }
}

TEST_F(AppletTest, StoreAppletRefusesOtherTagsAndLeavesTheRecord) {
  TApplet a(&settings);
  a.ProductID = "keep";
  for (const std::string& tag : std::vector<std::string>{"", "<applet code=Other>", "<applet code=VendorApplet>",
                          "<img src=\"x.gif\">", std::string("\0\0\0", 3)}) {
    EXPECT_FALSE(a.StoreApplet(tag, 5));
    EXPECT_EQ(a.ProductID, "keep");
    EXPECT_EQ(a.DocPosition, 0);
  }
}

TEST_F(AppletTest, ClearEmptiesEverything) {
  TApplet a(&settings);
  a.ProductName = a.VendorID = a.ProductID = a.EncodedFile = a.AppletName = "x";
  a.Key.Length = 16;
  a.UseFrame = true;
  a.DocPosition = 3;
  a.DocLength = 4;
  a.Clear();
  EXPECT_TRUE(a.ProductName.empty() && a.VendorID.empty() && a.ProductID.empty() &&
              a.EncodedFile.empty() && a.AppletName.empty());
  EXPECT_EQ(a.Key.Length, 0);
  EXPECT_FALSE(a.UseFrame);
  EXPECT_EQ(a.DocPosition, 0);
  EXPECT_EQ(a.DocLength, 0);
}

TEST_F(AppletTest, UpdateInDocumentReplacesTagsFromLastToFirst) {
  InMemoryHost host;
  TApplet first(&settings, &host), second(&settings, &host);
  first.ProductID = "1";
  second.ProductID = "2";
  const std::string t1 = first.BuildTag(), t2 = second.BuildTag();
  const std::string page = "<body>\xC3\xA9" + t1 + "<p>between</p>" + t2 + "</body>";
  host.doc.ReplaceAll(page);
  ASSERT_TRUE(first.StoreApplet(t1, static_cast<int32_t>(page.find(t1))));
  ASSERT_TRUE(second.StoreApplet(t2, static_cast<int32_t>(page.find(t2))));

  first.Cost = "10";
  second.Cost = "20";
  host.calls.clear();
  EXPECT_TRUE(second.UpdateInDocument());
  EXPECT_TRUE(first.UpdateInDocument());
  const std::string& out = host.doc.Text();
  EXPECT_EQ(out, "<body>\xC3\xA9" + first.BuildTag() + "<p>between</p>" + second.BuildTag() +
                     "</body>");
  EXPECT_EQ(host.doc.SelStart(), first.DocPosition);
  EXPECT_EQ(host.doc.SelLength(), 0);
  EXPECT_EQ(host.CallNames(),
            (std::vector<std::string>{"IsOpenDoc", "setselection", "IsOpenDoc", "getselstart",
                                      "puttextatcursor", "setselection", "IsOpenDoc",
                                      "setselection", "IsOpenDoc", "getselstart",
                                      "puttextatcursor", "setselection"}));

  host.docOpen = false;
  const std::string before = host.doc.Text();
  EXPECT_TRUE(first.UpdateInDocument());
  EXPECT_EQ(host.doc.Text(), before);
}

TEST_F(AppletTest, BuildRegistrationURL) {
  settings.WriteText("Vendor", "ID", "V77");
  settings.WriteText("Vendor", "Password", EncodePassword("secret & pass", "ENC"));
  TApplet a(&settings);
  a.ProductID = "P1";
  a.ProductName = "Tom's \"Best\"";
  a.Description = "Smith & Sons, 100% #1 a=b+c";
  a.Cost = "150";
  a.MediaType = "text/html";
  a.EncodedFile = "/home/v/site/page.ehtm";
  EXPECT_EQ(a.BuildRegistrationURL("ftp://host/dir/", false),
            "/vendor/VendorProductReplace.html?vendor_id=V77"
            "&vendor_password=secret%20%26%20pass&product_id=P1"
            "&product_name=Tom%60s%20%22Best%22"
            "&product_description=Smith%20%26%20Sons,%20100%25%20%231%20a%3Db%2Bc"
            "&product_price=150&product_url=ftp://host/dir/page.ehtm"
            "&product_mime_type=text/html");
  EXPECT_EQ(a.VendorID, "V77");
  EXPECT_EQ(a.VendorPassword, "");  // not kept after the request is built

  a.Key = TTillonCipher::HexToKey("000102030405060708090A0B0C0D0E0F");
  a.ProductName = "";
  std::string url = a.BuildRegistrationURL("C:\\web\\files", false);
  EXPECT_NE(url.find("&product_name=&"), std::string::npos);
  EXPECT_NE(url.find("&product_url=C:%5Cweb%5Cfiles%5Cpage.ehtm&"), std::string::npos);
  EXPECT_EQ(url.substr(url.size() - 45), "&product_key=000102030405060708090A0B0C0D0E0F");

  std::string full = a.BuildRegistrationURL("http://x.invalid/a b.egif", true);
  EXPECT_NE(full.find("&product_url=http://x.invalid/a%20b.egif&"), std::string::npos);
}

TEST_F(AppletTest, EncodeFileWritesBesideTheSourceWithoutOverwriting) {
  ScriptedDialogs dialogs;
  TApplet a(&settings, nullptr, &dialogs);
  TTillonCipher cipher;
  cipher.SetKey(TTillonCipher::NewRandomKey());

  a.SourceFile = home.root() + "/missing.txt";
  a.EncodedFile = "old";
  a.EncodeFile(cipher);
  EXPECT_EQ(dialogs.MessageTexts(),
            std::vector<std::string>{"Cannot find source file : " + home.root() + "/missing.txt"});
  EXPECT_EQ(a.EncodedFile, "old");

  a.SourceFile = home.root() + "/README";  // no extension: not encoded
  WriteFile(a.SourceFile, "x");
  a.EncodeFile(cipher);
  EXPECT_EQ(a.EncodedFile, "old");

  const std::string src = home.root() + "/report.txt";
  WriteFile(src, "The content that is sold.");
  a.SourceFile = src;
  a.EncodeFile(cipher);
  EXPECT_EQ(a.EncodedFile, home.root() + "/report.etxt");
  a.EncodeFile(cipher);
  EXPECT_EQ(a.EncodedFile, home.root() + "/report1.etxt");
  EXPECT_EQ(ReadFile(home.root() + "/report.etxt"), ReadFile(home.root() + "/report1.etxt"));

  // Encoding the encoded copy with the same key gives the content back.
  cipher.EncodeFile(a.EncodedFile, home.root() + "/back.txt");
  EXPECT_EQ(ReadFile(home.root() + "/back.txt"), "The content that is sold.");
}

TEST_F(AppletTest, BuildPreviewURL) {
  TApplet a(&settings);
  a.VendorID = "V1";
  a.Cost = "30";
  a.EncodedFile = "/site/img/pic.egif";
  EXPECT_EQ(a.BuildPreviewURL(2, "00112233445566778899AABBCCDDEEFF"),
            "<param name=\"product2\" value=\"salebox2;V1;30;pic.egif;"
            "00112233445566778899AABBCCDDEEFF\">");
}
