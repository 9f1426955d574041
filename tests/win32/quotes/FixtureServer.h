// The test's side of tests/fixtures/fixture_server.py: load a script, read what the server saw.
// Talks to the control paths over WinINet directly, not through the web under test.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

struct SeenRequest {
    int attempt = 0;
    std::string method, host, target, scheme;
    std::vector<std::pair<std::string, std::string>> headers;

    std::string Header(const std::string& name) const {
        for (const auto& h : headers)
            if (_stricmp(h.first.c_str(), name.c_str()) == 0) return h.second;
        return std::string();
    }
};

inline std::string Control(const char* verb, const std::string& path, const std::string& body = std::string()) {
    HINTERNET internet = InternetOpenA("fixture control", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, verb, path.c_str(), nullptr, nullptr, nullptr,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::string answer;
    const bool sent = request && HttpSendRequestA(request, nullptr, 0, const_cast<char*>(body.data()),
                                                  static_cast<DWORD>(body.size()));
    if (sent) {
        char buffer[4096];
        DWORD got = 0;
        while (InternetReadFile(request, buffer, sizeof(buffer), &got) && got > 0) answer.append(buffer, got);
    }
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    if (internet) InternetCloseHandle(internet);
    if (!sent) throw std::runtime_error("the fixture server does not answer on 127.0.0.1:80");
    return answer;
}

// script: the JSON script of the fixture server. Clears the record.
inline void Load(const std::string& script) {
    if (Control("POST", "/_fixture/script", script) != "ok") throw std::runtime_error("script refused: " + script);
}

inline std::vector<SeenRequest> Requests() {
    std::istringstream text(Control("GET", "/_fixture/requests?format=text"));
    std::vector<SeenRequest> requests;
    std::string line;
    while (std::getline(text, line)) {
        if (line.rfind("REQUEST ", 0) == 0) {
            SeenRequest r;
            std::istringstream fields(line.substr(8));
            fields >> r.attempt >> r.method >> r.host >> r.target >> r.scheme;
            requests.push_back(r);
        } else if (!line.empty() && !requests.empty()) {
            const auto colon = line.find(": ");
            requests.back().headers.emplace_back(line.substr(0, colon), colon == std::string::npos ? "" : line.substr(colon + 2));
        }
    }
    return requests;
}

}  // namespace fixture
