#include "common/paths.h"

#include <algorithm>

#include "common/text.h"

namespace tendrel {

namespace {

constexpr size_t kUrlBufferSize = 1000;  // the result and its terminator must fit

inline bool IsSep(char c) { return c == '/' || c == '\\'; }

inline bool IsDriveForm(std::string_view s) {
  return s.size() >= 2 && (s[1] == ':' || s[1] == '|');
}

std::string Replaced(std::string_view s, char from, char to) {
  std::string out(s);
  std::replace(out.begin(), out.end(), from, to);
  return out;
}

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Whether byte c is %-escaped; valueMode adds the characters that carry
// meaning inside a query or form body.
bool NeedsEscape(unsigned char c, bool valueMode) {
  if (c <= 0x20 || c >= 0x7F) return true;
  switch (c) {
    case '"': case '<': case '>': case '[': case '\\': case ']': case '^':
    case '`': case '{': case '}': case '~': case '|':
      return true;
    case '&': case '=': case '+': case '#': case '%':
      return valueMode;
    default:
      return false;
  }
}

std::string Escape(std::string_view text, bool valueMode) {
  if (text.empty()) return {};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(std::min(text.size() * 3, kUrlBufferSize));
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch == '\'' ? '`' : ch);
    if (NeedsEscape(c, valueMode)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += static_cast<char>(c);
    }
    if (out.size() >= kUrlBufferSize) return {};
  }
  return out;
}

// The folder part of dir (which ends in sep) without its last component; a
// root ("/" or "C:\") or an empty folder stays as it is.
std::string ParentDir(const std::string& dir, char sep) {
  if (dir.empty()) return dir;
  std::string_view d = dir;
  if (d.back() == sep) d.remove_suffix(1);
  if (d.empty() || (d.size() == 2 && d[1] == ':')) return dir;
  const size_t k = d.rfind(sep);
  return k == std::string_view::npos ? std::string() : std::string(d.substr(0, k + 1));
}

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  const char sep = dir.find('\\') != std::string_view::npos ? '\\' : '/';
  if (IsSep(dir.back())) dir.remove_suffix(1);
  if (!name.empty() && IsSep(name.front())) name.remove_prefix(1);
  std::string out;
  out.reserve(dir.size() + 1 + name.size());
  out.append(dir);
  out += sep;
  out.append(name);
  return out;
}

std::string CanonicalizeURL(std::string_view url) { return Escape(url, false); }

std::string EscapeURLValue(std::string_view value) { return Escape(value, true); }

bool IsLocalPath(std::string_view text) {
  if (text.find("//") != std::string_view::npos) return false;
  return text.find(':') != std::string_view::npos || (!text.empty() && text.front() == '/');
}

std::string PathToFileURL(std::string_view path) {
  if (!IsLocalPath(path)) return std::string(path);
  if (path.front() == '/') return "file://" + std::string(path);
  const std::string p = Replaced(path, '\\', '/');
  std::string out = "file:///";
  out += p[0];
  out += '|';
  if (p.size() > 2) out.append(p, 2);
  return out;
}

std::string FileURLToPath(std::string_view url) {
  const std::string s = StripQuotes(url);
  const size_t k = s.find("///");
  const std::string rest = k == std::string::npos ? s : s.substr(k + 3);
  if (IsDriveForm(rest)) return Replaced(Replaced(rest, '/', '\\'), '|', ':');
  if (k != std::string::npos) return "/" + rest;
  return rest;
}

std::string ResolveRelativePath(std::string_view baseFile, std::string_view relative) {
  const bool windows =
      baseFile.find('\\') != std::string_view::npos || (baseFile.size() >= 2 && baseFile[1] == ':');
  const char sep = windows ? '\\' : '/';
  const std::string rel = StripQuotes(Replaced(relative, windows ? '/' : '\\', sep));
  if (rel.size() >= 2 && rel[1] == ':') return rel;
  if (!windows && !rel.empty() && rel.front() == '/') return rel;

  const size_t b = baseFile.rfind(sep);
  std::string baseDir = b == std::string_view::npos ? std::string() : std::string(baseFile.substr(0, b + 1));
  const size_t r = rel.rfind(sep);
  std::string relDir = r == std::string::npos ? std::string() : rel.substr(0, r + 1);
  const std::string fileName = r == std::string::npos ? rel : rel.substr(r + 1);

  const std::string up = std::string("..") + sep;
  size_t skip = 0;  // consumed "..\" prefixes of relDir
  while (relDir.compare(skip, up.size(), up) == 0) {
    skip += up.size();
    baseDir = ParentDir(baseDir, sep);
  }
  return JoinPath(baseDir, JoinPath(std::string_view(relDir).substr(skip), fileName));
}

std::string MakeRelativePath(std::string_view baseFile, std::string_view target) {
  if (baseFile.empty()) return std::string(target);
  if (target.empty()) return {};
  std::string base(baseFile);
  if (IsSep(base.back())) base = JoinPath(base, "dummy.dum");

  const bool slash = base.find('/') != std::string::npos;
  const char sep = slash ? '/' : '\\';
  base = Replaced(base, slash ? '\\' : '/', sep);
  const std::string tgt = Replaced(target, slash ? '\\' : '/', sep);
  if (base.size() < 2 || tgt.size() < 2 || !SameText(std::string_view(base).substr(0, 2),
                                                      std::string_view(tgt).substr(0, 2)))
    return std::string(target);

  // Cut the common leading folders from both, one separator at a time.
  size_t cut = 0;
  for (size_t i = 0; i < base.size() && i < tgt.size() && Lower(base[i]) == Lower(tgt[i]); ++i)
    if (base[i] == sep) cut = i + 1;

  std::string out;
  const size_t ups = static_cast<size_t>(std::count(base.begin() + static_cast<long>(cut), base.end(), sep));
  out.reserve(ups * 3 + tgt.size() - cut);
  for (size_t i = 0; i < ups; ++i) {
    out += "..";
    out += sep;
  }
  out.append(tgt, cut);
  return out;
}

std::string ExtractFileName(std::string_view path) {
  const size_t k = path.find_last_of("/\\");
  return std::string(k == std::string_view::npos ? path : path.substr(k + 1));
}

std::string ExtractFileDir(std::string_view path) {
  const size_t k = path.find_last_of("/\\");
  if (k == std::string_view::npos) return {};
  const bool root = k == 0 || (k == 2 && path[1] == ':');
  return std::string(path.substr(0, root ? k + 1 : k));
}

}  // namespace tendrel
