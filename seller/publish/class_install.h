#pragma once
// Installing the service's Java classes on the vendor's server: the local
// class folder ("classes" in the program folder, filled from the program's
// own copy) is copied into a folder "classes" under the server's starting
// directory, folders first, then their files. Its "products" folder stays
// at home: it is the vendor's, not the applet's.
//
// Like the publish run, the installation is a chain of steps whose blocking
// parts (connecting, making folders, transfers) go to a BlockingRunner.
#include <functional>
#include <string>
#include <vector>

#include "seller/core/class_folder.h"
#include "seller/publish/pipeline.h"

namespace tendrel {

class BravantContext;

inline constexpr char kInstallClassesQuestion[] =
    "Bravant will now install the necessary files on your server to allow customers to buy your products."
    "\r\n\r\nDo you wish to continue with this installation ?";
inline constexpr char kStatusCreatingDirectories[] = "Creating directories...";

// The folders to install, in order: the class folder, then all folders below
// it depth first, without the "products" folder directly under it (any
// folders of its own stay in the list).
std::vector<std::string> ClassFoldersToInstall(const std::string& classFolder);

// A local path's name on the server: relative to the class folder, with
// every backslash turned into "/".
std::string RemoteClassName(const std::string& classFolder, const std::string& path);

// What a file listed for sending and gone before its turn shows.
std::string VanishedClassFileMessage(const std::string& path);

class ClassInstallation {
 public:
  // status: the status line ("" empties it), on the caller's thread.
  ClassInstallation(BravantContext& ctx, BlockingRunner& runner, std::function<void(const std::string&)> status);
  ClassInstallation(const ClassInstallation&) = delete;
  ClassInstallation& operator=(const ClassInstallation&) = delete;

  // Where the classes are taken from; empty (the default) for
  // PrepareLocalClassFolder().
  void SetClassFolder(std::string folder) { classFolder_ = std::move(folder); }

  // Asks, then installs on the server; done(result) at the end, on the
  // caller's thread. No records the server as installed without a
  // transfer and is a success.
  void Run(const ServerDefinition& server, std::function<void(bool)> done);
  bool Running() const { return running_; }

 private:
  void MakeClassesFolder();
  void MakeFolder(size_t index);
  void SendFolder(size_t index);
  void SendFile(size_t index, std::vector<std::string> files, size_t file);
  void End(bool ok);
  void Status(const std::string& text);

  BravantContext& ctx_;
  BlockingRunner& runner_;
  std::function<void(const std::string&)> status_;
  std::string classFolder_;
  std::string localFolder_;  // the run's class folder
  std::vector<std::string> folders_;
  ServerDefinition server_;
  std::function<void(bool)> done_;
  bool running_ = false;
};

}  // namespace tendrel
