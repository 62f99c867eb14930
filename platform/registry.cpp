#include "platform/registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform_log.h"

namespace tendrel {

namespace registry_detail {

namespace {

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsIniSpecial(char c) {
  return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

// One logical line as the INI reader splits the text: quotes may span line
// ends, a backslash takes the next character with it, a ";" at the start of a
// line comments it out and elsewhere (outside quotes) ends the line.
bool NextIniLine(std::string_view d, size_t& pos, size_t& start, size_t& len, bool& hasEquals) {
  const size_t n = d.size();
  bool inQuotes = false;
  hasEquals = false;
  start = pos;
  while (start < n && IsIniSpace(d[start])) ++start;
  size_t i = start;
  while (i < n) {
    const char c = d[i];
    if (!IsIniSpecial(c)) {
      ++i;
      continue;
    }
    ++i;
    if (c == '=') {
      if (!inQuotes) hasEquals = true;
    } else if (c == '\n' || c == '\r') {
      if (i == start + 1) {
        ++start;
      } else if (!inQuotes) {
        --i;
        break;
      }
    } else if (c == '\\') {
      if (i < n) {
        const char e = d[i++];
        if (i < n) {
          const char f = d[i];
          if ((e == '\n' && f == '\r') || (e == '\r' && f == '\n')) ++i;
        }
      }
    } else if (c == '"') {
      inQuotes = !inQuotes;
    } else {  // ';'
      if (i == start + 1) {
        while (i < n && d[i] != '\n' && d[i] != '\r') ++i;
        while (i < n && IsIniSpace(d[i])) ++i;
        start = i;
      } else if (!inQuotes) {
        --i;
        break;
      }
    }
  }
  pos = i;
  len = i - start;
  return len > 0;
}

}  // namespace

// A UTF-8 byte order mark at the start is skipped, but then the INI reader of
// our Qt takes the first line after it as it stands: it must be a key line
// (no blank or empty first line, no comment, no section), or the file is
// refused.
bool IniTextReadable(std::string_view text) {
  size_t pos = 0, start = 0, len = 0;
  bool hasEquals = false;
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size() || text[i] == '\n' || text[i] == '\r' || text[i] == ';' || text[i] == '[')
      return false;
    if (!NextIniLine(text, pos, start, len, hasEquals) || !hasEquals) return false;
  }
  while (NextIniLine(text, pos, start, len, hasEquals)) {
    const std::string_view line = text.substr(start, len);
    if (line.front() == '[') {
      if (line.find(']') == std::string_view::npos) return false;
    } else if (!hasEquals && line.front() != ';') {
      return false;
    }
  }
  return true;
}

}  // namespace registry_detail

namespace {

constexpr char kSuffix[] = ".conf";

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// Registry order: without regard to case, ties by bytes so the order is total.
bool RegistryLess(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Fold(a[i]));
    const auto y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

// Sorted in registry order, names equal but for case given once.
std::vector<std::string> RegistryList(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), RegistryLess);
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) { return IEquals(a, b); }),
              names.end());
  return names;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('\\', i);
    if (j == std::string::npos) j = path.size();
    if (j > i) parts.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

// ---- where keys live -------------------------------------------------------

std::string AbsoluteEnvDir(const char* var) {
  const char* v = std::getenv(var);
  if (v && v[0] == '/') return v;
  return {};
}

std::string BaseDir(RegRoot root) {
  if (root == RegRoot::CurrentUser) {
    std::string dir = AbsoluteEnvDir("XDG_CONFIG_HOME");
    if (!dir.empty()) return dir;
    std::string home = AbsoluteEnvDir("HOME");
    if (home.empty()) home = QFile::encodeName(QDir::homePath()).toStdString();
    return home + "/.config";
  }
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS")) {
    const std::string_view all(dirs);
    const std::string first(all.substr(0, all.find(':')));
    if (!first.empty() && first[0] == '/') return first;
  }
  return "/etc/xdg";
}

bool FitsFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// The entry of `dir` named `name` without regard to case: the exact name when
// it exists, else the first other spelling found, else `name` itself.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  struct stat st;
  if (lstat((dir + "/" + name).c_str(), &st) == 0) return name;
  DIR* d = opendir(dir.c_str());
  if (!d) return name;
  std::vector<std::string> found;
  while (dirent* e = readdir(d)) {
    if (IEquals(e->d_name, name)) found.emplace_back(e->d_name);
  }
  closedir(d);
  if (found.empty()) return name;
  return *std::min_element(found.begin(), found.end());
}

struct Location {
  std::string dir;   // the Org folder
  std::string file;  // the INI file holding the key
  std::vector<std::string> groups;  // key names inside the file
  bool orgLevel = false;            // the key `\Software\Org` itself
};

std::optional<Location> Locate(RegRoot root, const std::vector<std::string>& parts) {
  if (parts.empty() || !FitsFileName(parts[0])) return std::nullopt;
  if (parts.size() >= 2 && !FitsFileName(parts[1])) return std::nullopt;
  const std::string base = BaseDir(root);
  Location loc;
  loc.dir = base + "/" + MatchEntry(base, parts[0]);
  if (parts.size() == 1) {
    loc.file = base + "/" + MatchEntry(base, parts[0] + kSuffix);
    loc.orgLevel = true;
  } else {
    loc.file = loc.dir + "/" + MatchEntry(loc.dir, parts[1] + kSuffix);
    loc.groups.assign(parts.begin() + 2, parts.end());
  }
  return loc;
}

enum class FileState { Missing, Good, Bad };

// Reads the file itself rather than trusting the INI layer's status, which is
// kept per process and would miss a damaged file it had read before.
FileState ProbeFile(const std::string& file, std::string* contents, const char** why) {
  const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = strerror(errno);
    return errno == ENOENT ? FileState::Missing : FileState::Bad;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *why = "not a plain file";
    return FileState::Bad;
  }
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR) continue;
      *why = strerror(errno);
      close(fd);
      return FileState::Bad;
    }
    if (got == 0) break;
    data.append(buf, static_cast<size_t>(got));
  }
  close(fd);
  if (!registry_detail::IniTextReadable(data)) {
    *why = "not a settings file this program can read";
    return FileState::Bad;
  }
  if (contents) *contents = std::move(data);
  return FileState::Good;
}

FileState Probe(const std::string& file, std::string* contents = nullptr) {
  const char* why = "";
  const FileState state = ProbeFile(file, contents, &why);
  // The key then reads as empty and is not written: say why, once per look.
  if (state == FileState::Bad) qCDebug(lcRegistry, "%s is left alone: %s", file.c_str(), why);
  return state;
}

// Puts the file's former bytes back, whole or not at all.
void RestoreFile(const std::string& file, const std::string& bytes) {
  std::string temp = file + ".XXXXXX";
  const int fd = mkstemp(temp.data());  // created with mode 0600
  if (fd < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  const bool ok = done == bytes.size() && fsync(fd) == 0;
  close(fd);
  if (!ok || rename(temp.c_str(), file.c_str()) != 0) unlink(temp.c_str());
}

bool IsDir(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folder and its missing parents, each private to the user.
bool MakeDirs(const std::string& path) {
  if (IsDir(path)) return true;
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsDir(path);
}

// Makes sure the key's file exists, created private to the user: the INI
// layer would create it readable by everyone.
bool EnsureFile(const std::string& file) {
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(file.substr(0, slash))) return false;
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  return errno == EEXIST;
}

void KeepPrivate(const std::string& file) {
  struct stat st;
  if (stat(file.c_str(), &st) == 0 && (st.st_mode & 07777) != 0600) chmod(file.c_str(), 0600);
}

// ---- names and values inside a file ---------------------------------------

bool IsUtf8(const std::string& s) {
  const QByteArray bytes(s.data(), static_cast<qsizetype>(s.size()));
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString EncodeName(const std::string& name) {
  if (name.empty()) return QStringLiteral("%");
  static const char hex[] = "0123456789ABCDEF";
  const bool utf8 = IsUtf8(name);
  // The INI layer has its own section "General" and would not keep the case
  // of a key so named; an escaped first letter keeps it apart.
  const bool general = IEquals(name, "general");
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == '%' || c == '/' || (!utf8 && c >= 0x80) || (general && i == 0)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += name[i];
    }
  }
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeName(const QString& stored) {
  if (stored == QStringLiteral("%")) return {};
  const QByteArray bytes = stored.toUtf8();
  std::string out;
  out.reserve(static_cast<size_t>(bytes.size()));
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '%' && i + 2 < bytes.size()) {
      const int hi = HexDigit(bytes[i + 1]);
      const int lo = HexDigit(bytes[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += bytes[i];
  }
  return out;
}

QVariant EncodeValue(const std::string& value) {
  const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
  const QString text = QString::fromUtf8(bytes);
  if (text.toUtf8() == bytes) return text;
  return bytes;  // not UTF-8: kept as a byte array so every byte survives
}

std::string DecodeValue(const QVariant& v) {
  QByteArray bytes;
  switch (v.typeId()) {
    case QMetaType::QByteArray:
      bytes = v.toByteArray();
      break;
    case QMetaType::QString:
      bytes = v.toString().toUtf8();
      break;
    case QMetaType::QStringList:
      bytes = v.toStringList().join(QLatin1Char(',')).toUtf8();
      break;
    case QMetaType::QVariantList: {
      QStringList items;
      for (const QVariant& item : v.toList()) items << item.toString();
      bytes = items.join(QLatin1Char(',')).toUtf8();
      break;
    }
    default:
      if (v.canConvert<QString>()) bytes = v.toString().toUtf8();
      break;
  }
  return bytes.toStdString();
}

QString JoinKey(const QString& prefix, const QString& name) {
  return prefix.isEmpty() ? name : prefix + QLatin1Char('/') + name;
}

QStringList Children(QSettings& s, const QString& prefix, bool groups) {
  if (!prefix.isEmpty()) s.beginGroup(prefix);
  QStringList list = groups ? s.childGroups() : s.childKeys();
  if (!prefix.isEmpty()) s.endGroup();
  return list;
}

// The stored spellings of the child group or value `name` under `prefix`.
QStringList Matches(QSettings& s, const QString& prefix, const std::string& name, bool groups) {
  QStringList out;
  for (const QString& child : Children(s, prefix, groups))
    if (IEquals(DecodeName(child), name)) out << child;
  return out;
}

// The stored group path of `groups`; a missing group is nothing, or with
// `create` the name as it will be written.
std::optional<QString> ResolveGroups(QSettings& s, const std::vector<std::string>& groups,
                                     bool create) {
  QString prefix;
  for (const std::string& g : groups) {
    const QStringList m = Matches(s, prefix, g, true);
    if (m.isEmpty()) {
      if (!create) return std::nullopt;
      prefix = JoinKey(prefix, EncodeName(g));
    } else {
      prefix = JoinKey(prefix, m.first());
    }
  }
  return prefix;
}

// The value at `key` and everything below it, as the INI layer has them now.
using Snapshot = std::vector<std::pair<QString, QVariant>>;

Snapshot TakeSnapshot(QSettings& s, const QString& key) {
  Snapshot snap;
  if (s.contains(key)) snap.emplace_back(key, s.value(key));
  s.beginGroup(key);
  const QStringList below = s.allKeys();
  for (const QString& k : below) snap.emplace_back(JoinKey(key, k), s.value(k));
  s.endGroup();
  return snap;
}

// The changes of one call to one file. The INI layer keeps a file's unsaved
// changes for whoever opens the file next in this process, who would then
// read, and with the next write save, what was reported as not written; so a
// change that cannot be saved is taken back.
class Change {
 public:
  Change(QSettings& s, std::string file, std::string original)
      : s_(s), file_(std::move(file)), original_(std::move(original)) {}

  void Set(const QString& key, const QVariant& value) {
    Remember(key);
    s_.setValue(key, value);
  }
  // A value and a sub-key may share a name, and the INI layer removes both at
  // once: the one that is to stay is put back.
  void RemoveValue(const QString& key) {
    const Snapshot snap = Remember(key);
    s_.remove(key);
    for (const auto& [k, v] : snap)
      if (k != key) s_.setValue(k, v);
  }
  void RemoveGroup(const QString& key) {
    const Snapshot snap = Remember(key);
    s_.remove(key);
    if (!snap.empty() && snap.front().first == key) s_.setValue(key, snap.front().second);
  }

  // True when the changes are on disk.
  bool Commit() {
    s_.sync();
    if (s_.status() != QSettings::NoError) {
      qCWarning(lcRegistry, "%s could not be written; the change is taken back", file_.c_str());
      for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
        s_.remove(it->first);
        for (const auto& [k, v] : it->second) s_.setValue(k, v);
      }
      return false;
    }
    // The INI layer writes some names from files made by hand in a form it
    // cannot read back ("a//=b"); rather than leave a file that reads as
    // empty, the former one is put back and the change fails.
    if (Probe(file_) != FileState::Good) {
      qCWarning(lcRegistry, "%s would not read back after the change; the former file is put back",
                file_.c_str());
      RestoreFile(file_, original_);
      return false;
    }
    KeepPrivate(file_);
    return true;
  }

 private:
  Snapshot Remember(const QString& key) {
    undo_.emplace_back(key, TakeSnapshot(s_, key));
    return undo_.back().second;
  }

  QSettings& s_;
  std::string file_;
  std::string original_;
  std::vector<std::pair<QString, Snapshot>> undo_;
};

std::unique_ptr<QSettings> OpenIni(const std::string& file) {
  auto s = std::make_unique<QSettings>(QFile::decodeName(QByteArray(file.c_str())),
                                       QSettings::IniFormat);
  if (s->status() != QSettings::NoError) return nullptr;
  return s;
}

struct WriteSession {
  std::unique_ptr<QSettings> s;
  std::string original;  // the file's bytes before the change
  Change Begin(const std::string& file) { return Change(*s, file, original); }
};

// The file of a key to be written, ready for the INI layer; nothing when it
// must not or cannot be written.
std::optional<WriteSession> OpenForWrite(RegRoot root, const Location& loc) {
  if (root != RegRoot::CurrentUser) return std::nullopt;
  WriteSession session;
  const FileState state = Probe(loc.file, &session.original);
  if (state == FileState::Bad) return std::nullopt;
  if (state == FileState::Missing && !EnsureFile(loc.file)) return std::nullopt;
  // The INI layer waits without end for a lock it cannot take or clear, as
  // when something other than a file sits where its lock file goes.
  struct stat st;
  if (stat((loc.file + ".lock").c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return std::nullopt;
  session.s = OpenIni(loc.file);
  if (!session.s) return std::nullopt;
  return session;
}

std::unique_ptr<QSettings> OpenForRead(const Location& loc) {
  if (Probe(loc.file) != FileState::Good) return nullptr;
  return OpenIni(loc.file);
}

}  // namespace

// ---- RegistryKey ------------------------------------------------------------

std::optional<RegistryKey> RegistryKey::Open(RegRoot root, const std::string& path, bool create,
                                             RegError* why) {
  RegError dummy;
  RegError& err = why ? *why : dummy;
  err = RegError::None;

  std::vector<std::string> parts = SplitKeyPath(path);
  if (parts.size() < 2 || !IEquals(parts[0], "Software")) {
    err = RegError::BadPath;
    return std::nullopt;
  }
  parts.erase(parts.begin());
  const std::optional<Location> loc = Locate(root, parts);
  if (!loc) {
    err = RegError::BadPath;
    return std::nullopt;
  }

  const FileState state = Probe(loc->file);
  if (state == FileState::Bad) {
    err = RegError::Unreadable;
    return std::nullopt;
  }
  bool exists = state == FileState::Good;
  if (loc->orgLevel) {
    exists = exists || IsDir(loc->dir);
  } else if (exists && !loc->groups.empty()) {
    const auto s = OpenIni(loc->file);
    exists = s && ResolveGroups(*s, loc->groups, false).has_value();
  }
  if (exists) return RegistryKey(root, std::move(parts));

  if (!create || root != RegRoot::CurrentUser) {
    err = RegError::NotFound;
    return std::nullopt;
  }
  if (state == FileState::Missing && !EnsureFile(loc->file)) {
    err = RegError::CannotCreate;
    return std::nullopt;
  }
  // A group without values cannot be kept in the file; it comes to exist
  // with the first value written below it.
  return RegistryKey(root, std::move(parts));
}

std::string RegistryKey::Path() const {
  std::string path = "\\Software";
  for (const std::string& p : parts_) path += "\\" + p;
  return path;
}

std::string RegistryKey::FilePath() const {
  const auto loc = Locate(root_, parts_);
  return loc ? loc->file : std::string();
}

bool RegistryKey::ReadString(const std::string& name, std::string& out) const {
  const auto loc = Locate(root_, parts_);
  if (!loc) return false;
  const auto s = OpenForRead(*loc);
  if (!s) return false;
  const auto prefix = ResolveGroups(*s, loc->groups, false);
  if (!prefix) return false;
  const QStringList m = Matches(*s, *prefix, name, false);
  if (m.isEmpty()) return false;
  const QVariant v = s->value(JoinKey(*prefix, m.first()));
  if (!v.isValid()) return false;
  out = DecodeValue(v);
  return true;
}

bool RegistryKey::WriteString(const std::string& name, const std::string& value) {
  const auto loc = Locate(root_, parts_);
  if (!loc) return false;
  auto session = OpenForWrite(root_, *loc);
  if (!session) return false;
  QSettings* s = session->s.get();
  const QString prefix = *ResolveGroups(*s, loc->groups, true);
  const QStringList m = Matches(*s, prefix, name, false);
  const QString key = JoinKey(prefix, m.isEmpty() ? EncodeName(name) : m.first());
  Change change = session->Begin(loc->file);
  change.Set(key, EncodeValue(value));
  return change.Commit();
}

bool RegistryKey::DeleteValue(const std::string& name) {
  const auto loc = Locate(root_, parts_);
  if (!loc) return false;
  if (Probe(loc->file) == FileState::Missing) return true;
  auto session = OpenForWrite(root_, *loc);
  if (!session) return false;
  QSettings* s = session->s.get();
  const auto prefix = ResolveGroups(*s, loc->groups, false);
  if (!prefix) return true;
  const QStringList m = Matches(*s, *prefix, name, false);
  if (m.isEmpty()) return true;
  Change change = session->Begin(loc->file);
  for (const QString& stored : m) change.RemoveValue(JoinKey(*prefix, stored));
  return change.Commit();
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  const auto loc = Locate(root_, parts_);
  if (!loc) return names;
  const auto s = OpenForRead(*loc);
  if (!s) return names;
  const auto prefix = ResolveGroups(*s, loc->groups, false);
  if (!prefix) return names;
  for (const QString& k : Children(*s, *prefix, false)) names.push_back(DecodeName(k));
  return RegistryList(std::move(names));
}

std::vector<std::string> RegistryKey::SubKeys() const {
  std::vector<std::string> names;
  const auto loc = Locate(root_, parts_);
  if (!loc) return names;
  if (loc->orgLevel) {
    // The sub-keys of `\Software\Org` are the files Org/*.conf.
    DIR* d = opendir(loc->dir.c_str());
    if (!d) return names;
    const std::string_view suffix(kSuffix);
    while (dirent* e = readdir(d)) {
      const std::string entry = e->d_name;
      if (entry.size() <= suffix.size() ||
          entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        continue;
      struct stat st;
      if (stat((loc->dir + "/" + entry).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      names.push_back(entry.substr(0, entry.size() - suffix.size()));
    }
    closedir(d);
    return RegistryList(std::move(names));
  }
  const auto s = OpenForRead(*loc);
  if (!s) return names;
  const auto prefix = ResolveGroups(*s, loc->groups, false);
  if (!prefix) return names;
  for (const QString& g : Children(*s, *prefix, true)) names.push_back(DecodeName(g));
  return RegistryList(std::move(names));
}

bool RegistryKey::DeleteSubKey(const std::string& path) {
  const std::vector<std::string> rel = SplitKeyPath(path);
  if (rel.empty()) return false;
  std::vector<std::string> full = parts_;
  full.insert(full.end(), rel.begin(), rel.end());
  const auto loc = Locate(root_, full);
  if (!loc) return false;
  const FileState state = Probe(loc->file);
  if (state == FileState::Missing) return true;
  if (root_ != RegRoot::CurrentUser || state == FileState::Bad) return false;

  if (loc->groups.empty()) {
    // The key is a whole file.
    return unlink(loc->file.c_str()) == 0 || errno == ENOENT;
  }
  auto session = OpenForWrite(root_, *loc);
  if (!session) return false;
  QSettings* s = session->s.get();
  const std::vector<std::string> parentGroups(loc->groups.begin(), loc->groups.end() - 1);
  const auto parent = ResolveGroups(*s, parentGroups, false);
  if (!parent) return true;
  const QStringList m = Matches(*s, *parent, loc->groups.back(), true);
  if (m.isEmpty()) return true;
  Change change = session->Begin(loc->file);
  for (const QString& stored : m) change.RemoveGroup(JoinKey(*parent, stored));
  return change.Commit();
}

}  // namespace tendrel
