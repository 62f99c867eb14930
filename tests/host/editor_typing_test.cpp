// A person typing in the stand-in editor's window: keys go to the real
// window under Xvfb, and the calls that follow see exactly what was typed,
// with the page's own line ends; saving writes those bytes.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "host/dbus_host_editor.h"
#include "support/host_fixture.h"
#include "support/temp_home.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kReturn = 0xff0d, kBackSpace = 0xff08, kDelete = 0xffff;

// Key presses sent to one X window, as the X server would deliver them.
class Keyboard {
 public:
  explicit Keyboard(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(c_)) return;
    const xcb_setup_t* setup = xcb_get_setup(c_);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    first_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* map = xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, first_, static_cast<uint8_t>(count)),
                                              nullptr);
    if (map == nullptr) return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    for (int k = 0; k < count; ++k)
      for (int s = 0; s < map->keysyms_per_keycode; ++s) {
        const xcb_keysym_t sym = syms[k * map->keysyms_per_keycode + s];
        // Plain (unshifted) keys only: the first keysym of each keycode.
        if (s == 0 && sym != 0 && codes_.count(sym) == 0) codes_[sym] = static_cast<xcb_keycode_t>(first_ + k);
      }
    free(map);
  }
  ~Keyboard() { xcb_disconnect(c_); }
  bool ok() const { return !xcb_connection_has_error(c_) && !codes_.empty(); }

  // The top-level window whose name begins with `prefix`.
  xcb_window_t Find(const std::string& prefix) {
    auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    xcb_window_t found = 0;
    if (tree == nullptr) return 0;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && found == 0; ++i) {
      auto* name = xcb_get_property_reply(
          c_, xcb_get_property(c_, 0, kids[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
      if (name != nullptr) {
        const std::string n(static_cast<const char*>(xcb_get_property_value(name)),
                            static_cast<size_t>(xcb_get_property_value_length(name)));
        if (n.rfind(prefix, 0) == 0) found = kids[i];
        free(name);
      }
    }
    free(tree);
    return found;
  }
  void Focus(xcb_window_t w) {
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    xcb_flush(c_);
  }
  // Presses and lets go of the key for `sym` (an ASCII letter or a key's
  // keysym), with the modifiers of `state` held.
  bool Press(xcb_window_t w, uint32_t sym, uint16_t state = 0) {
    auto it = codes_.find(sym);
    if (it == codes_.end()) return false;
    for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
      xcb_key_press_event_t e{};
      e.response_type = type;
      e.detail = it->second;
      e.time = XCB_CURRENT_TIME;
      e.root = root_;
      e.event = w;
      e.state = state;
      e.same_screen = 1;
      xcb_send_event(c_, 0, w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c_);
    return true;
  }
  bool Type(xcb_window_t w, const std::string& letters) {
    for (char ch : letters)
      if (!Press(w, static_cast<unsigned char>(ch))) return false;
    return true;
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_ = 0;
  xcb_keycode_t first_ = 0;
  std::map<xcb_keysym_t, xcb_keycode_t> codes_;
};

}  // namespace

TEST(EditorTyping, TypedTextReachesTheNextCallAndTheSavedFileByteForByte) {
  PrivateXServer x;
  if (!x.installed()) GTEST_SKIP() << "Xvfb is not installed";
  TempHome home;
  const std::string display = x.display();
  ASSERT_FALSE(display.empty()) << "Xvfb gave no display number";

  // A page with CR LF lines, a lone CR and multi-byte characters.
  const fs::path page = fs::path(home.root()) / "typed.htm";
  const std::string text = "<p>caf\xC3\xA9</p>\r\n<p>\xF0\x9F\x98\x80</p>\r<p>end</p>\r\n";
  std::ofstream(page, std::ios::binary) << text;
  {
    HostProcess host({QString::fromStdString(page.string())},
                     {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + QString::fromStdString(display)});
    ASSERT_TRUE(host.WaitUntilServing());
    auto h = DBusHostEditor::Create();
    Keyboard keys(display);
    ASSERT_TRUE(keys.ok()) << "no keyboard on " << display;
    xcb_window_t w = 0;
    ASSERT_TRUE(WaitFor([&] { return (w = keys.Find("Marquill4")) != 0; }, 10000)) << "no editor window";
    keys.Focus(w);
    auto typed = [&](const std::string& want) {
      return WaitFor([&] { return h->CallText("getalltext") == want; }, 5000);
    };

    // After "café": letters, then a new line that takes the page's CR LF.
    const int afterCafe = static_cast<int>(text.find("</p>"));
    h->Invoke("setselection", {afterCafe, 0});
    ASSERT_TRUE(keys.Type(w, "xy"));
    std::string want = text;
    want.insert(static_cast<size_t>(afterCafe), "xy");
    ASSERT_TRUE(typed(want)) << "typed letters did not arrive: " << h->CallText("getalltext");
    EXPECT_EQ(h->CallInt("getselstart"), afterCafe + 2);
    ASSERT_TRUE(keys.Press(w, kReturn));
    want.insert(static_cast<size_t>(afterCafe + 2), "\r\n");
    ASSERT_TRUE(typed(want)) << h->CallText("getalltext");
    EXPECT_EQ(h->CallInt("getselstart"), afterCafe + 4);

    // Backspace takes the whole line end; Delete after the emoji takes the
    // lone CR; a character beyond the basic plane goes whole.
    ASSERT_TRUE(keys.Press(w, kBackSpace));
    want.erase(static_cast<size_t>(afterCafe + 2), 2);
    ASSERT_TRUE(typed(want)) << h->CallText("getalltext");
    const int afterEmoji = static_cast<int>(want.find("\xF0\x9F\x98\x80") + 4);
    h->Invoke("setselection", {afterEmoji + 4, 0});  // after the "</p>" that ends with the lone CR
    ASSERT_TRUE(keys.Press(w, kDelete));
    want.erase(static_cast<size_t>(afterEmoji + 4), 1);
    ASSERT_TRUE(typed(want)) << h->CallText("getalltext");
    h->Invoke("setselection", {afterEmoji, 0});
    ASSERT_TRUE(keys.Press(w, kBackSpace));
    want.erase(static_cast<size_t>(afterEmoji - 4), 4);
    ASSERT_TRUE(typed(want)) << h->CallText("getalltext");
    EXPECT_EQ(h->CallInt("getselstart"), afterEmoji - 4);

    // A call's edit is one step to undo, even where it takes a line end.
    const std::string beforeCall = want;
    const int lineEnd = static_cast<int>(want.find("\r\n"));
    h->Invoke("setselection", {lineEnd - 1, 5});
    h->Invoke("puttextatcursor", {std::string("Q")});
    ASSERT_TRUE(typed(std::string(want).replace(static_cast<size_t>(lineEnd - 1), 5, "Q")));
    ASSERT_TRUE(keys.Press(w, 'z', XCB_MOD_MASK_CONTROL));
    ASSERT_TRUE(typed(beforeCall)) << "undone: " << h->CallText("getalltext");

    // A call's edit, then typing right after it.
    h->Invoke("setselection", {afterEmoji - 4, 0});
    h->Invoke("puttextatcursor", {std::string("\xE2\x82\xAC")});
    ASSERT_TRUE(keys.Type(w, "z"));
    want.insert(static_cast<size_t>(afterEmoji - 4), "\xE2\x82\xAC" "z");
    ASSERT_TRUE(typed(want)) << h->CallText("getalltext");
    h->Invoke("ForceSave", {});
    std::ifstream in(page, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), want);
  }
}
