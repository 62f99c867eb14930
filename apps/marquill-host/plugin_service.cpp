#include "plugin_service.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUrl>
#include <unistd.h>

#include <filesystem>
#include <limits>

#include "host/dbus_values.h"
#include "host/host_protocol.h"
#include "document_view.h"
#include "host_window.h"

namespace tendrel {

QDBusArgument& operator<<(QDBusArgument& a, const WindowEntry& w) {
  a.beginStructure();
  a << w.caption << w.className;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, WindowEntry& w) {
  a.beginStructure();
  a >> w.caption >> w.className;
  a.endStructure();
  return a;
}

namespace {

const QString kFailed = QString::fromLatin1(kHostErrorFailed);
const QString kUnknownName = QString::fromLatin1(kHostErrorUnknownName);
const QString kBusName = QString::fromLatin1(kHostBusName);

std::string Lower(const QString& s) { return s.toLower().toStdString(); }

// The call `name` stands for; null for a name the editor does not serve.
const HostCallInfo* Lookup(const std::string& name) { return FindHostCall(name); }

QDBusVariant Wrap(const HostValue& v) {
  if (auto s = std::get_if<std::string>(&v)) return QDBusVariant(TextOfBytes(*s));
  if (auto i = std::get_if<int>(&v)) return QDBusVariant(*i);
  if (auto b = std::get_if<bool>(&v)) return QDBusVariant(*b);
  return QDBusVariant(QVariant::fromValue(QVariantList()));  // nothing: an empty array
}

bool Unwrap(QVariant v, HostValue* out) {
  if (v.userType() == qMetaTypeId<QDBusVariant>()) v = qvariant_cast<QDBusVariant>(v).variant();
  return ScalarFromVariant(v, out);
}

const std::string& TextArg(const std::string& call, const std::vector<HostValue>& args, size_t i) {
  if (i >= args.size() || !std::holds_alternative<std::string>(args[i]))
    throw EHostError(call + ": argument " + std::to_string(i + 1) + " must be a text");
  return std::get<std::string>(args[i]);
}

// Browsers looked for in PATH: caption and program names, first found wins.
struct Browser {
  const char* caption;
  std::vector<const char*> programs;
};
const std::vector<Browser> kBrowsers = {
    {"Firefox", {"firefox", "firefox-esr"}},
    {"Chromium", {"chromium", "chromium-browser"}},
    {"Google Chrome", {"google-chrome", "google-chrome-stable"}},
    {"Epiphany", {"epiphany", "epiphany-browser"}},
    {"Konqueror", {"konqueror"}},
    {"Falkon", {"falkon"}},
    {"Midori", {"midori"}},
    {"Opera", {"opera"}},
    {"Vivaldi", {"vivaldi", "vivaldi-stable"}},
    {"Brave", {"brave-browser", "brave"}},
};

std::vector<std::pair<std::string, std::string>> FoundBrowsers() {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Browser& b : kBrowsers)
    for (const char* p : b.programs) {
      QString path = QStandardPaths::findExecutable(QString::fromLatin1(p));
      if (!path.isEmpty()) {
        out.emplace_back(b.caption, path.toStdString());
        break;
      }
    }
  return out;
}

// Starts `program` on `target`, detached. Chromium and Chrome refuse to run as
// root with their sandbox on, so there they are started without it.
bool StartBrowser(const QString& program, const QString& target) {
  QStringList args;
  const QString name = QFileInfo(program).fileName().toLower();
  if (::geteuid() == 0 && (name.contains(QLatin1String("chromium")) || name.contains(QLatin1String("chrome"))))
    args << QStringLiteral("--no-sandbox");
  args << target;
  return QProcess::startDetached(program, args);
}

// A path written the Windows way ("dir\ssurf.gif") when no such file exists.
std::filesystem::path LocalPath(const std::string& text) {
  std::filesystem::path p(text);
  if (!std::filesystem::exists(p) && text.find('\\') != std::string::npos) {
    std::string s = text;
    for (char& c : s)
      if (c == '\\') c = '/';
    p = s;
  }
  return p;
}

}  // namespace

PluginService::PluginService(HostWindow* window) : QObject(window), window_(window) {
  qDBusRegisterMetaType<WindowEntry>();
  qDBusRegisterMetaType<WindowEntryList>();
}

bool PluginService::publish(QString* error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    *error = QStringLiteral("there is no D-Bus session bus (%1)").arg(bus.lastError().message());
    return false;
  }
  if (!bus.registerObject(QString::fromLatin1(kHostObjectPath), this,
                          QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
    *error = QStringLiteral("the object /Plugin could not be registered");
    return false;
  }
  if (!bus.registerService(kBusName)) {
    const QString why = bus.lastError().message();
    *error = QStringLiteral("another editor owns the name %1").arg(kBusName) +
             (why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
    return false;
  }
  return true;
}

void PluginService::sayGoodbye() {
  emit PlugInMessage(kHostCloseMessage);
  // The bus answers in order: once GetId is answered, the signal has left.
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
           QDBus::Block, 2000);
  bus.unregisterService(kBusName);
}

WindowEntryList PluginService::Windows() {
  WindowEntryList out;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == window_) out.prepend({w->windowTitle(), QStringLiteral("TfrmMain")});
    else if (w->isVisible()) out.append({w->windowTitle(), QString::fromLatin1(w->metaObject()->className())});
  }
  return out;
}

QDBusVariant PluginService::Invoke(const QString& name, const QVariantList& args) {
  const HostCallInfo* info = Lookup(name.toStdString());
  if (info == nullptr) {
    sendErrorReply(kUnknownName, QStringLiteral("%1: no such call").arg(name));
    return {};
  }
  std::vector<HostValue> values;
  for (int i = 0; i < args.size(); ++i) {
    HostValue v;
    if (!Unwrap(args.at(i), &v)) {
      sendErrorReply(kFailed, QStringLiteral("%1: argument %2 is neither a text, a number nor a flag")
                                  .arg(name)
                                  .arg(i + 1));
      return {};
    }
    values.push_back(std::move(v));
  }
  // Saving an unnamed document waits for the user: answer when the dialog closes.
  if (info->call == HostCall::ForceSave && window_->docOpen() && window_->docPath().isEmpty()) {
    setDelayedReply(true);
    waitingSaves_.append(message());
    if (waitingSaves_.size() == 1) forceSaveWithDialog();
    return {};
  }
  try {
    // The page itself goes out without a copy of its own on the way.
    if (info->call == HostCall::GetAllText && window_->docOpen()) {
      const std::string& text = window_->view().Text();
      CheckAnswerTravels(name.toStdString(), std::string_view(text));
      return QDBusVariant(TextAnswer(text));
    }
    const HostValue answer = call(name.toStdString(), values);
    CheckAnswerTravels(name.toStdString(), answer);
    if (auto text = std::get_if<std::string>(&answer)) return QDBusVariant(TextAnswer(*text));
    return Wrap(answer);
  } catch (const EHostError& e) {
    sendErrorReply(kFailed, QString::fromStdString(e.what()));
    return {};
  }
}

const QString& PluginService::TextAnswer(std::string_view bytes) {
  // The buffer of the last answer is used again: a page's worth of memory is
  // not asked for (and cleared by the system) on every call. UTF-16 needs no
  // more units than UTF-8 has bytes.
  if (answer_.capacity() > 4 * static_cast<qsizetype>(bytes.size()) + 4096) answer_ = QString();
  answer_.resize(static_cast<qsizetype>(bytes.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  const QChar* end = utf8.appendToBuffer(answer_.data(), QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  answer_.truncate(end - answer_.constData());
  return answer_;
}

void PluginService::forceSaveWithDialog() {
  window_->note(QStringLiteral("A plug-in asks to save the document."));
  window_->askSavePath([this](const QString& path) {
    QString error;
    bool ok = path.isEmpty() || !window_->docOpen() || window_->saveTo(path, &error);
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const QDBusMessage& m : waitingSaves_)
      bus.send(ok ? m.createReply(QVariant::fromValue(Wrap(std::monostate{})))
                  : m.createErrorReply(kFailed, QStringLiteral("ForceSave: %1 could not be written: %2")
                                                    .arg(path, error)));
    waitingSaves_.clear();
  });
}

HostValue PluginService::browserPreview(const std::string& target) {
  const QString t = QString::fromStdString(target);
  const QUrl url = QUrl::fromUserInput(t, QDir::currentPath(), QUrl::AssumeLocalFile);
  if (url.isValid() && QDesktopServices::openUrl(url)) return {};
  // No desktop handler: the first browser found shows it.
  for (const auto& [caption, program] : FoundBrowsers())
    if (StartBrowser(QString::fromStdString(program), t)) return {};
  throw EHostError("BrowserPreview: no web browser was found to show " + target);
}

HostValue PluginService::call(const std::string& name, const std::vector<HostValue>& args) {
  const HostCallInfo* info = Lookup(name);
  if (info == nullptr) throw EHostError(name + ": no such call");
  const HostCall c = info->call;
  if (c == HostCall::OpenNewFile) {
    // One document at a time: a new one must not throw away unsaved work.
    if (window_->modified())
      throw EHostError(name + ": the open document has unsaved changes; save or close it first");
    window_->newDocument();
    return {};
  }
  if (c == HostCall::ForceSave) {
    if (!window_->docOpen()) return {};
    if (window_->docPath().isEmpty()) throw EHostError(name + ": the document has no name yet");
    QString error;
    if (!window_->saveTo(window_->docPath(), &error))
      throw EHostError(name + ": " + window_->docPath().toStdString() + " could not be written: " +
                       error.toStdString());
    return {};
  }
  if (c == HostCall::CopyFiles) {
    namespace fs = std::filesystem;
    const fs::path src = LocalPath(TextArg(name, args, 0));
    if (!window_->docOpen() || window_->docPath().isEmpty())
      throw EHostError(name + ": the document has not been saved, so it has no folder");
    const fs::path dst = fs::path(QFileInfo(window_->docPath()).path().toStdString()) / src.filename();
    std::error_code ec;
    if (!fs::is_regular_file(src, ec)) throw EHostError(name + ": " + src.string() + " is not a file");
    // Already in the document's folder: copying it onto itself would empty it.
    if (fs::exists(dst, ec) && fs::equivalent(src, dst, ec)) return {};
    fs::copy_file(src, dst, fs::copy_options::overwrite_existing, ec);
    if (ec) throw EHostError(name + ": " + src.string() + " could not be copied: " + ec.message());
    return {};
  }
  if (c == HostCall::BrowserPreview) return browserPreview(TextArg(name, args, 0));
  if (c == HostCall::PreviewWith) {
    const std::string& path = TextArg(name, args, 0);
    const std::string& program = TextArg(name, args, 1);
    if (program.empty() || Lower(QString::fromStdString(program)) == "none") return browserPreview(path);
    if (!StartBrowser(QString::fromStdString(program), QString::fromStdString(path)))
      throw EHostError(name + ": " + program + " could not be started");
    return {};
  }

  // The calls on the document work on the editor's own bytes; their edits
  // reach the widget as they are made.
  DocumentView& view = window_->view();
  HtmlDocument& doc = view.Document();
  const bool open = window_->docOpen();
  view.TakeSelection();
  const int selStart = doc.SelStart(), selLength = doc.SelLength();
  const uint64_t edits = view.Edits();
  HostValue result;
  if (DocumentCall(c, name, args, open, doc, &result)) {
    if (open && (view.Edits() != edits || doc.SelStart() != selStart || doc.SelLength() != selLength))
      view.ShowSelection();
    return result;
  }

  calls_.docOpen = open;
  calls_.docName = window_->docPath().toStdString();
  calls_.appPath = window_->appPath().toStdString();
  if (c == HostCall::BrowserList) {
    calls_.browserList = "None=None";
    for (const auto& [caption, program] : FoundBrowsers()) calls_.browserList += "\x1e" + caption + "=" + program;
  }
  calls_.calls.clear();
  return calls_.Invoke(name, args);
}

}  // namespace tendrel
