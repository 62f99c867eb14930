// GetTagAttribute on arbitrary tags and names. Checks that the value is a
// stretch of the tag, never runs past a ">", is only found where name= is,
// and that the skip-table search agrees with a plain scan.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "fuzz/fuzz_support.h"

using fuzz::Check;
using fuzz::NaivePos;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string name = in.ConsumeRandomLengthString(40);
  const std::string tag = in.ConsumeRemainingBytesAsString();

  const std::string value = tendrel::GetTagAttribute(tag, name);
  const std::string key = name + "=";
  const size_t at = tendrel::PosCI(key, tag);
  Check(at == NaivePos(key, tag));
  if (!value.empty()) {
    Check(at != 0);
    Check(value.size() <= tag.size());
    Check(tag.find(value, at - 1 + key.size()) != std::string::npos);
    Check(value.find('>') == std::string::npos);
  }
  return 0;
}
