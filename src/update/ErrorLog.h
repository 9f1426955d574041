// "Error.log" in the data folder: the latest failure of an automatic check (or of an install the
// update started), as two lines (CR LF): the date in the user's short date format followed by ".",
// and what failed, in Dutch.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "update/VersionList.h"

namespace update {

constexpr const char* kErrorLogName = "Error.log";

// The Dutch line of a failed check; nothing for UpToDate and UpdateAdvised.
std::optional<std::string> ErrorLogLine(CheckResult result);
// The whole file for a failed check; empty for UpToDate and UpdateAdvised.
std::string ErrorLogText(const platform::DateTime& today, const std::string& shortDateFormat, CheckResult result);
// Replaces dataFolder + "Error.log" for a failed check, dated today by the clock in the locale's
// short date format. False when the file could not be written; a check that did not fail writes
// nothing and gives true.
bool WriteErrorLog(const platform::Services& services, const std::string& dataFolder, CheckResult result);
// Replaces dataFolder + "Error.log" with today's date and this line; false when it could not be written.
bool WriteErrorLogLine(const platform::Services& services, const std::string& dataFolder, const std::string& line);

}  // namespace update
