#pragma once
// Shared by Pennant's tests: a channel with every field set, laid out in a
// temporary site folder, and a PushView that records what Finish asks of
// the window.
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "channel/channel_fields.h"
#include "channel/generate_channels.h"
#include "channel/pennant_config.h"
#include "common/paths.h"

namespace channeltest {

using namespace tendrel::channel;

class RecordingView : public PushView {
 public:
  std::vector<std::string> events;
  void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void Minimise() override { events.push_back("minimise"); }
  void Restore() override { events.push_back("restore"); }
  void ShowFailedCheck(PushPage page, PushField field) override {
    events.push_back("failed " + std::to_string(static_cast<int>(page)) + "," +
                     std::to_string(static_cast<int>(field)));
  }
};

inline std::string Failed(PushPage page, PushField field) {
  RecordingView v;
  v.ShowFailedCheck(page, field);
  return v.events.front();
}

inline PennantConfig TestConfig() {
  PennantConfig c;
  c.makerSite = "http://maker.example";
  c.netscapeSite = "http://ns.example";
  return c;
}

// The site: <dir>/site/index.htm with the IE file in channels/ and the
// PointCast file beside the page.
struct Site {
  QTemporaryDir tmp;
  std::string root = tmp.path().toStdString() + "/site";
  std::string doc = root + "/index.htm";
  std::string ieFile = root + "/channels/ie.cdf";
  std::string pcFile = root + "/pc.cdf";

  Site() { std::filesystem::create_directories(root + "/channels"); }

  // Every field set; the picture and the Netcaster icon are local files of
  // the site, the rest web addresses.
  ChannelFields Fields() const {
    ChannelFields f;
    f.title = "  Tendrel News ";
    f.url = "http://www.example.com/news/";
    f.description = " Daily news from Tendrel ";
    f.ieFile = tendrel::PathToFileURL(ieFile);
    f.ieIcon = "http://www.example.com/news/news.ico";
    f.iePicture = tendrel::PathToFileURL(root + "/img/news.gif");
    f.pcFile = tendrel::PathToFileURL(pcFile);
    f.pcSelf = "http://www.example.com/news/pc.cdf";
    f.pcHours = "6";
    f.netscapeUpdate = 1;
    f.netscapeDepth = "2";
    f.netscapeDisplay = "window";
    f.netscapePicture = tendrel::PathToFileURL(root + "/img/nc.ico");
    return f;
  }
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string Expected(const std::string& name) {
  return ReadFile(std::string(TEST_SOURCE_DIR) + "/channel/expected/" + name);
}

}  // namespace channeltest
