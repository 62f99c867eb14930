#include "rating/kestrel_config.h"

#include <charconv>
#include <cstdlib>

namespace tendrel {

namespace {

void Text(const char* name, std::string& value) {
  if (const char* v = std::getenv(name); v && *v) value = v;
}

void Number(const char* name, int& value, int lo, int hi) {
  const char* v = std::getenv(name);
  if (!v || !*v) return;
  int n = 0;
  const char* end = v + std::char_traits<char>::length(v);
  auto [p, ec] = std::from_chars(v, end, n);
  if (ec == std::errc() && p == end && n >= lo && n <= hi) value = n;
}

std::string WithSlash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

}  // namespace

std::string KestrelConfig::ExampleDirectory() const { return WithSlash(homePage) + "ratings/"; }
std::string KestrelConfig::ExamplePage() const { return WithSlash(homePage) + "ratings/index.htm"; }

KestrelConfig KestrelConfigFromEnvironment() {
  KestrelConfig c;
  Text("KESTREL_SERVICE_ID", c.serviceId);
  Text("KESTREL_HOME_PAGE", c.homePage);
  Text("KESTREL_REG_HOST", c.registrationHost);
  Number("KESTREL_REG_PORT", c.registrationPort, 1, 65535);
  Text("KESTREL_EMAIL", c.email);
  Number("KESTREL_CONNECT_TIMEOUT_MS", c.connectTimeoutMs, 1, 600000);
  Number("KESTREL_STALL_TIMEOUT_MS", c.stallTimeoutMs, 1, 600000);
  return c;
}

}  // namespace tendrel
