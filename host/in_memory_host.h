#pragma once
// A host editor that keeps its document in memory and does every call for
// real on it. Unit tests drive plug-in code against it and read back the calls
// made, in order.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/host_editor.h"
#include "host/host_protocol.h"
#include "host/html_document.h"

namespace tendrel {

// The calls on the open document -- read it, select, edit -- done on `doc`,
// for this host and the stand-in editor alike. Without an open document the
// readers answer empty and the writers do nothing. False, with nothing done,
// for a call that is not one of them; EHostError for arguments of the wrong
// kind.
bool DocumentCall(HostCall call, const std::string& name, const std::vector<HostValue>& args, bool docOpen,
                  HtmlDocument& doc, HostValue* answer);

// A text answer travels as a D-Bus string, which ends at a NUL character:
// rather than let the answer arrive cut short, this throws EHostError naming
// the call and the NUL's byte offset in the answer.
void CheckAnswerTravels(const std::string& name, const HostValue& answer);
void CheckAnswerTravels(const std::string& name, std::string_view answer);

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

 private:
  HostValue Answer(const std::string& name, const std::vector<HostValue>& args);
};

}  // namespace tendrel
