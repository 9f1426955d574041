#include "app/Startup.h"

#include <chrono>

#include "app/Main.h"
#include "app/UpdateKey.h"
#include "dialogs/About.h"
#include "dialogs/MessForm.h"
#include "platform/Wait.h"
#include "settings/Options.h"
#include "support/Support.h"
#include "update/GetVersions.h"
#include "update/InstallOutcome.h"
#include "update/Terminate.h"
#include "update/UpdateTexts.h"

namespace app {

namespace {
constexpr std::chrono::milliseconds kTidyUpAtEnd{700};
}  // namespace

void ConnectOptions(TMainForm& main, settings::TOptionsForm& options) {
    main.onModeSwitch = [&options](bool normalMode) { options.ShowMode(normalMode); };
    main.onFirstShow = [&options] { options.GeluidCheck.SetEnabled(false); };
    main.onSettings = [&options] { options.Execute(); };
    main.State().alarm.upperBound = [&options] { return options.SpinBoven.Value(); };
    main.State().alarm.lowerBound = [&options] { return options.SpinOnder.Value(); };
}

void ConnectUpdates(TMainForm& main, settings::TOptionsForm& options, update::TVersionsForm& versions) {
    main.onUpdateCheck = [&versions] { versions.RunAutomaticCheck(); };
    options.onCheckNow = [&versions](int top, int left, int height, int width) {
        versions.RunCheckOnDemand(top, left, height, width);
    };
    versions.checkButton = &options.BtnCheck;
}

void ConnectAbout(TMainForm& main, dialogs::TAboutBox& about) {
    main.onAbout = [&about] { about.ShowModal(); };
}

namespace {

// Once the main window has been painted (a timer comes after the paint messages): the popup lies
// over the window, and the start pays nothing for the look in the registry.
platform::Task<> TellFailedInstall(TMainForm& main, dialogs::TMessageForm& popup) {
    platform::Pause painted(0);
    co_await painted;
    update::ReportFailedInstall(platform::Current(), main.ProductName, main.State().dataFolder,
                                update::IsDutch(support::LanguageCode),
                                [&](const std::string& line1, const std::string& line2, int durationMs) {
                                    popup.ShowMessagePopup(main.Top(), main.Left(), main.Height(), main.Width(),
                                                           line1, line2, durationMs);
                                });
}

}  // namespace

void ConnectInstallOutcome(TMainForm& main, dialogs::TMessageForm& popup) {
    main.onFirstShow = [firstShow = std::move(main.onFirstShow), &main, &popup] {
        if (firstShow) firstShow();
        main.Work().Start(TellFailedInstall(main, popup));
    };
}

void ConnectUpdateNotice(TMainForm& main, update::TVersionsForm& versions, dialogs::TMessageForm& popup) {
    versions.showNotice = [&main, &popup](const std::string& line1, const std::string& line2, int durationMs) {
        popup.ShowMessagePopup(main.Top(), main.Left(), main.Height(), main.Width(), line1, line2, durationMs);
    };
}

int RunProgram() {
    auto& app = ui::App();
    support::Initialize();
    app.SetTitle("Quodo");

    // The windows are made in this order, each running its creation handler as it is made.
    ProgramState state;
    TMainForm mainForm(state);
    app.SetMainForm(&mainForm);
    app.Dispatch([&] { mainForm.FormCreate(); });
    settings::TOptionsForm options(mainForm, mainForm.ProductName);
    ConnectOptions(mainForm, options);
    if (!app.Terminated()) app.Dispatch([&] { options.FormCreate(); });
    dialogs::TAboutBox about(mainForm, {mainForm.ProductName, mainForm.VersionText, mainForm.NoticeText});
    ConnectAbout(mainForm, about);
    if (!app.Terminated()) app.Dispatch([&] { about.FormCreate(); });
    update::TVersionsForm versions(
        {mainForm.ProductName, mainForm.VersionText, state.dataFolder, {kReleasePublicKey, kFreshnessPublicKey}});
    ConnectUpdates(mainForm, options, versions);
    if (!app.Terminated()) app.Dispatch([&] { versions.FormCreate(); });
    dialogs::TMessageForm messageForm;
    about.popup = &messageForm;
    ConnectInstallOutcome(mainForm, messageForm);
    ConnectUpdateNotice(mainForm, versions, messageForm);
    if (!app.Terminated()) app.Dispatch([&] { messageForm.FormCreate(); });
    update::TTerminateForm terminateForm;
    versions.terminateForm = &terminateForm;
    // Only the main window is made now; the others get their windows at their first show.
    if (!app.Terminated()) app.Dispatch([&] { mainForm.Realize(); });

    app.Run(mainForm);
    // What still waits is called off, quietly, while the windows it belongs to still live.
    if (platform::Loop* loop = platform::Current().loop) loop->EndWaits();

    app.Dispatch([&] { options.FormDestroy(); });
    app.Dispatch([&] { mainForm.FormDestroy(); });
    // Work cut short by the end (a download, a fetch) gets a moment to tidy up after itself.
    platform::WorksEnded(kTidyUpAtEnd);
    return 0;
}

}  // namespace app
