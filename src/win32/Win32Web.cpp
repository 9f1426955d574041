// WinINet behind platform::Web. A URL is opened as InternetOpenUrlA would open it (crack, connect,
// open request, send), done by hand for one reason: WinINet under Wine takes the receive time-out
// only from a request handle before the request is sent; set on the null handle, the session or
// an InternetOpenUrlA handle it has no effect there. So the process-wide value is kept here and
// put on every request handle, and also set on the null handle, where Windows itself keeps it.
#include "win32/Win32Web.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <string>

// <windows.h> maps CreateFile to CreateFileA, which would rename platform::Web::CreateFile here.
#undef CreateFile

namespace win32 {
namespace {

// Used when the system does not say what its own default is; no request may wait for ever.
constexpr uint32_t kFallbackReceiveTimeoutMs = 30000;

std::atomic<uint32_t> g_processReceiveTimeout{0};  // 0: no fetch has set one

struct Session {
    HINTERNET internet = nullptr;
};

struct Url {
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    // The announced body length, to tell a connection closed early from the end of the body:
    // WinINet under Wine reports both as a successful read of 0 bytes.
    bool lengthKnown = false;
    uint64_t expectedLength = 0;
    uint64_t receivedLength = 0;
    uint32_t receiveTimeout = 0;  // as set on the request handle; 0 when WinINet refused it
};

// Each handle given out is one of these; the tag tells which.
struct WebHandle {
    bool isSession = false;
    Session session;
    Url url;
};

uint32_t SystemDefaultReceiveTimeout() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (InternetQueryOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size) && value != 0 &&
        value != 0xFFFFFFFFu)
        return value;
    return kFallbackReceiveTimeoutMs;
}

void SetRequestReceiveTimeout(Url& url) {
    DWORD value = ReceiveTimeoutInEffect();
    if (InternetSetOptionA(url.request, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof(value))) url.receiveTimeout = value;
}

struct CrackedUrl {
    bool ok = false;
    bool secure = false;
    INTERNET_PORT port = 0;
    std::string host, user, password, object;
};

CrackedUrl Crack(const std::string& url) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    char user[INTERNET_MAX_USER_NAME_LENGTH + 1] = {};
    char password[INTERNET_MAX_PASSWORD_LENGTH + 1] = {};
    std::string path(url.size() + 1, '\0');
    std::string extra(url.size() + 1, '\0');
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof(user);
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof(password);
    parts.lpszUrlPath = &path[0];
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = &extra[0];
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    CrackedUrl cracked;
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return cracked;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return cracked;
    cracked.ok = true;
    cracked.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    cracked.port = parts.nPort;
    cracked.host = host;
    cracked.user = user;
    cracked.password = password;
    cracked.object = std::string(path.c_str()) + extra.c_str();
    if (cracked.object.empty()) cracked.object = "/";
    return cracked;
}

void CloseUrl(Url& url) {
    if (url.request) InternetCloseHandle(url.request);
    if (url.connection) InternetCloseHandle(url.connection);
    url.request = url.connection = nullptr;
}

class FileSink : public platform::OutputFile {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    ~FileSink() override { CloseHandle(file_); }
    bool Write(const char* data, size_t size) override {
        DWORD written = 0;
        return WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    }

private:
    HANDLE file_;
};

class WinInetWeb : public platform::Web {
public:
    Handle OpenSession(const std::string& agent) override {
        HINTERNET internet = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        if (!internet) return nullptr;
        auto* handle = new WebHandle;
        handle->isSession = true;
        handle->session.internet = internet;
        return handle;
    }

    void SetReceiveTimeout(uint32_t milliseconds) override {
        g_processReceiveTimeout = milliseconds;
        DWORD value = milliseconds;
        InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof(value));
    }

    Handle OpenUrl(Handle session, const std::string& url, const char* headers, uint32_t headersLength,
                   uint32_t flags) override {
        auto* owner = static_cast<WebHandle*>(session);
        if (!owner || !owner->isSession) return nullptr;
        const CrackedUrl cracked = Crack(url);
        if (!cracked.ok) return nullptr;

        Url opened;
        opened.connection = InternetConnectA(owner->session.internet, cracked.host.c_str(), cracked.port,
                                             cracked.user.empty() ? nullptr : cracked.user.c_str(),
                                             cracked.password.empty() ? nullptr : cracked.password.c_str(),
                                             INTERNET_SERVICE_HTTP, 0, 0);
        if (opened.connection) {
            const DWORD requestFlags = flags | (cracked.secure ? INTERNET_FLAG_SECURE : 0);
            opened.request = HttpOpenRequestA(opened.connection, nullptr, cracked.object.c_str(), nullptr, nullptr,
                                              nullptr, requestFlags, 0);
        }
        if (!opened.request) {
            CloseUrl(opened);
            return nullptr;
        }
        SetRequestReceiveTimeout(opened);
        if (!HttpSendRequestA(opened.request, headers, headers ? headersLength : 0, nullptr, 0)) {
            CloseUrl(opened);
            return nullptr;
        }
        // Under Wine a connection closed without any answer still "sends" successfully; without a
        // status line nothing was answered, so the URL did not open.
        if (RequestStatus(opened.request) == 0) {
            CloseUrl(opened);
            return nullptr;
        }
        ReadAnnouncedLength(opened);
        auto* handle = new WebHandle;
        handle->url = opened;
        return handle;
    }

    bool Read(Handle url, char* buffer, uint32_t size, uint32_t* bytesRead) override {
        *bytesRead = 0;
        auto* handle = static_cast<WebHandle*>(url);
        if (!handle || handle->isSession) return false;
        Url& opened = handle->url;
        DWORD received = 0;
        if (!InternetReadFile(opened.request, buffer, size, &received)) return false;
        *bytesRead = received;
        opened.receivedLength += received;
        // The end came before the announced length: the server closed the connection early.
        if (received == 0 && opened.lengthKnown && opened.receivedLength < opened.expectedLength) return false;
        return true;
    }

    uint32_t StatusCode(Handle url) override {
        auto* handle = static_cast<WebHandle*>(url);
        if (!handle || handle->isSession) return 0;
        return RequestStatus(handle->url.request);
    }

    void Close(Handle handle) override {
        auto* web = static_cast<WebHandle*>(handle);
        if (!web) return;
        if (web->isSession)
            InternetCloseHandle(web->session.internet);
        else
            CloseUrl(web->url);
        delete web;
    }

    std::unique_ptr<platform::OutputFile> CreateFile(const std::string& path) override {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<FileSink>(file);
    }

private:
    static DWORD RequestStatus(HINTERNET request) {
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
        return status;
    }

    static void ReadAnnouncedLength(Url& opened) {
        char text[32] = {};
        DWORD size = sizeof(text) - 1;
        if (!HttpQueryInfoA(opened.request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return;
        char* end = nullptr;
        const unsigned long long length = std::strtoull(text, &end, 10);
        if (end == text || *end != '\0') return;
        opened.lengthKnown = true;
        opened.expectedLength = length;
    }
};

}  // namespace

uint32_t ReceiveTimeoutInEffect() {
    const uint32_t set = g_processReceiveTimeout;
    if (set != 0) return set;
    static const uint32_t systemDefault = SystemDefaultReceiveTimeout();
    return systemDefault;
}

uint32_t ReceiveTimeoutOf(platform::Web::Handle url) {
    auto* handle = static_cast<WebHandle*>(url);
    if (!handle || handle->isSession) return 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    // Wine cannot report it; then what was set on the handle is what it holds.
    if (!InternetQueryOptionA(handle->url.request, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size)) return handle->url.receiveTimeout;
    return value;
}

void InstallWeb() {
    // Lives until the process ends: a version-list worker left running at the program's end may
    // still be inside a fetch while static objects are destroyed.
    static WinInetWeb* const web = new WinInetWeb;
    platform::Current().web = web;
}

}  // namespace win32
