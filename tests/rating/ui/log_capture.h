#pragma once
// Collects what is logged while it lives, by category.
#include <QMessageLogContext>
#include <QString>
#include <mutex>
#include <string>
#include <vector>

class LogCapture {
 public:
  LogCapture() {
    Current() = this;
    previous_ = qInstallMessageHandler(&LogCapture::Handle);
  }
  ~LogCapture() {
    qInstallMessageHandler(previous_);
    Current() = nullptr;
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The messages logged in one category, in order.
  std::vector<std::string> Lines(const std::string& category) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& [c, text] : lines_)
      if (c == category) out.push_back(text);
    return out;
  }

 private:
  static LogCapture*& Current() {
    static LogCapture* current = nullptr;
    return current;
  }
  static void Handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
    LogCapture* self = Current();
    if (!self) return;
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lines_.emplace_back(context.category ? context.category : "", message.toStdString());
  }

  QtMessageHandler previous_ = nullptr;
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> lines_;
};
