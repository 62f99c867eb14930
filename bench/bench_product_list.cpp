// The product editor's list: a reply of 10,000 products parsed, and parsed
// and shown in the editor's table. The goal is 0.5 s for the whole.
//
//   bench_product_list [benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>
#include <string>

#include "platform/dialogs.h"
#include "seller/products/product_list.h"
#include "seller/products/ui/frm_edit_tillon.h"
#include "seller/service/transport.h"
#include "seller/shell/context.h"

namespace {

class SilentDialogs : public tendrel::UserDialogs {
 public:
  tendrel::MsgResult Message(const std::string&, const std::string&, tendrel::MsgIcon,
                             tendrel::MsgButtons) override {
    return tendrel::MsgResult::Ok;
  }
  std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFile(const tendrel::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const tendrel::FileDialogRequest&) override { return std::nullopt; }
};

std::string Reply(int products) {
  std::string r = "{SUCCESS}\n";
  for (int i = 0; i < products; ++i) {
    const std::string id = std::to_string(5001 + (i * 7919) % products);  // not in ID order
    r += "{PRODUCT}" + id + ";Product " + id + ";" + std::to_string(100 + i % 900) + ";A short description of " +
         id + ";image/gif;http://vendor.example/content/p" + id + ".egif;00112233445566778899AABBCCDDEEFF{END}\n";
  }
  return r + "{ENDALL}";
}

void BM_ParseProductList(benchmark::State& state) {
  const std::string reply = Reply(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(tendrel::ParseProductList(reply));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseProductList)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ParseAndShowInTable(benchmark::State& state) {
  SilentDialogs dialogs;
  tendrel::BravantContext ctx(dialogs, "\\Software\\Tendrel\\Tillon");
  tendrel::ServiceOutcome outcome;
  outcome.reply = Reply(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tendrel::TfrmEditTillon form(ctx);
    form.ShowList(outcome);
    auto* table = form.findChild<QTreeWidget*>(QStringLiteral("lvProducts"));
    if (!table || table->topLevelItemCount() != state.range(0)) state.SkipWithError("the table is short of rows");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseAndShowInTable)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The settings the editor reads stay out of the user's own.
  QTemporaryDir home;
  setenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
  setenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
