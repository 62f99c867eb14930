#pragma once
// Long work (an HTTP exchange, an FTP transfer, encoding) off the UI thread:
// one blocking function at a time runs on a worker thread while the window
// stays responsive; its progress and its result come back to the runner's
// own (UI) thread. Host calls and dialogs stay on the UI thread, between steps.
#include <QObject>
#include <QVariant>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QThread;

namespace tendrel {

class StepRunner;

// What the work sees of its run. Both calls are safe from the worker thread.
class StepControl {
 public:
  // The run has been cancelled: the work should end as soon as it can.
  bool cancelled() const;
  // A check for blocking code that polls (an inet transfer's abort hook).
  std::function<bool()> CancelCheck() const;
  // Reports progress; reports reach the runner's thread in the order made,
  // all before the result.
  void Report(int value, const QString& text = {}) const;

 private:
  friend class StepRunner;
  struct Run;
  StepControl(StepRunner* runner, std::shared_ptr<Run> run) : runner_(runner), run_(std::move(run)) {}
  StepRunner* runner_;
  std::shared_ptr<Run> run_;
};

class StepRunner : public QObject {
  Q_OBJECT
 public:
  // The blocking function; its result goes to Done and finished. It must not
  // throw (a throw ends the run with an invalid result) and should poll
  // cancelled() while it waits.
  using Work = std::function<QVariant(StepControl&)>;
  using Done = std::function<void(const QVariant& result)>;
  using Progress = std::function<void(int value, const QString& text)>;

  explicit StepRunner(QObject* parent = nullptr);
  // Cancels the run under way and waits for its work to end.
  ~StepRunner() override;

  // Starts work on a worker thread; done and progress run on this object's
  // thread. False, and nothing starts, while a run is under way (also while
  // a cancelled one is still ending).
  bool Start(Work work, Done done = {}, Progress progress = {});
  bool busy() const { return run_ != nullptr; }

  // Asks the work to end. The run then ends quietly: neither done nor
  // finished is delivered, only busyChanged(false).
  void Cancel();
  // Cancels and waits here until the work has ended; nothing of the run is
  // delivered afterwards. For closing a window while its step runs.
  void Stop();

 signals:
  void busyChanged(bool busy);
  void progress(int value, const QString& text);
  void finished(const QVariant& result);

 private:
  friend class StepControl;
  void Deliver(std::uint64_t id, int value, const QString& text);
  void Finish(std::uint64_t id, const QVariant& result);
  void Reap();

  std::shared_ptr<StepControl::Run> run_;
  QThread* thread_ = nullptr;
  std::uint64_t nextId_ = 1;
};

}  // namespace tendrel
