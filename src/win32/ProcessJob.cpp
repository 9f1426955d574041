#include "win32/ProcessJob.h"

namespace win32 {
namespace {

constexpr DWORD kPollMs = 10;

}  // namespace

ProcessJob::ProcessJob() : job_(CreateJobObjectA(nullptr, nullptr)) {
    if (!job_) return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

bool ProcessJob::Take(HANDLE process) { return job_ && AssignProcessToJobObject(job_.get(), process); }

void ProcessJob::EndAll(DWORD waitMs) {
    if (!TerminateJobObject(job_.get(), 1)) return;
    const DWORD start = GetTickCount();
    while (ActiveProcesses() > 0 && GetTickCount() - start < waitMs) Sleep(kPollMs);
}

DWORD ProcessJob::ActiveProcesses() {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr))
        return 0;
    return accounting.ActiveProcesses;
}

}  // namespace win32
