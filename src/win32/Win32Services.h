// The Win32 tone, pause and HTML Help services.
#pragma once

namespace win32 {

// Puts the tone and HTML Help services into platform::Current().
void InstallSoundAndHelp();

}  // namespace win32
