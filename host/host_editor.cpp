#include "host/host_editor.h"

#include <charconv>

namespace tendrel {

std::string HostValueToText(const HostValue& v) {
  if (auto s = std::get_if<std::string>(&v)) return *s;
  if (auto i = std::get_if<int>(&v)) return std::to_string(*i);
  if (auto b = std::get_if<bool>(&v)) return *b ? "true" : "false";
  return {};
}

std::string HostEditor::CallText(const std::string& name, const std::vector<HostValue>& args) {
  return HostValueToText(Invoke(name, args));
}

int HostEditor::CallInt(const std::string& name, const std::vector<HostValue>& args) {
  HostValue v = Invoke(name, args);
  if (auto i = std::get_if<int>(&v)) return *i;
  std::string s = HostValueToText(v);
  int out = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (ec != std::errc() || p != s.data() + s.size() || s.empty())
    throw EHostError("The editor's answer to " + name + " is not a number: \"" + s + "\"");
  return out;
}

}  // namespace tendrel
