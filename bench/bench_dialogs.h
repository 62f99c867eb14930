#pragma once
// The dialogs of a benchmark: nobody is there to answer. Messages are
// counted and, unless quiet, printed to stderr; questions are answered No,
// input and file dialogs cancelled.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/dialogs.h"

class BenchDialogs : public tendrel::UserDialogs {
 public:
  explicit BenchDialogs(bool quiet = false) : quiet_(quiet) {}
  int shown = 0;

  tendrel::MsgResult Message(const std::string& text, const std::string& caption, tendrel::MsgIcon,
                             tendrel::MsgButtons buttons) override {
    ++shown;
    if (!quiet_) std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return buttons == tendrel::MsgButtons::YesNo || buttons == tendrel::MsgButtons::YesNoCancel
               ? tendrel::MsgResult::No
               : tendrel::MsgResult::Ok;
  }
  std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFile(const tendrel::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const tendrel::FileDialogRequest&) override { return std::nullopt; }

 private:
  bool quiet_;
};
