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
}  // namespace detail

// The Java machine vendor's page where the latest version can be had; named
// in the warnings of the Java check.
inline std::string JavaVendorURL() {
  return detail::FromEnv("BRAVANT_JAVA_URL", "http://www.microsoft.com/java/");
}

}  // namespace tendrel::deployment
