// The one factor between the forms' 96-dpi units and a window's pixels: its rounding, the pictures
// resampled for it, and forms laid out at 96, 120, 144 and 192 dpi and moved between them.
#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Headless.h"

namespace {

TEST(Scale, RoundsAsMulDivAndBackToTheNearestOrUp) {
    struct Case { int dpi, value, device, back; };
    const Case cases[] = {{96, 7, 7, 7},   {120, 2, 3, 2},  {120, 5, 6, 5},    {144, 1, 2, 1},
                          {144, -3, -5, -3}, {144, 15, 23, 15}, {192, 23, 46, 23}};
    for (const Case& c : cases) {
        const ui::Scale scale(c.dpi);
        EXPECT_EQ(scale.ToDevice(c.value), c.device) << c.dpi << " " << c.value;
        EXPECT_EQ(scale.FromDevice(c.device), c.back) << c.dpi << " " << c.value;
    }
    EXPECT_EQ(ui::Scale(144).FromDeviceUp(100), 67);  // 66.7: room for every pixel
    EXPECT_EQ(ui::Scale(144).FromDeviceUp(99), 66);
    EXPECT_EQ(ui::Scale(0).Dpi(), 96);
}

ui::Bitmap Row(std::vector<uint32_t> pixels) { return {int(pixels.size()), 1, std::move(pixels)}; }

TEST(Resampled, WholeFactorsRepeatPixelsAndOtherFactorsBlendOnlyTheSeams) {
    constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;
    const ui::Bitmap blackWhite = Row({kBlack, kWhite});
    EXPECT_EQ(ui::Resampled(blackWhite, 4, 1).pixels, (std::vector<uint32_t>{kBlack, kBlack, kWhite, kWhite}));
    EXPECT_EQ(ui::Resampled(blackWhite, 3, 1).pixels, (std::vector<uint32_t>{kBlack, 0xFF808080, kWhite}));
    // A transparent pixel (here black) lends no colour to the edge it makes, only its transparency.
    EXPECT_EQ(ui::Resampled(Row({kRed, 0}), 3, 1).pixels, (std::vector<uint32_t>{kRed, 0x80FF0000, 0}));
    const ui::Bitmap same = ui::Resampled(blackWhite, 2, 1);
    EXPECT_EQ(same.pixels, blackWhite.pixels);
    EXPECT_TRUE(ui::Resampled(ui::Bitmap{}, 3, 3).pixels == std::vector<uint32_t>(9, 0u));
}

class ScaledFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        ui::App() = ui::Application();
    }

    // A dialog with a title bar: a label and a bar along its bottom.
    struct Dialog : ui::Form {
        Dialog() : ui::Form("TDialog", "Dialog") {
            SetBorder(ui::BorderStyle::Single);
            SetClientSize(200, 100);
            bar.alignBottom = true;
            bar.SetHeight(23);
            ui::Font font;
            font.height = 14;
            label.SetFont(font);
            label.SetLeft(10);
            label.SetText("Koers 905,10");
        }
        ui::Panel bar{this, "Bar"};
        ui::Label label{this, "Label"};
    };

    ui::HeadlessBackend backend;
};

TEST_F(ScaledFormTest, EverySizePlaceAndFontIsScaledByTheWindowsDpiAndItsScreenPlaceIsKept) {
    for (const int dpi : {96, 120, 144, 192}) {
        backend.dpi = dpi;
        const ui::Scale scale(dpi);
        Dialog form;
        form.PlaceOnScreen(300, 200);
        const ui::Size frame = backend.FrameSize(ui::BorderStyle::Single, dpi);
        EXPECT_EQ(form.DeviceBounds(), (ui::Rect{300, 200, 300 + scale.ToDevice(200) + frame.width,
                                                 200 + scale.ToDevice(100) + frame.height})) << dpi;
        EXPECT_EQ(form.Left(), scale.FromDevice(300));
        EXPECT_EQ(form.ClientHeight(), 100);
        EXPECT_EQ(form.bar.DeviceBounds().bottom, scale.ToDevice(100)) << "the bar touches the bottom";
        EXPECT_EQ(form.label.DeviceFont().height, scale.ToDevice(14));
        const ui::Rect text = form.label.DeviceBounds();
        EXPECT_GE(text.right - text.left, backend.MeasureText(form.label.DeviceFont(), "Koers 905,10").width) << dpi;
    }
}

TEST_F(ScaledFormTest, AMoveOntoAnotherDpiTakesTheSuggestedPlaceAndComesBackWithoutDrift) {
    Dialog form;
    form.PlaceOnScreen(101, 51);
    const ui::Rect at96 = form.DeviceBounds();
    form.DpiChanged(144, {1921, 40, 2250, 240});
    const ui::Size frame = backend.FrameSize(ui::BorderStyle::Single, 144);
    EXPECT_EQ(form.DeviceBounds(), (ui::Rect{1921, 40, 1921 + 300 + frame.width, 40 + 150 + frame.height}));
    EXPECT_EQ(form.Left(), 1281);
    EXPECT_EQ(form.ClientWidth(), 200);
    EXPECT_EQ(form.label.DeviceFont().height, 21);
    form.DpiChanged(96, at96);
    EXPECT_EQ(form.DeviceBounds(), at96);
    EXPECT_EQ(form.label.DeviceBounds(), ui::Scale(96).ToDevice(ui::Rect{10, 0, 10 + form.label.Width(), 17}));
}

TEST_F(ScaledFormTest, TheScreenIsMeasuredInTheMainWindowsUnits) {
    backend.screen = {1920, 1200};
    Dialog main;
    ui::App().SetMainForm(&main);
    main.SetDpi(144);
    EXPECT_EQ(backend.ScreenSize().width, 1280);
    EXPECT_EQ(backend.Monitors()[0].workArea.bottom, 800);
}

// The chart the program draws is made anew at the window's pixels, not resampled from 96 dpi.
TEST_F(ScaledFormTest, APaintedPictureIsMadeAtTheWindowsPixelsAndADrawnOneReplacesIt) {
    Dialog form;
    ui::Image image(&form, "Image");
    image.SetBounds(25, 10, 190, 187);
    image.ShowPainted([](int width, int height, int dpi) {
        return ui::Bitmap{width, height, std::vector<uint32_t>(size_t(width) * height, 0xFF000000u | uint32_t(dpi))};
    });
    form.SetDpi(144);
    const ui::Bitmap& device = image.DevicePicture();
    EXPECT_EQ(std::vector<uint32_t>({uint32_t(device.width), uint32_t(device.height), device.pixels.back()}),
              std::vector<uint32_t>({285, 281, 0xFF000090u}));
    image.Draw(ui::Bitmap{1, 1, {0xFFFFFFFFu}}, 0, 0);
    EXPECT_EQ(&image.DevicePicture(), &image.Surface()) << "a drawn picture is resampled again";
}

}  // namespace
