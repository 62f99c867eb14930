#include "rating/submission.h"

#include "platform/dialogs.h"

namespace tendrel {

// ---- CurlRatingLink ----

CurlRatingLink::CurlRatingLink(const KestrelConfig& config) : config_(config) {}
CurlRatingLink::~CurlRatingLink() = default;

std::string CurlRatingLink::BaseURL() const {
  std::string host = config_.registrationHost;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  return "http://" + host + ":" + std::to_string(config_.registrationPort);
}

bool CurlRatingLink::Connect(InetError* error) {
  if (!session_) {
    InetTimeouts t;
    t.connectMs = config_.connectTimeoutMs;
    t.stallMs = config_.stallTimeoutMs;
    t.totalMs = kKestrelTotalTimeoutMs;
    session_ = std::make_unique<InetSession>("Kestrel", t);
  }
  if (!connected_) connected_ = session_->Probe(BaseURL() + "/", error);
  return connected_;
}

bool CurlRatingLink::OpenRequest(const std::string& verb, const std::string& object) {
  request_.reset();
  if (!connected_ || verb.empty() || object.empty() || object.front() != '/') return false;
  request_ = std::make_unique<HttpRequest>();
  request_->method = verb;
  request_->url = BaseURL() + object;
  request_->reload = true;
  return true;
}

bool CurlRatingLink::Offline() { return InetIsOffline(config_.registrationHost); }

bool CurlRatingLink::Send(const std::string& header, const std::string& body,
                          const std::function<void()>& answered, std::string* reply, InetError* error) {
  if (!session_ || !request_) {
    if (error) *error = InetError{kInetInternalError, InetErrorText(kInetInternalError), "no request"};
    return false;
  }
  request_->headers = {header};
  request_->body = body;
  HttpReply r;
  const bool ok = session_->Perform(*request_, &r, error, answered);
  if (reply) *reply = r.body;
  return ok;
}

void CurlRatingLink::Disconnect() {
  request_.reset();
  connected_ = false;
  session_.reset();
}

// ---- RatingSubmission ----

RatingSubmission::RatingSubmission(RatingLink& link, SubmissionView& view, UserDialogs& dialogs,
                                   std::string email, std::function<void()> writeReport)
    : link_(link), view_(view), dialogs_(dialogs), email_(std::move(email)),
      writeReport_(std::move(writeReport)) {}

bool RatingSubmission::Send(const std::string& body) {
  view_.SetStatus("Attempting to connect to SafeSurf.");
  view_.ShowProgress();
  view_.Pump();
  if (!Connect()) {
    // The window stays up with the outcome until the author closes it.
    view_.SetStatus("Unable to Connect.");
    return false;
  }
  view_.SetStatus("Sending Information to SafeSurf.");
  view_.SetBar(1);
  view_.Pump();
  const std::string reply = Post(body);
  view_.SetStatus("Information Sent. Closing connection.");
  view_.SetBar(4);
  view_.Pump();
  Disconnect();
  view_.SetBar(5);
  view_.CloseProgress();
  return reply != "ERROR";
}

bool RatingSubmission::Connect() {
  lastError_ = {};
  if (link_.Connect(&lastError_)) return true;
  dialogs_.Error("Could Not Connect To Server");
  return false;
}

std::string RatingSubmission::Post(const std::string& body) {
  const bool opened = link_.OpenRequest("POST", kRegistrationObject);
  view_.SetBar(2);
  if (!opened) {
    dialogs_.Error("Error while opening http session.");
    // Nothing went out: the author must still be able to mail the rating.
    return SendFailed();
  }
  if (link_.Offline()) return SendFailed();
  std::string reply;
  const bool ok = link_.Send(
      kFormContentType, body,
      [this] { view_.SetBar(3); },  // the bar paints itself; no events run inside the exchange
      &reply, &lastError_);
  // A refusal from the server leaves the author where a failed send does: with
  // the report to mail.
  if (!ok || reply == "ERROR") return SendFailed();
  return reply;
}

std::string RatingSubmission::SendFailed() {
  if (writeReport_) writeReport_();
  dialogs_.Warn(
      "Could not send HTTP request. Either you are not online or an error has occured.\r\n"
      "Please register your site with SafeSurf next time you go online by sending the text on the "
      "following page to " + email_);
  return "ERROR";
}

void RatingSubmission::Disconnect() { link_.Disconnect(); }

}  // namespace tendrel
