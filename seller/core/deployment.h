#pragma once
// Bravant's deployment values: addresses that depend on where the program is
// put to work. Each can be overridden by an environment variable (tests and
// trial installations point them elsewhere); the README lists them.
#include <cstdlib>
#include <string>

namespace tendrel::deployment {

namespace detail {
inline std::string FromEnv(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? std::string(v) : std::string(fallback);
}
inline int IntFromEnv(const char* name, int fallback) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return fallback;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (*end == '\0' && n > 0 && n <= 3600000) ? static_cast<int>(n) : fallback;
}
}  // namespace detail

// The Java machine vendor's page where the latest version can be had; named
// in the warnings of the Java check.
inline std::string JavaVendorURL() {
  return detail::FromEnv("BRAVANT_JAVA_URL", "http://www.microsoft.com/java/");
}

// The Tillon service's web server; the port is the Port setting.
inline std::string TillonServiceHost() {
  return detail::FromEnv("BRAVANT_SERVICE_HOST", "secure.tillon.com");
}

// The service's public web site, named in the Join wizard's texts and shown
// by its "Go To The Tillon Web Site" button.
inline std::string TillonWebSite() {
  return detail::FromEnv("BRAVANT_WEB_SITE", "http://www.tillon.com/");
}

// The service's secure web server as the page's communications applet
// reaches it: the applet's classes lie in its "/Salebox/classes/".
inline std::string TillonSecureURL() {
  return detail::FromEnv("BRAVANT_SECURE_URL", "https://secure.tillon.com");
}

// The service's plain web address, from which browsers fetch the page's
// browser object ("/Salebox/lib/saleboxLib.cab").
inline std::string TillonPlainURL() { return detail::FromEnv("BRAVANT_PLAIN_URL", "http://www.tillon.com"); }

// The CLASSID of that browser object, the digits of clsid:8-4-4-4-12. A page
// holding an OBJECT of this CLASSID is not given a second one.
inline std::string BrowserObjectClassId() {
  return detail::FromEnv("BRAVANT_OBJECT_CLSID", "5A1EB0C5-7D2E-4F63-9B18-2C4E6A8D0F31");
}

// Longest wait for the service's connection (look-up, connect, TLS), and the
// longest time an exchange may go without a byte moving.
inline int ServiceConnectTimeoutMs() { return detail::IntFromEnv("BRAVANT_CONNECT_TIMEOUT_MS", 15000); }
inline int ServiceStallTimeoutMs() { return detail::IntFromEnv("BRAVANT_STALL_TIMEOUT_MS", 30000); }

}  // namespace tendrel::deployment
