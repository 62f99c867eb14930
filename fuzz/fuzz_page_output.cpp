// Arbitrary page text through the page output's routines, as a page output
// runs them without the new Salebox: the document list, the renumbering of
// the tags in the host's document (the in-memory host) and the page support.
// Checked on every input:
//   - the renumbering leaves the page exactly as rewriting each tag by itself
//     (UpdateInDocument, from the last to the first) would, caret and all;
//   - the page that comes out is UTF-8 as the page that went in;
//   - a page with one "<head>" (once old script blocks are out) holds exactly
//     one script block, right behind it;
//   - a second output changes nothing, unless the page is one of those where
//     the rules themselves move on (each named below).
// Inputs are pages as the host carries them: UTF-8 without NUL. Qt's caches
// look like leaks to LeakSanitizer, so leak detection is off; with
// FUZZ_SHOW_OUTPUTS set, an input whose outputs differ prints both.
//   ASAN_OPTIONS=malloc_context_size=0 fuzz_page_output -detect_leaks=0 -dict=fuzz/page_output.dict \
//       CORPUS_DIR fuzz/corpus/page_output
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "fuzz/fuzz_support.h"
#include "host/in_memory_host.h"
#include "platform/dialogs.h"
#include "seller/output/page_output.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"

using fuzz::Check;
using namespace tendrel;

namespace {

class SilentDialogs : public UserDialogs {
 public:
  MsgResult Message(const std::string&, const std::string&, MsgIcon, MsgButtons buttons) override {
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::No : MsgResult::Ok;
  }
  std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return {}; }
};

struct World {
  SilentDialogs dialogs;
  BravantContext ctx{dialogs};
  InMemoryHost* host = nullptr;
  PageOutput output{ctx};
};
World* world = nullptr;

bool ValidUtf8WithoutNul(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == 0) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the first continuation byte
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF)) return false;
    }
    i += n + 1;
  }
  return true;
}

size_t Count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = PosCI(what, text); at != 0; at = PosFrom(what, text, at)) ++n;
  return n;
}

// The first body start tag ("<body" through the next ">"); empty when none.
std::string BodyTag(const std::string& text) {
  const size_t body = PosCI("<body", text);
  if (body == 0) return {};
  const size_t close = text.find('>', body - 1 + 5);
  return close == std::string::npos ? std::string() : text.substr(body - 1, close + 2 - body);
}

// The renumbering done the plain way: each record's tag rewritten by itself,
// the last first, on a host of its own. The text and the caret it leaves.
void RenumberTagByTag(const std::string& text, std::string* out, int* selStart, int* selLength) {
  InMemoryHost reference;
  reference.doc.ReplaceAll(text);
  reference.doc.SetSelection(1, 1);
  PageOutput reader(world->ctx);
  std::vector<TApplet> records = reader.ReadDocumentApplets(text);
  for (size_t i = records.size(); i-- > 0;) {
    records[i].SetHost(&reference);
    records[i].AppletName = "Tillon" + std::to_string(i + 1);
    records[i].UpdateInDocument();
  }
  *out = reference.doc.Text();
  *selStart = reference.doc.SelStart();
  *selLength = reference.doc.SelLength();
}

// One output of `text` without a new Salebox; `renumbered` gets the page
// after the renumbering.
std::string Output(const std::string& text, std::string* renumbered) {
  InMemoryHost& host = *world->host;
  host.doc.ReplaceAll(text);
  host.doc.SetSelection(1, 1);
  world->output.NumberDocumentApplets(text, false);
  *renumbered = host.doc.Text();
  const std::optional<std::string> page = world->output.InsertPageSupport(*renumbered, false);
  Check(page.has_value());
  return *page;
}

// Why a second output of a page rightly differs, by a rule of the page output
// itself; null for a page where it must not:
// - a script start marker is left once the old blocks are out (one without
//   its end marker): the next removal pairs it with the new block's end;
// - the first "<head>" stands inside the body start tag, whose ">" the
//   start-up handler goes before: the block is no longer behind a "<head>";
// - the head tag behind the body tag on the same line: the browser object,
//   put at that line's end, lands inside the script block;
// - the body tag's onLoad does not settle in one step (an empty onLoad value
//   gets another attribute; a handler whose text stands elsewhere in the tag
//   is put before each occurrence, in "<body" itself too);
// - a Salebox tag that does not read back as it was written (a value with a
//   blank written unquoted, an empty size, a "</applet>" formed inside): the
//   renumbered page's tags are not what renumbering it again writes;
// - the page's first "<body" or "</body>" stands inside a Salebox tag;
// - the Salebox tags come out of the page support changed: the applet or
//   object put in completes an "<applet" left open, or the start-up handler
//   goes before a ">" that closed an "</applet>".
const char* WhyASecondOutputDiffers(const std::string& renumbered, const std::string& once) {
  const std::string cleaned = RemoveScriptBlocks(renumbered);
  if (PosCI(kScriptStartMarker, cleaned) != 0) return "a script start marker without its end";

  const std::string body = BodyTag(cleaned);
  if (PosCI("<head>", body) != 0) return "the head tag inside the body tag";
  if (!body.empty()) {
    const size_t tagEnd = PosCI("<body", cleaned) - 1 + body.size();
    const size_t head = PosCI("<head>", cleaned);
    if (head != 0 && head - 1 >= tagEnd && cleaned.find_first_of("\r\n", tagEnd) > head - 1)
      return "the head tag behind the body tag on its line";
  }
  if (!body.empty()) {
    const std::string changed = AddBodyOnLoad(body);
    if (!AddBodyOnLoad(changed.empty() ? body : changed).empty()) return "an onLoad that does not settle";
    if (!changed.empty() && PosCI("<body", changed) != 1) return "an onLoad whose text stands in \"<body\"";
  }

  PageOutput reader(world->ctx);
  // The first "<body" or "</body>" inside a Salebox tag (a value written
  // unquoted can hold one): the handler or the applet goes into the tag.
  const size_t bodyStart = PosCI("<body", cleaned), bodyEnd = PosCI("</body>", cleaned);
  for (const TApplet& r : reader.ReadDocumentApplets(cleaned)) {
    const size_t from = static_cast<size_t>(r.DocPosition) + 1, to = from + static_cast<size_t>(r.DocLength);
    if ((bodyStart >= from && bodyStart < to) || (bodyEnd >= from && bodyEnd < to)) return "a body tag inside a Salebox tag";
  }

  const std::vector<TApplet> records = reader.ReadDocumentApplets(renumbered);
  for (size_t i = 0; i < records.size(); ++i) {
    TApplet copy = records[i];
    copy.AppletName = "Tillon" + std::to_string(i + 1);
    const std::string tag = copy.BuildTag();
    if (renumbered.compare(static_cast<size_t>(copy.DocPosition), static_cast<size_t>(copy.DocLength), tag) != 0)
      return "a Salebox tag that does not read back as written";
  }
  std::vector<std::string> before, after;
  for (const TApplet& r : records) before.push_back(renumbered.substr(r.DocPosition, r.DocLength));
  for (const TApplet& r : reader.ReadDocumentApplets(once)) after.push_back(once.substr(r.DocPosition, r.DocLength));
  if (after != before) return "a Salebox tag changed by the page support";
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char dir[] = "/tmp/fuzz_page_output.XXXXXX";
  if (mkdtemp(dir) == nullptr) std::abort();
  setenv("XDG_DATA_HOME", (std::string(dir) + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (std::string(dir) + "/config").c_str(), 1);
  world = new World;
  auto host = std::make_unique<InMemoryHost>();
  world->host = host.get();
  world->ctx.AttachHost(std::move(host));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!ValidUtf8WithoutNul(text)) return 0;

  std::string renumbered;
  const std::string once = Output(text, &renumbered);

  std::string reference;
  int selStart = 0, selLength = 0;
  RenumberTagByTag(text, &reference, &selStart, &selLength);
  Check(renumbered == reference);
  Check(world->host->doc.SelStart() == selStart && world->host->doc.SelLength() == selLength);

  Check(ValidUtf8WithoutNul(once));

  const std::string cleaned = RemoveScriptBlocks(renumbered);
  if (PosCI(kScriptStartMarker, cleaned) == 0 && Count(cleaned, "<head>") == 1) {
    Check(Count(once, kScriptStartMarker) == 1);
    // Right behind it, unless the head tag stood inside the body start tag
    // and the start-up handler went into it.
    const size_t head = PosCI("<head>", once);
    Check(head == 0 || PosCI(kScriptStartMarker, once) == head + 6);
    std::vector<std::string> blocks;
    Check(ExtractBlocks(once, kScriptStartMarker, kScriptEndMarker, false, blocks) == 0);
  }

  std::string renumberedAgain;
  const std::string twice = Output(once, &renumberedAgain);
  if (twice == once) return 0;
  const char* why = WhyASecondOutputDiffers(renumbered, once);
  if (std::getenv("FUZZ_SHOW_OUTPUTS") != nullptr)
    std::fprintf(stderr, "outputs differ: %s\nfirst output:\n%s\n\nsecond output:\n%s\n",
                 why ? why : "no reason", once.c_str(), twice.c_str());
  Check(why != nullptr);
  return 0;
}
