#pragma once
// A page of the test's own in a private home, open in the real stand-in
// editor on the test program's private bus (PrivateBus).
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "host/dbus_host_editor.h"
#include "support/host_fixture.h"
#include "support/temp_home.h"

class EditorOnPage : public ::testing::Test {
 protected:
  explicit EditorOnPage(std::string text) : text_(std::move(text)) {}

  void SetUp() override {
    std::filesystem::create_directories(site);
    std::ofstream(page, std::ios::binary) << text_;
    host = std::make_unique<HostProcess>(QStringList{QString::fromStdString(page.string())});
    ASSERT_TRUE(host->WaitUntilServing()) << "the editor did not come onto the bus";
  }
  std::string DocumentText() { return tendrel::DBusHostEditor::Create()->CallText("getalltext"); }

  TempHome home;
  std::filesystem::path site = std::filesystem::path(home.root()) / "site";
  std::filesystem::path page = site / "page.htm";
  std::unique_ptr<HostProcess> host;

 private:
  std::string text_;
};
