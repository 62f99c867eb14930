// Feeds arbitrary bytes to the registry as a settings file. Reading every key
// and value must not crash; the registry's verdict on the file must agree with
// the INI reader's own; a file judged unreadable is never written, and a
// write to a readable one reads back or leaves the file as it was.
//
// The INI layer reads files only, so each input is written to a file on a
// RAM disk (a pool of names reused in turn). Its caches change the heap on
// every input, which would make libFuzzer run a leak scan after each one;
// run with -detect_leaks=0 (memory errors are still caught), the seed corpus
// and the dictionary; ASan's allocation stacks cost a fifth of the time, so
// leave them out unless a finding needs them:
//   ASAN_OPTIONS=malloc_context_size=0 fuzz_registry_reader -detect_leaks=0 \
//       -dict=fuzz/registry_reader.dict CORPUS_DIR fuzz/corpus/registry_reader
#include <QByteArray>
#include <QFile>
#include <QSettings>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/registry.h"

using namespace tendrel;

namespace {

std::string g_root;
unsigned long g_run = 0;
// The inputs take turns over this many key files. A fresh name for every
// input would grow the INI layer's per-name state without end (slowing each
// run as the heap grows); reused too soon, a name could meet that layer's
// cached reading of an earlier input.
constexpr unsigned long kNames = 512;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "registry fuzz: %s\n", what);
    std::abort();
  }
}

// Reads the values of the keys below `key`. A hand-made file can name a
// sub-key "" or "a%5Cb" (a backslash), which leads back to the key itself or
// elsewhere in the tree: the walk is bounded by a budget of keys, not only by
// depth, or such a file would make it run for minutes. Every registry call
// reads and judges the file afresh, so the walk stops at 8 keys of 8 values:
// more finds nothing new and only slows each input.
void Walk(const RegistryKey& key, int depth, int& budget) {
  if (--budget < 0) return;
  int values = 0;
  for (const std::string& name : key.ValueNames()) {
    if (++values > 8) break;
    std::string value;
    key.ReadString(name, value);
  }
  if (depth >= 16) return;
  for (const std::string& sub : key.SubKeys()) {
    const auto child = RegistryKey::Open(RegRoot::CurrentUser, key.Path() + "\\" + sub, false);
    if (child) Walk(*child, depth + 1, budget);
    if (budget < 0) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // tmpfs when there is one: every write is flushed to disk.
  std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string templ = base + "/fuzz-registry-XXXXXX";
  if (!mkdtemp(templ.data())) std::abort();
  g_root = templ;
  setenv("XDG_CONFIG_HOME", g_root.c_str(), 1);
  for (unsigned long n = 0; n < kNames; ++n) mkdir((g_root + "/Org" + std::to_string(n)).c_str(), 0700);
  std::atexit([] {
    for (unsigned long n = 0; n < kNames; ++n) rmdir((g_root + "/Org" + std::to_string(n)).c_str());
    rmdir(g_root.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string org = "Org" + std::to_string(g_run++ % kNames);
  const std::string file = g_root + "/" + org + "/App.conf";
  const std::string keyPath = "\\Software\\" + org + "\\App";
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(file, std::ios::binary);
    out << text;
  }

  const bool readable = registry_detail::IniTextReadable(text);
  {
    QSettings qs(QString::fromStdString(file), QSettings::IniFormat);
    qs.allKeys();
    Check(readable == (qs.status() == QSettings::NoError), "verdict differs from the INI reader");
  }

  auto key = RegistryKey::Open(RegRoot::CurrentUser, keyPath, false);
  Check(key.has_value() == readable, "a readable file must open, an unreadable one not");
  if (key) {
    int budget = 8;
    Walk(*key, 0, budget);
    const std::string value = "a,b=\"c\";\n\xC3\xA9";
    if (key->WriteString("Fuzz Value", value)) {
      std::string back;
      Check(key->ReadString("fuzz value", back) && back == value, "written value not read back");
    } else {
      // Refused: some hand-made names would be saved in a form that cannot
      // be read back; the file must then be as it was.
      Check(Slurp(file) == text, "file changed by a failed write");
    }
  } else {
    Check(!RegistryKey::Open(RegRoot::CurrentUser, keyPath, true), "unreadable file opened");
    Check(Slurp(file) == text, "unreadable file changed");
  }

  unlink(file.c_str());
  unlink((file + ".lock").c_str());
  return 0;
}
