#include "seller/service/transport.h"

#include <stdexcept>

#include "common/text.h"
#include "platform/dialogs.h"
#include "seller/core/log.h"
#include "seller/core/settings.h"
#include "seller/core/deployment.h"
#include "seller/service/ftp_transfer.h"

namespace tendrel {

namespace {

constexpr char kAgent[] = "Tillon Applicator";
constexpr char kCrLf[] = "\r\n";
// The system's number for a handle that is not open: a request without a
// service connection fails with it.
constexpr int kInvalidHandle = 6;
// The server's last response text comes in a buffer of this many characters
// (its terminating NUL included); a longer text cannot be fetched.
constexpr size_t kResponseBufferChars = 2000;

}  // namespace

ServiceConfig ServiceConfig::FromDeployment() {
  ServiceConfig c;
  c.host = deployment::TillonServiceHost();
  c.timeouts.connectMs = deployment::ServiceConnectTimeoutMs();
  c.timeouts.stallMs = deployment::ServiceStallTimeoutMs();
  return c;
}

bool ReplySucceeded(const std::string& reply) { return PosCI("{SUCCESS}", reply) != 0; }

std::string ErrorExplanation(int code, const std::string& lastResponse) {
  switch (code) {
    case 3:
    case 12003:
      if (lastResponse.empty() || lastResponse.size() >= kResponseBufferChars)
        return "No extended information available.";
      return lastResponse;
    case 6:
    case 12006: return "Unrecognized scheme.";
    case 7:
    case 12007: return "Could not resolve host name.";
    case 29:
    case 12029: return "Server is not running at this time, or FTP session was dropped.";
    default: return {};
  }
}

std::string CleanReply(const std::string& reply) {
  std::string text = ReplaceBetween(reply, "<TITLE>", "</TITLE>", "", false);
  text = ReplaceBetween(text, "<", ">", "", false);
  text = ReplaceBetween(text, "{", "}", "", false);
  return Trim(text);
}

std::string BuildErrorReport(const std::string& message, const std::string& reply, int code,
                             const std::string& lastResponse) {
  return message + kCrLf + kCrLf + CleanReply(reply) + kCrLf + kCrLf + "Error " + std::to_string(code) + "  " +
         ErrorExplanation(code, lastResponse);
}

ServiceTransport::ServiceTransport(const SettingsStore& settings, UserDialogs& dialogs, ServiceConfig config)
    : settings_(settings), dialogs_(dialogs), config_(std::move(config)), log_(settings_, config_.logPath) {}

ServiceTransport::~ServiceTransport() = default;

bool ServiceTransport::Connect() {
  if (session_) return true;
  const int port = settings_.ReadInteger("", "Port", 443);
  if (port < 0 || port > 65535) throw std::range_error("Range check error");
  // A host that cannot stand in a URL gives no service connection.
  if (config_.host.empty() || config_.host.find_first_of("/?#@ ") != std::string::npos) {
    NoteError(kInetInvalidUrl);
    ErrorReport(kCouldNotConnect);
    return false;
  }
  Busy(true);
  session_ = std::make_unique<InetSession>(kAgent, config_.timeouts);
  session_->KeepConnections();
  session_->SetAbort(abort_);
  std::string host = config_.host;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  baseUrl_ = "https://" + host + ":" + std::to_string(port);
  Busy(false);
  return true;
}

std::string ServiceTransport::Request(const std::string& pathAndQuery) {
  Busy(true);  // the caller restores the normal cursor
  return Finish(Send(pathAndQuery));
}

ServiceOutcome ServiceTransport::Send(const std::string& pathAndQuery) {
  log_.Write("[SENT] " + pathAndQuery);
  ServiceOutcome out;
  if (!session_) {
    NoteError(kInvalidHandle);
    out.failure = kCouldNotOpen;
    return out;
  }
  if (pathAndQuery.empty() || pathAndQuery.front() != '/') {
    NoteError(kInetInvalidUrl);
    out.failure = kCouldNotOpen;
    return out;
  }
  HttpRequest request;
  request.url = baseUrl_ + pathAndQuery;
  request.reload = true;
  HttpReply reply;
  InetError error;
  bool answered = false;
  if (!session_->Perform(request, &reply, &error, [&answered] { answered = true; })) {
    qCDebug(lcSeller) << "service request failed:" << error.code << error.detail.c_str();
    NoteError(error.code);
    if (error.code == kInetInvalidUrl || error.code == kInetUnrecognizedScheme) {
      out.failure = kCouldNotOpen;
    } else if (!answered) {
      out.failure = kCouldNotSend;  // includes a server that never began to answer
    } else {
      out.failure = kCouldNotRead;  // cut off, stalled or too large mid-body
    }
    return out;
  }
  NoteError(0);
  out.reply = std::move(reply.body);
  // Not even a copy of a large reply while nothing is logged.
  if (log_.Enabled()) log_.Write("[RECEIVED] " + out.reply);
  return out;
}

std::string ServiceTransport::Finish(const ServiceOutcome& outcome) {
  if (outcome) return outcome.reply;
  ErrorReport(outcome.failure, {});
  log_.Write("[RECEIVED] ");
  return {};
}

void ServiceTransport::ErrorReport(const std::string& message, const std::string& reply) {
  Busy(false);
  const int code = lastError_;
  const std::string lastResponse = lastResponse_;
  CloseAll();
  const std::string report = BuildErrorReport(message, reply, code, lastResponse);
  log_.Write("[ERROR] " + report);
  dialogs_.Message(report, config_.caption, MsgIcon::None, MsgButtons::Ok);
}

void ServiceTransport::CloseAll() {
  if (ftp_) ftp_->Close();
  session_.reset();
  baseUrl_.clear();
}

FtpTransfer& ServiceTransport::Ftp() {
  if (!ftp_) ftp_ = std::make_unique<FtpTransfer>(*this);
  return *ftp_;
}

bool ServiceTransport::PassiveFtp() const { return settings_.ReadFlag("Options", "Passive FTP", "No"); }

void ServiceTransport::NoteError(int code, std::string lastResponse) {
  lastError_ = code;
  lastResponse_ = std::move(lastResponse);
}

void ServiceTransport::SetAbort(InetAbort abort) {
  abort_ = std::move(abort);
  if (session_) session_->SetAbort(abort_);
}

}  // namespace tendrel
