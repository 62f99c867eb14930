#pragma once
// Bravant's FTP transfer: the one program-wide FTP connection, held by the
// service transport and closed with everything else by its CloseAll, and a
// current remote directory that the operations below work relative to.
//
// Threads: the blocking parts (Connect, PutSameName, Put, MakeDir, ChangeDir)
// show nothing, so a worker thread may run them; Finish shows the error report
// and belongs on the user-interface thread. The Ftp... operations are both in
// one, for callers that may block.
//
// Connect while a connection is open keeps it, with its current directory,
// only for the same host, starting directory, login and password; anything
// else closes it and connects anew. The host may carry a port ("host:2121");
// without one it is 21. Active mode unless the settings' Options/"Passive FTP"
// is "Yes"; the connect and stall time-outs are the service's.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/inet/inet.h"

namespace tendrel {

class ServiceTransport;
class FtpSession;

using FtpProgress = std::function<void(uint64_t sent, uint64_t total)>;  // called from the transferring thread
struct FtpServer { std::string host, directory, login, password; };     // password in clear
struct FtpOutcome {
  std::string failure;   // the error report's message ("Could not transfer /x/y.e"), empty on success
  explicit operator bool() const { return failure.empty(); }
};

class FtpTransfer {
 public:
  explicit FtpTransfer(ServiceTransport& transport);
  ~FtpTransfer();
  FtpTransfer(const FtpTransfer&) = delete;
  FtpTransfer& operator=(const FtpTransfer&) = delete;

  // Blocking parts: no dialogs, no cursor; a worker thread may run them. A failure notes the error
  // number (and the server's last response for 12003) in the transport (NoteError) and closes the FTP connection.
  FtpOutcome Connect(const FtpServer& server);
  FtpOutcome PutSameName(const std::string& localFile, const FtpProgress& progress = {});
  FtpOutcome Put(const std::string& localFile, const std::string& remoteName, bool ascii, const FtpProgress& progress = {});
  FtpOutcome MakeDir(const std::string& directory);
  FtpOutcome ChangeDir(const std::string& directory);
  // On the UI thread: a failed outcome gets the transport's error report (which runs close-all). Returns bool(outcome).
  bool Finish(const FtpOutcome& outcome);
  // The operations, blocking part and report in one (for callers that may block):
  bool FtpConnect(const std::string& host, const std::string& directory, const std::string& login, const std::string& password);
  bool FtpPutSameName(const std::string& localFile);
  bool FtpPut(const std::string& localFile, const std::string& remoteName, bool ascii);
  bool FtpMakeDir(const std::string& directory);
  bool FtpChangeDir(const std::string& directory);
  bool Connected() const;
  void SetAbort(InetAbort abort);  // another thread may end a running transfer (it fails as cancelled)

  // Closes the FTP connection (the transport's CloseAll runs it).
  void Close();
  // The current remote directory, absolute ("/" based); empty while not connected.
  std::string CurrentDir() const;

 private:
  ServiceTransport& transport_;
  std::unique_ptr<FtpSession> session_;
  FtpServer server_;  // what the open connection was made for
  InetAbort abort_;
};

}  // namespace tendrel
