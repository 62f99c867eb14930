#pragma once
// The comma-text form in which a combo keeps its item list in one registry
// value. No Qt here.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tendrel {

// A stored list is read from its first kCommaTextReadLimit bytes only, and a
// written one stays below kCommaTextWriteLimit bytes.
inline constexpr size_t kCommaTextReadLimit = 4095;
inline constexpr size_t kCommaTextWriteLimit = 4096;

// Joins the items with ",". An item holding a space, a control byte, a double
// quote or a comma is enclosed in double quotes with inner quotes doubled; so
// is an empty item, which keeps an empty last item (and a list of one empty
// item, stored as "") from vanishing on the way back. Stops before the first
// item that would make the text reach limit bytes; the rest are dropped.
std::string ToCommaText(const std::vector<std::string>& items,
                        size_t limit = kCommaTextWriteLimit);

// Splits a comma text. Blanks and control bytes around items are skipped; an
// unquoted item ends at a comma or at any byte up to and including the space;
// a quoted one runs to its closing quote (doubled quotes stand for one) or to
// the end of the text. Only the first limit bytes are read (cut back to a
// whole UTF-8 character).
std::vector<std::string> FromCommaText(std::string_view text,
                                       size_t limit = kCommaTextReadLimit);

}  // namespace tendrel
