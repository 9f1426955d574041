// What a check concludes from the list it fetched, and what it leaves for the next check: the list
// read and judged by the system's UTC against the mark of the newest list believed before
// (update/VersionList.h, update/ListMark.h), the mark moved by a list believed whole, a good check
// remembered (update/CheckHistory.h), and the dates that a list which has run out is shown with.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "update/EntrySignature.h"
#include "update/UpdateTexts.h"
#include "update/VersionList.h"

namespace update {

struct ListVerdict {
    CheckOutcome outcome;
    ClockDates dates;  // set whenever both keys signed the list
};

// Throws MalformedEntry as ReadVersionListText does.
ListVerdict JudgeVersionList(platform::Services& services, const std::string& resultText,
                             const std::string& productName, const std::string& versionText, const UpdateKeys& keys);

// After a failed automatic check: the notice's two lines when no check has succeeded for 45 days
// (and the telling is remembered); nothing otherwise.
std::optional<std::vector<std::string>> StaleNotice(platform::Services& services, const std::string& productName,
                                                    bool dutch, CheckResult result, const ClockDates& dates);

}  // namespace update
