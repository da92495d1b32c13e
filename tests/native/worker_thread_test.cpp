#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace kx {
namespace {

// Polls like the dictionaries' workers: a pass, then a sleep that Stop cuts
// short; or waits for another event or the stop, and tells which came.
class Worker : public WorkerThread {
public:
    explicit Worker(bool polls) : polls_(polls) {}
    ~Worker() override { Stop(); }
    void RunWorker() override {
        if (!polls_) {
            result = WaitStopOr(other, kWaitForever);
            return;
        }
        do passes.fetch_add(1);
        while (!WaitOrStop(60000));
    }
    std::atomic<int> passes{0}, result{-5};
    WaitEvent other;

private:
    const bool polls_;
};

TEST(WorkerThread, StopCutsAWaitShortAndTheWorkerStartsAgain) {
    Worker w(true);
    ASSERT_TRUE(w.Start(ThreadPriority::Lowest));
    EXPECT_TRUE(w.Start(ThreadPriority::Lowest));  // running already: nothing new
    while (w.passes.load() == 0) std::this_thread::yield();
    const auto t0 = std::chrono::steady_clock::now();
    w.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_FALSE(w.IsRunning());
    EXPECT_EQ(w.passes.load(), 1);
    // The stop event is reset by a new start, so the worker polls again.
    ASSERT_TRUE(w.Start(ThreadPriority::Normal));
    while (w.passes.load() < 2) std::this_thread::yield();
    EXPECT_TRUE(w.IsRunning());
    EXPECT_FALSE(w.StopEvent().IsSet());
    w.Stop();

    Worker waiting(false);
    ASSERT_TRUE(waiting.Start(ThreadPriority::Normal));
    waiting.other.Set();
    while (waiting.IsRunning()) std::this_thread::yield();
    waiting.Stop();
    EXPECT_EQ(waiting.result.load(), 1);
    waiting.other.Reset();
    ASSERT_TRUE(waiting.Start(ThreadPriority::Normal));
    waiting.Stop();
    EXPECT_EQ(waiting.result.load(), 0);
}

TEST(WaitEvent, WaitForAnyReportsTheFirstSetEventAndTimesOut) {
    WaitEvent a, b, c;
    const WaitEvent* list[] = {&a, &b, &c};
    EXPECT_EQ(WaitForAnyEvent(list, 10), kWaitTimedOut);
    c.Set();
    b.Set();
    EXPECT_EQ(WaitForAnyEvent(list, 0), 1);
    b.Reset();
    EXPECT_EQ(WaitForAnyEvent(list, kWaitForever), 2);
    // A Set from another thread wakes a waiter that is already asleep.
    c.Reset();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        a.Set();
    });
    EXPECT_EQ(WaitForAnyEvent(list, kWaitForever), 0);
    setter.join();
    // No more than 64 events at once.
    std::vector<WaitEvent> many(65);
    std::vector<const WaitEvent*> tooMany;
    for (auto& e : many) tooMany.push_back(&e);
    many[0].Set();
    EXPECT_EQ(WaitForAnyEvent(tooMany, 0), kWaitTimedOut);
    EXPECT_EQ(WaitForAnyEvent(std::span(tooMany).first(64), 0), 0);
}

}  // namespace
}  // namespace kx
