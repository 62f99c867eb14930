#pragma once
// The vendor's upload servers: named definitions kept in the settings under
// "Servers\<name>", one sub-section a server. A server exists once a value has
// been written for it; its name is the sub-section's name, as the user typed
// it. The editing rules of the Server Definition page and the choice of the
// Choose Server page live here too, so they run without a display.
#include <optional>
#include <string>
#include <vector>

namespace tendrel {

class SettingsStore;
class UserDialogs;

inline constexpr char kServersSection[] = "Servers";
inline constexpr char kLastServerValue[] = "Last Server";
inline constexpr char kServerPageDirKey[] = "Server Page Dir";
// The Choose Server page's starting directory of a server that never had one.
inline constexpr char kDefaultDirectoryShown[] = "[Default]";

inline constexpr char kNewServerCaption[] = "Name of Server Connection";
inline constexpr char kNewServerPrompt[] = "Please enter a descriptive name for this connection.";
inline constexpr char kServerNameUsed[] = "That name has already been used ! Please choose another name.";
inline constexpr char kNoServerDefined[] =
    "You must create at least one server definition before proceeding with the upload process.";

// The examples the field captions and the help text use (a host reserved
// for examples, so no real server is named).
inline constexpr char kExampleFtpHost[] = "ftp.example.com";
inline constexpr char kExampleWebAddress[] = "http://example.com";

struct ServerDefinition {
  std::string name, address, directory, login, password /*decoded*/, httpRoot;
};

// The fields of one server, in the order the Server Definition page shows them.
enum class ServerField { Address, Directory, Login, Password, HttpBase };

// What the Choose Server page shows for the chosen server.
struct ServerChoice {
  std::string name;
  std::string address;
  std::string directory;  // "[Default]" when the server has no Directory value
  bool otherThanLast = false;  // the name differed from "Last Server" before the choice
};

class ServerStore {  // all under the settings section "Servers\<name>"
 public:
  explicit ServerStore(SettingsStore& settings);

  // The servers' names in the settings' order of sub-sections. A missing
  // "Servers" section lists nothing (the store keeps no empty sections, so
  // there is nothing to create until a server gets its first value).
  std::vector<std::string> Names() const;
  // Missing values read empty; the password comes back decoded.
  ServerDefinition Load(const std::string& name) const;

  // "Servers\<name>": where the server's values lie.
  static std::string Section(const std::string& name);

  // Writes one field's text; the password is stored encoded. Nothing is
  // written for the empty name (no server is being edited). True when written.
  bool Write(const std::string& name, ServerField field, const std::string& text);
  // Deletes the server with everything under it. True when it is gone.
  bool Delete(const std::string& name);

  std::string LastServer() const;
  void SetLastServer(const std::string& name);
  // "Installed Classes" = "1": the service's classes are on that server (or
  // the user said they need not be).
  void MarkClassesInstalled(const std::string& name);

  // Choosing a server on the Choose Server page: notes whether it differs
  // from "Last Server", reads what the page shows, and makes it "Last Server".
  ServerChoice Choose(const std::string& name);

 private:
  SettingsStore& settings_;
};

// True when `names` holds `name`, compared without regard to case.
bool ServerNameTaken(const std::vector<std::string>& names, const std::string& name);

// What the Server Definition page's five fields hold.
struct ServerFields {
  std::string address, directory, login, password, httpBase;
  std::string& operator[](ServerField f);
};

// The Server Definition page without its widgets: the list of names, the
// server being edited (the current server), New and Delete with their
// questions, and the write on leaving a field with its follow-ups.
class ServerEditor {
 public:
  ServerEditor(ServerStore& store, UserDialogs& dialogs);

  const std::vector<std::string>& List() const { return list_; }
  // Replaces the list; the current server stays as it is.
  void SetList(std::vector<std::string> names) { list_ = std::move(names); }

  // The server being edited; empty when none.
  const std::string& Current() const { return current_; }
  // "Servers\<name>" of the current server, or empty.
  std::string CurrentKey() const;

  // Makes the server current and gives its stored values for the fields.
  ServerFields Choose(const std::string& name);
  // Asks for a name; on a new one appends it to the list and makes it
  // current. The name, or nothing (cancelled, empty, or already used - the
  // last is told to the user).
  std::optional<std::string> NewServer();
  // Asks whether to delete the current server; on Yes deletes it, takes its
  // name off the list and leaves no server current. The deleted name, or
  // nothing (none current, or the answer was No).
  std::optional<std::string> DeleteServer();

  // Leaving a field: writes its text to the current server, then the
  // follow-ups - an empty HTTP base becomes "http://" and the address; an
  // HTTP base without any "/" gets "/" and the directory. True when the
  // HTTP base was changed (the page shows fields.httpBase again).
  bool Leave(ServerField field, ServerFields& fields);

 private:
  ServerStore& store_;
  UserDialogs& dialogs_;
  std::vector<std::string> list_;
  std::string current_;
};

// The "Server Page Dir" one-time help text, shown on entering the HTTP base.
std::string ServerPageDirHelp();

}  // namespace tendrel
