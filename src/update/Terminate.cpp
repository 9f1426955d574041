#include "update/Terminate.h"

#include <vector>

#include "platform/Platform.h"
#include "platform/Wait.h"
#include "ui/Application.h"

namespace update {
namespace {

// A pass that takes longer than this (the walk, and the wait for the ended process) is given up.
constexpr unsigned kEndPassBoundMs = kTerminateWaitMs + 4000;

platform::Processes& Processes() { return *platform::Current().processes; }

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

char UpperCase(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool asciiLower = u >= 'a' && u <= 'z';
    // The Latin-1 small letters 0xE0 to 0xFE, but not the division sign 0xF7 between them.
    const bool latinLower = u >= 0xE0 && u <= 0xFE && u != 0xF7;
    return asciiLower || latinLower ? static_cast<char>(u - 0x20) : c;
}

// Whether processes of a wanted name can be found at all: a name, and on the NT family a full path.
bool Searchable(const std::string& wanted, bool fullPathsOnly) {
    return !wanted.empty() && (!fullPathsOnly || IsFullPath(wanted));
}

// Matches the processes of the wanted (prepared) name other than this program and the skipped ones.
platform::ProcessFilter Matching(const std::string& wanted, const std::set<uint32_t>& skipped) {
    const uint32_t self = Processes().CurrentProcessId();
    return [wanted, self, &skipped](const platform::ProcessEntry& entry) {
        return entry.id != self && !skipped.count(entry.id) && PrepareProcessName(entry.image) == wanted;
    };
}

// The first listed process of the name other than this program.
std::optional<uint32_t> FirstMatch(const std::vector<platform::ProcessEntry>& entries, const std::string& name,
                                   bool fullPathsOnly) {
    const std::string wanted = PrepareProcessName(name);
    if (!Searchable(wanted, fullPathsOnly)) return std::nullopt;
    const std::set<uint32_t> none;
    const platform::ProcessFilter matches = Matching(wanted, none);
    for (const platform::ProcessEntry& entry : entries)
        if (matches(entry)) return entry.id;
    return std::nullopt;
}

}  // namespace

std::string PrepareProcessName(const std::string& name) {
    size_t begin = 0;
    size_t end = name.size();
    while (begin < end && IsBlankOrControl(name[begin])) ++begin;
    while (end > begin && IsBlankOrControl(name[end - 1])) --end;
    std::string prepared = name.substr(begin, end - begin);
    for (char& c : prepared) c = UpperCase(c);
    return prepared;
}

bool IsFullPath(const std::string& name) {
    const bool drivePath = name.size() >= 3 && name[1] == ':' && name[2] == '\\';
    const bool networkPath = name.size() >= 3 && name[0] == '\\' && name[1] == '\\';
    return drivePath || networkPath;
}

std::string CompanionProgramPath() {
    platform::FileSystem* files = platform::Current().files;
    const std::string program = files ? files->ProgramPath() : std::string();
    const size_t slash = program.rfind('\\');
    if (slash == std::string::npos) return {};
    return program.substr(0, slash + 1) + kCompanionProgramName;
}

TTerminateForm::TTerminateForm() : ui::Form("TTerminateForm", "TerminateForm") {
    SetBorder(ui::BorderStyle::Single);
    SetCaption("TerminateForm");
    ui::Font font;
    font.name = "MS Sans Serif";
    font.height = 11;
    SetFont(font);
    SetBounds(0, 0, 219, 146);
    if (ui::Form* main = ui::App().MainForm())
        SetBounds(main->Left() + (main->Width() - Width()) / 2, main->Top() + (main->Height() - Height()) / 2,
                  Width(), Height());
}

platform::Task<> TTerminateForm::TerminateProcessesByName(std::string name) {
    // Every process is tried once: one the system refuses to end is not found again and again.
    IdSet handled;
    for (int pass = 0; pass < kMaxTerminatePasses; ++pass) {
        auto ending = platform::OnWorker([name, handled](platform::Job&) { return EndFirstMatch(name, handled); },
                                       platform::WaitOptions::Within(kEndPassBoundMs));
        const std::optional<uint32_t> id = co_await ending;
        if (!id) co_return;
        handled.insert(*id);
    }
}

std::optional<uint32_t> TTerminateForm::FindProcessByName(const std::string& name) {
    return IsNtPlatform() ? FindProcessPsapi(name) : FindProcessToolHelp(name);
}

bool TTerminateForm::IsNtPlatform() { return Processes().IsNtPlatform(); }

std::optional<uint32_t> TTerminateForm::FindProcessPsapi(const std::string& name) {
    // Full paths only: a program of the same name in another folder is someone else's.
    return FirstMatch(Processes().ListByPath(), name, true);
}

std::optional<uint32_t> TTerminateForm::FindProcessToolHelp(const std::string& name) {
    return FirstMatch(Processes().ListByExeName(), name, false);
}

std::optional<uint32_t> TTerminateForm::EndFirstMatch(const std::string& name, const IdSet& skipped) {
    // The walk that finds a process also ends it, through the handle whose path it checked.
    const bool nt = Processes().IsNtPlatform();
    const std::string wanted = PrepareProcessName(name);
    if (!Searchable(wanted, nt)) return std::nullopt;
    const platform::ProcessFilter matches = Matching(wanted, skipped);
    return nt ? Processes().EndFirstByPath(matches, kTerminateWaitMs)
              : Processes().EndFirstByExeName(matches, kTerminateWaitMs);
}

}  // namespace update
