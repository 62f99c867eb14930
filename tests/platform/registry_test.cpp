#include "platform/registry.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_home.h"

using namespace tendrel;

namespace {

const std::string kApp = "\\Software\\Tendrel\\Tillon";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Spit(const std::string& path, const std::string& data) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

RegistryKey MustOpen(const std::string& path, bool create = true) {
  auto key = RegistryKey::Open(RegRoot::CurrentUser, path, create);
  EXPECT_TRUE(key.has_value()) << path;
  if (!key) throw std::runtime_error("cannot open " + path);
  return *key;
}

std::string Read(const std::string& path, const std::string& name) {
  auto key = RegistryKey::Open(RegRoot::CurrentUser, path, false);
  std::string out = "<missing>";
  if (key) key->ReadString(name, out);
  return out;
}

int Mode(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

}  // namespace

TEST(Registry, NamesAndValuesRoundTripExactly) {
  TempHome home;
  const std::vector<std::string> names = {
      "plain", "with space", "back\\slash", "my/server", "50%", "%41", "%", "\xC3\xA9\xE4\xB8\xAD",
      "", "General", "\xFF\xFE", "a=b;c", "[x]"};
  const std::vector<std::string> values = {
      "", "a,b", "k=v;c", "\"quoted\"", "line1\nline2\r\n", "\xC3\xA9\xE4\xB8\xAD",
      "@ByteArray(x)", std::string("a\0b", 3), "\xFF\x80", " lead and trail ", "@@", "\\x41\t"};
  RegistryKey key = MustOpen(kApp + "\\Section");
  for (size_t i = 0; i < names.size(); ++i)
    ASSERT_TRUE(key.WriteString(names[i], values[i % values.size()])) << i;
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(key.WriteString("v" + std::to_string(i), values[i])) << i;

  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(Read(kApp + "\\Section", names[i]), values[i % values.size()]) << i;
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(Read(kApp + "\\Section", "v" + std::to_string(i)), values[i]) << i;
  std::vector<std::string> listed = key.ValueNames();
  for (const std::string& n : names)
    EXPECT_NE(std::find(listed.begin(), listed.end(), n), listed.end()) << n;

  // Key names below the file level carry the same characters.
  const std::vector<std::string> keyNames = {"my/server", "My Server", "50%", "%2F", "General",
                                             "\xC3\xA9t\xC3\xA9"};
  for (const std::string& k : keyNames)
    ASSERT_TRUE(MustOpen(kApp + "\\Servers\\" + k).WriteString("Address", "ftp." + k)) << k;
  for (const std::string& k : keyNames) EXPECT_EQ(Read(kApp + "\\Servers\\" + k, "Address"), "ftp." + k);
  EXPECT_EQ(MustOpen(kApp + "\\Servers").SubKeys().size(), keyNames.size());
}

TEST(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  TempHome home;
  RegistryKey vendor = MustOpen(kApp + "\\Vendor");
  ASSERT_TRUE(vendor.WriteString("ID", "1"));
  ASSERT_TRUE(MustOpen("\\software\\TENDREL\\tillon\\VENDOR").WriteString("id", "2"));
  EXPECT_EQ(Read("Software\\tendrel\\Tillon\\vendor", "Id"), "2");
  EXPECT_EQ(vendor.ValueNames(), std::vector<std::string>{"ID"});
  EXPECT_EQ(MustOpen(kApp).SubKeys(), std::vector<std::string>{"Vendor"});
  EXPECT_TRUE(std::filesystem::exists(home.config() + "/Tendrel/Tillon.conf"));
  EXPECT_FALSE(std::filesystem::exists(home.config() + "/TENDREL"));
}

TEST(Registry, SubKeysListInRegistryOrder) {
  TempHome home;
  for (const char* name : {"beta", "Alpha", "gamma", "alpha2", "Beta2", "_x", "10"})
    ASSERT_TRUE(MustOpen(kApp + "\\Servers\\" + name).WriteString("Address", name));
  EXPECT_EQ(MustOpen(kApp + "\\Servers").SubKeys(),
            (std::vector<std::string>{"10", "_x", "Alpha", "alpha2", "beta", "Beta2", "gamma"}));
  // Above the file level the sub-keys are the files.
  ASSERT_TRUE(MustOpen("\\Software\\Tendrel\\Marquill\\Push").WriteString("h", "1"));
  EXPECT_EQ(MustOpen("\\Software\\Tendrel").SubKeys(),
            (std::vector<std::string>{"Marquill", "Tillon"}));
}

TEST(Registry, DeletingAKeyTakesEverythingBelowButNotItsNamesake) {
  TempHome home;
  ASSERT_TRUE(MustOpen(kApp + "\\Servers\\A").WriteString("Address", "a"));
  ASSERT_TRUE(MustOpen(kApp + "\\Servers\\A\\Deep\\Deeper").WriteString("x", "1"));
  ASSERT_TRUE(MustOpen(kApp + "\\Servers\\B").WriteString("Address", "b"));
  RegistryKey servers = MustOpen(kApp + "\\Servers");
  ASSERT_TRUE(servers.WriteString("A", "value named like the key"));

  EXPECT_TRUE(servers.DeleteSubKey("a"));
  EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, kApp + "\\Servers\\A", false));
  EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, kApp + "\\Servers\\A\\Deep\\Deeper", false));
  EXPECT_EQ(servers.SubKeys(), std::vector<std::string>{"B"});
  EXPECT_EQ(Read(kApp + "\\Servers", "A"), "value named like the key");
  EXPECT_TRUE(servers.DeleteSubKey("A"));  // already gone

  ASSERT_TRUE(MustOpen(kApp + "\\Servers\\B\\C").WriteString("x", "1"));
  EXPECT_TRUE(MustOpen(kApp + "\\Servers\\B").DeleteValue("c"));  // no such value
  EXPECT_EQ(Read(kApp + "\\Servers\\B\\C", "x"), "1");
  EXPECT_TRUE(servers.DeleteValue("a"));
  EXPECT_EQ(Read(kApp + "\\Servers", "A"), "<missing>");

  // A key that is a whole file goes with its file.
  EXPECT_TRUE(MustOpen("\\Software\\Tendrel").DeleteSubKey("TILLON"));
  EXPECT_FALSE(std::filesystem::exists(home.config() + "/Tendrel/Tillon.conf"));
  EXPECT_FALSE(MustOpen("\\Software\\Tendrel").DeleteSubKey(""));
}

TEST(Registry, FilesArePrivateToTheUser) {
  TempHome home;
  ASSERT_TRUE(MustOpen(kApp + "\\Vendor").WriteString("Password", "1,2,3"));
  const std::string file = home.config() + "/Tendrel/Tillon.conf";
  EXPECT_EQ(Mode(file), 0600);
  EXPECT_EQ(Mode(home.config() + "/Tendrel"), 0700);

  chmod(file.c_str(), 0644);
  ASSERT_TRUE(MustOpen(kApp).WriteString("Port", "443"));
  EXPECT_EQ(Mode(file), 0600);
  for (const auto& entry : std::filesystem::directory_iterator(home.config() + "/Tendrel"))
    EXPECT_EQ(entry.path().filename(), "Tillon.conf");  // no temporary or lock file left
}

TEST(Registry, UnreadableFileGivesNothingAndIsNeverWritten) {
  struct Case {
    const char* what;
    std::string content;
  };
  const std::vector<Case> cases = {
      {"section without bracket", "[Vendor\nID=1\n"},
      {"line without equals", "[Vendor]\nID=1\ngarbage\n"},
      {"equals only inside quotes", "[Vendor]\n\"ID=1\"\n"},
      {"comment cuts the key", "[Vendor]\nID;=1\n"},
  };
  for (const Case& c : cases) {
    TempHome home;
    const std::string file = home.config() + "/Tendrel/Tillon.conf";
    Spit(file, c.content);
    RegError why = RegError::None;
    EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, kApp + "\\Vendor", true, &why)) << c.what;
    EXPECT_EQ(why, RegError::Unreadable) << c.what;
    // A handle taken while the file was sound.
    std::filesystem::remove(file);
    RegistryKey key = MustOpen(kApp + "\\Vendor");
    Spit(file, c.content);
    std::string out = "untouched";
    EXPECT_FALSE(key.ReadString("ID", out)) << c.what;
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(key.WriteString("ID", "2")) << c.what;
    EXPECT_FALSE(key.DeleteValue("ID")) << c.what;
    EXPECT_FALSE(MustOpen("\\Software\\Tendrel").DeleteSubKey("Tillon")) << c.what;
    EXPECT_TRUE(key.ValueNames().empty());
    EXPECT_EQ(Slurp(file), c.content) << c.what;
  }

  TempHome home;  // a folder where the file should be
  const std::string file = home.config() + "/Tendrel/Tillon.conf";
  std::filesystem::create_directories(file);
  EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, kApp, true));
  EXPECT_TRUE(std::filesystem::is_directory(file));

  if (geteuid() != 0) {  // permissions do not bind the superuser
    TempHome locked;
    const std::string lockedFile = locked.config() + "/Tendrel/Tillon.conf";
    Spit(lockedFile, "[Vendor]\nID=7\n");
    RegistryKey key = MustOpen(kApp + "\\Vendor");
    chmod(lockedFile.c_str(), 0);
    EXPECT_FALSE(key.WriteString("ID", "8"));
    chmod(lockedFile.c_str(), 0600);
    EXPECT_EQ(Slurp(lockedFile), "[Vendor]\nID=7\n");
  }
}

TEST(Registry, AWriteThatFailsLeavesNoTrace) {
  TempHome home;
  const std::string file = home.config() + "/Tendrel/Tillon.conf";
  Spit(file, "k=v\n");
  // In a child: the file size limit makes the save fail, and a lock that
  // cannot be taken must not make the write wait.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(30);
    RegistryKey key = MustOpen(kApp);
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = key.WriteString("big", std::string(100, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::string out;
    if (written || key.ReadString("big", out)) _exit(1);
    if (!key.WriteString("small", "1")) _exit(2);
    std::filesystem::create_directory(file + ".lock");
    if (key.WriteString("locked", "1")) _exit(3);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "child killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(kApp, "small"), "1");
  EXPECT_EQ(Read(kApp, "big"), "<missing>");
  EXPECT_EQ(Slurp(file).find("xxx"), std::string::npos);
}

TEST(Registry, AFileTheIniLayerWouldSaveUnreadablyIsKept) {
  TempHome home;
  const std::string file = home.config() + "/Tendrel/Tillon.conf";
  const std::string content = "Port=443\nodd//=x\n";  // saved as "\\=x", which does not read
  Spit(file, content);
  RegistryKey key = MustOpen(kApp);
  EXPECT_FALSE(key.WriteString("Last Server", "Home"));
  EXPECT_EQ(Slurp(file), content);
  EXPECT_EQ(Read(kApp, "Port"), "443");
}

TEST(Registry, LocalMachineIsReadOnly) {
  TempHome home;
  const std::string sys = home.root() + "/sys";
  const std::string path =
      "\\Software\\Classes\\CLSID\\{08B0E5C0-4FCB-11CF-AAA5-00401C608500}\\InstalledVersion";
  {
    // Lay the machine's file down as a user file would be written.
    setenv("XDG_CONFIG_HOME", sys.c_str(), 1);
    ASSERT_TRUE(MustOpen(path).WriteString("", "5,00,3240"));
    setenv("XDG_CONFIG_HOME", home.config().c_str(), 1);
  }
  const char* old = std::getenv("XDG_CONFIG_DIRS");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_DIRS", (sys + ":/nonexistent").c_str(), 1);

  auto key = RegistryKey::Open(RegRoot::LocalMachine, path, false);
  ASSERT_TRUE(key);
  std::string out;
  EXPECT_TRUE(key->ReadString("", out));
  EXPECT_EQ(out, "5,00,3240");
  const std::string before = Slurp(key->FilePath());
  EXPECT_FALSE(key->WriteString("", "1"));
  EXPECT_FALSE(key->DeleteValue(""));
  EXPECT_FALSE(RegistryKey::Open(RegRoot::LocalMachine, "\\Software\\Classes", false).value().DeleteSubKey("CLSID"));
  EXPECT_FALSE(RegistryKey::Open(RegRoot::LocalMachine, "\\Software\\Other\\Key", true));
  EXPECT_EQ(Slurp(key->FilePath()), before);
  // The user's tree is a different place.
  EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, path, false));

  if (old) setenv("XDG_CONFIG_DIRS", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_DIRS");
}

TEST(Registry, PathsOutsideTheSoftwareTreeAreRefused) {
  TempHome home;
  for (const char* path : {"", "\\", "\\Software", "\\Tendrel\\Tillon", "\\Software\\..\\x",
                           "\\Software\\Tendrel\\..", "\\Software\\a/b\\c"}) {
    RegError why = RegError::None;
    EXPECT_FALSE(RegistryKey::Open(RegRoot::CurrentUser, path, true, &why)) << path;
    EXPECT_EQ(why, RegError::BadPath) << path;
  }
  EXPECT_EQ(MustOpen("Software\\X").Path(), "\\Software\\X");
  EXPECT_EQ(MustOpen("Software\\X").FilePath(), home.config() + "/X.conf");
}

TEST(Registry, ReadableVerdictAgreesWithTheIniReader) {
  TempHome home;
  const std::vector<std::string> texts = {
      "", "k=v\n", "[A]\nk=v\n", "[A\nk=v\n", "k\n", ";only a comment\n", "\"k=v\"\n",
      "k;=v\n", "k=v;comment\n", ";c\n \nk=v\n", "k=\"a\nb\"\n", "k=a\\\nb\n", "[A]]\n",
      "\xEF\xBB\xBF[A]\nk=v\n", "  \r\n\r\nk = v\r\n", "[]\n=\n", "k=\"unterminated\n[B]\n",
      "\\\n", "a\\\r\n=b\n", "[A];x\nk=v\n", "[A]\n;x\n  junk\n",
      // After a byte order mark the first line must be a key line, as it stands.
      "\xEF\xBB\xBF", "\xEF\xBB\xBF\n", "\xEF\xBB\xBFk=v\n[A]\nb=1\n", "\xEF\xBB\xBF\nk=v\n",
      "\xEF\xBB\xBF \nk=v\n", "\xEF\xBB\xBF\t k=v\n", "\xEF\xBB\xBF;c\nk=v\n", "\xEF\xBB\xBF ;c\nk=v\n",
      "\xEF\xBB\xBF[x=1]\nb=2\n", "\xEF\xBB\xBF\"a=\"=1\n", "\xEF\xBB\xBF\\\na=1\n", "\xEF\xBB\xBFk;=v\n",
      "\xEF\xBB\xBF\xEF\xBB\xBFk=v\n", "\xEF\xBB\xBF=\n[x\n",
      "\xEF\xBB\xBF[Servery=/N10__cxxabiv117__class_type_infoEnn\n"};
  int n = 0;
  for (const std::string& text : texts) {
    const QString file = QString::fromStdString(home.root()) + QString("/verdict%1.ini").arg(n++);
    Spit(file.toStdString(), text);
    QSettings qs(file, QSettings::IniFormat);
    qs.allKeys();
    EXPECT_EQ(registry_detail::IniTextReadable(text), qs.status() == QSettings::NoError)
        << "text: " << text;
  }
  EXPECT_FALSE(registry_detail::IniTextReadable("[A\n"));
  EXPECT_TRUE(registry_detail::IniTextReadable("[A]\nk=v\n"));
}
