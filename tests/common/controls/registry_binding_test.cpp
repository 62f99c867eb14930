#include "common/controls/registry_binding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/registry_values.h"
#include "support/temp_home.h"

namespace tendrel {
namespace {

const char* kKey = "\\Software\\Tendrel\\Marquill\\Binding";

std::string FileText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Binding : ::testing::Test {
  Binding() {
    binding.SetPath("Software\\Tendrel\\Marquill\\Binding");
    binding.SetValue("Text");
  }
  std::string File() const { return home.config() + "/Tendrel/Marquill.conf"; }
  TempHome home;
  RegistryBinding binding;
};

TEST(RegistryBindingPath, RegPathGetsRootBackslash) {
  EXPECT_EQ(RootedRegPath("Software\\X"), "\\Software\\X");
  EXPECT_EQ(RootedRegPath("\\Software\\X"), "\\Software\\X");
  EXPECT_EQ(RootedRegPath(""), "");
  RegistryBinding binding;
  binding.SetPath("Software\\X");
  EXPECT_EQ(binding.Path(), "\\Software\\X");
}

// Off, the control keeps its own text and no file is touched; on, it always
// gets a text, empty when nothing is stored, and the key comes to exist.
TEST_F(Binding, LoadsOnlyWhenStoringAndGivesEmptyForNothingStored) {
  EXPECT_EQ(binding.Load(), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(File()));

  binding.SetStore(true);
  EXPECT_EQ(binding.Load(), "");
  EXPECT_TRUE(std::filesystem::exists(File()));

  controls_test::Store(kKey, "TEXT", "stored");
  binding.SetStore(false);
  EXPECT_EQ(binding.Load(), std::nullopt);
}

// SaveToRegistry is the form's own request: it writes whatever RegStore says.
// A control without a value name keeps its text in the key's default value.
TEST_F(Binding, SaveWritesWithoutStoreAndRoundTrips) {
  EXPECT_TRUE(binding.Save("a, \"b\""));
  EXPECT_EQ(controls_test::Stored(kKey, "text"), "a, \"b\"");
  binding.SetStore(true);
  EXPECT_EQ(binding.Load(), "a, \"b\"");

  RegistryBinding unnamed;
  unnamed.SetPath(kKey);
  unnamed.SetStore(true);
  EXPECT_TRUE(unnamed.Save("default"));
  EXPECT_EQ(unnamed.Load(), "default");
  EXPECT_EQ(binding.Load(), "a, \"b\"");
  EXPECT_TRUE(unnamed.Save(""));
  EXPECT_EQ(controls_test::Stored(kKey, ""), "");
}

// A path that names no key, or a key whose file cannot be read, loads as empty
// and saves nothing; the unreadable file is left exactly as it was.
TEST_F(Binding, KeysThatCannotBeUsedLoadEmptyAndAreNeverWritten) {
  for (const char* path : {"", "Hardware\\X", "\\Software"}) {
    RegistryBinding nowhere;
    nowhere.SetPath(path);
    nowhere.SetValue("Text");
    nowhere.SetStore(true);
    EXPECT_EQ(nowhere.Load(), "") << path;
    EXPECT_FALSE(nowhere.Save("x")) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(home.config())) << "nothing was created";

  std::filesystem::create_directories(home.config() + "/Tendrel");
  const std::string broken = "[Binding]\nText=kept\nnot an ini line\n";
  std::ofstream(File(), std::ios::binary) << broken;
  binding.SetStore(true);
  EXPECT_EQ(binding.Load(), "");
  EXPECT_FALSE(binding.Save("new"));
  EXPECT_EQ(FileText(File()), broken);
}

}  // namespace
}  // namespace tendrel
