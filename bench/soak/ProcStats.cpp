// ProcStats: one line of a process's resource use, read from outside it:
//   ProcStats.exe PID
//   {"pid": ..., "handles": ..., "handles_table": ..., "gdi": ..., "gdi_table": ..., "user": ...,
//    "windows": ..., "private_bytes": ..., "pagefile": ..., "working_set": ...}
// A value that cannot be had is -1.
//
// Wine 8 gives some of the usual counters as stubs: GetProcessHandleCount reports 0 handles,
// GetGuiResources fails, and PrivateUsage stays 0 (PagefileUsage holds the process's anonymous
// resident memory, WorkingSetSize its resident memory). So the same quantities are also counted
// from the tables behind them:
//   handles_table  the process's entries in the system handle table (NtQuerySystemInformation,
//                  SystemHandleInformation), which Wine fills from its server;
//   gdi_table      the live, non-stock entries of the process's GDI handle table, which Wine keeps
//                  where Windows does (PEB.GdiSharedHandleTable; under Wine's WoW64 in the 64-bit
//                  PEB) and which is read from the process's memory. Where the table is, and its
//                  layout, are checked first on a brush of our own;
//   windows        the process's windows, top-level and child (the bulk of its USER objects).
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// One entry of the GDI handle table (the layout Windows and Wine share).
#pragma pack(push, 4)
struct GdiHandleEntry {
    ULONGLONG object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    ULONGLONG userPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry");
constexpr size_t kGdiHandles = 0x10000;
constexpr UCHAR kStockFlag = 0x80;  // in `unique`'s low byte
constexpr UCHAR kGdiBrushType = 0x10;

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleInformation {
    ULONG count;
    SystemHandleEntry handles[1];
};
constexpr ULONG kSystemHandleInformation = 16;

long long CountTableHandles(DWORD pid) {
    std::vector<char> buffer(1 << 16);
    for (int tries = 0; tries < 12; ++tries) {
        ULONG needed = 0;
        NTSTATUS status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation), buffer.data(), ULONG(buffer.size()), &needed);
        if (status == 0) {
            const auto* info = reinterpret_cast<const SystemHandleInformation*>(buffer.data());
            long long count = 0;
            for (ULONG i = 0; i < info->count; ++i) count += info->handles[i].ownerPid == pid;
            return count;
        }
        buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
    }
    return -1;
}

// Where a process's GDI handle table pointer can be found, relative to its (32-bit) PEB: in the
// 32-bit PEB itself (Windows), or in the 64-bit PEB that Wine's WoW64 keeps a page below it.
struct TablePointer {
    LONG offset;
    bool wide;
};
constexpr TablePointer kTablePointers[] = {{0x94, false}, {-0x1000 + 0xF8, true}};

ULONGLONG ReadTableAddress(HANDLE process, const TablePointer& where) {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
    ULONGLONG table = 0;
    SIZE_T read = 0;
    const char* at = reinterpret_cast<char*>(basic.PebBaseAddress) + where.offset;
    if (!ReadProcessMemory(process, at, &table, where.wide ? 8 : 4, &read)) return 0;
    return table < 0x100000000ULL ? table : 0;  // a 32-bit reader cannot reach it otherwise
}

bool ReadTable(HANDLE process, const TablePointer& where, std::vector<GdiHandleEntry>& entries) {
    const ULONGLONG table = ReadTableAddress(process, where);
    SIZE_T read = 0;
    entries.assign(kGdiHandles, GdiHandleEntry{});
    return table && ReadProcessMemory(process, reinterpret_cast<void*>(uintptr_t(table)), entries.data(),
                                      entries.size() * sizeof(GdiHandleEntry), &read);
}

// Finds where the table is, and checks its layout, on this process: a new brush must show up as
// a brush entry. nullptr when neither place holds.
const TablePointer* FindGdiTable() {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    const TablePointer* found = nullptr;
    std::vector<GdiHandleEntry> entries;
    for (const TablePointer& where : kTablePointers) {
        if (self && ReadTable(self, where, entries) && entries[uintptr_t(brush) & 0xFFFF].type == kGdiBrushType) {
            found = &where;
            break;
        }
    }
    if (self) CloseHandle(self);
    DeleteObject(brush);
    return found;
}

// The live, non-stock GDI objects in a process's handle table; -1 when it cannot be read.
long long CountGdiObjects(HANDLE process) {
    const TablePointer* where = FindGdiTable();
    std::vector<GdiHandleEntry> entries;
    if (!where || !ReadTable(process, *where, entries)) return -1;
    long long count = 0;
    for (const GdiHandleEntry& e : entries) count += e.type != 0 && !(e.unique & kStockFlag);
    return count;
}

struct WindowCount {
    DWORD pid;
    long long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid) {
        ++c->count;
        EnumChildWindows(hwnd, CountChild, param);
    }
    return TRUE;
}

long long GuiResources(HANDLE process, DWORD kind) {
    SetLastError(0);
    const DWORD n = GetGuiResources(process, kind);
    return n == 0 && GetLastError() != 0 ? -1 : (long long)n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("{\"error\": \"usage: ProcStats.exe PID\"}\n");
        return 1;
    }
    const DWORD pid = std::strtoul(argv[1], nullptr, 0);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("{\"error\": \"OpenProcess failed: %lu\"}\n", GetLastError());
        return 1;
    }
    DWORD handleCount = 0;
    const long long handles = GetProcessHandleCount(process, &handleCount) ? (long long)handleCount : -1;
    const long long handlesTable = CountTableHandles(pid);
    const long long gdi = GuiResources(process, GR_GDIOBJECTS);
    const long long user = GuiResources(process, GR_USEROBJECTS);
    const long long gdiTable = CountGdiObjects(process);
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));

    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    long long privateBytes = -1, workingSet = -1, pagefile = -1;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        privateBytes = (long long)memory.PrivateUsage;
        workingSet = (long long)memory.WorkingSetSize;
        pagefile = (long long)memory.PagefileUsage;
    }
    CloseHandle(process);
    std::printf("{\"pid\": %lu, \"handles\": %lld, \"handles_table\": %lld, \"gdi\": %lld, \"gdi_table\": %lld, "
                "\"user\": %lld, \"windows\": %lld, \"private_bytes\": %lld, \"pagefile\": %lld, "
                "\"working_set\": %lld}\n",
                pid, handles, handlesTable, gdi, gdiTable, user, windows.count, privateBytes, pagefile, workingSet);
    return 0;
}
