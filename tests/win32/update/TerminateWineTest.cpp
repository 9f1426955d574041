// The terminate window over the real process walks under Wine: copies of a stand-in companion
// program started from one folder end, a copy of the same name in another folder lives, the Tool
// Help walk finds and ends the stand-in by its bare name, and this process is never ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "StandIns.h"
#include "platform/Platform.h"
#include "ui/Headless.h"
#include "update/Terminate.h"
#include "win32/Win32Processes.h"
#include "win32/Win32System.h"

namespace {

using standins::Started;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

class TerminateWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallProcesses();
        root = standins::FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        companion = standins::Install(QUODO_SCHED_STANDIN, root + "\\program", "Quodo_Sched.exe");
        decoy = standins::Install(QUODO_SCHED_STANDIN, root + "\\decoy", "Quodo_Sched.exe");
    }
    void TearDown() override {
        standins::RemoveTree(root);
        platform::Install(saved);
    }

    // What a walk reports for a process; empty when it does not list it.
    static std::string Listed(const std::vector<platform::ProcessEntry>& entries, DWORD id) {
        for (const platform::ProcessEntry& entry : entries)
            if (entry.id == id) return entry.image;
        return "";
    }
    std::string PathOf(DWORD id) { return Listed(platform::Current().processes->ListByPath(), id); }
    // A new process is listed once its main module is loaded.
    bool WaitListed(const Started& process) {
        return standins::WaitUntil([&] { return !PathOf(process.Id()).empty(); }, std::chrono::seconds(10));
    }

    platform::Services saved = platform::Current();
    // In place before the window below is made: a form measures its frame on the backend.
    struct InstalledBackend : ui::HeadlessBackend {
        InstalledBackend() { ui::SetBackend(this); }
    } backend;
    update::TTerminateForm form;
    std::string root, companion, decoy;
};

TEST_F(TerminateWine, BothCopiesFromTheProgramFolderEndAndTheDecoyLives) {
    Started first(companion + " /wait 120000"), second(companion + " /wait 120000"), other(decoy + " /wait 120000");
    ASSERT_TRUE(WaitListed(first) && WaitListed(second) && WaitListed(other));
    EXPECT_EQ(Lower(PathOf(first.Id())), Lower(companion));

    platform::RunSync(form.TerminateProcessesByName(" " + Lower(companion) + " "));

    EXPECT_EQ(first.ExitCode(), 0u);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(other.Running());
    EXPECT_EQ(form.FindProcessByName(decoy), other.Id());
}

TEST_F(TerminateWine, ToolHelpListsAndEndsTheStandInByItsBareName) {
    Started copy(decoy + " /wait 120000");
    ASSERT_TRUE(WaitListed(copy));
    EXPECT_EQ(Listed(platform::Current().processes->ListByExeName(), copy.Id()), "Quodo_Sched.exe");
    EXPECT_EQ(form.FindProcessToolHelp(" quodo_sched.exe "), copy.Id());
    // The snapshot here carries no folders, and the process status walk compares full paths only.
    EXPECT_EQ(form.FindProcessToolHelp(decoy), std::nullopt);
    EXPECT_EQ(form.FindProcessPsapi("Quodo_Sched.exe"), std::nullopt);

    const DWORD id = copy.Id();
    const auto isCopy = [id](const platform::ProcessEntry& entry) { return entry.id == id; };
    EXPECT_EQ(platform::Current().processes->EndFirstByExeName(isCopy, 5000), id);
    EXPECT_EQ(copy.ExitCode(), 0u);
}

TEST_F(TerminateWine, ThisProcessIsNeverEnded) {
    char path[MAX_PATH];
    const std::string own(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    ASSERT_EQ(Lower(PathOf(GetCurrentProcessId())), Lower(own));
    EXPECT_EQ(form.FindProcessPsapi(own), std::nullopt);
    EXPECT_EQ(form.FindProcessToolHelp(own.substr(own.rfind('\\') + 1)), std::nullopt);
    platform::RunSync(form.TerminateProcessesByName(own));  // nothing is ended: the test is still here
}

}  // namespace
