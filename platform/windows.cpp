#include "platform/windows.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace tendrel {

std::vector<WindowInfo> BusWindows(const WindowAnnouncer& announcer, int timeoutMs) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return {};
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromStdString(announcer.service), QString::fromStdString(announcer.path),
      QString::fromStdString(announcer.interface), QString::fromStdString(announcer.method));
  QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return {};
  const QVariant& v = reply.arguments().at(0);
  if (v.userType() != qMetaTypeId<QDBusArgument>()) return {};
  const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
  // A host that answers with anything else is ignored rather than trusted.
  if (arg.currentSignature() != QLatin1String("a(ss)")) return {};
  std::vector<WindowInfo> out;
  arg.beginArray();
  while (!arg.atEnd()) {
    QString caption, cls;
    arg.beginStructure();
    arg >> caption >> cls;
    arg.endStructure();
    out.push_back({caption.toStdString(), cls.toStdString()});
  }
  arg.endArray();
  return out;
}

namespace {

struct XcbCloser {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using XcbPtr = std::unique_ptr<xcb_connection_t, XcbCloser>;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto cookie = xcb_intern_atom(c, 1, static_cast<uint16_t>(strlen(name)), name);
  ReplyPtr<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, cookie, nullptr), &free);
  return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Latin1ToUtf8(const std::string& s) {
  std::string out;
  for (unsigned char ch : s) {
    if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else {
      out += static_cast<char>(0xC0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    }
  }
  return out;
}

struct Prop {
  xcb_atom_t type = XCB_ATOM_NONE;
  std::string value;
};

Prop ReadProp(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
  ReplyPtr<xcb_get_property_reply_t> r(xcb_get_property_reply(c, cookie, nullptr), &free);
  Prop p;
  if (!r || r->format != 8) return p;
  p.type = r->type;
  p.value.assign(static_cast<const char*>(xcb_get_property_value(r.get())),
                 static_cast<size_t>(xcb_get_property_value_length(r.get())));
  return p;
}

xcb_get_property_cookie_t AskProp(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop) {
  return xcb_get_property(c, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
}

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t w) {
  ReplyPtr<xcb_query_tree_reply_t> r(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr), &free);
  if (!r) return {};
  const xcb_window_t* kids = xcb_query_tree_children(r.get());
  return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(r.get()));
}

struct Atoms {
  xcb_atom_t netWmName, utf8, clientList;
};

// Caption and class of each window; requests go out together, then the
// replies are read, so a long list costs one round trip per property kind.
// A window that vanished meanwhile just has empty properties.
std::vector<WindowInfo> Describe(xcb_connection_t* c, const Atoms& a,
                                 const std::vector<xcb_window_t>& wins) {
  std::vector<xcb_get_property_cookie_t> net, name, cls;
  for (xcb_window_t w : wins) {
    net.push_back(AskProp(c, w, a.netWmName));
    name.push_back(AskProp(c, w, XCB_ATOM_WM_NAME));
    cls.push_back(AskProp(c, w, XCB_ATOM_WM_CLASS));
  }
  std::vector<WindowInfo> out;
  for (size_t i = 0; i < wins.size(); ++i) {
    Prop n = ReadProp(c, net[i]);
    Prop old = ReadProp(c, name[i]);
    Prop k = ReadProp(c, cls[i]);
    WindowInfo info;
    if (n.type == a.utf8 && !n.value.empty()) info.caption = n.value;
    else if (old.type == a.utf8) info.caption = old.value;
    else info.caption = Latin1ToUtf8(old.value);
    // WM_CLASS holds "instance\0class\0".
    size_t nul = k.value.find('\0');
    if (nul != std::string::npos) {
      std::string rest = k.value.substr(nul + 1);
      info.className = rest.substr(0, rest.find('\0'));
    }
    out.push_back(std::move(info));
  }
  return out;
}

}  // namespace

std::vector<WindowInfo> X11Windows(const std::string& display) {
  int screenNo = 0;
  XcbPtr conn(xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNo));
  xcb_connection_t* c = conn.get();
  if (xcb_connection_has_error(c)) return {};
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNo && it.rem; ++i) xcb_screen_next(&it);
  if (!it.rem) return {};
  const xcb_window_t root = it.data->root;
  Atoms a{Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), Atom(c, "_NET_CLIENT_LIST")};

  // A window manager lists the client windows it manages, minimised ones too.
  std::vector<xcb_window_t> wins;
  if (a.clientList != XCB_ATOM_NONE) {
    auto cookie = xcb_get_property(c, 0, root, a.clientList, XCB_ATOM_WINDOW, 0, 65536);
    ReplyPtr<xcb_get_property_reply_t> r(xcb_get_property_reply(c, cookie, nullptr), &free);
    if (r && r->format == 32) {
      auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
      wins.assign(ids, ids + xcb_get_property_value_length(r.get()) / 4);
    }
  }
  if (!wins.empty()) return Describe(c, a, wins);

  // No window manager list: the root's children, or for a frame without a
  // name or class, the client windows inside it.
  std::vector<xcb_window_t> top = Children(c, root);
  std::vector<WindowInfo> described = Describe(c, a, top);
  std::vector<WindowInfo> out;
  for (size_t i = 0; i < top.size(); ++i) {
    if (!described[i].caption.empty() || !described[i].className.empty()) {
      out.push_back(described[i]);
      continue;
    }
    for (const WindowInfo& inner : Describe(c, a, Children(c, top[i])))
      if (!inner.caption.empty() || !inner.className.empty()) out.push_back(inner);
  }
  return out;
}

std::vector<WindowInfo> TopLevelWindows(const WindowAnnouncer& announcer) {
  std::vector<WindowInfo> out;
  auto add = [&out](const std::vector<WindowInfo>& more) {
    for (const WindowInfo& w : more)
      if (std::find(out.begin(), out.end(), w) == out.end()) out.push_back(w);
  };
  add(BusWindows(announcer));
  add(X11Windows());
  return out;
}

}  // namespace tendrel
