// The local preview's pieces on the in-memory host: the browser list, the
// emptying of the products folder and the copies (never through a link), the
// preview image reduction, and what the preview asks of the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/files.h"
#include "common/paths.h"
#include "host/in_memory_host.h"
#include "platform/registry.h"
#include "seller/core/deployment.h"
#include "seller/shell/java_check.h"
#include "output_support.h"
#include "seller/output/local_preview.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/file_bytes.h"

using namespace tendrel;
using namespace outputtest;
namespace fs = std::filesystem;

namespace {

void WriteAll(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

class PreviewOnMemoryHost : public ::testing::Test {
 protected:
  PreviewOnMemoryHost() {
    auto h = std::make_unique<InMemoryHost>();
    host = h.get();
    ctx.AttachHost(std::move(h));
  }
  bool Called(const std::string& name) const {
    const auto names = host->CallNames();
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  TempHome home;
  fs::path dir = fs::path(home.root()) / "work";
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  InMemoryHost* host = nullptr;
  PageOutput output{ctx};
  LocalPreview preview{ctx, output};
};

}  // namespace

TEST(BrowserList, EntriesCutAtRecordSeparatorAndEquals) {
  const auto list = ParseBrowserList("None=None\x1e" "Chromium=/usr/bin/chromium\x1e" "Odd\x1e" "A=b=c\x1e");
  ASSERT_EQ(list.size(), 4u);  // the empty last piece is dropped
  EXPECT_EQ(list[0].caption, "None");
  EXPECT_EQ(list[0].program, "None");
  EXPECT_EQ(list[1].caption, "Chromium");
  EXPECT_EQ(list[1].program, "/usr/bin/chromium");
  EXPECT_EQ(list[2].caption, "Odd");
  EXPECT_EQ(list[2].program, "");
  EXPECT_EQ(list[3].caption, "A");
  EXPECT_EQ(list[3].program, "b");
  EXPECT_TRUE(ParseBrowserList("").empty());
  // An empty piece in the middle is still an entry.
  EXPECT_EQ(ParseBrowserList("\x1eX=y").size(), 2u);
}

TEST(ProductsFolder, EmptyingTakesPlainFilesOnlyAndFollowsNoLink) {
  TempHome home;
  const fs::path root = home.root();
  const fs::path folder = root / "products";
  const fs::path outside = root / "outside";
  WriteAll(folder / "a.etxt", "a");
  WriteAll(folder / ".hidden", "h");
  WriteAll(folder / "sub" / "kept.txt", "k");
  WriteAll(outside / "precious.txt", "p");
  fs::create_symlink(outside / "precious.txt", folder / "link.etxt");
  fs::create_directory_symlink(outside, folder / "dirlink");

  EmptyPlainFiles(folder.string());
  EXPECT_FALSE(fs::exists(folder / "a.etxt"));
  EXPECT_FALSE(fs::exists(folder / ".hidden"));
  EXPECT_TRUE(fs::exists(folder / "sub" / "kept.txt"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.etxt"));
  EXPECT_TRUE(fs::is_symlink(folder / "dirlink"));
  EXPECT_EQ(ReadFile(outside / "precious.txt"), "p");

  // A products folder that is itself a link is left alone.
  const fs::path linked = root / "linked";
  fs::create_directory_symlink(outside, linked);
  EmptyPlainFiles(linked.string());
  EXPECT_EQ(ReadFile(outside / "precious.txt"), "p");
  EmptyPlainFiles((root / "absent").string());  // nothing to do, no throw
}

TEST(ProductsFolder, CopiesNeverOverwriteNorWriteThroughALink) {
  TempHome home;
  const fs::path root = home.root();
  WriteAll(root / "src.bin", std::string("x\0y", 3));
  EXPECT_TRUE(CopyWithoutOverwrite((root / "src.bin").string(), (root / "copy.bin").string()));
  EXPECT_EQ(ReadFile(root / "copy.bin"), std::string("x\0y", 3));

  WriteAll(root / "taken.bin", "mine");
  EXPECT_FALSE(CopyWithoutOverwrite((root / "src.bin").string(), (root / "taken.bin").string()));
  EXPECT_EQ(ReadFile(root / "taken.bin"), "mine");

  fs::create_symlink(root / "nowhere.bin", root / "dangling.bin");
  EXPECT_FALSE(CopyWithoutOverwrite((root / "src.bin").string(), (root / "dangling.bin").string()));
  EXPECT_FALSE(fs::exists(root / "nowhere.bin"));

  EXPECT_FALSE(CopyWithoutOverwrite((root / "absent.bin").string(), (root / "x.bin").string()));
  EXPECT_FALSE(fs::exists(root / "x.bin"));
}

TEST(PreviewImages, ExistingLocalFilesAreReducedToTheirNameInAnyCase) {
  TempHome home;
  const fs::path img = fs::path(home.root()) / "pics" / "a.gif";
  WriteAll(img, "gif");
  const std::string entry = "<param name=previewURL value=\"" + img.string() + "\">";
  const std::string upper = "<PARAM NAME=PREVIEWURL value=\"" + img.string() + "\">";
  const std::string page = "x" + entry + "y" + upper + "z<param name=previewURL value=\"/no/such.gif\">" +
                           "<param name=previewURL value=\"pics/a.gif\">" +
                           "<param name=previewURL value=\"http://h/a.gif\">";
  EXPECT_EQ(ReducePreviewImages(page), "x<param name=previewURL value=\"a.gif\">y<param name=previewURL "
                                       "value=\"a.gif\">z<param name=previewURL value=\"/no/such.gif\">"
                                       "<param name=previewURL value=\"pics/a.gif\">"
                                       "<param name=previewURL value=\"http://h/a.gif\">");
  // An entry without its ">" ends the search without harm.
  EXPECT_EQ(ReducePreviewImages("<param name=previewURL value=\"x"), "<param name=previewURL value=\"x");
}

TEST_F(PreviewOnMemoryHost, NoDocumentMeansNoPreview) {
  host->docOpen = false;
  EXPECT_FALSE(preview.OfferBrowsers().has_value());
  EXPECT_EQ(preview.PreviewWithBrowser("None"), "");
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{kPreviewNeedsDocument, kPreviewNeedsDocument}));
  EXPECT_FALSE(Called("browserlist"));
  EXPECT_FALSE(fs::exists(fs::path(AppDir()) / kPreviewPageName));
}

TEST_F(PreviewOnMemoryHost, TwoBrowsersAreOfferedInTheirOrder) {
  host->browserList = "None=None\x1e" "Netscape=C:\\Netscape\\netscape.exe\x1e";
  const auto offered = preview.OfferBrowsers();
  ASSERT_TRUE(offered.has_value());
  ASSERT_EQ(offered->size(), 2u);
  EXPECT_EQ((*offered)[1].program, "C:\\Netscape\\netscape.exe");
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PreviewOnMemoryHost, ABrowserOpensThePageAndTheDocumentIsOnlyRead) {
  WriteAll(dir / "a.txt", "a");
  host->doc.Load("<html><head></head><body>\r\n" + SaleboxTag(ctx.Settings(), "Z", "A") + "\r\n</body></html>");
  host->docName = (dir / "page.htm").string();
  WriteAll(dir / "page.htm", "on disk");
  preview.PreviewWithBrowser("/usr/bin/chromium");
  ASSERT_EQ(host->previews.size(), 1u);
  EXPECT_EQ(host->previews[0].first, (dir / kPreviewPageName).string());
  EXPECT_EQ(host->previews[0].second, "/usr/bin/chromium");
  // The tag's source is not there: told, and the page still opens.
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Cannot find source file : /site/A.txt"}));
  for (const char* write : {"replacealltext", "puttextatcursor", "setselection"}) EXPECT_FALSE(Called(write)) << write;
  EXPECT_EQ(ReadFile(dir / "page.htm"), "on disk");
}

TEST_F(PreviewOnMemoryHost, NetscapeRunningGetsTheCacheWipedFirst) {
  host->doc.Load("<html><head></head><body>\r\n</body></html>");
  preview.SetHooks({[] { return std::vector<std::string>{"Other", "  Netscape - [page]"}; }});
  RegisterTextResources();
  preview.PreviewWithBrowser("C:\\Program Files\\NETSCAPE.EXE");
  const std::string wipe = JoinPath(AppDir(), kJavaWipePageName);
  const std::string page = ReadFile(wipe);
  EXPECT_NE(page.find("<title>Clearing Java Cache</title>"), std::string::npos);
  EXPECT_NE(page.find("<center><h1>Clearing Java Cache...</h1></center>"), std::string::npos);
  ASSERT_EQ(host->previews.size(), 2u);
  EXPECT_EQ(host->previews[0], std::make_pair(wipe, std::string()));
  EXPECT_EQ(host->previews[1].second, "C:\\Program Files\\NETSCAPE.EXE");

  // A page already there is shown as it is; without a Netscape window no wipe.
  WriteAll(wipe, "own");
  preview.ClearNetscapeJavaCache();
  EXPECT_EQ(ReadFile(wipe), "own");
  EXPECT_EQ(host->previews.size(), 3u);
  preview.SetHooks({[] { return std::vector<std::string>{"netscape", "My Netscape"}; }});
  preview.ClearNetscapeJavaCache();
  EXPECT_EQ(host->previews.size(), 3u);
}

TEST_F(PreviewOnMemoryHost, InternetExplorerGetsTheJavaCheckFirst) {
  // The machine's Java version, written as the system scope holds it.
  const std::string system = home.root() + "/system";
  const std::string user = std::getenv("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", system.c_str(), 1);
  {
    auto key = RegistryKey::Open(RegRoot::CurrentUser, kJavaVMKey, true);
    ASSERT_TRUE(key && key->WriteString("", "5,00,3240,1250"));
  }
  setenv("XDG_CONFIG_HOME", user.c_str(), 1);
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  const std::string oldDirs = dirs ? dirs : "";
  setenv("XDG_CONFIG_DIRS", system.c_str(), 1);

  host->doc.Load("<html><head></head><body>\r\n</body></html>");
  preview.PreviewWithBrowser("C:\\Program Files\\Plus!\\IEXPLORE.EXE");
  if (dirs) setenv("XDG_CONFIG_DIRS", oldDirs.c_str(), 1);
  else unsetenv("XDG_CONFIG_DIRS");

  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0], JavaVMWarning(JavaVMVerdict::Old, deployment::JavaVendorURL()));
  ASSERT_EQ(host->previews.size(), 1u);
  EXPECT_EQ(host->previews[0].second, "C:\\Program Files\\Plus!\\IEXPLORE.EXE");
}
