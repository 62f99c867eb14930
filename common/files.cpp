#include "common/files.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/paths.h"
#include "common/text.h"
#include "platform/dialogs.h"

namespace tendrel {

namespace fs = std::filesystem;

namespace {

// File names are bytes; Qt must see them exactly as the system will.
QString QtName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

fs::path FsPath(const std::string& dir) { return fs::path(dir.empty() ? "." : dir); }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::string la = LowerCase(a), lb = LowerCase(b);
  return la != lb ? la < lb : a < b;
}

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// '*' any run, '?' any one byte, ignoring case. Iterative, with one backtrack
// point, so a hostile mask cannot make it exponential.
bool WildMatch(std::string_view pat, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pat.size() && (pat[p] == '?' || Lower(pat[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

// As the Windows shell: a trailing ".*" also matches names without a dot, so
// "*.*" takes every file.
bool MaskMatch(std::string_view pat, std::string_view name) {
  if (WildMatch(pat, name)) return true;
  return pat.size() >= 2 && pat.substr(pat.size() - 2) == ".*" &&
         WildMatch(pat.substr(0, pat.size() - 2), name);
}

std::string Extension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

void ListFilesIn(const std::string& dir, const std::string& pattern, const std::string& ext,
                 std::vector<std::string>& list) {
  std::error_code ec;
  fs::directory_iterator it(FsPath(dir), ec);
  if (ec) return;
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code sec;
    if (!it->is_regular_file(sec)) continue;
    std::string name = it->path().filename().string();
    if (!MaskMatch(pattern, name)) continue;
    if (!ext.empty() && !SameText(Extension(name), ext)) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  for (const auto& n : names) list.push_back(JoinPath(dir, n));
}

std::vector<std::string> SubdirectoryNames(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(FsPath(dir), ec);
  if (ec) return names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code sec;
    const fs::file_status st = it->symlink_status(sec);
    if (!sec && fs::is_directory(st)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

// errno of the failure just seen, or EIO when the library left none.
int FailureCode() { return errno != 0 ? errno : EIO; }

void WriteWhole(const std::string& fileName, const char* data, size_t size) {
  QSaveFile file(QtName(fileName));
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) {
    const int code = FailureCode();
    throw FileError("Cannot create " + fileName + ": " + file.errorString().toStdString(), code);
  }
  errno = 0;
  if (file.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) {
    const int code = FailureCode();
    const std::string why = file.errorString().toStdString();
    file.cancelWriting();
    throw FileError("Cannot write " + fileName + ": " + why, code);
  }
  errno = 0;
  if (!file.commit()) {
    const int code = FailureCode();
    throw FileError("Cannot write " + fileName + ": " + file.errorString().toStdString(), code);
  }
}

}  // namespace

void ListFiles(const std::string& mask, std::vector<std::string>& list, bool recurse) {
  const size_t k = mask.find_last_of("/\\");
  // The folder keeps its separator so that a mask in the root ("/*.htm") still
  // names the root; JoinPath drops it again.
  const std::string dir = k == std::string::npos ? std::string() : mask.substr(0, k + 1);
  const std::string pattern = k == std::string::npos ? mask : mask.substr(k + 1);
  if (pattern.empty()) return;
  std::string ext = Extension(pattern);
  if (ext.find_first_of("*?") != std::string::npos) ext.clear();

  std::vector<std::string> dirs{dir};
  if (recurse) AddSubdirectories(dir, dirs);
  for (const auto& d : dirs) ListFilesIn(d, pattern, ext, list);
}

void AddSubdirectories(const std::string& dir, std::vector<std::string>& list) {
  // Depth first without recursion: a stack of folders still to visit, pushed
  // in reverse so they come off in name order.
  std::vector<std::string> pending;
  auto pushChildren = [&pending](const std::string& d) {
    const auto names = SubdirectoryNames(d);
    for (auto it = names.rbegin(); it != names.rend(); ++it) pending.push_back(JoinPath(d, *it));
  };
  pushChildren(dir);
  while (!pending.empty()) {
    std::string d = std::move(pending.back());
    pending.pop_back();
    list.push_back(d);
    pushChildren(d);
  }
}

void DeleteFiles(const std::string& mask) {
  std::vector<std::string> files;
  ListFiles(mask, files, false);
  for (const auto& f : files) {
    std::error_code ec;
    fs::remove(fs::path(f), ec);
  }
}

std::string LoadTextFile(const std::string& fileName, UserDialogs& dialogs) {
  errno = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(fileName.c_str(), "rb"),
                                                     &std::fclose);
  if (!f) {
    const int code = FailureCode();
    const std::string message = std::generic_category().message(code) + " : " + fileName;
    if (code == ENOENT) dialogs.Error(message, "Error");
    throw FileError(message, code);
  }
  std::string raw;
  char buf[65536];
  for (;;) {
    const size_t got = std::fread(buf, 1, sizeof buf, f.get());
    raw.append(buf, got);
    if (got < sizeof buf) break;
  }
  if (std::ferror(f.get())) {
    const int code = FailureCode();
    throw FileError(std::generic_category().message(code) + " : " + fileName, code);
  }

  std::string out;
  out.reserve(raw.size() + raw.size() / 32);
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  // The last line's end is not part of the text.
  if (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) out.resize(out.size() - 2);
  return out;
}

void SaveTextFile(const std::string& fileName, const std::string& text) {
  WriteWhole(fileName, text.data(), text.size());
}

bool ExtractResourceToFile(const std::string& fileName, const std::string& resourceName,
                           const std::string& resourceType) {
  const std::string resource = ":/" + resourceType + "/" + resourceName;
  QFile in(QString::fromStdString(resource));
  if (!in.open(QIODevice::ReadOnly))
    throw FileError("Missing resource " + resource, ENOENT);
  const QByteArray data = in.readAll();

  const std::string dir = ExtractFileDir(fileName);
  if (!dir.empty() && !DirectoryExists(dir)) {
    std::error_code ec;
    fs::create_directories(fs::path(dir), ec);
    if (ec) throw FileError("Cannot create folder " + dir + ": " + ec.message(), ec.value());
  }
  WriteWhole(fileName, data.constData(), static_cast<size_t>(data.size()));
  return true;
}

std::string AppDir() {
  // XDG: a relative or empty XDG_DATA_HOME is ignored.
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = JoinPath(home && home[0] ? std::string(home) : QDir::homePath().toStdString(),
                    ".local/share");
  }
  std::string dir = JoinPath(base, "Tendrel");
  const std::string app = QCoreApplication::applicationName().toStdString();
  if (!app.empty()) dir = JoinPath(dir, app);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::error_code ec;
  fs::create_directories(fs::path(dir), ec);
  return dir;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(fs::path(path), ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::path(path), ec);
}

}  // namespace tendrel
