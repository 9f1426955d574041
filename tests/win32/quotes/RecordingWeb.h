// Wraps the web under test and keeps what each read delivered and the bounds each opened URL
// carried, so tests can check the chunking against what WinINet really returned.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "win32/Win32Web.h"

class RecordingWeb : public platform::Web {
public:
    explicit RecordingWeb(platform::Web& inner) : inner_(inner) {}

    std::vector<std::string> reads;          // the bytes of each read that delivered some
    std::vector<platform::RequestBounds> urlBounds;  // per opened URL
    int failedReads = 0;

    Handle OpenSession(const std::string& agent) override { return inner_.OpenSession(agent); }
    void SetBounds(Handle session, const platform::RequestBounds& bounds) override { inner_.SetBounds(session, bounds); }
    void Abort(Handle session) override { inner_.Abort(session); }
    Handle OpenUrl(Handle session, const std::string& url, const char* headers, uint32_t length, uint32_t flags) override {
        Handle h = inner_.OpenUrl(session, url, headers, length, flags);
        if (h) urlBounds.push_back(win32::BoundsOf(h));
        return h;
    }
    bool Read(Handle url, char* buffer, uint32_t size, uint32_t* bytesRead) override {
        const bool ok = inner_.Read(url, buffer, size, bytesRead);
        if (!ok) ++failedReads;
        if (*bytesRead > 0) reads.emplace_back(buffer, *bytesRead);
        return ok;
    }
    uint32_t StatusCode(Handle url) override { return inner_.StatusCode(url); }
    std::string HeaderValue(Handle url, const std::string& name) override { return inner_.HeaderValue(url, name); }
    void Close(Handle handle) override { inner_.Close(handle); }
    std::unique_ptr<platform::OutputFile> CreateFile(const std::string& path) override { return inner_.CreateFile(path); }

private:
    platform::Web& inner_;
};
