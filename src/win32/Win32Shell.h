// The shell's open operation as platform::Shell.
#pragma once

namespace win32 {

// Puts the process's one shell service into platform::Current().shell.
void InstallShell();

}  // namespace win32
