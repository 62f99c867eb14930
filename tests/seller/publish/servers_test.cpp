// The upload servers without a display: how they are kept in the settings,
// the Server Definition page's rules (names, delete, the write on leaving a
// field and its follow-ups) and the Choose Server choice.
#include "seller/publish/servers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "seller/core/settings.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

using Names = std::vector<std::string>;

class ServersTest : public ::testing::Test {
 protected:
  TempHome home;
  SettingsStore settings;
  ServerStore store{settings};
  ScriptedDialogs dialogs;
  ServerEditor editor{store, dialogs};

  std::string Stored(const std::string& server, const char* value) {
    return settings.ReadText("Servers\\" + server, value, "<missing>");
  }
};

TEST_F(ServersTest, PasswordIsStoredEncodedAndReadsBackAsTyped) {
  for (const std::string typed : {"s3cret-pw", "x", "with,comma", ""}) {
    SCOPED_TRACE(typed);
    store.Write("Home", ServerField::Password, typed);
    if (!typed.empty()) {
      EXPECT_EQ(Stored("Home", "Password").find(typed), std::string::npos);
    }
    EXPECT_EQ(store.Load("home").password, typed);  // names are found without regard to case
  }
  EXPECT_EQ(store.Load("Home").address, "");  // never written
  // Nothing lands on "Servers" itself when no server is named.
  EXPECT_FALSE(store.Write("", ServerField::Address, "ftp.example.com"));
  EXPECT_EQ(settings.ReadText("Servers", "Address", "<missing>"), "<missing>");
}

TEST_F(ServersTest, NewServerRefusesANameUsedInAnyCase) {
  editor.SetList({"home", "Work"});
  dialogs.inputAnswers = {std::nullopt, std::string(), std::string("Home"), std::string("Home "),
                          std::string("Shop")};
  EXPECT_FALSE(editor.NewServer());  // cancelled
  EXPECT_FALSE(editor.NewServer());  // empty
  EXPECT_FALSE(editor.NewServer());
  EXPECT_EQ(dialogs.MessageTexts(), Names{"That name has already been used ! Please choose another name."});
  EXPECT_EQ(editor.Current(), "");
  EXPECT_EQ(editor.NewServer(), std::optional<std::string>("Home "));  // only case is ignored
  EXPECT_EQ(editor.NewServer(), std::optional<std::string>("Shop"));
  EXPECT_EQ(editor.List(), (Names{"home", "Work", "Home ", "Shop"}));
  EXPECT_EQ(editor.CurrentKey(), "Servers\\Shop");
  EXPECT_EQ(store.Names(), Names{});  // a server exists with its first value
  EXPECT_EQ(dialogs.shown.front().caption, "Name of Server Connection");
  EXPECT_EQ(dialogs.shown.front().text, "Please enter a descriptive name for this connection.");
}

TEST_F(ServersTest, DeleteServerRemovesTheWholeSubKeyOnYes) {
  store.Write("Home", ServerField::Address, "ftp.example.com");
  store.MarkClassesInstalled("Home");
  store.Write("Work", ServerField::Address, "ftp.work.example.com");
  EXPECT_FALSE(editor.DeleteServer());  // none current: not even asked
  EXPECT_TRUE(dialogs.shown.empty());

  editor.SetList(store.Names());
  editor.Choose("Home");
  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(editor.DeleteServer());
  EXPECT_EQ(store.Names(), (Names{"Home", "Work"}));
  EXPECT_EQ(editor.DeleteServer(), std::optional<std::string>("Home"));
  EXPECT_EQ(dialogs.MessageTexts().back(), "Are you sure you want to delete Home ?");
  EXPECT_EQ(editor.Current(), "");
  EXPECT_EQ(editor.List(), Names{"Work"});
  EXPECT_EQ(store.Names(), Names{"Work"});
  EXPECT_EQ(Stored("Home", "Installed Classes"), "<missing>");
}

TEST_F(ServersTest, AddressAndDirectoryFillTheHttpBaseOnlyWhereItLacksOne) {
  ServerFields f;
  EXPECT_FALSE(editor.Leave(ServerField::Address, f));  // no server current: nothing written
  f = editor.Choose("Home");
  f.address = "ftp.example.com";
  EXPECT_TRUE(editor.Leave(ServerField::Address, f));
  EXPECT_EQ(f.httpBase, "http://ftp.example.com");
  EXPECT_EQ(Stored("Home", "HTTP Root"), "http://ftp.example.com");
  f.directory = "public_html";
  f.address = "ftp.other.example.com";
  EXPECT_FALSE(editor.Leave(ServerField::Directory, f));  // it holds a "/" already
  EXPECT_FALSE(editor.Leave(ServerField::Address, f));    // and is not empty
  EXPECT_EQ(Stored("Home", "Directory"), "public_html");
  EXPECT_EQ(Stored("Home", "HTTP Root"), "http://ftp.example.com");

  f.httpBase = "www.example.com";
  EXPECT_TRUE(editor.Leave(ServerField::Directory, f));
  EXPECT_EQ(Stored("Home", "HTTP Root"), "www.example.com/public_html");
}

TEST_F(ServersTest, ChoosingShowsDefaultDirectoryAndTellsAServerOtherThanTheLast) {
  store.Write("Home", ServerField::Address, "ftp.example.com");
  store.Write("Blank", ServerField::Directory, "");
  const ServerChoice home = store.Choose("Home");
  EXPECT_TRUE(home.otherThanLast);
  EXPECT_EQ(home.address, "ftp.example.com");
  EXPECT_EQ(home.directory, "[Default]");
  EXPECT_EQ(store.Load("Home").directory, "");  // the editor's field stays empty
  EXPECT_EQ(settings.ReadText("", "Last Server", ""), "Home");
  EXPECT_FALSE(store.Choose("Home").otherThanLast);
  EXPECT_TRUE(store.Choose("home").otherThanLast);
  EXPECT_EQ(store.Choose("Blank").directory, "");  // written empty is no default
}

TEST(ServerPageDirHelp, TitleAndFiveParagraphsSeparatedByBlankLines) {
  const std::string help = ServerPageDirHelp();
  std::vector<std::string> pieces;
  for (size_t from = 0;;) {
    const size_t at = help.find("\r\n\r\n", from);
    pieces.push_back(help.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 4;
  }
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[0], "Choosing The HTTP Code Base");
  EXPECT_EQ(pieces[1],
            "When specifying your server information, please check the HTTP Base value.  If this is set "
            "incorrectly you will run into problems accessing your products.");
  EXPECT_EQ(pieces[2],
            "The HTTP base will normally be exactly the same as the URL in your browser location window when you "
            "look at your page.");
  EXPECT_EQ(pieces[3],
            "It will also be same directory as the page with your \"buy button\", and the directory that you "
            "will send your pages to, using the FTP information you have supplied.");
  EXPECT_EQ(pieces[4],
            "For example, if your Address is \"http://example.com\" and your Login Name is \"myname\" then "
            "normally your HTTP base would be one of the following, depending on how your server is set up :\r\n"
            "http://example.com/~myname\r\nhttp://example.com/usr/myname\r\nhttp://example.com/homepages/myname");
  EXPECT_EQ(pieces[5],
            "If you make a mistake and your product is registered with the wrong HTTP base you can edit it later "
            "with the \"Tillon->Manual Tillon Install->Edit Registered Products\" menu item.");
}

}  // namespace
