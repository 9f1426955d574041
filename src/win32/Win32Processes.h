// Starting programs and finding and ending processes, as platform::Processes.
#pragma once

#include <string>

namespace win32 {

// Puts the process's one process service into platform::Current().processes.
void InstallProcesses();

// The text of an error raised for a failed Win32 call: "Win32 Error.  Code: <code>.\n<the system's
// message>", or "A Win32 API function failed" when there is no code.
std::string Win32ErrorText(unsigned long code);

}  // namespace win32
