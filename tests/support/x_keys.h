#pragma once
// Key presses sent to one X window through xcb, as the X server would deliver
// them, for driving a program's real windows on a private display. Qt reads
// a sent event's modifiers from its state field, so Shift and Alt work
// without pressing the modifier keys themselves.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

class Keys {
 public:
  static constexpr uint32_t kReturn = 0xff0d;
  static constexpr uint32_t kTab = 0xff09;
  static constexpr uint16_t kShift = XCB_MOD_MASK_SHIFT;
  static constexpr uint16_t kAlt = XCB_MOD_MASK_1;

  explicit Keys(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(c_)) return;
    const xcb_setup_t* setup = xcb_get_setup(c_);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* map = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
    if (map == nullptr) return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    // A symbol's plain key wins over a key that gives it with Shift.
    for (uint16_t level : {uint16_t{0}, uint16_t{1}}) {
      if (level >= map->keysyms_per_keycode) break;
      for (int k = 0; k < count; ++k) {
        const xcb_keysym_t sym = syms[k * map->keysyms_per_keycode + level];
        if (sym != 0 && codes_.count(sym) == 0)
          codes_[sym] = {static_cast<xcb_keycode_t>(setup->min_keycode + k), level == 1 ? kShift : uint16_t{0}};
      }
    }
    free(map);
  }
  ~Keys() { xcb_disconnect(c_); }
  Keys(const Keys&) = delete;
  Keys& operator=(const Keys&) = delete;

  bool connected() const { return xcb_connection_has_error(c_) == 0; }

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
  // True once the window is mapped and shows on the screen.
  bool Viewable(xcb_window_t w) {
    auto* a = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
    if (a == nullptr) return false;
    const bool viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
    free(a);
    return viewable;
  }
  // Gives the window the keyboard, which makes Qt activate it; a window
  // that is not viewable cannot take it.
  bool Focus(xcb_window_t w) {
    xcb_void_cookie_t cookie = xcb_set_input_focus_checked(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    xcb_generic_error_t* error = xcb_request_check(c_, cookie);
    free(error);
    return error == nullptr;
  }
  // Focuses the window, types `text` and presses Return.
  bool Type(xcb_window_t w, const std::string& text) {
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
    return Write(w, text) && Press(w, kReturn);
  }
  // Types `text` into whatever has the window's focus; Shift is added for
  // the characters that need it.
  bool Write(xcb_window_t w, const std::string& text) {
    for (char ch : text)
      if (!Press(w, static_cast<unsigned char>(ch))) return false;
    return true;
  }
  // An accelerator: Alt with a letter, as for "&Next >>".
  bool Alt(xcb_window_t w, char letter) { return Press(w, static_cast<unsigned char>(letter), kAlt); }
  // Presses and releases the key for `sym`, with `modifiers` held on top of
  // any the symbol itself needs. False when the keyboard has no such key.
  bool Press(xcb_window_t w, uint32_t sym, uint16_t modifiers = 0) {
    auto it = codes_.find(sym);
    if (it == codes_.end()) return false;
    for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
      xcb_key_press_event_t e{};
      e.response_type = type;
      e.detail = it->second.first;
      e.time = XCB_CURRENT_TIME;
      e.root = root_;
      e.event = w;
      e.state = static_cast<uint16_t>(it->second.second | modifiers);
      e.same_screen = 1;
      xcb_send_event(c_, 0, w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c_);
    return true;
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_ = 0;
  // Symbol -> its key and the modifiers that give it.
  std::map<xcb_keysym_t, std::pair<xcb_keycode_t, uint16_t>> codes_;
};
