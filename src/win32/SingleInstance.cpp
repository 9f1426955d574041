#include "win32/SingleInstance.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace win32 {

namespace {

// The user's security identifier as text (S-1-5-21-...); empty when it cannot be read.
std::string UserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const OwnedHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    const std::string sid = text;
    LocalFree(text);
    return sid;
}

struct Search {
    DWORD process;
    const char* windowClass;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char name[64] = {};
    if (process != search.process || !GetClassNameA(hwnd, name, sizeof name) || lstrcmpA(name, search.windowClass))
        return TRUE;
    search.found = hwnd;
    return FALSE;
}

HWND WindowOf(DWORD process, const char* windowClass) {
    Search search{process, windowClass, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// "Local\": the session's namespace, so that another session's copy of the same user is another
// copy; the user's identifier in the name keeps apart two users in one session.
SingleInstance::SingleInstance() {
    const std::string name = "Local\\QuodoSoft.Quodo." + UserSid();
    block_ = OwnedHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                            name.c_str()));
    if (!block_) return;  // without the block every copy runs, as before
    first_ = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* shared = static_cast<volatile LONG*>(MapViewOfFile(block_.get(), FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    if (!shared) return;
    if (first_)
        InterlockedExchange(shared, LONG(GetCurrentProcessId()));
    else
        firstProcess_ = DWORD(InterlockedCompareExchange(shared, 0, 0));
    UnmapViewOfFile(const_cast<LONG*>(shared));
}

bool SingleInstance::BringFirstForward(const char* windowClass, DWORD patienceMs) const {
    if (first_ || firstProcess_ == 0) return false;
    const DWORD start = GetTickCount();
    HWND main = nullptr;
    while (!(main = WindowOf(firstProcess_, windowClass)) || !IsWindowVisible(main)) {
        if (GetTickCount() - start >= patienceMs) return false;
        Sleep(50);
    }
    if (IsIconic(main)) ShowWindowAsync(main, SW_RESTORE);
    // Started by the user, this copy may hand the foreground on; the first may take it then too.
    AllowSetForegroundWindow(firstProcess_);
    SetForegroundWindow(main);
    return true;
}

}  // namespace win32
