// The wizard's window steps aside while the host saves, and always comes back.
#include <gtest/gtest.h>

#include <QWidget>

#include "host/host_calls.h"
#include "platform/qt/minimised.h"

using namespace tendrel;

namespace {

// Notes whether the window was minimised when ForceSave arrived.
class WatchingHost : public HostEditor {
 public:
  QWidget* window = nullptr;
  bool fail = false;
  std::vector<std::string> calls;
  bool minimisedDuringCall = false;

  HostValue Invoke(const std::string& name, const std::vector<HostValue>&) override {
    calls.push_back(name);
    minimisedDuringCall = window->isMinimized();
    if (fail) throw EHostError("Marquill has closed, so ForceSave could not be carried out.");
    return {};
  }
};

}  // namespace

TEST(RunMinimised, MinimisesAroundTheCallAndRestoresOnFailure) {
  for (bool fail : {false, true}) {
    QWidget w;
    w.show();
    WatchingHost host;
    host.window = &w;
    host.fail = fail;
    if (fail) EXPECT_THROW(RunMinimised(&w, [&host] { HostCalls(host).ForceSave(); }), EHostError);
    else EXPECT_NO_THROW(RunMinimised(&w, [&host] { HostCalls(host).ForceSave(); }));
    EXPECT_EQ(host.calls, std::vector<std::string>{"ForceSave"});
    EXPECT_TRUE(host.minimisedDuringCall);
    EXPECT_FALSE(w.isMinimized()) << "fail=" << fail;
    EXPECT_TRUE(w.isVisible());
  }
}

TEST(RunMinimised, MaximisedWindowComesBackMaximised) {
  QWidget w;
  w.showMaximized();
  WatchingHost host;
  host.window = &w;
  RunMinimised(&w, [&host] { HostCalls(host).ForceSave(); });
  EXPECT_TRUE(host.minimisedDuringCall);
  EXPECT_TRUE(w.isMaximized());
  EXPECT_FALSE(w.isMinimized());
}
