// HexToKey either refuses a text with EInvalidHexCodedKey or returns a key whose
// hex form is the text in upper case; well-formed texts are never refused.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "seller/authoring/cipher.h"

namespace {

bool WellFormed(const std::string& text) {
  if (text.size() % 2 != 0 || text.size() < 32 || text.size() > 512) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const tendrel::TCipherKey key = tendrel::TTillonCipher::HexToKey(text);
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!WellFormed(text) || key.Length != static_cast<int32_t>(size / 2) ||
        tendrel::TTillonCipher::KeyToHex(key) != upper)
      std::abort();
  } catch (const tendrel::EInvalidHexCodedKey&) {
    if (WellFormed(text)) std::abort();
  }
  return 0;
}
