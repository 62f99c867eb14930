// The preview image maker's whole road on a 4000 by 3000 picture: read the
// PNG, tile it, write the JPEG at quality 75 (ReadImageFile + ApplyTiling +
// WriteJpeg), against the GraphicsMagick tool doing the read and write alone:
// `gm convert in.png -quality 75 out.jpg`. The picture (gradients with noise,
// so neither side gets an easy file) is made once. The two sides take turns
// run by run, A B A B ..., and each run's wall time is taken; the tool's time
// includes starting its process, which is timed on its own too
// (`gm version`). Ours also reports its three steps apart.
//
//   bench_preview [ROUNDS]   (default 7)
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/image/image_file.h"
#include "platform/qt/keyed_picture.h"
#include "resources/resources.h"
#include "seller/preview/preview_tiling.h"

extern char** environ;

namespace {

using namespace tendrel;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

struct Stats {
  double median, min, max;
};

Stats Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

void Print(const char* name, const std::vector<double>& runs) {
  const Stats s = Summarise(runs);
  std::printf("%-34s median %8.1f ms   min %8.1f   max %8.1f\n", name, s.median * 1e3, s.min * 1e3,
              s.max * 1e3);
}

// Runs the program, its output thrown away, and waits; false when it could
// not start or failed.
bool Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QImage NoisyGradient(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> noise(-24, 24);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int r = x * 255 / width + noise(random), g = y * 255 / height + noise(random);
      const int b = (x + y) * 255 / (width + height) + noise(random);
      line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  InitResources();
  const QImage tile = LoadBitmapResource("previewtile");
  if (tile.isNull()) {
    std::fprintf(stderr, "no tile bitmap\n");
    return 1;
  }
  QTemporaryDir dir;
  const std::string in = dir.filePath("in.png").toStdString();
  const std::string oursOut = dir.filePath("ours.jpg").toStdString();
  const std::string gmOut = dir.filePath("gm.jpg").toStdString();
  if (!NoisyGradient(4000, 3000).save(QString::fromStdString(in))) {
    std::fprintf(stderr, "cannot write %s\n", in.c_str());
    return 1;
  }
  if (!Run({"gm", "version"})) {
    std::fprintf(stderr, "the gm tool is not there\n");
    return 1;
  }

  std::vector<double> ours, gm, start, readT, tileT, writeT;
  // One unmeasured turn each warms the file cache and the library.
  for (int round = -1; round < rounds; ++round) {
    {
      const auto t0 = Clock::now();
      const ImageRead r = ReadImageFile(in);
      const auto t1 = Clock::now();
      if (!r.ok()) {
        std::fprintf(stderr, "read failed: %s\n", r.error.c_str());
        return 1;
      }
      QImage working;
      ApplyTiling(working, r.image, tile, kWidestSpacing);
      const auto t2 = Clock::now();
      const std::string error = WriteJpeg(working, oursOut, 75);
      const auto t3 = Clock::now();
      if (!error.empty()) {
        std::fprintf(stderr, "write failed: %s\n", error.c_str());
        return 1;
      }
      if (round >= 0) {
        ours.push_back(std::chrono::duration<double>(t3 - t0).count());
        readT.push_back(std::chrono::duration<double>(t1 - t0).count());
        tileT.push_back(std::chrono::duration<double>(t2 - t1).count());
        writeT.push_back(std::chrono::duration<double>(t3 - t2).count());
      }
    }
    {
      const auto t0 = Clock::now();
      if (!Run({"gm", "convert", in, "-quality", "75", gmOut})) {
        std::fprintf(stderr, "gm convert failed\n");
        return 1;
      }
      if (round >= 0) gm.push_back(SecondsSince(t0));
    }
    {
      const auto t0 = Clock::now();
      Run({"gm", "version"});
      if (round >= 0) start.push_back(SecondsSince(t0));
    }
  }

  std::printf("4000x3000 PNG -> JPEG quality 75, %d runs each, alternated\n", rounds);
  Print("ours: read + tile + write", ours);
  Print("  read (ReadImageFile)", readT);
  Print("  tile (ApplyTiling)", tileT);
  Print("  write (WriteJpeg)", writeT);
  Print("gm convert in.png -quality 75", gm);
  Print("  gm process start (gm version)", start);
  const double ratio = Summarise(ours).median / Summarise(gm).median;
  std::printf("ratio of medians ours / gm: %.2f (target <= 1.5)\n", ratio);
  return 0;
}
