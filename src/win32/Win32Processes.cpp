#include "win32/Win32Processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "win32/ChildStart.h"
#include "win32/ProcessJob.h"
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

// A file made anew for a started program's standard output, its handle inheritable; none when
// it cannot be made.
OwnedHandle OutputFile(const std::string& path) {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    return OwnedHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

void EndProcess(HANDLE process, DWORD waitMs) {
    if (TerminateProcess(process, 0)) WaitForSingleObject(process, waitMs);
}

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
    int RunAndWait(const std::string& commandLine, bool hidden, uint32_t timeoutMs,
                   const std::string& outputPath) override {
        OwnedHandle output;
        if (!outputPath.empty()) {
            output = OutputFile(outputPath);
            if (!output) return platform::kRunNoOutputFile;
        }
        ProcessJob job;
        PROCESS_INFORMATION started{};
        if (!StartSuspended(commandLine, hidden, output.get(), started)) return -1;
        output.Reset();  // the program holds its own
        OwnedHandle process(started.hProcess), thread(started.hThread);
        // Into the job before it runs: nothing it starts can escape the job.
        const bool inJob = job.Take(process.get());
        ResumeThread(thread.get());
        return WaitOrEnd(process.get(), inJob ? &job : nullptr, timeoutMs);
    }  // the job goes: whatever the program left running is ended

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
        std::vector<platform::ProcessEntry> entries;
        WalkByPath(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, [&entries](DWORD id, HANDLE, const std::string& path) {
            entries.push_back({id, path});
            return false;
        });
        return entries;
    }

    std::vector<platform::ProcessEntry> ListByExeName() override {
        std::vector<platform::ProcessEntry> entries;
        WalkSnapshot([&entries](const platform::ProcessEntry& entry) {
            entries.push_back(entry);
            return false;
        });
        return entries;
    }

    std::optional<uint32_t> EndFirstByPath(const platform::ProcessFilter& matches, uint32_t waitMs) override {
        std::optional<uint32_t> tried;
        constexpr DWORD access = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE;
        WalkByPath(access, [&](DWORD id, HANDLE process, const std::string& path) {
            if (!matches({id, path})) return false;
            EndProcess(process, waitMs);
            tried = id;
            return true;
        });
        return tried;
    }

    // A snapshot names processes by id only: the one that matches is opened by its id.
    std::optional<uint32_t> EndFirstByExeName(const platform::ProcessFilter& matches, uint32_t waitMs) override {
        std::optional<uint32_t> tried;
        WalkSnapshot([&](const platform::ProcessEntry& entry) {
            if (!matches(entry)) return false;
            OwnedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.id));
            if (process) EndProcess(process.get(), waitMs);
            tried = entry.id;
            return true;
        });
        return tried;
    }

private:
    static bool StartSuspended(const std::string& commandLine, bool hidden, HANDLE output,
                               PROCESS_INFORMATION& started) {
        // CreateProcessA may write into the command line: it gets a copy of its own, as long as the text.
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        ChildStart start(hidden, output);
        return CreateProcessA(nullptr, line.data(), nullptr, nullptr, start.InheritsHandles(),
                              CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED | start.CreationFlags(),
                              nullptr, nullptr, start.Record(), &started) != FALSE;
    }

    // The exit code of a started program, or kRunTimedOut once it has been ended at the bound:
    // with everything it started when it runs in a job, else (the system refused the job) alone.
    static int WaitOrEnd(HANDLE process, ProcessJob* job, uint32_t timeoutMs) {
        const DWORD waited = WaitForSingleObject(process, timeoutMs);
        if (waited == WAIT_TIMEOUT) {
            if (job)
                job->EndAll(kEndedChildWaitMs);
            else
                EndProcess(process, kEndedChildWaitMs);
            return platform::kRunTimedOut;
        }
        DWORD exitCode = 0;
        if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &exitCode)) return -1;
        return static_cast<int>(exitCode);
    }

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

    // Opens every listed process with the access asked for (those it cannot open are skipped: the
    // system's own, other users') and hands each whose main module can be read to visit, with its
    // handle and the full path of its executable, until visit returns true.
    template <class Visit>
    void WalkByPath(DWORD access, Visit visit) {
        DWORD error = 0;
        if (!psapi_.Load(error)) RaiseWin32Error(error);
        for (DWORD id : ProcessIds()) {
            OwnedHandle process(OpenProcess(access, FALSE, id));
            if (!process) continue;
            const std::optional<std::string> path = MainModulePath(process.get());
            if (path && visit(id, process.get(), *path)) return;
        }
    }

    // Hands every process of a Tool Help snapshot to visit, with the executable file name the
    // snapshot reports, until visit returns true. Without Tool Help there is nothing to walk.
    template <class Visit>
    void WalkSnapshot(Visit visit) {
        if (!toolHelp_.Available()) return;
        OwnedHandle snapshot(toolHelp_.snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = toolHelp_.first(snapshot.get(), &entry); more; more = toolHelp_.next(snapshot.get(), &entry)) {
            const std::string name(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
            if (visit(platform::ProcessEntry{entry.th32ProcessID, name})) return;
        }
    }

    // The full path of a process's executable; nothing when its main module cannot be read.
    std::optional<std::string> MainModulePath(HANDLE process) {
        char baseName[MAX_PATH] = {};
        if (psapi_.moduleBaseName(process, nullptr, baseName, MAX_PATH) == 0) return std::nullopt;
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length = psapi_.moduleFileName(process, nullptr, &path[0], static_cast<DWORD>(path.size()));
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
    // Lives until the process ends: the ping or a pass over the processes may outlive the program.
    static Processes* const processes = new Processes;
    platform::Current().processes = processes;
}

}  // namespace win32
