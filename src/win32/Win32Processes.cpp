#include "win32/Win32Processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "win32/Scoped.h"
#include "win32/Win32System.h"

namespace win32 {
namespace {

// How long a child ended for running too long may take to be gone.
constexpr DWORD kEndedChildWaitMs = 5000;
// Bounds for the growing buffers: more process ids than any system runs, the longest path NT knows.
constexpr size_t kMaxProcessIds = 1u << 20;
constexpr size_t kMaxPathChars = 32768;

// The system's message for an error code, without the line end and full stop it carries.
std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() && (static_cast<unsigned char>(message.back()) <= ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

[[noreturn]] void RaiseWin32Error(DWORD code) { throw std::runtime_error(Win32ErrorText(code)); }

// The process status library, loaded from the system folder at its first use. A failed load is
// tried again at the next use; a loaded library stays until the program ends.
class ProcessStatusLibrary {
public:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using ModuleTextFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

    // False with the system's error code when the library or one of its entries is missing.
    bool Load(DWORD& error) {
        if (enumProcesses) return true;
        const std::string path = SystemFilePath("psapi.dll");
        HMODULE library = LoadLibraryA(path.c_str());
        if (!library) {
            error = GetLastError();
            return false;
        }
        auto enumEntry = Entry<EnumProcessesFn>(library, "EnumProcesses");
        auto baseNameEntry = Entry<ModuleTextFn>(library, "GetModuleBaseNameA");
        auto fileNameEntry = Entry<ModuleTextFn>(library, "GetModuleFileNameExA");
        if (!enumEntry || !baseNameEntry || !fileNameEntry) {
            error = GetLastError();
            FreeLibrary(library);
            return false;
        }
        moduleBaseName = baseNameEntry;
        moduleFileName = fileNameEntry;
        enumProcesses = enumEntry;
        return true;
    }

    EnumProcessesFn enumProcesses = nullptr;
    ModuleTextFn moduleBaseName = nullptr;
    ModuleTextFn moduleFileName = nullptr;

private:
    template <class Fn>
    static Fn Entry(HMODULE library, const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
};

// The Tool Help entries of kernel32, looked up at their first use.
class ToolHelp {
public:
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

    bool Available() {
        if (!lookedUp_) {
            lookedUp_ = true;
            if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
                snapshot = reinterpret_cast<SnapshotFn>(
                    reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
                first = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
                next = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
            }
        }
        return snapshot && first && next;
    }

    SnapshotFn snapshot = nullptr;
    WalkFn first = nullptr;
    WalkFn next = nullptr;

private:
    bool lookedUp_ = false;
};

class Processes : public platform::Processes {
public:
    int RunAndWait(const std::string& commandLine, bool hidden, uint32_t timeoutMs) override {
        // CreateProcessA may write into the command line: it gets a copy of its own, as long as the text.
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                            nullptr, nullptr, &startup, &started))
            return -1;
        CloseHandle(started.hThread);
        OwnedHandle process(started.hProcess);

        const DWORD waited = WaitForSingleObject(process.get(), timeoutMs);
        if (waited == WAIT_TIMEOUT) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), kEndedChildWaitMs);
            return platform::kRunTimedOut;
        }
        DWORD exitCode = 0;
        if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &exitCode)) return -1;
        return static_cast<int>(exitCode);
    }

    bool IsNtPlatform() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
        return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }

    std::vector<platform::ProcessEntry> ListByPath() override {
        DWORD error = 0;
        if (!psapi_.Load(error)) RaiseWin32Error(error);
        std::vector<platform::ProcessEntry> entries;
        for (DWORD id : ProcessIds()) {
            if (auto path = MainModulePath(id)) entries.push_back({id, *path});
        }
        return entries;
    }

    std::vector<platform::ProcessEntry> ListByExeName() override {
        std::vector<platform::ProcessEntry> entries;
        if (!toolHelp_.Available()) return entries;
        OwnedHandle snapshot(toolHelp_.snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return entries;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = toolHelp_.first(snapshot.get(), &entry); more;
             more = toolHelp_.next(snapshot.get(), &entry)) {
            entries.push_back({entry.th32ProcessID, std::string(entry.szExeFile, strnlen(entry.szExeFile,
                                                                                          sizeof entry.szExeFile))});
        }
        return entries;
    }

    bool Terminate(uint32_t id, uint32_t waitMs) override {
        OwnedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process || !TerminateProcess(process.get(), 0)) return false;
        WaitForSingleObject(process.get(), waitMs);
        return true;
    }

private:
    // Every process id the system lists; the buffer grows for as long as it comes back full.
    std::vector<DWORD> ProcessIds() {
        std::vector<DWORD> ids(1024);
        for (;;) {
            const DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
            DWORD used = 0;
            if (!psapi_.enumProcesses(ids.data(), size, &used)) RaiseWin32Error(GetLastError());
            if (used < size || ids.size() >= kMaxProcessIds) {
                ids.resize(used / sizeof(DWORD));
                return ids;
            }
            ids.assign(ids.size() * 2, 0);
        }
    }

    // The full path of a process's executable; nothing when the process cannot be opened or its
    // main module cannot be read (the system's own processes, those of other users).
    std::optional<std::string> MainModulePath(DWORD id) {
        OwnedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) return std::nullopt;
        char baseName[MAX_PATH] = {};
        if (psapi_.moduleBaseName(process.get(), nullptr, baseName, MAX_PATH) == 0) return std::nullopt;
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length =
                psapi_.moduleFileName(process.get(), nullptr, &path[0], static_cast<DWORD>(path.size()));
            if (length == 0) return std::nullopt;
            // A path that fills the buffer may have been cut: read it again into a larger one.
            if (length < path.size() - 1) {
                path.resize(length);
                return path;
            }
            if (path.size() >= kMaxPathChars) return std::nullopt;
            path.assign(path.size() * 2, '\0');
        }
    }

    ProcessStatusLibrary psapi_;
    ToolHelp toolHelp_;
};

}  // namespace

std::string Win32ErrorText(unsigned long code) {
    if (code == 0) return "A Win32 API function failed";
    // The code is shown as a signed number, as the runtime's "%d" shows it.
    return "Win32 Error.  Code: " + std::to_string(static_cast<int>(code)) + ".\n" + SystemMessage(code);
}

void InstallProcesses() {
    static Processes processes;
    platform::Current().processes = &processes;
}

}  // namespace win32
