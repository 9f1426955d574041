// The one way the program reads from the web: a fetch profile says where and how, the body goes
// to a text or a file. Every call opens its own session and closes every handle it opened.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Task.h"
#include "platform/Wait.h"
#include "platform/Platform.h"

namespace quotes {

constexpr const char* kUserAgent = "Delphi Function: Download";
// The quote feed answers only what looks like a current browser; an agent it takes for a script,
// or for an old browser, gets "Too Many Requests". The stable release of the most common browser
// at the end of 2026: to be moved along with it.
constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/155.0.0.0 "
    "Safari/537.36";
// A text body stops growing here; the rest of the response is not read. The quote pages are a few
// hundred kilobytes at most, and a 32-bit process must not run out of memory.
constexpr size_t kTextBodyLimit = 16u * 1024u * 1024u;
// A day chart of 190 by 187 pixels is a few kilobytes; a chart file larger than this is no chart.
constexpr uint64_t kChartFileLimit = 4u * 1024u * 1024u;
// A server that does not take the connection within this time is not there.
constexpr uint32_t kConnectTimeoutMs = 5000;
// The version list is a few kilobytes: its fetch stops at 1 MiB, and both its tries together take
// at most a minute. The installer download takes at most ten minutes.
constexpr size_t kVersionListLimit = 1024u * 1024u;
constexpr uint32_t kVersionListDeadlineMs = 60000;
constexpr uint32_t kInstallerDeadlineMs = 10u * 60u * 1000u;

struct FetchProfile {
    std::string url;
    std::string userAgent = kUserAgent;
    int attempts = 1;  // the most times the URL is opened within one call (1 to 3)
    uint32_t openFlags = platform::kFlagReload;
    std::optional<std::string> extraHeaders;  // none: a null pointer with length 0
    uint32_t chunkSize = 2048;
    // Text fetches: the body stops growing at this many bytes.
    size_t textLimit = kTextBodyLimit;
    // File fetches: the read stops after the chunk that takes the file past this many bytes
    // (0: no limit).
    uint64_t fileLimit = 0;
    // The bounds of every try, set on its own requests, never the process's: the connect, each wait
    // for data (also for the start of the answer), and the whole try, after which a watchdog cuts
    // the request: its next call fails (a server that trickles a byte before each time-out cannot
    // hold it). The waiting side gives up a second after all tries' deadlines (WaitingBound).
    platform::RequestBounds bounds{kConnectTimeoutMs, 2000};
    uint32_t tryDeadlineMs = 10000;
};
FetchProfile IexQuoteProfile();
FetchProfile InvestingQuoteProfile();
FetchProfile VersionListProfile();
FetchProfile InstallerProfile(const std::string& url);
FetchProfile DayChartProfile();
FetchProfile QuoteFeedProfile();

struct TextFetch {
    int attemptsMade = 0;
    std::string body;
    // The last attempt's read loop ended on the end of the body (not on a failed read, a cut, and
    // not on the profile's text limit). A cut body still counts as content.
    bool complete = false;
    uint32_t status = 0;     // the last attempt's HTTP status; 0 when its URL did not open
    // The last attempt's Retry-After header, read only from a 429 or 503 answer.
    std::string retryAfter;
};

struct FileFetch {
    bool urlOpened = false;
    bool complete = false;     // the read loop ended on the end of the body, not on a failed read
    bool writeFailed = false;  // the sink refused bytes; the read stopped there
    bool tooLarge = false;     // the body went past the profile's file limit; the read stopped there
    uint32_t status = 0;       // the HTTP status of the answer; 0 when the URL did not open
    uint64_t bytes = 0;        // bytes handed to the sink
    uint32_t kilobytes = 0;    // per chunk of n bytes n / 1024 whole kilobytes, summed
};

// Called after each chunk with the kilobyte total so far.
using ProgressHook = std::function<void(uint32_t kilobytes)>;

// Text sink: up to profile.attempts tries until a body arrives. A session that cannot be opened
// makes no attempt. A stop signal (the program ending during the wait) cuts the request at once
// and makes no further try: the fetch ends as a failed one.
TextFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::StopSignal* stop = nullptr);
// File sink given by the caller (one attempt). Errors the sink raises pass on after every handle
// is closed.
FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::OutputFile& sink,
                         const ProgressHook& progress = {}, platform::StopSignal* stop = nullptr);
// File sink by path (one attempt): the file is created or truncated only once the URL opened, so
// a URL that cannot be opened leaves an earlier file as it was.
FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, const std::string& path,
                         platform::StopSignal* stop = nullptr);

// The same fetches as an operation of the window thread waits for them: on a thread of their own
// while the windows keep answering. The wait ends at the fetch's hard bound (WaitingBound) also when
// the work does not (a connect or a handshake that nothing can cut): the fetch then counts as one
// whose tries all failed, and the work is left to end by itself. The web must live as long as the
// process.
platform::Task<TextFetch> AwaitText(platform::Web& web, FetchProfile profile);
platform::Task<FileFetch> AwaitFile(platform::Web& web, FetchProfile profile, std::string path);

// How long the waiting side gives a fetch: each try its deadline, and a second for the work to come
// back.
unsigned WaitingBound(const FetchProfile& profile);

enum class PageOutcome { Failed, Rejected, Accepted };

// Failed: attempts were made and the body is still empty. Rejected: no attempt, or a body that is
// exactly "Default.htm" or shorter than 50 characters. Accepted: anything else.
PageOutcome ClassifyPage(int attemptsMade, const std::string& body);
inline PageOutcome ClassifyPage(const TextFetch& fetch) { return ClassifyPage(fetch.attemptsMade, fetch.body); }

}  // namespace quotes
