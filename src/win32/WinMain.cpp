// The program entry: one copy a user and session; installs the Win32 services and the window
// backend, then runs the program.
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
#include "win32/SingleInstance.h"
#include "win32/Win32Web.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A second start brings the running copy forward and ends, before it reads or writes anything.
    const win32::SingleInstance copy;
    if (!copy.IsFirst()) {
        copy.BringFirstForward("TMainForm", 10000);
        return 0;
    }
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
