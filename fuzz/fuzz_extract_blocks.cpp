// ExtractBlocks on arbitrary text and markers. Every offset must point at its
// block in the text, blocks must begin and end with the markers and follow
// each other without overlap, and the list without offsets must hold the same
// blocks. Also checks the skip-table search against a plain scan.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "fuzz/fuzz_support.h"

using fuzz::Check;
using fuzz::NaivePos;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string start = in.ConsumeRandomLengthString(24);
  const std::string end = in.ConsumeRandomLengthString(24);
  const std::string text = in.ConsumeRemainingBytesAsString();

  Check(tendrel::PosCI(start, text) == NaivePos(start, text));
  Check(tendrel::PosCI(end, text) == NaivePos(end, text));

  std::vector<std::string> withOff, plain;
  const int n = tendrel::ExtractBlocks(text, start, end, true, withOff);
  Check(n == static_cast<int>(withOff.size()) - 1);
  Check(tendrel::ExtractBlocks(text, start, end, false, plain) == n);

  size_t next = 0;  // no block may start before the previous one ended
  for (size_t i = 0; i < withOff.size(); ++i) {
    const std::string& entry = withOff[i];
    const size_t comma = entry.find(',');
    Check(comma != std::string::npos && comma > 0);
    const size_t off = std::stoull(entry.substr(0, comma));
    const std::string block = entry.substr(comma + 1);
    Check(block == plain[i]);
    Check(off >= next && off + block.size() <= text.size());
    Check(text.compare(off, block.size(), block) == 0);
    Check(block.size() >= start.size() + end.size());
    Check(tendrel::SameText(block.substr(0, start.size()), start));
    Check(tendrel::SameText(block.substr(block.size() - end.size()), end));
    // The end marker is the first one after the start marker.
    Check(NaivePos(end, block.substr(start.size())) == block.size() - end.size() - start.size() + 1);
    // No start marker was skipped between the previous block and this one.
    Check(NaivePos(start, std::string_view(text).substr(next, off - next + start.size())) ==
          off - next + 1);
    next = off + block.size();
  }
  return 0;
}
