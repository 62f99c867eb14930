#pragma once
// The page support as text work: the service's script block in the head, the
// start-up handler in the body tag, the browser object after the body tag and
// the communications applet before the body's end. None of it reaches the
// host, a file or the user; PageOutput puts the pieces together.
#include <string>
#include <string_view>

namespace tendrel {

// The script block's first and last lines, and its one placeholder.
inline constexpr char kScriptStartMarker[] = "<!-- Start Tillon Script -->";
inline constexpr char kScriptEndMarker[] = "<!-- End Tillon Script -->";
inline constexpr char kSaleboxCountPlaceholder[] = "[NUMVENDAPPLETS]";

// The communications applet: the comment line above it, and its start, by
// which a page is known to hold one.
inline constexpr char kCommsAppletComment[] = "<!-- Tillon 1.2 Super Comms Applet.  Do not remove ! -->";
inline constexpr char kCommsAppletStart[] = "<applet name=\"tilloncommsapplet\"";

// The handler the body's onLoad calls.
inline constexpr char kStartupHandler[] = "TillonOnLoad()";

// The published communications applet, lines 2 to 6 of its block (the
// applet start through "</applet>"), without a line end after the last.
std::string PublishedCommsApplet();

// The browser object's start, "<OBJECT CLASSID=" and the quoted clsid, by
// which a page is known to hold one; and its three lines, each ended by CR LF.
std::string BrowserObjectStart();
std::string BrowserObjectBlock();

// Every block from a start marker through the next end marker, removed.
std::string RemoveScriptBlocks(std::string_view text);

// Puts `script` right behind the first "<head>" (exactly those six
// characters, in any case). False, with the text unchanged, without one.
bool InsertScriptBlock(std::string& text, std::string_view script);

// The body tag with the start-up handler called first: empty when the tag
// needs no change. See the rules in the definition.
std::string AddBodyOnLoad(const std::string& bodyTag);

// Applies AddBodyOnLoad to the body tag (the first "<body" through the next
// ">") in place; nothing without one.
void AddStartupHandler(std::string& text);

// Every block from the communications applet's start through the next
// "</applet>", removed (the comment line above each stays).
void RemoveCommsApplets(std::string& text);

// Unless the text holds the browser object already, puts its block at the
// start of the line after the body tag's line. Nothing without a body start
// tag ("<body" and a ">" after it).
void InsertBrowserObject(std::string& text);

// Unless the text holds a communications applet already, puts the comment
// line and `appletLines` (the applet start through "</applet>"), each line
// ended by CR LF, right before the first "</body>". Nothing without one.
void InsertCommsApplet(std::string& text, std::string_view appletLines);

}  // namespace tendrel
