// SPDX-License-Identifier: MIT
// The helper's lock-down on Linux (see lockdown.h): no new privileges, Landlock, seccomp.
#include "helper/lockdown.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string_view>

namespace lexaro::helper {

namespace {

// The kernel's Landlock interface. The structures and the rights that came after the first
// version are spelled out here, since the system's headers may predate them; the kernel takes
// the larger structure as long as the fields it does not know are zero.
struct RulesetAttr {
    std::uint64_t handledAccessFs = 0;
    std::uint64_t handledAccessNet = 0;  // ABI 4
    std::uint64_t scoped = 0;            // ABI 6
};
struct __attribute__((packed)) PathBeneathAttr {
    std::uint64_t allowedAccess = 0;
    std::int32_t parentFd = -1;
};

constexpr std::uint64_t kFsRightsAbi1 = (std::uint64_t{1} << 13) - 1;  // execute .. make symlink
constexpr std::uint64_t kFsRefer = std::uint64_t{1} << 13;             // ABI 2
constexpr std::uint64_t kFsTruncate = std::uint64_t{1} << 14;          // ABI 3
constexpr std::uint64_t kFsIoctlDev = std::uint64_t{1} << 15;          // ABI 5
constexpr std::uint64_t kNetBindTcp = std::uint64_t{1} << 0;           // ABI 4
constexpr std::uint64_t kNetConnectTcp = std::uint64_t{1} << 1;
constexpr std::uint64_t kScopeAbstractUnixSocket = std::uint64_t{1} << 0;  // ABI 6
constexpr std::uint64_t kScopeSignal = std::uint64_t{1} << 1;
constexpr std::uint64_t kFsReadOnly = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;

// The kernel's Landlock version, or 0 with the reason in `error`: ENOSYS when the kernel was built
// without it, EOPNOTSUPP when it was built with it but left out at boot (the lsm= list).
int LandlockAbi(int& error) {
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0,
                             static_cast<unsigned>(LANDLOCK_CREATE_RULESET_VERSION));
    error = abi > 0 ? 0 : errno;
    return abi > 0 ? static_cast<int>(abi) : 0;
}

std::string DescribeLandlock(const SandboxLayers& layers) {
    if (layers.landlockAbi > 0) {
        return "kernel ABI " + std::to_string(layers.landlockAbi);
    }
    switch (layers.landlockError) {
        case 0:
            return "not tried";  // the lock-down stopped before it
        case ENOSYS:
            return "not in this kernel";
        case EOPNOTSUPP:
            return "turned off at boot (not in the kernel's lsm= list)";
        default:
            return "unavailable (errno " + std::to_string(layers.landlockError) + ")";
    }
}

std::uint64_t FsRights(int abi) {
    std::uint64_t rights = kFsRightsAbi1;
    if (abi >= 2) {
        rights |= kFsRefer;
    }
    if (abi >= 3) {
        rights |= kFsTruncate;
    }
    if (abi >= 5) {
        rights |= kFsIoctlDev;
    }
    return rights;
}

std::string ParentFolder(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// glibc's character-set converters (iconv, which libxml2 and poppler use) are shared objects
// loaded on first use from the "gconv" folder beside the C library.
std::string ConverterFolder() {
    void* libc = dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (libc == nullptr) {
        return {};
    }
    link_map* map = nullptr;
    std::string folder;
    if (dlinfo(libc, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
        folder = ParentFolder(map->l_name);
        if (!folder.empty()) {
            folder += "/gconv";
        }
    }
    dlclose(libc);
    return folder;
}

// The folders the parsers read on demand: a PDF in a CJK character collection loads poppler's
// CMap and CID tables, a document in a legacy character set loads its converter.
std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    if (std::string converters = ConverterFolder(); !converters.empty()) {
        folders.push_back(std::move(converters));
    }
    folders.emplace_back(LEXARO_POPPLER_DATA_DIR);
    // djvulibre reads its message catalogue there when a decoder is made, and makes none if it
    // finds the file but cannot open it.
    folders.emplace_back(LEXARO_DJVU_DATA_DIR);
    // tesseract reads its language data (a .traineddata file per language) when it starts.
    folders.emplace_back(LEXARO_TESSDATA_DIR);
    return folders;
}

// Landlock for files (reading beneath `folders` only), TCP and scopes, as far as `abi` goes.
// Leaves `layers` as it was if the kernel refuses the rule set.
void ApplyLandlock(int abi, const std::vector<std::string>& folders, SandboxLayers& layers) {
    RulesetAttr ruleset;
    ruleset.handledAccessFs = FsRights(abi);
    if (abi >= 4) {
        ruleset.handledAccessNet = kNetBindTcp | kNetConnectTcp;
    }
    if (abi >= 6) {
        ruleset.scoped = kScopeAbstractUnixSocket | kScopeSignal;
    }
    const long made = syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0U);
    if (made < 0) {
        return;
    }
    const int rulesetFd = static_cast<int>(made);
    std::vector<std::string> readable;
    for (const std::string& folder : folders) {
        PathBeneathAttr rule;
        rule.parentFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (rule.parentFd < 0) {
            continue;  // not installed here: nothing to read there either
        }
        rule.allowedAccess = kFsReadOnly;
        if (syscall(SYS_landlock_add_rule, rulesetFd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0U) == 0) {
            readable.push_back(folder);
        }
        close(rule.parentFd);
    }
    const bool restricted = syscall(SYS_landlock_restrict_self, rulesetFd, 0U) == 0;
    close(rulesetFd);
    if (restricted) {
        layers.landlockFiles = true;
        layers.landlockTcp = ruleset.handledAccessNet != 0;
        layers.landlockScopes = ruleset.scoped != 0;
        layers.readableFolders = std::move(readable);
    }
}

// What the helper needs once its input is in memory, found by running every test document and
// the real-world corpus under strace. Names unknown to an architecture are skipped.
constexpr const char* kAllowedCalls[] = {
    // memory (mmap and mprotect are conditional, below)
    "brk", "munmap", "mremap", "madvise",
    // descriptors already open, and the read-only files Landlock leaves (openat is conditional)
    "read", "readv", "pread64", "write", "writev", "lseek", "close", "fstat", "newfstatat",
    "getdents64",
    // time
    "clock_gettime", "clock_getres", "gettimeofday", "time", "nanosleep", "clock_nanosleep",
    // the C and C++ runtimes: locks, the process's own identity, signals to itself, exit
    "futex", "sched_yield", "getpid", "gettid", "sysinfo", "getrandom", "rt_sigreturn",
    "rt_sigprocmask", "rt_sigaction", "sigaltstack", "restart_syscall", "exit", "exit_group",
    // a new thread's own bookkeeping (clone is conditional); the sanitizers' thread start reads
    // the thread's attributes, which asks for the cores this process may run on
    "set_robust_list", "rseq", "sched_getaffinity"};

// clone may start a thread of this process (djvulibre decodes in one), never a process: the flag
// that makes a thread, and none that would make the thread a stranger (another parent, a traced
// or untraceable child, new namespaces). A thread shares the process's memory, its filter and its
// Landlock domain, so it can do nothing the process cannot.
constexpr scmp_datum_t kCloneThreadMask =
    CLONE_THREAD | CLONE_PARENT | CLONE_PTRACE | CLONE_UNTRACED | CLONE_VFORK | CLONE_NEWNS |
    CLONE_NEWCGROUP | CLONE_NEWUTS | CLONE_NEWIPC | CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET;

// Argument `arg` has none of the bits of `mask` set.
scmp_arg_cmp NoneOf(unsigned arg, scmp_datum_t mask) {
    return {arg, SCMP_CMP_MASKED_EQ, mask, 0};
}

bool Allow(scmp_filter_ctx filter, const char* name, const scmp_arg_cmp* condition = nullptr) {
    const int call = seccomp_syscall_resolve_name(name);
    if (call == __NR_SCMP_ERROR) {
        return true;  // no such call on this architecture
    }
    return (condition == nullptr
                ? seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0)
                : seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1, *condition)) == 0;
}

bool ApplySeccomp() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (filter == nullptr) {
        return false;
    }
    bool built = true;
    for (const char* name : kAllowedCalls) {
        built = built && Allow(filter, name);
    }
    // Memory may be made executable only by mapping a file (the loader, for a converter); never
    // anonymous memory, so code written into memory cannot be run.
    const scmp_arg_cmp notExecutable = NoneOf(2, PROT_EXEC);
    const scmp_arg_cmp notAnonymous = NoneOf(3, MAP_ANONYMOUS);
    // Opening for reading only: no writing, creating or truncating through any flag.
    const scmp_arg_cmp readOnly = NoneOf(2, O_ACCMODE | O_CREAT | O_TRUNC);
    // abort() signals the process itself; no other process can be signalled.
    const scmp_arg_cmp itself{0, SCMP_CMP_EQ, static_cast<scmp_datum_t>(getpid()), 0};
    built = built && Allow(filter, "mmap", &notExecutable) &&
            Allow(filter, "mmap", &notAnonymous) && Allow(filter, "mprotect", &notExecutable) &&
            Allow(filter, "openat", &readOnly) && Allow(filter, "tgkill", &itself);
    const scmp_arg_cmp thread{0, SCMP_CMP_MASKED_EQ, kCloneThreadMask, CLONE_THREAD};
    built = built && Allow(filter, "clone", &thread);
    // clone3 takes its flags in memory, where a filter cannot look: it fails as a kernel without
    // it would, and the C library falls back on clone.
    const int clone3 = seccomp_syscall_resolve_name("clone3");
    built = built && (clone3 == __NR_SCMP_ERROR ||
                      seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), clone3, 0) == 0);
    built = built && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return built;
}

}  // namespace

SandboxLayers LockDown(const SandboxOptions& options) {
    SandboxLayers layers;
    // Loaded now, while /etc/localtime can still be read; archive time stamps are never shown,
    // so this only keeps the run the same as an unconfined one.
    tzset();
    layers.noNewPrivileges = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    if (!layers.noNewPrivileges) {
        return layers;  // neither Landlock nor an unprivileged seccomp filter goes without it
    }
    layers.landlockAbi = LandlockAbi(layers.landlockError);
    if (options.landlock && layers.landlockAbi > 0) {
        ApplyLandlock(layers.landlockAbi, DataFolders(), layers);
    }
    layers.seccomp = options.seccomp && ApplySeccomp();
    return layers;
}

std::string DescribeSandbox(const SandboxLayers& layers) {
    const auto onOff = [](bool on) { return on ? std::string("on") : std::string("off"); };
    std::string text = "no new privileges: " + onOff(layers.noNewPrivileges) + "\n";
    text += "landlock: " + DescribeLandlock(layers) + "\n";
    text += "landlock files: " + onOff(layers.landlockFiles);
    if (layers.landlockFiles) {
        text += ", read-only:";
        for (const std::string& folder : layers.readableFolders) {
            text += " " + folder;
        }
    } else {
        text += " (every file the user may read stays readable)";
    }
    text += "\nlandlock tcp: " + onOff(layers.landlockTcp) + "\n";
    text += "landlock scopes: " + onOff(layers.landlockScopes) + "\n";
    text += "seccomp: " + onOff(layers.seccomp) + "\n";
    return text;
}

}  // namespace lexaro::helper
