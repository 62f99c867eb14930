#include "rating/form_body.h"

#include "common/text.h"

namespace tendrel {

namespace {

constexpr size_t kEncodeBuffer = 255;  // the result and its terminator must fit
constexpr char kHex[] = "0123456789ABCDEF";

bool Escaped(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return true;
  switch (c) {
    case '"': case '<': case '>': case '[': case '\\': case ']': case '^':
    case '`': case '{': case '}': case '~': case '|':
    case '&': case '=': case '+': case '#': case '%':
      return true;
    default:
      return false;
  }
}

void AppendEscape(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

// The level, a full stop, the given blanks and the level's name.
std::string LevelText(int category, int level, const char* afterStop) {
  return std::to_string(level) + "." + afterStop + CategoryLevelName(category, level);
}

}  // namespace

std::optional<std::string> EncodeFormValue(std::string_view value) {
  if (value.empty()) return std::nullopt;
  std::string out;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (Escaped(c)) AppendEscape(out, c);
    else out += ch;
    if (out.size() >= kEncodeBuffer) return std::nullopt;
  }
  return out;
}

std::string PercentEncode(std::string_view text) {
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) out += ch;
    else AppendEscape(out, c);
  }
  return out;
}

std::string BuildFormBody(const Rating& r, const std::string& homePage,
                          const std::function<void()>& onEncodeError) {
  auto encode = [&](std::string_view v) -> std::string {
    if (v.empty()) return {};  // an empty field is sent empty, which is no failure
    if (auto e = EncodeFormValue(v)) return *e;
    if (onEncodeError) onEncodeError();
    return {};
  };
  std::string body = "RETURN_NAME=Go+to+SafeSurf+Homepage";
  body += "&RETURN_URL=" + PercentEncode(homePage);
  body += "&02_Rating=" + encode(r.siteTypeText);
  body += "&01_Site=" + encode(r.siteURL);
  body += "&03_Title=" + encode(r.siteTitle);
  body += "&Email_Address=" + encode(r.userEmail);
  body += "&Email_Name=" + encode(r.userName);
  body += std::string(CategoryAt(kAgeCategory).formName) +
          encode(LevelText(kAgeCategory, r.levels[kAgeCategory], "  "));
  for (int c = 1; c < kCategoryCount; ++c) {
    const int level = r.levels[static_cast<size_t>(c)];
    body += CategoryAt(c).formName;
    body += level == 0 ? std::string("--+Does+not+contain+this+theme+--") : encode(LevelText(c, level, "  "));
  }
  return body;
}

std::string MemoFirstLine(const std::string& email) {
  return "Please send the text below by e-mail to SafeSurf at " + email + " to register your rating.";
}

std::vector<std::string> BuildReport(const Rating& r) {
  std::vector<std::string> lines = {
      "My name is " + r.userName + " and I've rated my site with the Kestrel.",
      "",
      "My site details are:",
      "\tRating type: " + r.siteTypeText,
      "\tSite Name: " + r.siteTitle,
      "\tSite URL: " + r.siteURL,
      "",
      "My ratings are:",
      std::string(CategoryAt(kAgeCategory).reportCaption) + LevelText(kAgeCategory, r.levels[kAgeCategory], " "),
  };
  for (int c = 1; c < kCategoryCount; ++c) {
    const int level = r.levels[static_cast<size_t>(c)];
    if (level > 0) lines.push_back(std::string(CategoryAt(c).reportCaption) + LevelText(c, level, " "));
  }
  lines.push_back("");
  lines.push_back(std::string(34, '_'));
  return lines;
}

std::string JoinLinesCRLF(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::string CheckSubmitFields(const std::string& name, const std::string& email) {
  if (name.empty()) return "Please enter your name.";
  if (email.empty()) return "Please enter your email address.";
  if (email.find('@') == std::string::npos || Trim(email).find(' ') != std::string::npos)
    return "Please enter a valid email address.";
  return {};
}

}  // namespace tendrel
