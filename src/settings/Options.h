// The settings dialog: the refresh interval and switch, the alarm with its bounds and sound, the
// automatic update check and the window mode. Its controls are the program's current settings:
// it pushes them into the main window and keeps them in the settings store.
#pragma once

#include <functional>

#include "ui/DeferredError.h"
#include "settings/StoredSettings.h"
#include "settings/TickerControl.h"
#include "ui/Controls.h"

namespace settings {

class TOptionsForm : public ui::Form {
public:
    TOptionsForm(TickerControl& ticker, std::string productName);
    ~TOptionsForm() override;

    // Components, in the order the dialog declares them.
    ui::GroupBox GroupBox1{this, "GroupBox1"};
    ui::SpinEdit SecondsEdit{&GroupBox1, "SecondsEdit"};
    ui::Label Label2{&GroupBox1, "Label2"};
    ui::Label Label3{&GroupBox1, "Label3"};
    ui::CheckBox DownloadCheck{&GroupBox1, "DownloadCheck"};
    ui::GroupBox GroupBox2{this, "GroupBox2"};
    ui::CheckBox AlarmCheck{&GroupBox2, "AlarmCheck"};
    ui::SpinEdit SpinBoven{&GroupBox2, "SpinBoven"};
    ui::SpinEdit SpinOnder{&GroupBox2, "SpinOnder"};
    ui::Label Label1{&GroupBox2, "Label1"};
    ui::Label Label4{&GroupBox2, "Label4"};
    ui::CheckBox GeluidCheck{&GroupBox2, "GeluidCheck"};
    ui::GroupBox GroupBox4{this, "GroupBox4"};
    ui::CheckBox UpdatesCheck{&GroupBox4, "UpdatesCheck"};
    ui::GroupBox ModusBox{this, "ModusBox"};
    ui::RadioButton RadioNormal{&ModusBox, "RadioNormal"};
    ui::RadioButton RadioVoorgrond{&ModusBox, "RadioVoorgrond"};
    ui::Button BtnOK{this, "BtnOK"};
    ui::Button BtnCancel{this, "BtnCancel"};
    ui::Button BtnCheck{&GroupBox4, "BtnCheck"};

    // Event handlers.
    void FormCreate();
    void FormDestroy();
    void BtnOKClick();
    void BtnCancelClick();
    void DownloadCheckClick();
    void AlarmCheckClick();
    void BtnCheckClick();

    void LoadSettings();
    // The initial form, at creation, leaves the window mode alone: the main window has read it.
    void ApplySettings(bool initial = false);
    void SaveSettings();
    void ApplyDownloadSwitch();
    void ApplyAlarmSwitch();

    // Shows the dialog modally ("Instellingen..."); an error that OK or Cancel met is reported once
    // the dialog has closed.
    void Execute();

    // The main window's mode switch shows here.
    void ShowMode(bool normalMode);

    // "Check nu": the on-demand version check, given the dialog's top, left, height and width.
    std::function<void(int top, int left, int height, int width)> onCheckNow;

private:
    void SetUpComponents();
    void PlaceFromStore();
    void ReportUnlessClosing();
    ui::DeferredError TakeClosingError();
    DialogSettings Current() const;
    void Show(const DialogSettings& s);
    TickerControl& ticker_;
    const std::string productName_;
    ui::DeferredError closing_;  // what OK or Cancel met, reported once the dialog has closed
};

}  // namespace settings
