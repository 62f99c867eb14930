#pragma once
// Kestrel's deployment values in one place. Each can be overridden through
// the environment (tests and the demo point them at stand-ins); README.md
// lists the variables.
#include <string>

namespace tendrel {

// Compiled-in values.
inline constexpr char kSafeSurfServiceId[] = "http://www.safesurf.com/classify/";  // KESTREL_SERVICE_ID
inline constexpr char kSafeSurfHomePage[] = "http://www.safesurf.com/";            // KESTREL_HOME_PAGE
inline constexpr char kSafeSurfRegistrationHost[] = "www.safesurf.com";            // KESTREL_REG_HOST
inline constexpr int kSafeSurfRegistrationPort = 80;                               // KESTREL_REG_PORT
inline constexpr char kSafeSurfEmail[] = "ratings@safesurf.com";                   // KESTREL_EMAIL
inline constexpr int kKestrelConnectTimeoutMs = 15000;                             // KESTREL_CONNECT_TIMEOUT_MS
inline constexpr int kKestrelStallTimeoutMs = 30000;                               // KESTREL_STALL_TIMEOUT_MS
// No exchange with the registration server lasts longer than this in all.
inline constexpr int kKestrelTotalTimeoutMs = 120000;

struct KestrelConfig {
  std::string serviceId = kSafeSurfServiceId;  // the PICS rating service identifier
  std::string homePage = kSafeSurfHomePage;
  std::string registrationHost = kSafeSurfRegistrationHost;
  int registrationPort = kSafeSurfRegistrationPort;
  std::string email = kSafeSurfEmail;
  int connectTimeoutMs = kKestrelConnectTimeoutMs;
  int stallTimeoutMs = kKestrelStallTimeoutMs;

  // Examples shown beside the address field, on SafeSurf's own site.
  std::string ExampleDirectory() const;
  std::string ExamplePage() const;
};

// The compiled-in values with the environment's overrides. A number that
// does not parse, or is out of range, keeps the compiled-in value.
KestrelConfig KestrelConfigFromEnvironment();

}  // namespace tendrel
