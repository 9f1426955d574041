#include "win32/ChildStart.h"

namespace win32 {

ChildStart::ChildStart(bool hidden, HANDLE output) {
    start_.StartupInfo.cb = sizeof start_.StartupInfo;
    start_.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    start_.StartupInfo.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    if (!output) return;
    start_.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    start_.StartupInfo.hStdOutput = output;
    inherited_ = output;
    // Only this handle is passed on. Where the system cannot say so, every inheritable handle of
    // this program is, as with any program started with inheritance.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeMemory_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeMemory_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited_, sizeof inherited_, nullptr,
                                   nullptr)) {
        DeleteProcThreadAttributeList(list);
        return;
    }
    start_.lpAttributeList = list;
    start_.StartupInfo.cb = sizeof start_;
    attributes_ = true;
}

ChildStart::~ChildStart() {
    if (attributes_) DeleteProcThreadAttributeList(start_.lpAttributeList);
}

}  // namespace win32
