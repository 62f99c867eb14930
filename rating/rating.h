#pragma once
// What the wizard has collected: the site, the author and every level.
#include <string>

#include "rating/levels.h"

namespace tendrel {

inline constexpr char kSiteTypePage[] = "a specific Web page";
inline constexpr char kSiteTypeDirectory[] = "an entire directory";

enum class SiteType { Typed = -1, Page = 0, Directory = 1 };

struct Rating {
  SiteType siteType = SiteType::Page;  // a text typed into the box is neither item
  std::string siteTypeText = kSiteTypePage;
  std::string siteURL = "http://";
  std::string siteTitle;
  std::string userName;
  std::string userEmail;
  Levels levels = kStartLevels;
};

}  // namespace tendrel
