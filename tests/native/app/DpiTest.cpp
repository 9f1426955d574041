// The main window and the settings dialog on screens of 96, 120, 144 and 192 dpi: sizes and fonts
// scaled, stored places in the screen's pixels, the bar kept in place by a mode switch, and the
// main menu opened from the keyboard at the bar.
#include "AppFixture.h"

namespace apptest {
namespace {

ui::Rect OnScreen(const ui::Control& control) {
    ui::Rect r = control.DeviceBounds();
    for (const ui::Control* c = control.Parent(); c; c = c->Parent()) {
        const ui::Rect p = c->DeviceBounds();
        r = {r.left + p.left, r.top + p.top, r.right + p.left, r.bottom + p.top};
    }
    return r;
}

TEST_F(AppTest, AtEveryDpiTheMainWindowScalesItsSizesAndFontsAndStoresItsPlaceInPixels) {
    for (const int dpi : {96, 120, 144, 192}) {
        backend.dpi = dpi;
        const ui::Scale scale(dpi);
        SetStored("MainLeft", 201);
        SetStored("MainTop", 301);
        auto& f = Start();
        EXPECT_EQ(f.DeviceBounds(), (ui::Rect{201, 301, 201 + scale.ToDevice(250), 301 + scale.ToDevice(213)})) << dpi;
        EXPECT_EQ(OnScreen(f.KoersPanel).bottom, 301 + scale.ToDevice(213)) << "the bar closes the window";
        EXPECT_EQ(f.Label2.DeviceFont().height, scale.ToDevice(15));
        EXPECT_EQ(f.Label2.DeviceBounds().left, f.Label1.DeviceBounds().right) << "the labels touch";
        EXPECT_EQ(f.ButtonInfo.DeviceBounds().right - f.ButtonInfo.DeviceBounds().left, scale.ToDevice(20));
        f.FormDestroy();
        EXPECT_EQ(StoredInteger("MainLeft"), 201) << dpi;
        EXPECT_EQ(StoredInteger("MainTop"), 301);
        options.reset();
        form.reset();
    }
}

TEST_F(AppTest, At144DpiAModeSwitchKeepsTheBarInPlaceAndComesBackToTheSamePixel) {
    backend.dpi = 144;
    SetStored("MainTop", 301);
    auto& f = Start();
    backend.Advance(100);
    const int barTop = OnScreen(f.KoersPanel).top;
    f.AltijdopvoorgrondClick();
    EXPECT_NEAR(OnScreen(f.KoersPanel).top, barTop, ui::Scale(144).ToDevice(3) + 1);
    EXPECT_EQ(f.DeviceBounds().bottom - f.DeviceBounds().top, ui::Scale(144).ToDevice(23));
    f.AltijdopvoorgrondClick();
    EXPECT_EQ(f.ScreenPlace().y, 301);
}

TEST_F(AppTest, TheKeyboardOpensTheMainMenuAtTheBar) {
    backend.dpi = 144;
    auto& f = Start();
    EXPECT_TRUE(f.OpenContextMenu());
    ASSERT_EQ(backend.popups.size(), 1u);
    EXPECT_EQ(backend.popups[0].menu, "PopupMenu");
    const ui::Rect bar = OnScreen(f.KoersPanel);
    EXPECT_NEAR(backend.popups[0].x, bar.left, 1);
    EXPECT_NEAR(backend.popups[0].y, bar.top, 1);
}

TEST_F(AppTest, At144DpiTheSettingsDialogIsCentredAndStoredInPixels) {
    backend.dpi = 144;
    backend.screen = {1920, 1200};
    Start();
    const ui::Rect placed = options->DeviceBounds();
    EXPECT_EQ(placed.right - placed.left - backend.FrameSize(ui::BorderStyle::Single, 144).width, 776);  // 517 scaled
    EXPECT_EQ(placed.top, (1200 - (placed.bottom - placed.top)) / 2);
    options->Moved(901, 333);
    options->FormDestroy();
    EXPECT_EQ(StoredInteger("ConfigLeft"), 901);
    EXPECT_EQ(StoredInteger("ConfigTop"), 333);
    options->FormCreate();
    EXPECT_EQ(options->ScreenPlace(), (ui::Point{901, 333}));
}

}  // namespace
}  // namespace apptest
