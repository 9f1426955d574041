// The update window and the version check: whether the maker's version list names a newer
// version, the window that reports it, the download of the new installer and its start.
#pragma once

#include <memory>
#include <string>

#include "update/VersionList.h"
#include "ui/Controls.h"

namespace update {

class TTerminateForm;

// What the update window needs to know of the program.
struct ProgramFacts {
    std::string productName;  // "Quodo"
    std::string versionText;  // "versie 1.06"
    std::string dataFolder;   // with a trailing backslash
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
    // "Error.log".
    void RunAutomaticCheck();
    // "Check nu": always shows its outcome, centred over the asking window's rectangle.
    void RunCheckOnDemand(int top, int left, int height, int width);
    // The probe, the worker's fetch and the reading of the list. Raises MalformedEntry for an
    // entry that cannot be read.
    CheckResult ReadVersionList(std::string& name, std::string& latest);
    bool DownloadInstaller();
    void StartInstaller();

    // The settings dialog's "Check nu", greyed while a check waits or a download runs.
    ui::Button* checkButton = nullptr;
    // The window that ends the companion program before an install; set by the start-up.
    TTerminateForm* terminateForm = nullptr;

    // The state the check leaves for the download.
    const std::string& DownloadName() const { return downloadName_; }
    const std::string& DownloadBaseUrl() const { return downloadBaseUrl_; }
    int InstallerSizeKB() const { return installerSizeKB_; }
    bool InstallerReady() const { return installerReady_; }
    uint32_t DownloadedKB() const { return downloadedKB_; }
    const std::string& VersionListText() const { return versionListText_; }
    bool Busy() const { return checking_ || downloading_; }


private:
    void SetUpComponents();
    bool Dutch() const;
    void ShowMemo(const std::vector<std::string>& lines);
    void Advise(bool automatic, const std::string& name);
    void FocusIfShown(ui::Button& button);
    void SetBusyButtons(bool busy);

    ProgramFacts program_;
    std::string versionListText_;
    std::string downloadName_;
    std::string downloadBaseUrl_;
    std::string hashField_;
    int installerSizeKB_ = 0;
    bool installerReady_ = false;
    uint32_t downloadedKB_ = 0;
    bool checking_ = false;
    bool downloading_ = false;
    bool installing_ = false;
};

}  // namespace update
