#include "host/document.h"

#include "host/host_calls.h"

namespace tendrel {

bool DocIsOpen(HostEditor* host) {
  return host != nullptr && HostCalls(*host).IsOpenDoc() == "true";
}

std::string DocRead(HostEditor* host, bool all) {
  if (!DocIsOpen(host)) return {};
  HostCalls calls(*host);
  return all ? calls.GetAllText() : calls.GetSelText();
}

bool DocWrite(HostEditor* host, const std::string& text, bool replaceAll, bool select) {
  if (!DocIsOpen(host)) return false;
  HostCalls calls(*host);
  int pos = 0;
  if (replaceAll) {
    calls.ReplaceAllText(text);
  } else {
    pos = calls.GetSelStart();
    calls.PutTextAtCursor(text);
  }
  calls.SetSelection(pos, select ? static_cast<int>(text.size()) : 0);
  return true;
}

bool DocReplaceRange(HostEditor* host, int start, int length, const std::string& text) {
  if (!DocIsOpen(host)) return false;
  HostCalls(*host).SetSelection(start, length);
  return DocWrite(host, text, false, false);
}

}  // namespace tendrel
