#include "rating/submission.h"

#include "platform/dialogs.h"
#include "platform/qt/step_runner.h"
#include "rating/log.h"

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
    session_->SetAbort(abort_);
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

void CurlRatingLink::SetAbort(std::function<bool()> abort) {
  abort_ = std::move(abort);
  if (session_) session_->SetAbort(abort_);
}

void CurlRatingLink::Disconnect() {
  request_.reset();
  connected_ = false;
  session_.reset();
}

// ---- RatingSubmission ----

RatingSubmission::RatingSubmission(RatingLink& link, StepRunner& runner, SubmissionView& view,
                                   UserDialogs& dialogs, std::string email, std::function<void()> writeReport)
    : link_(link), runner_(runner), view_(view), dialogs_(dialogs), email_(std::move(email)),
      writeReport_(std::move(writeReport)) {}

RatingSubmission::~RatingSubmission() { Abandon(); }

bool RatingSubmission::Send(const std::string& body, std::function<void(bool sent)> done) {
  if (busy_ || runner_.busy()) return false;
  busy_ = true;
  ++serial_;
  done_ = std::move(done);
  body_ = body;
  reply_.clear();
  lastError_ = {};
  view_.SetStatus("Attempting to connect to SafeSurf.");
  view_.ShowProgress();
  // The connector, on the worker.
  const bool started = runner_.Start(
      [this](StepControl& step) {
        link_.SetAbort(step.CancelCheck());
        InetError error;
        const bool ok = link_.Connect(&error);
        stepError_ = error;
        return QVariant(ok);
      },
      [this](const QVariant& connected) { Connected(connected.toBool()); });
  if (!started) {
    busy_ = false;
    done_ = {};
    return false;
  }
  return true;
}

void RatingSubmission::Connected(bool ok) {
  const std::uint64_t serial = serial_;
  lastError_ = stepError_;
  if (!ok) {
    Log("no connection to the registration server", lastError_);
    dialogs_.Error("Could Not Connect To Server");
    if (serial != serial_) return;
    // The memo's first line asks the author to mail the text below it, so
    // the text must be there; the window stays up with the outcome.
    if (writeReport_) writeReport_();
    view_.SetStatus("Unable to Connect.");
    End(false);
    return;
  }
  view_.SetStatus("Sending Information to SafeSurf.");
  view_.SetBar(1);
  Post();
}

// The poster: the request is made here, sent and answered on the worker.
void RatingSubmission::Post() {
  const std::uint64_t serial = serial_;
  const bool opened = link_.OpenRequest("POST", kRegistrationObject);
  view_.SetBar(2);
  if (!opened) {
    Log("the registration request could not be made");
    dialogs_.Error("Error while opening http session.");
    if (serial != serial_) return;
    // Nothing went out: the author must still be able to mail the rating.
    SendFailed("");
    return;
  }
  if (link_.Offline()) {
    SendFailed("the machine is offline");
    return;
  }
  const bool started = runner_.Start(
      [this](StepControl& step) {
        link_.SetAbort(step.CancelCheck());
        std::string reply;
        InetError error;
        const bool ok = link_.Send(
            kFormContentType, body_, [&step] { step.Report(3); }, &reply, &error);
        reply_ = std::move(reply);
        stepError_ = error;
        return QVariant(ok);
      },
      [this](const QVariant& sent) { Posted(sent.toBool()); },
      [this](int position, const QString&) { view_.SetBar(position); });
  if (!started) SendFailed("the send could not start");
}

void RatingSubmission::Posted(bool ok) {
  lastError_ = stepError_;
  if (!ok) {
    SendFailed("the rating could not be sent");
  } else if (reply_ == "ERROR") {
    // A refusal from the server leaves the author where a failed send does:
    // with the report to mail.
    SendFailed("the registration server answered ERROR");
  } else {
    Close(true);
  }
}

void RatingSubmission::SendFailed(const std::string& why) {
  const std::uint64_t serial = serial_;
  if (!why.empty()) Log(why, lastError_);
  if (writeReport_) writeReport_();
  dialogs_.Warn(
      "Could not send HTTP request. Either you are not online or an error has occured.\r\n"
      "Please register your site with SafeSurf next time you go online by sending the text on the "
      "following page to " + email_);
  if (serial != serial_) return;
  Close(false);
}

// The disconnector, on the worker.
void RatingSubmission::Close(bool sent) {
  view_.SetStatus("Information Sent. Closing connection.");
  view_.SetBar(4);
  const bool started = runner_.Start(
      [this](StepControl&) {
        link_.Disconnect();
        return QVariant();
      },
      [this, sent](const QVariant&) { Closed(sent); });
  if (!started) Closed(sent);
}

void RatingSubmission::Closed(bool sent) {
  view_.SetBar(5);
  view_.CloseProgress();
  End(sent);
}

void RatingSubmission::End(bool sent) {
  busy_ = false;
  std::function<void(bool)> done = std::move(done_);
  done_ = {};
  if (done) done(sent);
}

void RatingSubmission::Abandon() {
  if (!busy_) return;
  ++serial_;
  busy_ = false;
  done_ = {};
  runner_.Stop();
}

void RatingSubmission::Log(const std::string& what, const InetError& error) const {
  if (error) {
    qCWarning(lcRating).noquote() << QString::fromStdString(what) + ": " + QString::fromStdString(error.text) +
                                         " (" + QString::number(error.code) + ", " +
                                         QString::fromStdString(error.detail) + ")";
  } else {
    qCWarning(lcRating).noquote() << QString::fromStdString(what);
  }
}

}  // namespace tendrel
