// The Win32 system services behind platform::Services: clock, regional settings, system
// information and file system.
#pragma once

#include <string>

namespace win32 {

// Creates the clock, locale, system-information and file-system services (once) and sets them
// into platform::Current(); the other services stay as they are.
// When the environment variable QUODO_CLOCK holds "YYYY-MM-DD HH:MM:SS", the clock starts at that
// local date and time when this is first called and runs on in real time from there. The clock's
// UTC (UtcNow) is the system's own whatever QUODO_CLOCK says.
void InstallSystemServices();

// The system folder ("C:\Windows\system32"), without a trailing backslash; empty when unknown.
std::string SystemFolderPath();
// A file in the system folder: system libraries are loaded from there only, never from the
// program's folder or the current one.
std::string SystemFilePath(const std::string& name);

}  // namespace win32
