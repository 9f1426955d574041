// Start-up, geometry of the two modes, menus, dragging, help and what is stored at the end.
#include "AppFixture.h"

namespace apptest {
namespace {

using ui::MouseButton;

TEST_F(AppTest, FirstStartShowsTheWaitingBarAtTheDefaultPlace) {
    auto& f = Start();
    EXPECT_EQ(f.Caption(), "Quodo, versie 1.06");
    EXPECT_EQ(backend.applicationTitle, "Quodo");
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Left(), 10);
    EXPECT_EQ(f.Top(), 10);
    EXPECT_EQ(f.Width(), 250);
    EXPECT_EQ(f.Height(), 213);
    EXPECT_EQ(f.BackColor(), ui::Rgb(0xF5, 0xF5, 0xF5));
    EXPECT_EQ(f.helpContext, 1000);

    EXPECT_EQ(f.Label1.Text(), "AEX: ");
    EXPECT_EQ(f.Label2.Text(), "*******");
    EXPECT_EQ(f.Label3.Text(), " @ *****");
    EXPECT_EQ(f.Label1.Left(), 48);
    EXPECT_EQ(f.Label2.Left(), 48 + f.Label1.Width());
    EXPECT_EQ(f.Label3.Left(), f.Label2.Left() + f.Label2.Width());

    EXPECT_TRUE(f.LabelWait.Visible());
    EXPECT_EQ(f.LabelWait.Text(), "\r\nWacht op nl.investing.com");
    EXPECT_EQ(f.LabelWait.BackColor(), ui::Rgb(0xFF, 0xFF, 0xE3));

    EXPECT_TRUE(f.Image.Visible());
    EXPECT_EQ(f.Image.Left(), 25);
    EXPECT_EQ(f.Image.Top(), 10);
    EXPECT_EQ(f.Image.Width(), 190);
    EXPECT_EQ(f.Image.Height(), 187);
    EXPECT_EQ(f.KoersPanel.Top(), 190);
    EXPECT_EQ(f.KoersPanel.Width(), 250);
    EXPECT_EQ(f.KoersPanel.Height(), 23);
    EXPECT_EQ(f.ButtonInfo.Left(), 1);
    EXPECT_EQ(f.ButtonMax.Left(), 22);
    EXPECT_FALSE(f.Topmost());
    EXPECT_TRUE(f.GrafiekTimer.Enabled());
}

TEST_F(AppTest, ClosedExchangeMakesTheNormalWindowWiderAndWaitsForTheIexSite) {
    sys.clock.now = fakes::MakeDateTime(2026, 12, 5, 12, 0);  // a Saturday
    auto& f = Start();
    EXPECT_TRUE(state.marketClosed);
    EXPECT_EQ(f.Width(), 262);
    EXPECT_EQ(f.LabelWait.Text(), "\r\nWacht op m.iex.nl");
}

TEST_F(AppTest, PopupMenusCarryTheirCaptionsAndShortcuts) {
    auto& f = Start(false);
    std::vector<std::string> captions, shortcuts;
    for (auto& item : f.PopupMenu.Items()) {
        captions.push_back(item.caption);
        shortcuts.push_back(item.shortcut);
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"Download AEX", "Altijd op voorgrond", "Instellingen...", "-", "Help",
                                                  "Informatie...", "-", "Afsluiten"}));
    EXPECT_EQ(shortcuts, (std::vector<std::string>{"F5", "", "", "", "F1", "", "", ""}));
    ASSERT_EQ(f.InfoPopup.Items().size(), 2u);
    EXPECT_EQ(f.InfoPopup.Items()[0].caption, "Help");
    EXPECT_EQ(f.InfoPopup.Items()[0].shortcut, "F1");
    EXPECT_EQ(f.InfoPopup.Items()[1].caption, "Over Quodo");

    ui::App().Run(f);
    EXPECT_EQ(f.PopupMenu.Find("Altijdopvoorgrond")->caption, "Zet Altijd op Voorgrond");
}

TEST_F(AppTest, SavedPositionsOffScreenAreBroughtBack) {
    SetStored("MainLeft", uint32_t(-500));
    SetStored("MainTop", uint32_t(-20));
    auto& f = Start();
    EXPECT_EQ(f.Left(), 10);
    EXPECT_EQ(f.Top(), 10);
}

TEST_F(AppTest, SavedPositionBeyondTheRightAndBottomEdgeIsPulledIn) {
    backend.screen = {1920, 1080};
    SetStored("MainLeft", 5000);
    SetStored("MainTop", 900);
    auto& f = Start();
    EXPECT_EQ(f.Left(), 1670);
    EXPECT_EQ(f.Top(), 1080 - 40 - 213);  // bottom exactly 40 pixels above the screen's bottom
}

TEST_F(AppTest, SavedPositionsAtTheIntegerLimitsAreBroughtBackAndStoredSo) {
    struct Case { uint32_t left, top; int expectedLeft, expectedTop; };
    const Case cases[] = {
        {0x7FFFFFFFu, 0x7FFFFFFFu, 1280 - 250, 1024 - 40 - 213},
        {0x80000000u, 0x80000000u, 10, 10},
        {0x7FFFFFFFu - 100, 0x7FFFFFFFu - 100, 1280 - 250, 1024 - 40 - 213},
    };
    for (const Case& c : cases) {
        SetStored("MainLeft", c.left);
        SetStored("MainTop", c.top);
        auto& f = Start();
        EXPECT_EQ(f.Left(), c.expectedLeft) << c.left;
        EXPECT_EQ(f.Top(), c.expectedTop) << c.top;
        f.FormDestroy();
        EXPECT_EQ(StoredInteger("MainLeft"), c.expectedLeft) << "written back on the screen";
        EXPECT_EQ(StoredInteger("MainTop"), c.expectedTop);
        form.reset();
    }
}

TEST_F(AppTest, APlaceOnASecondMonitorIsKeptAndADisplayChangeBringsTheWindowBack) {
    // A second monitor left of the primary one, reaching lower.
    const ui::Monitor primary{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
    backend.monitors = {primary, {{-1920, 0, 0, 1200}, {-1920, 0, 0, 1160}}};
    SetStored("MainLeft", uint32_t(-1500));
    SetStored("MainTop", 900);
    auto& f = Start();
    EXPECT_EQ(f.Left(), -1500);
    EXPECT_EQ(f.Top(), 900);

    backend.monitors = {primary};  // the second monitor unplugged
    f.DisplayChanged();
    EXPECT_EQ(f.Left(), 0);
    EXPECT_EQ(f.Top(), 984 - 213);  // inside the nearest work area
    f.DisplayChanged();  // on a monitor already: it stays
    EXPECT_EQ(f.Left(), 0);
}

TEST_F(AppTest, StoredAlwaysOnTopModeStartsAsABarOnly) {
    SetStoredText("Normale Modus", "0");
    auto& f = Start();
    EXPECT_FALSE(state.normalMode);
    EXPECT_EQ(f.Width(), 385);
    EXPECT_EQ(f.Height(), 23);
    EXPECT_FALSE(f.Image.Visible());
    EXPECT_FALSE(f.LabelWait.Visible());
    EXPECT_EQ(f.KoersPanel.Top(), 0);
    EXPECT_EQ(f.PopupMenu.Find("Altijdopvoorgrond")->caption, "Zet Normale modus");
    backend.Advance(100);  // the chart timer applies the topmost state once
    EXPECT_TRUE(f.Topmost());
}

TEST_F(AppTest, ModeSwitchThereAndBackRestoresThePlaceAndStoresEachMode) {
    SetStored("MainTop", 300);
    auto& f = Start();
    backend.Advance(100);
    f.AltijdopvoorgrondClick();
    EXPECT_FALSE(state.normalMode);
    EXPECT_EQ(f.Top(), 487);
    EXPECT_EQ(f.Width(), 385);
    EXPECT_EQ(f.Height(), 23);
    EXPECT_FALSE(f.Image.Visible());
    EXPECT_EQ(f.PopupMenu.Find("Altijdopvoorgrond")->caption, "Zet Normale modus");
    ASSERT_TRUE(Stored("Normale Modus"));
    EXPECT_EQ(Stored("Normale Modus")->data, "0");
    // Not topmost until the next refresh tick applies it.
    EXPECT_FALSE(f.Topmost());

    f.AltijdopvoorgrondClick();
    EXPECT_TRUE(state.normalMode);
    EXPECT_EQ(f.Top(), 300);
    EXPECT_EQ(f.Height(), 213);
    EXPECT_TRUE(f.Image.Visible());
    EXPECT_EQ(Stored("Normale Modus")->data, "1");
}

TEST_F(AppTest, TopmostFollowsTheModeAtTheNextRefreshTickOnly) {
    auto& f = Start();
    backend.Advance(100);
    f.AltijdopvoorgrondClick();
    EXPECT_FALSE(f.Topmost());
    backend.Advance(30 * 1000);  // the refresh interval
    EXPECT_TRUE(f.Topmost());
}

TEST_F(AppTest, WithTheRefreshTimerOffTheBarStaysOrdinary) {
    SetStoredText("DownloadTimer Aan", "0");
    auto& f = Start();
    backend.Advance(2000);
    f.AltijdopvoorgrondClick();
    backend.Advance(10 * 60 * 1000);
    EXPECT_FALSE(f.Topmost());
}

TEST_F(AppTest, ModeSwitchBeforeTheFirstShowDoesNothing) {
    auto& f = Start(false);
    f.AltijdopvoorgrondClick();
    EXPECT_TRUE(state.normalMode);
    EXPECT_EQ(f.Width(), 250);
    EXPECT_FALSE(Stored("Normale Modus"));
}

TEST_F(AppTest, RightButtonOpensTheMenuBesideThePointerByElement) {
    SetStored("MainLeft", 100);
    SetStored("MainTop", 200);
    auto& f = Start();
    RightPress(f, 30, 40);
    RightPress(f.Image, 50, 60);
    RightPress(f.Label2, 5, 6);
    RightPress(f.ButtonInfo, 3, 4);
    ASSERT_EQ(backend.popups.size(), 4u);
    EXPECT_EQ(backend.popups[0].menu, "PopupMenu");
    EXPECT_EQ(backend.popups[0].x, 100 + 30 + 20);
    EXPECT_EQ(backend.popups[0].y, 200 + 40 - 55);
    EXPECT_EQ(backend.popups[1].x, 25 + 100 + 50 - 300);
    EXPECT_EQ(backend.popups[1].y, 200 + 60 - 55);
    EXPECT_EQ(backend.popups[2].x, f.Label2.Left() + 100 + 5 + 20);
    EXPECT_EQ(backend.popups[2].y, 200 + 6 - 55);
    EXPECT_EQ(backend.popups[3].x, 1 + 100 + 3 + 20);
    EXPECT_FALSE(f.Dragging());
}

TEST_F(AppTest, InfoButtonOpensTheInfoMenuAtItsCorner) {
    SetStored("MainLeft", 100);
    SetStored("MainTop", 200);
    auto& f = Start();
    f.ButtonInfo.Click();
    ASSERT_EQ(backend.popups.size(), 1u);
    EXPECT_EQ(backend.popups[0].menu, "InfoPopup");
    EXPECT_EQ(backend.popups[0].x, 1 + 100 + 30);
    EXPECT_EQ(backend.popups[0].y, f.ButtonInfo.Top() + 200 + 20);
}

TEST_F(AppTest, DraggingFromALabelMovesTheWindowLikeTheBackground) {
    auto& f = Start();
    f.Label2.MouseDown(MouseButton::Left, 5, 5);
    EXPECT_TRUE(f.Dragging());
    // Each move is reported relative to the label, which moves with the window.
    f.Label2.MouseMove(MouseButton::Left, 15, 25);
    EXPECT_EQ(f.Left(), 20);
    EXPECT_EQ(f.Top(), 30);
    f.Label2.MouseMove(MouseButton::Left, 5 - 300, 5 - 100);  // far off screen: no limits while dragging
    EXPECT_EQ(f.Left(), -280);
    EXPECT_EQ(f.Top(), -70);
    f.Label2.MouseUp(MouseButton::Left, 0, 0);
    EXPECT_FALSE(f.Dragging());
    f.Label2.MouseMove(MouseButton::Left, 50, 50);
    EXPECT_EQ(f.Left(), -280);

    f.MouseDown(MouseButton::Left, 10, 10);
    f.MouseMove(MouseButton::Left, 20, 30);
    EXPECT_EQ(f.Left(), -270);
    EXPECT_EQ(f.Top(), -50);
    f.MouseUp(MouseButton::Right, 0, 0);  // any button ends the drag
    EXPECT_FALSE(f.Dragging());

    f.MouseDown(MouseButton::Middle, 10, 10);
    EXPECT_FALSE(f.Dragging());
    EXPECT_TRUE(backend.popups.empty());
}

TEST_F(AppTest, MenuCommandsReachTheirHandlers) {
    auto& f = Start();
    backend.Advance(100);
    backend.nextMenuChoice = "Altijdopvoorgrond";
    RightPress(f, 1, 1);
    EXPECT_FALSE(state.normalMode);
    backend.nextMenuChoice = "Afsluiten1";
    RightPress(f, 1, 1);
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_TRUE(f.RunShortcut("F5"));  // Download AEX
}

TEST_F(AppTest, HelpOpensTheFileBesideTheProgramAndInTheStartFolder) {
    files.AddFolder("D:\\Werk");
    files.currentDirectory = "D:\\Werk";
    auto& f = Start();
    EXPECT_FALSE(help.loaded);  // loaded at the first help request, not at start
    EXPECT_EQ(f.HelpFilePath(), "C:\\Program Files\\Quodo\\Quodo.chm");
    EXPECT_EQ(f.StartDir(), "D:\\Werk\\");
    EXPECT_TRUE(ui::App().Help(ui::kHelpContext, 1000));
    EXPECT_TRUE(ui::App().Help(ui::kHelpContextPopup, 32150));
    EXPECT_TRUE(ui::App().Help(2, 7));  // other commands are reported handled too
    backend.nextMenuChoice = "Help2";
    RightPress(f, 1, 1);
    ASSERT_EQ(help.calls.size(), 3u);
    EXPECT_FALSE(help.calls[0].ownerDesktop);
    EXPECT_EQ(help.calls[0].file, "C:\\Program Files\\Quodo\\Quodo.chm");
    EXPECT_EQ(help.calls[0].command, 15u);
    EXPECT_EQ(help.calls[0].data, 1000u);
    EXPECT_EQ(help.calls[1].data, 32150u);
    EXPECT_TRUE(help.calls[2].ownerDesktop);
    EXPECT_EQ(help.calls[2].file, "D:\\Werk\\Quodo.chm");
    EXPECT_EQ(help.calls[2].command, 0u);
    EXPECT_TRUE(backend.messages.empty());
}

TEST_F(AppTest, MissingHelpFileIsReportedAndTheProgramRunsOn) {
    files.files.erase("C:\\Program Files\\Quodo\\Quodo.chm");
    auto& f = Start();
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "Help file not found\rC:\\Program Files\\Quodo\\Quodo.chm");
    EXPECT_EQ(backend.messages[0].caption, "Quodo");
    EXPECT_TRUE(f.Visible());
}

TEST_F(AppTest, WithoutTheHelpLibraryTheProgramEndsBeforeShowing) {
    help.available = false;
    auto& f = Start();
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "HTML Help is not installed on this PC.");
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_FALSE(f.Visible());
}

TEST_F(AppTest, AHelpLibraryThatCannotLoadAtTheFirstRequestIsReportedThenAndTheProgramRunsOn) {
    help.loadable = false;
    auto& f = Start();
    EXPECT_TRUE(backend.messages.empty());
    ui::App().Help(ui::kHelpContext, 1000);
    ASSERT_EQ(backend.messages.size(), 1u);
    EXPECT_EQ(backend.messages[0].text, "HTML Help is not installed on this PC.");
    EXPECT_TRUE(help.calls.empty());
    EXPECT_FALSE(ui::App().Terminated());
    EXPECT_TRUE(f.Visible());
}

TEST_F(AppTest, EndOfProgramStoresThePositionAndRestoresTheHelpHook) {
    bool earlierHookCalled = false;
    ui::App().onHelp = [&](unsigned, unsigned long) { return earlierHookCalled = true; };
    auto& f = Start();
    f.SetBounds(123, 45, f.Width(), f.Height());
    f.FormDestroy();
    ASSERT_TRUE(Stored("MainLeft"));
    EXPECT_EQ(Stored("MainLeft")->type, platform::kRegDword);
    EXPECT_EQ(Stored("MainLeft")->data, std::string("\x7b\0\0\0", 4));
    EXPECT_EQ(Stored("MainTop")->data, std::string("\x2d\0\0\0", 4));
    EXPECT_FALSE(help.loaded);
    ui::App().Help(ui::kHelpContext, 1);
    EXPECT_TRUE(earlierHookCalled);
}

TEST_F(AppTest, StartCopiesTheFallbackPictureIntoTheDataFolder) {
    files.AddFile(std::string(kStartFolder) + "ErrorGraph.png", "the fallback picture", 0);
    ASSERT_FALSE(files.FileExists(std::string(kDataFolder) + "ErrorGraph.png"));
    Start();
    EXPECT_EQ(state.dataFolder, kDataFolder);
    EXPECT_EQ(files.ReadFile(std::string(kDataFolder) + "ErrorGraph.png"), "the fallback picture");
    EXPECT_EQ(files.currentDirectory + "\\", kStartFolder) << "the start folder is current again";

    // At every start: a copy left from an earlier run is replaced.
    form.reset();
    files.AddFile(std::string(kStartFolder) + "ErrorGraph.png", "a newer fallback picture", 0);
    Start();
    EXPECT_EQ(files.ReadFile(std::string(kDataFolder) + "ErrorGraph.png"), "a newer fallback picture");
}

}  // namespace
}  // namespace apptest
