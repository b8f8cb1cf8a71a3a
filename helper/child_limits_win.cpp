// SPDX-License-Identifier: MIT
// The helper's limits on Windows (see child_limits.h): the job it runs in.
#include <windows.h>

#include "helper/child_limits.h"

namespace lexaro::helper {

bool LimitHelperJob(void* job, std::size_t memoryBytes, bool killOnClose) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
        (memoryBytes > 0 ? JOB_OBJECT_LIMIT_PROCESS_MEMORY : 0) |
        (killOnClose ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0);
    info.BasicLimitInformation.ActiveProcessLimit = 1;
    info.ProcessMemoryLimit = memoryBytes;
    JOBOBJECT_BASIC_UI_RESTRICTIONS ui{JOB_OBJECT_UILIMIT_ALL};
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info) &&
           SetInformationJobObject(job, JobObjectBasicUIRestrictions, &ui, sizeof ui);
}

// One process (it can start no other), bounded memory, no reach into the user's desktop or
// clipboard, and killed when this handle closes, so it cannot outlive the window, however the
// window ends.
ChildLimits::ChildLimits(std::size_t memoryBytes)
    : memoryBytes_(kLimitsHelperAddressSpace ? memoryBytes : 0),
      job_(CreateJobObjectW(nullptr, nullptr)),
      jobReady_(job_ != nullptr && LimitHelperJob(job_, memoryBytes_, true)) {}

ChildLimits::~ChildLimits() {
    if (job_ != nullptr) {
        CloseHandle(job_);
    }
}

void ChildLimits::applyInChild() const noexcept {}

// The helper is created suspended; it runs only once it is in the job. Where the job could not be
// made it runs all the same, and puts itself in a job of its own before it parses.
void ChildLimits::admitAndResume(void* process, void* thread) const {
    if (process == nullptr) {
        return;
    }
    if (jobReady_) {
        AssignProcessToJobObject(job_, process);
    }
    ResumeThread(thread);
}

}  // namespace lexaro::helper
