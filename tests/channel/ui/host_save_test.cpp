// Finish on a document without a name, through the real stand-in editor on
// an X display of its own: Pennant asks for the save, the editor's Save As
// dialog is answered by keys sent to it, and the next Finish goes through.
#include <gtest/gtest.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <QDBusConnection>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "host/dbus_host_editor.h"
#include "host/marquill_running.h"
#include "push_fixture.h"
#include "support/host_fixture.h"

using namespace tendrel;
using namespace tendrel::channel;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kReturn = 0xff0d;

// Plain key presses sent to one X window, as the X server would deliver them.
class Keys {
 public:
  explicit Keys(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(c_)) return;
    const xcb_setup_t* setup = xcb_get_setup(c_);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* map = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
    if (map == nullptr) return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    for (int k = 0; k < count; ++k) {
      const xcb_keysym_t sym = syms[k * map->keysyms_per_keycode];
      if (sym != 0 && codes_.count(sym) == 0) codes_[sym] = static_cast<xcb_keycode_t>(setup->min_keycode + k);
    }
    free(map);
  }
  ~Keys() { xcb_disconnect(c_); }
  Keys(const Keys&) = delete;
  Keys& operator=(const Keys&) = delete;

  // The top-level window named exactly `name`; 0 when there is none.
  xcb_window_t Find(const std::string& name) {
    auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (tree == nullptr) return 0;
    xcb_window_t found = 0;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && found == 0; ++i) {
      auto* prop = xcb_get_property_reply(
          c_, xcb_get_property(c_, 0, kids[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
      if (prop == nullptr) continue;
      const std::string n(static_cast<const char*>(xcb_get_property_value(prop)),
                          static_cast<size_t>(xcb_get_property_value_length(prop)));
      if (n == name) found = kids[i];
      free(prop);
    }
    free(tree);
    return found;
  }
  bool Type(xcb_window_t w, const std::string& text) {
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    for (char ch : text)
      if (!Press(w, static_cast<unsigned char>(ch))) return false;
    return Press(w, kReturn);
  }

 private:
  bool Press(xcb_window_t w, uint32_t sym) {
    auto it = codes_.find(sym);
    if (it == codes_.end()) return false;
    for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
      xcb_key_press_event_t e{};
      e.response_type = type;
      e.detail = it->second;
      e.time = XCB_CURRENT_TIME;
      e.root = root_;
      e.event = w;
      e.same_screen = 1;
      xcb_send_event(c_, 0, w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c_);
    return true;
  }

  xcb_connection_t* c_;
  xcb_window_t root_ = 0;
  std::map<xcb_keysym_t, xcb_keycode_t> codes_;
};

}  // namespace

TEST(PennantUnsavedDocument, TheEditorSavesItThenFinishGoesThrough) {
  // The program's private session bus comes from host_e2e_test.cpp.
  PrivateXServer x;
  if (!x.installed()) GTEST_SKIP() << "Xvfb is not installed";
  ASSERT_FALSE(x.display().empty()) << "Xvfb gave no display number";
  TempHome home;
  InitResources();
  {
    HostProcess host({}, {QStringLiteral("QT_QPA_PLATFORM=xcb"),
                          QStringLiteral("DISPLAY=") + QString::fromStdString(x.display())});
    ASSERT_TRUE(host.WaitUntilServing()) << "the editor did not come onto the bus";
    const std::string appPath = DBusHostEditor::Create()->CallText("GetAppPath");
    const fs::path saved = fs::path(appPath) / "html files" / "news.htm";

    ScriptedDialogs dialogs;
    PennantServices s;
    s.dialogs = &dialogs;
    s.hostRunning = [] { return MarquillRunning(); };
    s.createHost = []() -> std::unique_ptr<HostEditor> { return DBusHostEditor::Create(); };
    s.config = pushtest::TestConfig();
    s.listenForHost = false;
    TfrmPush form(s);
    int closed = 0;
    QObject::connect(&form, &TfrmPush::closed, [&closed] { ++closed; });
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.OpenPage(PushPage::Finish);

    // The person at the editor: names the file in its Save As dialog, and
    // tries again while no file appears. Should the dialog never take the
    // name, the editor is ended, so that the waiting call fails rather than
    // hanging the test.
    std::atomic<bool> answered{false};
    const qint64 hostPid = host.Pid();
    std::thread person([&answered, &saved, hostPid, display = x.display()] {
      Keys keys(display);
      for (int attempt = 0; attempt < 4 && !answered; ++attempt) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(attempt == 0 ? 15 : 3);
        xcb_window_t dialog = 0;
        while (dialog == 0 && std::chrono::steady_clock::now() < until) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          dialog = keys.Find("Save As");
        }
        if (dialog == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the dialog takes its focus
        if (!keys.Type(dialog, "news")) break;
        for (int i = 0; i < 40 && !answered; ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          answered = fs::is_regular_file(saved);
        }
      }
      if (!answered) ::kill(static_cast<pid_t>(hostPid), SIGKILL);
    });
    form.btnNextClick();  // waits in ForceSave until the dialog closes
    person.join();
    ASSERT_TRUE(answered) << "the editor's Save As dialog did not save the page";

    EXPECT_EQ(dialogs.MessageTexts(),
              std::vector<std::string>{"Before compiling, you need to save your current HTML document within "
                                       "Marquill, so that relative references can be created."});
    EXPECT_EQ(closed, 0) << "the wizard stays for the next Finish";
    EXPECT_FALSE(form.isMinimized());
    EXPECT_EQ(DBusHostEditor::Create()->CallText("CurrentDocName"), saved.string());
    EXPECT_TRUE(fs::is_regular_file(saved));

    // Finish again, now that the page has a name: the files go beside it.
    dialogs.fileAnswers = {(saved.parent_path() / "ie.cdf").string(), (saved.parent_path() / "pc.cdf").string()};
    form.btnIEChannelClick();
    form.btnPCFileClick();
    form.findChild<QComboBox*>(QStringLiteral("cmbPCSelf"))->setEditText(QStringLiteral("http://up.test/pc.cdf"));
    form.OpenPage(PushPage::Finish);
    form.btnNextClick();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(fs::is_regular_file(saved.parent_path() / "ie.cdf"));
    const std::string text = DBusHostEditor::Create()->CallText("getalltext");
    EXPECT_NE(text.find("<A HREF=\"ie.cdf\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<A HREF=\"pc.cdf\">"), std::string::npos) << text;
  }
}
