#include "settings/Options.h"

#include "ui/DeferredError.h"
#include "ui/Backend.h"

namespace settings {

namespace {

constexpr ui::Color kPaleYellow = ui::Rgb(0xFF, 0xFF, 0xE3);
constexpr ui::Color kAqua = ui::Rgb(0x00, 0xFF, 0xFF);
constexpr int kUpdateHelpContext = 32150;

void Place(ui::Control& c, int left, int top, int width, int height, int tabOrder = -1) {
    c.SetBounds(left, top, width, height);
    c.tabOrder = tabOrder;
}

void Fixed(ui::Label& label, int left, int top, int width, int height, const std::string& text) {
    label.SetAutoSize(false);
    Place(label, left, top, width, height);
    label.SetText(text);
}

}  // namespace

TOptionsForm::TOptionsForm(TickerControl& ticker, std::string productName)
    : ui::Form("TOptionsForm", "OptionsForm"), ticker_(ticker), productName_(std::move(productName)) {
    SetUpComponents();
}

TOptionsForm::~TOptionsForm() = default;

// The design: places, sizes, texts and the tab order of every component.
void TOptionsForm::SetUpComponents() {
    SetBorder(ui::BorderStyle::Single);
    SetCaption("Instellingen");
    ui::Font font;
    font.name = "Verdana";
    font.height = 14;

    Place(GroupBox1, 13, 10, 253, 89, 0);
    GroupBox1.SetText(" DownloadTimer ");
    Place(DownloadCheck, 9, 26, 193, 17, 1);
    DownloadCheck.SetText("DownloadTimer Aan");
    Fixed(Label2, 9, 52, 101, 17, "Download elke");
    // Wide enough for "600" in the dialog's font; it grows to the left, away from "seconden".
    Place(SecondsEdit, 114, 49, 47, 27, 0);
    SecondsEdit.minValue = kMinSeconds;
    SecondsEdit.maxValue = kMaxSeconds;
    SecondsEdit.increment = 5;
    SecondsEdit.SetValue(30);
    Fixed(Label3, 162, 52, 67, 17, "seconden");

    Place(GroupBox2, 13, 109, 253, 154, 1);
    GroupBox2.SetText(" Alarm ");
    Place(AlarmCheck, 9, 26, 204, 17, 0);
    AlarmCheck.SetText("Alarm Aan");
    Fixed(Label1, 17, 54, 90, 17, "Bovengrens:");
    // The bounds take four digits: the index stands near a thousand.
    Place(SpinBoven, 111, 51, 56, 27, 1);
    Fixed(Label4, 17, 88, 89, 17, "Ondergrens:");
    Place(SpinOnder, 111, 85, 56, 27, 2);
    for (ui::SpinEdit* bound : {&SpinBoven, &SpinOnder}) bound->SetValue(450);
    Place(GeluidCheck, 18, 120, 181, 19, 3);
    GeluidCheck.SetText("Geluid Aan");

    Place(ModusBox, 282, 10, 222, 89, 3);
    ModusBox.SetText(" Modus ");
    Place(RadioNormal, 9, 26, 207, 17, 0);
    RadioNormal.SetText("Normale Modus");
    RadioNormal.SetChecked(true);
    Place(RadioVoorgrond, 9, 51, 207, 18, 1);
    RadioVoorgrond.SetText("Altijd op Vorgrond");

    Place(GroupBox4, 282, 109, 222, 90, 2);
    GroupBox4.SetText(" Update ");
    GroupBox4.helpContext = kUpdateHelpContext;
    Place(UpdatesCheck, 8, 21, 205, 18, 0);
    UpdatesCheck.SetText("Check voor Updates Aan");
    UpdatesCheck.helpContext = kUpdateHelpContext;
    Place(BtnCheck, 60, 46, 100, 35, 1);
    BtnCheck.SetText("Check nu");

    Place(BtnOK, 282, 227, 100, 35, 4);
    BtnOK.SetText("OK");
    BtnOK.modalResult = ui::kResultOk;
    Place(BtnCancel, 404, 227, 100, 35, 5);
    BtnCancel.SetText("Cancel");
    BtnCancel.modalResult = ui::kResultCancel;

    ui::SetFontOfAll(*this, font);
    for (ui::Button* button : {&BtnOK, &BtnCancel, &BtnCheck}) button->flat = true;

    DownloadCheck.onClick = [this] { DownloadCheckClick(); };
    AlarmCheck.onClick = [this] { AlarmCheckClick(); };
    BtnOK.onClick = [this] { BtnOKClick(); };
    BtnCancel.onClick = [this] { BtnCancelClick(); };
    BtnCheck.onClick = [this] { BtnCheckClick(); };
}

void TOptionsForm::FormCreate() {
    SetBackColor(kPaleYellow);
    for (ui::Button* button : {&BtnOK, &BtnCancel, &BtnCheck}) {
        button->SetBackColor(kPaleYellow);
        button->hoverColor = kAqua;
    }
    SetCaption(productName_ + " - Instellingen");
    SetClientSize(ModusBox.Left() + ModusBox.Width() + GroupBox1.Left(),
                  GroupBox2.Top() + GroupBox2.Height() + GroupBox1.Top());

    // Whatever the store meets (a value of a kind it cannot read, say), the dialog is placed and the
    // settings read so far are applied: the refresh timer must not keep its 100 ms placeholder and
    // fetch the quote ten times a second. The first error is reported after.
    ui::DeferredError error;
    error.Run([&] { PlaceFromStore(); });
    error.Run([&] { LoadSettings(); });
    error.Run([&] { ApplySettings(true); });
    error.RaiseIfAny();
}

// Where the dialog was left, or centred on the primary screen; kept within all monitors together,
// and on the nearest monitor where that place lies on none.
// The stored place is in the screen's pixels, so the dialog is placed in them.
void TOptionsForm::PlaceFromStore() {
    auto& backend = ui::CurrentBackend();
    const ui::Size screen = backend.DeviceScreenSize();
    const std::vector<ui::Monitor> monitors = backend.DeviceMonitors();
    const ui::Rect all = ui::VirtualScreen(monitors);
    const ui::Rect own = DeviceBounds();
    const Extent size{own.right - own.left, own.bottom - own.top};
    DialogPosition place{(screen.height - size.height) / 2, (screen.width - size.width) / 2};
    ui::DeferredError error;
    error.Run([&] {
        SettingsStore store(productName_);
        LoadDialogPosition(store, Extent{screen.width, screen.height}, size, place,
                           ScreenArea{all.left, all.top, all.right, all.bottom});
    });
    const ui::Point reachable = ui::OntoNearestMonitor(place.left, place.top, size.width, size.height, monitors);
    PlaceOnScreen(reachable.x, reachable.y);
    error.RaiseIfAny();
}

DialogSettings TOptionsForm::Current() const {
    DialogSettings s;
    s.downloadOn = DownloadCheck.Checked();
    s.seconds = SecondsEdit.Value();
    s.alarmOn = AlarmCheck.Checked();
    s.upperBound = SpinBoven.Value();
    s.lowerBound = SpinOnder.Value();
    s.soundOn = GeluidCheck.Checked();
    s.updatesOn = UpdatesCheck.Checked();
    s.normalMode = RadioNormal.Checked();
    return s;
}

// In the order the store is read; a check box that changes runs its click handler as it does.
void TOptionsForm::Show(const DialogSettings& s) {
    DownloadCheck.SetChecked(s.downloadOn);
    SecondsEdit.SetValue(s.seconds);
    AlarmCheck.SetChecked(s.alarmOn);
    SpinBoven.SetValue(s.upperBound);
    SpinOnder.SetValue(s.lowerBound);
    GeluidCheck.SetChecked(s.soundOn);
    UpdatesCheck.SetChecked(s.updatesOn);
    ShowMode(s.normalMode);
}

void TOptionsForm::LoadSettings() {
    SettingsStore store(productName_);
    DialogSettings loaded = Current();
    // A refused read stops the batch; what was read before it still shows.
    try {
        LoadDialogSettings(store, loaded);
    } catch (...) {
        Show(loaded);
        throw;
    }
    Show(loaded);
}

void TOptionsForm::ShowMode(bool normalMode) {
    RadioNormal.SetChecked(normalMode);
    RadioVoorgrond.SetChecked(!normalMode);
}

// Everything is applied also when the mode switch meets an error (a quote time that is no time);
// the error comes last.
void TOptionsForm::ApplySettings(bool initial) {
    ticker_.SetAlarmSwitches(AlarmCheck.Checked(), GeluidCheck.Checked());
    ui::DeferredError error;
    if (!initial && RadioNormal.Checked() != ticker_.NormalMode()) error.Run([&] { ticker_.SwitchMode(); });
    ApplyDownloadSwitch();
    ticker_.SetUpdateCheck(UpdatesCheck.Checked());
    ApplyAlarmSwitch();
    error.RaiseIfAny();
}

void TOptionsForm::ApplyDownloadSwitch() {
    const bool on = DownloadCheck.Checked();
    for (ui::Control* c : {static_cast<ui::Control*>(&Label2), static_cast<ui::Control*>(&SecondsEdit),
                           static_cast<ui::Control*>(&Label3)})
        c->SetEnabled(on);
    // What is typed but not yet corrected (a 1, say) never reaches the timer as it stands.
    ticker_.SetRefresh(unsigned(BoundSeconds(SecondsEdit.Value())) * 1000u, on);
}

void TOptionsForm::ApplyAlarmSwitch() {
    const bool on = AlarmCheck.Checked();
    for (ui::Control* c : {static_cast<ui::Control*>(&Label1), static_cast<ui::Control*>(&SpinBoven),
                           static_cast<ui::Control*>(&Label4), static_cast<ui::Control*>(&SpinOnder),
                           static_cast<ui::Control*>(&GeluidCheck)})
        c->SetEnabled(on);
    ticker_.ShowAlarm(on);
}

void TOptionsForm::SaveSettings() {
    SettingsStore store(productName_);
    SaveDialogSettings(store, Current());
}

void TOptionsForm::DownloadCheckClick() { ApplyDownloadSwitch(); }

void TOptionsForm::AlarmCheckClick() { ApplyAlarmSwitch(); }

// OK and Cancel run every step and close the dialog whatever a step meets (a refused registry
// write, a mode switch that meets a quote time that is no time); the error is reported once the
// dialog has closed, not over a dialog left open with its settings half applied.
void TOptionsForm::BtnOKClick() {
    closing_.Run([&] { ApplySettings(); });
    closing_.Run([&] { SaveSettings(); });
    ReportUnlessClosing();
}

void TOptionsForm::BtnCancelClick() {
    closing_.Run([&] { LoadSettings(); });
    closing_.Run([&] { ApplySettings(); });
    ReportUnlessClosing();
}

// Outside a modal showing nothing closes: the error is reported at once.
void TOptionsForm::ReportUnlessClosing() {
    if (!Modal()) TakeClosingError().RaiseIfAny();
}

ui::DeferredError TOptionsForm::TakeClosingError() {
    ui::DeferredError error = std::move(closing_);
    closing_ = ui::DeferredError();
    return error;
}

void TOptionsForm::Execute() {
    ShowModal();
    TakeClosingError().RaiseIfAny();
}

void TOptionsForm::BtnCheckClick() {
    if (onCheckNow) onCheckNow(Top(), Left(), Height(), Width());
}

void TOptionsForm::FormDestroy() {
    SettingsStore store(productName_);
    SaveDialogPosition(store, ScreenPlace().y, ScreenPlace().x);
}

}  // namespace settings
