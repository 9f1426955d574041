// The dialog side of the window backend on real windows: framed forms and their client area, the
// system controls behind check boxes, buttons, number fields and memos, the keyboard, modal forms.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "BackendSuite.h"
#include "win32/Win32Backend.h"

namespace {

std::string ClassOf(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

class Dialog : public ui::Form {
public:
    explicit Dialog(ui::BorderStyle border = ui::BorderStyle::Single) : ui::Form("TTestDialog", "Dialog") {
        SetBorder(border);
        SetBounds(100, 100, 0, 0);
        SetClientSize(400, 200);
        group.SetBounds(10, 10, 200, 120);
        group.SetText(" Group ");
        seconds.SetBounds(10, 30, 60, 24);
        seconds.minValue = 10;
        seconds.maxValue = 600;
        seconds.SetValue(30);
        check.SetBounds(10, 70, 150, 20);
        check.SetText("Check");
        memo.SetBounds(220, 10, 120, 100);
        memo.border = false;
        ok.SetBounds(220, 150, 80, 30);
        ok.SetText("OK");
        ok.modalResult = ui::kResultOk;
        Realize();
    }
    ui::GroupBox group{this, "Group"};
    ui::SpinEdit seconds{&group, "Seconds"};
    ui::CheckBox check{&group, "Check"};
    ui::Memo memo{this, "Memo"};
    ui::Button ok{this, "OK"};
};

class DialogWindowsTest : public BackendSuite {
protected:
    static HWND Child(HWND parent, const char* cls) { return FindWindowExA(parent, nullptr, cls, nullptr); }
};

TEST_F(DialogWindowsTest, FramedFormsHaveTheirTitleBarAndTheClientAreaAsked) {
    for (auto border : {ui::BorderStyle::Single, ui::BorderStyle::Dialog, ui::BorderStyle::DialogNoSystemMenu}) {
        Dialog d(border);
        HWND h = win32::HandleOf(d);
        RECT client;
        GetClientRect(h, &client);
        EXPECT_EQ(client.right, 400);
        EXPECT_EQ(client.bottom, 200);
        RECT outer;
        GetWindowRect(h, &outer);
        EXPECT_EQ(outer.right - outer.left, d.Width());
        const LONG style = GetWindowLongA(h, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_EQ((style & WS_SYSMENU) != 0, border != ui::BorderStyle::DialogNoSystemMenu);
    }
}

TEST_F(DialogWindowsTest, ControlsAreTheSystemsOwnWhereTheKeyboardMatters) {
    Dialog d;
    EXPECT_EQ(ClassOf(win32::HandleOf(d.group)), "TGroupBox");
    EXPECT_EQ(ClassOf(win32::HandleOf(d.check)), "Button");
    EXPECT_EQ(ClassOf(win32::HandleOf(d.ok)), "Button");
    EXPECT_EQ(ClassOf(win32::HandleOf(d.memo)), "Edit");
    HWND spin = win32::HandleOf(d.seconds);
    EXPECT_EQ(ClassOf(spin), "TSpinEdit");
    EXPECT_TRUE(Child(spin, "Edit"));
    EXPECT_TRUE(Child(spin, UPDOWN_CLASSA));
}

TEST_F(DialogWindowsTest, NumberFieldKeepsTypedTextUntilLeftAndTheArrowsStep) {
    Dialog d;
    d.ShowForm();
    HWND edit = Child(win32::HandleOf(d.seconds), "Edit");
    SetFocus(edit);
    SetWindowTextA(edit, "3");  // as typing does: the edit tells its parent of the change
    EXPECT_EQ(d.seconds.Text(), "3");
    EXPECT_EQ(d.seconds.Value(), 3);
    SetFocus(win32::HandleOf(d.check));  // leaving the field
    EXPECT_EQ(d.seconds.Text(), "10");
    char shown[16] = {};
    GetWindowTextA(edit, shown, sizeof shown);
    EXPECT_STREQ(shown, "10");

    NMUPDOWN up{};
    up.hdr.hwndFrom = Child(win32::HandleOf(d.seconds), UPDOWN_CLASSA);
    up.hdr.code = UDN_DELTAPOS;
    up.iDelta = 1;
    SendMessageA(win32::HandleOf(d.seconds), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&up));
    EXPECT_EQ(d.seconds.Value(), 11);
}

TEST_F(DialogWindowsTest, ButtonsAndCheckBoxesClickAsTheSystemClicksThem) {
    Dialog d;
    d.ShowForm();
    int clicks = 0;
    d.ok.onClick = [&] { ++clicks; };
    SendMessageA(win32::HandleOf(d.ok), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    SendMessageA(win32::HandleOf(d.check), BM_CLICK, 0, 0);
    EXPECT_TRUE(d.check.Checked());
    EXPECT_EQ(SendMessageA(win32::HandleOf(d.check), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(DialogWindowsTest, MemoCountsTheLinesTheSystemWrapsItsTextInto) {
    Dialog d;
    EXPECT_EQ(d.memo.DisplayedLineCount(), 0);
    d.memo.Add("Kort.");
    EXPECT_EQ(d.memo.DisplayedLineCount(), 1);
    d.memo.Add("Een regel die veel te lang is voor dit smalle vak en dus afbreekt");
    EXPECT_GT(d.memo.DisplayedLineCount(), 2);
}

TEST_F(DialogWindowsTest, TheTabKeyMovesTheKeyboardThroughTheMessageLoop) {
    Dialog d;
    ui::App().SetMainForm(&d);
    d.ShowForm();
    HWND edit = Child(win32::HandleOf(d.seconds), "Edit");
    SetForegroundWindow(win32::HandleOf(d));
    SetFocus(edit);
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    ui::Timer check(d, "Check", 50, true);
    check.onTimer = [&] { ui::App().Terminate(); };
    backend->Run(d);
    EXPECT_EQ(GetFocus(), win32::HandleOf(d.check));
    EXPECT_TRUE(d.check.Focused());
}

// Presses a form's button once the form has been shown modally.
DWORD WINAPI PressWhenShown(void* button) {
    HWND h = static_cast<HWND>(button);
    for (int i = 0; i < 500 && !IsWindowVisible(GetAncestor(h, GA_ROOT)); ++i) Sleep(10);
    PostMessageA(h, BM_CLICK, 0, 0);
    return 0;
}

TEST_F(DialogWindowsTest, AModalFormDisablesTheOthersUntilItEndsAndGivesTheActivationBack) {
    Dialog main(ui::BorderStyle::Single);
    ui::App().SetMainForm(&main);
    main.ShowForm();
    SetForegroundWindow(win32::HandleOf(main));
    Dialog modal(ui::BorderStyle::Dialog);
    bool mainEnabledMeanwhile = true;
    modal.ok.onClick = [&] { mainEnabledMeanwhile = IsWindowEnabled(win32::HandleOf(main)) != FALSE; };
    HANDLE presser = CreateThread(nullptr, 0, PressWhenShown, win32::HandleOf(modal.ok), 0, nullptr);
    EXPECT_EQ(modal.ShowModal(), ui::kResultOk);
    WaitForSingleObject(presser, 5000);
    CloseHandle(presser);
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(win32::HandleOf(main)));
    EXPECT_FALSE(IsWindowVisible(win32::HandleOf(modal)));
    EXPECT_EQ(GetActiveWindow(), win32::HandleOf(main));
}

TEST_F(DialogWindowsTest, TheMainFormIsActiveOnceTheLoopRuns) {
    Dialog main(ui::BorderStyle::None);
    ui::App().SetMainForm(&main);
    main.ShowForm();
    HWND active = nullptr;
    ui::Timer check(main, "Check", 20, true);
    check.onTimer = [&] {
        active = GetActiveWindow();
        ui::App().Terminate();
    };
    backend->Run(main);
    EXPECT_EQ(active, win32::HandleOf(main));
}

// Waits until a popup menu shows, notes how often a timer had fired by then, and closes the menu.
struct MenuWatch {
    std::atomic<int>* ticks;
    int ticksWhileOpen = -1;
};

DWORD WINAPI CloseMenuWhenShown(void* param) {
    auto* watch = static_cast<MenuWatch*>(param);
    HWND menu = nullptr;
    for (int i = 0; i < 500 && !(menu = FindWindowA("#32768", nullptr)); ++i) Sleep(10);
    Sleep(200);  // ten periods of the timer
    watch->ticksWhileOpen = *watch->ticks;
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    return 0;
}

// A popup menu runs a loop of its own; the program's timers tick in it as they tick anywhere (the
// refresh keeps its interval while a menu is open), and a timer stopped there ticks no more.
TEST_F(DialogWindowsTest, TimersTickWhileAPopupMenuIsOpenAndAStoppedOneTicksNoMore) {
    Dialog main(ui::BorderStyle::None);
    ui::App().SetMainForm(&main);
    main.ShowForm();
    std::atomic<int> ticks{0};
    ui::Timer timer(main, "Refresh", 20, true);
    timer.onTimer = [&] { ++ticks; };
    ui::PopupMenu menu("Menu");
    menu.Add("Item", "Item");
    MenuWatch watch{&ticks};
    int ticksAfterStop = -1;
    ui::Timer open(main, "Open", 10, true);
    open.onTimer = [&] {
        open.Stop();
        ticks = 0;
        HANDLE closer = CreateThread(nullptr, 0, CloseMenuWhenShown, &watch, 0, nullptr);
        menu.Popup(50, 50);
        timer.Stop();
        ticksAfterStop = ticks;
        WaitForSingleObject(closer, 10000);
        CloseHandle(closer);
    };
    ui::Timer check(main, "Check", 600, true);
    check.onTimer = [&] { ui::App().Terminate(); };
    backend->Run(main);
    EXPECT_GE(watch.ticksWhileOpen, 3);
    EXPECT_EQ(ticks, ticksAfterStop);
}

}  // namespace

namespace {

TEST_F(DialogWindowsTest, AfterAModalDialogTheMainFormStillGoesTopmostAndTheHiddenDialogDoesNot) {
    Dialog main(ui::BorderStyle::None);
    ui::App().SetMainForm(&main);
    main.ShowForm();
    Dialog modal(ui::BorderStyle::Single);
    const auto onTop = [](const ui::Form& f) {
        return (GetWindowLongA(win32::HandleOf(f), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    };
    for (bool mainOnTop : {false, true, false}) {
        main.SetTopmost(mainOnTop);
        bool modalOnTopWhileShown = !mainOnTop;
        modal.ok.onClick = [&] { modalOnTopWhileShown = onTop(modal); };
        HANDLE presser = CreateThread(nullptr, 0, PressWhenShown, win32::HandleOf(modal.ok), 0, nullptr);
        EXPECT_EQ(modal.ShowModal(), ui::kResultOk);
        WaitForSingleObject(presser, 5000);
        CloseHandle(presser);
        EXPECT_EQ(modalOnTopWhileShown, mainOnTop);  // above its owner while it shows
        EXPECT_FALSE(onTop(modal));
    }
    main.SetTopmost(true);
    EXPECT_TRUE(onTop(main));
    EXPECT_FALSE(onTop(modal));
    SetWindowPos(win32::HandleOf(main), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    main.SetTopmost(true);  // asked again, the window's own state is put right
    EXPECT_TRUE(onTop(main));
}

}  // namespace
