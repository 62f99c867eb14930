// The local preview of a page with 100 products of 1 MiB each, against
// encoding the same 100 MiB with the cipher alone. The preview encodes every
// product afresh, writes the page and copies the encoded files into the
// products folder; the aim is at most 1.5 times the bare encoding. The page
// sits in the in-memory host, so the editor's transport is not measured.
//
//   bench_local_preview [--runs N]
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "host/in_memory_host.h"
#include "platform/dialogs.h"
#include "seller/authoring/applet.h"
#include "seller/authoring/cipher.h"
#include "seller/output/local_preview.h"
#include "seller/output/page_output.h"
#include "seller/shell/context.h"
#include "bench/bench_dialogs.h"

using namespace tendrel;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[++i]));

  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);

  constexpr int kProducts = 100;
  constexpr size_t kSize = 1 << 20;
  BenchDialogs dialogs{true};
  BravantContext ctx(dialogs);
  auto owned = std::make_unique<InMemoryHost>();
  InMemoryHost* host = owned.get();
  ctx.AttachHost(std::move(owned));

  std::string page = "<html>\r\n<head>\r\n<title>Shop</title>\r\n</head>\r\n<body>\r\n";
  std::vector<std::string> sources;
  std::filesystem::create_directories(root + "/goods");
  std::string bytes(kSize, '\0');
  for (size_t i = 0; i < kSize; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  for (int n = 0; n < kProducts; ++n) {
    const std::string source = root + "/goods/p" + std::to_string(n) + ".bin";
    std::ofstream(source, std::ios::binary) << bytes;
    sources.push_back(source);
    TApplet a(&ctx.Settings());
    a.AppletName = "X";
    a.ProductID = "P" + std::to_string(n);
    a.VendorID = "V1";
    a.Cost = "10";
    a.MediaType = "application/octet-stream";
    a.SourceFile = source;
    a.Width = "200";
    a.Height = "300";
    page += "<p>Product " + std::to_string(n) + "</p>\r\n" + a.BuildTag() + "\r\n";
  }
  page += "</body>\r\n</html>\r\n";
  host->doc.Load(page);
  host->docName = root + "/shop.htm";
  std::ofstream(host->docName) << page;

  PageOutput output(ctx);
  LocalPreview preview(ctx, output);
  std::vector<double> previews, encodes;
  for (int r = 0; r < runs; ++r) {
    const auto a = Clock::now();
    preview.PreviewWithBrowser("None");
    const auto b = Clock::now();
    previews.push_back(Seconds(a, b));

    TTillonCipher cipher;
    const auto c = Clock::now();
    for (const std::string& source : sources) {
      cipher.SetKey(TTillonCipher::NewRandomKey());
      cipher.EncodeFile(source, source + ".plain");
    }
    const auto d = Clock::now();
    encodes.push_back(Seconds(c, d));
    for (const std::string& source : sources) std::remove((source + ".plain").c_str());
  }
  const double p = Median(previews), e = Median(encodes);
  std::printf("local preview of %d x 1 MiB: %.3f s (median of %d)\n", kProducts, p, runs);
  std::printf("cipher alone on the same 100 MiB: %.3f s\n", e);
  std::printf("ratio %.2f (aim <= 1.50): %s\n", p / e, p / e <= 1.5 ? "met" : "NOT met");
  return 0;
}
