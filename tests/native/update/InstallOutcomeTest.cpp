// The note an installer that the update started leaves when the install failed: told once, at the
// program's first show, in the message popup over the main window and in "Error.log".
#include "../app/AppFixture.h"
#include "dialogs/MessForm.h"
#include "update/InstallOutcome.h"

namespace apptest {
namespace {

class InstallOutcomeTest : public AppTest {};

TEST_F(InstallOutcomeTest, AFailedInstallIsToldOnceOverTheMainWindowAndInErrorLog) {
    const char* const note = "Software\\Quodo\\Update";
    registry.CreateKey(note);
    registry.SetString(note, "FailedVersion", "1.07");
    registry.SetDword(note, "FailedReason", 1);
    auto& main = Start(false);
    dialogs::TMessageForm popup;
    app::ConnectInstallOutcome(main, popup);
    ui::App().Run(main);
    EXPECT_TRUE(popup.Visible());
    EXPECT_EQ(popup.MessageMemo.Lines(),
              (std::vector<std::string>{"Installatie van versie 1.07 is mislukt.", "Het programma was nog actief."}));
    EXPECT_EQ(popup.Top(), main.Top() + (main.Height() - popup.Height()) / 2);
    EXPECT_EQ(files.ReadFile(std::string(kDataFolder) + "Error.log"),
              "7-12-2026.\r\nInstallatie van versie 1.07 mislukt. Het programma was nog actief.\r\n");
    EXPECT_FALSE(options->GeluidCheck.Enabled()) << "the first show's other work still runs";

    // Told once: the note is gone, and one that cannot be taken away is not told (at every start).
    EXPECT_FALSE(registry.Query(note, "FailedVersion").has_value());
    registry.SetString(note, "FailedVersion", "1.07");
    registry.RefuseDeletes(true);
    update::ReportFailedInstall(platform::Current(), "Quodo", kDataFolder, true,
                                [](const std::string&, const std::string&, int) { ADD_FAILURE() << "told"; });
}

// Anyone running as the user can write the note: it is told only when it names a version, and
// nothing of any other text reaches the popup or the log.
TEST(FailedInstallText, OnlyAVersionTextIsToldAndAnotherInstallationAsAReason) {
    EXPECT_EQ(update::FailedInstallLogLine({"1.07a", update::InstallFailure::AnotherInstallRunning}),
              "Installatie van versie 1.07a mislukt. Er was nog een andere installatie bezig.");
    for (const std::string version : {"1.07\r\nHet programma is veilig.", "https://q.example/1.07", "17.07"}) {
        const update::FailedInstall note{version, update::InstallFailure::Unknown};
        EXPECT_EQ(update::FailedInstallLogLine(note), "Installatie van een onbekende versie mislukt.");
        EXPECT_EQ(update::FailedInstallLines(false, note).first, "Installation of an unknown version failed.");
    }
}

}  // namespace
}  // namespace apptest
