// The note an installer that the update started leaves when the install failed: told once, at the
// program's first show, in the message popup over the main window and in "Error.log".
#include <memory>

#include "../app/AppFixture.h"
#include "dialogs/MessForm.h"
#include "update/InstallOutcome.h"

namespace apptest {
namespace {

const char* const kNoteKey = "Software\\Quodo\\Update";

class InstallOutcomeTest : public AppTest {
protected:
    void Note(const std::string& version, uint32_t reason) {
        registry.CreateKey(kNoteKey);
        registry.SetString(kNoteKey, "FailedVersion", version);
        registry.SetDword(kNoteKey, "FailedReason", reason);
    }
    // The program's start-up, with the popup made and connected as the program makes it.
    app::TMainForm& StartWithPopup() {
        auto& main = Start(false);
        popup = std::make_unique<dialogs::TMessageForm>();
        popup->FormCreate();
        app::ConnectInstallOutcome(main, *popup);
        ui::App().Run(main);
        return main;
    }
    std::string Log() { return files.ReadFile(std::string(kDataFolder) + "Error.log").value_or("none"); }

    std::unique_ptr<dialogs::TMessageForm> popup;
};

TEST_F(InstallOutcomeTest, AFailedInstallIsToldOnceOverTheMainWindowAndInErrorLog) {
    SetStored("MainTop", 400);
    SetStored("MainLeft", 500);
    Note("1.07", 1);
    auto& main = StartWithPopup();
    ASSERT_TRUE(popup->Visible());
    EXPECT_EQ(popup->MessageMemo.Lines(),
              (std::vector<std::string>{"Installatie van versie 1.07 is mislukt.", "Het programma was nog actief."}));
    EXPECT_EQ(popup->Top(), main.Top() + (main.Height() - popup->Height()) / 2);
    EXPECT_EQ(popup->Left(), main.Left() + (main.Width() - popup->Width()) / 2);
    EXPECT_EQ(popup->Timer.Interval(), 10000);
    EXPECT_EQ(Log(), "7-12-2026.\r\nInstallatie van versie 1.07 mislukt. Het programma was nog actief.\r\n");
    EXPECT_FALSE(registry.Query(kNoteKey, "FailedVersion").has_value());
    EXPECT_FALSE(registry.Query(kNoteKey, "FailedReason").has_value());
    EXPECT_FALSE(options->GeluidCheck.Enabled()) << "the first show's other work still runs";
}

TEST_F(InstallOutcomeTest, NoNoteTellsNothingAndANoteThatCannotBeTakenAwayIsNotTold) {
    StartWithPopup();
    EXPECT_FALSE(popup->Visible());
    EXPECT_EQ(Log(), "none");

    std::vector<std::string> shown;
    const auto show = [&](const std::string& line1, const std::string& line2, int) { shown = {line1, line2}; };
    Note("1.08", 2);
    update::ReportFailedInstall(platform::Current(), "Quodo", kDataFolder, false, show);
    EXPECT_EQ(shown, (std::vector<std::string>{"Installation of version 1.08 failed.", "A file could not be replaced."}));
    EXPECT_EQ(Log(), "7-12-2026.\r\nInstallatie van versie 1.08 mislukt. Een bestand kon niet worden vervangen.\r\n");
    shown.clear();
    Note("1.08", 2);
    registry.RefuseDeletes(true);
    update::ReportFailedInstall(platform::Current(), "Quodo", kDataFolder, false, show);
    EXPECT_TRUE(shown.empty()) << "a note that stays would be told at every start";
}

TEST(InstallOutcomeTexts, TheReasonOnlyWhenItIsKnown) {
    EXPECT_EQ(update::FailedInstallLines(false, {"1.07", update::InstallFailure::ProgramStillRunning}).second,
              "The program was still running.");
    const update::FailedInstall unknown{"1.08", update::InstallFailure::Unknown};
    EXPECT_EQ(update::FailedInstallLines(true, unknown).second, "");
    EXPECT_EQ(update::FailedInstallLogLine(unknown), "Installatie van versie 1.08 mislukt.");
}

}  // namespace
}  // namespace apptest
