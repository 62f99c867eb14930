#pragma once
// Registering a rating with SafeSurf: the form goes to the registration
// script by HTTP POST, with a progress window; when the post cannot be made
// the report is written for the author to mail. The blocking steps (connect,
// send, disconnect) run on a StepRunner's worker thread; statuses, the bar,
// dialogs and the report happen on the UI thread between them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/inet/inet.h"
#include "rating/kestrel_config.h"

namespace tendrel {

class StepRunner;
class UserDialogs;

// The HTTP exchange in its steps. The program uses CurlRatingLink; tests put
// in their own.
class RatingLink {
 public:
  virtual ~RatingLink() = default;
  // Opens the session if need be and reaches the registration server; true
  // while a connection exists.
  virtual bool Connect(InetError* error) = 0;
  // Prepares a request on the connection; false when none can be made.
  virtual bool OpenRequest(const std::string& verb, const std::string& object) = 0;
  // The machine has no network to send on.
  virtual bool Offline() = 0;
  // Sends the prepared request with its header line and body and reads the
  // whole reply. answered runs once the server has begun to answer. False
  // when the request could not be sent or the reply not read whole, within
  // the link's time-outs.
  virtual bool Send(const std::string& header, const std::string& body,
                    const std::function<void()>& answered, std::string* reply, InetError* error) = 0;
  // Ends the request, the connection and the session.
  virtual void Disconnect() = 0;
  // Connect and Send run on a worker thread and give up, cancelled, once
  // abort answers true (asked from that thread). Set between exchanges.
  virtual void SetAbort(std::function<bool()> abort) { (void)abort; }
};

// The registration server over libcurl: http://host:port, agent "Kestrel",
// the configuration's time-outs.
class CurlRatingLink : public RatingLink {
 public:
  explicit CurlRatingLink(const KestrelConfig& config);
  ~CurlRatingLink() override;
  bool Connect(InetError* error) override;
  bool OpenRequest(const std::string& verb, const std::string& object) override;
  bool Offline() override;
  bool Send(const std::string& header, const std::string& body, const std::function<void()>& answered,
            std::string* reply, InetError* error) override;
  void Disconnect() override;
  void SetAbort(std::function<bool()> abort) override;

  // "http://host:port" (IPv6 addresses in brackets).
  std::string BaseURL() const;

 private:
  KestrelConfig config_;
  std::unique_ptr<InetSession> session_;
  bool connected_ = false;
  std::unique_ptr<HttpRequest> request_;
  std::function<bool()> abort_;
};

// The progress window, as the sequence sees it.
class SubmissionView {
 public:
  virtual ~SubmissionView() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetBar(int position) = 0;  // 0 .. 5
  virtual void ShowProgress() = 0;
  virtual void CloseProgress() = 0;
};

inline constexpr char kRegistrationObject[] = "/cgi-bin/super.pl";
inline constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

class RatingSubmission {
 public:
  // writeReport appends the report to the memo. The link's blocking calls
  // run on runner, which must outlive this object.
  RatingSubmission(RatingLink& link, StepRunner& runner, SubmissionView& view, UserDialogs& dialogs,
                   std::string email, std::function<void()> writeReport);
  ~RatingSubmission();
  RatingSubmission(const RatingSubmission&) = delete;
  RatingSubmission& operator=(const RatingSubmission&) = delete;

  // The sender. Starts the exchange and returns at once; done runs later, on
  // this thread, with true when the exchange counts as sent. False (and
  // nothing starts) while an exchange is under way.
  bool Send(const std::string& body, std::function<void(bool sent)> done);
  // From Send until done has been called.
  bool busy() const { return busy_; }
  // Ends the exchange under way for good: the transfer is cancelled and
  // waited for, nothing more is shown and done never runs. For closing the
  // window in the middle of a step.
  void Abandon();

  // Why the last exchange failed, for logs.
  const InetError& lastError() const { return lastError_; }

 private:
  // The steps in their order; each runs on the UI thread when the one before
  // has ended.
  void Connected(bool ok);
  void Post();
  void Posted(bool ok);
  void Close(bool sent);
  void Closed(bool sent);
  // The report and the warning; the exchange then counts as not sent.
  void SendFailed(const std::string& why);
  void End(bool sent);
  void Log(const std::string& what, const InetError& error = {}) const;

  RatingLink& link_;
  StepRunner& runner_;
  SubmissionView& view_;
  UserDialogs& dialogs_;
  std::string email_;
  std::function<void()> writeReport_;
  std::function<void(bool)> done_;
  bool busy_ = false;
  // Counts exchanges and abandonments: a step that finds it changed after a
  // dialog stops there.
  std::uint64_t serial_ = 0;
  std::string body_;
  std::string reply_;      // written by the send step, read after it
  InetError stepError_;    // likewise
  InetError lastError_;
};

}  // namespace tendrel
