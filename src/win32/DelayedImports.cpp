// WinINet and the shell are loaded at their first call (the first fetch, a second after start; the
// first shell open), not at the program's start: loading them was most of the memory the first
// paint took above an empty window.
//
// Every call into a library goes through its import slot, __imp__Name@N, a pointer the program
// reads. Here each slot of the functions the program uses is defined, not taken from the library's
// import library, and it starts at a stub that loads the library from the system folder, puts the
// real function into the slot and calls it; later calls go straight to the library. A function
// used anywhere else in the program needs its line here (the link names what is missing).
#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include "win32/Win32System.h"

namespace win32 {
namespace {

FARPROC Resolve(const char* library, const char* name) {
    const HMODULE module = LoadLibraryA(SystemFilePath(library).c_str());
    return module ? GetProcAddress(module, name) : nullptr;
}

// What a function that cannot be had answers: its failure value, with the reason to ask for.
template <class Result>
Result Missing() {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return Result{};
}

}  // namespace
}  // namespace win32

#define QUODO_DELAYED(library, result, name, bytes, parameters, arguments)                                    \
    static result WINAPI First##name parameters;                                                              \
    extern "C" decltype(&First##name) quodo_slot_##name __asm__("__imp__" #name "@" #bytes);                  \
    decltype(&First##name) quodo_slot_##name = First##name;                                                   \
    static result WINAPI First##name parameters {                                                             \
        const auto real = reinterpret_cast<decltype(&First##name)>(                                           \
            reinterpret_cast<void*>(win32::Resolve(library, #name)));                                          \
        if (!real) return win32::Missing<result>();                                                           \
        InterlockedExchangePointer(reinterpret_cast<void**>(&quodo_slot_##name), reinterpret_cast<void*>(real)); \
        return real arguments;                                                                                 \
    }

QUODO_DELAYED("wininet.dll", HINTERNET, InternetOpenA, 20,
              (LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags),
              (agent, access, proxy, bypass, flags))
QUODO_DELAYED("wininet.dll", BOOL, InternetSetOptionA, 16,
              (HINTERNET internet, DWORD option, LPVOID buffer, DWORD length), (internet, option, buffer, length))
QUODO_DELAYED("wininet.dll", BOOL, InternetCrackUrlA, 16,
              (LPCSTR url, DWORD length, DWORD flags, LPURL_COMPONENTSA parts), (url, length, flags, parts))
QUODO_DELAYED("wininet.dll", HINTERNET, InternetConnectA, 32,
              (HINTERNET internet, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password, DWORD service,
               DWORD flags, DWORD_PTR context),
              (internet, server, port, user, password, service, flags, context))
QUODO_DELAYED("wininet.dll", HINTERNET, HttpOpenRequestA, 32,
              (HINTERNET connect, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer, LPCSTR* accept,
               DWORD flags, DWORD_PTR context),
              (connect, verb, object, version, referrer, accept, flags, context))
QUODO_DELAYED("wininet.dll", BOOL, HttpSendRequestA, 20,
              (HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID body, DWORD bodyLength),
              (request, headers, headersLength, body, bodyLength))
QUODO_DELAYED("wininet.dll", BOOL, HttpQueryInfoA, 20,
              (HINTERNET request, DWORD level, LPVOID buffer, LPDWORD length, LPDWORD index),
              (request, level, buffer, length, index))
QUODO_DELAYED("wininet.dll", BOOL, InternetQueryDataAvailable, 16,
              (HINTERNET file, LPDWORD available, DWORD flags, DWORD_PTR context), (file, available, flags, context))
QUODO_DELAYED("wininet.dll", BOOL, InternetReadFile, 16,
              (HINTERNET file, LPVOID buffer, DWORD toRead, LPDWORD read), (file, buffer, toRead, read))
QUODO_DELAYED("wininet.dll", BOOL, InternetCloseHandle, 4, (HINTERNET internet), (internet))
QUODO_DELAYED("shell32.dll", HINSTANCE, ShellExecuteA, 24,
              (HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show),
              (owner, verb, file, parameters, folder, show))
