#include "host/document.h"

namespace tendrel {

bool DocIsOpen(HostEditor* host) {
  return host != nullptr && host->CallText("IsOpenDoc") == "true";
}

std::string DocRead(HostEditor* host, bool all) {
  if (!DocIsOpen(host)) return {};
  return host->CallText(all ? "getalltext" : "getseltext");
}

bool DocWrite(HostEditor* host, const std::string& text, bool replaceAll, bool select) {
  if (!DocIsOpen(host)) return false;
  int pos = 0;
  if (replaceAll) {
    host->Invoke("replacealltext", {text});
  } else {
    pos = host->CallInt("getselstart");
    host->Invoke("puttextatcursor", {text});
  }
  host->Invoke("setselection", {pos, select ? static_cast<int>(text.size()) : 0});
  return true;
}

bool DocReplaceRange(HostEditor* host, int start, int length, const std::string& text) {
  if (!DocIsOpen(host)) return false;
  host->Invoke("setselection", {start, length});
  return DocWrite(host, text, false, false);
}

}  // namespace tendrel
