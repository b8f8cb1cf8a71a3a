// SPDX-License-Identifier: MIT
// The helper's lock-down on Windows (see lockdown.h): the job, the token's privileges, integrity.
#include <windows.h>

#include <string>

#include "helper/child_limits.h"
#include "helper/lockdown.h"

namespace lexaro::helper {

namespace {

// The limits of the job the process is in; false if it is in none, or they cannot be read.
bool ReadJob(SandboxLayers& layers) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &info, sizeof info,
                                   nullptr)) {
        return false;
    }
    const DWORD flags = info.BasicLimitInformation.LimitFlags;
    layers.singleProcess = (flags & JOB_OBJECT_LIMIT_ACTIVE_PROCESS) != 0 &&
                           info.BasicLimitInformation.ActiveProcessLimit == 1;
    layers.memoryLimit =
        (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) != 0 ? info.ProcessMemoryLimit : 0;
    layers.killOnClose = (flags & JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE) != 0;
    return true;
}

// A job of the helper's own, for a helper the window did not start. Its handle stays open for the
// process's life: the job goes when the helper does.
bool JoinOwnJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    return job != nullptr && LimitHelperJob(job, kHelperMemoryBytes, false) &&
           AssignProcessToJobObject(job, GetCurrentProcess());
}

// Low integrity: the helper can no longer write to anything of the user's (files, registry,
// other processes), which all stand at medium integrity.
bool LowerIntegrity(HANDLE token) {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID low = nullptr;
    if (!AllocateAndInitializeSid(&authority, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0,
                                  &low)) {
        return false;
    }
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = low;
    const bool lowered = SetTokenInformation(token, TokenIntegrityLevel, &label,
                                             sizeof label + GetLengthSid(low)) != FALSE;
    FreeSid(low);
    return lowered;
}

// Every privilege the token holds, removed for good (not just disabled), but for passing through
// folders on the way to one it may read (poppler's tables) without rights on each of them.
bool RemovePrivileges(HANDLE token) {
    LUID traverse{};
    if (!LookupPrivilegeValueW(nullptr, L"SeChangeNotifyPrivilege", &traverse)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    if (size == 0) {
        return false;
    }
    std::string buffer(size, '\0');
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    if (!GetTokenInformation(token, TokenPrivileges, privileges, size, &size)) {
        return false;
    }
    DWORD kept = 0;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID luid = privileges->Privileges[i].Luid;
        if (luid.LowPart == traverse.LowPart && luid.HighPart == traverse.HighPart) {
            continue;
        }
        privileges->Privileges[kept] = privileges->Privileges[i];
        privileges->Privileges[kept++].Attributes = SE_PRIVILEGE_REMOVED;
    }
    privileges->PrivilegeCount = kept;
    return AdjustTokenPrivileges(token, FALSE, privileges, size, nullptr, nullptr) != FALSE &&
           GetLastError() == ERROR_SUCCESS;
}

// Whether the job lets this process start another: it starts itself, suspended, and ends that
// child at once should it have started.
bool CanStartProcess() {
    std::wstring self(32768, L'\0');  // the longest path Windows has
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring commandLine = L"\"" + self + L"\" --probe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child)) {
        return false;
    }
    TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return true;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

SandboxLayers LockDown(const SandboxOptions& /*options*/) {
    SandboxLayers layers;
    BOOL inJob = FALSE;
    if (!IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) || !inJob || !ReadJob(layers) ||
        !layers.singleProcess) {
        layers.ownJob = JoinOwnJob();
        ReadJob(layers);
    }
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(),
                         TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        layers.privilegesRemoved = RemovePrivileges(token);
        layers.lowIntegrity = LowerIntegrity(token);
        CloseHandle(token);
    }
    layers.childRefused = !CanStartProcess();
    layers.wine = UnderWine();
    return layers;
}

std::string DescribeSandbox(const SandboxLayers& layers) {
    const auto onOff = [](bool on) { return on ? std::string("on") : std::string("off"); };
    std::string text =
        "job: " + std::string(layers.ownJob ? "its own" : "the window's (killed with it: ") +
        (layers.ownJob ? "" : onOff(layers.killOnClose) + ")") + "\n";
    text += "job single process: " + onOff(layers.singleProcess) + "\n";
    text += "job memory limit: " +
            (layers.memoryLimit > 0 ? std::to_string(layers.memoryLimit >> 20) + " MiB"
                                    : std::string("none")) +
            "\n";
    text +=
        "privileges removed (all but passing through folders): " + onOff(layers.privilegesRemoved) +
        "\n";
    text += "low integrity: " + onOff(layers.lowIntegrity) + "\n";
    text += "child process refused: " + onOff(layers.childRefused) + "\n";
    if (layers.wine) {
        text += "under Wine: job limits and integrity levels are not enforced\n";
    }
    return text;
}

}  // namespace lexaro::helper
