// Reading the maker's version list: finding the program's own entry, reading its fields and
// comparing its version with the running one.
//
// The list is a text of lines ended by CR LF, one line per program:
//   Quodo,Quodo107.exe,a,850,<SHA-256>,<Dutch>,<English>,<release signature>,<signed at>,<valid until>,<freshness signature>
// field 0 the product name, 1 the installer's file name (the version's digits before its first
// "."), 2 the version letter or nothing, 3 the installer's size in whole kilobytes (rounded up),
// 4 the installer's SHA-256 as 64 hexadecimal digits, 5 and 6 a Dutch and an English text (empty
// or not), 7 the release key's signature of fields 0 to 6, 8 and 9 when the list was signed and
// until when it holds (update/ListTime.h), 10 the freshness key's signature of the times
// (update/EntrySignature.h). Other programs' lines may have only fields 0 to 4.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "update/EntrySignature.h"
#include "update/ListTime.h"

namespace update {

// The outcome of one check. The worker's failure codes "1" and "2" are the values 1 and 2.
enum class CheckResult : int {
    UpToDate = 0,
    NoServerResponse = 1,
    FileTooSmall = 2,
    ProgramNotFound = 3,
    UpdateAdvised = 4,
    PingTimeOut = 5,
    SignatureInvalid = 6,  // not both of the maker's signatures hold, or no hash, no times, an unsound validity
    ListOutOfDate = 7,     // the signed entry's time is over at the computer's clock
    ListOlderThanBelieved = 8,  // signed before, or naming an older version than, a list believed before
};

// A check that got its answer: up to date, or an update advised.
inline bool IsGoodCheck(CheckResult result) {
    return result == CheckResult::UpToDate || result == CheckResult::UpdateAdvised;
}

// A version as its digits and an optional lower-case letter: "versie 1.06a" is 106 and 'a'.
struct Version {
    std::string digits;  // the digits (and any "," kept by KeepNumberChars), without the first "."
    char letter = 0;     // 0: no letter
};

// CurrentDigits and CurrentLetter from the program's VersionText ("versie 1.06": 106, no letter).
Version CurrentVersion(const std::string& versionText);
// LatestDigits from the installer name (Quodo107.exe: 107) with LatestLetter (0: none).
Version ListedVersion(const std::string& installerName, char letter);
// Newer when its digits are a greater number (99 < 106 < 109 < 1010), or the same number with a
// letter of a higher code (no letter is lowest).
bool IsNewer(const Version& latest, const Version& current);
// The display form: the first digit, ".", the other digits, the letter ("1.07", "1.06a");
// empty when there are no digits.
std::string DisplayVersion(const Version& version);

// The installer name becomes a local path, a deletion target and a program to run, so only a plain
// file name is taken: 1 to 64 characters of letters, digits, ".", "-" and "_", starting with a
// letter or digit and ending in ".exe" in any case, and no device name (CON, NUL, COM1, ...)
// before its first ".".
constexpr size_t kMaxInstallerNameLength = 64;
bool IsPlainInstallerName(const std::string& name);

// An entry that cannot be read: fewer than five fields, a size that is no decimal integer or an
// installer name that is no plain file name. The check stops with this error.
class MalformedEntry : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct VersionEntry {
    std::string installerName;  // field 1
    char letter = 0;            // the first character of field 2; 0 when it is empty
    int32_t sizeKB = 0;         // field 3
    std::string hashField;      // field 4
    std::string dutchText;      // fields 5 and 6, only when the entry has at least seven fields
    std::string englishText;
    std::string releaseSignature;  // field 7
    UtcSeconds signedAt = 0;       // fields 8 and 9, when they are times
    UtcSeconds validUntil = 0;
    std::string freshnessSignature;  // field 10
};

// The fields the program reads of an entry: 0 to 10 (the freshness signature is the last).
constexpr size_t kFieldsRead = kFreshnessSignatureField + 1;

// The entry cut at its commas into at most `most` fields (what follows them is not looked at, so
// that a line of a million commas costs no more than one of ten); an empty field stays in its
// place, a comma at the very end adds no field.
std::vector<std::string> SplitFields(const std::string& entry, size_t most = kFieldsRead);
// The fields of the product's entry; throws MalformedEntry.
VersionEntry ParseEntry(const std::string& entry, const std::string& productName);
// Where the product's entry begins: the first line whose first field is exactly the product name
// (not "QuodoPro,..."). Lines end at CR, LF or CR LF; the last line may have no line end. A line
// that is only the product name at the very end of the text counts as no entry.
std::optional<size_t> FindEntry(const std::string& list, const std::string& productName);

struct ListMark;  // update/ListMark.h

// When a signed list was signed and until when it holds.
struct ListValidity {
    UtcSeconds signedAt = 0;
    UtcSeconds validUntil = 0;
};

struct CheckOutcome {
    CheckResult result = CheckResult::UpToDate;
    std::optional<VersionEntry> entry;  // whenever an entry was believed (its size is InstallerSizeKB)
    std::string latestVersion;          // LatestVersion, e.g. "1.07"
    std::string listFromEntry;          // the list from the entry to its end
    std::optional<ListValidity> validity;  // the times of a list that both keys signed
};

// Turns the worker's result text into the outcome of the check: "1" NoServerResponse, "2"
// FileTooSmall, an empty text (the worker ended without a result) NoServerResponse; otherwise the
// text is the list. The program's entry, whatever version it names, must be one the trust believes
// with a sound validity (SignatureInvalid otherwise, with no entry): a forged "up to date" is
// refused as a forged update. A believed list older than the mark is refused
// (ListOlderThanBelieved), and so is one whose time is over at now, UTC (ListOutOfDate): a replayed
// list is no answer. Only a list that passes all of this (UpToDate or UpdateAdvised) moves the mark
// (KeepBelieved, update/ListMark.h). Throws MalformedEntry for a believed entry that cannot be read.
CheckOutcome ReadVersionListText(const std::string& resultText, const std::string& productName,
                                 const std::string& versionText, const EntryTrust& trust, const ListMark& mark,
                                 UtcSeconds now);

}  // namespace update
