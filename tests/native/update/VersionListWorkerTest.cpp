#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "fakes/FakeWeb.h"
#include "fakes/Started.h"
#include "quotes/Fetch.h"
#include "ui/Application.h"
#include "ui/Headless.h"
#include "update/VersionListWorker.h"

namespace {

using fakes::FakeWeb;
using update::TThread1;

const std::string kListUrl = "https://www.quodosoft.nl/versions.dat";

class VersionListWorker : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        ui::App() = ui::Application();
        platform::Current().loop = &backend;
        backend.threadedWorks = true;  // the worker runs on a thread of its own
    }
    void TearDown() override {
        backend.EndWaits();
        platform::Current().loop = nullptr;
    }
    std::string Fetched() {
        auto list = fakes::Start(TThread1::Run(web));
        EXPECT_TRUE(backend.RunUntil([&] { return list->Ended(); }));
        return list->value.value_or("(no result)");
    }
    FakeWeb web;
    ui::HeadlessBackend backend;
};

TEST_F(VersionListWorker, FetchesTheListOnAThreadOfItsOwnAndHandsItOverWhole) {
    const std::string first(1500, 'a'), second(1500, 'b');
    web.Script(kListUrl, {FakeWeb::Chunks({first, second})});
    std::thread::id fetchedOn;
    web.onRead = [&] { fetchedOn = std::this_thread::get_id(); };
    EXPECT_EQ(Fetched(), first + second);
    EXPECT_NE(fetchedOn, std::this_thread::get_id());
    EXPECT_EQ(web.OpenHandles(), 0u);
    EXPECT_EQ(web.bounds.receiveMs, 2000u);
    ASSERT_EQ(web.CallsOf("OpenUrl").size(), 1u);
    EXPECT_EQ(web.CallsOf("OpenUrl")[0].flags, 0x80000000u);

    // A list that does not end stops at 1 MiB; an error inside gives no result.
    web.Script(kListUrl, {FakeWeb::Sized(3u << 20, 2048)});
    web.onRead = nullptr;
    EXPECT_EQ(Fetched().size(), 1u << 20);
    web.Script(kListUrl, {FakeWeb::Body(std::string(300, 'x'))});
    web.onRead = [] { throw std::runtime_error("the connection broke"); };
    EXPECT_EQ(Fetched(), "");
}

// The waiting side ends the wait at its bound whatever the work does: a server that holds both tries
// is no answer, and the work, told to stop, ends by itself.
TEST_F(VersionListWorker, AListThatDoesNotComeWithinTheBoundIsNoAnswer) {
    web.Script(kListUrl, {FakeWeb::StallAfter({"versions"}), FakeWeb::StallAfter({})});
    auto list = fakes::Start(TThread1::Run(web));
    backend.Advance(quotes::WaitingBound(quotes::VersionListProfile()) - 1);
    EXPECT_FALSE(list->Ended());
    backend.Advance(1);
    ASSERT_TRUE(list->Ended());
    EXPECT_EQ(*list->value, "1");
    EXPECT_TRUE(platform::WorksEnded(std::chrono::seconds(10)));
    EXPECT_EQ(web.OpenHandles(), 0u);
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

}  // namespace
