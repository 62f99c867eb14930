// Installing the service's classes: the local class folder as shipped, the
// folders and files sent to a real FTP server (pyftpdlib), the "products"
// folder kept at home, and what the user sees when something goes wrong.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/files.h"
#include "seller/publish/class_install.h"
#include "seller/publish/publish_fixture.h"
#include "resources/resources.h"

using namespace tendrel;
using namespace publishtest;

namespace {

class ClassInstallTest : public PublishFixture {
 protected:
  // A class folder of the test's own: files at the top and two levels down,
  // and a "products" folder.
  std::string LocalClasses() {
    const std::string root = home.root() + "/local/classes";
    for (const char* dir : {"", "/tillon", "/tillon/salebox", "/products", "/Zeta"})
      EXPECT_TRUE(QDir().mkpath(QString::fromStdString(root + dir)));
    WriteAll(root + "/VendorApplet.class", "applet");
    WriteAll(root + "/salebox.cab", "cab");
    WriteAll(root + "/tillon/Link.class", "link");
    WriteAll(root + "/tillon/salebox/Box.class", "box");
    WriteAll(root + "/products/story.etxt", "the vendor's own");
    WriteAll(root + "/Zeta/z.class", "zeta");
    return root;
  }

  bool Install(const std::string& classFolder = {}, std::function<void(const std::string&)> onStatus = {}) {
    ClassInstallation installation(ctx, runner, [this, onStatus](const std::string& text) {
      statuses.push_back(text);
      if (onStatus) onStatus(text);
    });
    installation.SetClassFolder(classFolder);
    int calls = 0;
    bool result = false;
    installation.Run(Server(), [&](bool ok) {
      ++calls;
      result = ok;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(installation.Running());
    return result;
  }
  std::string Installed() { return ctx.Settings().ReadText(ServerStore::Section(kServerName), "Installed Classes", ""); }

  InlineRunner runner;
  std::vector<std::string> statuses;
};

}  // namespace

TEST(ClassFolders, DepthFirstWithoutTheProductsFolderItself) {
  TempHome home;
  const std::string root = home.root() + "/classes";
  for (const char* dir : {"/b", "/a", "/a/x", "/products/keep", "/a/products"})
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + dir)));
  // Only the folder itself stays at home; one of its own, or another
  // "products" deeper down, is installed.
  std::vector<std::string> folders = ClassFoldersToInstall(root);
  std::vector<std::string> remote;
  for (const std::string& f : folders) remote.push_back(RemoteClassName(root, f));
  EXPECT_EQ(remote, (std::vector<std::string>{"", "a", "a/products", "a/x", "b", "products/keep"}));
  EXPECT_EQ(RemoteClassName("C:\\prog\\classes", "C:\\prog\\classes\\tillon\\salebox\\Box.class"),
            "tillon/salebox/Box.class");
}

TEST(LocalClassFolder, IsFilledFromTheProgramsCopyKeepingWhatTheUserChanged) {
  TempHome home;
  InitResources();
  const std::string folder = PrepareLocalClassFolder();
  EXPECT_EQ(folder, AppDir() + "/classes");
  for (const char* file : {"README.txt", "products/README.txt", "tillon/README.txt", "tillon/salebox/README.txt"})
    EXPECT_TRUE(FileExists(folder + "/" + file)) << file;
  // At least two levels of folders below the class folder.
  std::vector<std::string> folders;
  AddSubdirectories(folder, folders);
  EXPECT_NE(std::find(folders.begin(), folders.end(), folder + "/tillon/salebox"), folders.end());

  WriteAll(folder + "/README.txt", "mine");
  QFile::remove(QString::fromStdString(folder + "/tillon/README.txt"));
  EXPECT_EQ(PrepareLocalClassFolder(), folder);
  EXPECT_EQ(ReadAll(folder + "/README.txt"), QByteArray("mine"));
  EXPECT_TRUE(FileExists(folder + "/tillon/README.txt"));
}

TEST_F(ClassInstallTest, FoldersFirstThenFilesAndTheProductsFolderStaysAtHome) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  const std::string local = LocalClasses();
  dialogs.messageAnswers = {MsgResult::Yes};

  ASSERT_TRUE(Install(local));
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kInstallClassesQuestion});
  EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(Installed(), "1");
  EXPECT_EQ(ftp.FileText("www/classes/VendorApplet.class"), "applet");
  EXPECT_EQ(ftp.FileText("www/classes/salebox.cab"), "cab");
  EXPECT_EQ(ftp.FileText("www/classes/tillon/Link.class"), "link");
  EXPECT_EQ(ftp.FileText("www/classes/tillon/salebox/Box.class"), "box");
  EXPECT_EQ(ftp.FileText("www/classes/Zeta/z.class"), "zeta");
  EXPECT_FALSE(ftp.Exists("www/classes/products/story.etxt"));
  EXPECT_FALSE(ftp.Exists("www/classes/products"));
  for (const std::string& line : ftp.CommandsOf("STOR")) EXPECT_EQ(line.find("story.etxt"), std::string::npos);

  // Every folder is made before the first file is sent.
  std::vector<std::string> order;
  for (const auto& c : ftp.Commands())
    if (c.line.rfind("MKD", 0) == 0 || c.line.rfind("STOR", 0) == 0) order.push_back(c.line);
  ASSERT_FALSE(order.empty());
  const auto firstStor = std::find_if(order.begin(), order.end(), [](const std::string& l) { return l[0] == 'S'; });
  EXPECT_EQ(std::vector<std::string>(order.begin(), firstStor),
            (std::vector<std::string>{"MKD /www/classes", "MKD /www/classes/tillon", "MKD /www/classes/tillon/salebox",
                                      "MKD /www/classes/Zeta"}));
  for (auto it = firstStor; it != order.end(); ++it) EXPECT_EQ(it->rfind("STOR", 0), 0u) << *it;

  EXPECT_EQ(statuses.front(), kStatusHttp);
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), kStatusCreatingDirectories), statuses.end());
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Installing tillon/salebox/Box.class"), statuses.end());
  EXPECT_EQ(statuses.back(), "");
  // Back in the starting directory: a publish run goes on from there.
  EXPECT_EQ(ctx.Service().Ftp().CurrentDir(), "/www");
}

TEST_F(ClassInstallTest, TheShippedFolderIsInstalledWithoutItsProductsFolder) {
  InitResources();
  StartService();
  FtpStandIn& ftp = StartFtp();
  dialogs.messageAnswers = {MsgResult::Yes};
  ASSERT_TRUE(Install());
  EXPECT_TRUE(ftp.Exists("www/classes/README.txt"));
  EXPECT_TRUE(ftp.Exists("www/classes/tillon/salebox/README.txt"));
  EXPECT_FALSE(ftp.Exists("www/classes/products"));
}

TEST_F(ClassInstallTest, NoRecordsTheServerAsInstalledWithoutATransfer) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  dialogs.messageAnswers = {MsgResult::No};
  EXPECT_TRUE(Install(LocalClasses()));
  EXPECT_EQ(Installed(), "1");
  EXPECT_EQ(ftp.Connections(), 0u);
  EXPECT_TRUE(statuses.empty());
}

TEST_F(ClassInstallTest, AFileGoneBeforeItsTurnIsToldAndCountsAsSent) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  const std::string local = LocalClasses();
  dialogs.messageAnswers = {MsgResult::Yes};
  // The folder's files are listed before the first of them is sent.
  ASSERT_TRUE(Install(local, [&local](const std::string& status) {
    if (status == "Installing salebox.cab") QFile::remove(QString::fromStdString(local + "/VendorApplet.class"));
  }));
  EXPECT_EQ(dialogs.MessageTexts(),
            (std::vector<std::string>{kInstallClassesQuestion,
                                      "The local file \"" + local +
                                          "/VendorApplet.class\" does not exist and so it cannot be transferred to "
                                          "your "
                                          "server."}));
  EXPECT_EQ(Installed(), "1");
  EXPECT_FALSE(ftp.Exists("www/classes/VendorApplet.class"));
  EXPECT_EQ(ftp.FileText("www/classes/salebox.cab"), "cab");
  EXPECT_EQ(ftp.FileText("www/classes/tillon/salebox/Box.class"), "box");
}

TEST_F(ClassInstallTest, AFailedTransferEndsTheInstallation) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  const std::string local = LocalClasses();
  // A folder where the file should go refuses it.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(ftp.HomePath("www/classes/tillon/Link.class"))));
  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_FALSE(Install(local));
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1].rfind("An error occurred while trying to upload tillon/Link.class to your FTP server.", 0), 0u);
  EXPECT_EQ(shown[2], "A problem was encountered while uploading " + local + "/tillon/Link.class");
  EXPECT_EQ(Installed(), "");
  EXPECT_FALSE(ftp.Exists("www/classes/tillon/salebox/Box.class"));
  EXPECT_EQ(statuses.back(), "");
}

TEST_F(ClassInstallTest, ARefusedConnectionInstallsNothing) {
  StartService();
  StartFtp({QStringLiteral("--refuse")});
  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_FALSE(Install(LocalClasses()));
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);  // the question and the connection's report, no more
  EXPECT_EQ(shown[1].rfind("Could not connect to FTP host (", 0), 0u);
  EXPECT_EQ(Installed(), "");
}

TEST_F(ClassInstallTest, AMissingClassFolderIsReportedAndInstallsNothing) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_FALSE(Install(home.root() + "/nowhere/classes"));
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[1].find("nowhere/classes"), std::string::npos);
  EXPECT_EQ(Installed(), "");
  EXPECT_TRUE(ftp.CommandsOf("STOR").empty());
}
