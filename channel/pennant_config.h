#pragma once
// Pennant's deployment values: the maker's web site (default channel
// addresses and the three "Add Channel" button images) and Netscape's site
// (the Netcaster download page). Each can be overridden by an environment
// variable, for tests and for a site of one's own.
#include <cstdlib>
#include <string>

namespace tendrel::channel {

struct PennantConfig {
  std::string makerSite = "http://www.tendrel.com";     // PENNANT_MAKER_URL
  std::string netscapeSite = "http://home.netscape.com";  // PENNANT_NETSCAPE_URL

  std::string HomePage() const { return makerSite + "/"; }
  std::string DefaultIcon() const { return makerSite + "/push/tendrel.ico"; }
  std::string DefaultPicture() const { return makerSite + "/push/tendrel.gif"; }
  std::string IEButton() const { return makerSite + "/push/addiech.gif"; }
  std::string PointCastButton() const { return makerSite + "/push/addptch.gif"; }
  std::string NetcasterButton() const { return makerSite + "/push/addnsch.gif"; }
  std::string NetcasterDownload() const { return netscapeSite + "/finder/need_netcaster.html"; }
};

inline PennantConfig PennantConfigFromEnvironment() {
  PennantConfig c;
  if (const char* v = std::getenv("PENNANT_MAKER_URL"); v && *v) c.makerSite = v;
  if (const char* v = std::getenv("PENNANT_NETSCAPE_URL"); v && *v) c.netscapeSite = v;
  return c;
}

}  // namespace tendrel::channel
