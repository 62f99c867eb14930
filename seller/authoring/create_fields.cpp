#include "seller/authoring/create_fields.h"

#include <cstdlib>

#include "common/paths.h"
#include "common/text.h"
#include "seller/authoring/applet.h"
#include "seller/core/settings.h"

namespace tendrel {

namespace {

const KindSetup kKinds[] = {
    {ContentKind::Text, "text/plain", "textwizard", "Text Files|*.txt|All Files|*.*", "a text", "Tillon Text"},
    {ContentKind::Image, "image/gif", "imagewizard", "gif,jpg|*.gif;*.jpg|All Files|*.*", "an image",
     "Tillon Image"},
    {ContentKind::Html, "text/html", "linkwizard", "HTML Files (*.htm,*.html)|*.htm;*.html|All Files|*.*",
     "an HTML", "Tillon HTML"},
};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

long long IntegerOf(const std::string& text) { return IsInteger(text) ? std::atoll(text.c_str()) : 0; }

}  // namespace

std::optional<KindSetup> KindForTag(int tag) {
  if (tag < 0 || tag > 2) return std::nullopt;
  return kKinds[tag];
}

ContentKind KindOfMediaType(const std::string& mediaType) {
  const std::string m = Lower(mediaType);
  if (m == "text/plain") return ContentKind::Text;
  if (m == "text/html") return ContentKind::Html;
  // Every image type: a product once shown as a PNG is still an image.
  if (m.rfind("image/", 0) == 0) return ContentKind::Image;
  return ContentKind::None;
}

std::optional<KindSetup> SetupOf(ContentKind kind) {
  for (const KindSetup& k : kKinds)
    if (k.kind == kind) return k;
  return std::nullopt;
}

std::string ChooseFileCaption(const KindSetup& kind) {
  std::string out;
  const std::string hint = kChooseFileHint;
  const std::string lower = Lower(hint);
  size_t from = 0;
  for (size_t at; (at = lower.find("<type>", from)) != std::string::npos; from = at + 6) {
    out.append(hint, from, at - from);
    out += kind.typeWord;
  }
  out.append(hint, from, std::string::npos);
  return out;
}

std::string ImageMediaType(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  const std::string type = "image/" + (dot == std::string::npos ? std::string() : name.substr(dot + 1));
  return type == "image/jpg" ? "image/jpeg" : type;
}

std::optional<PageProblem> CheckFilePage(const CreateFields& f) {
  if (f.file.empty()) return PageProblem{kBrowseForFile, CreateField::File};
  return std::nullopt;
}

std::optional<PageProblem> CheckLayoutPage(CreateFields& f) {
  if (f.width.empty()) return PageProblem{kNeedWidth, CreateField::Width};
  if (f.height.empty()) return PageProblem{kNeedHeight, CreateField::Height};
  if (IntegerOf(f.width) < kMinWidth) {
    f.width = std::to_string(kMinWidth);
    return PageProblem{kWidthTooSmall, CreateField::Width};
  }
  if (IntegerOf(f.height) < kMinHeight) {
    f.height = std::to_string(kMinHeight);
    return PageProblem{kHeightTooSmall, CreateField::Height};
  }
  return std::nullopt;
}

std::optional<PageProblem> CheckNamePage(const CreateFields& f) {
  if (f.name.empty()) return PageProblem{kNeedName, CreateField::Name};
  if (IsInteger(f.name)) return PageProblem{kNumericName, CreateField::Name};
  if (f.cost.empty()) return PageProblem{kNeedCost, CreateField::Cost};
  return std::nullopt;
}

std::string CostAfterExit(const std::string& cost) {
  if (!IsInteger(cost)) return cost;
  return std::to_string(std::llabs(std::atoll(cost.c_str())));
}

std::string SizeOrDefault(const std::string& size) { return IntegerOf(size) == 0 ? "400" : size; }

void CopyFieldsToRecord(const CreateFields& f, const SettingsStore& settings, TApplet& record) {
  record.ProductName = f.name;
  record.Description = f.description;
  record.ProductID = f.productId;
  record.Width = f.width;
  record.Height = f.height;
  record.Cost = f.cost;
  record.VendorID = settings.ReadText("Vendor", "ID", "GUEST");
  record.PreviewURL = f.previewUrl;
  record.UseFrame = f.useFrame;
  record.SourceFile = f.file;
}

CreateFields FieldsFromRecord(const TApplet& record) {
  CreateFields f;
  f.name = record.ProductName;
  f.description = record.Description;
  f.productId = record.ProductID;
  f.cost = record.Cost;
  f.previewUrl = record.PreviewURL;
  f.useFrame = record.UseFrame;
  f.width = record.Width;
  f.height = record.Height;
  f.file = record.SourceFile;
  return f;
}

std::string UnreadableImageMessage() {
  return std::string(
             "A problem occurred while trying to display this file.  The file may have been a \"Progressive JPEG\" "
             "encoded image, which Bravant does not yet ") +
         "display.  The Tillon Salebox cannot display this format either, so please change the format of this "
         "file to Standard JPEG encoding. " +
         "This can be done with many different image manipulation programs that can be found on the World Wide "
         "Web. " +
         " Future versions of Bravant and Tillon will handle this image format.";
}

std::string UnreadableTextMessage(const std::string& path) {
  return "Unable to show preview of " + path +
         ".  File may be too large to show in preview window, but you may continue with the Applet Wizard as "
         "normal.";
}

}  // namespace tendrel
