// The two channel files and the page's buttons.
#include "channel/channel_text.h"
#include "channel/generate_channels.h"
#include "common/paths.h"
#include "common/text.h"

namespace tendrel::channel {

namespace {

// The trimmed title, or the trimmed channel URL when there is no title.
std::string ChannelTitle(const ChannelFields& f) {
  std::string title = Trim(f.title);
  return title.empty() ? Trim(f.url) : title;
}

// A logo taken relative to the IE channel file as typed; the file's own
// references use "/" throughout.
std::string LogoReference(const ChannelFields& f, const std::string& logo) {
  std::string ref = MakeRelativePath(f.ieFile, Trim(logo));
  for (char& c : ref)
    if (c == '\\') c = '/';
  return ref;
}

std::string Attr(std::string_view v) { return EscapeCdf(v, CdfPlace::Attribute); }

// One attribute line of the PointCast file: tabs, name = "value", CR LF.
void PcLine(std::string& out, const char* indent, const char* name, std::string_view value) {
  out.append(indent).append(name).append(" = \"").append(Attr(value)).append("\"\r\n");
}

}  // namespace

std::string BuildIEChannelFile(const ChannelFields& f) {
  std::string s = "<CHANNEL\r\n";
  s.append("\tHREF=\"").append(Attr(Trim(f.url))).append("\" >\r\n\r\n");
  s.append("\t<TITLE>").append(EscapeCdf(ChannelTitle(f), CdfPlace::Text)).append("</TITLE>\r\n");
  s.append("\t<LOGO HREF=\"").append(Attr(LogoReference(f, f.ieIcon))).append("\" STYLE=\"icon\" />\r\n");
  s.append("\t<LOGO HREF=\"").append(Attr(LogoReference(f, f.iePicture))).append("\" STYLE=\"image\" />\r\n");
  s.append("</CHANNEL>");
  return s;
}

std::string BuildPointCastChannelFile(const ChannelFields& f) {
  std::string s = "<CHANNEL\r\n";
  PcLine(s, "\t", "Title", ChannelTitle(f));
  if (!Trim(f.description).empty()) PcLine(s, "\t", "Abstract", f.description);
  PcLine(s, "\t", "SELF", Trim(f.pcSelf));
  PcLine(s, "\t", "ContentID", "0");
  PcLine(s, "\t", "Ratings", "(No Rating)");
  PcLine(s, "\t", "Frequency", Trim(f.pcHours).empty() ? std::string("24") : f.pcHours);
  PcLine(s, "\t", "Authenticate", "No");
  s.append("\t>\r\n\t<ITEM\r\n");
  // The item's title keeps the field's spaces.
  PcLine(s, "\t\t", "Title", Trim(f.title).empty() ? f.url : f.title);
  PcLine(s, "\t\t", "HREF", Trim(f.url));
  s.append("\t\tType = \"HTML\"\r\n");
  PcLine(s, "\t\t", "Show", "Channel");
  PcLine(s, "\t\t", "Precache", "Yes");
  PcLine(s, "\t\t", "Authenticate", "No");
  s.append("\t</ITEM>\r\n</CHANNEL>\r\n");
  return s;
}

std::string BuildButtons(const ChannelFields& f, const std::string& docFileURL, const PennantConfig& config) {
  std::string s;
  if (f.ie) s += IEButton(MakeRelativePath(docFileURL, Trim(f.ieFile)), config);
  if (f.pointCast) s += PointCastButton(MakeRelativePath(docFileURL, Trim(f.pcFile)), config);
  if (f.netcaster) s += NetcasterButton(config);
  return s;
}

}  // namespace tendrel::channel
