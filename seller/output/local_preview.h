#pragma once
// The local preview: a copy of the open page in which every Salebox runs from
// the program's own applet classes with a preview identity, and one
// stand-alone communications applet knows each product's encoded file and
// key. The page, the encoded files and the preview images are written where
// those applets look for them, and the page is opened in a browser the host
// editor offers. The host's document itself is only read: renumbering and
// dressing happen on a copy of its text, so the user's cursor and undo
// history stay as they were.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tendrel {

class BravantContext;
class PageOutput;

inline constexpr char kPreviewNeedsDocument[] =
    "You must have an open document in Marquill to use the Preview function.";
inline constexpr char kPreviewNeedsBrowsers[] =
    "You need to select a Browser from within Marquill before you can preview.";
inline constexpr char kPreviewPageName[] = "~tlnprev.htm";
inline constexpr char kFixedPreviewKey[] = "Fixed Preview";
inline constexpr char kNoBrowserProgram[] = "None";
inline constexpr char kPreviewDescriptionPrefix[] = "PREVIEW ONLY ! ";
inline constexpr char kJavaWipePageName[] = "javawipe.htm";

// What "None" announces instead of opening a browser.
std::string PreviewSavedMessage(const std::string& pagePath);

// One entry of the host's browser list.
struct BrowserEntry {
  std::string caption;
  std::string program;
};

// The host's list cut at each character 30 (an empty last piece dropped),
// each entry at each "=": the caption is the first piece, the program the
// second (empty when there is none).
std::vector<BrowserEntry> ParseBrowserList(const std::string& list);

// The program's "classes" folder and the products folder below it.
std::string PreviewClassesFolder();
std::string PreviewProductsFolder();

// Deletes the plain files directly inside `folder`. Links (to files or
// folders) and subfolders stay, and a folder that is itself a link is left
// alone, so nothing outside the folder is ever touched.
void EmptyPlainFiles(const std::string& folder);

// Copies `source` to `target` unless something (a file, a folder, a link,
// even a dangling one) is already at `target`. False when nothing was copied.
bool CopyWithoutOverwrite(const std::string& source, const std::string& target);

// The entries "<param name=previewURL " ... ">" (any case) whose value is an
// existing local file, each replaced (everywhere, any case) by the entry with
// the file's name alone.
std::string ReducePreviewImages(const std::string& page);

class LocalPreview {
 public:
  // What the preview asks of the window around it; each may be empty.
  struct Hooks {
    // Titles of the top-level windows to look through for a running Netscape.
    std::function<std::vector<std::string>()> windowTitles;
  };

  // The document list is the one `output` keeps, shared with the page output.
  LocalPreview(BravantContext& ctx, PageOutput& output);

  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  // The browsers to offer: the host's list when a document is open and the
  // list has at least two entries. Otherwise the user has been told why not
  // and the answer is empty.
  std::optional<std::vector<BrowserEntry>> OfferBrowsers();

  // Builds the preview page and its files, then opens the page with
  // `program` or, for "None", announces its path. The page's path; empty
  // when nothing was written (no document, or the page support failed).
  // Host errors pass to the caller.
  std::string PreviewWithBrowser(const std::string& program);

  // The preview text of `documentText`: the Saleboxes renumbered and dressed
  // for the preview in a copy; also reads the document list.
  std::string PreviewText(const std::string& documentText);

  // The stand-alone communications applet (its start through "</applet>")
  // for the document list, every product encoded afresh with a new key.
  std::string BuildPreviewCommsApplet();

  // With a Netscape window open, shows the page that clears its Java cache
  // in the host's browser, writing it from the program's resource first.
  void ClearNetscapeJavaCache();

 private:
  BravantContext& ctx_;
  PageOutput& output_;
  Hooks hooks_;
};

}  // namespace tendrel
