#pragma once
// An FTP session over libcurl in WinINet's terms: one control connection kept
// open from the login on, a current remote directory tracked here (libcurl
// itself works with whole URL paths), and failures that carry WinINet's error
// numbers. When the server answered a command with an error, the failure is
// kInetExtendedError and LastResponse() holds the server's answer.
//
// Every operation is bounded: the connection must be made within the connect
// time-out, each answer of the server must come within the stall time-out, and
// a data transfer in which no byte moves for the stall time-out ends with
// kInetTimeout.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/inet/inet.h"

namespace tendrel {

// WinINet's numbers for the failures only FTP has.
enum FtpErrorCode : int {
  kFtpFileNotFound = 2,          // the local file could not be opened (the system's number)
  kFtpInvalidHandle = 6,         // an operation without an open connection (the system's number)
  kInetIncorrectPassword = 12014,  // the server refused the login
};

// An address as the user types it: "host", "host:port", "[v6]:port" or a bare
// IPv6 address. False when it names no host or a port outside 1..65535.
bool SplitFtpAddress(const std::string& address, std::string* host, int* port);

// The remote path that directory reaches from the absolute directory current:
// "/" separated, "." stays and ".." goes up (never above "/"); an absolute
// directory starts afresh from "/".
std::string JoinRemotePath(const std::string& current, const std::string& directory);

struct FtpOptions {
  bool passive = false;  // else active mode: the server connects back to us
  InetTimeouts timeouts;
};

struct FtpOperation;  // one libcurl perform's state, inside ftp.cpp

// Bytes sent so far of the whole, called on the transferring thread.
using FtpUploadProgress = std::function<void(uint64_t sent, uint64_t total)>;

class FtpSession {
 public:
  explicit FtpSession(FtpOptions options = {});
  ~FtpSession();  // closes the connection
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  // Lets another thread end this session's operations: they ask abort while
  // they wait and fail with kInetOperationCancelled once it answers true.
  // Set it before an operation starts, not during one.
  void SetAbort(InetAbort abort) { abort_ = std::move(abort); }

  // Connects to address (see SplitFtpAddress; port 21 by default) and logs
  // in; an empty login logs in anonymously. The current directory becomes the
  // one the server puts the login in.
  bool Connect(const std::string& address, const std::string& login, const std::string& password,
               InetError* error);
  bool IsOpen() const { return open_; }
  // Sends QUIT when the connection is still good, and forgets it.
  void Close();

  // The current remote directory, absolute; empty while closed.
  const std::string& CurrentDir() const { return current_; }
  // Makes directory (relative to the current one, or absolute) current once
  // the server accepted it.
  bool ChangeDir(const std::string& directory, InetError* error);
  bool MakeDir(const std::string& directory, InetError* error);
  // Stores localFile under remoteName (relative to the current directory, or
  // absolute), streamed from the file, in ASCII or binary mode.
  bool Put(const std::string& localFile, const std::string& remoteName, bool ascii,
           const FtpUploadProgress& progress, InetError* error);

  // The server's last answer, every line of it joined by CR LF; "" when none.
  const std::string& LastResponse() const { return lastResponse_; }
  // The number of control connections this session has made: one per login
  // unless libcurl had to connect again.
  int ConnectionsMade() const { return connections_; }

 private:
  bool Run(FtpOperation& op, InetError* error);
  bool Command(const std::string& command, InetError* error);
  std::string Url(const std::string& absolutePath) const;

  FtpOptions options_;
  InetAbort abort_;
  void* curl_ = nullptr;  // the easy handle whose cache keeps the control connection
  bool open_ = false;
  std::string base_;      // "ftp://host:port"
  std::string login_, password_;
  std::string current_;
  std::string lastResponse_;
  int connections_ = 0;
};

}  // namespace tendrel
