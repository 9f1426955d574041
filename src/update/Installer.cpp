#include "update/Installer.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <utility>

#include "quotes/Hosts.h"
#include "support/Support.h"
#include "update/Digests.h"
#include "update/VersionList.h"

namespace update {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr const char* kPartialSuffix = ".part";

// Each download writes a file of its own, which takes the installer's name only once it is sound: a
// download given up on that still holds its file (its connection hangs where nothing can cut it)
// can neither pass for the installer nor keep a new download from writing.
std::string PartialPath(const std::string& path) {
    static std::atomic<unsigned> downloads{0};
    return path + "." + std::to_string(++downloads) + kPartialSuffix;
}

// The own files of this program's downloads that have not ended yet, so that a new download's sweep
// leaves them to their downloads (which delete them when they end).
std::mutex partialsLock;
std::set<std::string>& PartialsInUse() {
    static std::set<std::string> paths;
    return paths;
}

class PartialInUse {
public:
    explicit PartialInUse(std::string path) : path_(std::move(path)) {
        const std::lock_guard<std::mutex> lock(partialsLock);
        PartialsInUse().insert(path_);
    }
    ~PartialInUse() {
        const std::lock_guard<std::mutex> lock(partialsLock);
        PartialsInUse().erase(path_);
    }
    PartialInUse(const PartialInUse&) = delete;
    PartialInUse& operator=(const PartialInUse&) = delete;

private:
    std::string path_;
};

bool InUse(const std::string& path) {
    const std::lock_guard<std::mutex> lock(partialsLock);
    return PartialsInUse().count(path) > 0;
}

// A download's own file of this installer: its name, a point, a number, ".part".
bool IsPartialOf(const std::string& file, const std::string& downloadName) {
    const size_t suffix = std::char_traits<char>::length(kPartialSuffix);
    if (file.size() <= downloadName.size() + 1 + suffix) return false;
    if (file.compare(0, downloadName.size(), downloadName) != 0 || file[downloadName.size()] != '.') return false;
    if (file.compare(file.size() - suffix, suffix, kPartialSuffix) != 0) return false;
    const size_t first = downloadName.size() + 1, last = file.size() - suffix;
    for (size_t i = first; i < last; ++i)
        if (file[i] < '0' || file[i] > '9') return false;
    return true;
}

// What a download of this name that was cut off (the program killed, the computer switched off)
// left, but for the files of this program's downloads still running.
void SweepPartials(platform::FileSystem& files, const std::string& folder, const std::string& downloadName) {
    for (const std::string& name : files.FileNamesIn(folder)) {
        const std::string path = folder + name;
        if (IsPartialOf(name, downloadName) && !InUse(path)) files.DeleteFile(path);
    }
}

}  // namespace

std::string DownloadBaseUrl() { return std::string("https://") + hosts::kMakerWebHost + "/"; }

std::string InstallerFolder(const std::string& dataFolder) { return dataFolder + "Temp\\"; }

std::string InstallerPath(const std::string& dataFolder, const std::string& downloadName) {
    return InstallerFolder(dataFolder) + downloadName;
}

std::string OldInstallerName(const std::string& productName, const std::string& versionText) {
    return productName + support::KeepNumberChars(versionText) + ".exe";
}

std::vector<std::string> InstallersToDelete(const std::string& dataFolder, const std::string& productName,
                                            const std::string& versionText, const std::string& downloadName) {
    std::vector<std::string> paths;
    for (const std::string& name : {OldInstallerName(productName, versionText), downloadName})
        if (IsPlainInstallerName(name)) paths.push_back(InstallerPath(dataFolder, name));
    return paths;
}

std::string InstallerDisplayName(const std::string& downloadName) {
    std::string name = support::KeepNonDigits(support::TextBeforeChar('.', downloadName));
    if (name.empty()) return downloadName;
    name[0] = Upper(name[0]);
    if (name.compare(0, 2, "Zv") == 0) {
        std::string rest = name.substr(2);
        for (char& c : rest) c = Upper(c);
        name = "zv" + rest;
    }
    return name;
}

std::string InstallerParameters(const std::string& programPath) {
    std::string parameters = "/SP- /silent /noicons";
    const size_t slash = programPath.rfind('\\');
    if (slash == std::string::npos || slash == 0) return parameters;
    return parameters + " /D=" + programPath.substr(0, slash);
}

uint64_t ListedKilobytes(uint64_t bytes) { return (bytes + 1023) / 1024; }

DownloadVerdict JudgeDownload(const quotes::FileFetch& fetch, const WrittenBytes& written, int64_t listedKB,
                              const std::string& hashField) {
    if (!fetch.urlOpened) return DownloadVerdict::NotOpened;
    if (fetch.status != 200) return DownloadVerdict::BadStatus;
    if (fetch.writeFailed || written.size != fetch.bytes) return DownloadVerdict::WriteFailed;
    if (!fetch.complete) return DownloadVerdict::Incomplete;
    if (fetch.kilobytes <= 1) return DownloadVerdict::TooSmall;
    if (listedKB < 0 || ListedKilobytes(written.size) != static_cast<uint64_t>(listedKB))
        return DownloadVerdict::SizeMismatch;
    if (written.head != "MZ") return DownloadVerdict::NotAnExe;
    if (!HashFieldMatches(hashField, written.digest)) return DownloadVerdict::HashMismatch;
    return DownloadVerdict::Sound;
}

bool CheckedSink::Write(const char* data, size_t size) {
    if (!file_.Write(data, size)) return false;
    if (written_.head.size() < 2) written_.head.append(data, std::min<size_t>(size, 2 - written_.head.size()));
    written_.size += size;
    if (hash_) hash_->Add(data, size);
    return true;
}

WrittenBytes CheckedSink::Finish() {
    if (hash_) written_.digest = hash_->Finish();
    hash_.reset();
    return written_;
}

DownloadReport DownloadInstaller(platform::Web& web, platform::FileSystem& files, platform::Crypto& crypto,
                                 const InstallerRequest& request, const quotes::ProgressHook& progress,
                                 platform::StopSignal* stop) {
    DownloadReport report;
    if (!IsPlainInstallerName(request.downloadName)) {
        report.verdict = DownloadVerdict::BadName;
        return report;
    }
    for (const std::string& path :
         InstallersToDelete(request.dataFolder, request.productName, request.versionText, request.downloadName))
        files.DeleteFile(path);
    const std::string folder = InstallerFolder(request.dataFolder);
    SweepPartials(files, folder, request.downloadName);
    if (!support::ForceFolders(files, folder))
        throw std::runtime_error("Unable to create directory \"" + folder.substr(0, folder.size() - 1) + "\".");
    const std::string path = InstallerPath(request.dataFolder, request.downloadName);
    const std::string partial = PartialPath(path);
    const PartialInUse inUse(partial);
    try {
        quotes::FileFetch fetch;
        WrittenBytes written;
        {
            std::unique_ptr<platform::OutputFile> file = web.CreateFile(partial);
            if (!file) throw std::runtime_error("Cannot create file \"" + path + "\".");
            CheckedSink sink(*file, crypto);
            quotes::FetchProfile profile = quotes::InstallerProfile(request.baseUrl + request.downloadName);
            // Never more than the list announced (0 would mean no bound: at least one byte is a bound).
            profile.fileLimit = std::max<uint64_t>(uint64_t(std::max<int64_t>(request.listedKB, 0)) * 1024u, 1);
            fetch = quotes::FetchUrlToFile(web, profile, sink, progress, stop);
            written = sink.Finish();
        }  // the file is closed here, also when an error passes through
        report.kilobytes = fetch.kilobytes;
        report.verdict = JudgeDownload(fetch, written, request.listedKB, request.hashField);
        // A download given up on meanwhile leaves nothing, whatever it got.
        if (report.verdict == DownloadVerdict::Sound && stop && stop->Stopped()) report.verdict = DownloadVerdict::Incomplete;
        if (report.verdict == DownloadVerdict::Sound && !files.MoveFile(partial, path))
            report.verdict = DownloadVerdict::WriteFailed;
    } catch (...) {
        files.DeleteFile(partial);
        throw;
    }
    if (report.verdict != DownloadVerdict::Sound) files.DeleteFile(partial);
    return report;
}

std::unique_ptr<platform::HeldFile> HoldCheckedInstaller(platform::FileSystem& files, platform::Crypto& crypto,
                                                         const std::string& path, const std::string& hashField) {
    std::unique_ptr<platform::HeldFile> held = files.Hold(path);
    if (!held || !HashFieldMatches(hashField, HashOf(crypto, *held))) return nullptr;
    return held;
}

}  // namespace update
