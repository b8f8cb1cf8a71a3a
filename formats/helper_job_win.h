#pragma once
// The job object the document helper runs in on Windows (see documents/sandbox.h): the window
// makes one for each helper it starts; a helper started by hand makes one like it for itself.

#ifdef _WIN32
#include <windows.h>

#include <cstddef>

namespace lexaro {

// Limits `job` to one process, of at most `memoryBytes` of memory (0: no limit), with no reach
// into the desktop, the clipboard or other programs' windows, ended by an unhandled exception
// rather than an error box. With `killOnClose` its process is killed when the last handle to the
// job closes. False if Windows refused a limit.
inline bool LimitHelperJob(HANDLE job, std::size_t memoryBytes, bool killOnClose) {
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

}  // namespace lexaro
#endif
