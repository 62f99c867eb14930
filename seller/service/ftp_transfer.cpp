#include "seller/service/ftp_transfer.h"

#include "platform/inet/ftp.h"
#include "seller/service/transport.h"

namespace tendrel {

namespace {

// The name a local file has on the server: what follows its last folder
// separator, in either form, or a drive's colon.
std::string OwnName(const std::string& localFile) {
  const size_t cut = localFile.find_last_of("\\:/");
  return cut == std::string::npos ? localFile : localFile.substr(cut + 1);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Notes the error for the report the caller's Finish shows; the caller has
// dropped the connection as the report's close-all would, so a worker running
// this leaves no connection the next step could trust.
FtpOutcome Failed(ServiceTransport& transport, const std::string& message, const InetError& error,
                  const std::string& lastResponse) {
  transport.NoteError(error.code, error.code == kInetExtendedError ? lastResponse : std::string());
  return FtpOutcome{message};
}

}  // namespace

FtpTransfer::FtpTransfer(ServiceTransport& transport) : transport_(transport) {}

FtpTransfer::~FtpTransfer() = default;

bool FtpTransfer::Connected() const { return session_ && session_->IsOpen(); }

std::string FtpTransfer::CurrentDir() const { return Connected() ? session_->CurrentDir() : std::string(); }

void FtpTransfer::SetAbort(InetAbort abort) {
  abort_ = std::move(abort);
  if (session_) session_->SetAbort(abort_);
}

void FtpTransfer::Close() {
  session_.reset();
  server_ = FtpServer{};
}

FtpOutcome FtpTransfer::Connect(const FtpServer& server) {
  const std::string message =
      "Could not connect to FTP host (" + server.host + ") or change directory (" + server.directory + ")";
  if (Connected()) {
    // The open connection serves only the server, login and starting
    // directory it was made for; anything else would upload to the wrong place.
    if (server.host == server_.host && server.directory == server_.directory && server.login == server_.login &&
        server.password == server_.password)
      return {};
    Close();
  }
  session_ = std::make_unique<FtpSession>(FtpOptions{transport_.PassiveFtp(), transport_.Timeouts()});
  session_->SetAbort(abort_);
  InetError error;
  if (!session_->Connect(server.host, server.login, server.password, &error) ||
      (!server.directory.empty() && !session_->ChangeDir(server.directory, &error))) {
    const std::string response = session_->LastResponse();
    Close();
    return Failed(transport_, message, error, response);
  }
  server_ = server;
  transport_.NoteError(0);
  return {};
}

FtpOutcome FtpTransfer::Put(const std::string& localFile, const std::string& remoteName, bool ascii,
                            const FtpProgress& progress) {
  const std::string message = "An error occurred while trying to upload " + remoteName + " to your FTP server.";
  InetError error;
  if (!Connected()) {
    error.code = kFtpInvalidHandle;
    error.detail = "no FTP connection";
    return Failed(transport_, message, error, {});
  }
  if (!session_->Put(localFile, remoteName, ascii, progress, &error)) {
    const std::string response = session_->LastResponse();
    Close();
    return Failed(transport_, message, error, response);
  }
  transport_.NoteError(0);
  return {};
}

FtpOutcome FtpTransfer::PutSameName(const std::string& localFile, const FtpProgress& progress) {
  FtpOutcome outcome = Put(localFile, OwnName(localFile), false, progress);
  if (!outcome) outcome.failure = "Could not transfer " + localFile;
  return outcome;
}

FtpOutcome FtpTransfer::MakeDir(const std::string& directory) {
  const std::string message = "Could not create directory " + Quoted(directory);
  InetError error;
  if (!Connected()) {
    error.code = kFtpInvalidHandle;
    error.detail = "no FTP connection";
    return Failed(transport_, message, error, {});
  }
  // The server refusing MKD is what a directory that exists gives: success.
  if (!session_->MakeDir(directory, &error) && error.code != kInetExtendedError) {
    const std::string response = session_->LastResponse();
    Close();
    return Failed(transport_, message, error, response);
  }
  transport_.NoteError(0);
  return {};
}

FtpOutcome FtpTransfer::ChangeDir(const std::string& directory) {
  const std::string message = "Could not change directory to " + Quoted(directory);
  InetError error;
  if (!Connected()) {
    error.code = kFtpInvalidHandle;
    error.detail = "no FTP connection";
    return Failed(transport_, message, error, {});
  }
  if (!session_->ChangeDir(directory, &error)) {
    const std::string response = session_->LastResponse();
    Close();
    return Failed(transport_, message, error, response);
  }
  transport_.NoteError(0);
  return {};
}

bool FtpTransfer::Finish(const FtpOutcome& outcome) {
  if (outcome) return true;
  transport_.ErrorReport(outcome.failure);
  return false;
}

bool FtpTransfer::FtpConnect(const std::string& host, const std::string& directory, const std::string& login,
                             const std::string& password) {
  return Finish(Connect(FtpServer{host, directory, login, password}));
}

bool FtpTransfer::FtpPutSameName(const std::string& localFile) { return Finish(PutSameName(localFile)); }

bool FtpTransfer::FtpPut(const std::string& localFile, const std::string& remoteName, bool ascii) {
  return Finish(Put(localFile, remoteName, ascii));
}

bool FtpTransfer::FtpMakeDir(const std::string& directory) { return Finish(MakeDir(directory)); }

bool FtpTransfer::FtpChangeDir(const std::string& directory) { return Finish(ChangeDir(directory)); }

}  // namespace tendrel
