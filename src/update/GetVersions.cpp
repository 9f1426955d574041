#include "update/GetVersions.h"

#include <atomic>
#include <memory>

#include "platform/Wait.h"
#include "platform/Platform.h"
#include "support/Support.h"
#include "ui/Application.h"
#include "ui/Backend.h"
#include "update/ErrorLog.h"
#include "update/Installer.h"
#include "update/ListVerdict.h"
#include "update/PingProbe.h"
#include "update/Terminate.h"
#include "update/UpdateTexts.h"
#include "update/VersionListWorker.h"

namespace update {

namespace {

constexpr ui::Color kPaleYellow = ui::Rgb(0xFF, 0xFF, 0xE3);
constexpr ui::Color kAqua = ui::Rgb(0x00, 0xFF, 0xFF);
constexpr unsigned kPauseBeforeEndingMs = 1000;

// Greys a button for as long as a scope runs.
class Greyed {
public:
    explicit Greyed(ui::Button* button) : button_(button) {
        if (button_) button_->SetEnabled(false);
    }
    ~Greyed() {
        if (button_) button_->SetEnabled(true);
    }
    Greyed(const Greyed&) = delete;
    Greyed& operator=(const Greyed&) = delete;

private:
    ui::Button* button_;
};

}  // namespace

TVersionsForm::TVersionsForm(ProgramFacts program)
    : ui::Form("TVersionsForm", "VersionsForm"), program_(std::move(program)) {
    SetUpComponents();
}

TVersionsForm::~TVersionsForm() = default;

void TVersionsForm::SetUpComponents() {
    SetBorder(ui::BorderStyle::Dialog);
    SetCaption("VersionsForm");
    SetBounds(383, 375, 0, 0);
    SetClientSize(428, 253);

    Memo1.SetBounds(0, 0, 428, 177);
    Memo1.alignment = ui::Alignment::Center;
    Panel1.alignBottom = true;
    Panel1.SetBounds(0, 0, 428, 80);
    Panel1.SetBackColor(ui::kParentColor);
    Gauge1.SetBounds(13, 10, 400, 17);
    Gauge1.Hide();
    BtnDownload.SetBounds(29, 39, 170, 27);
    BtnDownload.SetText(kDownloadNowCaption);
    BtnDownload.tabOrder = 0;
    BtnExit.SetBounds(235, 39, 170, 27);
    BtnExit.SetText(DownloadLaterCaption(false));
    BtnExit.tabOrder = 1;
    ui::Font font;
    font.name = "Verdana";
    font.height = 14;
    ui::SetFontOfAll(*this, font);
    for (ui::Button* button : {&BtnDownload, &BtnExit}) button->flat = true;
    // The panel covers the memo's last four pixels, as the window was laid out.
    Panel1.zOrder = 1;

    BtnDownload.onClick = [this] { BtnDownloadClick(); };
    BtnExit.onClick = [this] { BtnExitClick(); };
    onShow = [this] { FormShow(); };
    onPaint = [this] { FormPaint(); };
    onClose = [this] { fetches_.CancelAll(); };
}

void TVersionsForm::FormCreate() {
    SetBackColor(kPaleYellow);
    for (ui::Button* button : {&BtnDownload, &BtnExit}) {
        button->SetBackColor(kPaleYellow);
        button->hoverColor = kAqua;
    }
}

void TVersionsForm::FormShow() { SetCaption(UpdateWindowCaption(program_.productName)); }

bool TVersionsForm::Dutch() const { return IsDutch(support::LanguageCode); }

void TVersionsForm::ShowMemo(const std::vector<std::string>& lines) { Memo1.SetLines(lines); }

void TVersionsForm::FocusIfShown(ui::Button& button) {
    if (Visible() && button.CanFocus()) button.SetFocus();
}

// "Check nu" and "Start Downloaden" are greyed from the ping until the list has been read.
platform::Task<CheckResult> TVersionsForm::ReadVersionList(std::string& name, std::string& latest) {
    const Greyed checking(checkButton);
    const Greyed downloading(&BtnDownload);
    platform::Services& services = platform::Current();
    auto ping = PingUpdateServer(services, program_.dataFolder);
    if (co_await std::move(ping) < 0) co_return CheckResult::PingTimeOut;
    versionListText_ = co_await TThread1::Run(*services.web);

    const ListVerdict verdict =
        JudgeVersionList(services, versionListText_, name, program_.versionText, program_.updateKeys);
    const CheckOutcome& outcome = verdict.outcome;
    clockDates_ = verdict.dates;
    if (!outcome.listFromEntry.empty()) versionListText_ = outcome.listFromEntry;
    checkedEntry_ = outcome.entry;
    if (outcome.entry) name = outcome.entry->installerName;
    if (outcome.result == CheckResult::ProgramNotFound) installerReady_ = false;
    latest = outcome.latestVersion;
    co_return outcome.result;
}

// Both buttons of an advised update, and the download it offers.
void TVersionsForm::Advise(bool automatic) {
    BtnDownload.SetText(StartDownloadCaption(Dutch()));
    BtnExit.SetText(DownloadLaterCaption(automatic));
    advised_ = {*checkedEntry_, update::DownloadBaseUrl()};
    BtnDownload.Show();
    BtnExit.Show();
}

// A check asked for while another waits, while a download runs or an install starts, is dropped.
void TVersionsForm::RunAutomaticCheck() {
    if (!Busy()) fetches_.Start(AutomaticCheck());
}

void TVersionsForm::RunCheckOnDemand(int top, int left, int height, int width) {
    if (!Busy()) fetches_.Start(CheckOnDemand(top, left, height, width));
}

platform::Task<> TVersionsForm::AutomaticCheck() {
    versionListText_.clear();
    std::string name = program_.productName, latest;
    const CheckResult result = co_await ReadVersionList(name, latest);
    if (!IsGoodCheck(result)) {
        WriteErrorLog(platform::Current(), program_.dataFolder, result);  // a log that cannot be written is no news
        // Checks that keep failing, whatever the reason, are told now and then, not only logged.
        const auto notice = StaleNotice(platform::Current(), program_.productName, Dutch(), result, clockDates_);
        if (notice && showNotice) showNotice((*notice)[0], (*notice)[1], kStaleNoticeMs);
    }
    // A silent check leaves an open window's text alone.
    if (result != CheckResult::UpdateAdvised) co_return;
    ShowForm();
    ShowMemo(AutomaticCheckMemo(Dutch(), program_.versionText, latest, name));
    Advise(true);
}

platform::Task<> TVersionsForm::CheckOnDemand(int top, int left, int height, int width) {
    versionListText_.clear();
    std::string name = program_.productName, latest;
    const CheckResult result = co_await ReadVersionList(name, latest);

    SetBounds(left + (width - Width()) / 2, top + (height - Height()) / 2, Width(), Height());
    ShowForm();
    ShowMemo(OnDemandMemo(Dutch(), result, program_.versionText, latest, name, clockDates_));
    if (result == CheckResult::UpdateAdvised) {
        Advise(false);
        FocusIfShown(BtnDownload);
    } else {
        BtnExit.SetText(CloseWindowCaption(Dutch()));
        BtnDownload.Hide();
        BtnExit.Show();
        FocusIfShown(BtnExit);
    }
    BringToFront();
}

// The download runs on a thread of its own; the gauge follows it here, and the window's buttons
// stay as they are. Closing the window calls it off (the partial file is deleted by the work).
platform::Task<bool> TVersionsForm::DownloadInstaller() {
    // The download and the install are judged against the record as it stands now, whatever a later
    // check advises.
    downloaded_ = advised_;
    Gauge1.Show();
    Gauge1.SetMaxValue(downloaded_.entry.sizeKB);
    Gauge1.SetProgress(0);
    InstallerRequest request;
    request.dataFolder = program_.dataFolder;
    request.productName = program_.productName;
    request.versionText = program_.versionText;
    request.downloadName = downloaded_.entry.installerName;
    request.baseUrl = downloaded_.baseUrl;
    request.listedKB = downloaded_.entry.sizeKB;
    request.hashField = downloaded_.entry.hashField;
    downloadedKB_ = 0;
    platform::Services& services = platform::Current();
    auto kilobytes = std::make_shared<std::atomic<uint32_t>>(0);
    platform::WaitOptions wait;
    wait.deadlineMs = quotes::WaitingBound(quotes::InstallerProfile(request.baseUrl + request.downloadName));
    wait.onProgress = [this, kilobytes] {
        downloadedKB_ = *kilobytes;
        Gauge1.SetProgress(int(downloadedKB_) + 1);
    };
    auto download = platform::OnWorker(
        [web = services.web, files = services.files, crypto = services.crypto, request, kilobytes](platform::Job& job) {
            return update::DownloadInstaller(
                *web, *files, *crypto, request,
                [&](uint32_t done) {
                    *kilobytes = done;
                    job.Progressed();
                },
                &job);
        },
        std::move(wait));
    DownloadReport report;
    try {
        report = co_await download;
    } catch (const platform::DeadlinePassed&) {
        co_return false;  // the work deletes what it wrote when it ends
    }
    downloadedKB_ = report.kilobytes;
    co_return report.verdict == DownloadVerdict::Sound;
}

void TVersionsForm::BtnDownloadClick() {
    if (!Busy()) fetches_.Start(Download());
}

// "Check nu" is greyed while the download runs; the window's own buttons stay as they are.
platform::Task<> TVersionsForm::Download() {
    // A new download starts from nothing: the installer of an earlier one is gone with it.
    installerReady_ = false;
    bool sound = false;
    {
        const Greyed checking(checkButton);
        sound = co_await DownloadInstaller();
    }
    if (!sound) {
        Memo1.Add(DownloadFailedLine(Dutch()));
        co_return;
    }
    ShowMemo(DownloadedMemo(Dutch(), downloaded_.entry.installerName));
    BtnExit.SetText(InstallCaption(Dutch()));
    BtnDownload.Hide();
    BtnExit.Show();
    installerReady_ = true;
    FocusIfShown(BtnExit);
}

// Installs only while the button offers to: after a later check it reads "Sluit Venster" again and
// closes the window. During a download it closes the window too, which calls the download off.
void TVersionsForm::BtnExitClick() {
    if (installing_) return;
    if (installerReady_ && BtnExit.Text() == InstallCaption(Dutch()))
        StartInstaller();
    else
        Close();
}

// The install starts once: the button greys at the first click, and nothing handled during the
// pause before the program ends can start a second installer.
void TVersionsForm::StartInstaller() {
    installing_ = true;
    work_.Start(Install());
}

platform::Task<> TVersionsForm::Install() {
    BtnExit.SetEnabled(false);
    platform::Services& services = platform::Current();
    const std::string path = InstallerPath(program_.dataFolder, downloaded_.entry.installerName);
    const std::string displayName = InstallerDisplayName(downloaded_.entry.installerName);
    intptr_t opened = 0;
    {
        // Hashed again and held open until the shell has started it: what runs is what was checked.
        const std::unique_ptr<platform::HeldFile> held =
            HoldCheckedInstaller(*services.files, *services.crypto, path, downloaded_.entry.hashField);
        if (!held) {
            RefuseInstaller(path);
            co_return;
        }
        Memo1.Add("");
        Memo1.Add(InstallStartingLine(Dutch(), displayName));
        opened = services.shell->Open("Open", path, InstallerParameters(services.files->ProgramPath()), nullptr);
    }
    if (opened <= 32) {
        Memo1.Add(InstallFailedLine(Dutch()));
        installing_ = false;  // nothing runs: the user may try again
        BtnExit.SetEnabled(true);
        co_return;
    }
    Memo1.Add(InstallStartedLine(Dutch(), displayName));
    // The new line shows, and the window answers, during the pause.
    platform::Pause pause(kPauseBeforeEndingMs);
    co_await pause;
    // The installer runs already: whatever the look-up for the companion meets, the program ends.
    try {
        if (terminateForm) {
            auto ending = terminateForm->TerminateProcessesByName(CompanionProgramPath());
            co_await std::move(ending);
        }
    } catch (const platform::Cancelled&) {
        throw;
    } catch (...) {
    }
    ui::App().Terminate();
}

// An installer that is no longer the one downloaded is deleted and never run; the window offers no
// install any more.
void TVersionsForm::RefuseInstaller(const std::string& path) {
    platform::Current().files->DeleteFile(path);
    installerReady_ = false;
    installing_ = false;
    BtnExit.SetEnabled(true);
    Memo1.Add(DownloadFailedLine(Dutch()));
    BtnExit.SetText(CloseWindowCaption(Dutch()));
}

}  // namespace update
