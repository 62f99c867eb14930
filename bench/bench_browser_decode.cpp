// Decoding a 16 MiB encoded file: the Salebox runtime's cipher in headless
// Chromium (timed inside the page with performance.now()) against the
// program's own cipher (key schedule and decoding in memory), run after run
// in alternating order.
//   bench_browser_decode [RUNS]
// Needs chromium, chromedriver and python3-selenium.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "seller/authoring/cipher.h"

namespace {

constexpr qsizetype kSize = 16 * 1024 * 1024;
const char kKeyHex[] = "8F1C44A0D2730B5E19E6C4287BA95D03";

bool Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One line from the scenario script, or empty when it said nothing in time.
QByteArray ReadLine(QProcess& p, int timeoutMs) {
  while (!p.canReadLine())
    if (!p.waitForReadyRead(timeoutMs)) return {};
  return p.readLine().trimmed();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  try {
    QTemporaryDir dir;
    if (!dir.isValid()) throw std::runtime_error("no temporary folder");
    const QString site = dir.path();

    QByteArray source(kSize, '\0');
    QRandomGenerator rng(2026);
    for (qsizetype k = 0; k < kSize; ++k) source[k] = static_cast<char>(rng.bounded(256));
    if (!Write(site + "/src.bin", source)) throw std::runtime_error("cannot write the source");
    const tendrel::TCipherKey key = tendrel::TTillonCipher::HexToKey(kKeyHex);
    tendrel::TTillonCipher encoder;
    encoder.SetKey(key);
    encoder.EncodeFile((site + "/src.bin").toStdString(), (site + "/enc.bin").toStdString());
    const QByteArray encoded = Read(site + "/enc.bin");
    const QByteArray cipherJs = Read(QStringLiteral(TENDREL_SOURCE_DIR "/resources/classes/tillon-cipher.js"));
    if (encoded.size() != kSize || cipherJs.isEmpty() || !Write(site + "/classes/tillon-cipher.js", cipherJs) ||
        !Write(site + "/manifest.json", QByteArray("{\"files\": [{\"encoded\": \"enc.bin\", \"key\": \"") + kKeyHex +
                                             "\"}]}"))
      throw std::runtime_error("cannot prepare the page's files");

    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    browser.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(TENDREL_SOURCE_DIR "/tests/resources/classes/browser_pages.py"),
                   QStringLiteral("bench"), site});
    const QByteArray ready = ReadLine(browser, 60000);
    if (ready != "ready") {
      std::fprintf(stderr, "the browser did not start: %s %s\n", ready.constData(),
                   browser.readAllStandardOutput().constData());
      return 1;
    }

    std::vector<double> page, program;
    std::vector<char> buffer(static_cast<size_t>(kSize));
    auto runBrowser = [&] {
      browser.write("decode\n");
      const QByteArray line = ReadLine(browser, 60000);
      bool ok = false;
      const double ms = line.toDouble(&ok);
      if (!ok) throw std::runtime_error("no timing from the browser: " + line.toStdString());
      page.push_back(ms);
    };
    auto runProgram = [&] {
      std::memcpy(buffer.data(), encoded.constData(), buffer.size());
      const auto start = std::chrono::steady_clock::now();
      tendrel::TTillonCipher cipher;
      cipher.SetKey(key);
      cipher.EncodeBuffer(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      program.push_back(took.count());
      if (std::memcmp(buffer.data(), source.constData(), buffer.size()) != 0)
        throw std::runtime_error("the program did not decode its own file");
    };
    runBrowser();  // warm-up of both sides, not counted
    runProgram();
    page.clear();
    program.clear();
    for (int r = 0; r < runs; ++r) {
      if (r % 2 == 0) {
        runBrowser();
        runProgram();
      } else {
        runProgram();
        runBrowser();
      }
    }
    browser.closeWriteChannel();
    browser.waitForFinished(30000);

    const double mp = Median(page), mc = Median(program);
    std::printf("16 MiB decode, %d runs each, alternating\n", runs);
    std::printf("  Chromium (tillon-cipher.js): median %.1f ms (%.0f MB/s)\n", mp, kSize / 1e3 / mp);
    std::printf("  program (TTillonCipher):     median %.1f ms (%.0f MB/s)\n", mc, kSize / 1e3 / mc);
    std::printf("  ratio browser/program:       %.2f\n", mp / mc);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
