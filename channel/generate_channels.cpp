// Finish: check, write the channel files, put the buttons at the cursor and
// the Netcaster script into the HEAD.
#include "channel/generate_channels.h"

#include <exception>
#include <functional>

#include "channel/channel_text.h"
#include "channel/log.h"
#include "common/file_error.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "host/host_calls.h"
#include "platform/dialogs.h"

namespace tendrel::channel {

namespace {

constexpr char kSaveFirst[] =
    "Before compiling, you need to save your current HTML document within Marquill, so that relative "
    "references can be created.";

// The hourglass is off again whichever way Finish ends.
class BusyCursor {
 public:
  explicit BusyCursor(PushView& view) : view_(view) { view_.SetBusy(true); }
  ~BusyCursor() { view_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  PushView& view_;
};

// One step of Finish: a failing host call or conversion inside it is passed
// over (and logged) and the next step still runs. Returns what the step
// returned, or nothing when it failed with an exception.
std::optional<bool> Guarded(const char* step, const std::function<bool()>& work) {
  try {
    return work();
  } catch (const std::exception& e) {
    qCWarning(lcChannel).noquote() << step << "was passed over:" << e.what();
  } catch (...) {
    qCWarning(lcChannel).noquote() << step << "was passed over: an unknown failure";
  }
  return std::nullopt;
}

bool Refuse(const std::optional<CheckFailure>& failure, UserDialogs& dialogs, PushView& view) {
  dialogs.Error(failure->message);
  view.ShowFailedCheck(failure->page, failure->field);
  return false;
}

// Writes one channel file to the local form of its field; a file that cannot
// be written is told to the author, since the button would link to nothing.
bool WriteChannelFile(const std::string& fileField, const std::string& text, UserDialogs& dialogs) {
  const std::string path = FileURLToPath(fileField);
  try {
    SaveTextFile(path, text);
    return true;
  } catch (const FileError& e) {
    // The error names the file already; keep only its reason.
    std::string reason = e.what();
    const std::string named = path + ": ";
    if (const size_t at = reason.find(named); at != std::string::npos) reason.erase(0, at + named.size());
    std::string message = "The channel file ";
    message.append(path).append(" could not be written: ").append(reason);
    dialogs.Error(message);
    return false;
  }
}

}  // namespace

bool GenerateChannels(const ChannelFields& f, HostCalls& host, UserDialogs& dialogs, PushView& view,
                      const PennantConfig& config) {
  BusyCursor busy(view);
  std::string script = "error";
  bool head = false;
  std::string page;
  std::string docName;

  // An open, saved document, then Internet Explorer.
  const std::optional<bool> ieDone = Guarded("the document and the Internet Explorer channel", [&] {
    if (host.IsOpenDoc() == "false") host.OpenNewFile();
    docName = Trim(host.CurrentDocName());
    if (docName == "error" || docName.empty()) {
      dialogs.Inform(kSaveFirst);
      view.Minimise();
      // The window comes back whatever the save did.
      Guarded("saving the document", [&] {
        host.ForceSave();
        return true;
      });
      view.Restore();
      return false;
    }
    if (!f.ie) return true;
    if (auto failure = CheckIE(f)) return Refuse(failure, dialogs, view);
    if (!WriteChannelFile(Trim(f.ieFile), BuildIEChannelFile(f), dialogs)) return false;
    page += IEButton(MakeRelativePath(PathToFileURL(docName), Trim(f.ieFile)), config);
    return true;
  });
  if (ieDone == false) return false;

  const std::optional<bool> pcDone = Guarded("the PointCast channel", [&] {
    if (!f.pointCast) return true;
    if (auto failure = CheckPointCast(f)) return Refuse(failure, dialogs, view);
    if (!WriteChannelFile(Trim(f.pcFile), BuildPointCastChannelFile(f), dialogs)) return false;
    page += PointCastButton(MakeRelativePath(PathToFileURL(docName), Trim(f.pcFile)), config);
    return true;
  });
  if (pcDone == false) return false;

  const std::optional<bool> ncDone = Guarded("the Netcaster script", [&] {
    if (!f.netcaster) return true;
    if (auto failure = CheckNetcaster(f)) return Refuse(failure, dialogs, view);
    // The icon is taken relative to the document as it is named now.
    script = BuildNetcasterScript(f, PathToFileURL(Trim(host.CurrentDocName())), config);
    page += NetcasterButton(config);
    head = true;
    return true;
  });
  if (ncDone == false) return false;

  Guarded("inserting into the document", [&] {
    host.PutTextAtCursor(page);
    if (head) host.PutTextHead(script);
    return true;
  });
  return true;
}

}  // namespace tendrel::channel
