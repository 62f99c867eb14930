#pragma once
// The stall clock of a libcurl transfer, shared by the HTTP and FTP sides:
// the transfer ends when no byte has moved either way for stallMs once the
// clock runs (before that, libcurl's own connect and answer time-outs bound
// every wait).
#include <curl/curl.h>

#include <chrono>

namespace tendrel::inet_detail {

struct StallWatch {
  int stallMs = 0;       // 0: no stall limit
  bool stalled = false;  // the transfer was ended for standing still

  // From a progress callback: true when the transfer must end now. `running`
  // says whether the clock runs yet; any byte moved sets it back.
  bool Stalled(bool running, curl_off_t down, curl_off_t up) {
    const auto now = std::chrono::steady_clock::now();
    if (!running || down != lastDown_ || up != lastUp_) {
      lastDown_ = down;
      lastUp_ = up;
      lastActivity_ = now;
      return false;
    }
    if (stallMs > 0 &&
        std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity_).count() >= stallMs) {
      stalled = true;
      return true;
    }
    return false;
  }

 private:
  curl_off_t lastDown_ = -1, lastUp_ = -1;
  std::chrono::steady_clock::time_point lastActivity_ = std::chrono::steady_clock::now();
};

}  // namespace tendrel::inet_detail
