#pragma once
// A host editor that keeps its document in memory and does every call for
// real on it. Unit tests drive plug-in code against it and read back the calls
// made, in order.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/host_editor.h"
#include "host/html_document.h"

namespace tendrel {

class InMemoryHost : public HostEditor {
 public:
  struct Call {
    std::string name;
    std::vector<HostValue> args;
  };

  HtmlDocument doc;
  bool docOpen = true;
  std::string docName;            // full path; empty while unsaved
  std::string appPath = "/opt/marquill";
  std::string browserList = "None=None";
  std::string saveAsName;         // what the save dialog of ForceSave answers; empty = cancel
  std::set<std::string> failing;  // lower-case call names that raise an error
  std::vector<Call> calls;        // every call, in order
  std::vector<std::string> copied;                            // copyfiles arguments
  std::vector<std::pair<std::string, std::string>> previews;  // (path, program)

  HostValue Invoke(const std::string& name, const std::vector<HostValue>& args) override;

  // Names of the calls made, in order.
  std::vector<std::string> CallNames() const;
  std::string WorkDir() const;
};

}  // namespace tendrel
