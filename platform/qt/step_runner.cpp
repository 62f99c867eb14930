#include "platform/qt/step_runner.h"

#include <QLoggingCategory>
#include <QThread>
#include <exception>

namespace tendrel {

namespace {
Q_LOGGING_CATEGORY(lcSteps, "tendrel.steps")
}  // namespace

struct StepControl::Run {
  std::uint64_t id = 0;
  std::atomic<bool> cancelled{false};
  StepRunner::Work work;
  StepRunner::Done done;
  StepRunner::Progress progress;
};

bool StepControl::cancelled() const { return run_->cancelled.load(); }

std::function<bool()> StepControl::CancelCheck() const {
  return [run = run_] { return run->cancelled.load(); };
}

void StepControl::Report(int value, const QString& text) const {
  StepRunner* runner = runner_;
  const std::uint64_t id = run_->id;
  // Queued to the runner's thread; the runner outlives the worker (its
  // destructor waits), and a runner's pending calls die with it.
  QMetaObject::invokeMethod(runner, [runner, id, value, text] { runner->Deliver(id, value, text); },
                            Qt::QueuedConnection);
}

StepRunner::StepRunner(QObject* parent) : QObject(parent) {}

StepRunner::~StepRunner() {
  if (!run_) return;
  run_->cancelled = true;
  Reap();
}

bool StepRunner::Start(Work work, Done done, Progress progress) {
  if (run_ || !work) return false;
  auto run = std::make_shared<StepControl::Run>();
  run->id = nextId_++;
  run->work = std::move(work);
  run->done = std::move(done);
  run->progress = std::move(progress);
  run_ = run;
  thread_ = QThread::create([this, run] {
    StepControl control(this, run);
    QVariant result;
    try {
      result = run->work(control);
    } catch (const std::exception& e) {
      qCWarning(lcSteps) << "a step ended with an error:" << e.what();
    } catch (...) {
      qCWarning(lcSteps) << "a step ended with an unknown error";
    }
    const std::uint64_t id = run->id;
    QMetaObject::invokeMethod(this, [this, id, result] { Finish(id, result); }, Qt::QueuedConnection);
  });
  thread_->setObjectName(QStringLiteral("step"));
  thread_->start();
  emit busyChanged(true);
  return true;
}

void StepRunner::Cancel() {
  if (run_) run_->cancelled = true;
}

void StepRunner::Stop() {
  if (!run_) return;
  run_->cancelled = true;
  Reap();
  emit busyChanged(false);
}

// Waits for the worker and forgets the run; what it still has queued here
// no longer matches and is dropped.
void StepRunner::Reap() {
  if (thread_) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
  }
  run_.reset();
}

void StepRunner::Deliver(std::uint64_t id, int value, const QString& text) {
  if (!run_ || run_->id != id || run_->cancelled) return;
  // Keep the run alive: the callback may Stop it.
  const std::shared_ptr<StepControl::Run> run = run_;
  if (run->progress) run->progress(value, text);
  if (run_ == run) emit progress(value, text);
}

void StepRunner::Finish(std::uint64_t id, const QVariant& result) {
  if (!run_ || run_->id != id) return;
  const std::shared_ptr<StepControl::Run> run = run_;
  Reap();  // the work has returned: the wait is short
  emit busyChanged(false);
  if (run->cancelled) return;
  // Idle before done runs, so done can start the next step.
  if (run->done) run->done(result);
  emit finished(result);
}

}  // namespace tendrel
