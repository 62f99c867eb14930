// Pennant's Finish on the in-memory host: the generated files and page text
// byte for byte, the checks, the host calls and their failures.
#include <gtest/gtest.h>

#include <QtGlobal>
#include <filesystem>
#include <functional>

#include "channel/channel_text.h"
#include "channel/generate_channels.h"
#include "host/host_calls.h"
#include "host/in_memory_host.h"
#include "support/scripted_dialogs.h"
#include "tests/channel/channel_support.h"

using namespace tendrel;
using namespace channeltest;
using Names = std::vector<std::string>;

namespace {

class Finish : public ::testing::Test {
 protected:
  Site site;
  InMemoryHost host;
  HostCalls calls{host};
  ScriptedDialogs dialogs;
  RecordingView view;
  PennantConfig config = TestConfig();
  ChannelFields f = site.Fields();

  void SetUp() override {
    host.docName = site.doc;
    host.doc.Load("<html><head></head><body></body></html>");
  }
  bool Run() { return GenerateChannels(f, calls, dialogs, view, config); }

  // The text handed to the first call of that name; "" when there was none.
  std::string Sent(const std::string& name) const {
    for (const auto& c : host.calls)
      if (c.name == name && !c.args.empty()) return std::get<std::string>(c.args[0]);
    return {};
  }
  bool Written(const std::string& path) const { return std::filesystem::exists(path); }
};

TEST_F(Finish, AllThreeViewersByteForByte) {
  ASSERT_TRUE(Run());
  EXPECT_EQ(ReadFile(site.ieFile), Expected("all_ie.cdf"));
  EXPECT_EQ(ReadFile(site.pcFile), Expected("all_pc.cdf"));
  EXPECT_EQ(Sent("puttextatcursor"), Expected("all_page.txt"));
  EXPECT_EQ(Sent("puttexthead"), Expected("all_script.txt"));
  EXPECT_EQ(BuildButtons(f, PathToFileURL(site.doc), config), Expected("all_page.txt"));
  // The IE file ends without a line end, the PointCast file with one.
  EXPECT_TRUE(ReadFile(site.ieFile).ends_with("\r\n</CHANNEL>"));
  EXPECT_TRUE(ReadFile(site.pcFile).ends_with("</CHANNEL>\r\n"));
  // The second CurrentDocName is Netcaster's, for its icon.
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "CurrentDocName", "puttextatcursor", "puttexthead"}));
  EXPECT_EQ(view.events, (Names{"busy", "idle"}));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Finish, EmptyTitleDescriptionAndHoursFallBack) {
  f.title = "   ";
  f.url = " http://www.example.com/news/ ";
  f.description = "  ";
  f.pcHours = " ";
  ASSERT_TRUE(Run());
  const std::string ie = ReadFile(site.ieFile), pc = ReadFile(site.pcFile), script = Sent("puttexthead");
  EXPECT_NE(ie.find("\t<TITLE>http://www.example.com/news/</TITLE>\r\n"), std::string::npos);
  EXPECT_NE(pc.find("\tTitle = \"http://www.example.com/news/\"\r\n"), std::string::npos);
  // The item's title is the channel URL as typed.
  EXPECT_NE(pc.find("\t\tTitle = \" http://www.example.com/news/ \"\r\n"), std::string::npos);
  EXPECT_NE(pc.find("\t\tHREF = \"http://www.example.com/news/\"\r\n"), std::string::npos);
  EXPECT_EQ(pc.find("Abstract"), std::string::npos);
  EXPECT_NE(pc.find("\tFrequency = \"24\"\r\n"), std::string::npos);
  EXPECT_NE(script.find("var chanName = \"http://www.example.com/news/\";\r\n"), std::string::npos);
  EXPECT_NE(script.find("var chanDesc = \"\";\r\n"), std::string::npos);
}

TEST_F(Finish, OnlyNetcasterWritesNoFile) {
  f.ie = f.pointCast = false;
  ASSERT_TRUE(Run());
  EXPECT_FALSE(Written(site.ieFile));
  EXPECT_FALSE(Written(site.pcFile));
  const std::string page = Expected("all_page.txt");
  EXPECT_EQ(Sent("puttextatcursor"), page.substr(page.find("<!--Clicking")));
  EXPECT_EQ(Sent("puttexthead"), Expected("all_script.txt"));
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "CurrentDocName", "puttextatcursor", "puttexthead"}));
}

TEST_F(Finish, FilesBesideTheDocumentAreLinkedByName) {
  f.ieFile = PathToFileURL(site.root + "/ie.cdf");
  f.netcaster = false;
  ASSERT_TRUE(Run());
  const std::string page = Sent("puttextatcursor");
  EXPECT_NE(page.find("<A HREF=\"ie.cdf\">"), std::string::npos);
  EXPECT_NE(page.find("<A HREF=\"pc.cdf\">"), std::string::npos);
  EXPECT_EQ(page.find("Netscape"), std::string::npos);
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "puttextatcursor"}));
}

// Each failing check: its message in an error box, its page and field, no
// later generator and nothing inserted.
TEST_F(Finish, FailedChecksStopEverything) {
  const std::string ie = "To generate the Internet Explorer Channel Information, the ";
  const std::string pc = "To generate the PointCast Channel Information, the ";
  const std::string nc = "To generate the Netscape Netcaster Channel Information, the ";
  struct Case {
    std::function<void(ChannelFields&)> spoil;
    std::string message;
    PushPage page;
    PushField field;
    bool ieWritten;
  };
  const Case cases[] = {
      {[](ChannelFields& c) { c.ieFile = "  "; }, ie + "Channel File must be entered.", PushPage::IE,
       PushField::IEFile, false},
      {[](ChannelFields& c) { c.url = " http:// "; }, ie + "Channel URL must be entered.", PushPage::Common,
       PushField::CommonURL, false},
      {[](ChannelFields& c) { c.ieIcon = "http://"; }, ie + "icon to use must be entered.", PushPage::IE,
       PushField::IEIcon, false},
      {[](ChannelFields& c) { c.iePicture = ""; }, ie + "picture to use must be entered.", PushPage::IE,
       PushField::IEPicture, false},
      // Order: the file before the address, the icon before the picture.
      {[](ChannelFields& c) { c.ieFile = c.url = ""; }, ie + "Channel File must be entered.", PushPage::IE,
       PushField::IEFile, false},
      {[](ChannelFields& c) { c.ieIcon = c.iePicture = ""; }, ie + "icon to use must be entered.", PushPage::IE,
       PushField::IEIcon, false},
      {[](ChannelFields& c) { c.pcFile = ""; }, pc + "Channel File must be entered.", PushPage::PointCast,
       PushField::PCFile, true},
      {[](ChannelFields& c) { c.pcSelf = "http://"; },
       pc + "location where you will upload the PointCast Channel File on your server must be entered.",
       PushPage::PointCast, PushField::PCSelf, true},
      {[](ChannelFields& c) { c.pcFile = c.pcSelf = ""; }, pc + "Channel File must be entered.",
       PushPage::PointCast, PushField::PCFile, true},
      {[](ChannelFields& c) { c.ie = false, c.url = "http://"; }, pc + "Channel URL must be entered.",
       PushPage::Common, PushField::CommonURL, false},
      {[](ChannelFields& c) { c.ie = c.pointCast = false, c.url = ""; }, nc + "Channel URL must be entered.",
       PushPage::Common, PushField::CommonURL, false},
  };
  for (const Case& c : cases) {
    InMemoryHost h;
    h.docName = site.doc;
    HostCalls hc(h);
    ScriptedDialogs d;
    RecordingView v;
    ChannelFields fields = site.Fields();
    c.spoil(fields);
    std::filesystem::remove(site.ieFile);
    std::filesystem::remove(site.pcFile);

    EXPECT_FALSE(GenerateChannels(fields, hc, d, v, config)) << c.message;
    ASSERT_EQ(d.shown.size(), 1u) << c.message;
    EXPECT_EQ(d.shown[0].text, c.message);
    EXPECT_EQ(d.shown[0].caption, "Error");
    EXPECT_EQ(d.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(d.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(v.events, (Names{"busy", Failed(c.page, c.field), "idle"})) << c.message;
    EXPECT_EQ(Written(site.ieFile), c.ieWritten) << c.message;
    EXPECT_FALSE(Written(site.pcFile)) << c.message;
    // Netcaster's own CurrentDocName and the insertion never come.
    EXPECT_EQ(h.CallNames(), (Names{"IsOpenDoc", "CurrentDocName"})) << c.message;
  }
}

TEST_F(Finish, UnsavedDocumentIsSavedFirst) {
  host.docName.clear();
  host.saveAsName = site.doc;
  EXPECT_FALSE(Run());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "Before compiling, you need to save your current HTML document within Marquill, so that relative "
            "references can be created.");
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Information);
  EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(view.events, (Names{"busy", "minimise", "restore", "idle"}));
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "ForceSave"}));
  EXPECT_FALSE(Written(site.ieFile));

  // Saved now: Finish again goes through.
  host.calls.clear();
  EXPECT_TRUE(Run());
  EXPECT_EQ(Sent("puttextatcursor"), Expected("all_page.txt"));
}

TEST_F(Finish, NoOpenDocumentGetsANewOneThenAsksForASave) {
  host.docOpen = false;
  EXPECT_FALSE(Run());
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "OpenNewFile", "CurrentDocName", "ForceSave"}));
  EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(Finish, FailingSaveStillRestoresTheWindow) {
  host.docName.clear();
  host.failing = {"forcesave"};
  EXPECT_FALSE(Run());
  EXPECT_EQ(view.events, (Names{"busy", "minimise", "restore", "idle"}));
}

std::vector<std::string> logged;

void Record(QtMsgType, const QMessageLogContext& ctx, const QString& msg) {
  if (ctx.category && std::string(ctx.category) == "tendrel.channel") logged.push_back(msg.toStdString());
}

// A failing host call ends only its own step; each leaves one log line.
TEST_F(Finish, FailingHostCallsEndOnlyTheirStep) {
  logged.clear();
  const QtMessageHandler old = qInstallMessageHandler(Record);
  host.failing = {"currentdocname"};
  EXPECT_TRUE(Run());
  qInstallMessageHandler(old);
  // No document name: no IE file and no Netcaster script; PointCast still runs
  // and, with nothing to be relative to, links its file as it is.
  EXPECT_FALSE(Written(site.ieFile));
  EXPECT_EQ(ReadFile(site.pcFile), Expected("all_pc.cdf"));
  EXPECT_EQ(Sent("puttextatcursor"), PointCastButton(PathToFileURL(site.pcFile), config));
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "CurrentDocName", "puttextatcursor"}));
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_NE(logged[0].find("The editor could not carry out CurrentDocName"), std::string::npos);

  host.calls.clear();
  host.failing = {"isopendoc", "puttexthead"};
  qInstallMessageHandler(Record);
  logged.clear();
  EXPECT_TRUE(Run());
  qInstallMessageHandler(old);
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName", "puttextatcursor", "puttexthead"}));
  EXPECT_EQ(logged.size(), 2u);
}

TEST_F(Finish, UnwritableChannelFileIsToldAndNothingInserted) {
  const std::string missingDir = site.root + "/nowhere/ie.cdf";
  f.ieFile = PathToFileURL(missingDir);
  EXPECT_FALSE(Run());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  const std::string prefix = "The channel file " + missingDir + " could not be written: ";
  EXPECT_TRUE(dialogs.shown[0].text.starts_with(prefix)) << dialogs.shown[0].text;
  EXPECT_GT(dialogs.shown[0].text.size(), prefix.size());  // a reason follows
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Error);
  EXPECT_FALSE(Written(site.pcFile));
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName"}));

  // PointCast's file likewise, after the IE file was written.
  f = site.Fields();
  f.pcFile = PathToFileURL(site.root + "/nowhere/pc.cdf");
  host.calls.clear();
  EXPECT_FALSE(Run());
  EXPECT_TRUE(Written(site.ieFile));
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(host.CallNames(), (Names{"IsOpenDoc", "CurrentDocName"}));
}

TEST_F(Finish, LinksAndImagesEscapeTheirAttributes) {
  f.ieFile = PathToFileURL(site.root + "/a&b \"x\".cdf");
  f.pointCast = f.netcaster = false;
  config.makerSite = "http://maker.example/?s=1&t=\"2\"";
  ASSERT_TRUE(Run());
  EXPECT_TRUE(Written(site.root + "/a&b \"x\".cdf"));
  EXPECT_EQ(Sent("puttextatcursor"),
            "<!--This Image links to the channel information file for Internet Explorer.-->\r\n"
            "<A HREF=\"a&amp;b &quot;x&quot;.cdf\"><IMG SRC=\"http://maker.example/?s=1&amp;t=&quot;2&quot;"
            "/push/addiech.gif\" alt=\"Add Channel\" border=0></A>\r\n");
}

}  // namespace
