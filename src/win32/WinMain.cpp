// The program entry: installs the Win32 services and the window backend, then runs the program.
#include <windows.h>

#include "app/Startup.h"
#include "platform/Wait.h"
#include "ui/Backend.h"
#include "win32/Win32Backend.h"
#include "win32/Win32Crypto.h"
#include "win32/Win32Processes.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Services.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"
#include "win32/Win32Web.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    win32::InstallSystemServices();
    win32::InstallRegistry();
    win32::InstallWeb();
    win32::InstallSoundAndHelp();
    win32::InstallShell();
    win32::InstallProcesses();
    win32::InstallCrypto();
    win32::Win32Backend backend(instance);
    ui::SetBackend(&backend);
    platform::Current().loop = &backend;  // slow work runs off the window thread
    return app::RunProgram();
}
