#include "app/Startup.h"

#include "app/Main.h"
#include "settings/Options.h"
#include "update/GetVersions.h"
#include "update/Terminate.h"
#include "support/Support.h"

namespace app {

void ConnectOptions(TMainForm& main, settings::TOptionsForm& options) {
    main.onModeSwitch = [&options](bool normalMode) { options.ShowMode(normalMode); };
    main.onFirstShow = [&options] { options.GeluidCheck.SetEnabled(false); };
    main.onSettings = [&options] { options.ShowModal(); };
    Alarm.upperBound = [&options] { return options.SpinBoven.Value(); };
    Alarm.lowerBound = [&options] { return options.SpinOnder.Value(); };
}

void ConnectUpdates(TMainForm& main, settings::TOptionsForm& options, update::TVersionsForm& versions) {
    main.onUpdateCheck = [&versions] { versions.RunAutomaticCheck(); };
    options.onCheckNow = [&versions](int top, int left, int height, int width) {
        versions.RunCheckOnDemand(top, left, height, width);
    };
    versions.checkButton = &options.BtnCheck;
}

int RunProgram() {
    auto& app = ui::App();
    support::Initialize();
    app.SetTitle("Quodo");

    // The windows are made in this order, each running its creation handler as it is made.
    TMainForm mainForm;
    app.SetMainForm(&mainForm);
    app.Dispatch([&] { mainForm.FormCreate(); });
    settings::TOptionsForm options(mainForm);
    ConnectOptions(mainForm, options);
    if (!app.Terminated()) app.Dispatch([&] { options.FormCreate(); });
    update::TVersionsForm versions({mainForm.ProductName, mainForm.VersionText, DataFolder});
    ConnectUpdates(mainForm, options, versions);
    if (!app.Terminated()) app.Dispatch([&] { versions.FormCreate(); });
    update::TTerminateForm terminate;
    update::TerminateForm = &terminate;
    if (!app.Terminated()) app.Dispatch([&] { mainForm.Realize(); });

    app.Run(mainForm);

    app.Dispatch([&] { versions.FormDestroy(); });
    app.Dispatch([&] { options.FormDestroy(); });
    app.Dispatch([&] { mainForm.FormDestroy(); });
    update::TerminateForm = nullptr;
    return 0;
}

}  // namespace app
