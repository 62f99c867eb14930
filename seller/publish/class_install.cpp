#include "seller/publish/class_install.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <utility>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "seller/core/log.h"
#include "seller/service/ftp_transfer.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"

namespace tendrel {

namespace {

void Tell(BravantContext& ctx, const std::string& text) {
  ctx.Dialogs().Message(text, kProgramTitle, MsgIcon::None, MsgButtons::Ok);
}

}  // namespace

std::vector<std::string> ClassFoldersToInstall(const std::string& classFolder) {
  std::vector<std::string> folders{classFolder};
  AddSubdirectories(classFolder, folders);
  const std::string products = JoinPath(classFolder, kProductsFolderName);
  folders.erase(std::remove_if(folders.begin() + 1, folders.end(),
                               [&products](const std::string& f) { return SameText(f, products); }),
                folders.end());
  return folders;
}

std::string RemoteClassName(const std::string& classFolder, const std::string& path) {
  std::string relative = path;
  if (path.size() >= classFolder.size() && path.compare(0, classFolder.size(), classFolder) == 0) {
    relative = path.substr(classFolder.size());
    const size_t start = relative.find_first_not_of("/\\");
    relative = start == std::string::npos ? std::string() : relative.substr(start);
  }
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return relative;
}

std::string VanishedClassFileMessage(const std::string& path) {
  return "The local file \"" + path + "\" does not exist and so it cannot be transferred to your server.";
}

ClassInstallation::ClassInstallation(BravantContext& ctx, BlockingRunner& runner,
                                     std::function<void(const std::string&)> status)
    : ctx_(ctx), runner_(runner), status_(std::move(status)) {}

void ClassInstallation::Status(const std::string& text) {
  if (status_) status_(text);
}

void ClassInstallation::Run(const ServerDefinition& server, std::function<void(bool)> done) {
  if (!ctx_.Dialogs().ConfirmYesNo(kInstallClassesQuestion)) {
    ServerStore(ctx_.Settings()).MarkClassesInstalled(server.name);
    if (done) done(true);
    return;
  }
  server_ = server;
  done_ = std::move(done);
  running_ = true;
  ctx_.Service().Busy(true);
  ConnectForPublishing(
      ctx_, runner_, server_, [this](const std::string& text) { Status(text); },
      [this](bool connected) {
        if (!connected) {
          End(false);
          return;
        }
        ctx_.Service().Busy(true);  // an error report on the way may have restored it
        MakeClassesFolder();
      });
}

// "classes" in the server's starting directory, and into it.
void ClassInstallation::MakeClassesFolder() {
  Status(kStatusCreatingDirectories);
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto made = std::make_shared<FtpOutcome>();
  auto entered = std::make_shared<FtpOutcome>();
  runner_.Run(
      [&ftp, made, entered](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *made = ftp.MakeDir(kClassFolderName);
        if (*made) *entered = ftp.ChangeDir(kClassFolderName);
        ftp.SetAbort({});
      },
      {},
      [this, made, entered] {
        FtpTransfer& ftp = ctx_.Service().Ftp();
        if (!ftp.Finish(*made) || !ftp.Finish(*entered)) {
          End(false);
          return;
        }
        try {
          localFolder_ = classFolder_.empty() ? PrepareLocalClassFolder() : classFolder_;
          if (!DirectoryExists(localFolder_)) throw FileError("Cannot find the folder " + localFolder_, ENOENT);
          folders_ = ClassFoldersToInstall(localFolder_);
        } catch (const std::exception& e) {
          ctx_.ReportFault(e.what());
          End(false);
          return;
        }
        MakeFolder(1);
      });
}

// Every folder below the class folder, parents before their children, before
// any file is sent.
void ClassInstallation::MakeFolder(size_t index) {
  if (index >= folders_.size()) {
    SendFolder(0);
    return;
  }
  const std::string remote = RemoteClassName(localFolder_, folders_[index]);
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  runner_.Run(
      [&ftp, remote, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.MakeDir(remote);
        ftp.SetAbort({});
      },
      {},
      [this, index, outcome] {
        if (!ctx_.Service().Ftp().Finish(*outcome)) {
          End(false);
          return;
        }
        MakeFolder(index + 1);
      });
}

void ClassInstallation::SendFolder(size_t index) {
  if (index < folders_.size()) {
    std::vector<std::string> files;
    ListFiles(JoinPath(folders_[index], "*.*"), files, false);
    SendFile(index, std::move(files), 0);
    return;
  }
  // Everything is there: back to the starting directory, and the server is
  // known to have the classes.
  Status("");
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  runner_.Run(
      [&ftp, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.ChangeDir("..");
        ftp.SetAbort({});
      },
      {},
      [this, outcome] {
        ctx_.Service().Ftp().Finish(*outcome);
        ServerStore(ctx_.Settings()).MarkClassesInstalled(server_.name);
        End(true);
      });
}

void ClassInstallation::SendFile(size_t index, std::vector<std::string> files, size_t file) {
  if (file >= files.size()) {
    SendFolder(index + 1);
    return;
  }
  const std::string path = files[file];
  const std::string remote = RemoteClassName(localFolder_, path);
  Status("Installing " + remote);
  if (!FileExists(path)) {
    // Counts as sent: the rest of the classes still go.
    Tell(ctx_, VanishedClassFileMessage(path));
    SendFile(index, std::move(files), file + 1);
    return;
  }
  FtpTransfer& ftp = ctx_.Service().Ftp();
  auto outcome = std::make_shared<FtpOutcome>();
  auto list = std::make_shared<std::vector<std::string>>(std::move(files));
  runner_.Run(
      [&ftp, path, remote, outcome](const BlockingControl& control) {
        ftp.SetAbort(control.cancelled);
        *outcome = ftp.Put(path, remote, false);
        ftp.SetAbort({});
      },
      {},
      [this, index, list, file, path, outcome] {
        if (!ctx_.Service().Ftp().Finish(*outcome)) {
          Tell(ctx_, "A problem was encountered while uploading " + path);
          End(false);
          return;
        }
        SendFile(index, std::move(*list), file + 1);
      });
}

void ClassInstallation::End(bool ok) {
  Status("");
  ctx_.Service().Busy(false);
  running_ = false;
  folders_.clear();
  if (auto done = std::move(done_)) done(ok);
}

}  // namespace tendrel
