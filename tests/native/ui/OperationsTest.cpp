// Operations of the window thread on the headless loop: each goes on from a message of its own, the
// mailbox wakes the loop for whatever remains behind a box that one opens, and every error that ends
// an operation reaches the user once.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Wait.h"
#include "ui/Application.h"
#include "ui/Headless.h"

namespace {

using platform::Task;

class OperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        ui::App() = ui::Application();
        platform::Current().loop = &backend;
    }
    void TearDown() override {
        backend.EndWaits();
        platform::Current() = platform::Services();
    }
    ui::HeadlessBackend backend;
    platform::Owner work{ui::App()};
};

// A box held open by one function: what was queued behind it, and what comes while it is open, run
// from the box's own loop before it closes.
TEST_F(OperationsTest, WhatIsPostedBehindABoxRunsWhileTheBoxIsOpen) {
    std::vector<std::string> ran;
    const auto mail = backend.Mail();
    backend.onMessage = [&](const ui::HeadlessBackend::Message&) {
        mail->Post([&] { ran.push_back("posted while the box is open"); });
        backend.RunPending();
        ran.push_back("the box closes");
    };
    mail->Post([&] {
        ran.push_back("opens the box");
        ui::App().Report(std::make_exception_ptr(std::runtime_error("Ongeldige tijd")));
    });
    mail->Post([&] { ran.push_back("queued behind it"); });
    backend.RunPending();
    EXPECT_EQ(ran, (std::vector<std::string>{"opens the box", "queued behind it", "posted while the box is open",
                                             "the box closes"}));
}

// Called off by its owner (its window closed), an operation does not go on inside the close: it
// ends from the next message, quietly, and its work is told to stop.
TEST_F(OperationsTest, CalledOffByItsOwnerAnOperationEndsFromTheNextMessage) {
    backend.holdWorks = true;
    bool wentOn = false;
    work.Start([](bool& wentOn) -> Task<> {
        auto download = platform::OnWorker([](platform::Job& job) { return job.Stopped(); });
        wentOn = !co_await download;
    }(wentOn));
    work.CancelAll();
    EXPECT_EQ(work.Running(), 1u);
    backend.RunPending();
    EXPECT_EQ(work.Running(), 0u);
    EXPECT_FALSE(wentOn);
    EXPECT_TRUE(backend.messages.empty());
}

// A progress report that fails as the wait ends ends the operation with that error, once.
TEST_F(OperationsTest, AProgressReportThatFailsEndsTheOperationWithItsError) {
    bool wentOn = false;
    work.Start([](bool& wentOn) -> Task<> {
        platform::WaitOptions options;
        options.onProgress = [] { throw std::runtime_error("De voortgang faalt"); };
        auto download = platform::OnWorker([](platform::Job&) {}, options);
        co_await download;
        wentOn = true;
    }(wentOn));
    backend.RunPending();
    EXPECT_FALSE(wentOn);
    EXPECT_EQ(work.Running(), 0u);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "De voortgang faalt");
}

// An error whose handler fails in turn still reaches the user, once, and the program goes on.
TEST_F(OperationsTest, AnErrorWhoseHandlerFailsStillReachesTheUserOnce) {
    struct Failing : platform::ErrorSink {
        int calls = 0;
        void Report(std::exception_ptr) override {
            ++calls;
            throw std::logic_error("the handler fails");
        }
    } failing;
    platform::Owner owner(failing);
    owner.Start([]() -> Task<> {
        co_await platform::Pause(10);
        throw std::runtime_error("Ongeldige tijd");
    }());
    backend.Advance(10);
    EXPECT_EQ(failing.calls, 1);
    EXPECT_EQ(owner.Running(), 0u);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "Ongeldige tijd");
}

}  // namespace
