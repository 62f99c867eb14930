#pragma once
// The host editor's automation object, called late-bound by name. The D-Bus
// client and the in-memory host used by unit tests both sit behind this.
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tendrel {

using HostValue = std::variant<std::monostate, bool, int, std::string>;

// A host call that failed: unknown name, wrong arguments, host gone, time-out.
class EHostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HostEditor {
 public:
  virtual ~HostEditor() = default;

  // Calls `name` (matched without regard to case) with `args`; throws EHostError.
  virtual HostValue Invoke(const std::string& name, const std::vector<HostValue>& args) = 0;

  // The result as text: integers in decimal, flags as "true"/"false", nothing as "".
  std::string CallText(const std::string& name, const std::vector<HostValue>& args = {});
  // The result as an integer; a text result must hold a decimal number.
  int CallInt(const std::string& name, const std::vector<HostValue>& args = {});
};

std::string HostValueToText(const HostValue& v);

}  // namespace tendrel
