// SPDX-License-Identifier: MIT
#pragma once
// The lock-down of the lexaro-extract helper. The helper reads its input into memory first; then,
// before any parser sees a byte, it takes away every right but computing on that memory and
// writing to the descriptors it already holds:
//
//   - no new privileges: no set-user-ID program or file capability can give any back;
//   - Landlock (file system): no file can be opened, created, written, renamed or removed, and no
//     folder listed, except reading beneath the data folders the parsers load on demand (glibc's
//     character-set converters, poppler's CJK and glyph-name tables, djvulibre's message
//     catalogue); no program can be run;
//     no other process can be traced;
//   - Landlock (network, kernel ABI 4): no TCP port can be bound or connected to;
//   - Landlock (scopes, kernel ABI 6): no signal to, and no abstract socket of, a process outside;
//   - seccomp: an allow-list of system calls (memory, reading and writing open descriptors,
//     opening files read-only, time, exit, starting a thread, and the few the C and C++ runtimes
//     make); any other call fails with EPERM (clone3 with ENOSYS, so threads start through clone,
//     whose flags the filter checks). There is no socket, process, exec, ptrace, mount or
//     namespace call.
//
// On Windows the window starts the helper inside a job object that allows one process, bounds its
// memory and kills it when the window's handle to the job closes (helper/child_limits.h); the
// helper then removes its token's privileges and lowers it to low integrity, so it can write to
// nothing of the user's. A helper started by hand puts itself in a job like it.
//
// helper/lockdown_posix.cpp and helper/lockdown_win.cpp carry it out.
//
// Landlock is missing on old kernels and on kernels built or booted without it: then the helper
// goes on with seccomp alone and says so in its report (files it can read stay readable to it,
// but it can still change none and reach no one). Without seccomp it refuses to parse at all.

#include <cstddef>
#include <string>
#include <vector>

namespace lexaro::helper {

#ifdef _WIN32
// What a lock-down put in place.
struct SandboxLayers {
    bool ownJob = false;             // not started by the window: the helper made its own job
    bool singleProcess = false;      // the job allows no second process
    std::size_t memoryLimit = 0;     // the job's memory limit per process, in bytes; 0 for none
    bool killOnClose = false;        // the job, and the helper, end when the window's handle closes
    bool privilegesRemoved = false;  // every privilege of the token removed but bypass-traverse
    bool lowIntegrity = false;       // low integrity: nothing of the user's can be written
    bool childRefused = false;       // an attempt to start a process failed
    bool wine = false;               // Wine, which carries out none of the above

    // The helper parses only in a job that holds it to one process. Wine keeps no job limits (nor
    // integrity levels): there it goes on, and says so in its report.
    [[nodiscard]] bool sufficient() const { return (singleProcess && childRefused) || wine; }
};

#else
// What a lock-down put in place.
struct SandboxLayers {
    bool noNewPrivileges = false;
    int landlockAbi = 0;                       // the kernel's Landlock version; 0 when it has none
    int landlockError = 0;                     // why it has none: the version query's errno
    bool landlockFiles = false;                // files: nothing beyond the read-only data folders
    bool landlockTcp = false;                  // no TCP bind or connect
    bool landlockScopes = false;               // no signals or abstract sockets beyond the sandbox
    bool seccomp = false;                      // the system-call allow-list
    std::vector<std::string> readableFolders;  // what Landlock leaves open for reading

    // The helper parses only with these two; Landlock adds to them where the kernel has it.
    [[nodiscard]] bool sufficient() const { return noNewPrivileges && seccomp; }
};
#endif

// Which layers LockDown applies: all of them, except in tests that show what each one stops on
// its own.
struct SandboxOptions {
    bool landlock = true;
    bool seccomp = true;
};

// Locks the calling process down for the rest of its life. Call it once, while the process has a
// single thread, after the input is in memory and before any parser runs. Layers the kernel lacks
// are left out and reported as such; see SandboxLayers::sufficient.
[[nodiscard]] SandboxLayers LockDown(const SandboxOptions& options = {});

// One line per layer, for `lexaro-extract --sandbox-report`.
[[nodiscard]] std::string DescribeSandbox(const SandboxLayers& layers);

}  // namespace lexaro::helper
