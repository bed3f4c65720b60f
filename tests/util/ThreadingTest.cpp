#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "util/AutoResetEvent.h"
#include "util/Ticks.h"
#include "util/UiCallQueue.h"

namespace vaddex {
namespace {

TEST(AutoResetEvent, ReleasesOneWaitPerSetAndTimesOut) {
    AutoResetEvent event;
    std::int64_t start = TickMs();
    EXPECT_FALSE(event.Wait(50));
    EXPECT_GE(TickMs() - start, 45);

    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));  // reset by the first wait

    std::thread setter([&] {
        SleepMs(20);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(5000));
    setter.join();
}

TEST(UiCallQueue, RunsPostedRoutinesOnTheUiThreadAndWaitsForThem) {
    UiCallQueue queue;
    std::thread::id ranOn;
    std::atomic<bool> posterDone{false};
    std::thread worker([&] {
        EXPECT_FALSE(queue.IsUiThread());
        queue.RunOnUiThread([&] { ranOn = std::this_thread::get_id(); });
        posterDone = true;
    });
    while (!posterDone) {
        queue.WaitAndRun(100);
    }
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // On the UI thread itself the routine runs at once.
    bool ran = false;
    queue.RunOnUiThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(UiCallQueue, AnExceptionReachesThePoster) {
    UiCallQueue queue;
    std::atomic<bool> caught{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            queue.RunOnUiThread([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error& e) {
            caught = std::string(e.what()) == "boom";
        }
        done = true;
    });
    while (!done) {
        queue.WaitAndRun(100);
    }
    worker.join();
    EXPECT_TRUE(caught);
}

TEST(UiCallQueue, WakeEndsAWaitEarly) {
    UiCallQueue queue;
    std::thread waker([&] {
        SleepMs(30);
        queue.Wake();
    });
    std::int64_t start = TickMs();
    EXPECT_EQ(queue.WaitAndRun(5000), 0);
    EXPECT_LT(TickMs() - start, 4000);
    waker.join();
}

}  // namespace
}  // namespace vaddex
