// Tries to break out of the helper's lock-down. Every attempt runs in a child process that locks
// itself down as the helper does, with all layers, with each layer alone, or not at all: an
// attempt must fail wherever a layer that stops it is in place, and succeed where none is (so
// that no row can pass because the attempt itself was broken). Afterwards nothing may have
// reached the listening sockets, the files or the test process.

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "documents/djvu_text.h"
#include "documents/doc_text.h"
#include "documents/mobi_text.h"
#include "helper/lockdown.h"
#include "tests/documents/fixtures.h"

namespace lexaro::helper {
namespace {

namespace fs = std::filesystem;

// The layers that stop an attempt; it must fail if any of them is in place.
enum Layer : unsigned {
    kLandlockFiles = 1U << 0,
    kLandlockTcp = 1U << 1,
    kLandlockScopes = 1U << 2,
    kLandlockDomain = 1U << 3,  // any Landlock domain: no ptrace out of it, no mount
    kSeccomp = 1U << 4,
};

unsigned LayersOf(const SandboxLayers& layers) {
    return (layers.landlockFiles ? kLandlockFiles | kLandlockDomain : 0U) |
           (layers.landlockTcp ? kLandlockTcp : 0U) |
           (layers.landlockScopes ? kLandlockScopes : 0U) | (layers.seccomp ? kSeccomp : 0U);
}

char siblingSecret[] = "the sibling's secret";
volatile std::sig_atomic_t terminated = 0;

// What the attempts aim at, made afresh for each one.
struct Target {
    std::string root;  // the temporary HOME: .ssh/id_ed25519, keep.txt, an empty mnt/
    int tcpPort = 0;
    int udpPort = 0;
    std::string unixPath;
    std::string abstractName;
    pid_t sibling = -1;  // a sleeping process that lets anyone trace it
};

constexpr int kExecuted = 42;  // the exit status of the shell an attempt runs

// 0 when the attempt worked, otherwise its errno.
int Result(bool worked) {
    return worked ? 0 : (errno != 0 ? errno : EIO);
}

int ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    char byte = 0;
    const bool worked = read(fd, &byte, 1) == 1;
    const int error = Result(worked);
    close(fd);
    return error;
}

int Connect(int family, int type, const sockaddr* address, socklen_t size) {
    const int fd = socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    const bool worked = type == SOCK_DGRAM ? sendto(fd, "x", 1, 0, address, size) == 1
                                           : connect(fd, address, size) == 0;
    const int error = Result(worked);
    close(fd);
    return error;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

sockaddr_un UnixAddress(const std::string& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    return address;
}

socklen_t UnixSize(const std::string& path, bool abstract) {
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                  (abstract ? 1 : 0));
}

int SiblingMemory(const Target& target, bool write) {
    std::array<char, sizeof siblingSecret> buffer{};
    if (write) {
        std::memcpy(buffer.data(), siblingSecret, buffer.size());  // writes back what is there
    }
    iovec local{buffer.data(), buffer.size()};
    iovec remote{siblingSecret, buffer.size()};  // the same address: the sibling is a fork
    const ssize_t moved = write ? process_vm_writev(target.sibling, &local, 1, &remote, 1, 0)
                                : process_vm_readv(target.sibling, &local, 1, &remote, 1, 0);
    return Result(moved == static_cast<ssize_t>(buffer.size()) &&
                  (write || std::strcmp(buffer.data(), siblingSecret) == 0));
}

int RunShell() {
    const char* argv[] = {"sh", "-c", "exit 42", nullptr};
    execve("/bin/sh", const_cast<char* const*>(argv), environ);
    return errno;
}

struct Attempt {
    const char* name;
    unsigned stoppedBy;
    bool needsRoot;  // without the lock-down it works only as root
    int (*attempt)(const Target&);
};

const Attempt kAttempts[] = {
    {"read /etc/passwd", kLandlockFiles, false,
     [](const Target&) { return ReadFile("/etc/passwd"); }},
    {"read a key in HOME", kLandlockFiles, false,
     [](const Target& t) { return ReadFile(t.root + "/.ssh/id_ed25519"); }},
    {"list a folder", kLandlockFiles, false,
     [](const Target& t) {
         DIR* dir = opendir(t.root.c_str());
         if (dir == nullptr) {
             return errno;
         }
         int entries = 0;
         while (readdir(dir) != nullptr) {
             ++entries;
         }
         closedir(dir);
         return entries > 2 ? 0 : EIO;
     }},
    {"create a file", kLandlockFiles | kSeccomp, false,
     [](const Target& t) {
         const int fd = open((t.root + "/new.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
         return fd >= 0 ? close(fd) : errno;
     }},
    {"write a file", kLandlockFiles | kSeccomp, false,
     [](const Target& t) {
         const int fd = open((t.root + "/keep.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
         if (fd < 0) {
             return errno;
         }
         const int error = Result(write(fd, "!", 1) == 1);
         close(fd);
         return error;
     }},
    {"truncate a file", kLandlockFiles | kSeccomp, false,
     [](const Target& t) { return Result(truncate((t.root + "/keep.txt").c_str(), 0) == 0); }},
    {"rename a file", kLandlockFiles | kSeccomp, false,
     [](const Target& t) {
         return Result(rename((t.root + "/keep.txt").c_str(), (t.root + "/moved.txt").c_str()) ==
                       0);
     }},
    {"delete a file", kLandlockFiles | kSeccomp, false,
     [](const Target& t) { return Result(unlink((t.root + "/keep.txt").c_str()) == 0); }},
    {"chmod a file", kSeccomp, false,
     [](const Target& t) { return Result(chmod((t.root + "/keep.txt").c_str(), 0600) == 0); }},
    {"chown a file", kSeccomp, false,
     [](const Target& t) {
         return Result(chown((t.root + "/keep.txt").c_str(), getuid(), getgid()) == 0);
     }},
    {"connect to TCP on 127.0.0.1", kLandlockTcp | kSeccomp, false,
     [](const Target& t) {
         const sockaddr_in address = Loopback(t.tcpPort);
         return Connect(AF_INET, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&address),
                        sizeof address);
     }},
    {"send UDP to 127.0.0.1", kSeccomp, false,
     [](const Target& t) {
         const sockaddr_in address = Loopback(t.udpPort);
         return Connect(AF_INET, SOCK_DGRAM, reinterpret_cast<const sockaddr*>(&address),
                        sizeof address);
     }},
    {"connect to a UNIX socket", kSeccomp, false,
     [](const Target& t) {
         const sockaddr_un address = UnixAddress(t.unixPath, false);
         return Connect(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&address),
                        UnixSize(t.unixPath, false));
     }},
    {"connect to an abstract UNIX socket", kLandlockScopes | kSeccomp, false,
     [](const Target& t) {
         const sockaddr_un address = UnixAddress(t.abstractName, true);
         return Connect(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&address),
                        UnixSize(t.abstractName, true));
     }},
    {"execve /bin/sh", kLandlockFiles | kSeccomp, false, [](const Target&) { return RunShell(); }},
    {"fork and exec", kLandlockFiles | kSeccomp, false,
     [](const Target&) {
         const pid_t child = fork();
         if (child < 0) {
             return errno;
         }
         if (child == 0) {
             _exit(RunShell() == EACCES ? 100 : 101);
         }
         int status = 0;
         waitpid(child, &status, 0);
         if (WIFEXITED(status) && WEXITSTATUS(status) == kExecuted) {
             return 0;
         }
         return WIFEXITED(status) && WEXITSTATUS(status) == 100 ? EACCES : EIO;
     }},
    // clone3 hides its flags from the filter, so it is refused whatever they are (threads start
    // through clone, which may start nothing else: the fork above goes through it).
    {"start a process with clone3", kSeccomp, false,
     [](const Target&) {
         std::array<std::uint64_t, 8> args{};  // struct clone_args, version 0
         args[4] = SIGCHLD;                    // exit_signal: a child process, as fork makes
         const long child = syscall(SYS_clone3, args.data(), sizeof args);
         if (child < 0) {
             return errno;
         }
         if (child == 0) {
             _exit(0);
         }
         waitpid(static_cast<pid_t>(child), nullptr, 0);
         return 0;
     }},
    {"kill the parent", kLandlockScopes | kSeccomp, false,
     [](const Target&) { return Result(kill(getppid(), SIGTERM) == 0); }},
    {"ptrace a sibling", kLandlockDomain | kSeccomp, false,
     [](const Target& t) {
         if (ptrace(PTRACE_ATTACH, t.sibling, nullptr, nullptr) != 0) {
             return errno;
         }
         int status = 0;
         waitpid(t.sibling, &status, __WALL);
         ptrace(PTRACE_DETACH, t.sibling, nullptr, nullptr);
         return 0;
     }},
    {"read a sibling's memory", kLandlockDomain | kSeccomp, false,
     [](const Target& t) { return SiblingMemory(t, false); }},
    {"write a sibling's memory", kLandlockDomain | kSeccomp, false,
     [](const Target& t) { return SiblingMemory(t, true); }},
    {"make memory executable", kSeccomp, false,
     [](const Target&) {
         void* page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE | PROT_EXEC,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
         return page == MAP_FAILED ? errno : munmap(page, 4096);
     }},
    {"mount", kLandlockDomain | kSeccomp, true,
     [](const Target& t) {
         const std::string at = t.root + "/mnt";
         if (mount("lexaro", at.c_str(), "tmpfs", 0, nullptr) != 0) {
             return errno;
         }
         umount2(at.c_str(), MNT_DETACH);
         return 0;
     }},
    {"unshare a user namespace", kSeccomp, true,
     [](const Target&) { return Result(unshare(CLONE_NEWUSER) == 0); }},
};

// Calls that are not needed to do harm; each with arguments that make it fail without the
// lock-down with an error of its own (EBADF, EINVAL, EFAULT), so that EPERM can only come from
// the filter.
struct Probe {
    const char* name;
    long call;
    std::array<long, 3> args;
};

const Probe kProbes[] = {
    {"setns", SYS_setns, {-1, 0, 0}},
    {"bpf", SYS_bpf, {-1, 0, 0}},
    {"perf_event_open", SYS_perf_event_open, {0, 0, -1}},
    {"keyctl", SYS_keyctl, {-1, 0, 0}},
    {"io_uring_setup", SYS_io_uring_setup, {0, 0, 0}},
};

enum class Mode { Off, Full, SeccompOnly, LandlockOnly };

struct Outcome {
    bool lockedDown = false;
    unsigned layers = 0;  // LayersOf what the child's lock-down applied
    int error = -1;       // the attempt's errno, 0 for success, -1 for no answer
    int status = 0;       // the child's wait status
};

// Runs `attempt` in a child process, locked down as `mode` says.
template <typename Attempt>
Outcome RunInChild(Mode mode, const Attempt& attempt) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::array<int, 2> report{0, -1};
        if (mode != Mode::Off) {
            const SandboxLayers layers =
                LockDown({mode != Mode::SeccompOnly, mode != Mode::LandlockOnly});
            report[0] = static_cast<int>(LayersOf(layers) | (layers.noNewPrivileges ? 1U << 8 : 0));
        }
        (void)!write(channel[1], &report[0], sizeof report[0]);
        report[1] = attempt();
        (void)!write(channel[1], &report[1], sizeof report[1]);
        _exit(0);
    }
    close(channel[1]);
    Outcome outcome;
    std::array<int, 2> report{0, -1};
    std::size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n =
            read(channel[0], reinterpret_cast<char*>(report.data()) + got, sizeof report - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(channel[0]);
    waitpid(child, &outcome.status, 0);
    outcome.layers = static_cast<unsigned>(report[0]) & 0xFFU;
    outcome.lockedDown = (static_cast<unsigned>(report[0]) & (1U << 8)) != 0;
    outcome.error = got == sizeof report ? report[1] : -1;
    if (WIFEXITED(outcome.status) && WEXITSTATUS(outcome.status) == kExecuted) {
        outcome.error = 0;  // the attempt ran the shell
    }
    return outcome;
}

bool Refused(const Outcome& outcome) {
    const bool killed = WIFSIGNALED(outcome.status) && WTERMSIG(outcome.status) == SIGSYS;
    // ENOSYS: clone3, which the filter makes look missing so that threads fall back on clone.
    return killed || outcome.error == EPERM || outcome.error == EACCES || outcome.error == ENOSYS;
}

// path, mode and contents of everything under `root`.
std::string Snapshot(const std::string& root) {
    std::ostringstream out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        out << entry.path().string() << ' ' << static_cast<int>(entry.status().permissions());
        if (entry.is_regular_file()) {
            std::ifstream file(entry.path());
            out << ' ' << file.rdbuf();
        }
        out << '\n';
    }
    return out.str();
}

int Listener(int family, int type, const sockaddr* address, socklen_t size) {
    const int fd = socket(family, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, address, size) != 0 || (type == SOCK_STREAM && listen(fd, 8) != 0)) {
        return -1;
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

// Whether anything arrived on `fd` (a connection or a datagram); takes it off.
bool Reached(int fd, int type) {
    char byte = 0;
    const int got = type == SOCK_STREAM ? accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)
                                        : static_cast<int>(recv(fd, &byte, 1, 0));
    if (got >= 0 && type == SOCK_STREAM) {
        close(got);
    }
    return got >= 0;
}

class Breakout : public testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        struct sigaction handler {};
        handler.sa_handler = [](int) { terminated = 1; };
        handler.sa_flags = SA_RESTART;  // the waits for the children go on
        sigaction(SIGTERM, &handler, &previousTerm_);
        target_.sibling = fork();
        if (target_.sibling == 0) {
            prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY);
            for (;;) {
                pause();
            }
        }
        const sockaddr_in tcp = Loopback(0);
        sockets_[0] =
            Listener(AF_INET, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&tcp), sizeof tcp);
        sockets_[1] =
            Listener(AF_INET, SOCK_DGRAM, reinterpret_cast<const sockaddr*>(&tcp), sizeof tcp);
        target_.tcpPort = PortOf(sockets_[0]);
        target_.udpPort = PortOf(sockets_[1]);
        target_.unixPath = directory_ + "/listening.sock";
        const sockaddr_un unixAddress = UnixAddress(target_.unixPath, false);
        sockets_[2] =
            Listener(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&unixAddress),
                     UnixSize(target_.unixPath, false));
        target_.abstractName = "lexaro-breakout-" + std::to_string(getpid());
        const sockaddr_un abstract = UnixAddress(target_.abstractName, true);
        sockets_[3] = Listener(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&abstract),
                               UnixSize(target_.abstractName, true));
        for (const int fd : sockets_) {
            ASSERT_GE(fd, 0) << std::strerror(errno);
        }
    }

    void TearDown() override {
        kill(target_.sibling, SIGKILL);
        waitpid(target_.sibling, nullptr, 0);
        for (const int fd : sockets_) {
            close(fd);
        }
        sigaction(SIGTERM, &previousTerm_, nullptr);
        fs::remove_all(directory_);
    }

    // A fresh HOME for one attempt.
    void MakeHome() {
        target_.root = directory_ + "/home";
        fs::remove_all(target_.root);
        fs::create_directories(target_.root + "/.ssh");
        fs::create_directories(target_.root + "/mnt");
        ASSERT_TRUE(fixtures::WriteFileBytes(target_.root + "/.ssh/id_ed25519", "private key"));
        ASSERT_TRUE(fixtures::WriteFileBytes(target_.root + "/keep.txt", "keep"));
        fs::permissions(target_.root + "/keep.txt", fs::perms(0644));
    }

    // Whether anything reached a listening socket or the test process; clears it.
    bool AnythingReached() {
        bool reached = terminated != 0;
        terminated = 0;
        constexpr std::array<int, 4> kTypes = {SOCK_STREAM, SOCK_DGRAM, SOCK_STREAM, SOCK_STREAM};
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            while (Reached(sockets_[i], kTypes[i])) {
                reached = true;
            }
        }
        return reached;
    }

    std::string directory_ = fixtures::MakeTempDirectory();
    Target target_;
    std::array<int, 4> sockets_{-1, -1, -1, -1};
    struct sigaction previousTerm_ {};
};

TEST_P(Breakout, EveryAttemptFailsWhereALayerStopsItAndWorksWhereNone) {
    const Mode mode = GetParam();
    const bool root = geteuid() == 0;
    for (const Attempt& row : kAttempts) {
        SCOPED_TRACE(row.name);
        MakeHome();
        const std::string before = Snapshot(target_.root);
        const Target target = target_;
        const Outcome outcome = RunInChild(mode, [&] { return row.attempt(target); });
        ASSERT_EQ(outcome.lockedDown, mode != Mode::Off);
        const bool stopped = (row.stoppedBy & outcome.layers) != 0;
        if (stopped) {
            EXPECT_TRUE(Refused(outcome))
                << "errno " << outcome.error << ", wait status " << outcome.status;
            EXPECT_EQ(Snapshot(target_.root), before);
            EXPECT_FALSE(AnythingReached());
        } else if (root || !row.needsRoot) {
            EXPECT_EQ(outcome.error, 0) << std::strerror(outcome.error);
        }
        AnythingReached();  // what a permitted attempt sent
    }
}

TEST_P(Breakout, FilteredCallsAreRefusedByTheFilterAlone) {
    const Mode mode = GetParam();
    for (const Probe& probe : kProbes) {
        SCOPED_TRACE(probe.name);
        const Outcome outcome = RunInChild(mode, [&] {
            return Result(syscall(probe.call, probe.args[0], probe.args[1], probe.args[2]) == 0);
        });
        if ((outcome.layers & kSeccomp) != 0) {
            EXPECT_TRUE(Refused(outcome)) << "errno " << outcome.error;
        } else if (mode == Mode::Off && geteuid() == 0) {  // bpf needs root to get past EPERM
            EXPECT_FALSE(Refused(outcome)) << "errno " << outcome.error;
        }
    }
}

std::string ModeName(const testing::TestParamInfo<Mode>& mode) {
    constexpr std::array<const char*, 4> kNames = {"Off", "Full", "SeccompOnly", "LandlockOnly"};
    return kNames[static_cast<std::size_t>(mode.param)];
}

INSTANTIATE_TEST_SUITE_P(Layers, Breakout,
                         testing::Values(Mode::Off, Mode::Full, Mode::SeccompOnly,
                                         Mode::LandlockOnly),
                         ModeName);

// What the book readers need in the lock-down: djvulibre's message catalogue and a thread of its
// own, and libmobi a stream over memory.
TEST(LockDown, LeavesTheBookReadersWhatTheyNeed) {
    std::ifstream file(LEXARO_DOCUMENT_DATA_DIR "/text.djvu", std::ios::binary);
    const std::string djvu{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(djvu.empty());
    const std::string mobi = fixtures::MobiBytes({"<p>A Kindle book.</p>"});
    using documents::DjvuText;
    using documents::MobiText;
    using documents::TextSink;
    const auto reads = [](ExtractExit (*reader)(std::string_view, TextSink&),
                          const std::string& bytes, std::string_view start) {
        TextSink sink;
        return reader(bytes, sink) == ExtractExit::Ok && sink.text().starts_with(start) ? 0 : EIO;
    };
    const Outcome djvuRead =
        RunInChild(Mode::Full, [&] { return reads(DjvuText, djvu, "Reading"); });
    ASSERT_TRUE(djvuRead.lockedDown);
    EXPECT_EQ(djvuRead.error, 0);
    EXPECT_EQ(RunInChild(Mode::Full, [&] { return reads(MobiText, mobi, "A Kindle"); }).error, 0);
}

// The full lock-down on a kernel with Landlock 6 or later puts every layer in place.
TEST(LockDown, AppliesEveryLayerTheKernelHas) {
    const Outcome outcome = RunInChild(Mode::Full, [] { return 0; });
    ASSERT_TRUE(outcome.lockedDown);
    EXPECT_NE(outcome.layers & kSeccomp, 0U);
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, 1U);
    if (abi >= 6) {
        EXPECT_EQ(outcome.layers,
                  kLandlockFiles | kLandlockDomain | kLandlockTcp | kLandlockScopes | kSeccomp);
    }
}

// The Word reader works locked down: libgsf starts no thread, and GLib, which looks for the time
// zone (refused) when it reads the compound file's dates, goes on in UTC.
TEST(LockDown, LeavesTheWordReaderWorking) {
    fixtures::WordDocument97 document;
    document.body = {{u"Read \x13 HYPERLINK x \x14here\x15.\r", true}};
    const std::string bytes = fixtures::DocBytes(document);
    const Outcome outcome = RunInChild(Mode::Full, [&] {
        documents::TextSink sink;
        return documents::DocText(bytes, sink) == ExtractExit::Ok && sink.text() == "Read here."
                   ? 0
                   : EIO;
    });
    ASSERT_TRUE(outcome.lockedDown);
    EXPECT_EQ(outcome.error, 0);
}

// The report tells a kernel built without Landlock from one that left it out at boot.
TEST(DescribeSandbox, SaysWhyLandlockIsMissing) {
    struct Case {
        int abi;
        int error;
        const char* line;
    };
    const std::array<Case, 3> cases = {{
        {7, 0, "\nlandlock: kernel ABI 7\n"},
        {0, ENOSYS, "\nlandlock: not in this kernel\n"},
        {0, EOPNOTSUPP, "\nlandlock: turned off at boot (not in the kernel's lsm= list)\n"},
    }};
    for (const Case& c : cases) {
        SandboxLayers layers;
        layers.landlockAbi = c.abi;
        layers.landlockError = c.error;
        EXPECT_NE(DescribeSandbox(layers).find(c.line), std::string::npos) << c.line;
    }
}

}  // namespace
}  // namespace lexaro::helper
