// One copy of the program for each user in each session. The first copy keeps a small block of
// shared memory, named after the user in the session's own namespace, with its process id in it; a
// later start finds the block, brings that copy's main window forward and ends.
#pragma once

#include <windows.h>

#include "win32/Scoped.h"

namespace win32 {

class SingleInstance {
public:
    // Claims the name for this copy, or finds that another copy holds it.
    SingleInstance();
    bool IsFirst() const { return first_; }
    // Brings the first copy's main window (of the class given) above the other windows and gives
    // it the keyboard, restoring it when it is minimised. That copy may still be starting: its
    // window is waited for until it shows, for up to `patienceMs`. True when it was found.
    bool BringFirstForward(const char* windowClass, DWORD patienceMs) const;

private:
    OwnedHandle block_;
    bool first_ = true;
    DWORD firstProcess_ = 0;
};

}  // namespace win32
