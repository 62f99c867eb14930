#pragma once
// The SafeSurf categories and the texts of their levels. Categories are
// numbered by their code: 0 is 000 (recommended age), 10 is 00A (gambling).
#include <array>
#include <string>
#include <string_view>

namespace tendrel {

inline constexpr int kCategoryCount = 11;
inline constexpr int kAgeCategory = 0;
inline constexpr int kCombinedCategory = 6;  // sex, violence and profanity in one
inline constexpr int kMaxLevel = 9;

enum class LevelNameSet { Age, A, B, C, D, E, F };
enum class DetailSet { None, Empty, Profanity, Sexual, Nudity };

struct Category {
  std::string_view code;           // "000" ... "00A"
  std::string_view heading;        // the heading of the category's page
  std::string_view pageName;       // "tab000"
  LevelNameSet names;
  DetailSet details;
  std::string_view formName;       // the pair's name in the form body, with its leading "&"
  std::string_view reportCaption;  // "(SS~~001) Profanity = "
  int minLevel;                    // 1 for the age, else 0
};

// category: 0 .. kCategoryCount-1; anything else is clamped.
const Category& CategoryAt(int category);
// "SS~~000" ... "SS~~00A".
std::string TransmitName(int category);

// The level's name as stored in the set (the age name "Older Teens (15 && Up)"
// keeps its doubled ampersand); "" for a level outside 0..9, and level 0 of
// the age set.
std::string LevelName(LevelNameSet set, int level);
// The detail text; "" for the sets None and Empty and for level 0.
std::string LevelDetail(DetailSet set, int level);
// What a category's description label shows at a level: the name, CR LF and
// the detail; the age category shows the name alone. A doubled ampersand
// shows as one.
std::string LevelDescription(int category, int level);
// A category's level name at a level, as stored (CategoryAt(c).names).
std::string CategoryLevelName(int category, int level);

inline constexpr char kNoTheme[] = "-- Does not contain this theme --";

// The levels of all categories, indexed by category; the age starts at 1.
using Levels = std::array<int, kCategoryCount>;
inline constexpr Levels kStartLevels = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace tendrel
