// The update window on the headless backend: the automatic and the on-demand check with the probe,
// the worker and the list, the download with its gauge and checks, and the install that ends the
// program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TestSigner.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeWeb.h"
#include "fakes/MemoryRegistry.h"
#include "native/NativeCrypto.h"
#include "quotes/Fetch.h"
#include "support/Support.h"
#include "ui/Application.h"
#include "ui/Headless.h"
#include "update/CheckHistory.h"
#include "update/GetVersions.h"
#include "update/Digests.h"
#include "update/Installer.h"
#include "update/Terminate.h"
#include "update/UpdateTexts.h"

namespace {

const std::string kData = "C:\\Users\\tester\\UserData\\Quodo\\";
const std::string kListUrl = "https://www.quodosoft.nl/versions.dat";
const std::string kInstallerUrl = "https://www.quodosoft.nl/Quodo107.exe";
const std::string kDutchReply = "\r\nPingen naar quodosoft.nl [127.0.0.1] met 32 bytes aan gegevens:\r\n"
                                "Antwoord van 127.0.0.1: bytes=32 tijd=12ms TTL=57\r\n";

// Files a fetch writes are files of the file system too.
struct WebFiles : fakes::FakeFileSystem {
    fakes::FakeWeb* web = nullptr;
    bool FileExists(const std::string& path) override { return web->files.count(path) || FakeFileSystem::FileExists(path); }
    std::optional<std::string> ReadFile(const std::string& path) override {
        if (web->files.count(path)) return web->files.at(path);
        return FakeFileSystem::ReadFile(path);
    }
    bool DeleteFile(const std::string& path) override {
        web->files.erase(path);
        return FakeFileSystem::DeleteFile(path);
    }
    bool MoveFile(const std::string& from, const std::string& to) override {
        if (!web->files.count(from)) return FakeFileSystem::MoveFile(from, to);
        web->files[to] = web->files.at(from);
        web->files.erase(from);
        return true;
    }
    // The download's own files that are left in the installer folder.
    size_t PartialFiles() const {
        size_t n = 0;
        for (const auto& [path, content] : web->files) n += path.size() > 5 && path.compare(path.size() - 5, 5, ".part") == 0;
        return n;
    }
};

class VersionsFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::App() = ui::Application();
        sys.Install();
        files.web = &web;
        files.AddFolder(kData);
        platform::Current().files = &files;
        web.Install();
        processes.Install();
        shell.Install();
        platform::Current().crypto = &crypto;
        platform::Current().registry = &registry;
        support::LanguageCode = "NLD";
        Ping(kDutchReply);
        installer = "MZ" + std::string(3000, 'q');
    }
    void TearDown() override {
        backend.EndWaits();
        platform::Current() = platform::Services();
    }
    // The backend as the loop: operations wait for their works, which run where the test lets them.
    void Loop() { platform::Current().loop = &backend; }

    // What the ping writes into its output file.
    void Ping(const std::string& output) {
        processes.onRun = [this, output](const fakes::FakeProcesses::Run& run) {
            files.AddFile(run.outputPath, output, 0);
            return 0;
        };
    }
    // A list with our line as it stands, signed or not.
    void ServeList(const std::string& line) {
        web.Script(kListUrl, {fakes::FakeWeb::Body("QuodoPro,QuodoPro210.exe,,812,x\r\n" + line + "\r\n")});
    }
    std::string Hash(const std::string& bytes) { return update::HexText(update::HashOf(crypto, bytes).value()); }
    // Our entry's fields 0 to 6 for an installer of these bytes; Entry signs them as the maker.
    std::string Fields(const std::string& name, const std::string& bytes) {
        return "Quodo," + name + ",," + std::to_string(update::ListedKilobytes(bytes.size())) + "," + Hash(bytes) +
               ",Nieuw,New";
    }
    std::string Entry(const std::string& name, const std::string& bytes) { return maker.Signed(Fields(name, bytes)); }
    std::string AdvisingEntry() { return Entry("Quodo107.exe", installer); }
    // "Check nu" advises Quodo107.exe and "Start Downloaden" fetches it whole.
    void Download() {
        ServeList(AdvisingEntry());
        form.RunCheckOnDemand(0, 0, 300, 500);
        web.Script(kInstallerUrl, {fakes::FakeWeb::Body(installer)});
        form.BtnDownloadClick();
        ASSERT_TRUE(form.InstallerReady());
    }
    std::vector<std::string> Lines(const std::vector<std::string>& lines) { return lines; }
    size_t ListFetches() { return web.CallsOf("OpenUrl").size(); }

    // In place before the windows below are made: a form measures its frame on the backend.
    struct InstalledBackend : ui::HeadlessBackend {
        InstalledBackend() { ui::SetBackend(this); }
    } backend;
    fakes::FakeSystem sys;
    WebFiles files;
    fakes::FakeWeb web;
    fakes::FakeProcesses processes;
    fakes::FakeShell shell;
    native::OpenSslCrypto crypto;
    fakes::MemoryRegistry registry;
    testing_keys::TestMaker maker;
    ui::Form settings{"TOptionsForm", "OptionsForm"};
    ui::Button checkNow{&settings, "BtnCheck"};
    update::TVersionsForm form{{"Quodo", "versie 1.06", kData, maker.Keys()}};
    std::string installer;
};

TEST_F(VersionsFormTest, AnAutomaticCheckThatAdvisesShowsTheWindowWithBothButtons) {
    form.checkButton = &checkNow;
    ServeList(AdvisingEntry());
    bool greyedWhileWaiting = false;
    web.onRead = [&] { greyedWhileWaiting = !checkNow.Enabled(); };  // on the worker's thread, while the list comes
    form.RunAutomaticCheck();
    EXPECT_TRUE(greyedWhileWaiting);
    EXPECT_TRUE(checkNow.Enabled());
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Caption(), "Quodo - Update");
    EXPECT_EQ(form.Memo1.Lines(), update::AutomaticCheckMemo(true, "versie 1.06", "1.07", "Quodo107.exe"));
    EXPECT_EQ(form.BtnDownload.Text(), "Start Downloaden");
    EXPECT_EQ(form.BtnExit.Text(), "Download Later");
    EXPECT_TRUE(form.BtnDownload.Visible() && form.BtnExit.Visible());
    EXPECT_EQ(form.DownloadName(), "Quodo107.exe");
    EXPECT_EQ(form.DownloadBaseUrl(), "https://www.quodosoft.nl/");
    EXPECT_EQ(form.InstallerSizeKB(), 3);
    EXPECT_FALSE(files.FileExists(kData + "Error.log"));
}

TEST_F(VersionsFormTest, AFailedAutomaticCheckWritesErrorLogAndLeavesAnOpenWindowAlone) {
    form.Memo1.SetLines({"", "eerder"});
    form.ShowForm();
    web.Script(kListUrl, {fakes::FakeWeb::Refused(), fakes::FakeWeb::Refused()});
    form.RunAutomaticCheck();
    EXPECT_EQ(form.Memo1.Lines(), (std::vector<std::string>{"", "eerder"}));
    EXPECT_EQ(files.ReadFile(kData + "Error.log").value_or(""), "5-1-2026.\r\nServer reageert niet.\r\n");

    Ping("\r\nPingen naar quodosoft.nl\r\nTime-out bij aanvraag.\r\n");
    const size_t fetches = ListFetches();
    form.RunAutomaticCheck();
    EXPECT_EQ(ListFetches(), fetches);  // a failed probe starts no worker
    EXPECT_EQ(files.ReadFile(kData + "Error.log").value_or(""), "5-1-2026.\r\nTime-out bij Ping.\r\n");
}

TEST_F(VersionsFormTest, AProgramThatEndsWhileTheListIsAwaitedWritesNoErrorLogAndShowsNothing) {
    ServeList(AdvisingEntry());
    Loop();
    backend.holdWorks = true;
    form.RunAutomaticCheck();
    backend.FinishWork();  // the ping; now the list is awaited
    ASSERT_EQ(backend.HeldWorks(), 1u);
    ui::App().Terminate();  // "Afsluiten"
    backend.EndWaits();     // as the program does once its loop has ended
    backend.FinishWorks();  // the list's work, told to stop, fetches nothing
    EXPECT_EQ(ListFetches(), 0u);
    EXPECT_TRUE(backend.messages.empty());
    EXPECT_FALSE(files.FileExists(kData + "Error.log"));
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Busy());
}

TEST_F(VersionsFormTest, ACheckOnDemandAlwaysShowsItsOutcomeCentredOverTheDialog) {
    ServeList(Entry("Quodo106.exe", installer));
    form.RunCheckOnDemand(100, 200, 301, 523);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Top(), 100 + (301 - form.Height()) / 2);
    EXPECT_EQ(form.Left(), 200 + (523 - form.Width()) / 2);
    EXPECT_EQ(form.Memo1.Lines(), update::OnDemandMemo(true, update::CheckResult::UpToDate, "versie 1.06", "1.06",
                                                       "Quodo106.exe"));
    EXPECT_EQ(form.BtnExit.Text(), "Sluit Venster");
    EXPECT_FALSE(form.BtnDownload.Visible());
    EXPECT_EQ(backend.focused, &form.BtnExit);
    EXPECT_FALSE(backend.broughtToFront.empty());

    form.BtnExitClick();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(VersionsFormTest, ADownloadFillsTheGaugeAndInstallingStartsTheInstallerAndEndsTheProgram) {
    ServeList(AdvisingEntry());
    form.RunCheckOnDemand(0, 0, 300, 500);
    EXPECT_EQ(form.BtnExit.Text(), "Download later");
    web.Script(kInstallerUrl, {fakes::FakeWeb::Chunks({installer.substr(0, 2048), installer.substr(2048)})});
    std::vector<int> progress;
    web.onRead = [&] {  // the gauge as each read begins
        progress.push_back(form.Gauge1.Progress());
        EXPECT_TRUE(form.BtnExit.Enabled());  // the window's buttons stay as they are
    };
    form.BtnDownloadClick();
    EXPECT_TRUE(form.Gauge1.Visible());
    EXPECT_EQ(progress, (std::vector<int>{0, 3, 3}));  // 2048 bytes: 2 KB, shown as 3; then 954 bytes: none
    EXPECT_EQ(form.DownloadedKB(), 2u);
    EXPECT_TRUE(form.InstallerReady());
    EXPECT_EQ(form.Memo1.Lines(), update::DownloadedMemo(true, "Quodo107.exe"));
    EXPECT_EQ(form.BtnExit.Text(), "Installeer");
    EXPECT_TRUE(form.BtnExit.Enabled());
    EXPECT_FALSE(form.BtnDownload.Visible());

    update::TTerminateForm terminate;
    form.terminateForm = &terminate;
    processes.Start(77, "C:\\Program Files\\Quodo\\Quodo_Sched.exe");
    const auto sleptBefore = sys.clock.slept;
    form.BtnExitClick();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, "Open");
    EXPECT_EQ(shell.calls[0].file, kData + "Temp\\Quodo107.exe");
    // The running copy's folder last, unquoted, blanks and all: the copy that runs is the one replaced.
    EXPECT_EQ(shell.calls[0].parameters, "/SP- /silent /noicons /D=C:\\Program Files\\Quodo");
    EXPECT_EQ(sys.clock.slept - sleptBefore, 1000u);  // a second for the installer to get going
    EXPECT_FALSE(processes.IsRunning(77));
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_EQ(form.Memo1.Lines().back(), update::InstallStartedLine(true, "Quodo"));
}

// "Start Downloaden" in a window that an earlier check left open is greyed while a later check
// waits (what it would fetch is being checked again), and pressed then it starts nothing.
TEST_F(VersionsFormTest, StartDownloadenIsGreyedWhileACheckWaits) {
    ServeList(AdvisingEntry());
    form.RunAutomaticCheck();
    ASSERT_TRUE(form.BtnDownload.Visible());
    Loop();
    backend.holdWorks = true;
    ServeList(AdvisingEntry());
    form.RunAutomaticCheck();
    EXPECT_FALSE(form.BtnDownload.Enabled());
    form.BtnDownload.Click();
    backend.FinishWorks();
    EXPECT_TRUE(form.BtnDownload.Enabled());
    EXPECT_EQ(ListFetches(), 2u) << "two lists, and no installer";
}

TEST_F(VersionsFormTest, TheCloseBoxDuringADownloadCutsItAndNothingIsReady) {
    form.checkButton = &checkNow;
    ServeList(AdvisingEntry());
    form.RunCheckOnDemand(0, 0, 300, 500);
    web.Script(kInstallerUrl, {fakes::FakeWeb::StallAfter({installer.substr(0, 2048)})});
    Loop();
    backend.threadedWorks = true;
    form.BtnDownloadClick();
    ASSERT_TRUE(backend.RunUntil([&] { return form.Gauge1.Progress() == 3; }));  // the rest of the body is awaited
    form.BtnDownloadClick();  // a second press while it runs starts nothing
    EXPECT_FALSE(checkNow.Enabled());
    form.Close();  // the close box: the download ends from a message of its own
    EXPECT_TRUE(form.Busy());
    backend.RunPending();
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(checkNow.Enabled());
    ASSERT_TRUE(platform::WorksEnded(std::chrono::seconds(20)));  // the cut ends the work on its thread
    EXPECT_EQ(web.CallsOf("OpenUrl").size(), 2u) << "the list, and one download";
    EXPECT_FALSE(form.InstallerReady());
    EXPECT_FALSE(files.FileExists(kData + "Temp\\Quodo107.exe"));
    EXPECT_EQ(files.PartialFiles(), 0u);
    EXPECT_TRUE(backend.messages.empty());
}

TEST_F(VersionsFormTest, AnUnsoundDownloadIsDeletedAndNothingIsEverRun) {
    ServeList(AdvisingEntry());
    form.RunCheckOnDemand(0, 0, 300, 500);
    const std::string path = kData + "Temp\\Quodo107.exe";
    for (auto answer : {fakes::FakeWeb::Answer(404, installer), fakes::FakeWeb::CutAfter({installer.substr(0, 2048)}),
                        fakes::FakeWeb::Body("MZ" + installer.substr(0, 2500)), fakes::FakeWeb::Body("xy" + installer.substr(2))}) {
        web.Script(kInstallerUrl, {answer});
        form.BtnDownloadClick();
        EXPECT_FALSE(form.InstallerReady());
        EXPECT_FALSE(files.FileExists(path));
        EXPECT_EQ(form.Memo1.Lines().back(), "Download mislukt.");
        form.BtnExitClick();  // "Download later": closes
        EXPECT_FALSE(form.Visible());
        form.ShowForm();
    }
    EXPECT_TRUE(shell.calls.empty());
}

// Whatever version it names: a forged "you are up to date" is refused as a forged update is.
TEST_F(VersionsFormTest, AnEntryTheMakerDidNotSignOffersNothingAndIsLogged) {
    const std::string entry = Fields("Quodo107.exe", installer);
    for (const std::string& line : {testing_keys::TestMaker().Signed(entry), Fields("Quodo106.exe", installer)}) {
        ServeList(line);
        form.RunCheckOnDemand(0, 0, 300, 500);
        EXPECT_EQ(form.Memo1.Lines(), Lines({"", "Handtekening van de versielijst klopt niet."})) << line;
        EXPECT_EQ(form.BtnExit.Text(), "Sluit Venster");
        EXPECT_FALSE(form.BtnDownload.Visible());
    }
    ServeList(entry);
    form.RunAutomaticCheck();
    EXPECT_EQ(files.ReadFile(kData + "Error.log").value_or(""),
              "5-1-2026.\r\nHandtekening van de versielijst klopt niet.\r\n");
    EXPECT_EQ(ListFetches(), 3u) << "only the lists: no installer";
}

// The advised entry is one record from its check to the install: a later check that advises another
// installer changes neither what was downloaded nor what it is checked against before it starts.
TEST_F(VersionsFormTest, TheInstallerIsCheckedAgainstTheRecordItWasDownloadedBy) {
    Download();
    ServeList(Entry("Quodo108.exe", "MZ" + std::string(5000, 'n')));
    form.RunAutomaticCheck();
    EXPECT_EQ(form.DownloadName(), "Quodo108.exe");
    EXPECT_EQ(form.Downloaded().entry.hashField, Hash(installer));

    const std::string path = kData + "Temp\\Quodo107.exe";
    bool heldWhileStarting = false;
    shell.onOpen = [&](const fakes::FakeShell::Call&) { heldWhileStarting = files.held.count(path); };
    form.StartInstaller();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, path);
    EXPECT_TRUE(heldWhileStarting);
    EXPECT_FALSE(files.held.count(path));
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(VersionsFormTest, AnInstallerChangedAfterItsDownloadIsDeletedAndNeverRun) {
    Download();
    const std::string path = kData + "Temp\\Quodo107.exe";
    web.files.at(path)[100] = 'x';
    form.BtnExitClick();
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(files.FileExists(path));
    EXPECT_FALSE(form.InstallerReady());
    EXPECT_EQ(form.Memo1.Lines().back(), "Download mislukt.");
    EXPECT_EQ(form.BtnExit.Text(), "Sluit Venster");
}

TEST_F(VersionsFormTest, AfterALaterCheckTheCloseButtonClosesInsteadOfInstalling) {
    Download();
    web.Script(kListUrl, {fakes::FakeWeb::Refused(), fakes::FakeWeb::Refused()});
    form.RunCheckOnDemand(0, 0, 300, 500);
    EXPECT_EQ(form.BtnExit.Text(), "Sluit Venster");
    form.BtnExitClick();
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(ui::App().Terminated());
}

TEST_F(VersionsFormTest, ChecksNeverNestAndAMalformedEntryStopsTheCheckWithAnError) {
    form.checkButton = &checkNow;
    ServeList(AdvisingEntry());
    Loop();
    backend.holdWorks = true;
    form.RunAutomaticCheck();
    form.RunCheckOnDemand(0, 0, 300, 500);  // "Check nu" while the automatic check waits: dropped
    backend.FinishWorks();
    EXPECT_EQ(ListFetches(), 1u);
    EXPECT_EQ(form.BtnExit.Text(), "Download Later");  // the automatic check's, not the dropped one's

    ServeList(maker.Signed("Quodo,Quodo107.exe,,drie," + Hash(installer) + ",a,b"));
    form.RunCheckOnDemand(0, 0, 300, 500);
    backend.FinishWorks();
    ASSERT_EQ(backend.messages.size(), 1u);  // the general error handler's box
    EXPECT_EQ(backend.messages[0].kind, ui::MessageKind::Error);
    EXPECT_TRUE(checkNow.Enabled());
    EXPECT_FALSE(form.Busy());
}

TEST_F(VersionsFormTest, ProgramNotFoundClearsAReadyInstaller) {
    Download();
    ServeList("Andere,Andere1.exe,,1,x,een regel die lang genoeg is");
    form.RunAutomaticCheck();
    EXPECT_FALSE(form.InstallerReady());
}

// Checks that keep failing are told in the popup once no check has succeeded for 45 days, and again
// after each further 45 days; a list that has run out at the computer's clock names both dates.
TEST_F(VersionsFormTest, FortyFiveDaysWithoutAGoodCheckAreToldOnceAndAgainAfterAnother45) {
    std::vector<std::pair<std::string, std::string>> told;
    form.showNotice = [&](const std::string& line1, const std::string& line2, int) { told.emplace_back(line1, line2); };
    // January's list while it is served, then a server that refuses every connection.
    const auto checkOn = [&](int month, int day, bool listServed = false) {
        if (listServed) ServeList(AdvisingEntry());
        sys.clock.now = fakes::MakeDateTime(2026, month, day, 12, 0);
        form.RunAutomaticCheck();
    };
    checkOn(1, 5, true);
    checkOn(2, 18, true);  // 44 days after the good check: the list has run out, nothing told yet
    EXPECT_TRUE(told.empty());
    checkOn(2, 19, true);
    checkOn(2, 20, true);
    checkOn(4, 4);  // 44 days after the telling, whatever the reason now
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, "Sinds 5-1-2026 is geen controle op een nieuwe versie gelukt.");
    EXPECT_EQ(told[0].second, "De datum van deze computer (19-2-2026) valt buiten de geldigheid van de versielijst "
                              "(1-1-2026 t/m 31-1-2026). Controleer de datum en tijd.");
    checkOn(4, 5);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].second, "De server reageert niet");
}

// A program that never had a good check counts from its first; a moment stored in the clock's future
// (left by a clock that was ahead) counts from now.
TEST(CheckHistory, NeverAGoodCheckCountsFromTheFirstAClockThatWasAheadFromNow) {
    fakes::MemoryRegistry registry;
    const update::UtcSeconds day = update::kSecondsPerDay, first = update::ParseListTime("2026-03-01T12:00:00Z").value();
    EXPECT_FALSE(update::TakeStaleNotice(registry, "Quodo", first));
    EXPECT_EQ(update::TakeStaleNotice(registry, "Quodo", first + 45 * day), first);
    update::RememberGoodCheck(registry, "Quodo", first + 3650 * day);
    EXPECT_FALSE(update::TakeStaleNotice(registry, "Quodo", first + 100 * day));
    EXPECT_EQ(update::TakeStaleNotice(registry, "Quodo", first + 145 * day), first + 100 * day);
}

// The list's time is judged by the clock's UTC, not by the local time through the zone's rules: in
// the summer of a southern zone (Sydney, eleven hours ahead in January) the support library's
// daylight saving, which knows no summer across the new year, would put UTC an hour late.
TEST_F(VersionsFormTest, TheListsTimeIsTheClocksUtcInASouthernSummer) {
    sys.system.timeZone = {-600, 0, -60, {0, 4, 0, 1, 3}, {0, 10, 0, 1, 2}};  // daylight saving from October to April
    sys.clock.utcOffsetMinutes = 11 * 60;
    sys.clock.now = fakes::MakeDateTime(2026, 1, 5, 11, 30);  // 00:30 UTC
    ServeList(maker.Signed(Fields("Quodo107.exe", installer), "2026-01-01T00:00:00Z", "2026-01-05T01:00:00Z"));
    form.RunCheckOnDemand(0, 0, 300, 500);
    EXPECT_EQ(form.BtnDownload.Text(), "Start Downloaden");
}

}  // namespace
