#pragma once
// Path and URL helpers. They take both path forms: Windows forms keep their
// classic results (C:\web\a.htm <-> file:///C|/web/a.htm) and native POSIX
// paths get the natural twin (/home/a/x.htm <-> file:///home/a/x.htm).
#include <string>
#include <string_view>

namespace tendrel {

// name when dir is empty; else dir, one separator, name. The separator is a
// backslash when dir holds one, else "/"; one separator at the end of dir and
// one at the start of name are dropped.
std::string JoinPath(std::string_view dir, std::string_view name);

// Apostrophes become grave accents; then spaces, control bytes, bytes >= 0x80
// and the unsafe characters " < > [ \ ] ^ ` { } ~ | become %XX (upper-case
// hex). "" when url is empty or the result would not fit in 1000 bytes with
// its terminator (length >= 1000).
std::string CanonicalizeURL(std::string_view url);
// As CanonicalizeURL, and & = + # % are escaped too (in the same pass, so an
// existing "%" is never escaped twice). For every value placed in a query or
// a form body, where an unescaped "&" or "=" would cut or change the value.
std::string EscapeURLValue(std::string_view value);

// True for a drive path (holds ":" and no "//") and for an absolute POSIX
// path (begins with "/" and holds no "//"); false for URLs.
bool IsLocalPath(std::string_view text);
// C:\web\a.htm -> file:///C|/web/a.htm, /home/a/x.htm -> file:///home/a/x.htm;
// any text that is not a local path comes back unchanged.
std::string PathToFileURL(std::string_view path);
// StripQuotes, then the text after the first "///". A drive form (C|/web/a.htm)
// becomes C:\web\a.htm; after "///" any other text is a POSIX path
// (file:///home/a/x.htm -> /home/a/x.htm); text without "///" that is no drive
// form comes back unchanged.
std::string FileURLToPath(std::string_view url);

// The file that relative names as seen from the folder of baseFile. Windows
// bases resolve with backslashes (C:\site\pages\index.htm + ..\img\a.gif =
// C:\site\img\a.gif), other bases with "/". An absolute relative (drive form,
// or "/..." against a POSIX base) comes back unchanged. ".." never climbs
// above the root of the base.
std::string ResolveRelativePath(std::string_view baseFile, std::string_view relative);

// target written relative to the folder of baseFile when both share their
// first two characters (ignoring case); else target unchanged. A base ending
// in a separator names a folder. Uses "/" when the base holds one, else
// backslashes.
std::string MakeRelativePath(std::string_view baseFile, std::string_view target);

// The part after the last "/" or "\".
std::string ExtractFileName(std::string_view path);
// The part before the last "/" or "\", without it; a root separator stays
// ("/x.htm" -> "/", "C:\x.htm" -> "C:\").
std::string ExtractFileDir(std::string_view path);

}  // namespace tendrel
