// The Internet Explorer channel file on arbitrary field texts: it must always
// parse as XML, and TITLE must read back as the title the author typed (or
// the channel URL when there is none), with the bytes XML cannot hold mended
// the documented way: control bytes other than TAB, LF and CR dropped, every
// byte that does not begin a well-formed UTF-8 sequence and every U+FFFE or
// U+FFFF replaced by U+FFFD. The channel's HREF reads back the same way.
// Compared as UTF-8 bytes: QString::fromUtf8 would drop a leading U+FEFF,
// which the file keeps.
// Input: title, URL, icon and picture, each a piece ended by a backslash,
// then the IE file's address (the rest).
//   fuzz_channel_cdf -dict=fuzz/channel_cdf.dict CORPUS_DIR fuzz/corpus/channel_cdf
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <cstdint>
#include <string>
#include <string_view>

#include "channel/generate_channels.h"
#include "common/text.h"
#include "fuzz/fuzz_support.h"

using fuzz::Check;

namespace {

// Length of the well-formed UTF-8 sequence at t[i] by the table of
// well-formed byte sequences (lead byte ranges and their second-byte
// ranges); 0 when there is none.
size_t WellFormed(std::string_view t, size_t i) {
  auto at = [&](size_t k) { return static_cast<unsigned char>(t[k]); };
  auto in = [&](size_t k, int lo, int hi) { return k < t.size() && at(k) >= lo && at(k) <= hi; };
  const int b = at(i);
  if (b <= 0x7F) return 1;
  if (b >= 0xC2 && b <= 0xDF) return in(i + 1, 0x80, 0xBF) ? 2 : 0;
  int lo = 0x80, hi = 0xBF;
  if (b == 0xE0) lo = 0xA0;
  if (b == 0xED) hi = 0x9F;
  if (b == 0xF0) lo = 0x90;
  if (b == 0xF4) hi = 0x8F;
  if (b >= 0xE0 && b <= 0xEF) return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) ? 3 : 0;
  if (b >= 0xF0 && b <= 0xF4)
    return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) && in(i + 3, 0x80, 0xBF) ? 4 : 0;
  return 0;
}

std::string Mended(std::string_view t) {
  std::string out;
  for (size_t i = 0; i < t.size();) {
    const size_t n = WellFormed(t, i);
    const std::string_view seq = t.substr(i, n);
    if (n == 0 || seq == "\xEF\xBF\xBE" || seq == "\xEF\xBF\xBF") out += "\xEF\xBF\xBD";
    else if (n > 1 || static_cast<unsigned char>(t[i]) >= 0x20 || t[i] == '\t' || t[i] == '\n' || t[i] == '\r')
      out += seq;
    i += n == 0 ? 1 : n;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  tendrel::channel::ChannelFields f;
  f.title = in.ConsumeRandomLengthString(256);
  f.url = in.ConsumeRandomLengthString(256);
  f.ieIcon = in.ConsumeRandomLengthString(256);
  f.iePicture = in.ConsumeRandomLengthString(256);
  f.ieFile = in.ConsumeRemainingBytesAsString();

  const std::string cdf = tendrel::channel::BuildIEChannelFile(f);
  const std::string title = tendrel::Trim(f.title).empty() ? tendrel::Trim(f.url) : tendrel::Trim(f.title);

  QXmlStreamReader xml(QByteArray::fromStdString(cdf));
  int channels = 0, titles = 0, logos = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"CHANNEL") {
      ++channels;
      Check(xml.attributes().value("HREF").toString().toUtf8().toStdString() == Mended(tendrel::Trim(f.url)));
    } else if (xml.name() == u"TITLE") {
      ++titles;
      Check(xml.readElementText().toUtf8().toStdString() == Mended(title));
    } else if (xml.name() == u"LOGO") {
      ++logos;
    }
  }
  Check(!xml.hasError());
  Check(channels == 1 && titles == 1 && logos == 2);
  return 0;
}
