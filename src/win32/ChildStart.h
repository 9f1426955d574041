// The start-up record of a program that RunAndWait starts: its window shown or hidden and, when
// its output goes into a file, the standard handles it inherits, and only those: a program that
// another thread starts meanwhile inherits none of them.
#pragma once

#include <windows.h>

#include <vector>

namespace win32 {

class ChildStart {
public:
    // output: an inheritable handle for the program's standard output, or none (it keeps the
    // console's).
    ChildStart(bool hidden, HANDLE output);
    ~ChildStart();
    ChildStart(const ChildStart&) = delete;
    ChildStart& operator=(const ChildStart&) = delete;

    // For CreateProcessA: the record, the creation flags it needs and whether handles are inherited.
    STARTUPINFOA* Record() { return &start_.StartupInfo; }
    DWORD CreationFlags() const { return attributes_ ? EXTENDED_STARTUPINFO_PRESENT : 0; }
    BOOL InheritsHandles() const { return start_.StartupInfo.hStdOutput != nullptr; }

private:
    STARTUPINFOEXA start_{};
    HANDLE inherited_ = nullptr;  // the one handle the program may inherit
    std::vector<char> attributeMemory_;
    bool attributes_ = false;
};

}  // namespace win32
