// The window backend on real windows: classes, texts, places, visibility, topmost state, fonts
// and timers, as another program (a screen reader, UI automation) sees them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "BackendSuite.h"
#include "win32/Win32Backend.h"

namespace {

class TestForm : public ui::Form {
public:
    TestForm() : ui::Form("TTestForm", "TestForm") {
        SetBounds(40, 50, 300, 100);
        panel.alignBottom = true;
        panel.SetHeight(23);
        ui::Font f;
        f.height = 15;
        label.SetFont(f);
        label.SetBounds(48, 1, 0, 0);
        Realize();
    }
    ui::Panel panel{this, "Panel"};
    ui::Label label{&panel, "Label"};
    ui::SpeedButton button{&panel, "Button", "check"};
    ui::Image picture{this, "Picture"};
    ui::Label wait{this, "Wait"};
};

std::string ClassOf(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string TextOf(HWND h) {
    char text[256] = {};
    SendMessageA(h, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

RECT ScreenRect(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r;
}

class Win32BackendTest : public BackendSuite {};

TEST_F(Win32BackendTest, ControlsAreRealWindowsNamedAfterTheirKinds) {
    TestForm form;
    HWND h = win32::HandleOf(form);
    ASSERT_TRUE(h);
    EXPECT_EQ(ClassOf(h), "TTestForm");
    EXPECT_EQ(ClassOf(win32::HandleOf(form.panel)), "TPanel");
    EXPECT_EQ(ClassOf(win32::HandleOf(form.label)), "TLabel");
    EXPECT_EQ(ClassOf(win32::HandleOf(form.button)), "TSpeedButton");
    EXPECT_EQ(GetParent(win32::HandleOf(form.label)), win32::HandleOf(form.panel));
    // Each child carries its place among its parent's controls as its id.
    EXPECT_EQ(GetDlgCtrlID(win32::HandleOf(form.label)), 1);
    EXPECT_EQ(GetDlgCtrlID(win32::HandleOf(form.button)), 2);
    EXPECT_EQ(GetDlgCtrlID(win32::HandleOf(form.wait)), 3);
    EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(Win32BackendTest, TextsPlacesAndVisibilityReachTheWindows) {
    TestForm form;
    form.SetCaption("Quodo, versie 1.06");
    form.label.SetText("AEX: ");
    form.ShowForm();
    HWND h = win32::HandleOf(form);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(TextOf(h), "Quodo, versie 1.06");
    EXPECT_EQ(TextOf(win32::HandleOf(form.label)), "AEX: ");

    RECT r = ScreenRect(h);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 100);
    RECT p = ScreenRect(win32::HandleOf(form.panel));
    EXPECT_EQ(p.top, 50 + 100 - 23);
    EXPECT_EQ(p.right - p.left, 300);

    // The label's size follows its text as the font measures it.
    const int narrow = form.label.Width();
    form.label.SetText("AEX: 905,10");
    EXPECT_GT(form.label.Width(), narrow);
    RECT l = ScreenRect(win32::HandleOf(form.label));
    EXPECT_EQ(l.right - l.left, form.label.Width());
    EXPECT_EQ(l.left, p.left + 48);

    form.SetBounds(60, 70, 385, 23);
    r = ScreenRect(h);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 23);
    EXPECT_EQ(ScreenRect(win32::HandleOf(form.panel)).top, 70);

    form.button.Hide();
    EXPECT_FALSE(IsWindowVisible(win32::HandleOf(form.button)));
    form.button.Show();
    EXPECT_TRUE(IsWindowVisible(win32::HandleOf(form.button)));
}

TEST_F(Win32BackendTest, TopmostStateIsTheWindowsOwn) {
    TestForm form;
    form.ShowForm();
    HWND h = win32::HandleOf(form);
    form.SetTopmost(true);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    form.SetTopmost(false);
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Win32BackendTest, PanelsLieAboveAndLaterSiblingsAboveEarlierOnes) {
    TestForm form;
    HWND top = GetWindow(win32::HandleOf(form), GW_CHILD);
    EXPECT_EQ(top, win32::HandleOf(form.panel));
    EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), win32::HandleOf(form.wait));
    EXPECT_EQ(GetWindow(win32::HandleOf(form.wait), GW_HWNDNEXT), win32::HandleOf(form.picture));
}

TEST_F(Win32BackendTest, ABevelLiesBehindWhatItFramesWhateverTheOrder) {
    ui::Form form("TTestForm", "BevelForm");
    ui::Label notice{&form, "Notice"};
    ui::Bevel frame{&form, "Frame", ui::BevelShape::Frame};
    ui::SpeedButton button{&form, "Button", "info"};
    form.Realize();
    HWND top = GetWindow(win32::HandleOf(form), GW_CHILD);
    EXPECT_EQ(top, win32::HandleOf(button));
    EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), win32::HandleOf(notice));
    EXPECT_EQ(GetWindow(win32::HandleOf(notice), GW_HWNDNEXT), win32::HandleOf(frame));
}

// What a work posts from its thread runs on the window thread, in order, from the loop; one-shot
// timers run once unless called off; a timer stopped while its tick was due never ticks.
TEST_F(Win32BackendTest, TheLoopRunsWhatWorksPostOneShotTimersAndNoTickOfAStoppedTimer) {
    TestForm form;
    ui::App().SetMainForm(&form);
    std::vector<std::string> seen;
    ui::Timer stopped(form, "Stopped", 10, true);
    stopped.onTimer = [&] { seen.push_back("stopped timer"); };
    Sleep(50);
    stopped.Stop();
    const DWORD windowThread = GetCurrentThreadId();
    const std::shared_ptr<platform::Mailbox> mail = backend->Mail();
    backend->StartWork([&, mail] {
        const bool offTheWindowThread = GetCurrentThreadId() != windowThread;
        for (int i = 1; i <= 3; ++i)
            mail->Post([&, i, offTheWindowThread] {
                seen.push_back(std::to_string(i) + (offTheWindowThread ? "" : " on the window thread!"));
                if (GetCurrentThreadId() != windowThread) seen.push_back("posted item off the window thread!");
                if (i < 3) return;
                const uint64_t never = backend->After(20, [&] { seen.push_back("called off"); });
                backend->After(40, [&] { seen.push_back("once"); });
                backend->CancelAfter(never);
                backend->After(300, [] { ui::App().Terminate(); });
            });
    });
    backend->Run(form);
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "once"}));
}

TEST_F(Win32BackendTest, ChangingTheIntervalStartsAFullPeriodOfTheNewLength) {
    TestForm form;
    ui::Timer timer(form, "T", 10000, true);
    ui::Timer guard(form, "Guard", 1500, true);
    int ticks = 0;
    bool timedOut = false;
    timer.onTimer = [&] {
        ++ticks;
        ui::App().Terminate();
    };
    guard.onTimer = [&] {
        timedOut = true;
        ui::App().Terminate();
    };
    timer.SetInterval(40);
    ui::App().SetMainForm(&form);
    backend->Run(form);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timedOut);
}

// Reads the message of the first message box titled "Quodo" and closes it, as a person would.
DWORD WINAPI CloseMessageBox(void* result) {
    auto* text = static_cast<std::string*>(result);
    for (int i = 0; i < 400; ++i) {
        if (HWND box = FindWindowA("#32770", "Quodo")) {
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char cls[32] = {};
                GetClassNameA(c, cls, sizeof cls);
                if (std::string(cls) == "Static" && GetWindowTextLengthA(c) > 0) *text = TextOf(c);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

TEST_F(Win32BackendTest, ErrorsInEventsAreShownAndNeverLeaveTheWindowProcedure) {
    TestForm form;
    form.ShowForm();
    int reached = 0;
    form.label.onMouseDown = [&](ui::Control&, ui::MouseButton, int, int) {
        ++reached;
        throw std::runtime_error("'25:99' is not a valid time");
    };
    ui::App().SetTitle("Quodo");
    std::string shown;
    HANDLE closer = CreateThread(nullptr, 0, CloseMessageBox, &shown, 0, nullptr);
    SendMessageA(win32::HandleOf(form.label), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 3));
    WaitForSingleObject(closer, 5000);
    CloseHandle(closer);
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(shown, "'25:99' is not a valid time");
    // The program goes on: the next event is handled as usual.
    form.label.onMouseDown = [&](ui::Control&, ui::MouseButton, int, int) { ++reached; };
    SendMessageA(win32::HandleOf(form.label), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 3));
    EXPECT_EQ(reached, 2);
}

}  // namespace
