#pragma once
// The publish wizard's two server pages: "Server Definition", where the
// vendor's upload servers are created, edited and deleted, and "Choose
// Server", where the server to upload to is picked. Both are thin over
// ServerStore and ServerEditor.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "seller/publish/servers.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tendrel {

class BravantContext;

// The "Server Definition" page: the list "Current Servers" (lstServers) with
// btnNewServer and btnDeleteServer, and the group "Servers Details"
// (grpServerDetails) with txtAddress, txtDirectory, txtLogin, txtServerPassword and
// txtHTTPBase. Laid out for the whole wizard room (about 398 x 282).
class ServerDefinitionPage : public QWidget {
  Q_OBJECT

 public:
  explicit ServerDefinitionPage(BravantContext& ctx, QWidget* parent = nullptr);
  ~ServerDefinitionPage() override;

  // Shows these names; the server being edited stays the current one.
  void LoadList(const std::vector<std::string>& names);
  // True when the list holds at least one name.
  bool HasServers() const;

  // The buttons.
  void NewServer();
  void DeleteServer();

  // The server being edited; empty when none.
  std::string CurrentServer() const;
  const ServerEditor& Editor() const { return editor_; }

 protected:
  // Leaving a field writes it (Qt moves the focus out of a page that is
  // turned away, so that leaves the field too); entering the HTTP base
  // shows its help.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ServerClicked(int row);
  void ShowFields(const ServerFields& fields);
  ServerFields Typed() const;
  void Leave(QLineEdit* field);
  void EnteredHttpBase();
  QLineEdit* FieldEdit(ServerField f) const;

  BravantContext& ctx_;
  ServerStore store_;
  ServerEditor editor_;
  QListWidget* lstServers_ = nullptr;
  QPushButton* btnNewServer_ = nullptr;
  QPushButton* btnDeleteServer_ = nullptr;
  QGroupBox* grpServerDetails_ = nullptr;
  QLineEdit *txtAddress_ = nullptr, *txtDirectory_ = nullptr, *txtLogin_ = nullptr,
            *txtPassword_ = nullptr, *txtHTTPBase_ = nullptr;
};

// The "Choose Server" page: the list "Servers" (lstChooseServer) and the
// group "Server Information" (grpServerInfo) showing the chosen server's
// address (lblAddress) and starting directory (lblInitialDir). Leaves the
// wizard's section picture its corner (x < 104, y < 128).
class ChooseServerPage : public QWidget {
  Q_OBJECT

 public:
  explicit ChooseServerPage(BravantContext& ctx, QWidget* parent = nullptr);
  ~ChooseServerPage() override;

  // Shows these names, then selects "Last Server" when listed and runs the
  // choice for it; with "Last Server" not listed nothing is chosen.
  void LoadList(const std::vector<std::string>& names);
  // The chosen server's name; empty when none is selected.
  std::string ChosenServer() const;
  // What the group shows in full (the labels elide what does not fit).
  std::string ShownAddress() const { return shown_.address; }
  std::string ShownDirectory() const { return shown_.directory; }

  // Called when a server other than "Last Server" is chosen (the wizard
  // enables its "Install Tillon Java Classes" button again).
  std::function<void()> onOtherServerChosen;

 private:
  void RowChosen(int row);
  void ShowChoice();

  ServerStore store_;
  QListWidget* lstChooseServer_ = nullptr;
  QLabel* lblAddress_ = nullptr;
  QLabel* lblInitialDir_ = nullptr;
  ServerChoice shown_;
};

// Loads both lists from the settings: the Choose Server list, then the same
// names on the Server Definition page, then the choice of "Last Server".
// True when at least one server exists.
bool LoadServerLists(ServerStore& store, ServerDefinitionPage& definition, ChooseServerPage& choose);

}  // namespace tendrel
