// The terminate window: never shown, it owns finding running programs by their executable and
// ending them. Before an install it ends every running copy of the companion program.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "platform/Task.h"
#include "ui/Controls.h"

namespace update {

constexpr const char* kCompanionProgramName = "Quodo_Sched.exe";
// How long each ended process may take to be gone before the next look-up.
constexpr uint32_t kTerminateWaitMs = 1000;
// The most processes one TerminateProcessesByName ends: newly started copies cannot keep it going.
constexpr int kMaxTerminatePasses = 64;

class TTerminateForm : public ui::Form {
public:
    TTerminateForm();

    // Ends every running process that matches name, one per pass, each pass on a thread of its own
    // while the operation waits. This program itself is never ended, and a process that will not
    // end is tried once only.
    platform::Task<> TerminateProcessesByName(std::string name);
    // The first matching process other than this program, or nothing. On the NT family name must
    // be the full path of the executable; on the older platform the name the snapshot reports.
    std::optional<uint32_t> FindProcessByName(const std::string& name);
    bool IsNtPlatform();
    std::optional<uint32_t> FindProcessPsapi(const std::string& name);
    std::optional<uint32_t> FindProcessToolHelp(const std::string& name);

private:
    using IdSet = std::set<uint32_t>;
    // Ends the first matching process that is not skipped; the id of the process tried. Runs on
    // any thread.
    static std::optional<uint32_t> EndFirstMatch(const std::string& name, const IdSet& skipped);
};

// A name as the look-ups compare it: without leading and trailing blanks and control characters,
// in upper case (ASCII and Latin-1 letters).
std::string PrepareProcessName(const std::string& name);

// Whether a name is a full path: a drive and a backslash ("C:\...") or a network path ("\\...").
bool IsFullPath(const std::string& name);

// The companion program: kCompanionProgramName in this program's own folder; empty when the
// program's own path is not known.
std::string CompanionProgramPath();

}  // namespace update
