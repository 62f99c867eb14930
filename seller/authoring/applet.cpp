#include "seller/authoring/applet.h"

#include <string_view>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "host/document.h"
#include "platform/dialogs.h"
#include "seller/core/settings.h"

namespace tendrel {

namespace {

const char kCRLF[] = "\r\n";

// The parameter entries of a tag: each runs from "<param name=" through the
// next ">" (or the end of the text when none follows).
std::vector<std::string> ParamEntries(const std::string& tag) {
  static const std::string kStart = "<param name=";
  std::vector<std::string> entries;
  size_t offset = 0;
  while (true) {
    size_t at = PosFrom(kStart, tag, offset);
    if (at == 0) break;
    size_t begin = at - 1;
    size_t close = tag.find('>', begin + kStart.size());
    size_t end = close == std::string::npos ? tag.size() : close + 1;
    entries.push_back(tag.substr(begin, end - begin));
    offset = end;
  }
  return entries;
}

// The value of the first entry naming `name` directly after "name=", unquoted.
std::string ParamValue(const std::vector<std::string>& entries, const std::string& name) {
  const std::string key = "name=" + LowerCase(name);
  for (const auto& e : entries)
    if (LowerCase(e).find(key) != std::string::npos) return GetTagAttribute(e, "value");
  return {};
}

// A double quote or ">" in a quoted value would end the value, or the tag,
// early: they are written as the entities &quot; and &gt;, and read back as
// the characters. Text without either entity reads as it always did.
std::string ToTagValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '"')
      out += "&quot;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::string FromTagValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value.compare(i, 6, "&quot;") == 0) {
      out += '"';
      i += 5;
    } else if (value.compare(i, 4, "&gt;") == 0) {
      out += '>';
      i += 3;
    } else {
      out += value[i];
    }
  }
  return out;
}

}  // namespace

void TApplet::Clear() {
  ProductName.clear();
  VendorID.clear();
  VendorPassword.clear();
  ProductID.clear();
  Description.clear();
  UploadState.clear();
  PreviewURL.clear();
  MediaType.clear();
  Cost.clear();
  Width.clear();
  ClassLocation.clear();
  Height.clear();
  EncodedFile.clear();
  Key.Length = 0;
  SourceFile.clear();
  UseFrame = false;
  DocPosition = 0;
  DocLength = 0;
  AppletName.clear();
}

std::string TApplet::ClassLocationSetting() const {
  return settings_ ? settings_->ReadText("Options", "Class Location", "classes/") : "classes/";
}

std::string TApplet::BuildTag() {
  if (ClassLocation.empty()) ClassLocation = ClassLocationSetting();

  std::string tag = "<applet name=" + AddQuotes(AppletName) + " codebase=" +
                    AddQuotes(ClassLocation) + " code=\"VendorApplet\"" + " width=" + Width +
                    " height=" + Height + " MAYSCRIPT>" + kCRLF +
                    "<!-- Please do not alter the following applet code directly.  Use the "
                    "Bravant Omnikit to make changes and submit them to the Tillon database. -->";
  auto param = [&tag](const std::string& name, const std::string& value) {
    tag += kCRLF;
    tag += "<param name=" + name + " value=" + value + ">";
  };
  param("cabbase", "salebox.cab");
  param("productID", AddQuotes(ProductID));
  if (!ProductName.empty()) param("saleboxname", AddQuotes(ToTagValue(Trim(ProductName))));
  param("vendorID", VendorID);
  param("cost", Cost);
  if (!Description.empty()) param("description", AddQuotes(ToTagValue(Trim(Description))));
  if (!PreviewURL.empty()) param("previewURL", AddQuotes(ToTagValue(PreviewURL)));
  param("mediaType", MediaType);
  param("sourcefile", AddQuotes(ToTagValue(SourceFile)));
  param("doUseFrame", UseFrame ? "true" : "false");
  tag += kCRLF;
  tag +=
      "The Tillon Salebox requires a Java-capable browser such as Netscape Navigator 3.0, or "
      "Internet Explorer 3.01 or later.";
  tag += kCRLF;
  tag += "</applet>";
  return tag;
}

bool TApplet::StoreApplet(const std::string& tag, int32_t offset) {
  if (PosCI("code=\"VendorApplet\"", tag) == 0) return false;

  Width = GetTagAttribute(tag, "width");
  Height = GetTagAttribute(tag, "height");
  const auto entries = ParamEntries(tag);
  SourceFile = FromTagValue(ParamValue(entries, "sourcefile"));
  DocPosition = offset;
  DocLength = static_cast<int32_t>(tag.size());
  ProductName = FromTagValue(ParamValue(entries, "saleboxname"));
  Description = FromTagValue(ParamValue(entries, "description"));
  ClassLocation = ClassLocationSetting();
  ProductID = ParamValue(entries, "productid");
  Cost = ParamValue(entries, "cost");
  PreviewURL = FromTagValue(ParamValue(entries, "previewurl"));
  MediaType = ReplaceText(ParamValue(entries, "mediatype"), "jpg", "jpeg", false);
  VendorID = ParamValue(entries, "vendorid");
  UseFrame = ParamValue(entries, "douseframe") == "true";
  return true;
}

bool TApplet::UpdateInDocument() {
  DocReplaceRange(host_, DocPosition, DocLength, BuildTag());
  return true;
}

std::string TApplet::BuildRegistrationURL(const std::string& location, bool isFullURL) {
  if (settings_) {
    VendorID = settings_->ReadText("Vendor", "ID", "");
    VendorPassword = EncodePassword(settings_->ReadText("Vendor", "Password", ""), "DEC");
  }
  const std::string productURL =
      isFullURL ? location : JoinPath(location, ExtractFileName(EncodedFile));

  std::string url = "/vendor/VendorProductReplace.html";
  url += "?vendor_id=" + VendorID;
  url += "&vendor_password=" + EscapeURLValue(VendorPassword);
  url += "&product_id=" + ProductID;
  url += "&product_name=" + EscapeURLValue(ProductName);
  url += "&product_description=" + EscapeURLValue(Description);
  url += "&product_price=" + Cost;
  url += "&product_url=" + EscapeURLValue(productURL);
  url += "&product_mime_type=" + EscapeURLValue(MediaType);
  if (Key.Length > 0) url += "&product_key=" + EscapeURLValue(TTillonCipher::KeyToHex(Key));
  // The password is needed only inside the request; don't keep it about.
  VendorPassword.clear();
  return url;
}

void TApplet::EncodeFile(TTillonCipher& cipher) {
  if (!FileExists(SourceFile)) {
    if (dialogs_)
      dialogs_->Message("Cannot find source file : " + SourceFile, "Bravant", MsgIcon::Error,
                        MsgButtons::Ok);
    return;
  }
  std::string target = EncodedFileName(SourceFile);
  if (target == SourceFile) return;
  target = FreeEncodedFileName(target);
  cipher.EncodeFile(SourceFile, target);
  EncodedFile = target;
}

std::string TApplet::BuildPreviewURL(int productNumber, const std::string& hexKey) const {
  const std::string n = std::to_string(productNumber);
  return "<param name=\"product" + n + "\" value=\"salebox" + n + ";" + VendorID + ";" + Cost +
         ";" + ExtractFileName(EncodedFile) + ";" + hexKey + "\">";
}

}  // namespace tendrel
