// The terminate window's look-ups and endings over a scripted process table: name matching, the
// two platform branches, this program's own process, processes that will not end, and the bound
// on the passes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/FakeProcesses.h"
#include "fakes/FakeSystem.h"
#include "ui/Application.h"
#include "ui/Headless.h"
#include "update/Terminate.h"

namespace {

using update::PrepareProcessName;

const std::string kFolder = "C:\\Program Files\\Quodo\\";
const std::string kCompanion = kFolder + "Quodo_Sched.exe";
const std::string kDecoy = "C:\\Tools\\Quodo_Sched.exe";

TEST(ProcessNameTest, TrimsBlanksAndControlCharactersAndRaisesAsciiAndLatin1Letters) {
    EXPECT_EQ(PrepareProcessName("\t\r\n c:\\Program Files\\x.exe\x01 "), "C:\\PROGRAM FILES\\X.EXE");
    EXPECT_EQ(PrepareProcessName(" \t"), "");
    EXPECT_EQ(PrepareProcessName("caf\xE9 \xE0\xFE"), "CAF\xC9 \xC0\xDE");
    EXPECT_EQ(PrepareProcessName("\xF7\xDF\xFF\xB5"), "\xF7\xDF\xFF\xB5");  // signs and letters without capital
    EXPECT_TRUE(update::IsFullPath("C:\\a.exe"));
    EXPECT_TRUE(update::IsFullPath("\\\\server\\share\\a.exe"));
    EXPECT_FALSE(update::IsFullPath("a.exe"));
    EXPECT_FALSE(update::IsFullPath("C:a.exe"));
}

class TerminateTest : public ::testing::Test {
protected:
    void SetUp() override {
        processes.Install();
        files.programPath = kFolder + "Quodo.exe";
        platform::Current().files = &files;
    }
    void TearDown() override {
        backend.EndWaits();
        platform::Install(saved);
    }
    // Ends the processes of the name, each wait done at once.
    void End(const std::string& name) { platform::RunSync(form.TerminateProcessesByName(name)); }

    platform::Services saved = platform::Current();
    // In place before the window below is made: a form measures its frame on the backend.
    struct InstalledBackend : ui::HeadlessBackend {
        InstalledBackend() { ui::SetBackend(this); }
    } backend;
    fakes::FakeProcesses processes;
    fakes::FakeFileSystem files;
    update::TTerminateForm form;
};

TEST_F(TerminateTest, TheWindowIsNeverShownAndTheCompanionIsBesideTheProgram) {
    EXPECT_EQ(form.ClassName(), "TTerminateForm");
    EXPECT_EQ(form.Name(), "TerminateForm");
    EXPECT_EQ(form.Caption(), "TerminateForm");
    EXPECT_EQ(form.Width(), 219);
    EXPECT_EQ(form.Height(), 146);
    EXPECT_EQ(form.GetFont().name, "MS Sans Serif");
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(update::CompanionProgramPath(), kCompanion);
    files.programPath = "";
    EXPECT_EQ(update::CompanionProgramPath(), "");
}

TEST_F(TerminateTest, NtFamilyComparesFullPathsTheOlderPlatformSnapshotNames) {
    processes.Start(4, kDecoy);
    processes.Start(5, kCompanion).exeName = "QUODO_SCHED.EXE";
    processes.Start(6, "Quodo_Sched.exe");  // even a bare name listed does not match a bare name
    EXPECT_EQ(form.FindProcessByName(" c:\\program files\\quodo\\QUODO_SCHED.EXE\r\n"), 5u);
    EXPECT_EQ(form.FindProcessByName("Quodo_Sched.exe"), std::nullopt);
    EXPECT_EQ(processes.nameWalks, 0);

    processes.ntPlatform = false;
    processes.running[0].exeName = "Other.exe";
    EXPECT_EQ(form.FindProcessByName(" quodo_sched.exe "), 5u);  // the snapshot's name in capitals
    EXPECT_EQ(form.FindProcessToolHelp("quodo_sched"), std::nullopt);
    EXPECT_EQ(processes.pathWalks, 2);
}

TEST_F(TerminateTest, BothCopiesInTheProgramFolderEndAndTheDecoyLives) {
    processes.Start(20, kDecoy);
    processes.Start(21, kCompanion);
    processes.Start(22, kCompanion);
    // Each pass is a work of its own, which the window thread waits for without running it.
    platform::Current().loop = &backend;
    backend.holdWorks = true;
    platform::Owner work(ui::App());
    work.Start(form.TerminateProcessesByName(update::CompanionProgramPath()));
    std::vector<size_t> endingsAfterEachPass;
    while (backend.HeldWorks() > 0) {
        endingsAfterEachPass.push_back(processes.endings.size());
        backend.FinishWork();
    }
    EXPECT_EQ(endingsAfterEachPass, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(processes.EndedIds(), (std::vector<uint32_t>{21, 22}));
    EXPECT_EQ(processes.endings[0].waitMs, update::kTerminateWaitMs);
    EXPECT_TRUE(processes.IsRunning(20));
    EXPECT_EQ(processes.pathWalks, 3) << "each pass one walk that finds and ends, and a last that finds none";
    platform::Current().loop = nullptr;

    End(kCompanion);  // none left: nothing happens
    EXPECT_EQ(processes.endings.size(), 2u);
}

TEST_F(TerminateTest, OurOwnProcessIsNeverEndedOnEitherPlatform) {
    processes.Start(processes.selfId, kFolder + "Quodo.exe");
    processes.Start(31, kFolder + "Quodo.exe");
    End(kFolder + "Quodo.exe");
    EXPECT_EQ(processes.EndedIds(), (std::vector<uint32_t>{31}));
    processes.ntPlatform = false;
    End("Quodo.exe");
    EXPECT_EQ(processes.endings.size(), 1u);
}

TEST_F(TerminateTest, AProcessThatWillNotEndIsTriedOnceAndTheOthersStillEnd) {
    processes.Start(40, kCompanion).refusesToEnd = true;
    processes.Start(41, kCompanion).lingers = true;
    processes.Start(42, kCompanion);
    End(kCompanion);
    EXPECT_EQ(processes.EndedIds(), (std::vector<uint32_t>{40, 41, 42}));
    EXPECT_FALSE(processes.IsRunning(42));
}

TEST_F(TerminateTest, CopiesThatKeepStartingAnewAreEndedABoundedNumberOfTimes) {
    uint32_t nextId = 100;
    processes.Start(nextId, kCompanion);
    processes.onEnded = [&](uint32_t) { processes.Start(++nextId, kCompanion); };
    End(kCompanion);
    EXPECT_EQ(processes.endings.size(), static_cast<size_t>(update::kMaxTerminatePasses));
}

TEST_F(TerminateTest, NothingIsEndedForAnEmptyNameWithoutToolHelpOrWhenTheWalkFails) {
    processes.Start(50, "");
    End(" \t");
    processes.ntPlatform = false;
    End("");
    processes.Start(51, kCompanion);
    processes.toolHelpMissing = true;
    End("Quodo_Sched.exe");
    EXPECT_TRUE(processes.endings.empty());

    processes.ntPlatform = true;
    processes.walkError = "Win32 Error.  Code: 126.\nThe specified module could not be found";
    EXPECT_THROW(End(kCompanion), std::runtime_error);
    EXPECT_TRUE(processes.endings.empty());
}

}  // namespace
