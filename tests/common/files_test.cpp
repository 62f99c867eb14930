#include "common/files.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

namespace tendrel {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class FilesTest : public ::testing::Test {
 protected:
  std::string root() const { return tmp_.path().toStdString(); }
  std::string at(const std::string& rel) const { return root() + "/" + rel; }
  std::vector<std::string> Relative(const std::vector<std::string>& list) const {
    std::vector<std::string> out;
    for (const auto& p : list) out.push_back(p.substr(root().size() + 1));
    return out;
  }
  void MakeTree() {
    for (const char* f : {"b.HTM", "a.htm", "c.html", "noext", "sub/d.htm", "sub/deeper/e.htm",
                          "Sub2/f.htm", "Sub2/g.txt"})
      Write(at(f), "x");
  }
  QTemporaryDir tmp_;
};

using V = std::vector<std::string>;

TEST_F(FilesTest, ListFilesByMask) {
  MakeTree();
  fs::create_directory_symlink(root(), at("sub/loop"));  // must not be walked into
  struct Case { std::string mask; bool recurse; V want; };
  const Case cases[] = {
      {"*.htm", false, {"a.htm", "b.HTM"}},  // .html is not taken in
      {"*.htm", true, {"a.htm", "b.HTM", "sub/d.htm", "sub/deeper/e.htm", "Sub2/f.htm"}},
      {"*.*", false, {"a.htm", "b.HTM", "c.html", "noext"}},
      {"*.ht?", false, {"a.htm", "b.HTM"}},
      {"?.htm*", false, {"a.htm", "b.HTM", "c.html"}},
      {"noext", false, {"noext"}},
      {"*.gif", true, {}},
  };
  for (const auto& c : cases) {
    V list;
    ListFiles(at(c.mask), list, c.recurse);
    EXPECT_EQ(Relative(list), c.want) << c.mask;
  }
  V dirs;
  AddSubdirectories(root(), dirs);
  EXPECT_EQ(Relative(dirs), (V{"sub", "sub/deeper", "Sub2"}));
}

TEST_F(FilesTest, ListFilesWithoutFolderUsesCurrentFolder) {
  MakeTree();
  const fs::path old = fs::current_path();
  fs::current_path(root());
  V list;
  ListFiles("*.htm", list, false);
  fs::current_path(old);
  EXPECT_EQ(list, (V{"a.htm", "b.HTM"}));
}

TEST_F(FilesTest, DeleteFilesOnlyInMaskFolder) {
  MakeTree();
  DeleteFiles(at("*.htm"));
  EXPECT_FALSE(FileExists(at("a.htm")));
  EXPECT_FALSE(FileExists(at("b.HTM")));
  EXPECT_TRUE(FileExists(at("c.html")));
  EXPECT_TRUE(FileExists(at("sub/d.htm")));
  DeleteFiles(at("missing/*.*"));  // failures are ignored
}

TEST_F(FilesTest, LoadTextFileJoinsLinesWithCrLf) {
  struct Case { std::string bytes, want; };
  const Case cases[] = {
      {"a\nb\n", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},
      {"a\rb\r\n\r\n", "a\r\nb\r\n"},
      {"", ""},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  ScriptedDialogs dialogs;
  for (const auto& c : cases) {
    Write(at("t.txt"), c.bytes);
    EXPECT_EQ(LoadTextFile(at("t.txt"), dialogs), c.want);
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FilesTest, LoadTextFileFailures) {
  ScriptedDialogs dialogs;
  const std::string missing = at("missing.txt");
  try {
    LoadTextFile(missing, dialogs);
    FAIL() << "no exception";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), ENOENT);
  }
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "No such file or directory : " + missing);
  EXPECT_EQ(dialogs.shown[0].caption, "Error");
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Error);

  // Other failures are passed on without a message.
  dialogs.shown.clear();
  EXPECT_THROW(LoadTextFile(root(), dialogs), FileError);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FilesTest, SaveTextFileReplacesWhole) {
  const std::string f = at("page.htm");
  SaveTextFile(f, std::string(100000, 'x'));
  SaveTextFile(f, "short\r\n");
  EXPECT_EQ(Read(f), "short\r\n");
  SaveTextFile(f, "");
  EXPECT_EQ(Read(f), "");
  EXPECT_THROW(SaveTextFile(at("no/such/folder/page.htm"), "x"), FileError);
  for (const auto& e : fs::directory_iterator(root()))  // no temporary file left behind
    EXPECT_EQ(e.path().filename(), "page.htm");
}

TEST_F(FilesTest, ExtractResourceToFile) {
  // Build a real resource file with Qt's own compiler and register it.
  Write(at("res/probe.txt"), std::string("line1\r\nline2\0end", 16));
  Write(at("res/r.qrc"),
        "<RCC><qresource prefix=\"/TEXT\"><file alias=\"probe\">probe.txt</file></qresource></RCC>");
  const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
  const QString rccOut = QString::fromStdString(at("res/r.rcc"));
  ASSERT_EQ(QProcess::execute(rcc, {"--binary", QString::fromStdString(at("res/r.qrc")), "-o", rccOut}), 0);
  ASSERT_TRUE(QResource::registerResource(rccOut));

  const std::string target = at("deep/new/folder/probe.out");
  EXPECT_TRUE(ExtractResourceToFile(target, "probe", "TEXT"));
  EXPECT_EQ(Read(target), std::string("line1\r\nline2\0end", 16));
  EXPECT_THROW(ExtractResourceToFile(at("x.out"), "absent", "TEXT"), FileError);
  EXPECT_FALSE(FileExists(at("x.out")));
  QResource::unregisterResource(rccOut);
}

TEST(AppDir, PerUserProgramFolder) {
  TempHome home;
  const QString oldName = QCoreApplication::applicationName();
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  QCoreApplication::setApplicationName("Bravant");
  const std::string dir = AppDir();
  EXPECT_EQ(dir, home.data() + "/Tendrel/Bravant");
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_FALSE(FileExists(dir));
  setenv("XDG_DATA_HOME", "relative/ignored", 1);  // not absolute: the default applies
  setenv("HOME", home.root().c_str(), 1);
  EXPECT_EQ(AppDir(), home.root() + "/.local/share/Tendrel/Bravant");
  setenv("HOME", oldHome.c_str(), 1);
  QCoreApplication::setApplicationName(oldName);
}

}  // namespace
}  // namespace tendrel
