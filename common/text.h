#pragma once
// Text helpers for HTML and service replies. Everything works on byte strings
// (UTF-8 text), never changes its inputs, and counts positions from 1.
// Searches ignore case unless told otherwise; only ASCII letters fold, so
// bytes of multi-byte characters always compare exactly.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tendrel {

// Position (1-based) of the first occurrence of pattern in text, ignoring
// case; 0 when absent or when pattern is empty. On x86-64 sixteen places are
// tried at once (the pattern's first and last byte, then the rest); elsewhere
// patterns of 9 bytes or more use a Horspool skip table, shorter ones a plain
// scan. Every road gives the same answer.
size_t PosCI(std::string_view pattern, std::string_view text);
// The same by a plain scan, byte after byte: the reference the faster roads
// are checked against.
size_t PosCIPlain(std::string_view pattern, std::string_view text);

// PosCI of pattern in the text after its first offset bytes, plus offset; 0
// when absent (also when offset reaches past the text).
size_t PosFrom(std::string_view pattern, std::string_view text, size_t offset);

// count bytes from the 1-based position from (0 counts as 1); a count of -1
// means up to the end, any other negative count gives "".
std::string Mid(std::string_view text, size_t from, long long count);
std::string LeftStr(std::string_view text, size_t n);
std::string RightStr(std::string_view text, size_t n);
// The text without its last n bytes; empty when n is not below the length.
std::string DropRight(std::string_view text, size_t n);

// The text before the first occurrence of marker. When the marker is absent,
// or stands at position 1, the result is the whole text if keep, else "".
std::string TextBefore(std::string_view text, std::string_view marker, bool keep);
// The text after the first occurrence of marker. When the marker is absent,
// the result is the whole text if keep, else "".
std::string TextAfter(std::string_view text, std::string_view marker, bool keep);
// TextBefore(TextAfter(text, start, false), end, false).
std::string TextBetween(std::string_view text, std::string_view start, std::string_view end);

// Every occurrence of oldText replaced by newText, left to right; replaced
// text is not searched again. An empty oldText changes nothing.
std::string ReplaceText(std::string_view text, std::string_view oldText,
                        std::string_view newText, bool caseSensitive);

// Replaces every block running from a start marker through the next end
// marker by replacement. An empty start appends the replacement to the text.
// A start marker without an end marker after it, and everything behind it,
// are kept unchanged. "[BETWEEN]" in the replacement (found ignoring case)
// stands for the text between the markers of the first block; the replacement
// so formed serves for every later block.
std::string ReplaceBetween(std::string_view text, std::string_view start,
                           std::string_view end, std::string_view replacement,
                           bool caseSensitive);

// Clears list and adds every block from a start marker through the next end
// marker, in order. With withOffset each entry is preceded by the block's
// zero-based byte offset in text and a comma ("120,<applet ...</applet>").
// Returns the list's count minus 1.
int ExtractBlocks(std::string_view text, std::string_view start, std::string_view end,
                  bool withOffset, std::vector<std::string>& list);

// Clears list and adds each piece of text between separators (found ignoring
// case); a last piece is added only when not empty. An empty separator stands
// for the single NUL byte. Returns the list's count minus 1 (-1 when nothing
// was added).
int SplitText(std::string_view text, std::string_view separator,
              std::vector<std::string>& list);

// The value of attribute name in an HTML tag ("" when absent). The name is
// found followed by "=" anywhere in the tag, ignoring case, so asking for
// name in a tag holding codename= first gives codename's value. A quoted
// value runs to its closing quote; an unquoted one ends at a space, CR, LF or
// quote; either ends at ">" or the end of the tag.
std::string GetTagAttribute(std::string_view tag, std::string_view name);

// Trims blanks, then removes one leading and one trailing double quote.
std::string StripQuotes(std::string_view text);
// Adds a double quote in front unless there is one, and behind unless there is
// one ("" becomes "\"\"").
std::string AddQuotes(std::string_view text);

// The text without prefix (suffix) when it begins (ends) with it, ignoring
// case; else unchanged.
std::string StripPrefix(std::string_view text, std::string_view prefix);
std::string StripSuffix(std::string_view text, std::string_view suffix);
std::string StripBoth(std::string_view text, std::string_view affix);

// True when value is a decimal signed 32-bit integer: an optional "+" or "-"
// followed by digits only, within -2147483648 .. 2147483647. No blanks and no
// hex forms, so whatever passes converts with std::stoi / std::from_chars
// (after dropping a "+") to the same number.
bool IsInteger(std::string_view value);

// Without leading and trailing blanks and control bytes (<= ' ').
std::string Trim(std::string_view text);
// ASCII letters lowered; other bytes unchanged.
std::string LowerCase(std::string_view text);
// Equal ignoring the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);

}  // namespace tendrel
