#include "seller/preview/preview_maker.h"

#include <utility>

#include "common/paths.h"
#include "common/text.h"
#include "platform/image/image_file.h"
#include "seller/preview/preview_tiling.h"

namespace tendrel {

namespace {

constexpr char kOptions[] = "Options";
constexpr char kDirectories[] = "Directories";
constexpr char kLastPreview[] = "Last Preview";
constexpr char kPreviewSave[] = "Preview Save";
constexpr char kJpegQuality[] = "JPEG Quality";

// The extension of the file name part, without its dot; "" when there is none.
std::string ExtensionOf(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

PreviewFormat PreviewFormatForName(std::string_view name) {
  if (PosCI(".gif", name) != 0) return PreviewFormat::Gif;
  if (PosCI(".jpg", name) != 0 || PosCI(".jpeg", name) != 0) return PreviewFormat::Jpeg;
  return PreviewFormat::None;
}

FileDialogRequest PreviewSaveRequest(const std::string& imagePath, const std::string& saveDir) {
  FileDialogRequest req;
  req.caption = kPreviewSaveCaption;
  req.defaultExt = ExtensionOf(imagePath);
  const bool gif = req.defaultExt.size() == 3 && PosCI("gif", req.defaultExt) == 1;
  // A name typed without an ending gets the product's own when a preview
  // can be written in it, else ".jpg": a PNG's ending would be refused.
  if (PreviewFormatForName("." + req.defaultExt) == PreviewFormat::None) req.defaultExt = "jpg";
  req.filter = gif ? kPreviewGifFilter : kPreviewJpegFilter;
  req.filterIndex = 1;
  req.initialDir = saveDir;
  req.confirmOverwrite = true;
  return req;
}

PreviewMaker::PreviewMaker(SettingsStore& settings, UserDialogs& dialogs, QImage tile)
    : settings_(settings), dialogs_(dialogs), tile_(std::move(tile)) {}

void PreviewMaker::Tell(const std::string& text, MsgIcon icon) {
  dialogs_.Message(text, kPreviewMessageCaption, icon, MsgButtons::Ok);
}

PreviewMaker::Shown PreviewMaker::ShowPreview(const std::string& path) {
  if (!path.empty()) {
    // Read fully before touching anything: a picture that cannot be read
    // leaves the maker exactly as it was.
    Busy(true);
    ImageRead read = ReadImageFile(path);
    Busy(false);
    if (!read.ok()) {
      Tell(read.error.empty() ? "Unable to read " + path : read.error, MsgIcon::Error);
      return Shown::Unreadable;
    }
    original_ = std::move(read.image);
    working_ = original_;
    imagePath_ = path;
  }
  return Retile() ? Shown::Tiled : Shown::TooSmall;
}

bool PreviewMaker::Retile() {
  // Working pictures are true colour, so the tile's palette needs no mapping.
  if (!TileFits(original_.size(), tile_.size())) {
    Tell(kPreviewTooSmall, MsgIcon::Warning);
    return false;
  }
  Busy(true);
  ApplyTiling(working_, original_, tile_, spacing_);
  Busy(false);
  return true;
}

bool PreviewMaker::ReduceSpacing() {
  if (spacing_ > kTightestSpacing) --spacing_;
  return Retile();
}

bool PreviewMaker::RestoreSpacing() {
  spacing_ = kWidestSpacing;
  return Retile();
}

bool PreviewMaker::Save() {
  const FileDialogRequest req =
      PreviewSaveRequest(imagePath_, settings_.ReadText(kDirectories, kPreviewSave, ""));
  const std::optional<std::string> name = dialogs_.SaveFile(req);
  if (!name || name->empty()) return false;

  const PreviewFormat format = PreviewFormatForName(*name);
  if (format == PreviewFormat::None) {
    // Nothing would be written, so the name must not be handed back.
    Tell(kPreviewBadName, MsgIcon::Warning);
    return false;
  }
  Busy(true);
  const std::string error =
      format == PreviewFormat::Gif
          ? WriteGif(working_, *name)
          : WriteJpeg(working_, *name,
                      settings_.ReadInteger(kOptions, kJpegQuality, kDefaultJpegQuality));
  Busy(false);
  if (!error.empty()) {
    Tell(error, MsgIcon::Error);
    return false;
  }
  settings_.WriteText(kOptions, kLastPreview, *name);
  settings_.WriteText(kDirectories, kPreviewSave, ExtractFileDir(*name));
  saved_ = true;
  return true;
}

bool PreviewMaker::MayClose() {
  if (saved_ || !settings_.ReadText(kOptions, kLastPreview, "").empty()) return true;
  return dialogs_.ConfirmYesNo(kPreviewCloseUnsaved, kPreviewMessageCaption);
}

}  // namespace tendrel
