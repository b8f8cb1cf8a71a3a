// SPDX-License-Identifier: MIT
#pragma once
// The limits the window puts on each lexaro-extract helper it starts, in place before the helper
// runs a line of its own (its lock-down, helper/lockdown.h, comes on top once it has read its
// input):
//
//   - POSIX: an address-space limit, no file writing (not even a core dump), killed when the
//     window dies, and no descriptor of the window's beyond standard input, output and error;
//   - Windows: a job object that allows one process, bounds its memory, keeps it from the user's
//     desktop and clipboard, and kills it when the window's handle to the job closes.
//
// helper/child_limits_posix.cpp and helper/child_limits_win.cpp carry them out.

#include <cstddef>

namespace lexaro::helper {

// The most memory the helper may take: its address space on POSIX, its job's memory on Windows.
inline constexpr std::size_t kHelperMemoryBytes = std::size_t{2} << 30;

// Whether the helper's memory is limited. Not in an AddressSanitizer build: its shadow memory
// alone reserves terabytes of address space, so the sanitized helper could not start.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kLimitsHelperAddressSpace = false;
#else
inline constexpr bool kLimitsHelperAddressSpace = true;
#endif

// The limits of one helper process, for as long as it runs.
class ChildLimits {
public:
    // At most `memoryBytes` of memory (unless kLimitsHelperAddressSpace is false). On Windows this
    // makes the job; should Windows refuse it, the helper runs all the same and puts itself in a
    // job of its own before it parses.
    explicit ChildLimits(std::size_t memoryBytes);
    ChildLimits(const ChildLimits&) = delete;
    ChildLimits& operator=(const ChildLimits&) = delete;
#ifdef _WIN32
    ~ChildLimits();  // closing the job kills a helper still in it
#endif

    // POSIX: call in the child between fork and exec; async-signal-safe. Nothing on Windows.
    void applyInChild() const noexcept;

    // Windows: `process` and `thread` (HANDLEs) of a helper created suspended enter the job, and
    // the helper runs. Nothing on POSIX.
    void admitAndResume(void* process, void* thread) const;

private:
    std::size_t memoryBytes_;
#ifdef _WIN32
    void* job_ = nullptr;  // HANDLE
    bool jobReady_ = false;
#endif
};

#ifdef _WIN32
// Limits the job `job` (a HANDLE) to one process, of at most `memoryBytes` of memory (0: no limit),
// with no reach into the desktop, the clipboard or other programs' windows, ended by an unhandled
// exception rather than an error box. With `killOnClose` its process is killed when the last
// handle to the job closes. False if Windows refused a limit. A helper the window did not start
// makes itself a job like it.
bool LimitHelperJob(void* job, std::size_t memoryBytes, bool killOnClose);
#endif

}  // namespace lexaro::helper
