#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/file_error.h"
#include "seller/authoring/cipher.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                              static_cast<std::streamsize>(data.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TCipherKey TestKey() {
  return TTillonCipher::HexToKey("0123456789ABCDEF00112233445566778899");
}

class EncodedFiles : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path().toStdString()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(EncodedFiles, RoundTripAcrossPieceBoundaries) {
  TTillonCipher cipher;
  cipher.SetKey(TestKey());
  std::mt19937 rng(42);
  // Piece and read-buffer edges (8 KiB pieces, 256 KiB reads).
  for (size_t size : {0, 1, 8191, 8192, 8193, 20000, 262143, 262144, 262145, 600000}) {
    SCOPED_TRACE("size " + std::to_string(size));
    Bytes source(size);
    for (auto& b : source) b = static_cast<uint8_t>(rng());
    WriteFile(Path("src.bin"), source);
    WriteFile(Path("enc.bin"), Bytes(size + 100, 0x55));  // an existing target is overwritten

    cipher.EncodeFile(Path("src.bin"), Path("enc.bin"));
    const Bytes encoded = ReadFile(Path("enc.bin"));

    TTillonCipher whole;  // one pass over the whole content
    whole.SetKey(TestKey());
    Bytes expected = source;
    whole.EncodeBuffer(expected.data(), expected.size());
    EXPECT_EQ(encoded, expected);

    cipher.EncodeFile(Path("enc.bin"), Path("dec.bin"));
    EXPECT_EQ(ReadFile(Path("dec.bin")), source);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"dec.bin", "enc.bin", "src.bin"}));
  }
}

TEST_F(EncodedFiles, TargetNameAtTheLengthLimit) {
  // 250 + ".etxt" is the longest name the system allows; the temporary file
  // must not need a longer one.
  const std::string stem(250, 'n');
  WriteFile(Path(stem + ".txt"), Bytes(3000, 9));
  TTillonCipher cipher;
  cipher.SetKey(TestKey());
  cipher.EncodeFile(Path(stem + ".txt"), Path(stem + ".etxt"));
  cipher.EncodeFile(Path(stem + ".etxt"), Path("back.txt"));
  EXPECT_EQ(ReadFile(Path("back.txt")), Bytes(3000, 9));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"back.txt", stem + ".etxt", stem + ".txt"}));
}

TEST_F(EncodedFiles, FailuresReportErrnoAndLeaveNoTarget) {
  WriteFile(Path("src.bin"), Bytes(100, 7));
  fs::create_directory(Path("folder"));
  struct Case {
    std::string source, target;
    int code;
  } cases[] = {
      {Path("missing.bin"), Path("out.bin"), ENOENT},
      {Path("src.bin"), Path("nofolder/out.bin"), ENOENT},
      {Path("folder"), Path("out.bin"), EISDIR},
  };
  TTillonCipher cipher, fresh;
  cipher.SetKey(TestKey());
  fresh.SetKey(TestKey());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + " -> " + c.target);
    cipher.NextByte();  // a failed encode must still restart the key stream
    try {
      cipher.EncodeFile(c.source, c.target);
      ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
      EXPECT_EQ(e.code(), c.code) << e.what();
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "src.bin"}));
    EXPECT_EQ(cipher.NextByte(), fresh.NextByte());
    cipher.Reset();
    fresh.Reset();
  }
}

TEST(EncodedFileNames, Naming) {
  struct Case {
    std::string source, encoded, numbered2;
  } cases[] = {
      {"report.txt", "report.etxt", "report2.etxt"},
      {"/home/a.b/photo.gif", "/home/a.b/photo.egif", "/home/a.b/photo2.egif"},
      {"C:\\web.site\\pages\\a.tar.gz", "C:\\web.site\\pages\\a.tar.egz",
       "C:\\web.site\\pages\\a2.tar2.egz"},
      {"/home/a.b/README", "/home/a.b/README", "/home/a.b/README"},
      {"C:\\web.site\\README", "C:\\web.site\\README", "C:\\web.site\\README"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodedFileName(c.source), c.encoded);
    EXPECT_EQ(NumberedFileName(c.encoded, 2), c.numbered2);
  }
}

TEST_F(EncodedFiles, FreeNameAndCleanUpAgreeWithEncoder) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("site.v2"));
  const std::string source = Path("site.v2/report.txt");
  WriteFile(source, Bytes(10, 1));
  TTillonCipher cipher;
  cipher.SetKey(TestKey());
  std::vector<std::string> written;
  for (int n = 0; n < 3; ++n) {
    written.push_back(FreeEncodedFileName(EncodedFileName(source)));
    cipher.EncodeFile(source, written.back());
  }
  EXPECT_EQ(written, (std::vector<std::string>{Path("site.v2/report.etxt"), Path("site.v2/report1.etxt"),
                                               Path("site.v2/report2.etxt")}));
  WriteFile(Path("site.v2/report4.etxt"), Bytes(1, 0));  // beyond the first gap: kept
  WriteFile(Path("site.v2/README"), Bytes(1, 0));

  DeleteEncodedFiles({source, Path("site.v2/README"), Path("missing/other.gif")});
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(Path("site.v2"))) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"README", "report.txt", "report4.etxt"}));
}
