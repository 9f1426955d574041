// The update window and the version check: whether the maker's version list names a newer
// version, the window that reports it, the download of the new installer and its start.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"
#include "platform/Wait.h"
#include "update/UpdateTexts.h"
#include "update/VersionList.h"
#include "ui/Application.h"
#include "ui/Controls.h"

namespace update {

class TTerminateForm;

// What the update window needs to know of the program.
struct ProgramFacts {
    std::string productName;  // "Quodo"
    std::string versionText;  // "versie 1.06"
    std::string dataFolder;   // with a trailing backslash
    UpdateKeys updateKeys{};  // the maker's keys: only entries both signed are believed
};

// The installer an advised update names, kept as one record from the check that advised it to the
// install: what is fetched, and what the download and the install are judged against.
struct AdvisedInstaller {
    VersionEntry entry;  // name, size, hash and signature
    std::string baseUrl;
};

class TVersionsForm : public ui::Form {
public:
    explicit TVersionsForm(ProgramFacts program);
    ~TVersionsForm() override;

    // Components, in the order the window declares them.
    ui::Memo Memo1{this, "Memo1"};
    ui::Panel Panel1{this, "Panel1"};
    ui::Gauge Gauge1{&Panel1, "Gauge1"};
    ui::Button BtnDownload{&Panel1, "BtnDownload"};
    ui::Button BtnExit{&Panel1, "BtnExit"};

    // Event handlers.
    void BtnExitClick();
    void BtnDownloadClick();
    void FormShow();
    void FormPaint() {}
    void FormCreate();

    // The check one minute after start-up: silent unless an update is advised; failures go to
    // "Error.log". It starts now and goes on while the program runs; none starts while a check
    // waits, a download runs or an install starts. While a check waits, "Start Downloaden" is
    // greyed: what it would fetch is being checked again.
    void RunAutomaticCheck();
    // "Check nu": always shows its outcome, centred over the asking window's rectangle; started as
    // the automatic one.
    void RunCheckOnDemand(int top, int left, int height, int width);
    // The probe, the worker's fetch and the reading of the list. Raises MalformedEntry for an
    // entry that cannot be read.
    platform::Task<CheckResult> ReadVersionList(std::string& name, std::string& latest);
    platform::Task<bool> DownloadInstaller();
    // Starts the install: the installer is started, and after a pause the program ends.
    void StartInstaller();

    // The settings dialog's "Check nu", greyed while a check waits or a download runs.
    ui::Button* checkButton = nullptr;
    // The window that ends the companion program before an install; set by the start-up.
    TTerminateForm* terminateForm = nullptr;
    // Shows the automatic check's notice that no check has succeeded for a long time (the message
    // popup over the main window); set by the start-up.
    std::function<void(const std::string& line1, const std::string& line2, int durationMs)> showNotice;

    // The state the check leaves for the download.
    const std::string& DownloadName() const { return advised_.entry.installerName; }
    const std::string& DownloadBaseUrl() const { return advised_.baseUrl; }
    int InstallerSizeKB() const { return advised_.entry.sizeKB; }
    // The record the running or last download fetched; the install checks the file against it.
    const AdvisedInstaller& Downloaded() const { return downloaded_; }
    bool InstallerReady() const { return installerReady_; }
    uint32_t DownloadedKB() const { return downloadedKB_; }
    const std::string& VersionListText() const { return versionListText_; }
    bool Busy() const { return work_.Running() > 0; }


private:
    platform::Task<> AutomaticCheck();
    platform::Task<> CheckOnDemand(int top, int left, int height, int width);
    platform::Task<> Download();
    platform::Task<> Install();
    void SetUpComponents();
    bool Dutch() const;
    void ShowMemo(const std::vector<std::string>& lines);
    void Advise(bool automatic);
    void RefuseInstaller(const std::string& path);
    void FocusIfShown(ui::Button& button);

    ProgramFacts program_;
    std::string versionListText_;
    std::optional<VersionEntry> checkedEntry_;  // the entry the latest check believed
    ClockDates clockDates_;                     // the latest check's, when its list had run out
    AdvisedInstaller advised_;                  // what "Start Downloaden" fetches
    AdvisedInstaller downloaded_;
    bool installerReady_ = false;
    uint32_t downloadedKB_ = 0;
    bool installing_ = false;
    // What the window starts; the checks and the download are called off when it is closed, the
    // install (which ends the program) is not.
    platform::Owner work_{ui::App()};
    platform::Owner fetches_{&work_};
};

}  // namespace update
