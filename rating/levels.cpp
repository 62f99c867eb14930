#include "rating/levels.h"

#include <algorithm>

namespace tendrel {

namespace {

constexpr std::array<Category, kCategoryCount> kCategories = {{
    {"000", "Recommended Age Range", "tab000", LevelNameSet::Age, DetailSet::None,
     "&SS%7E%7E000%7CRecommended+Age=", "(SS~~000) Recommended Age = ", 1},
    {"001", "Profanity", "tab001", LevelNameSet::A, DetailSet::Profanity,
     "&SS%7E%7E001%7CProfanity=", "(SS~~001) Profanity = ", 0},
    {"002", "Heterosexual Themes", "tab002", LevelNameSet::B, DetailSet::Sexual,
     "&SS%7E%7E002%7CHeterosexual+Themes=", "(SS~~002) Heterosexual Themes = ", 0},
    {"003", "Homosexual Themes", "tab003", LevelNameSet::B, DetailSet::Sexual,
     "&SS%7E%7E003%7CHomosexual+Themes=", "(SS~~003) Homosexual Themes = ", 0},
    {"004", "Nudity", "tab004", LevelNameSet::A, DetailSet::Nudity,
     "&SS%7E%7E004%7CNudity=", "(SS~~004) Nudity = ", 0},
    {"005", "Violence", "tab005", LevelNameSet::C, DetailSet::Empty,
     "&SS%7E%7E005%7CViolence=", "(SS~~005) Violence = ", 0},
    {"006", "Sex, Violence and Profanity", "tab006", LevelNameSet::A, DetailSet::Empty,
     "&SS%7E%7E006%7CSex+Violence+and+Profanity=", "(SS~~006) Sex,Violence and Profanity = ", 0},
    {"007", "Intolerance", "tab007", LevelNameSet::D, DetailSet::Empty,
     "&SS%7E%7E007%7CIntolerance=", "(SS~~007) Intolerance = ", 0},
    {"008", "Glorifying Drug Use", "tab008", LevelNameSet::E, DetailSet::Empty,
     "&SS%7E%7E008%7CDrug+Use=", "(SS~~008) Drug Use = ", 0},
    {"009", "Other Adult Themes", "tab009", LevelNameSet::B, DetailSet::Empty,
     "&SS%7E%7E009%7COther+Adult+Themes=", "(SS~~009) Other Adult Themes = ", 0},
    {"00A", "Gambling", "tab00A", LevelNameSet::F, DetailSet::Empty,
     "&SS%7E%7E00A%7CGambling=", "(SS~~00A) Gambling = ", 0},
}};

using Texts = std::array<std::string_view, 10>;

constexpr Texts kAgeNames = {"",
                             "All Ages",
                             "Older Children",
                             "Younger Teens",
                             "Older Teens (15 && Up)",
                             "Adult Supervision Required",
                             "Adults",
                             "Limited to Adults",
                             "Adults Only",
                             "Explicitly for Adults"};

// Levels 0 to 3 are the same in every theme set.
constexpr std::array<std::string_view, 4> kCommonNames = {kNoTheme, "Subtle Innuendo",
                                                          "Explicit Innuendo", "Technical Reference"};

// Levels 4 to 9 of the theme sets A to F.
constexpr std::array<std::array<std::string_view, 6>, 6> kThemeNames = {{
    {"Non-Graphic-Artistic", "Graphic-Artistic", "Graphic", "Detailed Graphic", "Explicit Vulgarity",
     "Explicit and Crude"},
    {"Non-Graphic-Artistic", "Graphic-Artistic", "Graphic", "Detailed Graphic",
     "Explicit Vulgarity or Inviting Participation",
     "Explicit and Crude or Explicitly Inviting Participation"},
    {"Non-Graphic-Artistic", "Graphic-Artistic", "Graphic", "Detailed Graphic",
     "Inviting Participation in Graphic Interactive Format",
     "Encouraging Personal Participation, Weapon Making"},
    {"Non-Graphic-Literary", "Graphic-Literary", "Graphic Discussions", "Endorsing Hatred",
     "Endorsing Violent or Hateful Action", "Advocating Violent or Hateful Action"},
    {"Non-Graphic-Artistic", "Graphic-Artistic", "Graphic", "Detailed Graphic",
     "Simulated Interactive Participation", "Soliciting Personal Participation"},
    {"Non-Graphic-Artistic, Advertising", "Graphic-Artistic, Advertising", "Simulated Gambling",
     "Real Life Gambling without Stakes", "Encouraging Interactive Real Life Participation with Stakes",
     "Providing Means with Stakes"},
}};

constexpr Texts kProfanityDetails = {
    "",
    "Subtly Implied through the use of Slang",
    "Explicitly implied through the use of Slang",
    "Dictionary, encyclopedic, news, technical references",
    "Limited non-sexual expletives used in a artistic fashion",
    "Non-sexual expletives used in a artistic fashion",
    "Limited use of expletives and obscene gestures",
    "Casual use of expletives and obscene gestures.",
    "Heavy use of vulgar language and obscene gestures. Unsupervised Chat Rooms.",
    "Saturated with crude sexual references and gestures. Unsupervised Chat Rooms."};

constexpr Texts kSexualDetails = {
    "",
    "Subtly Implied through the use of metaphor",
    "Explicitly implied (not described) through the use of metaphor",
    "Dictionary, encyclopedic, news, medical references",
    "Limited metaphoric descriptions used in a artistic fashion",
    "Metaphoric descriptions used in a artistic fashion",
    "Descriptions of intimate sexual acts",
    "Descriptions of intimate details of sexual acts",
    "Explicit Descriptions of intimate details of sexual acts designed to arouse. Inviting interactive "
    "sexual participation. Unsupervised Sexual Chat Rooms or Newsgroups.",
    "Profane Graphic Descriptions of intimate details of sexual acts designed to arouse. Inviting "
    "interactive sexual participation. Unsupervised Sexual Chat Rooms or Newsgroups."};

constexpr Texts kNudityDetails = {
    "",
    "Subtly Implied through the use of composition, lighting, shaping, revealing clothing, etc.",
    "Explicitly implied (not shown) through the use of composition, lighting, shaping or revealing clothing",
    "Dictionary, encyclopedic, news, medical references",
    "Classic works of art presented in public museums for family viewing",
    "Artistically presented without full frontal nudity",
    "Artistically presented with frontal nudity",
    "Erotic frontal nudity",
    "Pornographic presentation",
    "Explicit pornographic presentation"};

bool InRange(int level) { return level >= 0 && level <= kMaxLevel; }

// A label shows "&&" as one "&" (a single one would mark a shortcut key).
std::string SingleAmpersands(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '&' && i + 1 < s.size() && s[i + 1] == '&') ++i;
  }
  return out;
}

}  // namespace

const Category& CategoryAt(int category) {
  return kCategories[static_cast<size_t>(std::clamp(category, 0, kCategoryCount - 1))];
}

std::string TransmitName(int category) { return "SS~~" + std::string(CategoryAt(category).code); }

std::string LevelName(LevelNameSet set, int level) {
  if (!InRange(level)) return {};
  if (set == LevelNameSet::Age) return std::string(kAgeNames[static_cast<size_t>(level)]);
  if (level < 4) return std::string(kCommonNames[static_cast<size_t>(level)]);
  const auto row = static_cast<size_t>(set) - static_cast<size_t>(LevelNameSet::A);
  return std::string(kThemeNames[row][static_cast<size_t>(level - 4)]);
}

std::string LevelDetail(DetailSet set, int level) {
  if (!InRange(level)) return {};
  const auto i = static_cast<size_t>(level);
  switch (set) {
    case DetailSet::Profanity: return std::string(kProfanityDetails[i]);
    case DetailSet::Sexual: return std::string(kSexualDetails[i]);
    case DetailSet::Nudity: return std::string(kNudityDetails[i]);
    case DetailSet::None:
    case DetailSet::Empty: break;
  }
  return {};
}

std::string CategoryLevelName(int category, int level) {
  return LevelName(CategoryAt(category).names, level);
}

std::string LevelDescription(int category, int level) {
  const Category& c = CategoryAt(category);
  std::string text = SingleAmpersands(LevelName(c.names, level));
  if (c.details != DetailSet::None) text += "\r\n" + LevelDetail(c.details, level);
  return text;
}

}  // namespace tendrel
