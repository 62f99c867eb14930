#include "rating/label.h"

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "host/host_calls.h"
#include "host/host_editor.h"
#include "platform/dialogs.h"
#include "rating/log.h"

namespace tendrel {

namespace {

// The label's content attribute is single-quoted.
std::string InAttribute(std::string_view s) { return ReplaceText(s, "'", "&#39;", true); }

}  // namespace

std::string BuildLabel(const Rating& rating, const std::string& serviceId) {
  std::string content = "(PICS-1.1 \"" + serviceId + "\" l";
  if (rating.siteType == SiteType::Directory) content += " gen true for \"" + Trim(rating.siteURL) + "\"";
  content += " by \"" + Trim(rating.userEmail) + "\"";
  content += " r (SS~~000 " + std::to_string(rating.levels[kAgeCategory]);
  for (int c = 1; c < kCategoryCount; ++c) {
    const int level = rating.levels[static_cast<size_t>(c)];
    if (level > 0) content.append(" ").append(TransmitName(c)).append(" ").append(std::to_string(level));
  }
  content += "))";
  return "<META http-equiv=\"PICS-Label\" content='" + InAttribute(content) + "'>";
}

std::string BuildLogoLink(const std::string& homePage) {
  return "<A HREF=\"" + homePage + "\"><IMG BORDER=0 SRC=\"ssurf.gif\"></A>";
}

std::string PrepareLogoFile() {
  const std::string path = JoinPath(AppDir(), kLogoFileName);
  if (!FileExists(path)) ExtractResourceToFile(path, kLogoFileName, "file");
  return path;
}

void InsertRatingLabel(HostEditor* host, UserDialogs& dialogs, const LabelInsertion& insertion) {
  try {
    if (!host) throw EHostError("Marquill could not be reached.");
    HostCalls calls(*host);
    if (LowerCase(calls.IsOpenDoc()) == "false") {
      dialogs.Error("There is no open file in Marquill. A new file will be created.");
      calls.OpenNewFile();
    }
    calls.PutTextHead(insertion.label);
    if (insertion.addImage) {
      calls.InsertBeforeSlashBodyTag(insertion.logoLink);
      while (calls.GetWorkDir().empty()) {
        dialogs.Error("The current document in Marquill is not saved. Press OK to save it.");
        if (insertion.forceSave) insertion.forceSave(*host);
        else calls.ForceSave();
      }
      const std::string logo = insertion.logoFile ? insertion.logoFile() : PrepareLogoFile();
      calls.CopyFiles(logo);
    }
  } catch (const std::exception& e) {
    // Whatever failed, the wizard closes; the host shows the document as it is.
    qCWarning(lcRating) << "the rating label was not inserted whole:" << e.what();
  } catch (...) {
    qCWarning(lcRating) << "the rating label was not inserted whole: an unknown failure";
  }
}

}  // namespace tendrel
