#pragma once
// TfrmPush on the offscreen platform with scripted dialogs, an in-memory host
// and a private home for the registry files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <memory>
#include <string>
#include <vector>

#include "channel/ui/frm_push.h"
#include "common/controls/tendrel_combo.h"
#include "host/in_memory_host.h"
#include "platform/registry.h"
#include "resources/resources.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

namespace pushtest {

inline constexpr char kPushKey[] = "\\Software\\Tendrel\\Marquill\\Push";

// The stored text of a history value; "<missing>" when there is none.
inline std::string Stored(const std::string& value) {
  std::string out = "<missing>";
  if (auto k = tendrel::RegistryKey::Open(tendrel::RegRoot::CurrentUser, kPushKey, false)) k->ReadString(value, out);
  return out;
}
inline void Store(const std::string& value, const std::string& text) {
  tendrel::RegistryKey::Open(tendrel::RegRoot::CurrentUser, kPushKey, true)->WriteString(value, text);
}

inline tendrel::channel::PennantConfig TestConfig() {
  tendrel::channel::PennantConfig c;
  c.makerSite = "http://maker.test";
  c.netscapeSite = "http://netscape.test";
  return c;
}

// One start of the wizard. Several in a row share the home they are given.
class Push {
 public:
  explicit Push(std::unique_ptr<tendrel::InMemoryHost> hostIn = std::make_unique<tendrel::InMemoryHost>()) {
    tendrel::InitResources();
    host = hostIn.get();
    auto shared = std::make_shared<std::unique_ptr<tendrel::InMemoryHost>>(std::move(hostIn));
    tendrel::channel::PennantServices s;
    s.dialogs = &dialogs;
    s.hostRunning = [this] { return hostRunning; };
    s.createHost = [shared]() -> std::unique_ptr<tendrel::HostEditor> { return std::move(*shared); };
    s.showHelp = [this](const std::string& url) { helpShown.push_back(url); };
    s.config = TestConfig();
    s.listenForHost = false;
    form = std::make_unique<tendrel::channel::TfrmPush>(s);
    QObject::connect(form.get(), &tendrel::channel::TfrmPush::closed, [this] { ++closed; });
  }

  template <typename T>
  T* Find(const char* name) const {
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  std::string Page() const {
    return Find<QStackedWidget>("pageMain")->currentWidget()->objectName().toStdString();
  }
  std::string Text(const char* edit) const { return Find<QLineEdit>(edit)->text().toStdString(); }
  std::string ComboText(const char* combo) const { return Find<QComboBox>(combo)->currentText().toStdString(); }
  std::vector<std::string> Items(const char* combo) const { return Find<tendrel::TTendrelCombo>(combo)->Items(); }
  std::string NextCaption() const { return Find<QPushButton>("btnNext")->text().toStdString(); }
  bool BackEnabled() const { return Find<QPushButton>("btnBack")->isEnabled(); }
  bool Shown(const char* name) const { return !Find<QWidget>(name)->isHidden(); }
  // The user types into a history combo and leaves it.
  void TypeAndLeave(const char* combo, const std::string& text) const {
    auto* c = Find<QComboBox>(combo);
    c->setEditText(QString::fromStdString(text));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(c, &out);
  }
  // Ticks or crosses the viewers as asked, by clicking their pictures.
  void Choose(bool ie, bool pointCast, bool netcaster) const {
    const std::pair<const char*, const char*> toggles[] = {
        {"imgIETick", "imgIECross"}, {"imgPCTick", "imgPCCross"}, {"imgNetscapeTick", "imgNetscapeCross"}};
    const bool want[] = {ie, pointCast, netcaster};
    for (int i = 0; i < 3; ++i) {
      const bool ticked = Shown(toggles[i].first);
      if (ticked == want[i]) continue;
      if (ticked) form->findChild<tendrel::channel::PushPicture*>(toggles[i].first)->clicked();
      else form->findChild<tendrel::channel::PushPicture*>(toggles[i].second)->clicked();
    }
  }

  tendrel::ScriptedDialogs dialogs;
  tendrel::InMemoryHost* host = nullptr;  // owned by the form once it starts
  bool hostRunning = true;
  int closed = 0;
  std::vector<std::string> helpShown;
  std::unique_ptr<tendrel::channel::TfrmPush> form;
};

}  // namespace pushtest
