#pragma once
// Registering a rating with SafeSurf: the form goes to the registration
// script by HTTP POST, with a progress window; when the post cannot be made
// the report is written for the author to mail.
#include <functional>
#include <memory>
#include <string>

#include "platform/inet/inet.h"
#include "rating/kestrel_config.h"

namespace tendrel {

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

  // "http://host:port" (IPv6 addresses in brackets).
  std::string BaseURL() const;

 private:
  KestrelConfig config_;
  std::unique_ptr<InetSession> session_;
  bool connected_ = false;
  std::unique_ptr<HttpRequest> request_;
};

// The progress window and the message pump, as the sequence sees them.
class SubmissionView {
 public:
  virtual ~SubmissionView() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetBar(int position) = 0;  // 0 .. 5
  virtual void ShowProgress() = 0;
  virtual void CloseProgress() = 0;
  // Lets pending window messages run, so the progress window repaints.
  virtual void Pump() = 0;
};

inline constexpr char kRegistrationObject[] = "/cgi-bin/super.pl";
inline constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

class RatingSubmission {
 public:
  // writeReport appends the report to the memo.
  RatingSubmission(RatingLink& link, SubmissionView& view, UserDialogs& dialogs, std::string email,
                   std::function<void()> writeReport);

  // The sender: true when the exchange counts as sent.
  bool Send(const std::string& body);
  // The connector: true when a connection exists.
  bool Connect();
  // The poster: the reply, or "ERROR" when the request could not be made,
  // sent or answered in full (the report has then been written).
  std::string Post(const std::string& body);
  // The disconnector.
  void Disconnect();

  // Why the last exchange failed, for logs.
  const InetError& lastError() const { return lastError_; }

 private:
  std::string SendFailed();
  RatingLink& link_;
  SubmissionView& view_;
  UserDialogs& dialogs_;
  std::string email_;
  std::function<void()> writeReport_;
  InetError lastError_;
};

}  // namespace tendrel
