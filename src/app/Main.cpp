#include "app/Main.h"

#include <cstdint>
#include <stdexcept>

#include "ui/DeferredError.h"
#include "platform/Platform.h"
#include "quotes/Hosts.h"
#include "settings/StoredSettings.h"
#include "support/Support.h"
#include "ui/Backend.h"

namespace app {


namespace {

constexpr ui::Color kWindowColor = ui::Rgb(0xF5, 0xF5, 0xF5);
constexpr ui::Color kPaleYellow = ui::Rgb(0xFF, 0xFF, 0xE3);
constexpr int kChartWidth = 190;
constexpr int kChartHeight = 187;
constexpr int kBarHeight = 23;
constexpr int kNormalHeight = 213;
constexpr int kTopmostWidth = 385;
// The distance the window moves so that the bar stays where it was when the chart comes or goes.
constexpr int kModeShift = 187;

}  // namespace

// The windows themselves are made once the creation handler has placed everything (Realize, at
// the latest at the first show): moving windows that exist already costs a round trip each.
TMainForm::TMainForm(ProgramState& state) : ui::Form("TMainForm", "MainForm"), state_(state) {
    SetUpComponents();
    BuildMenus();
}

TMainForm::~TMainForm() = default;

// The fixed properties of the window and its components, before its creation handler runs.
void TMainForm::SetUpComponents() {
    SetBorder(ui::BorderStyle::None);
    ui::Font windowFont;
    windowFont.name = "Verdana";
    windowFont.height = 12;
    SetFont(windowFont);

    KoersPanel.alignBottom = true;
    KoersPanel.SetHeight(kBarHeight);
    ui::Font barFont;
    barFont.name = "Verdana";
    barFont.height = 15;
    for (ui::Control* c : {static_cast<ui::Control*>(&KoersPanel), static_cast<ui::Control*>(&Label1),
                           static_cast<ui::Control*>(&Label2), static_cast<ui::Control*>(&Label3)})
        c->SetFont(barFont);

    ButtonInfo.SetBounds(1, 1, 20, 21);
    // The names a screen reader gives the buttons that show only a picture.
    ButtonInfo.SetHint("Help en informatie");
    ButtonMax.SetHint("Koers boven de bovengrens");
    ButtonMin.SetHint("Koers onder de ondergrens");
    ButtonCheck.SetHint("Koers binnen de grenzen");
    for (ui::SpeedButton* b : {&ButtonMax, &ButtonMin, &ButtonCheck}) b->SetBounds(22, -1, 22, 24);
    for (ui::Label* l : {&Label1, &Label2, &Label3}) {
        l->SetBackColor(ui::kButtonFace);
        l->SetTop(1);
    }
    Label1.SetLeft(48);

    Image.SetBounds(25, 10, kChartWidth, kChartHeight);
    LabelWait.SetAutoSize(false);
    LabelWait.centered = true;
    LabelWait.SetBounds(24, 48, 201, 41);

    for (ui::Control* c : {static_cast<ui::Control*>(this), static_cast<ui::Control*>(&Image),
                           static_cast<ui::Control*>(&ButtonInfo), static_cast<ui::Control*>(&ButtonMax),
                           static_cast<ui::Control*>(&ButtonCheck), static_cast<ui::Control*>(&ButtonMin),
                           static_cast<ui::Control*>(&Label1), static_cast<ui::Control*>(&Label2),
                           static_cast<ui::Control*>(&Label3)})
        HookMouse(*c);
    ButtonInfo.onClick = [this] { ButtonInfoClick(); };

    DownloadTimer.onTimer = [this] { DownloadTimerTimer(); };
    UpdateTimer.onTimer = [this] { UpdateTimerTimer(); };
    MinTimer.onTimer = [this] { MinTimerTimer(); };
    MaxTimer.onTimer = [this] { MaxTimerTimer(); };
    GrafiekTimer.onTimer = [this] { GrafiekTimerTimer(); };
    Timer1.onTimer = [this] { Timer1Timer(); };
    onShow = [this] { FormShow(); };
}

void TMainForm::BuildMenus() {
    PopupMenu.Add("Download1", "Download AEX", "F5", [this] { Download1Click(); });
    PopupMenu.Add("Altijdopvoorgrond", "Altijd op voorgrond", "", [this] { AltijdopvoorgrondClick(); });
    PopupMenu.Add("Instellingen1", "Instellingen...", "", [this] { Instellingen1Click(); });
    PopupMenu.AddSeparator("N2");
    PopupMenu.Add("Help2", "Help", "F1", [this] { Help2Click(); });
    PopupMenu.Add("OverQuodo1", "Informatie...", "", [this] { ButtonInfoClick(); });
    PopupMenu.AddSeparator("N1");
    PopupMenu.Add("Afsluiten1", "Afsluiten", "", [this] { Afsluiten1Click(); });

    InfoPopup.Add("Help1", "Help", "F1", [this] { Help1Click(); });
    InfoPopup.Add("OverQuodo2", "Over Quodo", "", [this] { OverQuodo2Click(); });
    shortcutMenus = {&PopupMenu, &InfoPopup};
    contextMenu = &PopupMenu;
    contextMenuPlace = &KoersPanel;
}

void TMainForm::HookMouse(ui::Control& control) {
    control.onMouseDown = [this](ui::Control& s, ui::MouseButton b, int x, int y) { FormMouseDown(s, b, x, y); };
    control.onMouseMove = [this](ui::Control& s, ui::MouseButton b, int x, int y) { FormMouseMove(s, b, x, y); };
    control.onMouseUp = [this](ui::Control& s, ui::MouseButton b, int x, int y) { FormMouseUp(s, b, x, y); };
}

ui::MenuItem& TMainForm::AltijdopvoorgrondItem() { return *PopupMenu.Find("Altijdopvoorgrond"); }

void TMainForm::FormCreate() {
    auto& sys = platform::Current();
    SetCaption(ProductName + ", " + VersionText);

    settings::SettingsStore store(ProductName);
    settings::MainWindowSettings stored = settings::LoadMainWindowSettings(store);
    PlaceOnScreen(stored.left, stored.top);
    state_.normalMode = stored.normalMode;
    previousNormalMode_ = state_.normalMode;

    SetWidth(kChartWidth);
    Image.SetBounds(Image.Left(), Image.Top(), kChartWidth, kChartHeight);
    SetWidth(state_.normalMode ? 250 : kTopmostWidth);

    shown_ = false;
    firstRun_ = true;
    SetBorder(ui::BorderStyle::None);

    Label1.SetText("AEX: ");
    startDir_ = sys.files->CurrentDirectory() + "\\";

    MaxTimer.Stop();
    MinTimer.Stop();
    lastHandledPrice_.clear();

    SetBackColor(kWindowColor);
    Image.SetTop(10);
    KoersPanel.SetHeight(kBarHeight);
    SetHeight(Image.Height() + KoersPanel.Height());

    ButtonInfo.SetLeft(1);
    ButtonMax.SetLeft(ButtonInfo.Left() + ButtonInfo.Width() + 1);
    ButtonMin.SetLeft(ButtonMax.Left());
    ButtonCheck.SetLeft(ButtonMax.Left());
    ButtonMax.Hide();
    ButtonMin.Hide();
    ButtonCheck.Show();

    Label2.SetText("*******");
    Label3.SetText(" @ *****");
    LabelWait.SetBackColor(kPaleYellow);

    savedHelpHook_ = ui::App().onHelp;
    ui::App().onHelp = [this](unsigned command, unsigned long data) { return AppHelp(command, data); };

    std::string programFolder = support::TextBeforeLastChar('\\', sys.files->ProgramPath()) + "\\";
    helpFilePath_ = sys.files->ExpandPath(programFolder + ProductName + ".chm");
    if (!sys.files->FileExists(helpFilePath_))
        ui::CurrentBackend().MessageDialog("Help file not found\r" + helpFilePath_, ui::App().Title(),
                                        ui::MessageKind::Plain);

    // The library itself is loaded at the first help request; here it only has to be there.
    if (!sys.help->Available()) {
        TellHelpIsMissing();
        ui::App().Terminate();
        return;
    }

    helpContext = 1000;

    state_.dataFolder = support::DataFolder(ProductName);

    support::CopyFileWithDate(startDir_ + "ErrorGraph.png", state_.dataFolder + "ErrorGraph.png", false);
    LoadOwnDay();
}

void TMainForm::FormShow() {
    if (shown_) return;
    shown_ = true;
    // The first show completes, and the chart timer starts, whatever the arrangement meets.
    ui::DeferredError error;
    error.Run([&] { ArrangeWindow(); });
    if (!state_.alarm.alarmOn) {
        ButtonMax.Hide();
        ButtonMin.Hide();
        ButtonCheck.Hide();
    }
    if (onFirstShow) onFirstShow();
    LabelWait.SetVisible(state_.normalMode);
    LabelWait.SetText(std::string("\r\nWacht op ") + (state_.marketClosed ? hosts::kIexQuoteSite : hosts::kInvestingQuoteSite));
    GrafiekTimer.Start();
    error.RaiseIfAny();
}

// Places the bar's buttons and labels from left to right.
void TMainForm::PlaceBarControls() {
    Label1.SetTop(1);
    Label2.SetTop(1);
    Label3.SetTop(1);
    ButtonCheck.SetTop(Label2.Top() - 2);
    ButtonMax.SetTop(ButtonCheck.Top());
    ButtonMin.SetTop(ButtonCheck.Top());
    ButtonInfo.SetTop(ButtonCheck.Top() + 2);

    Label1.SetLeft(ButtonInfo.Width() + 3 + ButtonCheck.Width() + 3);
    PlaceQuoteLabels();
}

void TMainForm::ArrangeWindow() {
    PlaceBarControls();

    ButtonInfo.Show();
    ButtonMax.Show();
    ButtonMin.Show();
    ButtonCheck.Show();
    CheckAlarm();

    // A chart that cannot be drawn still leaves the window arranged and on the screen; the error is
    // reported after that. The refresh comes after the arrangement and reports its own errors.
    ui::DeferredError error;
    if (state_.normalMode) {
        CheckMarketClosed();
        SetHeight(kNormalHeight);
        if (state_.normalMode != previousNormalMode_) SetTop(Top() - kModeShift);
        Image.SetLeft(25);
        Image.Show();
        error.Run([&] { DrawDayGraph(); });
        AltijdopvoorgrondItem().caption = "Zet Altijd op Voorgrond";
    } else {
        SetWidth(kTopmostWidth);
        SetHeight(kBarHeight);
        if (state_.normalMode != previousNormalMode_) SetTop(Top() + kModeShift);
        Image.Hide();
        AltijdopvoorgrondItem().caption = "Zet Normale modus";
    }

    if (!firstRun_) RefreshQuote();

    KeepOnScreen();
    error.RaiseIfAny();
}

// Within the virtual screen, so that a place on a second monitor is kept; a window that would then
// lie on no monitor at all (in the gap of an L-shaped arrangement) goes onto the nearest one. The
// sums are taken in 64 bits: a stored position near the integer limits must not wrap around and so
// stay off the screen.
void TMainForm::KeepOnScreen() {
    const std::vector<ui::Monitor> monitors = ui::CurrentBackend().Monitors();
    const ui::Rect screen = ui::VirtualScreen(monitors);
    if (Top() < screen.top) SetTop(screen.top + 10);
    if (Left() < screen.left) SetLeft(screen.left + 10);
    if (int64_t{Left()} + ClientWidth() > screen.right) SetLeft(screen.right - ClientWidth());
    if (int64_t{Top()} + ClientHeight() > int64_t{screen.bottom} - 40) SetTop(screen.bottom - 40 - ClientHeight());
    const ui::Point reachable = ui::OntoNearestMonitor(Left(), Top(), Width(), Height(), monitors);
    SetBounds(reachable.x, reachable.y, Width(), Height());
}

void TMainForm::AltijdopvoorgrondClick() {
    if (!shown_) return;
    previousNormalMode_ = state_.normalMode;
    state_.normalMode = !state_.normalMode;
    if (onModeSwitch) onModeSwitch(state_.normalMode);
    // The switch is completed and stored also when the chart cannot be drawn; the error comes last.
    ui::DeferredError error;
    error.Run([&] { ArrangeWindow(); });
    ShowQuote();
    settings::SettingsStore store(ProductName);
    settings::SaveWindowMode(store, state_.normalMode);
    error.RaiseIfAny();
}

// --- Mouse: the right button opens the menu, the left button drags the window.

void TMainForm::FormMouseDown(ui::Control& sender, ui::MouseButton button, int x, int y) {
    if (button == ui::MouseButton::Right) {
        int menuY = Top() + y - 55;
        if (&sender == this)
            PopupMenu.Popup(Left() + x + 20, menuY);
        else if (&sender == &Image)
            PopupMenu.Popup(Image.Left() + Left() + x - 300, menuY);
        else
            PopupMenu.Popup(sender.Left() + Left() + x + 20, menuY);
        return;
    }
    if (button == ui::MouseButton::Left) {
        dragStartX_ = x;
        dragStartY_ = y;
        dragging_ = true;
    }
}

void TMainForm::FormMouseMove(ui::Control&, ui::MouseButton, int x, int y) {
    if (!dragging_) return;
    SetBounds(Left() + x - dragStartX_, Top() + y - dragStartY_, Width(), Height());
}

void TMainForm::FormMouseUp(ui::Control&, ui::MouseButton, int, int) { dragging_ = false; }

void TMainForm::ButtonInfoClick() {
    InfoPopup.Popup(ButtonInfo.Left() + Left() + 30, ButtonInfo.Top() + Top() + 20);
}

// --- Help

void TMainForm::TellHelpIsMissing() {
    ui::CurrentBackend().MessageDialog("HTML Help is not installed on this PC.", ui::App().Title(),
                                       ui::MessageKind::Plain);
}

bool TMainForm::LoadHtmlHelp() {
    auto* help = platform::Current().help;
    if (help->Loaded() || help->Load()) return true;
    TellHelpIsMissing();
    return false;
}

void TMainForm::UnloadHtmlHelp() {
    auto* help = platform::Current().help;
    if (help->Loaded()) help->Unload();
}

bool TMainForm::AppHelp(unsigned command, unsigned long data) {
    if ((command == ui::kHelpContext || command == ui::kHelpContextPopup) && LoadHtmlHelp())
        platform::Current().help->Call(false, helpFilePath_, platform::kHhHelpContext, data);
    return true;
}

void TMainForm::Help1Click() {
    if (LoadHtmlHelp())
        platform::Current().help->Call(true, startDir_ + ProductName + ".chm", platform::kHhDisplayTopic, 0);
}

void TMainForm::Help2Click() { Help1Click(); }

void TMainForm::Afsluiten1Click() { Close(); }

void TMainForm::OverQuodo2Click() {
    if (onAbout) onAbout();
}

void TMainForm::Instellingen1Click() {
    if (onSettings) onSettings();
}

void TMainForm::FormDestroy() {
    ui::App().onHelp = savedHelpHook_;
    UnloadHtmlHelp();
    settings::SettingsStore store(ProductName);
    settings::SaveMainWindowPosition(store, ScreenPlace().y, ScreenPlace().x);
}

}  // namespace app
