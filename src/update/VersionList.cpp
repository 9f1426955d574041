#include "update/VersionList.h"

#include "support/Support.h"
#include "update/ListMark.h"

namespace update {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = Lower(c);
    return out;
}

// The version's digits as a number without leading zeros, so that numbers compare by length first.
std::string NumberDigits(const std::string& digits) {
    std::string number;
    for (char c : digits)
        if (IsDigit(c) && !(number.empty() && c == '0')) number += c;
    return number;
}

bool IsDeviceName(const std::string& base) {
    const std::string name = LowerText(base);
    if (name == "con" || name == "prn" || name == "aux" || name == "nul") return true;
    return name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

std::string FirstField(const std::string& line) { return line.substr(0, line.find(',')); }

}  // namespace

Version CurrentVersion(const std::string& versionText) {
    Version version;
    if (versionText.find('.') != std::string::npos)
        version.digits = support::KeepNumberChars(support::TextBeforeChar('.', versionText) +
                                                  support::TextAfterChar('.', versionText));
    const char last = versionText.empty() ? 0 : versionText.back();
    if (last >= 'a' && last <= 'z') version.letter = last;
    return version;
}

Version ListedVersion(const std::string& installerName, char letter) {
    Version version;
    version.digits = support::KeepNumberChars(support::TextBeforeChar('.', installerName));
    version.letter = letter;
    return version;
}

bool IsNewer(const Version& latest, const Version& current) {
    const std::string a = NumberDigits(latest.digits);
    const std::string b = NumberDigits(current.digits);
    if (a.size() != b.size()) return a.size() > b.size();
    if (a != b) return a > b;
    return static_cast<unsigned char>(latest.letter) > static_cast<unsigned char>(current.letter);
}

std::string DisplayVersion(const Version& version) {
    if (version.digits.empty()) return std::string();
    std::string text = version.digits.substr(0, 1) + "." + version.digits.substr(1);
    if (version.letter != 0) text += version.letter;
    return text;
}

bool IsPlainInstallerName(const std::string& name) {
    if (name.empty() || name.size() > kMaxInstallerNameLength) return false;
    if (!IsLetter(name[0]) && !IsDigit(name[0])) return false;
    for (char c : name)
        if (!IsLetter(c) && !IsDigit(c) && c != '.' && c != '-' && c != '_') return false;
    if (name.size() < 5 || LowerText(name.substr(name.size() - 4)) != ".exe") return false;
    return !IsDeviceName(name.substr(0, name.find('.')));
}

std::vector<std::string> SplitFields(const std::string& entry, size_t most) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = entry.find(',', start);
        if (comma == std::string::npos) {
            // A comma at the very end leaves nothing after it: no further field.
            if (start < entry.size() || fields.empty()) fields.push_back(entry.substr(start));
            return fields;
        }
        fields.push_back(entry.substr(start, comma - start));
        if (fields.size() >= most) return fields;
        start = comma + 1;
    }
}

VersionEntry ParseEntry(const std::string& entry, const std::string& productName) {
    const std::vector<std::string> fields = SplitFields(entry);
    const std::string where = "The version list entry for " + productName;
    if (fields.size() < 5)
        throw MalformedEntry(where + " has only " + std::to_string(fields.size()) + " of its 5 fields.");
    VersionEntry parsed;
    parsed.installerName = fields[1];
    if (!IsPlainInstallerName(parsed.installerName))
        throw MalformedEntry(where + ": '" + parsed.installerName + "' is not a plain installer file name.");
    parsed.letter = fields[2].empty() ? 0 : fields[2][0];
    int32_t size = 0;
    if (!support::ParseDecimalInteger(fields[3], size)) throw MalformedEntry(where + ": '" + fields[3] + "' is not a valid integer value.");
    parsed.sizeKB = size;
    parsed.hashField = fields[4];
    if (fields.size() >= 7) {
        parsed.dutchText = fields[5];
        parsed.englishText = fields[6];
    }
    if (fields.size() > kReleaseSignatureField) parsed.releaseSignature = fields[kReleaseSignatureField];
    if (fields.size() > kValidUntilField) {
        parsed.signedAt = ParseListTime(fields[kSignedAtField]).value_or(0);
        parsed.validUntil = ParseListTime(fields[kValidUntilField]).value_or(0);
    }
    if (fields.size() > kFreshnessSignatureField) parsed.freshnessSignature = fields[kFreshnessSignatureField];
    return parsed;
}

std::optional<size_t> FindEntry(const std::string& list, const std::string& productName) {
    if (productName.empty()) return std::nullopt;
    for (size_t start = 0; start < list.size();) {
        const size_t end = list.find_first_of("\r\n", start);
        const std::string line = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (FirstField(line) == productName) {
            // Nothing at all after the name: the list ends in it and holds no entry.
            if (line == productName && end == std::string::npos) return std::nullopt;
            return start;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return std::nullopt;
}

CheckOutcome ReadVersionListText(const std::string& resultText, const std::string& productName,
                                 const std::string& versionText, const EntryTrust& trust, const ListMark& mark,
                                 UtcSeconds now) {
    CheckOutcome outcome;
    outcome.listFromEntry = resultText;
    if (resultText.empty() || resultText == "1") {
        outcome.result = CheckResult::NoServerResponse;
        return outcome;
    }
    if (resultText == "2") {
        outcome.result = CheckResult::FileTooSmall;
        return outcome;
    }
    const std::optional<size_t> start = FindEntry(resultText, productName);
    if (!start) {
        outcome.result = CheckResult::ProgramNotFound;
        return outcome;
    }
    outcome.listFromEntry = resultText.substr(*start);
    const std::string line = outcome.listFromEntry.substr(0, outcome.listFromEntry.find_first_of("\r\n"));
    if (!IsTrustedEntry(trust, line)) {
        outcome.result = CheckResult::SignatureInvalid;
        return outcome;
    }
    const VersionEntry entry = ParseEntry(line, productName);
    // A validity the maker's tools never write: one such list would hold the program back for good.
    if (!IsSoundValidity(entry.signedAt, entry.validUntil)) {
        outcome.result = CheckResult::SignatureInvalid;
        return outcome;
    }
    outcome.validity = ListValidity{entry.signedAt, entry.validUntil};
    const Version latest = ListedVersion(entry.installerName, entry.letter);
    // Older than the mark first: a list served back from the past has mostly run out as well, and
    // its failure is not the computer's clock.
    if (IsOlderThan(mark, entry.signedAt, latest)) {
        outcome.result = CheckResult::ListOlderThanBelieved;
        return outcome;
    }
    if (!ListHoldsAt(entry.validUntil, now)) {
        outcome.result = CheckResult::ListOutOfDate;
        return outcome;
    }
    outcome.entry = entry;
    outcome.latestVersion = DisplayVersion(latest);
    outcome.result = IsNewer(latest, CurrentVersion(versionText)) ? CheckResult::UpdateAdvised : CheckResult::UpToDate;
    return outcome;
}

}  // namespace update
