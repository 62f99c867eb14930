#include "platform/inet/ftp.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/inet/inet_log.h"
#include "platform/inet/stall_watch.h"

namespace tendrel {

namespace {


// The system's number for a name that cannot stand in an FTP command.
constexpr int kInvalidName = 123;
// Larger than libcurl's default: fewer, larger writes on a fast link.
constexpr long kUploadBufferBytes = 512 * 1024;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string FtpErrorText(int code) {
  switch (code) {
    case kFtpFileNotFound: return "The system cannot find the file specified";
    case kFtpInvalidHandle: return "The handle is invalid";
    case kInvalidName: return "The filename, directory name, or volume label syntax is incorrect";
    case kInetIncorrectPassword: return "The password was not allowed";
    default: return InetErrorText(code);
  }
}

void SetError(InetError* error, int code, std::string detail) {
  qCDebug(lcInet) << "FTP operation failed:" << code << detail.c_str();
  if (!error) return;
  error->code = code;
  error->text = FtpErrorText(code);
  error->detail = std::move(detail);
}

bool AbortAsked(const InetAbort& abort) { return abort && abort(); }

// A command must stay one line: a line break would smuggle in another.
bool UsableName(const std::string& name) { return name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; }

}  // namespace

bool SplitFtpAddress(const std::string& address, std::string* host, int* port) {
  std::string h = address, p;
  if (!h.empty() && h.front() == '[') {
    const size_t close = h.find(']');
    if (close == std::string::npos) return false;
    const std::string rest = h.substr(close + 1);
    h = h.substr(1, close - 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      p = rest.substr(1);
      if (p.empty()) return false;
    }
  } else if (std::count(h.begin(), h.end(), ':') == 1) {
    const size_t colon = h.find(':');
    p = h.substr(colon + 1);
    h = h.substr(0, colon);
    if (p.empty()) return false;
  }
  if (h.empty() || h.find_first_of("/?#@ \t\r\n") != std::string::npos) return false;
  int number = 21;
  if (!p.empty()) {
    if (p.size() > 5 || !std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    number = std::stoi(p);
    if (number < 1 || number > 65535) return false;
  }
  if (host) *host = h;
  if (port) *port = number;
  return true;
}

std::string JoinRemotePath(const std::string& current, const std::string& directory) {
  std::vector<std::string> parts;
  auto walk = [&parts](const std::string& path) {
    size_t i = 0;
    while (i <= path.size()) {
      size_t j = path.find('/', i);
      if (j == std::string::npos) j = path.size();
      const std::string part = path.substr(i, j - i);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      i = j + 1;
    }
  };
  if (directory.empty() || directory.front() != '/') walk(current);
  walk(directory);
  std::string joined;
  for (const std::string& part : parts) joined += "/" + part;
  return joined.empty() ? "/" : joined;
}

// What one libcurl perform carries through its callbacks.
struct FtpOperation {
  // The upload, when there is one.
  FILE* file = nullptr;
  curl_off_t total = 0;
  const FtpUploadProgress* progress = nullptr;
  curl_off_t reported = -1;
  bool readFailed = false;
  // The server's answers.
  std::string pending;       // lines of an answer not yet complete
  std::string lastResponse;  // the last complete answer
  int lastCode = 0;
  // Stall watch and cancellation.
  CURL* curl = nullptr;
  inet_detail::StallWatch stall;
  const InetAbort* abort = nullptr;
};

namespace {

using Operation = FtpOperation;

// libcurl hands every line the server sends on the control connection here.
size_t OnResponse(char* data, size_t size, size_t count, void* user) {
  auto* op = static_cast<Operation*>(user);
  const size_t n = size * count;
  std::string line(data, n);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  // "123 text" ends an answer; "123-text" and other lines continue one.
  const bool last = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                    std::isdigit(static_cast<unsigned char>(line[1])) &&
                    std::isdigit(static_cast<unsigned char>(line[2])) && (line.size() == 3 || line[3] == ' ');
  if (!op->pending.empty()) op->pending += "\r\n";
  op->pending += line;
  if (last) {
    op->lastResponse = std::move(op->pending);
    op->pending.clear();
    op->lastCode = std::stoi(line.substr(0, 3));
  }
  return n;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
  auto* op = static_cast<Operation*>(user);
  const size_t n = std::fread(buffer, 1, size * count, op->file);
  if (n == 0 && std::ferror(op->file)) {
    op->readFailed = true;
    return CURL_READFUNC_ABORT;
  }
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  auto* op = static_cast<Operation*>(user);
  if (op->abort && AbortAsked(*op->abort)) return 1;  // cancelled
  if (op->progress && *op->progress && ulnow != op->reported) {
    op->reported = ulnow;
    (*op->progress)(static_cast<uint64_t>(ulnow), static_cast<uint64_t>(op->total));
  }
  // Until the data transfer begins, libcurl's connect, accept and answer
  // time-outs bound every wait; from then on the stall clock does.
  curl_off_t pretransfer = 0;
  curl_easy_getinfo(op->curl, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
  return op->stall.Stalled(pretransfer != 0, dlnow, ulnow) ? 1 : 0;
}

int MapCurlCode(CURLcode rc, const Operation& op) {
  // The server answered with an error of its own: WinINet's extended error,
  // explained by the answer's text.
  const bool refusedByServer = op.lastCode >= 400;
  switch (rc) {
    case CURLE_OK: return 0;
    case CURLE_UNSUPPORTED_PROTOCOL: return kInetUnrecognizedScheme;
    case CURLE_URL_MALFORMAT: return kInetInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return kInetNameNotResolved;
    case CURLE_COULDNT_CONNECT: return kInetCannotConnect;
    case CURLE_LOGIN_DENIED: return kInetIncorrectPassword;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT: return kInetTimeout;
    case CURLE_ABORTED_BY_CALLBACK:
      if (op.readFailed) return kInetInternalError;
      return op.stall.stalled ? kInetTimeout : kInetOperationCancelled;
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_PRET_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_WEIRD_SERVER_REPLY: return kInetExtendedError;
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING: return refusedByServer ? kInetExtendedError : kInetConnectionAborted;
    case CURLE_READ_ERROR: return kInetInternalError;
    default: return refusedByServer ? kInetExtendedError : kInetInternalError;
  }
}

}  // namespace

FtpSession::FtpSession(FtpOptions options) : options_(options) { GlobalInit(); }

FtpSession::~FtpSession() { Close(); }

void FtpSession::Close() {
  // Cleaning up the handle ends its cached control connection (QUIT when it
  // is still good, within the answer time-out).
  if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
  curl_ = nullptr;
  open_ = false;
  current_.clear();
  base_.clear();
  login_.clear();
  password_.clear();
}

std::string FtpSession::Url(const std::string& absolutePath) const {
  // "%2F" makes the path absolute; with libcurl's no-CWD method the commands
  // then name the whole path and never depend on libcurl's idea of a current
  // directory.
  std::string url = base_ + "/%2F";
  CURL* c = static_cast<CURL*>(curl_);
  size_t i = 1;
  bool first = true;
  while (i <= absolutePath.size()) {
    size_t j = absolutePath.find('/', i);
    if (j == std::string::npos) j = absolutePath.size();
    const std::string part = absolutePath.substr(i, j - i);
    if (!part.empty()) {
      char* escaped = curl_easy_escape(c, part.c_str(), static_cast<int>(part.size()));
      if (!first) url += "/";
      url += escaped ? escaped : part.c_str();
      curl_free(escaped);
      first = false;
    }
    i = j + 1;
  }
  return url;
}

bool FtpSession::Run(FtpOperation& op, InetError* error) {
  CURL* c = static_cast<CURL*>(curl_);
  char errorBuffer[CURL_ERROR_SIZE];
  errorBuffer[0] = '\0';
  const InetTimeouts& t = options_.timeouts;
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  if (!login_.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, login_.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password_.c_str());
  }
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1, t.connectMs)));
  if (t.totalMs > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(t.totalMs));
  // Every answer of the server, the greeting and the one after an upload included.
  const long answerSeconds = std::max(1L, static_cast<long>((std::max(1, t.stallMs) + 999) / 1000));
  curl_easy_setopt(c, CURLOPT_FTP_RESPONSE_TIMEOUT, answerSeconds);
  // In active mode the server connects back; that connection is a connect as well.
  curl_easy_setopt(c, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(std::max(1, t.connectMs)));
  if (options_.passive) {
    curl_easy_setopt(c, CURLOPT_FTPPORT, nullptr);
    curl_easy_setopt(c, CURLOPT_FTP_USE_EPSV, 1L);
  } else {
    curl_easy_setopt(c, CURLOPT_FTPPORT, "-");  // the address of the control connection
  }
  curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  std::string host;
  int port = 0;
  SplitFtpAddress(base_.substr(6), &host, &port);
  // A proxy cannot reach this machine's own loopback.
  if (IsLoopbackHost(host)) curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnResponse);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &op);
  op.curl = c;
  op.stall.stallMs = t.stallMs;
  op.abort = &abort_;
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &op);

  const CURLcode rc = curl_easy_perform(c);
  long made = 0;
  curl_easy_getinfo(c, CURLINFO_NUM_CONNECTS, &made);
  connections_ += static_cast<int>(made);
  lastResponse_ = op.lastResponse;
  // The handle lives on for its connection (and may answer QUIT through it
  // later); nothing of it may point at this operation any more.
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, nullptr);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, nullptr);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, nullptr);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, nullptr);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, nullptr);
  curl_easy_setopt(c, CURLOPT_READDATA, nullptr);
  if (rc == CURLE_OK) return true;
  const int code = MapCurlCode(rc, op);
  // The buffer keeps the first complaint of the perform, which need not be the failure.
  std::string detail = curl_easy_strerror(rc);
  if (errorBuffer[0]) detail += std::string(" (") + errorBuffer + ")";
  if (op.stall.stalled) detail = "no data moved for " + std::to_string(op.stall.stallMs) + " ms";
  else if (code == kInetOperationCancelled) detail = "cancelled";
  SetError(error, code, std::move(detail));
  return false;
}

bool FtpSession::Connect(const std::string& address, const std::string& login, const std::string& password,
                         InetError* error) {
  Close();
  lastResponse_.clear();
  std::string host;
  int port = 0;
  if (!SplitFtpAddress(address, &host, &port)) {
    SetError(error, kInetInvalidUrl, "not an FTP address");
    return false;
  }
  if (!UsableName(login) || !UsableName(password)) {
    SetError(error, kInvalidName, "a line break in the login");
    return false;
  }
  if (AbortAsked(abort_)) {
    SetError(error, kInetOperationCancelled, "cancelled before the connection was made");
    return false;
  }
  curl_ = curl_easy_init();
  if (!curl_) {
    SetError(error, kInetInternalError, "libcurl could not start a session");
    return false;
  }
  base_ = "ftp://" + (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
  login_ = login;
  password_ = password;
  // Logging in is all: the server's answer to PWD tells where the login put us.
  Operation op;
  CURL* c = static_cast<CURL*>(curl_);
  curl_easy_setopt(c, CURLOPT_URL, (base_ + "/").c_str());
  curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  if (!Run(op, error)) {
    Close();
    return false;
  }
  const char* entry = nullptr;
  curl_easy_getinfo(c, CURLINFO_FTP_ENTRY_PATH, &entry);
  if (entry && entry[0] == '/') {
    current_ = entry;
  } else {
    qCDebug(lcInet) << "the FTP server named no absolute login directory; using /";
    current_.assign(1, '/');  // (a literal here trips a false GCC 12 -Wrestrict warning in Release)
  }
  open_ = true;
  return true;
}

bool FtpSession::Command(const std::string& command, InetError* error) {
  if (!open_) {
    SetError(error, kFtpInvalidHandle, "no FTP connection");
    return false;
  }
  if (AbortAsked(abort_)) {
    SetError(error, kInetOperationCancelled, "cancelled before the command was sent");
    return false;
  }
  CURL* c = static_cast<CURL*>(curl_);
  curl_easy_reset(c);  // keeps the cached connection
  // "*": libcurl goes on when the server refuses the command, instead of
  // dropping the control connection; the refusal is read from the answer.
  curl_slist* quote = curl_slist_append(nullptr, ("*" + command).c_str());
  Operation op;
  curl_easy_setopt(c, CURLOPT_URL, Url("/").c_str());
  curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(c, CURLOPT_QUOTE, quote);
  bool ok = Run(op, error);
  curl_easy_setopt(c, CURLOPT_QUOTE, nullptr);
  curl_slist_free_all(quote);
  if (ok && op.lastCode >= 400) {
    SetError(error, kInetExtendedError, "the server refused: " + lastResponse_);
    ok = false;
  }
  return ok;
}

bool FtpSession::ChangeDir(const std::string& directory, InetError* error) {
  if (!UsableName(directory)) {
    SetError(error, kInvalidName, "a line break in the directory name");
    return false;
  }
  const std::string target = JoinRemotePath(current_, directory);
  if (!Command("CWD " + target, error)) return false;
  current_ = target;
  return true;
}

bool FtpSession::MakeDir(const std::string& directory, InetError* error) {
  if (!UsableName(directory)) {
    SetError(error, kInvalidName, "a line break in the directory name");
    return false;
  }
  return Command("MKD " + JoinRemotePath(current_, directory), error);
}

bool FtpSession::Put(const std::string& localFile, const std::string& remoteName, bool ascii,
                     const FtpUploadProgress& progress, InetError* error) {
  if (!open_) {
    SetError(error, kFtpInvalidHandle, "no FTP connection");
    return false;
  }
  if (!UsableName(remoteName)) {
    SetError(error, kInvalidName, "a line break in the remote name");
    return false;
  }
  FILE* file = std::fopen(localFile.c_str(), "rb");
  struct stat info {};
  if (!file || fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    const std::string why = std::strerror(errno);
    if (file) std::fclose(file);
    SetError(error, kFtpFileNotFound, "the local file cannot be read: " + why);
    return false;
  }
  if (AbortAsked(abort_)) {
    std::fclose(file);
    SetError(error, kInetOperationCancelled, "cancelled before the upload began");
    return false;
  }
  CURL* c = static_cast<CURL*>(curl_);
  curl_easy_reset(c);  // keeps the cached connection
  Operation op;
  op.file = file;
  op.total = static_cast<curl_off_t>(info.st_size);
  op.progress = &progress;
  curl_easy_setopt(c, CURLOPT_URL, Url(JoinRemotePath(current_, remoteName)).c_str());
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, OnRead);
  curl_easy_setopt(c, CURLOPT_READDATA, &op);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, op.total);
  curl_easy_setopt(c, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
  curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
  const bool ok = Run(op, error);
  std::fclose(file);
  if (ok && progress && op.reported != op.total) progress(static_cast<uint64_t>(op.total), static_cast<uint64_t>(op.total));
  return ok;
}

}  // namespace tendrel
