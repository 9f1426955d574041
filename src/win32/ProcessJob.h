// A job object that holds a started program and everything it starts, so that the whole tree can
// be ended at once: a command interpreter and the program it runs, say.
#pragma once

#include <windows.h>

#include "win32/Scoped.h"

namespace win32 {

class ProcessJob {
public:
    // An empty job that ends whatever is still in it when it is closed (when its owner goes).
    ProcessJob();

    // Puts a process into the job before it runs (it was created suspended): the processes it
    // starts join the job too. False when the system refuses it (a job of its own that allows
    // no other).
    bool Take(HANDLE process);
    // Ends every process in the job and waits at most waitMs until all of them are gone.
    void EndAll(DWORD waitMs);

private:
    DWORD ActiveProcesses();

    OwnedHandle job_;
};

}  // namespace win32
