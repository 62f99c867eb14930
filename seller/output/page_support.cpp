#include "seller/output/page_support.h"

#include <optional>
#include <utility>

#include "common/text.h"
#include "seller/core/deployment.h"

namespace tendrel {

namespace {

const char kCRLF[] = "\r\n";

// A deployment address without the "/" it may end with, so a path can follow.
std::string Base(std::string address) {
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string PublishedCommsApplet() {
  return std::string(kCommsAppletStart) + kCRLF + "codebase=\"" + Base(deployment::TillonSecureURL()) +
         "/Salebox/classes/\"" + kCRLF + "code=\"com.tillon.tankard.comms.TillonCommsApplet\"" + kCRLF +
         "width=2 height=1>" + kCRLF + "</applet>";
}

std::string BrowserObjectStart() {
  return "<OBJECT CLASSID=\"clsid:" + deployment::BrowserObjectClassId() + "\"";
}

std::string BrowserObjectBlock() {
  return BrowserObjectStart() + kCRLF + "CODEBASE=\"" + Base(deployment::TillonPlainURL()) +
         "/Salebox/lib/saleboxLib.cab\">" + kCRLF + "</OBJECT>" + kCRLF;
}

std::string RemoveScriptBlocks(std::string_view text) {
  if (PosCI(kScriptStartMarker, text) == 0) return std::string(text);
  return ReplaceBetween(text, kScriptStartMarker, kScriptEndMarker, "", false);
}

bool InsertScriptBlock(std::string& text, std::string_view script) {
  const size_t head = PosCI("<head>", text);
  if (head == 0) return false;
  text.insert(head - 1 + 6, script);
  return true;
}

// The rules, on the tag's onLoad value:
// - it calls only the start-up handler: no change;
// - there is none (or it is empty): the attribute is added before the ">";
// - it does not call the start-up handler: the handler's text becomes
//   "TillonOnLoad();" and that text, wherever it stands in the tag, so the
//   service's handler runs first;
// - it calls the start-up handler among others: no change.
namespace {

// Where the value of the tag's onLoad attribute lies, read as
// GetTagAttribute reads it (inside its double quotes when it has them);
// nothing when the tag has no "onLoad=".
std::optional<std::pair<size_t, size_t>> OnLoadValue(const std::string& tag) {
  const size_t found = PosCI("onload=", tag);
  if (found == 0) return std::nullopt;
  const size_t begin = found - 1 + 7;
  if (begin >= tag.size() || tag[begin] == '>') return std::make_pair(begin, size_t{0});
  const bool quoted = tag[begin] == '"';
  const size_t start = quoted ? begin + 1 : begin;
  size_t end = start;
  while (end < tag.size() && tag[end] != '"' && tag[end] != '>' &&
         (quoted || (tag[end] != ' ' && tag[end] != '\r' && tag[end] != '\n')))
    ++end;
  return std::make_pair(start, end - start);
}

}  // namespace

std::string AddBodyOnLoad(const std::string& bodyTag) {
  const std::string handler = GetTagAttribute(bodyTag, "onLoad");
  if (SameText(handler, kStartupHandler)) return {};
  const auto value = OnLoadValue(bodyTag);
  if (handler.empty()) {
    // An empty onLoad="" is filled in: a second onLoad behind it would
    // never run, and would be added again by every output.
    if (value && value->second == 0) {
      std::string tag = bodyTag;
      tag.insert(value->first, kStartupHandler);
      return tag;
    }
    const std::string open = !bodyTag.empty() && bodyTag.back() == '>' ? DropRight(bodyTag, 1) : bodyTag;
    return open + " onLoad=\"" + kStartupHandler + "\">";
  }
  if (PosCI(kStartupHandler, handler) != 0) return {};
  // The start-up handler goes in front of the old one, in the attribute's
  // value only: the old text may stand elsewhere in the tag too.
  if (value) {
    std::string tag = bodyTag;
    tag.insert(value->first, std::string(kStartupHandler) + ";");
    return tag;
  }
  return ReplaceText(bodyTag, handler, std::string(kStartupHandler) + ";" + handler, false);
}

void AddStartupHandler(std::string& text) {
  const size_t body = PosCI("<body", text);
  if (body == 0) return;
  const size_t start = body - 1;
  const size_t close = text.find('>', start + 5);
  if (close == std::string::npos) return;
  const std::string tag = text.substr(start, close + 1 - start);
  const std::string changed = AddBodyOnLoad(tag);
  if (!changed.empty()) text.replace(start, tag.size(), changed);
}

void RemoveCommsApplets(std::string& text) {
  if (PosCI(kCommsAppletStart, text) == 0) return;
  text = ReplaceBetween(text, kCommsAppletStart, "</applet>", "", false);
}

void InsertBrowserObject(std::string& text) {
  const size_t body = PosCI("<body", text);
  if (body == 0 || PosCI(BrowserObjectStart(), text) != 0) return;
  // A "<body" never closed by ">" starts no body tag: there is no line of
  // it to go after, and the block's own ">" would close it next time.
  const size_t close = text.find('>', body - 1 + 5);
  if (close == std::string::npos) return;
  // The line break is looked for behind the body tag's ">", so a body tag
  // written over several lines is never split.
  const size_t tagEnd = close + 1;
  size_t lineEnd = tagEnd;
  while (lineEnd < text.size() && !IsLineEnd(text[lineEnd])) ++lineEnd;
  if (lineEnd == text.size()) {
    // No line break follows: the block goes on a line of its own right
    // behind the tag.
    text.insert(tagEnd, kCRLF + BrowserObjectBlock());
    return;
  }
  size_t at = lineEnd + 1;
  if (text[lineEnd] == '\r' && at < text.size() && text[at] == '\n') ++at;
  text.insert(at, BrowserObjectBlock());
}

void InsertCommsApplet(std::string& text, std::string_view appletLines) {
  if (PosCI(kCommsAppletStart, text) != 0) return;
  const size_t end = PosCI("</body>", text);
  if (end == 0) return;
  const size_t at = end - 1;
  std::string block;
  // The block's comment opens a line of its own.
  if (at > 0 && !IsLineEnd(text[at - 1])) block = kCRLF;
  block += kCommsAppletComment;
  block += kCRLF;
  block += appletLines;
  block += kCRLF;
  text.insert(at, block);
}

}  // namespace tendrel
