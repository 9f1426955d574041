#include "app/Startup.h"

#include "app/Main.h"
#include "settings/StoredSettings.h"
#include "support/Support.h"

namespace app {

void ApplyStoredSettings(TMainForm& form) {
    settings::SettingsStore store(form.ProductName);
    settings::DialogSettings s = settings::LoadDialogSettings(store);

    form.DownloadTimer.SetInterval(unsigned(s.seconds) * 1000);
    form.DownloadTimer.SetEnabled(s.downloadOn);
    form.UpdateTimer.SetEnabled(s.updatesOn);

    Alarm.alarmOn = s.alarmOn;
    Alarm.soundOn = s.soundOn;
    Alarm.upperBound = s.upperBound;
    Alarm.lowerBound = s.lowerBound;

    // Both markers blink until the first level tells which one applies.
    if (s.alarmOn) {
        form.ButtonMax.Show();
        form.ButtonMin.Show();
        form.MaxTimer.Start();
        form.MinTimer.Start();
        form.CheckAlarm();
    } else {
        form.ButtonMax.Hide();
        form.ButtonMin.Hide();
        form.ButtonCheck.Hide();
        form.MaxTimer.Stop();
        form.MinTimer.Stop();
    }
}

int RunProgram() {
    auto& app = ui::App();
    support::Initialize();
    app.SetTitle("Quodo");

    TMainForm mainForm;
    app.SetMainForm(&mainForm);
    app.Dispatch([&] { mainForm.FormCreate(); });
    if (!app.Terminated()) app.Dispatch([&] { ApplyStoredSettings(mainForm); });
    if (!app.Terminated()) app.Dispatch([&] { mainForm.Realize(); });

    app.Run(mainForm);

    app.Dispatch([&] { mainForm.FormDestroy(); });
    return 0;
}

}  // namespace app
