#include "channel/channel_text.h"

#include <cstdint>
#include <cstdio>

#include "common/text.h"

namespace tendrel::channel {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when the
// byte begins none (stray continuation, overlong form, surrogate, beyond
// U+10FFFF, cut short).
size_t Utf8Sequence(std::string_view s, size_t i, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  size_t n;
  char32_t c;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, c = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, c = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *cp = c;
  return n;
}

void AppendHex(std::string& out, const char* prefix, unsigned value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s%02X", prefix, value);
  out += buf;
}

std::string ImageTag(const std::string& src) {
  std::string s = "<IMG SRC=\"";
  s.append(EscapeHtmlAttribute(src)).append("\" alt=\"Add Channel\" border=0></A>");
  return s;
}

std::string LinkedImage(const std::string& comment, const std::string& href, const std::string& image) {
  std::string s = comment;
  s.append("\r\n<A HREF=\"").append(EscapeHtmlAttribute(href)).append("\">");
  s.append(ImageTag(image)).append("\r\n");
  return s;
}

}  // namespace

std::string EscapeCdf(std::string_view value, CdfPlace place) {
  const bool attribute = place == CdfPlace::Attribute;
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size();) {
    char32_t cp = 0;
    const size_t n = Utf8Sequence(value, i, &cp);
    if (n == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    switch (cp) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += attribute ? "&#10;" : "\n"; break;
      case '\t': out += attribute ? "&#9;" : "\t"; break;
      case 0xFFFE:
      case 0xFFFF: out += kReplacement; break;
      default:
        if (cp >= 0x20) out.append(value.substr(i, n));
        break;  // other control bytes have no place in XML
    }
    i += n;
  }
  return out;
}

std::string EscapeScriptString(std::string_view value, char quote) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const std::string_view rest = value.substr(i + 1);
    if (c == '\\' || c == quote) {
      out += '\\';
      out += c;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      AppendHex(out, "\\x", static_cast<unsigned char>(c));
    } else if (c == '\xE2' && rest.size() >= 2 && rest[0] == '\x80' && (rest[1] == '\xA8' || rest[1] == '\xA9')) {
      out += rest[1] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else if (c == '<' && rest.starts_with('/')) {
      out += "<\\/";
      ++i;
    } else if (c == '<' && (rest.starts_with("!--") || SameText(rest.substr(0, 6), "script"))) {
      out += "\\x3C";
    } else {
      out += c;
    }
  }
  return out;
}

std::string EscapeHtmlAttribute(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

std::string IEButton(const std::string& href, const PennantConfig& config) {
  return LinkedImage("<!--This Image links to the channel information file for Internet Explorer.-->", href,
                     config.IEButton());
}

std::string PointCastButton(const std::string& href, const PennantConfig& config) {
  return LinkedImage("<!--This Image links to the channel information file for pointcast.-->", href,
                     config.PointCastButton());
}

std::string NetcasterButton(const PennantConfig& config) {
  std::string s = "<!--Clicking this image will send your channel information to Netscape NetCaster.-->\r\n";
  s.append("<A HREF=\"\" onCLick=\"addMyChannel();return false\">").append(ImageTag(config.NetcasterButton()));
  s.append("\r\n");
  return s;
}

bool MissingAddress(std::string_view text) {
  const std::string t = Trim(text);
  return t.empty() || t == "http://";
}

}  // namespace tendrel::channel
