// WinINet behind platform::Web. A URL is opened as InternetOpenUrlA would open it (crack, connect,
// open request, send), done by hand so that each request gets its fetch's own bounds on its own
// handles before it is sent (WinINet under Wine takes the receive time-out only from a request
// handle before the request is sent, and no fetch may take the process's leftovers).
//
// Every handle belongs to the thread of the fetch that opened it: only that thread uses and closes
// it. A cut from another thread (a deadline, the program's end) only marks the request, and the
// fetch's next call on it fails. Closing a handle from another thread would end a call in progress
// on Windows, but not under Wine, and its value could be handed to another fetch before the owner's
// next call used it. What a cut cannot end at once, the request's own time-outs end, and the waiting
// side does not wait for it.
#include "win32/Win32Web.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

// <windows.h> maps CreateFile to CreateFileA, which would rename platform::Web::CreateFile here.
#undef CreateFile

namespace win32 {
namespace {

struct Url {
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    // The announced body length, to tell a connection closed early from the end of the body:
    // WinINet under Wine reports both as a successful read of 0 bytes.
    bool lengthKnown = false;
    uint64_t expectedLength = 0;
    uint64_t receivedLength = 0;
    platform::RequestBounds bounds;  // as set on the request handle
};

struct Session {
    HINTERNET internet = nullptr;
    platform::RequestBounds bounds;
    // The request in progress, for Abort from another thread, and whether it was cut; guarded by
    // the mutex.
    std::mutex mutex;
    Url* current = nullptr;
    bool currentCut = false;
};

// Each handle given out is one of these; the tag tells which.
struct WebHandle {
    bool isSession = false;
    Session session;
    Url url;
    Session* owner = nullptr;  // of a URL
};

void SetOption(HINTERNET handle, DWORD option, uint32_t value) {
    if (value == 0) return;
    DWORD copy = value;
    InternetSetOptionA(handle, option, &copy, sizeof(copy));
}

// On the connection and on the request, before it is sent: the connect, the send and every read.
void SetBoundsOn(Url& url, const platform::RequestBounds& bounds) {
    for (HINTERNET handle : {url.connection, url.request}) {
        if (!handle) continue;
        SetOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, bounds.connectMs);
        SetOption(handle, INTERNET_OPTION_SEND_TIMEOUT, bounds.receiveMs);
        SetOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, bounds.receiveMs);
        SetOption(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, bounds.receiveMs);
    }
    if (bounds.connectMs != 0) SetOption(url.connection, INTERNET_OPTION_CONNECT_RETRIES, 1);
    url.bounds = bounds;
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

constexpr int kMostRedirects = 5;

bool IsRedirect(DWORD status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), int(a.size()),
                                                  b.c_str(), int(b.size())) == CSTR_EQUAL;
}

// Where a redirect from `from` to `location` leads, when that is the same host over HTTPS; empty
// for anywhere else (another host, plain HTTP, another scheme).
std::string OnSameSecureHost(const CrackedUrl& from, const std::string& location) {
    if (!from.secure || location.empty()) return std::string();
    if (location[0] == '/' && location.compare(0, 2, "//") != 0)
        return "https://" + from.host + ":" + std::to_string(from.port) + location;
    const CrackedUrl to = Crack(location);
    if (!to.ok || !to.secure || !SameText(to.host, from.host) || to.port != from.port) return std::string();
    return location;
}

// Closes the request's handles that are still open; on the thread that owns them.
void CloseUrl(Url& url) {
    if (url.request) InternetCloseHandle(url.request);
    if (url.connection) InternetCloseHandle(url.connection);
    url.request = url.connection = nullptr;
}

// The request in progress becomes the session's (a cut marks it) or stops being it.
void Track(Session& session, Url* url) {
    std::lock_guard<std::mutex> lock(session.mutex);
    session.current = url;
    session.currentCut = false;
}

// Whether the request was cut since it became the session's.
bool WasCut(Session& session) {
    std::lock_guard<std::mutex> lock(session.mutex);
    return session.currentCut;
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

    void SetBounds(Handle session, const platform::RequestBounds& bounds) override {
        auto* owner = static_cast<WebHandle*>(session);
        if (owner && owner->isSession) owner->session.bounds = bounds;
    }

    // A redirect is followed by WinINet itself, unless the session's requests may only stay on their
    // secure host: then each one is looked at here, and one that leads elsewhere leaves the URL
    // unopened.
    Handle OpenUrl(Handle session, const std::string& url, const char* headers, uint32_t headersLength,
                   uint32_t flags) override {
        auto* owner = static_cast<WebHandle*>(session);
        if (!owner || !owner->isSession) return nullptr;
        const bool stayOnHost = owner->session.bounds.redirectsStayOnSecureHost;
        if (stayOnHost) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
        std::string target = url;
        for (int hop = 0; hop <= kMostRedirects; ++hop) {
            const CrackedUrl cracked = Crack(target);
            if (!cracked.ok) return nullptr;
            std::unique_ptr<WebHandle> opened = OpenOnce(*owner, cracked, headers, headersLength, flags);
            if (!opened) return nullptr;
            if (!stayOnHost || !IsRedirect(RequestStatus(opened->url))) return opened.release();
            target = OnSameSecureHost(cracked, HeaderText(opened->url, HTTP_QUERY_LOCATION));
            Forget(*opened);
            if (target.empty()) return nullptr;
        }
        return nullptr;
    }

    std::unique_ptr<WebHandle> OpenOnce(WebHandle& owner, const CrackedUrl& cracked, const char* headers,
                                        uint32_t headersLength, uint32_t flags) {
        auto opened = std::make_unique<WebHandle>();
        opened->owner = &owner.session;
        Url& request = opened->url;
        request.connection = InternetConnectA(owner.session.internet, cracked.host.c_str(), cracked.port,
                                              cracked.user.empty() ? nullptr : cracked.user.c_str(),
                                              cracked.password.empty() ? nullptr : cracked.password.c_str(),
                                              INTERNET_SERVICE_HTTP, 0, 0);
        if (request.connection) {
            const DWORD requestFlags = flags | (cracked.secure ? INTERNET_FLAG_SECURE : 0);
            request.request = HttpOpenRequestA(request.connection, nullptr, cracked.object.c_str(), nullptr, nullptr,
                                               nullptr, requestFlags, 0);
        }
        if (!request.request) {
            CloseUrl(request);
            return nullptr;
        }
        SetBoundsOn(request, owner.session.bounds);
        Track(owner.session, &request);
        const bool answered = HttpSendRequestA(request.request, headers, headers ? headersLength : 0, nullptr, 0) &&
                              !WasCut(owner.session) && RequestStatus(request) != 0;
        // Under Wine a connection closed without any answer still "sends" successfully; without a
        // status line nothing was answered, so the URL did not open.
        if (!answered) {
            Forget(*opened);
            return nullptr;
        }
        ReadAnnouncedLength(request);
        return opened;
    }

    // A request that is not in progress (between two tries) is not cut: the cut of one try never
    // reaches the next.
    void Abort(Handle session) override {
        auto* owner = static_cast<WebHandle*>(session);
        if (!owner || !owner->isSession) return;
        std::lock_guard<std::mutex> lock(owner->session.mutex);
        if (owner->session.current) owner->session.currentCut = true;
    }

    bool Read(Handle url, char* buffer, uint32_t size, uint32_t* bytesRead) override {
        *bytesRead = 0;
        auto* handle = static_cast<WebHandle*>(url);
        if (!handle || handle->isSession) return false;
        Url& opened = handle->url;
        // A read waits for all it asks for; a server that trickles a byte now and then would hold it
        // for as long as the body lasts. So it asks only for what has arrived (waiting, within the
        // receive time-out, until something has), and the fetch looks at its deadline in between.
        if (WasCut(*handle->owner)) return false;
        HINTERNET request = opened.request;
        DWORD available = 0;
        if (!request || !InternetQueryDataAvailable(request, &available, 0, 0)) return false;
        DWORD received = 0;
        if (available > 0 && !InternetReadFile(request, buffer, std::min<DWORD>(size, available), &received))
            return false;
        *bytesRead = received;
        opened.receivedLength += received;
        // The end came before the announced length: the server closed the connection early.
        if (received == 0 && opened.lengthKnown && opened.receivedLength < opened.expectedLength) return false;
        return true;
    }

    uint32_t StatusCode(Handle url) override {
        auto* handle = static_cast<WebHandle*>(url);
        if (!handle || handle->isSession) return 0;
        return RequestStatus(handle->url);
    }

    std::string HeaderValue(Handle url, const std::string& name) override {
        auto* handle = static_cast<WebHandle*>(url);
        if (!handle || handle->isSession || !handle->url.request) return std::string();
        return CustomHeaderText(handle->url, name);
    }

    void Close(Handle handle) override {
        auto* web = static_cast<WebHandle*>(handle);
        if (!web) return;
        if (web->isSession)
            InternetCloseHandle(web->session.internet);
        else
            Forget(*web);
        delete web;
    }

    std::unique_ptr<platform::OutputFile> CreateFile(const std::string& path) override {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<FileSink>(file);
    }

private:
    // The request is no longer the session's: it cannot be cut any more, and its handles are closed.
    static void Forget(WebHandle& handle) {
        {
            std::lock_guard<std::mutex> lock(handle.owner->mutex);
            if (handle.owner->current == &handle.url) handle.owner->current = nullptr;
        }
        CloseUrl(handle.url);
    }

    static DWORD RequestStatus(Url& url) {
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!url.request || !HttpQueryInfoA(url.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                            &size, nullptr))
            return 0;
        return status;
    }

    static std::string HeaderText(Url& url, DWORD header) {
        std::string text(2048, '\0');
        DWORD size = static_cast<DWORD>(text.size() - 1);
        if (!HttpQueryInfoA(url.request, header, &text[0], &size, nullptr)) return std::string();
        text.resize(size);
        return text;
    }

    // A header asked for by name: the buffer goes in holding the name and comes back with the value.
    static std::string CustomHeaderText(Url& url, const std::string& name) {
        std::string text(2048, '\0');
        if (name.empty() || name.size() >= text.size()) return std::string();
        text.replace(0, name.size(), name);
        DWORD size = static_cast<DWORD>(text.size() - 1);
        if (!HttpQueryInfoA(url.request, HTTP_QUERY_CUSTOM, &text[0], &size, nullptr)) return std::string();
        text.resize(size);
        return text;
    }

    static void ReadAnnouncedLength(Url& opened) {
        const std::string text = HeaderText(opened, HTTP_QUERY_CONTENT_LENGTH);
        char* end = nullptr;
        const unsigned long long length = std::strtoull(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0') return;
        opened.lengthKnown = true;
        opened.expectedLength = length;
    }
};

}  // namespace

platform::RequestBounds BoundsOf(platform::Web::Handle url) {
    auto* handle = static_cast<WebHandle*>(url);
    if (!handle || handle->isSession) return {};
    return handle->url.bounds;
}

void InstallWeb() {
    // Lives until the process ends: a version-list worker left running at the program's end may
    // still be inside a fetch while static objects are destroyed.
    static WinInetWeb* const web = new WinInetWeb;
    platform::Current().web = web;
}

}  // namespace win32
