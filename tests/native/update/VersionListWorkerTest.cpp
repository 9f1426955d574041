#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "fakes/FakeWeb.h"
#include "update/VersionListWorker.h"

namespace {

using fakes::FakeWeb;
using update::TThread1;
using namespace std::chrono_literals;

const std::string kListUrl = "https://www.quodosoft.nl/versions.dat";
// Long enough for any machine under load; a passing test never waits this long.
constexpr auto kPatience = 20s;

// Holds the worker inside a read until the test opens it, and tells the test that it got there.
class Gate {
public:
    void Arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        arrived_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    bool WaitForArrival() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return arrived_; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    bool open_ = false;
};

class VersionListWorker : public ::testing::Test {
protected:
    FakeWeb web;  // declared first: it outlives every worker of a test
    Gate gate;

    // The worker stops before its second read of the list until the gate opens.
    void HoldBeforeSecondRead() {
        web.onRead = [this, reads = 0]() mutable {
            if (++reads == 2) gate.Arrive();
        };
    }
};

TEST_F(VersionListWorker, FetchesTheListWithItsProfileAndHandsItOverWhole) {
    const std::string first(1500, 'a'), second(1500, 'b');
    web.Script(kListUrl, {FakeWeb::Chunks({first, second})});
    HoldBeforeSecondRead();
    TThread1 worker(web);
    worker.Start();
    ASSERT_TRUE(gate.WaitForArrival());
    EXPECT_FALSE(worker.Finished());
    EXPECT_FALSE(worker.Result().has_value()) << "nothing is handed over while the body grows";
    gate.Open();
    ASSERT_TRUE(worker.WaitForEnd(kPatience));
    EXPECT_EQ(worker.Result(), first + second);
    EXPECT_EQ(worker.Result(), first + second) << "the result stays until the next check";
    EXPECT_EQ(web.OpenHandles(), 0u);
    EXPECT_EQ(web.receiveTimeout, 2000u);
    ASSERT_EQ(web.CallsOf("OpenUrl").size(), 1u);
    EXPECT_EQ(web.CallsOf("OpenUrl")[0].flags, 0x80000000u);
}

TEST(VersionListResult, FailureCodesAndTheList) {
    quotes::TextFetch fetch;
    fetch.attemptsMade = 2;
    EXPECT_EQ(update::VersionListResultText(fetch), "1") << "attempts made, nothing arrived";
    fetch.body = std::string(49, 'x');
    EXPECT_EQ(update::VersionListResultText(fetch), "2");
    fetch.body = "Default.htm";
    EXPECT_EQ(update::VersionListResultText(fetch), "2");
    fetch = {};
    EXPECT_EQ(update::VersionListResultText(fetch), "2") << "no session: no attempt, rejected";
    fetch.attemptsMade = 1;
    fetch.body = std::string(50, 'x');
    EXPECT_EQ(update::VersionListResultText(fetch), fetch.body);
}

TEST_F(VersionListWorker, AnErrorInsideEndsItWithoutAResult) {
    web.Script(kListUrl, {FakeWeb::Body(std::string(300, 'x'))});
    web.onRead = [] { throw std::runtime_error("the connection broke"); };
    TThread1 worker(web);
    worker.Start();
    ASSERT_TRUE(worker.WaitForEnd(kPatience));
    EXPECT_TRUE(worker.Finished());
    EXPECT_FALSE(worker.Result().has_value());
    EXPECT_EQ(web.OpenHandles(), 0u);
}

TEST_F(VersionListWorker, TheWaitAtTheEndIsBoundedAndLeavesAHangingWorkerRunning) {
    web.Script(kListUrl, {FakeWeb::Chunks({std::string(100, 'a'), std::string(100, 'b')})});
    HoldBeforeSecondRead();
    TThread1 worker(web);
    worker.Start();
    ASSERT_TRUE(gate.WaitForArrival());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker.WaitForEnd(50ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_FALSE(worker.Finished());
    // The thread was let go; it still finishes and hands over its result by itself.
    gate.Open();
    ASSERT_TRUE(worker.WaitForEnd(kPatience));
    EXPECT_EQ(worker.Result(), std::string(100, 'a') + std::string(100, 'b'));
}

// A clock whose pauses are counted; each pause yields briefly so the worker gets to run.
struct CountingClock : platform::Clock {
    int sleeps = 0;
    unsigned lastPause = 0;
    platform::DateTime Now() override { return {}; }
    void Sleep(unsigned milliseconds) override {
        ++sleeps;
        lastPause = milliseconds;
        std::this_thread::sleep_for(1ms);
    }
};

TEST_F(VersionListWorker, TheWaitPollsEvery10MsAndLetsWindowMessagesRun) {
    web.Script(kListUrl, {FakeWeb::Chunks({std::string(100, 'a'), std::string(100, 'b')})});
    HoldBeforeSecondRead();
    TThread1 worker(web);
    worker.Start();
    ASSERT_TRUE(gate.WaitForArrival());
    CountingClock clock;
    int messageRuns = 0;
    auto processMessages = [&] {
        if (++messageRuns == 3) gate.Open();  // e.g. a timer tick runs meanwhile
    };
    const auto deadline = std::chrono::steady_clock::now() + kPatience;  // a broken worker fails, not hangs
    const auto result = update::WaitForVersionList(worker, clock, processMessages,
                                                   [deadline] { return std::chrono::steady_clock::now() > deadline; });
    EXPECT_EQ(result, std::string(100, 'a') + std::string(100, 'b'));
    EXPECT_GE(messageRuns, 3);
    EXPECT_EQ(clock.sleeps, messageRuns);
    EXPECT_EQ(clock.lastPause, 10u);
}

TEST_F(VersionListWorker, TheWaitEndsWhenTheProgramClosesOrTheWorkerEndsWithoutResult) {
    web.Script(kListUrl, {FakeWeb::Chunks({std::string(100, 'a'), std::string(100, 'b')})});
    HoldBeforeSecondRead();
    TThread1 worker(web);
    worker.Start();
    ASSERT_TRUE(gate.WaitForArrival());
    CountingClock clock;
    int looks = 0;
    EXPECT_FALSE(update::WaitForVersionList(worker, clock, {}, [&] { return ++looks == 4; }).has_value());
    EXPECT_EQ(clock.sleeps, 3);
    gate.Open();
    ASSERT_TRUE(worker.WaitForEnd(kPatience));

    web.Script(kListUrl, {FakeWeb::Body(std::string(300, 'x'))});
    web.onRead = [] { throw std::runtime_error("broken"); };
    TThread1 failing(web);
    failing.Start();
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    EXPECT_FALSE(update::WaitForVersionList(failing, clock, {}, [deadline] {
                     return std::chrono::steady_clock::now() > deadline;
                 }).has_value());
    EXPECT_TRUE(failing.Finished());
}

}  // namespace
