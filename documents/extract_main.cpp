// lexaro-extract FILE: the document's text on standard output, the outcome in the exit code
// (helper/protocol.h). Runs as a child of the window process, so that whatever a
// third-party parser does with a hostile file costs a failed load, never the user's text. It
// reads FILE, then locks itself down (helper/lockdown.h) before a parser sees a byte: from
// there on it can only compute and write to standard output.

#ifdef _WIN32
#include <windows.h>
// (shellapi.h needs windows.h first)
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "documents/extract.h"
#include "formats/text_file.h"
#include "helper/lockdown.h"
#include "helper/protocol.h"

namespace {

using lexaro::ExtractExit;

int Exit(ExtractExit code) {
    return static_cast<int>(code);
}

// Reads a file expected to hold `expected` bytes through `readSome(buffer, room)` (the count read,
// 0 at its end, below 0 on an error). The file may grow while it is read: never more than the
// limit allows.
template <typename ReadSome>
ExtractExit ReadUpToLimit(std::size_t expected, std::string& bytes, ReadSome readSome) {
    bytes.resize(expected + 1);
    std::size_t done = 0;
    ExtractExit status = ExtractExit::Ok;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > lexaro::kMaxTextFileBytes) {
                status = ExtractExit::TooLarge;
                break;
            }
            bytes.resize(std::min(bytes.size() * 2, lexaro::kMaxTextFileBytes + 1));
        }
        const long long got = readSome(bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            status = ExtractExit::Unreadable;
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return status;
}

#ifdef _WIN32
// The command line's arguments, from UTF-16 (the narrow argv holds the file name in the user's
// code page, which cannot spell every name) to UTF-8.
std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(std::max(length, 1)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr, nullptr);
        argument.pop_back();  // the terminating NUL
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}

std::wstring Wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

// Reads the whole regular file `path` (UTF-8); Ok, Unreadable or TooLarge.
ExtractExit ReadFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ExtractExit::Unreadable;
    }
    LARGE_INTEGER size{};
    ExtractExit status = ExtractExit::Ok;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        status = ExtractExit::Unreadable;
    } else if (static_cast<unsigned long long>(size.QuadPart) > lexaro::kMaxTextFileBytes) {
        status = ExtractExit::TooLarge;
    } else {
        status = ReadUpToLimit(static_cast<std::size_t>(size.QuadPart), bytes,
                               [file](char* buffer, std::size_t room) -> long long {
                                   DWORD got = 0;
                                   const auto want =
                                       static_cast<DWORD>(std::min<std::size_t>(room, 1U << 30));
                                   return ::ReadFile(file, buffer, want, &got, nullptr) ? got : -1;
                               });
    }
    CloseHandle(file);
    return status;
}

bool WriteAll(std::string_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (!text.empty()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 20));
        if (!WriteFile(out, text.data(), chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        text.remove_prefix(wrote);
    }
    return true;
}

// A crash or an abort must end the helper with a code the window reads as a damaged document,
// at once: not with abort()'s 3 (Unreadable), and not behind an error box nobody will see.
void QuietFailures() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::set_terminate([] { std::_Exit(static_cast<int>(ExtractExit::Damaged)); });
}
#else
std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

// Reads the whole regular file `path`; Ok, Unreadable or TooLarge.
ExtractExit ReadFile(const std::string& path, std::string& bytes) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer before fstat can refuse it.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return ExtractExit::Unreadable;
    }
    struct stat info {};
    ExtractExit status = ExtractExit::Ok;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        status = ExtractExit::Unreadable;
    } else if (static_cast<std::size_t>(info.st_size) > lexaro::kMaxTextFileBytes) {
        status = ExtractExit::TooLarge;
    } else {
        status = ReadUpToLimit(static_cast<std::size_t>(info.st_size), bytes,
                               [fd](char* buffer, std::size_t room) -> long long {
                                   for (;;) {
                                       const ssize_t got = read(fd, buffer, room);
                                       if (got >= 0 || errno != EINTR) {
                                           return got;
                                       }
                                   }
                               });
    }
    close(fd);
    return status;
}

bool WriteAll(std::string_view text) {
    while (!text.empty()) {
        const ssize_t wrote = write(STDOUT_FILENO, text.data(), text.size());
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// A reader that went away shows up as a failed write, not as a killing signal.
void QuietFailures() {
    std::signal(SIGPIPE, SIG_IGN);
}
#endif

int Run(const std::vector<std::string>& argv) {
    if (argv.size() != 2) {
        return Exit(ExtractExit::Usage);
    }
    QuietFailures();
    if (argv[1] == "--sandbox-report") {
        const lexaro::helper::SandboxLayers layers = lexaro::helper::LockDown();
        const bool wrote = WriteAll(lexaro::helper::DescribeSandbox(layers));
        return Exit(!layers.sufficient() ? ExtractExit::NoSandbox
                    : wrote              ? ExtractExit::Ok
                                         : ExtractExit::Unreadable);
    }
    std::string bytes;
    const ExtractExit read = ReadFile(argv[1], bytes);
    if (read != ExtractExit::Ok) {
        return Exit(read);
    }
#ifndef LEXARO_EXTRACT_UNCONFINED  // defined only in a benchmark's build, to measure the cost
    if (!lexaro::helper::LockDown().sufficient()) {
        return Exit(ExtractExit::NoSandbox);
    }
#endif
    const lexaro::documents::ExtractResult result =
        lexaro::documents::ExtractDocument(bytes, argv[1]);
    if (result.status != ExtractExit::Ok) {
        return Exit(result.status);
    }
    // The window cannot tell a cut-off text from a whole one: a failed write is a failed run.
    return Exit(WriteAll(result.text) ? ExtractExit::Ok : ExtractExit::Unreadable);
}

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    // Nothing is left to flush (the text went out through write), and nothing at exit may need
    // a right the lock-down took: the sanitizers' leak check, for one, traces the process and
    // reads /proc. In-process tests and the fuzzers check the parsers for leaks instead.
#ifdef _WIN32
    std::_Exit(Run(Arguments()));
#else
    std::_Exit(Run(Arguments(argc, argv)));
#endif
}
