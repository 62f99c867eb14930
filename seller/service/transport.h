#pragma once
// Bravant's transport to the Tillon service. Every exchange is one HTTPS GET
// whose path and query carry the whole request; the reply body is plain text.
// One internet session and one service connection are held and reused across
// requests until CloseAll, which every error report runs so that the next
// request connects afresh.
//
// Threads: Send is the blocking part and shows nothing, so a worker may run
// it; Connect, Finish, Request and ErrorReport show dialogs and belong on the
// calling (user-interface) thread.
#include <functional>
#include <memory>
#include <string>

#include "platform/inet/inet.h"
#include "seller/service/activity_log.h"
#include "seller/service/ftp_transfer.h"

namespace tendrel {

class SettingsStore;
class UserDialogs;

struct ServiceConfig {
  std::string host;  // the service's web server
  InetTimeouts timeouts;
  std::string caption = "Bravant";  // the caption of the error report's box
  std::string logPath;              // empty: "tlnlog.txt" in the program folder
  static ServiceConfig FromDeployment();
};

// What one blocking request hands back.
struct ServiceOutcome {
  std::string reply;    // the whole body; empty when the exchange failed
  std::string failure;  // the error report's message when it failed, else empty
  explicit operator bool() const { return failure.empty(); }
};

// The texts of the transport's own failures.
inline constexpr char kCouldNotConnect[] = "Could Not Connect To Server";
inline constexpr char kCouldNotOpen[] = "Error while opening http session.";
inline constexpr char kCouldNotSend[] = "Could not send http request.";
inline constexpr char kCouldNotRead[] = "The reply from the server could not be read.";

// The service's rule: a reply succeeds when it holds "{SUCCESS}" anywhere,
// without regard to case.
bool ReplySucceeded(const std::string& reply);

// The explanation the error report gives for an error number. lastResponse
// is the server's last response text, used for 3 and 12003.
std::string ErrorExplanation(int code, const std::string& lastResponse);

// The reply as the error report shows it: without its title, tags and brace
// tokens, trimmed of blanks and line breaks at both ends.
std::string CleanReply(const std::string& reply);

// message, two CR LF, the cleaned reply, two CR LF, "Error <code>", two
// blanks, the explanation.
std::string BuildErrorReport(const std::string& message, const std::string& reply, int code,
                             const std::string& lastResponse);

class ServiceTransport {
 public:
  ServiceTransport(const SettingsStore& settings, UserDialogs& dialogs,
                   ServiceConfig config = ServiceConfig::FromDeployment());
  ~ServiceTransport();
  ServiceTransport(const ServiceTransport&) = delete;
  ServiceTransport& operator=(const ServiceTransport&) = delete;

  // Opens the session and the service connection unless they are open. The
  // port is the settings root's integer Port (default 443); one outside
  // 0..65535 throws std::range_error and nothing is opened. Makes no network
  // traffic itself: a server that cannot be reached fails the request. False
  // (after the error report) when no service connection could be had.
  bool Connect();
  bool Connected() const { return session_ != nullptr; }

  // The blocking part of a request: logs "[SENT] ", exchanges, and on
  // success logs "[RECEIVED] ". Shows nothing, not even the cursor, so a
  // worker thread may run it while the caller waits.
  ServiceOutcome Send(const std::string& pathAndQuery);
  // Back on the calling thread: a failed exchange gets the error report with
  // an empty reply and logs the empty "[RECEIVED] ". Returns the reply.
  std::string Finish(const ServiceOutcome& outcome);
  // Send and Finish in one, for callers that may block: shows the busy
  // cursor first and leaves it to the caller to restore.
  std::string Request(const std::string& pathAndQuery);

  // Restores the cursor, closes everything, shows and logs the report built
  // from message, the reply and the last error. Also used by the FTP
  // transfer, with no reply.
  void ErrorReport(const std::string& message, const std::string& reply = {});
  // Closes the session and with it every connection, the FTP one included.
  void CloseAll();

  // The one program-wide FTP connection and its current remote directory.
  FtpTransfer& Ftp();
  // What the FTP transfer takes from the transport's settings and config.
  const InetTimeouts& Timeouts() const { return config_.timeouts; }
  bool PassiveFtp() const;

  // The last error of an exchange (0 after a success); the FTP transfer
  // records its own here, with the server's last response text.
  int LastError() const { return lastError_; }
  void NoteError(int code, std::string lastResponse = {});

  // Shows (true) or restores (false) the busy cursor; nothing without a hook.
  void SetBusyHook(std::function<void(bool)> busy) { busy_ = std::move(busy); }
  void Busy(bool on) const {
    if (busy_) busy_(on);
  }
  // Lets another thread end a running Send (it then fails as cancelled).
  void SetAbort(InetAbort abort);

  void Log(const std::string& text) const { log_.Write(text); }
  const ActivityLog& ActivityLogFile() const { return log_; }

 private:
  const SettingsStore& settings_;
  UserDialogs& dialogs_;
  ServiceConfig config_;
  ActivityLog log_;
  std::unique_ptr<InetSession> session_;  // the internet handle
  std::unique_ptr<FtpTransfer> ftp_;      // made on first use
  std::string baseUrl_;                   // the service connection: "https://host:port"
  InetAbort abort_;
  std::function<void(bool)> busy_;
  int lastError_ = 0;
  std::string lastResponse_;
};

}  // namespace tendrel
