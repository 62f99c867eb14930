#include "seller/service/activity_log.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include "common/files.h"
#include "common/text.h"
#include "seller/core/log.h"
#include "seller/core/settings.h"

namespace tendrel {

namespace {

constexpr char kRule[] = "------------------------";

bool IsSecretName(std::string_view name) {
  const std::string n = LowerCase(name);
  return n == "vendor_password" || n == "cc_number" || n == "key" || n.ends_with("_key");
}

bool EndsValue(char c) { return c == '&' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return c == '?' || c == '&' || c == '\r' || c == '\n' || c == ' '; }

}  // namespace

std::string MaskProductKeys(const std::string& text) {
  // Cut the way the product editor reads a list: the entries between
  // "{SUCCESS}" (and a line feed) and "{ENDALL}", each ended by "{END}" and a
  // line feed, its fields after "{PRODUCT}" (or the whole entry without it).
  const auto token = LowerCase(text).find("{success}");
  if (token == std::string::npos) return text;
  size_t at = token + 9;
  if (at < text.size() && text[at] == '\n') ++at;
  size_t stop = text.find("{ENDALL}", at);
  if (stop == std::string::npos) stop = text.size();
  std::string out(text, 0, at);
  while (at < stop) {
    size_t end = text.find("{END}\n", at);
    if (end == std::string::npos || end > stop) end = stop;
    size_t fields = text.find("{PRODUCT}", at);
    fields = fields == std::string::npos || fields + 9 > end ? at : fields + 9;
    // The key follows the sixth separator.
    size_t key = fields;
    int seen = 0;
    for (; key < end && seen < 6; ++key)
      if (text[key] == ';') ++seen;
    const bool hasKey = seen == 6 && key < end;
    out.append(text, at, key - at);
    if (hasKey) out += "****";
    else out.append(text, key, end - key);
    at = end;
    if (end < stop) {
      out += "{END}\n";
      at = end + 6;
    }
  }
  out.append(text, stop, std::string::npos);
  return out;
}

std::string MaskSecrets(const std::string& raw) {
  // A product list carries every product's key in clear.
  const std::string text = MaskProductKeys(raw);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t eq = text.find('=', i);
    if (eq == std::string::npos) break;
    // The parameter name runs back from "=" to a separator.
    size_t start = eq;
    while (start > i && !EndsName(text[start - 1])) --start;
    size_t end = eq + 1;
    while (end < text.size() && !EndsValue(text[end])) ++end;
    out.append(text, i, eq + 1 - i);
    if (IsSecretName(std::string_view(text).substr(start, eq - start)) && end > eq + 1) {
      out += "****";
    } else {
      out.append(text, eq + 1, end - eq - 1);
    }
    i = end;
  }
  if (i < text.size()) out.append(text, i, std::string::npos);
  return out;
}

ActivityLog::ActivityLog(const SettingsStore& settings, std::string path)
    : settings_(settings), path_(std::move(path)) {}

bool ActivityLog::Enabled() const { return RegYes(settings_, "Options", "Logging", "No"); }

void ActivityLog::Write(const std::string& text) const {
  if (!Enabled()) return;
  const std::string path = path_.empty() ? AppDir() + "/tlnlog.txt" : path_;
  const QLocale locale = QLocale::system();
  const QDateTime now = QDateTime::currentDateTime();
  QFile file(QString::fromStdString(path));
  std::string entry;
  const bool fresh = !file.exists();
  if (fresh) {
    // Created private to the user: requests carry the vendor's details.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
      qCDebug(lcSeller) << "the activity log could not be created:" << file.errorString();
      return;
    }
    entry = "File created on " + locale.toString(now.time(), QLocale::LongFormat).toStdString();
  } else if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
    qCDebug(lcSeller) << "the activity log could not be opened:" << file.errorString();
    return;
  }
  entry += locale.toString(now.date(), QLocale::ShortFormat).toStdString() + " " +
           locale.toString(now.time(), QLocale::LongFormat).toStdString() + " " + MaskSecrets(text) + "\r\n" +
           kRule + "\r\n";
  if (file.write(entry.data(), static_cast<qint64>(entry.size())) != static_cast<qint64>(entry.size())) {
    qCDebug(lcSeller) << "the activity log could not be written:" << file.errorString();
  }
}

}  // namespace tendrel
