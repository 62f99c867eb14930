#pragma once
// Internet exchanges over libcurl in WinINet's terms: a session named by its
// agent, a reachability probe that stands for connecting to a server, and
// whole HTTP(S) exchanges. Failures carry WinINet's error numbers and texts,
// so the programs' error reports stay as they are.
//
// Every exchange is bounded: the connection must be made within the connect
// time-out, and an exchange in which no byte moves either way for the stall
// time-out ends with a time-out. TLS peers are always verified; the file named
// by TENDREL_CA_FILE, when set, is the trusted CA bundle (tests use their own CA).
#include <functional>
#include <string>
#include <vector>

namespace tendrel {

// WinINet's error numbers.
enum InetErrorCode : int {
  kInetTimeout = 12002,
  kInetExtendedError = 12003,
  kInetInternalError = 12004,
  kInetInvalidUrl = 12005,
  kInetUnrecognizedScheme = 12006,
  kInetNameNotResolved = 12007,
  kInetOperationCancelled = 12017,
  kInetCannotConnect = 12029,
  kInetConnectionAborted = 12030,
  kInetConnectionReset = 12031,
  kInetCertDateInvalid = 12037,
  kInetCertNameInvalid = 12038,
  kInetInvalidCA = 12045,
  kInetInvalidServerResponse = 12152,
  kInetSecureFailure = 12175,
};

// The system's text for a WinINet error number ("" for 0, a general text for
// a number it does not know).
std::string InetErrorText(int code);

struct InetError {
  int code = 0;        // a WinINet error number; 0 while nothing failed
  std::string text;    // InetErrorText(code)
  std::string detail;  // libcurl's own account, for logs
  explicit operator bool() const { return code != 0; }
};

struct InetTimeouts {
  int connectMs = 15000;  // name look-up, TCP connect and TLS handshake
  int stallMs = 30000;    // longest time without a byte sent or received
  int totalMs = 0;        // longest whole exchange; 0 for no such bound
};

struct HttpRequest {
  std::string method = "GET";
  std::string url;                   // http://host[:port]/path?query or https://...
  std::vector<std::string> headers;  // whole header lines, "Name: value"
  std::string body;                  // sent as the request data when not empty, or for POST
  bool reload = true;                // caches on the way must fetch from the server
};

struct HttpReply {
  long status = 0;   // the HTTP status of the final response
  std::string body;  // every byte of the response body
};

// Called once when the server has begun to answer (the request went out whole).
using InetAnswerStarted = std::function<void()>;

// Asked from within a transfer, on the transfer's thread, at least about once
// a second: true ends the exchange with kInetOperationCancelled.
using InetAbort = std::function<bool()>;

class InetSession {
 public:
  // agent: the User-Agent of every request.
  explicit InetSession(std::string agent, InetTimeouts timeouts = {});
  ~InetSession();
  InetSession(const InetSession&) = delete;
  InetSession& operator=(const InetSession&) = delete;

  const InetTimeouts& timeouts() const { return timeouts_; }

  // Lets another thread end this session's exchanges: Probe and Perform ask
  // abort while they wait and give up when it answers true (also before they
  // begin). Set it before an exchange starts, not during one.
  void SetAbort(InetAbort abort) { abort_ = std::move(abort); }

  // From now on the connections this session's exchanges make stay open for
  // its later exchanges with the same server, until the session ends (as a
  // WinINet internet handle keeps them). Without it every exchange connects
  // afresh. The session still serves one exchange at a time.
  void KeepConnections();

  // Makes a connection to the server of url (and for https the TLS handshake)
  // within the connect time-out, and lets it go again. False with the error
  // when the server cannot be reached.
  bool Probe(const std::string& url, InetError* error);

  // One whole exchange. True once a complete response came back, whatever
  // its status; false with the error otherwise (the body read so far stays in
  // reply).
  bool Perform(const HttpRequest& request, HttpReply* reply, InetError* error,
               const InetAnswerStarted& answerStarted = {});

 private:
  std::string agent_;
  InetTimeouts timeouts_;
  InetAbort abort_;
  void* share_ = nullptr;  // libcurl's share handle holding the kept connections
};

// The machine is offline only when the system lists network interfaces and
// none but loopback is up; an unknown state counts as online. A loopback host
// (localhost, 127.x.x.x, ::1) is never offline.
bool InetIsOffline(const std::string& host = "");

// True for "localhost", 127.0.0.0/8 and ::1 (brackets allowed).
bool IsLoopbackHost(const std::string& host);

}  // namespace tendrel
