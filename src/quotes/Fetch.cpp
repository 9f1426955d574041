#include "quotes/Fetch.h"

#include <algorithm>
#include <cstring>
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

platform::Web::Handle OpenUrl(platform::Web& web, platform::Web::Handle session, const FetchProfile& profile) {
    const char* headers = profile.extraHeaders ? profile.extraHeaders->c_str() : nullptr;
    const auto length = profile.extraHeaders ? static_cast<uint32_t>(profile.extraHeaders->size()) : 0u;
    return web.OpenUrl(session, profile.url, headers, length, profile.openFlags);
}

enum class LoopEnd { EndOfBody, FailedRead, Limit };

// Reads one response into body by the zero-byte rule: each chunk counts up to its first zero byte.
LoopEnd ReadTextBody(platform::Web& web, platform::Web::Handle url, uint32_t chunkSize, std::string& body) {
    std::vector<char> buffer(chunkSize, 0);
    for (;;) {
        uint32_t received = 0;
        if (!web.Read(url, buffer.data(), chunkSize, &received)) return LoopEnd::FailedRead;
        if (received == 0) return LoopEnd::EndOfBody;
        received = std::min(received, chunkSize);
        const char* zero = static_cast<const char*>(std::memchr(buffer.data(), 0, received));
        const size_t keep = zero ? static_cast<size_t>(zero - buffer.data()) : received;
        body.append(buffer.data(), std::min(keep, kTextBodyLimit - body.size()));
        std::fill(buffer.begin(), buffer.begin() + received, 0);
        if (body.size() >= kTextBodyLimit) return LoopEnd::Limit;
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

std::string HttpUrl(const char* host, const char* pathAndQuery) { return std::string("http://") + host + pathAndQuery; }

}  // namespace

FetchProfile IexQuoteProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kIexQuoteSite, "/");
    p.attempts = 3;
    p.receiveTimeout = true;
    return p;
}

FetchProfile InvestingQuoteProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kInvestingQuoteSite, "/indices/netherlands-25-historical-data");
    p.attempts = 2;
    return p;
}

FetchProfile VersionListProfile() {
    FetchProfile p;
    p.url = std::string("https://") + hosts::kMakerWebHost + "/versions.dat";
    p.attempts = 2;
    p.receiveTimeout = true;
    return p;
}

FetchProfile InstallerProfile(const std::string& url) {
    FetchProfile p;
    p.url = url;
    return p;
}

FetchProfile DayChartProfile() {
    FetchProfile p;
    p.url = HttpUrl(hosts::kChartServer, "/ChartServer/chart.ashx?ctype=4&id=12272&daterange=today&name=AEX");
    p.openFlags = platform::kFlagNoCacheWrite;
    p.extraHeaders = std::string();
    p.chunkSize = 512;
    p.fileLimit = kChartFileLimit;
    return p;
}

TextFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile) {
    TextFetch result;
    HandleGuard session(web, web.OpenSession(kUserAgent));
    if (!session) return result;
    if (profile.receiveTimeout) web.SetReceiveTimeout(kReceiveTimeoutMs);
    const uint32_t chunkSize = std::max<uint32_t>(profile.chunkSize, 1);
    do {
        HandleGuard url(web, OpenUrl(web, session.get(), profile));
        result.complete = false;
        if (url) {
            result.body.clear();
            result.complete = ReadTextBody(web, url.get(), chunkSize, result.body) == LoopEnd::EndOfBody;
        }
        ++result.attemptsMade;
    } while (result.body.empty() && result.attemptsMade < profile.attempts);
    return result;
}

FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, platform::OutputFile& sink,
                         const ProgressHook& progress) {
    HandleGuard session(web, web.OpenSession(kUserAgent));
    if (!session) return {};
    if (profile.receiveTimeout) web.SetReceiveTimeout(kReceiveTimeoutMs);
    HandleGuard url(web, OpenUrl(web, session.get(), profile));
    if (!url) return {};
    FileFetch result = ReadFileBody(web, url.get(), profile, &sink, progress);
    result.status = web.StatusCode(url.get());
    return result;
}

FileFetch FetchUrlToFile(platform::Web& web, const FetchProfile& profile, const std::string& path) {
    HandleGuard session(web, web.OpenSession(kUserAgent));
    if (!session) return {};
    if (profile.receiveTimeout) web.SetReceiveTimeout(kReceiveTimeoutMs);
    HandleGuard url(web, OpenUrl(web, session.get(), profile));
    if (!url) return {};
    // A file that cannot be created still lets the body be read to its end, as before: nothing is kept.
    std::unique_ptr<platform::OutputFile> file = web.CreateFile(path);
    return ReadFileBody(web, url.get(), profile, file.get(), {});
}

PageOutcome ClassifyPage(int attemptsMade, const std::string& body) {
    if (attemptsMade > 0 && body.empty()) return PageOutcome::Failed;
    if (body.empty() || body == "Default.htm" || body.size() < 50) return PageOutcome::Rejected;
    return PageOutcome::Accepted;
}

}  // namespace quotes
