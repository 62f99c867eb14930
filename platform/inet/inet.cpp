#include "platform/inet/inet.h"

#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <mutex>

#include "platform/inet/inet_log.h"
#include "platform/inet/stall_watch.h"

namespace tendrel {

Q_LOGGING_CATEGORY(lcInet, "tendrel.inet")

namespace {


// A reply larger than this is not a web page or a service answer.
constexpr size_t kMaxReplyBytes = 64u << 20;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Exchange {
  HttpReply* reply = nullptr;
  const InetAnswerStarted* answerStarted = nullptr;
  bool started = false;
  bool tooLarge = false;
  // Stall watch.
  CURL* curl = nullptr;
  inet_detail::StallWatch stall;
  // Cancellation from another thread.
  const InetAbort* abort = nullptr;
};

bool AbortAsked(const InetAbort& abort) { return abort && abort(); }

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* x = static_cast<Exchange*>(user);
  const size_t n = size * count;
  if (!x->reply) return n;
  if (x->reply->body.size() + n > kMaxReplyBytes) {
    x->tooLarge = true;
    return 0;  // ends the transfer with a write error
  }
  x->reply->body.append(data, n);
  return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* x = static_cast<Exchange*>(user);
  const size_t n = size * count;
  // A status line of a final response ("HTTP/1.1 200 OK"); interim 1xx answers do not count.
  // The announced length is room made once, not grown into piece by piece.
  if (x->reply && n > 15 && strncasecmp(data, "content-length:", 15) == 0) {
    const long long length = std::atoll(std::string(data + 15, n - 15).c_str());
    if (length > 0 && static_cast<size_t>(length) <= kMaxReplyBytes) x->reply->body.reserve(static_cast<size_t>(length));
  }
  if (!x->started && n > 5 && std::string_view(data, 5) == "HTTP/") {  // "HTTP/2 200" is short
    const std::string_view line(data, n);
    const size_t sp = line.find(' ');
    if (sp != std::string_view::npos && sp + 1 < line.size() && line[sp + 1] != '1') {
      x->started = true;
      if (x->answerStarted && *x->answerStarted) (*x->answerStarted)();
    }
  }
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  auto* x = static_cast<Exchange*>(user);
  if (x->abort && AbortAsked(*x->abort)) return 1;  // aborts the transfer: cancelled
  curl_off_t connected = 0;
  curl_easy_getinfo(x->curl, CURLINFO_CONNECT_TIME_T, &connected);
  // The connect time-out bounds the way to the server; the stall clock runs from there on.
  return x->stall.Stalled(connected != 0, dlnow, ulnow) ? 1 : 0;  // 1 aborts the transfer
}

int MapCurlCode(CURLcode rc, const Exchange& x) {
  switch (rc) {
    case CURLE_OK: return 0;
    case CURLE_UNSUPPORTED_PROTOCOL: return kInetUnrecognizedScheme;
    case CURLE_URL_MALFORMAT: return kInetInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return kInetNameNotResolved;
    case CURLE_COULDNT_CONNECT: return kInetCannotConnect;
    case CURLE_OPERATION_TIMEDOUT: return kInetTimeout;
    case CURLE_ABORTED_BY_CALLBACK: return x.stall.stalled ? kInetTimeout : kInetOperationCancelled;
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR: return kInetConnectionAborted;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING: return kInetInvalidServerResponse;
    case CURLE_WRITE_ERROR: return x.tooLarge ? kInetInvalidServerResponse : kInetInternalError;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return kInetInvalidCA;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED: return kInetSecureFailure;
    default: return kInetInternalError;
  }
}

// The host part of a URL, without brackets; "" when it has none.
std::string UrlHost(const std::string& url) {
  std::string host;
  CURLU* u = curl_url();
  if (!u) return host;
  char* h = nullptr;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_HOST, &h, 0) == CURLUE_OK && h) {
    host = h;
    curl_free(h);
  }
  curl_url_cleanup(u);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return host;
}

class Easy {
 public:
  Easy() : curl_(curl_easy_init()) { errorBuffer_[0] = '\0'; }
  ~Easy() {
    if (curl_) curl_easy_cleanup(curl_);
    if (headers_) curl_slist_free_all(headers_);
  }
  Easy(const Easy&) = delete;
  Easy& operator=(const Easy&) = delete;

  CURL* get() const { return curl_; }
  curl_slist*& headers() { return headers_; }
  char* errorBuffer() { return errorBuffer_; }

  // The options every exchange shares: agent, time-outs, verified TLS, no signals.
  void Common(const std::string& agent, const InetTimeouts& t, const InetAbort& abort, const std::string& url,
              Exchange* x) {
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1, t.connectMs)));
    if (t.totalMs > 0) curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, static_cast<long>(t.totalMs));
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (const char* ca = std::getenv("TENDREL_CA_FILE"); ca && *ca) curl_easy_setopt(curl_, CURLOPT_CAINFO, ca);
    // A proxy cannot reach this machine's own loopback.
    if (IsLoopbackHost(UrlHost(url))) curl_easy_setopt(curl_, CURLOPT_NOPROXY, "*");
    x->curl = curl_;
    x->stall.stallMs = t.stallMs;
    x->abort = &abort;
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, x);
  }

  void Fail(CURLcode rc, const Exchange& x, InetError* error) {
    if (!error) return;
    error->code = MapCurlCode(rc, x);
    error->text = InetErrorText(error->code);
    error->detail = errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(rc);
    if (x.stall.stalled) error->detail = "no data moved for " + std::to_string(x.stall.stallMs) + " ms";
  }

 private:
  CURL* curl_;
  curl_slist* headers_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE];
};

void InternalError(InetError* error, const std::string& detail) {
  if (!error) return;
  error->code = kInetInternalError;
  error->text = InetErrorText(kInetInternalError);
  error->detail = detail;
}

void Cancelled(InetError* error) {
  if (!error) return;
  error->code = kInetOperationCancelled;
  error->text = InetErrorText(kInetOperationCancelled);
  error->detail = "cancelled before the exchange began";
}

}  // namespace

std::string InetErrorText(int code) {
  switch (code) {
    case 0: return {};
    case kInetTimeout: return "The operation timed out";
    case kInetExtendedError: return "An extended error was returned from the server";
    case kInetInternalError: return "An internal error occurred";
    case kInetInvalidUrl: return "The URL is invalid";
    case kInetUnrecognizedScheme: return "The URL does not use a recognized protocol";
    case kInetNameNotResolved: return "The server name or address could not be resolved";
    case kInetOperationCancelled: return "The operation was canceled";
    case kInetCannotConnect: return "A connection with the server could not be established";
    case kInetConnectionAborted: return "The connection with the server was terminated abnormally";
    case kInetConnectionReset: return "The connection with the server was reset";
    case kInetCertDateInvalid: return "The date in the certificate is invalid or has expired";
    case kInetCertNameInvalid: return "The host name in the certificate is invalid or does not match";
    case kInetInvalidCA: return "The certificate authority is invalid or incorrect";
    case kInetInvalidServerResponse: return "The server returned an invalid or unrecognized response";
    case kInetSecureFailure: return "A security error occurred";
    default: return "Internet error " + std::to_string(code);
  }
}

InetSession::InetSession(std::string agent, InetTimeouts timeouts)
    : agent_(std::move(agent)), timeouts_(timeouts) {
  GlobalInit();
}

InetSession::~InetSession() {
  if (share_) curl_share_cleanup(static_cast<CURLSH*>(share_));
}

void InetSession::KeepConnections() {
  if (share_) return;
  CURLSH* share = curl_share_init();
  if (!share) return;  // exchanges then connect afresh, which still works
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  share_ = share;
}

bool InetSession::Probe(const std::string& url, InetError* error) {
  if (AbortAsked(abort_)) {
    Cancelled(error);
    return false;
  }
  Easy easy;
  if (!easy.get()) {
    InternalError(error, "libcurl could not start an exchange");
    return false;
  }
  Exchange x;
  easy.Common(agent_, timeouts_, abort_, url, &x);
  curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L);
  const CURLcode rc = curl_easy_perform(easy.get());
  if (rc != CURLE_OK) {
    easy.Fail(rc, x, error);
    return false;
  }
  return true;
}

bool InetSession::Perform(const HttpRequest& request, HttpReply* reply, InetError* error,
                          const InetAnswerStarted& answerStarted) {
  HttpReply scratch;
  if (!reply) reply = &scratch;
  *reply = HttpReply{};
  if (AbortAsked(abort_)) {
    Cancelled(error);
    return false;
  }
  Easy easy;
  if (!easy.get()) {
    InternalError(error, "libcurl could not start an exchange");
    return false;
  }
  Exchange x;
  x.reply = reply;
  x.answerStarted = &answerStarted;
  easy.Common(agent_, timeouts_, abort_, request.url, &x);
  CURL* c = easy.get();
  if (share_) curl_easy_setopt(c, CURLOPT_SHARE, static_cast<CURLSH*>(share_));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);

  if (request.method == "GET") {
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  } else if (request.method == "POST") {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
  } else {
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }
  if (request.method == "POST" || !request.body.empty()) {
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
  }

  curl_slist*& headers = easy.headers();
  for (const std::string& h : request.headers) headers = curl_slist_append(headers, h.c_str());
  // The body goes out with the request, without waiting for an interim answer.
  headers = curl_slist_append(headers, "Expect:");
  if (request.reload) {
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
  }
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

  const CURLcode rc = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply->status);
  if (rc != CURLE_OK) {
    easy.Fail(rc, x, error);
    return false;
  }
  return true;
}

bool IsLoopbackHost(const std::string& hostIn) {
  std::string host = hostIn;
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  std::string lower;
  for (char ch : host) lower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  if (lower == "localhost" || lower == "localhost." || lower == "::1") return true;
  // 127.0.0.0/8 in dotted form: four decimal parts, the first 127.
  if (!lower.starts_with("127.")) return false;
  int parts = 0;
  size_t i = 0;
  while (i <= lower.size()) {
    size_t j = lower.find('.', i);
    if (j == std::string::npos) j = lower.size();
    const std::string part = lower.substr(i, j - i);
    if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), [](char d) { return d >= '0' && d <= '9'; }) ||
        std::stoi(part) > 255)
      return false;
    ++parts;
    i = j + 1;
  }
  return parts == 4;
}

bool InetIsOffline(const std::string& host) {
  if (!host.empty() && IsLoopbackHost(host)) return false;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    qCDebug(lcInet) << "the network interfaces could not be listed:" << std::strerror(errno) << "- counted online";
    return false;  // unknown: online
  }
  bool any = false, up = false;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr) continue;
    any = true;
    if ((a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING) && !(a->ifa_flags & IFF_LOOPBACK)) up = true;
  }
  freeifaddrs(list);
  return any && !up;
}

}  // namespace tendrel
