#include "seller/publish/servers.h"

#include <algorithm>

#include "common/text.h"
#include "platform/dialogs.h"
#include "seller/core/settings.h"

namespace tendrel {

namespace {

const char* ValueName(ServerField f) {
  switch (f) {
    case ServerField::Address: return "Address";
    case ServerField::Directory: return "Directory";
    case ServerField::Login: return "Login";
    case ServerField::Password: return "Password";
    case ServerField::HttpBase: return "HTTP Root";
  }
  return "";
}

constexpr char kInstalledClasses[] = "Installed Classes";

}  // namespace

// ---- ServerStore -------------------------------------------------------------

ServerStore::ServerStore(SettingsStore& settings) : settings_(settings) {}

std::string ServerStore::Section(const std::string& name) {
  return std::string(kServersSection) + "\\" + name;
}

std::vector<std::string> ServerStore::Names() const { return settings_.ListSections(kServersSection); }

ServerDefinition ServerStore::Load(const std::string& name) const {
  const std::string s = Section(name);
  ServerDefinition d;
  d.name = name;
  d.address = settings_.ReadText(s, ValueName(ServerField::Address), "");
  d.directory = settings_.ReadText(s, ValueName(ServerField::Directory), "");
  d.login = settings_.ReadText(s, ValueName(ServerField::Login), "");
  d.password = EncodePassword(settings_.ReadText(s, ValueName(ServerField::Password), ""), "DEC");
  d.httpRoot = settings_.ReadText(s, ValueName(ServerField::HttpBase), "");
  return d;
}

bool ServerStore::Write(const std::string& name, ServerField field, const std::string& text) {
  // Without a name the values would land on the "Servers" section itself.
  if (name.empty()) return false;
  const std::string value = field == ServerField::Password ? EncodePassword(text, "ENC") : text;
  return settings_.WriteText(Section(name), ValueName(field), value);
}

bool ServerStore::Delete(const std::string& name) {
  if (name.empty()) return false;
  return settings_.DeleteSection(Section(name));
}

std::string ServerStore::LastServer() const { return settings_.ReadText("", kLastServerValue, ""); }

void ServerStore::SetLastServer(const std::string& name) { settings_.WriteText("", kLastServerValue, name); }

void ServerStore::MarkClassesInstalled(const std::string& name) {
  if (!name.empty()) settings_.WriteText(Section(name), kInstalledClasses, "1");
}

ServerChoice ServerStore::Choose(const std::string& name) {
  ServerChoice c;
  c.name = name;
  c.otherThanLast = name != LastServer();
  const std::string s = Section(name);
  c.address = settings_.ReadText(s, ValueName(ServerField::Address), "");
  c.directory = settings_.ReadText(s, ValueName(ServerField::Directory), kDefaultDirectoryShown);
  SetLastServer(name);
  return c;
}

bool ServerNameTaken(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); });
}

// ---- ServerEditor ------------------------------------------------------------

std::string& ServerFields::operator[](ServerField f) {
  switch (f) {
    case ServerField::Address: return address;
    case ServerField::Directory: return directory;
    case ServerField::Login: return login;
    case ServerField::Password: return password;
    case ServerField::HttpBase: break;
  }
  return httpBase;
}

ServerEditor::ServerEditor(ServerStore& store, UserDialogs& dialogs) : store_(store), dialogs_(dialogs) {}

std::string ServerEditor::CurrentKey() const {
  return current_.empty() ? std::string() : ServerStore::Section(current_);
}

ServerFields ServerEditor::Choose(const std::string& name) {
  current_ = name;
  const ServerDefinition d = store_.Load(name);
  return {d.address, d.directory, d.login, d.password, d.httpRoot};
}

std::optional<std::string> ServerEditor::NewServer() {
  const std::optional<std::string> name = dialogs_.Input(kNewServerCaption, kNewServerPrompt, "");
  if (!name || name->empty()) return std::nullopt;
  if (ServerNameTaken(list_, *name)) {
    dialogs_.Inform(kServerNameUsed);
    return std::nullopt;
  }
  list_.push_back(*name);
  current_ = *name;
  return name;
}

std::optional<std::string> ServerEditor::DeleteServer() {
  if (current_.empty()) return std::nullopt;
  if (!dialogs_.ConfirmYesNo("Are you sure you want to delete " + current_ + " ?")) return std::nullopt;
  std::string gone = std::move(current_);
  current_.clear();
  store_.Delete(gone);
  const auto at = std::find(list_.begin(), list_.end(), gone);
  if (at != list_.end()) list_.erase(at);
  return gone;
}

bool ServerEditor::Leave(ServerField field, ServerFields& fields) {
  // With no server being edited there is nowhere to write to.
  if (current_.empty()) return false;
  store_.Write(current_, field, fields[field]);
  bool changed = false;
  if (field == ServerField::Address && fields.httpBase.empty()) {
    fields.httpBase = "http://" + fields.address;
    changed = true;
  } else if (field == ServerField::Directory && fields.httpBase.find('/') == std::string::npos) {
    fields.httpBase += "/" + fields.directory;
    changed = true;
  }
  if (changed) store_.Write(current_, ServerField::HttpBase, fields.httpBase);
  return changed;
}

// ---- The help on the HTTP base -----------------------------------------------

std::string ServerPageDirHelp() {
  const std::string blank = "\r\n\r\n";
  const std::string site = kExampleWebAddress;
  return std::string("Choosing The HTTP Code Base") + blank +
         "When specifying your server information, please check the HTTP Base"
         " value.  If this is set incorrectly you will run into problems"
         " accessing your products." +
         blank +
         "The HTTP base will normally be exactly the same as the URL in your"
         " browser location window when you look at your page." +
         blank +
         "It will also be same directory as the page with your \"buy button\","
         " and the directory that you will send your pages to, using the FTP"
         " information you have supplied." +
         blank + "For example, if your Address is \"" + site + "\" and your Login Name is \"myname\"" +
         " then normally your HTTP base would be one of"
         " the following, depending on how your server is set up :" +
         // The three examples stand on lines of their own.
         std::string("\r\n") + site + "/~myname\r\n" + site + "/usr/myname\r\n" + site + "/homepages/myname" + blank +
         "If you make a mistake and your product is registered with the wrong"
         " HTTP base you can edit it later with the"
         " \"Tillon->Manual Tillon Install->Edit Registered Products\" menu item.";
}

}  // namespace tendrel
