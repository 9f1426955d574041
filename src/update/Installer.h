// The installer side of an update: where the downloaded installer goes, what is deleted before a
// download, the name shown while it installs, the download with its integrity check, and the check
// again right before the installer starts.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "quotes/Fetch.h"

namespace update {

// DownloadBaseUrl: the maker's web host over HTTPS, path "/"; the installer's name is appended.
std::string DownloadBaseUrl();
// DataFolder + "Temp\": the only folder where installers are written and deleted.
std::string InstallerFolder(const std::string& dataFolder);
std::string InstallerPath(const std::string& dataFolder, const std::string& downloadName);
// The installer of the running version: ProductName, VersionText's digits and points, ".exe"
// ("Quodo" and "versie 1.06" give Quodo1.06.exe).
std::string OldInstallerName(const std::string& productName, const std::string& versionText);
// What a new download deletes first: the old installer and the new name, both only inside
// InstallerFolder and only when they are plain installer names.
std::vector<std::string> InstallersToDelete(const std::string& dataFolder, const std::string& productName,
                                            const std::string& versionText, const std::string& downloadName);
// The product name announced while installing: the name before its first ".", without digits,
// its first letter in upper case; a name starting with "zv" reads "zv" and the rest in upper case
// (Quodo107.exe: Quodo, zvtool12.exe: zvTOOL). A name with nothing left gives the name itself.
std::string InstallerDisplayName(const std::string& downloadName);

// The installer's parameters: "/SP- /silent /noicons" (an update started by the program, silent,
// no shortcut: what every version passes), then "/D=" and the running program's folder, so that the
// update replaces the copy that runs. The installer takes "/D=" only as the last parameter and
// without quotes, blanks and all; a program path without a folder adds nothing.
std::string InstallerParameters(const std::string& programPath);

// The size the version list gives for a file of so many bytes: whole kilobytes, rounded up.
uint64_t ListedKilobytes(uint64_t bytes);

enum class DownloadVerdict {
    Sound,         // the installer may be started
    BadName,       // the name is no plain installer name: nothing was fetched
    NotOpened,     // no session or the address could not be opened
    BadStatus,     // the answer was not HTTP 200
    WriteFailed,   // the file did not take every byte
    Incomplete,    // the body ended on a failed read
    TooSmall,      // at most one kilobyte arrived (counted per chunk, fractions dropped)
    SizeMismatch,  // the size does not round up to the listed kilobytes
    NotAnExe,      // it does not start with "MZ"
    HashMismatch,  // the file's SHA-256 is not the one field 4 names (or field 4 names none)
};

// What was written to the installer file, gathered while it was written.
struct WrittenBytes {
    uint64_t size = 0;
    std::string head;  // the first two bytes
    std::optional<platform::Sha256Digest> digest;  // nothing when the system could not hash
};

// The integrity check of a finished download, in the order of the verdicts above.
DownloadVerdict JudgeDownload(const quotes::FileFetch& fetch, const WrittenBytes& written, int64_t listedKB,
                              const std::string& hashField);

// A file sink that passes the bytes on and notes their count, first bytes and SHA-256.
class CheckedSink : public platform::OutputFile {
public:
    CheckedSink(platform::OutputFile& file, platform::Crypto& crypto) : file_(file), hash_(crypto.NewSha256()) {}
    bool Write(const char* data, size_t size) override;
    WrittenBytes Finish();

private:
    platform::OutputFile& file_;
    WrittenBytes written_;
    std::unique_ptr<platform::Sha256Hash> hash_;
};

struct InstallerRequest {
    std::string dataFolder;    // with trailing backslash
    std::string productName;   // "Quodo"
    std::string versionText;   // "versie 1.06"
    std::string downloadName;  // field 1 of the entry
    std::string baseUrl = DownloadBaseUrl();
    int64_t listedKB = 0;   // field 3
    std::string hashField;  // field 4
};

struct DownloadReport {
    DownloadVerdict verdict = DownloadVerdict::NotOpened;
    uint32_t kilobytes = 0;  // DownloadedKB: per chunk of n bytes n / 1024, summed
};

// Deletes the old installers, creates InstallerFolder, fetches baseUrl + downloadName into a file of
// this download's own there (progress is called after each chunk with the kilobytes so far) and
// checks it; a sound file then takes the installer's name, any other is deleted, also when an
// error passes through. A folder or file that cannot be created raises std::runtime_error. The
// body stops as soon as it passes the listed size (it is then unsound), and a stop signal cuts the
// download short (unsound too).
DownloadReport DownloadInstaller(platform::Web& web, platform::FileSystem& files, platform::Crypto& crypto,
                                 const InstallerRequest& request, const quotes::ProgressHook& progress = {},
                                 platform::StopSignal* stop = nullptr);

// The downloaded installer, held open so that no one can change it, when its SHA-256 is still the
// one hashField names; null (and the file let go) when it cannot be held or read, or differs. Keep
// it until the installer has been started.
std::unique_ptr<platform::HeldFile> HoldCheckedInstaller(platform::FileSystem& files, platform::Crypto& crypto,
                                                         const std::string& path, const std::string& hashField);

}  // namespace update
