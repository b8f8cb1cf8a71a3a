// SPDX-License-Identifier: MIT
// The helper's limits on POSIX (see child_limits.h): set in the child between fork and exec.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>

#include "helper/child_limits.h"

namespace lexaro::helper {

ChildLimits::ChildLimits(std::size_t memoryBytes) : memoryBytes_(memoryBytes) {}

// Runs in the child between fork and exec, so only async-signal-safe calls.
void ChildLimits::applyInChild() const noexcept {
    if (kLimitsHelperAddressSpace) {
        const auto addressSpace = static_cast<rlim_t>(memoryBytes_);
        const rlimit as{addressSpace, addressSpace};
        setrlimit(RLIMIT_AS, &as);
    }
    const rlimit none{0, 0};
    setrlimit(RLIMIT_FSIZE, &none);  // the helper writes no file, not even a core dump
    setrlimit(RLIMIT_CORE, &none);
    // If the window process dies, the helper goes with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Every descriptor above standard error closes at exec: whatever the window has open (its
    // display connection, the user's files) is none of the helper's business.
    constexpr unsigned kCloseRangeCloexec = 1U << 2;
    if (syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) != 0) {
        rlimit files{};
        const rlim_t top = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                               ? files.rlim_cur
                               : 65536;
        for (rlim_t fd = 3; fd < top; ++fd) {
            fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        }
    }
}

void ChildLimits::admitAndResume(void* /*process*/, void* /*thread*/) const {}

}  // namespace lexaro::helper
