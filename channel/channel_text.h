#pragma once
// How a typed value is made safe for each place a generated text puts it:
// the channel files, the script's string literals and the inserted HTML's
// attributes. A value without the characters each place cares about comes
// back unchanged.
#include <string>
#include <string_view>

#include "channel/pennant_config.h"

namespace tendrel::channel {

// Where a value stands in a channel file.
enum class CdfPlace { Text, Attribute };

// For the channel files: & < > " become &amp; &lt; &gt; &quot;. Bytes that
// cannot stand in an XML document are mended first: control bytes other than
// TAB, LF and CR are dropped; a byte that does not begin a valid UTF-8
// sequence, and a valid sequence of U+FFFE or U+FFFF, become U+FFFD. CR
// (and, inside an attribute, TAB and LF too) is written as a character
// reference, since a parser would otherwise fold it away.
std::string EscapeCdf(std::string_view value, CdfPlace place);

// For a JavaScript string literal delimited by quote (' or "): backslash,
// the quote, line breaks (CR, LF, U+2028, U+2029) and other control bytes
// but TAB are escaped; "</" becomes "<\/" and the "<" of "<!--" and
// "<script" becomes \x3C, so the value can neither end the SCRIPT element
// nor open a comment or script inside it.
std::string EscapeScriptString(std::string_view value, char quote);

// For a double-quoted attribute of the inserted HTML: & and " become &amp;
// and &quot;.
std::string EscapeHtmlAttribute(std::string_view value);

// One button of the page text: the comment line and the linked image, each
// ended by CR LF. href is the link's reference as it stands (relative or
// absolute).
std::string IEButton(const std::string& href, const PennantConfig& config);
std::string PointCastButton(const std::string& href, const PennantConfig& config);
std::string NetcasterButton(const PennantConfig& config);

// A text counts as missing when it is empty after trimming or is exactly
// "http://", the untouched start of an address.
bool MissingAddress(std::string_view text);

}  // namespace tendrel::channel
