#pragma once
// The page output: puts the current Salebox into the page open in the host
// editor and makes the whole page ready for the service's applets. Every
// Salebox tag of the page is renamed Tillon1, Tillon2, ... in page order; the
// page gets the service's script block (from the template "jvscript.txt" in
// the program folder) behind "<head>", the start-up handler in its body tag,
// one browser object and one communications applet. All reading and writing
// of the page goes through the host's document routines.
//
// The same routines, with the preview switch, build the local preview page.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "seller/authoring/applet.h"

namespace tendrel {

class BravantContext;

inline constexpr char kNoDocumentForSalebox[] =
    "There is no document open in Marquill for the Salebox to be placed in.";
inline constexpr char kNoHeadMessage[] =
    "No <HEAD> tag found.  The document must have a <HEAD> to allow Bravant to correctly add the necessary "
    "JavaScript code to your page.";
inline constexpr char kCreateAnotherQuestion[] =
    "Your Salebox has successfully been placed in your Marquill document. Would you like to create another "
    "Salebox ?";
// The one-time message shown once an uploaded Salebox is in the page.
inline constexpr char kWhatNextKey[] = "whatnext";
std::string WhatNextMessage();

// The script template in the program folder, written from the program's
// resource "jvscript" (type "text") when it is missing.
inline constexpr char kScriptTemplateName[] = "jvscript.txt";
std::string ScriptTemplatePath();
std::string TemplateUnwritableMessage(const std::string& path);
std::string TemplateEmptyMessage(const std::string& path);

// What a page output came to.
enum class OutputResult {
  NoDocument,       // no document open: nothing was written
  TemplateFailed,   // the template could be neither found nor written: the
                    // Salebox is in the page and renumbered, nothing more
  Placed,
};

class PageOutput {
 public:
  // What the page output asks of the window around it; either may be empty.
  struct Hooks {
    std::function<void(bool)> busy;       // the hourglass on (true) and off again
    std::function<void()> createAnother;  // Yes to "create another": reset and show the Create wizard
  };

  explicit PageOutput(BravantContext& ctx);

  // Puts the current Salebox into the page at the host's cursor (replacing
  // the selection), renumbers the page's Saleboxes, adds the page support,
  // tells the user what comes next and sets the Salebox-placed flag. Host
  // errors pass to the caller, the hourglass off again.
  OutputResult OutputAll(const Hooks& hooks = {});

  // The document list from `text`: one record per Salebox tag, in page
  // order, each knowing where its tag stands (byte offset and length).
  const std::vector<TApplet>& ReadDocumentApplets(const std::string& text);
  // Reads the list from `text` (the host's document as it stands), then
  // names the tags Tillon1, Tillon2, ... and rewrites them in the host's
  // document: the page comes out as rewriting each with UpdateInDocument from
  // the last to the first would leave it, the caret at the first tag's start.
  // In preview each tag is written with its preview identity, the program's
  // own classes and a "PREVIEW ONLY ! " description; the records keep their
  // own afterwards.
  void NumberDocumentApplets(const std::string& text, bool preview);
  // `text` with the script block (its placeholder the list's count), the
  // start-up handler, the browser object and the communications applet.
  // Nothing when the template could be neither found nor written (the user
  // has been told).
  std::optional<std::string> InsertPageSupport(const std::string& text, bool preview);

  // The list the last reading made.
  std::vector<TApplet>& DocumentApplets() { return applets_; }
  const std::vector<TApplet>& DocumentApplets() const { return applets_; }

  // Who makes the preview's communications applet (its start through
  // "</applet>"); without one the preview keeps the published applet.
  void SetPreviewCommsApplet(std::function<std::string()> build) { previewComms_ = std::move(build); }

 private:
  std::optional<std::string> ScriptBlock();
  TApplet NewRecord();

  BravantContext& ctx_;
  std::vector<TApplet> applets_;
  std::function<std::string()> previewComms_;
};

}  // namespace tendrel
