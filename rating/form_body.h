#pragma once
// The form SafeSurf's registration script takes, and the plain-text report
// the author can mail instead.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rating/rating.h"

namespace tendrel {

// A value escaped for the form body: blanks, control bytes, bytes >= 0x80,
// the unsafe characters " < > [ \ ] ^ ` { } ~ | and, since they would cut or
// change the value, & = + # % become %XX (upper-case hex). Nothing when the
// result would not fit a 255-byte buffer with its terminator (255 bytes or
// more) or the value is empty.
std::optional<std::string> EncodeFormValue(std::string_view value);

// Every byte but letters, digits and - . _ ~ as %XX.
std::string PercentEncode(std::string_view text);

// The whole body, pairs in their fixed order. Fields are sent as typed. A
// value that cannot be encoded is sent empty and onEncodeError runs for it.
std::string BuildFormBody(const Rating& rating, const std::string& homePage,
                          const std::function<void()>& onEncodeError = {});

// The memo's first line: the request to mail the text to SafeSurf.
std::string MemoFirstLine(const std::string& email);

// The report's lines, appended to the memo below its first line and an
// empty line. TABs stand as TABs.
std::vector<std::string> BuildReport(const Rating& rating);

// Each line followed by CR LF.
std::string JoinLinesCRLF(const std::vector<std::string>& lines);

// The checks before a submission: the warning to show, or "" when the name
// and e-mail address will do.
std::string CheckSubmitFields(const std::string& name, const std::string& email);

}  // namespace tendrel
