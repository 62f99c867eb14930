#pragma once
// The Create wizard without its widgets: the three kinds of content and what
// each sets up, the rules a page must pass before it is left, and the copy
// between the wizard's fields and the product record.
#include <optional>
#include <string>

namespace tendrel {

class SettingsStore;
class TApplet;

enum class ContentKind { None, Text, Image, Html };

// What choosing a kind sets up on the file page.
struct KindSetup {
  ContentKind kind;
  const char* mediaType;    // the record's MediaType until a file says more
  const char* picture;      // the wizard picture beside every page
  const char* filter;       // the open dialog's filter
  const char* typeWord;     // what "<type>" becomes in the file page's hint
  const char* folderValue;  // the remembered folder, section "Directories"
};

// The set-up of a kind button's tag (0 text, 1 image, 2 HTML); nothing else
// has one.
std::optional<KindSetup> KindForTag(int tag);
// The kind a record's MediaType selects, without regard to case: text/plain,
// text/html and every image type; ContentKind::None for anything else.
ContentKind KindOfMediaType(const std::string& mediaType);
std::optional<KindSetup> SetupOf(ContentKind kind);

// The file page's hint with every "<type>" (any case) replaced.
inline constexpr char kChooseFileHint[] = "Choose <type> file that you wish to sell using Tillon";
std::string ChooseFileCaption(const KindSetup& kind);

// "image/" and the file's extension as spelled; "image/jpg" exactly becomes
// "image/jpeg".
std::string ImageMediaType(const std::string& path);

// The applet's size proposed for an image: its own, but at least 200 wide
// and 300 high (room for the "Buy" dialog).
inline constexpr int kMinWidth = 200;
inline constexpr int kMinHeight = 300;

// The wizard's fields as they stand on its pages.
struct CreateFields {
  std::string file;
  std::string width = "0";
  std::string height = "0";
  bool useFrame = false;
  std::string name;
  std::string description;
  std::string cost = "0";
  std::string previewUrl;
  std::string productId;  // carried through unchanged
};

// A page's check: the message and the field to focus, or nothing when the
// page may be left. The layout check may correct the fields it is given.
enum class CreateField { None, File, Width, Height, Name, Cost };
struct PageProblem {
  std::string message;
  CreateField field = CreateField::None;
};
std::optional<PageProblem> CheckFilePage(const CreateFields& f);
std::optional<PageProblem> CheckLayoutPage(CreateFields& f);
std::optional<PageProblem> CheckNamePage(const CreateFields& f);

// The cost as it stands after its field is left: the absolute value of an
// integer; any other text as it was.
std::string CostAfterExit(const std::string& cost);

// A width or height whose integer value is 0 (or that is no number) becomes
// "400" once a file is shown.
std::string SizeOrDefault(const std::string& size);

// The copy of the pages into the record (Finish, and on entering Publish or
// Output); the vendor is the stored one, "GUEST" without one. MediaType is
// the wizard's already.
void CopyFieldsToRecord(const CreateFields& f, const SettingsStore& settings, TApplet& record);
// The record's fields for the pages.
CreateFields FieldsFromRecord(const TApplet& record);

// The wizard's texts.
inline constexpr char kChooseKindPrompt[] =
    "Please indicate what type of file you wish to sell by clicking one of the buttons on the left.";
inline constexpr char kClearQuestion[] =
    "You have already entered information into the Salebox Wizard.  Are you sure you want to clear it and "
    "start again ?";
inline constexpr char kHtmlWarning[] =
    "Buyers will be able to save or print this web page as normal.  This means they can keep what they "
    "purchase.";
inline constexpr char kBrowseForFile[] = "Please use the \"Browse\" button to find a file you want to sell.";
inline constexpr char kNeedWidth[] = "You must enter a Width for the applet";
inline constexpr char kNeedHeight[] = "You must enter a Height for the applet";
inline constexpr char kWidthTooSmall[] =
    "The width must be at least 200 pixels to be large enough to show the Tillon \"Buy\" dialog.";
inline constexpr char kHeightTooSmall[] =
    "The height must be at least 300 pixels to be large enough to show the Tillon \"Buy\" dialog.";
inline constexpr char kNeedName[] = "Please enter a name.";
inline constexpr char kNumericName[] = "The Name of the product must not be numeric.";
inline constexpr char kNeedCost[] = "Please enter a cost for this product.";
inline constexpr char kPreviewFilter[] = "GIF,JPEG (*.gif,*.jpg,*.jpeg)|*.gif;*.jpg;*.jpeg|All Files|*.*";
inline constexpr char kChooseImageFirst[] = "Please choose a file on the 'Image Info' tab before creating a preview.";
inline constexpr char kImageHeading[] =
    "The preview file will be displayed in the applet window.  It should be used as a 'teaser' to entice the "
    "viewer to purchase the item.  The buttons below will allow you to either create a partially masked image or "
    "browse to your own preview image.";
inline constexpr char kOtherHeading[] =
    "The preview file will be displayed in the applet window.  It should be used as a 'teaser' to entice the "
    "viewer to purchase the item.  Use the 'Browse' button below to select a graphic file you wish to use as a "
    "preview image for this Salebox.";
// Shown when an image cannot be read (four pieces, joined as they are).
std::string UnreadableImageMessage();
std::string UnreadableTextMessage(const std::string& path);

}  // namespace tendrel
