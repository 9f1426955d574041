// Helpers of the Wine tests that start programs: folders of a test's own, copies of the stand-in
// programs in them, started programs that are ended with the test, and bounded waits.
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace standins {

// A fresh folder below the temporary folder, named after the test and this process.
inline std::string FreshFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + " " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// Copies a stand-in program into folder (created when missing) as fileName; returns its path.
inline std::string Install(const char* standIn, const std::string& folder, const std::string& fileName) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string target = folder + "\\" + fileName;
    CopyFileA(standIn, target.c_str(), FALSE);
    return target;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Polls the condition until it holds or the time is up; true when it held.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A program the test starts itself; ended with the test if it still runs.
class Started {
public:
    explicit Started(std::string commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
            CloseHandle(info_.hThread);
    }
    ~Started() {
        if (!info_.hProcess) return;
        TerminateProcess(info_.hProcess, 9);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hProcess);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_{};
};

}  // namespace standins
