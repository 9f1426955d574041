// The settings dialog's number fields on real windows, in the dialog's own font: the longest value
// each one takes fits in its edit, at 100 % and at 150 %.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../ui/BackendSuite.h"
#include "settings/Options.h"
#include "win32/Win32Backend.h"

namespace {

struct NoTicker : settings::TickerControl {
    bool NormalMode() const override { return true; }
    void SwitchMode() override {}
    void SetRefresh(unsigned, bool) override {}
    void SetUpdateCheck(bool) override {}
    void SetAlarmSwitches(bool, bool) override {}
    void ShowAlarm(bool) override {}
};

// How far the text's width falls short of the edit's formatting rectangle (negative: it is cut off).
int RoomLeft(const ui::SpinEdit& field, const std::string& text) {
    const HWND edit = FindWindowExA(win32::HandleOf(field), nullptr, "Edit", nullptr);
    RECT inner{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&inner));
    const HDC dc = GetDC(edit);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    return (inner.right - inner.left) - size.cx;
}

class OptionsFieldsTest : public BackendSuite {};

TEST_F(OptionsFieldsTest, FourDigitBoundsAndTheLongestIntervalFitAtEveryScale) {
    NoTicker ticker;
    settings::TOptionsForm options(ticker, "Quodo");
    options.Realize();
    for (int dpi : {96, 144}) {
        options.SetDpi(dpi);
        for (ui::SpinEdit* bound : {&options.SpinBoven, &options.SpinOnder})
            EXPECT_GE(RoomLeft(*bound, "9999"), 0) << bound->Name() << " at " << dpi << " dpi";
        EXPECT_GE(RoomLeft(options.SecondsEdit, "600"), 0) << "at " << dpi << " dpi";
    }
}

}  // namespace
