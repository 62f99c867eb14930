#include "seller/output/page_output.h"

#include <QtGlobal>
#include <charconv>
#include <string_view>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "host/document.h"
#include "host/host_calls.h"
#include "resources/resources.h"
#include "seller/core/log.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"

namespace tendrel {

namespace {

const char kCRLF[] = "\r\n";

// Turns the hourglass off on every way out.
class BusyScope {
 public:
  explicit BusyScope(const std::function<void(bool)>& busy) : busy_(busy) {
    if (busy_) busy_(true);
  }
  ~BusyScope() { End(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  void End() {
    if (busy_ && on_) busy_(false);
    on_ = false;
  }

 private:
  const std::function<void(bool)>& busy_;
  bool on_ = true;
};

}  // namespace

std::string WhatNextMessage() {
  std::string m = "You have now accomplished the following things: ";
  m += kCRLF;
  m += kCRLF;
  for (const char* line : {"1) Made an encoded version of the file you are selling.",
                           "2) Placed this on your web server.",
                           "3) Registered this product in the Tillon database.",
                           "   If you chose a preview image this was uploaded as well.",
                           "4) Added the necessary HTML code to your web page."}) {
    m += line;
    m += kCRLF;
  }
  m += kCRLF;
  m += "If you are going to continue editing the web page you are working on please "
       "make sure you do not alter the code that was added by tln.  All that remains now is for you to upload "
       "the web page as you normally would do.";
  return m;
}

std::string ScriptTemplatePath() { return JoinPath(AppDir(), kScriptTemplateName); }

std::string TemplateUnwritableMessage(const std::string& path) {
  return "An error occurred while writing " + path;
}

std::string TemplateEmptyMessage(const std::string& path) {
  return std::string("Fatal Error !  The text file containing the JavaScript required by Tillon cannot be found.") +
         kCRLF + kCRLF + "It should have been in " + path + kCRLF + kCRLF +
         "It should have been created during installation.  If you have deleted it please reinstall Bravant.";
}

PageOutput::PageOutput(BravantContext& ctx) : ctx_(ctx) {}

TApplet PageOutput::NewRecord() { return TApplet(&ctx_.Settings(), ctx_.Host(), &ctx_.Dialogs()); }

OutputResult PageOutput::OutputAll(const Hooks& hooks) {
  BusyScope busy(hooks.busy);
  HostEditor* host = ctx_.Host();
  TApplet& current = ctx_.Applet();

  if (!DocWrite(host, current.BuildTag(), false, true)) {
    busy.End();
    ctx_.Dialogs().Message(kNoDocumentForSalebox, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return OutputResult::NoDocument;
  }
  NumberDocumentApplets(DocRead(host, true), false);
  const std::optional<std::string> page = InsertPageSupport(DocRead(host, true), false);
  if (!page) return OutputResult::TemplateFailed;
  DocWrite(host, *page, true, false);
  busy.End();

  if (current.UploadState == "Uploaded") ctx_.ShowOnce(WhatNextMessage(), kWhatNextKey);
  if (ctx_.Dialogs().Message(kCreateAnotherQuestion, kProgramTitle, MsgIcon::Question, MsgButtons::YesNo) ==
          MsgResult::Yes &&
      hooks.createAnother)
    hooks.createAnother();
  ctx_.State().SetSaleboxPlaced(true);
  return OutputResult::Placed;
}

const std::vector<TApplet>& PageOutput::ReadDocumentApplets(const std::string& text) {
  std::vector<std::string> blocks;
  ExtractBlocks(text, "<applet", "</applet>", true, blocks);
  applets_.clear();
  for (const std::string& entry : blocks) {
    // Each entry is the block's offset, a comma and the block.
    const size_t comma = entry.find(',');
    int32_t offset = 0;
    std::from_chars(entry.data(), entry.data() + comma, offset);
    const std::string_view block = std::string_view(entry).substr(comma + 1);
    if (PosCI("code=\"VendorApplet\"", block) == 0) continue;  // the communications applet, say
    TApplet record = NewRecord();
    if (record.StoreApplet(std::string(block), offset)) applets_.push_back(std::move(record));
  }
  return applets_;
}

void PageOutput::NumberDocumentApplets(const std::string& text, bool preview) {
  ReadDocumentApplets(text);
  if (applets_.empty()) return;
  const size_t count = applets_.size();
  const std::string previewClasses = preview ? PathToFileURL(JoinPath(AppDir(), "classes/")) : std::string();

  // Each record's tag as UpdateInDocument writes it, last to first.
  std::vector<std::string> tags(count);
  for (size_t i = count; i-- > 0;) {
    TApplet& record = applets_[i];
    const std::string number = std::to_string(i + 1);
    record.AppletName = "Tillon" + number;
    if (!preview) {
      tags[i] = record.BuildTag();
      continue;
    }
    const std::string description = record.Description;
    const std::string productID = record.ProductID;
    record.ProductID = "salebox" + number;
    record.ClassLocation = previewClasses;
    record.Description = "PREVIEW ONLY ! " + description;
    tags[i] = record.BuildTag();
    record.Description = description;
    record.ProductID = productID;
    record.ClassLocation = ctx_.Settings().ReadText("Options", "Class Location", "classes/");
  }

  // Rewriting the tags one by one, from the last to the first, leaves the
  // page with the new tags and the caret at the first tag's start. The same
  // comes of one rewrite of the stretch from the first tag through the last
  // one that changes: one host edit rather than one per tag, which on a page
  // of a thousand Saleboxes is a fraction of a second rather than seconds.
  const auto at = [this](size_t i) { return static_cast<size_t>(applets_[i].DocPosition); };
  const auto length = [this](size_t i) { return static_cast<size_t>(applets_[i].DocLength); };
  size_t last = count;
  for (size_t i = count; i-- > 0 && last == count;)
    if (text.compare(at(i), length(i), tags[i]) != 0) last = i;
  HostEditor* host = ctx_.Host();
  if (last == count) {
    if (DocIsOpen(host)) HostCalls(*host).SetSelection(static_cast<int>(at(0)), 0);
    return;
  }
  std::string stretch;
  for (size_t i = 0; i <= last; ++i) {
    if (i > 0) stretch.append(text, at(i - 1) + length(i - 1), at(i) - at(i - 1) - length(i - 1));
    stretch += tags[i];
  }
  DocReplaceRange(host, static_cast<int>(at(0)), static_cast<int>(at(last) + length(last) - at(0)), stretch);
}

std::optional<std::string> PageOutput::ScriptBlock() {
  const std::string path = ScriptTemplatePath();
  if (!FileExists(path)) {
    try {
      InitResources();  // the template ships among the program's resources
      ExtractResourceToFile(path, "jvscript", "text");
    } catch (const FileError& e) {
      qCWarning(lcSeller, "Writing the script template failed: %s", e.what());
      ctx_.Dialogs().Message(TemplateUnwritableMessage(path), kProgramTitle, MsgIcon::None, MsgButtons::Ok);
      return std::nullopt;
    }
  }
  std::string script;
  try {
    script = LoadTextFile(path, ctx_.Dialogs());
  } catch (const FileError& e) {
    // Unreadable counts as empty: the page goes on without the script.
    qCWarning(lcSeller, "Reading the script template failed: %s", e.what());
  }
  if (script.empty()) {
    ctx_.Dialogs().Message(TemplateEmptyMessage(path), kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return script;
  }
  return ReplaceText(script, kSaleboxCountPlaceholder, std::to_string(applets_.size()), false);
}

std::optional<std::string> PageOutput::InsertPageSupport(const std::string& text, bool preview) {
  std::string page = RemoveScriptBlocks(text);
  const std::optional<std::string> script = ScriptBlock();
  if (!script) return std::nullopt;
  if (!InsertScriptBlock(page, *script))
    ctx_.Dialogs().Message(kNoHeadMessage, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
  AddStartupHandler(page);
  std::string comms;
  if (preview) {
    comms = previewComms_ ? previewComms_() : PublishedCommsApplet();
    RemoveCommsApplets(page);
  } else {
    comms = PublishedCommsApplet();
  }
  InsertBrowserObject(page);
  InsertCommsApplet(page, comms);
  return page;
}

}  // namespace tendrel
