#include "seller/output/local_preview.h"

#include <fcntl.h>
#include <unistd.h>

#include <QtGlobal>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/file_error.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "host/document.h"
#include "host/host_calls.h"
#include "resources/resources.h"
#include "seller/core/class_folder.h"
#include "seller/authoring/cipher.h"
#include "seller/core/log.h"
#include "seller/output/page_output.h"
#include "seller/output/page_support.h"
#include "seller/shell/context.h"
#include "seller/shell/java_check.h"

namespace tendrel {

namespace fs = std::filesystem;

namespace {

const char kCRLF[] = "\r\n";
const char kPreviewImageEntry[] = "<param name=previewURL ";

bool ContainsCI(const std::string& text, const std::string& what) { return PosCI(what, text) != 0; }

// Copies the open descriptors' bytes; false on any read or write failure.
bool CopyBytes(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += put;
    }
  }
}

}  // namespace

std::string PreviewSavedMessage(const std::string& pagePath) {
  return "The preview file has been saved as " + pagePath + ".  You can now view it with any WWW browser.";
}

std::vector<BrowserEntry> ParseBrowserList(const std::string& list) {
  std::vector<BrowserEntry> entries;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\x1e', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    const size_t eq = entry.find('=');
    BrowserEntry b;
    b.caption = entry.substr(0, eq);
    if (eq != std::string::npos) {
      const size_t next = entry.find('=', eq + 1);
      b.program = entry.substr(eq + 1, next == std::string::npos ? std::string::npos : next - eq - 1);
    }
    entries.push_back(std::move(b));
    start = end + 1;
  }
  return entries;
}

std::string PreviewClassesFolder() { return JoinPath(AppDir(), "classes"); }
std::string PreviewProductsFolder() { return JoinPath(PreviewClassesFolder(), "products"); }

void EmptyPlainFiles(const std::string& folder) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(folder, ec))) return;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code own;
    // symlink_status: a link counts as a link, never as what it leads to.
    if (fs::is_regular_file(it->symlink_status(own))) fs::remove(it->path(), own);
  }
}

bool CopyWithoutOverwrite(const std::string& source, const std::string& target) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // O_EXCL refuses anything already there, a dangling link included.
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return false;
  }
  const bool ok = CopyBytes(in, out);
  ::close(in);
  if (::close(out) != 0 || !ok) {
    ::unlink(target.c_str());
    return false;
  }
  return true;
}

std::string ReducePreviewImages(const std::string& page) {
  std::vector<std::string> entries;
  for (size_t at = PosCI(kPreviewImageEntry, page); at != 0; at = PosFrom(kPreviewImageEntry, page, at)) {
    const size_t close = page.find('>', at - 1);
    if (close == std::string::npos) break;
    entries.push_back(page.substr(at - 1, close - (at - 1) + 1));
  }
  std::string text = page;
  for (size_t i = entries.size(); i-- > 0;) {
    const std::string value = GetTagAttribute(entries[i], "value");
    if (!IsLocalPath(value) || !FileExists(value)) continue;
    text = ReplaceText(text, entries[i], "<param name=previewURL value=\"" + ExtractFileName(value) + "\">", false);
  }
  return text;
}

LocalPreview::LocalPreview(BravantContext& ctx, PageOutput& output) : ctx_(ctx), output_(output) {}

std::optional<std::vector<BrowserEntry>> LocalPreview::OfferBrowsers() {
  HostEditor* host = ctx_.Host();
  if (!DocIsOpen(host)) {
    ctx_.Dialogs().Message(kPreviewNeedsDocument, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return std::nullopt;
  }
  std::vector<BrowserEntry> browsers = ParseBrowserList(HostCalls(*host).BrowserList());
  if (browsers.size() < 2) {
    ctx_.Dialogs().Message(kPreviewNeedsBrowsers, kProgramTitle, MsgIcon::Warning, MsgButtons::Ok);
    return std::nullopt;
  }
  return browsers;
}

std::string LocalPreview::PreviewText(const std::string& documentText) {
  output_.ReadDocumentApplets(documentText);
  std::vector<TApplet>& list = output_.DocumentApplets();
  const std::string classes = PathToFileURL(JoinPath(AppDir(), "classes/"));
  std::string text = documentText;
  // From the last tag to the first, so the offsets still to come stay good.
  for (size_t i = list.size(); i-- > 0;) {
    TApplet& record = list[i];
    const std::string number = std::to_string(i + 1);
    record.AppletName = "Tillon" + number;
    TApplet dressed = record;
    dressed.ProductID = "salebox" + number;
    dressed.ClassLocation = classes;
    dressed.Description = kPreviewDescriptionPrefix + record.Description;
    text.replace(static_cast<size_t>(record.DocPosition), static_cast<size_t>(record.DocLength), dressed.BuildTag());
  }
  return text;
}

std::string LocalPreview::BuildPreviewCommsApplet() {
  std::string applet = std::string(kCommsAppletStart) + kCRLF + "codebase=\"" + PathToFileURL(PreviewClassesFolder()) +
                       "\"" + kCRLF + "code=\"StandAloneCommsApplet\"" + kCRLF + "width=2 height=1>" + kCRLF;
  TTillonCipher cipher;
  int n = 0;
  for (TApplet& record : output_.DocumentApplets()) {
    ++n;
    record.Key = TTillonCipher::NewRandomKey();
    cipher.SetKey(record.Key);
    try {
      record.EncodeFile(cipher);
    } catch (const FileError& e) {
      // The page still comes out; this product's applet finds no file.
      qCWarning(lcSeller, "Encoding %s for the preview failed: %s", record.SourceFile.c_str(), e.what());
    }
    applet += record.BuildPreviewURL(n, TTillonCipher::KeyToHex(record.Key));
    applet += kCRLF;
  }
  applet += kCRLF;
  applet += "</applet>";
  return applet;
}

void LocalPreview::ClearNetscapeJavaCache() {
  bool running = false;
  if (hooks_.windowTitles)
    for (const std::string& title : hooks_.windowTitles())
      if (Trim(title).rfind("Netscape", 0) == 0) running = true;
  if (!running) return;
  const std::string page = JoinPath(AppDir(), kJavaWipePageName);
  if (!FileExists(page)) {
    try {
      InitResources();
      ExtractResourceToFile(page, "javawipe", "htm");
    } catch (const FileError& e) {
      qCWarning(lcSeller, "Writing %s failed: %s", page.c_str(), e.what());
    }
  }
  HostCalls(*ctx_.Host()).BrowserPreview(page);
}

std::string LocalPreview::PreviewWithBrowser(const std::string& program) {
  HostEditor* host = ctx_.Host();
  if (!DocIsOpen(host)) {
    ctx_.Dialogs().Message(kPreviewNeedsDocument, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
    return {};
  }
  const std::string document = DocRead(host, true);

  // Stale encoded copies go first, so the fresh ones take the plain names.
  std::vector<std::string> sources;
  for (const TApplet& record : output_.ReadDocumentApplets(document)) sources.push_back(record.SourceFile);
  DeleteEncodedFiles(sources);

  const std::string preview = PreviewText(document);

  std::string docName = HostCalls(*host).CurrentDocName();
  if (docName == "error") docName.clear();
  const std::string outDir = !docName.empty() && FileExists(docName) ? ExtractFileDir(docName) : AppDir();

  output_.SetPreviewCommsApplet([this] { return BuildPreviewCommsApplet(); });
  std::optional<std::string> page = output_.InsertPageSupport(preview, true);
  if (!page) return {};

  // The page's Saleboxes load their runtime from the class folder, which
  // may not have been filled yet on a fresh installation.
  try {
    PrepareLocalClassFolder();
  } catch (const FileError& e) {
    qCWarning(lcSeller, "Preparing the class folder failed: %s", e.what());
  }
  const std::string products = PreviewProductsFolder();
  std::error_code ec;
  fs::create_directories(products, ec);
  if (ec) qCWarning(lcSeller, "Making %s failed: %s", products.c_str(), ec.message().c_str());

  *page = ReducePreviewImages(*page);
  EmptyPlainFiles(products);

  const std::string pagePath = JoinPath(outDir, kPreviewPageName);
  SaveTextFile(pagePath, *page);

  for (const TApplet& record : output_.DocumentApplets()) {
    if (!record.EncodedFile.empty())
      CopyWithoutOverwrite(record.EncodedFile, JoinPath(products, ExtractFileName(record.EncodedFile)));
    if (record.PreviewURL.empty()) continue;
    std::string image = record.PreviewURL;
    if (image.find(':') == std::string::npos) image = ResolveRelativePath(record.EncodedFile, image);
    CopyWithoutOverwrite(image, JoinPath(outDir, ExtractFileName(image)));
  }

  if (LowerCase(program) == "none") {
    ctx_.ShowOnce(PreviewSavedMessage(pagePath), kFixedPreviewKey);
    return pagePath;
  }
  if (ContainsCI(program, "iexplore.exe")) CheckJavaVM(ctx_);
  if (ContainsCI(program, "netscape.exe")) ClearNetscapeJavaCache();
  HostCalls(*host).PreviewWith(pagePath, program);
  return pagePath;
}

}  // namespace tendrel
