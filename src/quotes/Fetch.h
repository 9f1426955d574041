// The one way the program reads from the web: a fetch profile says where and how, the body goes
// to a text or a file. Every call opens its own session and closes every handle it opened.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace quotes {

constexpr const char* kUserAgent = "Delphi Function: Download";
constexpr uint32_t kReceiveTimeoutMs = 2000;
// A text body stops growing here; the rest of the response is not read. The quote pages and the
// version list are a few hundred kilobytes at most, and a 32-bit process must not run out of memory.
constexpr size_t kTextBodyLimit = 16u * 1024u * 1024u;
// A day chart of 190 by 187 pixels is a few kilobytes; a chart file larger than this is no chart.
constexpr uint64_t kChartFileLimit = 4u * 1024u * 1024u;

struct FetchProfile {
    std::string url;
    int attempts = 1;             // the most times the URL is opened within one call (1 to 3)
    bool receiveTimeout = false;  // set the process-wide receive time-out to kReceiveTimeoutMs first
    uint32_t openFlags = platform::kFlagReload;
    std::optional<std::string> extraHeaders;  // none: a null pointer with length 0
    uint32_t chunkSize = 2048;
    // File fetches: the read stops after the chunk that takes the file past this many bytes
    // (0: no limit).
    uint64_t fileLimit = 0;
};

FetchProfile IexQuoteProfile();
FetchProfile InvestingQuoteProfile();
FetchProfile VersionListProfile();
FetchProfile InstallerProfile(const std::string& url);
FetchProfile DayChartProfile();

struct TextFetch {
    int attemptsMade = 0;
    std::string body;
    // The last attempt's read loop ended on the end of the body (not on a failed read, and not on
    // kTextBodyLimit). A cut body still counts as content.
    bool complete = false;
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
// makes no attempt.
TextFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile);
// File sink given by the caller (one attempt). Errors the sink raises pass on after every handle
// is closed.
FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::OutputFile& sink,
                         const ProgressHook& progress = {});
// File sink by path (one attempt): the file is created or truncated only once the URL opened, so
// a URL that cannot be opened leaves an earlier file as it was.
FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, const std::string& path);

enum class PageOutcome { Failed, Rejected, Accepted };

// Failed: attempts were made and the body is still empty. Rejected: no attempt, or a body that is
// exactly "Default.htm" or shorter than 50 characters. Accepted: anything else.
PageOutcome ClassifyPage(int attemptsMade, const std::string& body);
inline PageOutcome ClassifyPage(const TextFetch& fetch) { return ClassifyPage(fetch.attemptsMade, fetch.body); }

}  // namespace quotes
