// The service reply's handling on arbitrary replies: every result is checked
// against a plain reference written here from the rules, and against what the
// cut always leaves behind.
//   ReplySucceeded    "{SUCCESS}" anywhere, ASCII letters folded
//   ExtractVendorId   after the first '}' up to the first ';' after it, trimmed
//   CleanReply        title element, then "<"..">", then "{".."}" cut out, trimmed
//   BuildErrorReport  message, CR LF twice, cleaned reply, CR LF twice,
//                     "Error <code>", two blanks, the explanation
// Input: the last bytes choose the error number and the last response text
// (some choices take a piece from the front for it); then come the message (a
// piece ended by a backslash) and the reply (the rest). libFuzzer's input
// limit (4096 bytes unless -max_len says otherwise) bounds the reply; a hang
// shows as a time-out:
//   fuzz_service_reply -timeout=10 -dict=fuzz/service_reply.dict CORPUS_DIR fuzz/corpus/service_reply
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "seller/enrol/enrolment.h"
#include "seller/service/transport.h"

using fuzz::Check;

namespace {

constexpr size_t npos = std::string::npos;

unsigned char Lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// Zero-based index of p in t at or after from, ASCII letters folded; npos
// when absent. A plain scan.
size_t FindFolded(std::string_view t, std::string_view p, size_t from) {
  for (size_t i = from; i + p.size() <= t.size(); ++i) {
    size_t j = 0;
    while (j < p.size() && Lower(t[i + j]) == Lower(p[j])) ++j;
    if (j == p.size()) return i;
  }
  return npos;
}

// Blanks in Trim's sense: every byte up to and including the space.
bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string TrimBlanks(std::string_view t) {
  size_t b = 0, e = t.size();
  while (b < e && Blank(t[b])) ++b;
  while (e > b && Blank(t[e - 1])) --e;
  return std::string(t.substr(b, e - b));
}

// Every block from start through the next end after it cut out, left to
// right; a start without an end behind it stays, with all that follows.
std::string CutBlocks(std::string_view t, std::string_view start, std::string_view end) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t a = FindFolded(t, start, pos);
    if (a == npos) break;
    const size_t b = FindFolded(t, end, a + start.size());
    if (b == npos) break;
    out.append(t.substr(pos, a - pos));
    pos = b + end.size();
  }
  out.append(t.substr(pos));
  return out;
}

std::string RefClean(std::string_view reply) {
  return TrimBlanks(CutBlocks(CutBlocks(CutBlocks(reply, "<TITLE>", "</TITLE>"), "<", ">"), "{", "}"));
}

std::string RefVendorId(std::string_view reply) {
  size_t open = 0;
  while (open < reply.size() && reply[open] != '}') ++open;
  if (open == reply.size()) return {};
  size_t close = open + 1;
  while (close < reply.size() && reply[close] != ';') ++close;
  if (close == reply.size()) return {};
  return TrimBlanks(reply.substr(open + 1, close - open - 1));
}

// The last response text arrives in a buffer of 2000 characters, its
// terminating NUL included: a longer text, or none, cannot be told.
std::string RefExplanation(int code, const std::string& last) {
  switch (code) {
    case 3:
    case 12003: return (last.empty() || last.size() > 1999) ? "No extended information available." : last;
    case 6:
    case 12006: return "Unrecognized scheme.";
    case 7:
    case 12007: return "Could not resolve host name.";
    case 29:
    case 12029: return "Server is not running at this time, or FTP session was dropped.";
    default: return {};
  }
}

// No byte `close` stands anywhere behind a byte `open`.
bool NoPairLeft(std::string_view t, char open, char close) {
  const size_t o = t.find(open);
  return o == npos || t.find(close, o + 1) == npos;
}

// t is s with bytes left out, the rest in their order.
bool IsSubsequence(std::string_view t, std::string_view s) {
  size_t i = 0;
  for (size_t j = 0; i < t.size() && j < s.size(); ++j)
    if (t[i] == s[j]) ++i;
  return i == t.size();
}

bool IsTrimmed(std::string_view t) { return t.empty() || (!Blank(t.front()) && !Blank(t.back())); }

// Error numbers the transport and the FTP transfer meet, and neighbours of
// the ones with an explanation.
constexpr int kCodes[] = {0, 2, 3, 4, 6, 7, 29, 12002, 12003, 12006, 12007, 12017, 12029, 12031, 12152, -1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const uint8_t codeSel = in.ConsumeIntegral<uint8_t>();
  const uint8_t lastSel = in.ConsumeIntegral<uint8_t>();
  const int code = codeSel < 224 ? kCodes[codeSel % std::size(kCodes)] : in.ConsumeIntegral<int>();
  std::string last;
  switch (lastSel % 8) {
    case 0: break;
    case 1:
    case 2:
    case 3:
    case 4: last.assign(1997 + lastSel % 8, static_cast<char>('!' + lastSel / 8)); break;  // 1998 .. 2001
    default: last = in.ConsumeRandomLengthString(64);
  }
  const std::string message = in.ConsumeRandomLengthString(64);
  const std::string reply = in.ConsumeRemainingBytesAsString();

  // Success.
  const bool succeeded = tendrel::ReplySucceeded(reply);
  Check(succeeded == (FindFolded(reply, "{SUCCESS}", 0) != npos));

  // The vendor ID.
  const std::string id = tendrel::ExtractVendorId(reply);
  Check(id == RefVendorId(reply));
  Check(IsTrimmed(id));
  Check(id.find(';') == npos);
  if (!id.empty()) {
    const size_t open = reply.find('}');
    Check(open != npos);
    const size_t close = reply.find(';', open + 1);
    Check(close != npos);
    // The ID is a stretch of the reply between those two.
    const size_t at = reply.find(id, open + 1);
    Check(at != npos && at + id.size() <= close);
  }
  if (reply.find('}') == npos || reply.find(';', reply.find('}')) == npos) Check(id.empty());

  // The cleaned reply.
  const std::string cleaned = tendrel::CleanReply(reply);
  Check(cleaned == RefClean(reply));
  Check(cleaned.size() <= reply.size());
  Check(IsTrimmed(cleaned));
  Check(NoPairLeft(cleaned, '<', '>'));
  Check(NoPairLeft(cleaned, '{', '}'));
  Check(IsSubsequence(cleaned, reply));
  Check(tendrel::CleanReply(cleaned) == cleaned);  // nothing left to cut
  if (reply.find_first_of("<{") == npos) Check(cleaned == TrimBlanks(reply));

  // The error report.
  const std::string explanation = tendrel::ErrorExplanation(code, last);
  Check(explanation == RefExplanation(code, last));
  const std::string report = tendrel::BuildErrorReport(message, reply, code, last);
  const std::string head = message + "\r\n\r\n";
  const std::string tail = "\r\n\r\nError " + std::to_string(code) + "  " + explanation;
  Check(report.size() == head.size() + cleaned.size() + tail.size());
  Check(report.starts_with(head));
  Check(report.ends_with(tail));
  Check(report.compare(head.size(), cleaned.size(), cleaned) == 0);
  return 0;
}
