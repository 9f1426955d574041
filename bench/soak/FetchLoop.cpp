// Fetches the Investing quote page many times in one process and prints the process's private
// bytes along the way, to tell where memory that grows with refreshes comes from:
//   FetchLoop.exe fetch N   through the program's own fetch (quotes::FetchUrlToFile over Win32Web)
//   FetchLoop.exe raw N     through bare WinINet calls only: open, connect, request, send, read, close
// Output: a line "fetches private_bytes body_bytes" at 10, 100 and every 500 fetches.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Platform.h"
#include "quotes/Fetch.h"
#include "quotes/Hosts.h"
#include "win32/Win32Web.h"

namespace {

const char* const kPath = "/indices/netherlands-25-historical-data";

// Under Wine PagefileUsage holds the process's anonymous resident memory (PrivateUsage stays 0).
unsigned long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<unsigned long>(counters.PagefileUsage);
}

size_t FetchThroughProgram() {
    return quotes::FetchUrlToFile(*platform::Current().web, quotes::InvestingQuoteProfile()).body.size();
}

size_t FetchThroughWinInet() {
    HINTERNET session = InternetOpenA("FetchLoop", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(session, hosts::kInvestingQuoteSite, INTERNET_DEFAULT_HTTP_PORT, nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, nullptr, kPath, nullptr, nullptr, nullptr, 0, 0);
    size_t total = 0;
    if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        char buffer[4096];
        DWORD got = 0;
        while (InternetReadFile(request, buffer, sizeof(buffer), &got) && got > 0) total += got;
    }
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    if (session) InternetCloseHandle(session);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "fetch") != 0 && std::strcmp(argv[1], "raw") != 0)) {
        std::fprintf(stderr, "usage: FetchLoop.exe fetch|raw N\n");
        return 2;
    }
    const bool raw = std::strcmp(argv[1], "raw") == 0;
    const int count = std::atoi(argv[2]);
    win32::InstallWeb();
    for (int i = 1; i <= count; ++i) {
        const size_t body = raw ? FetchThroughWinInet() : FetchThroughProgram();
        if (i == 10 || i == 100 || i % 500 == 0) std::printf("%d %lu %u\n", i, PrivateBytes(), static_cast<unsigned>(body));
    }
    return 0;
}
