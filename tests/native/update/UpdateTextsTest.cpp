#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeSystem.h"
#include "update/DateFormat.h"
#include "update/ErrorLog.h"
#include "update/UpdateTexts.h"

namespace {

using fakes::MakeDateTime;
using update::CheckResult;
using Lines = std::vector<std::string>;

const char* const kRunning = "versie 1.06";

TEST(UpdateTexts, LanguageAndCaption) {
    EXPECT_TRUE(update::IsDutch("NLD"));
    EXPECT_FALSE(update::IsDutch("ENU"));
    EXPECT_FALSE(update::IsDutch("nld"));
    EXPECT_FALSE(update::IsDutch(""));
    EXPECT_EQ(update::UpdateWindowCaption("Quodo"), "Quodo - Update");
}

TEST(UpdateTexts, AutomaticCheckAdvisesAnUpdate) {
    EXPECT_EQ(update::AutomaticCheckMemo(true, kRunning, "1.07", "Quodo107.exe"),
              (Lines{"", "Een Update wordt aanbevolen", "", "Uw huidige versie is versie 1.06",
                     "De nieuwste versie is 1.07", "De Downloadnaam is Quodo107.exe"}));
    EXPECT_EQ(update::AutomaticCheckMemo(false, kRunning, "1.06a", "Quodo106.exe"),
              (Lines{"", "Update is advised", "", "Your current version is versie 1.06", "The latest version is 1.06a",
                     "The Download Name is Quodo106.exe"}));
}

TEST(UpdateTexts, OnDemandLinesPerResult) {
    auto dutch = [](CheckResult result) {
        return update::OnDemandMemo(true, result, kRunning, "1.07", "Quodo107.exe");
    };
    auto english = [](CheckResult result) {
        return update::OnDemandMemo(false, result, kRunning, "1.07", "Quodo107.exe");
    };
    EXPECT_EQ(dutch(CheckResult::UpToDate), (Lines{"", "Een Update is niet nodig,", "u heeft de nieuwste versie.",
                                                   "Uw huidige versie is versie 1.06."}));
    EXPECT_EQ(english(CheckResult::UpToDate), (Lines{"", "No Update is needed,", "you are using the latest version.",
                                                     "Your current version is versie 1.06."}));
    EXPECT_EQ(dutch(CheckResult::NoServerResponse), (Lines{"", "De server reageert niet"}));
    EXPECT_EQ(english(CheckResult::NoServerResponse), (Lines{"", "No reaction from Server"}));
    EXPECT_EQ(dutch(CheckResult::FileTooSmall), (Lines{"", "Het bestand is te klein"}));
    EXPECT_EQ(english(CheckResult::FileTooSmall), (Lines{"", "File not downloaded correctly"}));
    EXPECT_EQ(dutch(CheckResult::ProgramNotFound), (Lines{"", "Programma-naam niet gevonden"}));
    EXPECT_EQ(english(CheckResult::ProgramNotFound), (Lines{"", "Program Name not found"}));
    EXPECT_EQ(dutch(CheckResult::PingTimeOut), (Lines{"", "Ping naar quodosoft.nl geeft Time-out"}));
    EXPECT_EQ(english(CheckResult::PingTimeOut), (Lines{"", "Ping to quodosoft.nl gives Time-out"}));
    EXPECT_EQ(dutch(CheckResult::SignatureInvalid), (Lines{"", "Handtekening van de versielijst klopt niet."}));
    EXPECT_EQ(english(CheckResult::SignatureInvalid), (Lines{"", "The version list's signature is not valid."}));
    EXPECT_EQ(dutch(CheckResult::ListOlderThanBelieved),
              (Lines{"", "De versielijst is ouder dan een eerder ontvangen versielijst."}));
    EXPECT_EQ(dutch(CheckResult::UpdateAdvised), update::AutomaticCheckMemo(true, kRunning, "1.07", "Quodo107.exe"));
    EXPECT_EQ(english(CheckResult::UpdateAdvised), update::AutomaticCheckMemo(false, kRunning, "1.07", "Quodo107.exe"));
}

// A list that has run out at the computer's clock names the computer's date and the list's, so that
// a wrong clock shows as one (the Dutch text through the update window's test).
TEST(UpdateTexts, AListOutOfDateNamesBothDates) {
    const update::ClockDates dates{"8-12-2031", "1-12-2026", "31-12-2026"};
    EXPECT_EQ(update::OnDemandMemo(false, CheckResult::ListOutOfDate, kRunning, "", "", dates),
              (Lines{"", "This computer's date (8-12-2031) lies outside the version list's validity "
                         "(1-12-2026 to 31-12-2026). Check the date and time."}));
}

TEST(UpdateTexts, ButtonCaptions) {
    EXPECT_STREQ(update::kDownloadNowCaption, "Download nu");
    EXPECT_EQ(update::StartDownloadCaption(true), "Start Downloaden");
    EXPECT_EQ(update::StartDownloadCaption(false), "Start Downloading");
    EXPECT_EQ(update::DownloadLaterCaption(true), "Download Later");
    EXPECT_EQ(update::DownloadLaterCaption(false), "Download later");
    EXPECT_EQ(update::CloseWindowCaption(true), "Sluit Venster");
    EXPECT_EQ(update::CloseWindowCaption(false), "Close Window");
    EXPECT_EQ(update::InstallCaption(true), "Installeer");
    EXPECT_EQ(update::InstallCaption(false), "Install");
}

TEST(UpdateTexts, DownloadAndInstallLines) {
    EXPECT_EQ(
        update::DownloadedMemo(true, "Quodo107.exe"),
        (Lines{"", "Quodo107.exe is met succes gedownload", "Klik \"Installeer\" om het progamma te installeren"}));
    EXPECT_EQ(update::DownloadedMemo(false, "Quodo107.exe"),
              (Lines{"", "Quodo107.exe has been succesfully downloaded", "Click \"Install\" to install the progam"}));
    EXPECT_EQ(update::DownloadFailedLine(true), "Download mislukt.");
    EXPECT_EQ(update::DownloadFailedLine(false), "Download failed.");
    EXPECT_EQ(update::InstallStartingLine(true, "Quodo"), "De installatie van Quodo wordt gestart.");
    EXPECT_EQ(update::InstallStartingLine(false, "Quodo"), "The installation of Quodo is started.");
    EXPECT_EQ(update::InstallStartedLine(true, "zvTOOL"), "De installatie van zvTOOL is gestart.");
    EXPECT_EQ(update::InstallStartedLine(false, "zvTOOL"), "The installation of zvTOOL has started.");
    EXPECT_EQ(update::InstallFailedLine(true), "Installatie is mislukt.");
    EXPECT_EQ(update::InstallFailedLine(false), "Installation failed.");
}

TEST(DateFormat, ShortDatePictures) {
    const auto march = MakeDateTime(2026, 3, 7);
    EXPECT_EQ(update::FormatDate(march, "d-M-yyyy"), "7-3-2026");
    EXPECT_EQ(update::FormatDate(march, "dd-MM-yy"), "07-03-26");
    EXPECT_EQ(update::FormatDate(march, "M/d/yyyy"), "3/7/2026");
    EXPECT_EQ(update::FormatDate(march, "yyyy-MM-dd"), "2026-03-07");
    EXPECT_EQ(update::FormatDate(MakeDateTime(2026, 12, 25), "d-M-yyyy"), "25-12-2026");
    EXPECT_EQ(update::FormatDate(MakeDateTime(2009, 1, 1), "d.M.yy"), "1.1.09");
    EXPECT_EQ(update::FormatDate(MakeDateTime(2009, 1, 1), "y"), "9");
    EXPECT_EQ(update::FormatDate(march, "dd 'de' MM yyyy"), "07 de 03 2026");
    EXPECT_EQ(update::FormatDate(march, "d 'dag"), "7 dag") << "an unclosed quote runs to the end";
    EXPECT_EQ(update::FormatDate(march, "gg yyyy"), " 2026");
    EXPECT_EQ(update::FormatDate(march, "ddd dd-MMM"), "07 07-03");
}

TEST(ErrorLog, TwoDutchLinesPerFailure) {
    const auto day = MakeDateTime(2026, 3, 7, 14, 5);
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::NoServerResponse),
              "7-3-2026.\r\nServer reageert niet.\r\n");
    EXPECT_EQ(update::ErrorLogText(day, "dd/MM/yyyy", CheckResult::FileTooSmall),
              "07/03/2026.\r\nBestand te klein.\r\n");
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::ProgramNotFound),
              "7-3-2026.\r\nProgramma-naam niet gevonden.\r\n");
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::PingTimeOut), "7-3-2026.\r\nTime-out bij Ping.\r\n");
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::ListOutOfDate),
              "7-3-2026.\r\nVersielijst verlopen of datum van deze computer onjuist.\r\n");
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::UpToDate), "");
    EXPECT_EQ(update::ErrorLogText(day, "d-M-yyyy", CheckResult::UpdateAdvised), "");
}

class WriteErrorLog : public ::testing::Test {
protected:
    fakes::FakeSystem sys;
    platform::Services services;
    const std::string folder = "C:\\Users\\user\\UserData\\Quodo\\";
    const std::string log = folder + "Error.log";

    void SetUp() override {
        sys.files.AddFolder(folder);
        sys.clock.now = MakeDateTime(2026, 11, 30, 9, 1);
        sys.locale.shortDateFormat = "dd-MM-yyyy";
        services.clock = &sys.clock;
        services.locale = &sys.locale;
        services.files = &sys.files;
    }
};

TEST_F(WriteErrorLog, ReplacesTheLogWithTodaysFailure) {
    sys.files.AddFile(log, "older text that is longer than the new one\r\n", 0);
    EXPECT_TRUE(update::WriteErrorLog(services, folder, CheckResult::NoServerResponse));
    EXPECT_EQ(sys.files.files.at(log).content, "30-11-2026.\r\nServer reageert niet.\r\n");
    sys.locale.shortDateFormat = "M/d/yyyy";
    EXPECT_TRUE(update::WriteErrorLog(services, folder, CheckResult::PingTimeOut));
    EXPECT_EQ(sys.files.files.at(log).content, "11/30/2026.\r\nTime-out bij Ping.\r\n");
}

TEST_F(WriteErrorLog, ACheckThatDidNotFailLeavesTheLogAsItWas) {
    sys.files.AddFile(log, "7-3-2026.\r\nBestand te klein.\r\n", 0);
    EXPECT_TRUE(update::WriteErrorLog(services, folder, CheckResult::UpToDate));
    EXPECT_TRUE(update::WriteErrorLog(services, folder, CheckResult::UpdateAdvised));
    EXPECT_EQ(sys.files.files.at(log).content, "7-3-2026.\r\nBestand te klein.\r\n");
}

TEST_F(WriteErrorLog, AFailedWriteIsReportedNotRaised) {
    sys.files.unwritableFiles.insert(log);
    EXPECT_FALSE(update::WriteErrorLog(services, folder, CheckResult::FileTooSmall));
    EXPECT_FALSE(sys.files.FileExists(log));
}

}  // namespace
