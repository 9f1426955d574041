// A scripted process table as platform::Processes for native tests. Each running process has an
// id, a full executable path and the name a Tool Help snapshot reports; a process can refuse to
// end, or linger in the list after it was ended. Every ending and RunAndWait is recorded.
//
//   fakes::FakeProcesses processes;
//   processes.Start(12, "C:\\Program Files\\Quodo\\Quodo_Sched.exe");
//   processes.Install();
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fakes {

class FakeProcesses : public platform::Processes {
public:
    struct Process {
        uint32_t id = 0;
        std::string path;     // what the process status walk reports
        std::string exeName;  // what the Tool Help snapshot reports
        bool refusesToEnd = false;
        bool lingers = false;  // ended, but still listed
    };
    struct Run {
        std::string commandLine;
        bool hidden;
        uint32_t timeoutMs;
        std::string outputPath;
    };
    struct Ending {
        uint32_t id;
        uint32_t waitMs;
    };

    std::vector<Process> running;
    bool ntPlatform = true;
    uint32_t selfId = 1000;
    bool toolHelpMissing = false;
    std::string walkError;  // when set, ListByPath raises it
    int runResult = 0;
    std::vector<Run> runs;
    std::vector<Ending> endings;  // every process a walk tried to end, in order
    int pathWalks = 0, nameWalks = 0;
    // Runs after a process was ended (with its id), e.g. to start a new copy.
    std::function<void(uint32_t)> onEnded;

    // A running process; its snapshot name is the file name of its path.
    Process& Start(uint32_t id, const std::string& path) {
        const size_t slash = path.rfind('\\');
        running.push_back({id, path, slash == std::string::npos ? path : path.substr(slash + 1)});
        return running.back();
    }

    bool IsRunning(uint32_t id) const {
        return std::any_of(running.begin(), running.end(), [id](const Process& p) { return p.id == id; });
    }

    void Install() { platform::Current().processes = this; }

    // Runs every started command in place of runResult, e.g. to write what it would have written:
    // its exit code.
    std::function<int(const Run&)> onRun;

    int RunAndWait(const std::string& commandLine, bool hidden, uint32_t timeoutMs,
                   const std::string& outputPath) override {
        runs.push_back({commandLine, hidden, timeoutMs, outputPath});
        return onRun ? onRun(runs.back()) : runResult;
    }
    bool IsNtPlatform() override { return ntPlatform; }
    uint32_t CurrentProcessId() override { return selfId; }

    std::vector<platform::ProcessEntry> ListByPath() override {
        ++pathWalks;
        if (!walkError.empty()) throw std::runtime_error(walkError);
        std::vector<platform::ProcessEntry> entries;
        for (const Process& p : running) entries.push_back({p.id, p.path});
        return entries;
    }

    std::vector<platform::ProcessEntry> ListByExeName() override {
        ++nameWalks;
        std::vector<platform::ProcessEntry> entries;
        if (toolHelpMissing) return entries;
        for (const Process& p : running) entries.push_back({p.id, p.exeName});
        return entries;
    }

    std::optional<uint32_t> EndFirstByPath(const platform::ProcessFilter& matches, uint32_t waitMs) override {
        return EndFirst(ListByPath(), matches, waitMs);
    }
    std::optional<uint32_t> EndFirstByExeName(const platform::ProcessFilter& matches, uint32_t waitMs) override {
        return EndFirst(ListByExeName(), matches, waitMs);
    }

    std::vector<uint32_t> EndedIds() const {
        std::vector<uint32_t> ids;
        for (const Ending& e : endings) ids.push_back(e.id);
        return ids;
    }

private:
    std::optional<uint32_t> EndFirst(const std::vector<platform::ProcessEntry>& listed,
                                     const platform::ProcessFilter& matches, uint32_t waitMs) {
        for (const platform::ProcessEntry& entry : listed) {
            if (!matches(entry)) continue;
            End(entry.id, waitMs);
            return entry.id;
        }
        return std::nullopt;
    }

    void End(uint32_t id, uint32_t waitMs) {
        endings.push_back({id, waitMs});
        auto it = std::find_if(running.begin(), running.end(), [id](const Process& p) { return p.id == id; });
        if (it->refusesToEnd) return;
        if (!it->lingers) running.erase(it);
        if (onEnded) onEnded(id);
    }
};

}  // namespace fakes
