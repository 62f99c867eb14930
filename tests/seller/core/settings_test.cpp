#include "seller/core/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_home.h"

using namespace tendrel;

namespace {

std::string SettingsFile(const TempHome& home) { return home.config() + "/Tendrel/Tillon.conf"; }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

TEST(Settings, FreshStoreGivesTheLayoutDefaults) {
  TempHome home;
  SettingsStore store;
  EXPECT_EQ(store.ReadText("Options", "Class Location"), "classes/");
  EXPECT_EQ(store.ReadText("options", "CLASS LOCATION"), "classes/");
  EXPECT_EQ(store.ReadText("Options", "Logging"), "No");
  EXPECT_EQ(store.ReadText("Options", "Process All Saleboxes"), "No");
  EXPECT_EQ(store.ReadText("Options", "JPEG Quality"), "75");
  EXPECT_EQ(store.ReadText("", "Port"), "443");
  EXPECT_EQ(store.ReadText("Vendor", "ID"), "");
  EXPECT_EQ(store.ReadText("Vendor", "Port"), "");
  EXPECT_EQ(store.ReadInteger("", "Port", 443), 443);
  EXPECT_EQ(store.ReadInteger("Options", "JPEG Quality", 75), 75);
  EXPECT_EQ(store.ReadText("Options", "Class Location", "other/"), "other/");
  EXPECT_EQ(std::filesystem::status(SettingsFile(home)).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(Settings, IntegersReadDecimalOrHexAndFallBackOtherwise) {
  TempHome home;
  SettingsStore store;
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"443", 443},        {"0x1BB", 443},     {"0X1bb", 443},          {"-5", -5},
      {"+7", 7},           {"0x", -1},         {"0X", -1},              {"0", 0},
      {"0x0", 0},          {"abc", -1},        {"", -1},                {" 1", -1},
      {"12a", -1},         {"0x1G", -1},       {"2147483647", INT_MAX}, {"2147483648", -1},
      {"-2147483648", INT_MIN}, {"-2147483649", -1}, {"0x7FFFFFFF", INT_MAX}, {"0x80000000", -1},
      {"0x-5", -1},        {"99999999999999999999", -1},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(store.WriteText("", "Port", c.text));
    EXPECT_EQ(store.ReadInteger("", "Port", -1), c.expected) << c.text;
  }
  ASSERT_TRUE(store.WriteInteger("Options", "JPEG Quality", -40));
  EXPECT_EQ(store.ReadText("Options", "JPEG Quality"), "-40");
}

TEST(Settings, LoggingFlagIsYesWithoutRegardToCase) {
  TempHome home;
  SettingsStore store;
  EXPECT_FALSE(store.ReadFlag("Options", "Logging", "No"));
  EXPECT_FALSE(RegYes(store, "Options", "Logging", "No"));
  EXPECT_TRUE(RegYes(store, "Options", "Logging", "yes"));  // the default counts when missing
  for (const auto& [text, on] : std::vector<std::pair<std::string, bool>>{
           {"yes", true}, {"YES", true}, {"Yes", true}, {"No", false}, {"no", false},
           {"Yes ", false}, {"", false}, {"1", false}}) {
    ASSERT_TRUE(store.WriteText("Options", "Logging", text));
    EXPECT_EQ(store.ReadFlag("Options", "Logging", "No"), on) << text;
    EXPECT_EQ(RegYes(store, "options", "logging", "Yes"), on) << text;
  }
}

TEST(Settings, PasswordsEncodeAndDecode) {
  // Every one-byte password, the comma among them, reads back as itself.
  for (int b = 0; b < 256; ++b) {
    const std::string pw(1, static_cast<char>(b));
    const std::string enc = EncodePassword(pw, "ENC");
    ASSERT_EQ(enc.back(), ',') << b;
    EXPECT_EQ(EncodePassword(enc, "DEC"), pw) << b;
  }
  EXPECT_EQ(EncodePassword("A", "ENC"), "10,");  // 'A' ^ 'K'
  EXPECT_EQ(EncodePassword("ab", "ENC"), "42,7");
  const std::string longer = "Secret password, 7+ chars and more than the key's nineteen";
  const std::string enc = EncodePassword(longer, "ENC");
  EXPECT_EQ(std::count(enc.begin(), enc.end(), ','), static_cast<long>(longer.size()) - 1);
  EXPECT_EQ(EncodePassword(enc, "DEC"), longer);
  EXPECT_EQ(EncodePassword("", "ENC"), "");
  EXPECT_EQ(EncodePassword("", "DEC"), "");
  EXPECT_EQ(EncodePassword("clearText", "DEC"), "clearText");
  EXPECT_EQ(EncodePassword("10", "DEC"), "10");  // a clear text that looks like a number
  EXPECT_EQ(EncodePassword("10", "dec"), "A");   // any other mode decodes without that rule
  EXPECT_EQ(EncodePassword("x,7", "DEC"), "Kb");  // not a number counts as 0
  EXPECT_EQ(EncodePassword("298,7", "DEC"), "ab");  // low eight bits
  EXPECT_EQ(EncodePassword("-214,7", "DEC"), "ab");
  EXPECT_EQ(EncodePassword("0x2A,7", "DEC"), "Kb");  // pieces are decimal only
  EXPECT_EQ(EncodePassword("42,7,", "DEC"), "ab");

  TempHome home;
  SettingsStore store;
  ASSERT_TRUE(store.WriteText("Servers\\Home", "Password", EncodePassword(",", "ENC")));
  EXPECT_EQ(EncodePassword(store.ReadText("Servers\\Home", "Password"), "DEC"), ",");
}

TEST(Settings, ValueSurvivesTheProcessBeingKilled) {
  TempHome home;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SettingsStore store;
    const bool ok = store.WriteText("Vendor", "ID", "V-1234") &&
                    store.WriteText("Servers\\My Server", "Address", "ftp.example.org");
    if (!ok) _exit(3);
    raise(SIGKILL);
    _exit(4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  SettingsStore after;
  EXPECT_EQ(after.ReadText("Vendor", "ID"), "V-1234");
  EXPECT_EQ(after.ReadText("servers\\my server", "address"), "ftp.example.org");
}

TEST(Settings, SectionsNestListAndDelete) {
  TempHome home;
  SettingsStore store;
  ASSERT_TRUE(store.WriteText("", "Last Server", "zeta"));
  for (const char* name : {"zeta", "Alpha", "my/server", "beta"})
    ASSERT_TRUE(store.WriteText(std::string("Servers\\") + name, "Address", name));
  ASSERT_TRUE(store.WriteInteger("Servers\\beta", "Installed Classes", 1));
  EXPECT_EQ(store.ListSections("Servers"),
            (std::vector<std::string>{"Alpha", "beta", "my/server", "zeta"}));
  ASSERT_TRUE(store.WriteText("general", "x", "1"));  // the INI layer's own section name
  EXPECT_EQ(store.ReadText("General", "X"), "1");
  {
    TempHome copy;  // a copy is read afresh from disk
    std::filesystem::copy(home.config(), copy.config(), std::filesystem::copy_options::recursive);
    EXPECT_EQ(SettingsStore().ListSections(""), (std::vector<std::string>{"general", "Servers"}));
  }
  EXPECT_EQ(store.ReadText("", "Last Server"), "zeta");

  EXPECT_TRUE(store.DeleteSection("Servers\\BETA"));
  EXPECT_EQ(store.ReadText("Servers\\beta", "Address"), "");
  EXPECT_EQ(store.ReadInteger("Servers\\beta", "Installed Classes", 0), 0);
  EXPECT_EQ(store.ListSections("Servers"), (std::vector<std::string>{"Alpha", "my/server", "zeta"}));
  EXPECT_TRUE(store.DeleteSection("Servers\\never there"));
  EXPECT_TRUE(store.DeleteSection("Nowhere\\at all"));
  EXPECT_FALSE(store.DeleteSection(""));
  EXPECT_TRUE(store.DeleteSection("Servers"));
  EXPECT_TRUE(store.ListSections("Servers").empty());
  EXPECT_EQ(store.ReadText("", "Last Server"), "zeta");
}

TEST(Settings, DamagedSettingsFileGivesDefaultsAndStaysAsItIs) {
  for (const std::string content : {"[Options\nClass Location=mine/\n",
                                    "[Options]\nClass Location=mine/\nPort 80\n"}) {
    TempHome home;
    std::filesystem::create_directories(home.config() + "/Tendrel");
    std::ofstream(SettingsFile(home), std::ios::binary) << content;
    SettingsStore store;
    EXPECT_EQ(store.ReadText("Options", "Class Location"), "classes/");
    EXPECT_FALSE(store.WriteText("Options", "Class Location", "x/"));
    EXPECT_FALSE(store.WriteInteger("", "Port", 80));
    EXPECT_FALSE(store.DeleteSection("Options"));
    EXPECT_TRUE(store.ListSections("").empty());
    EXPECT_EQ(Slurp(SettingsFile(home)), content);
  }
}
