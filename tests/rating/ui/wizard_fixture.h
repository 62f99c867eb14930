#pragma once
// TfrmMain on the offscreen platform with scripted dialogs, an in-memory host
// and the link of the test's choice.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <memory>

#include "host/in_memory_host.h"
#include "platform/dialogs.h"
#include "support/scripted_dialogs.h"
#include "rating/submission.h"
#include "rating/ui/frm_main.h"
#include "resources/resources.h"
#include "support/temp_home.h"

class Wizard {
 public:
  // host: handed to the form (null: Marquill's object could not be made).
  explicit Wizard(std::unique_ptr<tendrel::InMemoryHost> hostIn = std::make_unique<tendrel::InMemoryHost>(),
                  std::function<std::unique_ptr<tendrel::RatingLink>()> createLink = {},
                  tendrel::KestrelConfig config = TestConfig()) {
    tendrel::InitResources();
    host = hostIn.get();
    auto shared = std::make_shared<std::unique_ptr<tendrel::InMemoryHost>>(std::move(hostIn));
    tendrel::KestrelServices s;
    s.dialogs = &dialogs;
    s.hostRunning = [this] { return hostRunning; };
    s.createHost = [shared]() -> std::unique_ptr<tendrel::HostEditor> { return std::move(*shared); };
    s.createLink = std::move(createLink);
    s.config = std::move(config);
    s.listenForHost = false;
    form = std::make_unique<tendrel::TfrmMain>(s);
    QObject::connect(form.get(), &tendrel::TfrmMain::closed, [this] { ++closed; });
  }

  static tendrel::KestrelConfig TestConfig() {
    tendrel::KestrelConfig c;
    c.serviceId = "http://svc.test/v1/";
    c.homePage = "http://safesurf.test/home/";
    c.email = "register@safesurf.test";
    c.registrationHost = "127.0.0.1";
    c.registrationPort = 9;  // nothing listens there
    c.connectTimeoutMs = 3000;
    c.stallTimeoutMs = 1000;
    return c;
  }

  template <typename T>
  T* Find(const char* name) const {
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QSlider* Slider(const char* code) const { return Find<QSlider>((std::string("trk") + code).c_str()); }
  std::string Description(const char* code) const {
    return Find<QLabel>((std::string("lbl") + code + "Desc").c_str())->text().toStdString();
  }
  std::string Page() const {
    return Find<QStackedWidget>("pagecontrol1")->currentWidget()->objectName().toStdString();
  }
  bool Shown(const char* button) const { return !Find<QPushButton>(button)->isHidden(); }
  bool Enabled(const char* button) const { return Find<QPushButton>(button)->isEnabled(); }
  void Type(const char* field, const std::string& text) const {
    Find<QLineEdit>(field)->setText(QString::fromStdString(text));
  }
  std::string Memo() const { return Find<QPlainTextEdit>("txtEmail")->toPlainText().toStdString(); }
  // Runs the UI thread's events until the submission's steps have ended
  // (at most timeoutMs); false when they are still running.
  bool WaitForSteps(int timeoutMs = 15000) const {
    return QTest::qWaitFor([this] { return !form->stepping(); }, timeoutMs);
  }
  // Next, and the submission it may start carried through to its end.
  void Next() const {
    form->NextButtClick();
    EXPECT_TRUE(WaitForSteps()) << "the submission did not end";
  }
  // Next until the page named is shown (at most 20 presses).
  void NextTo(const std::string& page) {
    for (int i = 0; i < 20 && Page() != page; ++i) form->NextButtClick();
    ASSERT_EQ(Page(), page);
  }

  TempHome home;
  tendrel::ScriptedDialogs dialogs;
  tendrel::InMemoryHost* host = nullptr;  // owned by the form once it starts
  bool hostRunning = true;
  int closed = 0;
  std::unique_ptr<tendrel::TfrmMain> form;
};
