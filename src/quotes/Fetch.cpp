#include "quotes/Fetch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "quotes/Hosts.h"

namespace quotes {
namespace {

// Closes a web handle when it goes out of scope, also when an error passes through.
class HandleGuard {
public:
    HandleGuard(platform::Web& web, platform::Web::Handle handle) : web_(web), handle_(handle) {}
    ~HandleGuard() {
        if (handle_) web_.Close(handle_);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    platform::Web::Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    platform::Web& web_;
    platform::Web::Handle handle_;
};

// One thread for the whole program watches the deadlines of every try in progress: each runs its
// action (cutting the try's request) when its time is up, unless it was withdrawn before. It is
// made at the first try and lives as long as the process, so that no try pays for a thread.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;

    static Watchdog& Instance() {
        static Watchdog* const watchdog = new Watchdog;  // never ends: a worker may still use it at exit
        return *watchdog;
    }

    uint64_t Arm(Clock::time_point due, std::function<void()> action) {
        std::lock_guard<std::mutex> lock(mutex_);
        const uint64_t id = ++lastId_;
        // The watch sleeps until the earliest deadline, or looks once a second while there is none:
        // only a deadline earlier than the one it sleeps for needs to wake it (a try pays no wake-up).
        const bool earlier = !armed_.empty() &&
                             std::all_of(armed_.begin(), armed_.end(), [&](const Entry& e) { return due < e.due; });
        armed_.push_back({id, due, std::move(action)});
        if (earlier) changed_.notify_all();
        return id;
    }

    // Withdraws a deadline; true when its action has already run.
    bool Disarm(uint64_t id) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::find_if(armed_.begin(), armed_.end(), [id](const Entry& e) { return e.id == id; });
        if (it == armed_.end()) return true;
        armed_.erase(it);
        return false;
    }

private:
    struct Entry {
        uint64_t id;
        Clock::time_point due;
        std::function<void()> action;
    };

    static constexpr std::chrono::seconds kIdleLook{1};

    Watchdog() { std::thread([this] { Watch(); }).detach(); }

    // The action runs under the lock, so that a try that withdraws its deadline afterwards knows
    // its request is no longer being cut.
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (armed_.empty()) {
                changed_.wait_for(lock, kIdleLook);
                continue;
            }
            const auto first = std::min_element(armed_.begin(), armed_.end(),
                                                [](const Entry& a, const Entry& b) { return a.due < b.due; });
            if (Clock::now() < first->due) {
                changed_.wait_until(lock, first->due);
                continue;
            }
            const Entry due = *first;
            armed_.erase(first);
            due.action();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> armed_;
    uint64_t lastId_ = 0;
};

// One try's time: when it is up, the session's request is cut: whatever it is doing (connecting,
// sending, reading) ends by its own bounds, and its next call fails, so that no server that keeps
// answering a little holds a try past it.
class TryDeadline {
public:
    TryDeadline(platform::Web& web, platform::Web::Handle session, uint32_t milliseconds)
        : id_(Watchdog::Instance().Arm(Watchdog::Clock::now() + std::chrono::milliseconds(milliseconds),
                                       [&web, session] { web.Abort(session); })) {}
    ~TryDeadline() { Passed(); }
    TryDeadline(const TryDeadline&) = delete;
    TryDeadline& operator=(const TryDeadline&) = delete;
    // Ends the watch; true when the time was up before.
    bool Passed() {
        if (!watching_) return passed_;
        watching_ = false;
        passed_ = Watchdog::Instance().Disarm(id_);
        return passed_;
    }

private:
    uint64_t id_;
    bool watching_ = true;
    bool passed_ = false;
};

// The session of one fetch, cut when the stop signal comes.
class Session {
public:
    Session(platform::Web& web, const FetchProfile& profile, platform::StopSignal* stop)
        : web_(web), handle_(web, web.OpenSession(profile.userAgent)), cut_(stop, [this] { Abort(); }), stop_(stop) {
        if (handle_) web_.SetBounds(handle_.get(), profile.bounds);
    }
    explicit operator bool() const { return bool(handle_); }
    platform::Web::Handle get() const { return handle_.get(); }
    bool Stopped() const { return stop_ && stop_->Stopped(); }

private:
    void Abort() {
        if (handle_) web_.Abort(handle_.get());
    }
    platform::Web& web_;
    HandleGuard handle_;
    platform::StopSignal::Cut cut_;
    platform::StopSignal* stop_;
};

platform::Web::Handle OpenUrl(platform::Web& web, platform::Web::Handle session, const FetchProfile& profile) {
    const char* headers = profile.extraHeaders ? profile.extraHeaders->c_str() : nullptr;
    const auto length = profile.extraHeaders ? static_cast<uint32_t>(profile.extraHeaders->size()) : 0u;
    return web.OpenUrl(session, profile.url, headers, length, profile.openFlags);
}

enum class LoopEnd { EndOfBody, FailedRead, Limit };

// Reads one response into body by the zero-byte rule: each chunk counts up to its first zero byte.
LoopEnd ReadTextBody(platform::Web& web, platform::Web::Handle url, const FetchProfile& profile, std::string& body) {
    const uint32_t chunkSize = std::max<uint32_t>(profile.chunkSize, 1);
    std::vector<char> buffer(chunkSize, 0);
    for (;;) {
        uint32_t received = 0;
        if (!web.Read(url, buffer.data(), chunkSize, &received)) return LoopEnd::FailedRead;
        if (received == 0) return LoopEnd::EndOfBody;
        received = std::min(received, chunkSize);
        const char* zero = static_cast<const char*>(std::memchr(buffer.data(), 0, received));
        const size_t keep = zero ? static_cast<size_t>(zero - buffer.data()) : received;
        body.append(buffer.data(), std::min(keep, profile.textLimit - std::min(profile.textLimit, body.size())));
        std::fill(buffer.begin(), buffer.begin() + received, 0);
        if (body.size() >= profile.textLimit) return LoopEnd::Limit;
    }
}

FileFetch ReadFileBody(platform::Web& web, platform::Web::Handle url, const FetchProfile& profile,
                       platform::OutputFile* sink, const ProgressHook& progress) {
    FileFetch result;
    result.urlOpened = true;
    const uint32_t chunkSize = std::max<uint32_t>(profile.chunkSize, 1);
    std::vector<char> buffer(chunkSize, 0);
    for (;;) {
        uint32_t received = 0;
        if (!web.Read(url, buffer.data(), chunkSize, &received)) return result;
        if (received == 0) {
            result.complete = true;
            return result;
        }
        received = std::min(received, chunkSize);
        if (sink && !sink->Write(buffer.data(), received)) {
            result.writeFailed = true;
            return result;
        }
        result.bytes += received;
        result.kilobytes += received / 1024;
        if (progress) progress(result.kilobytes);
        // What is already written shows the body was too large; the rest is not wanted.
        if (profile.fileLimit != 0 && result.bytes > profile.fileLimit) {
            result.tooLarge = true;
            return result;
        }
    }
}

// One try of a file fetch: the URL, then the body into the sink that makeSink gives once the URL
// has opened.
template <class MakeSink>
FileFetch FetchFile(platform::Web& web, const FetchProfile& profile, const ProgressHook& progress,
                    platform::StopSignal* stop, MakeSink makeSink) {
    Session session(web, profile, stop);
    if (!session || session.Stopped()) return {};
    TryDeadline deadline(web, session.get(), profile.tryDeadlineMs);
    HandleGuard url(web, OpenUrl(web, session.get(), profile));
    // A stop that came while the URL was being opened found nothing to cut yet.
    if (!url || session.Stopped()) return {};
    FileFetch result = ReadFileBody(web, url.get(), profile, makeSink(), progress);
    result.status = web.StatusCode(url.get());
    if (deadline.Passed() || session.Stopped()) result.complete = false;
    return result;
}

std::string HttpUrl(const char* host, const char* pathAndQuery) { return std::string("http://") + host + pathAndQuery; }

}  // namespace

FetchProfile IexQuoteProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kIexQuoteSite, "/");
    p.attempts = 3;
    return p;  // 2 s for each wait for data, 10 s for each try
}

FetchProfile InvestingQuoteProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kInvestingQuoteSite, "/indices/netherlands-25-historical-data");
    p.attempts = 2;
    p.bounds.receiveMs = 5000;
    p.tryDeadlineMs = 14000;  // 15 s a try with the waiting side's second
    return p;
}

FetchProfile VersionListProfile() {
    FetchProfile p;
    p.url = std::string("https://") + hosts::kMakerWebHost + "/versions.dat";
    p.attempts = 2;
    p.textLimit = kVersionListLimit;
    // Both tries, and the second the waiting side gives the work to come back, within the list's
    // deadline.
    p.tryDeadlineMs = (kVersionListDeadlineMs - 1000) / 2;
    p.bounds.redirectsStayOnSecureHost = true;
    return p;
}

FetchProfile InstallerProfile(const std::string& url) {
    FetchProfile p;
    p.url = url;
    p.openFlags = platform::kFlagReload | platform::kFlagNoCacheWrite;
    p.bounds.receiveMs = 30000;
    p.bounds.redirectsStayOnSecureHost = true;
    p.tryDeadlineMs = kInstallerDeadlineMs;
    return p;
}

// One try (at most one request a refresh), over HTTPS, with the browser's agent, asking for JSON,
// and without cookies: the feed is read as it answers anyone, never with a session of its own. A
// redirect elsewhere (a consent or sign-in page) leaves the URL unopened.
FetchProfile QuoteFeedProfile() {
    FetchProfile p;
    p.url = std::string("https://") + hosts::kQuoteFeed + "/v8/finance/chart/%5EAEX?range=1d&interval=5m";
    p.userAgent = kBrowserUserAgent;
    p.openFlags = platform::kFlagReload | platform::kFlagNoCacheWrite | platform::kFlagNoCookies;
    p.extraHeaders = std::string("Accept: application/json\r\n");
    p.bounds.receiveMs = 5000;
    p.bounds.redirectsStayOnSecureHost = true;
    p.tryDeadlineMs = 10000;
    return p;
}

FetchProfile DayChartProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kChartServer, "/ChartServer/chart.ashx?ctype=4&id=12272&daterange=today&name=AEX");
    p.openFlags = platform::kFlagNoCacheWrite;
    p.extraHeaders = std::string();
    p.chunkSize = 512;
    p.fileLimit = kChartFileLimit;
    p.bounds.receiveMs = 5000;
    p.tryDeadlineMs = 14000;
    return p;
}

TextFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::StopSignal* stop) {
    TextFetch result;
    Session session(web, profile, stop);
    if (!session) return result;
    do {
        if (session.Stopped()) break;
        TryDeadline deadline(web, session.get(), profile.tryDeadlineMs);
        HandleGuard url(web, OpenUrl(web, session.get(), profile));
        result.complete = false;
        result.status = 0;
        result.retryAfter.clear();
        if (url && !session.Stopped()) {
            result.body.clear();
            result.complete = ReadTextBody(web, url.get(), profile, result.body) == LoopEnd::EndOfBody &&
                              !deadline.Passed() && !session.Stopped();
            result.status = web.StatusCode(url.get());
            if (result.status == 429 || result.status == 503) result.retryAfter = web.HeaderValue(url.get(), "Retry-After");
        }
        ++result.attemptsMade;
    } while (result.body.empty() && result.attemptsMade < profile.attempts);
    return result;
}

FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::OutputFile& sink,
                         const ProgressHook& progress, platform::StopSignal* stop) {
    return FetchFile(web, profile, progress, stop, [&sink] { return &sink; });
}

// A file that cannot be created still lets the body be read to its end, as before: nothing is kept.
FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, const std::string& path,
                         platform::StopSignal* stop) {
    std::unique_ptr<platform::OutputFile> file;
    return FetchFile(web, profile, {}, stop, [&] {
        file = web.CreateFile(path);
        return file.get();
    });
}

unsigned WaitingBound(const FetchProfile& profile) {
    return unsigned(std::max(profile.attempts, 1)) * profile.tryDeadlineMs + 1000u;
}

// A fetch whose work has not come back by the bound counts as one whose tries all failed.
platform::Task<TextFetch> AwaitText(platform::Web& web, FetchProfile profile) {
    TextFetch fetched;
    fetched.attemptsMade = profile.attempts;
    auto wait = platform::OnWorker([&web, profile](platform::Job& job) { return FetchUrlToFile(web, profile, &job); },
                                   platform::WaitOptions::Within(WaitingBound(profile)));
    try {
        fetched = co_await wait;
    } catch (const platform::DeadlinePassed&) {
    }
    co_return fetched;
}

platform::Task<FileFetch> AwaitFile(platform::Web& web, FetchProfile profile, std::string path) {
    FileFetch fetched;
    auto wait = platform::OnWorker(
        [&web, profile, path](platform::Job& job) { return FetchUrlToFile(web, profile, path, &job); },
        platform::WaitOptions::Within(WaitingBound(profile)));
    try {
        fetched = co_await wait;
    } catch (const platform::DeadlinePassed&) {
    }
    co_return fetched;
}

PageOutcome ClassifyPage(int attemptsMade, const std::string& body) {
    if (attemptsMade > 0 && body.empty()) return PageOutcome::Failed;
    if (body.empty() || body == "Default.htm" || body.size() < 50) return PageOutcome::Rejected;
    return PageOutcome::Accepted;
}

}  // namespace quotes
