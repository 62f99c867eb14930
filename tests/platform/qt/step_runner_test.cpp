// Long work on a worker thread: results and progress come back to the UI
// thread in order, one run at a time, and a cancelled or stopped run leaves
// nothing behind.
#include "platform/qt/step_runner.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace tendrel;

TEST(StepRunner, ResultAndProgressArriveOnTheUiThreadInOrder) {
  StepRunner runner;
  QSignalSpy busy(&runner, &StepRunner::busyChanged);
  QSignalSpy finished(&runner, &StepRunner::finished);
  QSignalSpy progressed(&runner, &StepRunner::progress);
  QThread* const ui = QThread::currentThread();
  QThread* worker = nullptr;
  std::vector<int> seen;
  bool progressOnUi = true;
  std::optional<QVariant> result;
  bool doneOnUi = false;
  size_t reportsBeforeDone = 0;
  ASSERT_TRUE(runner.Start(
      [&](StepControl& step) {
        worker = QThread::currentThread();
        for (int i = 1; i <= 300; ++i) step.Report(i, QString::number(i));
        return QVariant(42);
      },
      [&](const QVariant& r) {
        result = r;
        doneOnUi = QThread::currentThread() == ui;
        reportsBeforeDone = seen.size();
      },
      [&](int value, const QString& text) {
        seen.push_back(value);
        progressOnUi = progressOnUi && QThread::currentThread() == ui && text == QString::number(value);
      }));
  EXPECT_TRUE(runner.busy());
  ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
  EXPECT_NE(worker, ui);
  EXPECT_TRUE(doneOnUi);
  EXPECT_EQ(result->toInt(), 42);
  std::vector<int> expected(300);
  for (int i = 0; i < 300; ++i) expected[static_cast<size_t>(i)] = i + 1;
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(progressOnUi);
  EXPECT_EQ(reportsBeforeDone, 300u) << "every report comes before the result";
  EXPECT_FALSE(runner.busy());
  ASSERT_EQ(busy.size(), 2);
  EXPECT_TRUE(busy[0][0].toBool());
  EXPECT_FALSE(busy[1][0].toBool());
  ASSERT_EQ(finished.size(), 1);
  EXPECT_EQ(finished[0][0].value<QVariant>().toInt(), 42);
  EXPECT_EQ(progressed.size(), 300);
}

TEST(StepRunner, OneRunAtATimeAndTheNextMayStartFromDone) {
  StepRunner runner;
  std::atomic<bool> release{false};
  std::atomic<int> runs{0};
  std::vector<int> results;
  auto second = [&](StepControl&) {
    ++runs;
    return QVariant(2);
  };
  ASSERT_TRUE(runner.Start(
      [&](StepControl&) {
        ++runs;
        while (!release) QThread::msleep(1);
        return QVariant(1);
      },
      [&](const QVariant& r) {
        results.push_back(r.toInt());
        // Idle again here: a chain of steps starts its next one from done.
        EXPECT_TRUE(runner.Start(second, [&](const QVariant& r2) { results.push_back(r2.toInt()); }));
      }));
  EXPECT_FALSE(runner.Start(second)) << "a second start while one runs";
  EXPECT_FALSE(runner.Start({})) << "no work";
  release = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 5000));
  EXPECT_EQ(results, (std::vector<int>{1, 2}));
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(runner.busy());
}

TEST(StepRunner, ACancelledRunEndsQuietlyAndBlocksStartsUntilItHasEnded) {
  StepRunner runner;
  QSignalSpy finished(&runner, &StepRunner::finished);
  std::atomic<bool> sawCancel{false}, checkSawIt{false}, linger{true};
  bool done = false;
  std::vector<int> seen;
  ASSERT_TRUE(runner.Start(
      [&](StepControl& step) {
        const std::function<bool()> check = step.CancelCheck();
        step.Report(1);
        while (!step.cancelled()) QThread::msleep(1);
        sawCancel = true;
        checkSawIt = check();
        while (linger) QThread::msleep(1);
        step.Report(2);  // after the cancel: dropped
        return QVariant(7);
      },
      [&](const QVariant&) { done = true; }, [&](int v, const QString&) { seen.push_back(v); }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 5000));
  runner.Cancel();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sawCancel.load(); }, 5000));
  EXPECT_TRUE(checkSawIt);
  EXPECT_TRUE(runner.busy()) << "still ending";
  EXPECT_FALSE(runner.Start([](StepControl&) { return QVariant(); }));
  linger = false;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !runner.busy(); }, 5000));
  QTest::qWait(20);
  EXPECT_FALSE(done);
  EXPECT_EQ(finished.size(), 0);
  EXPECT_EQ(seen, std::vector<int>{1});
}

TEST(StepRunner, StopWaitsForTheWorkAndDropsWhatItLeftQueued) {
  StepRunner runner;
  QSignalSpy finished(&runner, &StepRunner::finished);
  std::atomic<bool> ended{false};
  bool done = false;
  int reports = 0;
  ASSERT_TRUE(runner.Start(
      [&](StepControl& step) {
        step.Report(1);
        QThread::msleep(50);
        ended = true;
        return QVariant(3);
      },
      [&](const QVariant&) { done = true; }, [&](int, const QString&) { ++reports; }));
  runner.Stop();  // no events have run: the report and the result are still queued
  EXPECT_TRUE(ended);
  EXPECT_FALSE(runner.busy());
  QTest::qWait(50);
  EXPECT_EQ(reports, 0);
  EXPECT_FALSE(done);
  EXPECT_EQ(finished.size(), 0);
  // The runner is ready for the next run.
  std::optional<int> next;
  ASSERT_TRUE(runner.Start([](StepControl&) { return QVariant(4); }, [&](const QVariant& r) { next = r.toInt(); }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return next.has_value(); }, 5000));
  EXPECT_EQ(*next, 4);
}

TEST(StepRunner, DestroyedWhileRunningItCancelsAndWaits) {
  std::atomic<bool> started{false}, ended{false};
  bool done = false;
  auto runner = std::make_unique<StepRunner>();
  ASSERT_TRUE(runner->Start(
      [&](StepControl& step) {
        started = true;
        while (!step.cancelled()) QThread::msleep(1);
        QThread::msleep(30);  // winding down takes a moment
        ended = true;
        return QVariant();
      },
      [&](const QVariant&) { done = true; }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
  QElapsedTimer t;
  t.start();
  runner.reset();
  EXPECT_TRUE(ended) << "the destructor waited for the work";
  EXPECT_LT(t.elapsed(), 2000);
  QTest::qWait(20);
  EXPECT_FALSE(done);
}

TEST(StepRunner, WorkThatThrowsEndsWithAnInvalidResult) {
  StepRunner runner;
  std::optional<QVariant> result;
  ASSERT_TRUE(runner.Start([](StepControl&) -> QVariant { throw std::runtime_error("disk full"); },
                           [&](const QVariant& r) { result = r; }));
  ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
  EXPECT_FALSE(result->isValid());
  EXPECT_FALSE(runner.busy());
}
