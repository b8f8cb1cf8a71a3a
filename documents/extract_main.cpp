// lexaro-extract FILE: the document's text on standard output, the outcome in the exit code
// (formats/extract_protocol.h). Runs as a child of the window process, so that whatever a
// third-party parser does with a hostile file costs a failed load, never the user's text. It
// reads FILE, then locks itself down (documents/sandbox.h) before a parser sees a byte: from
// there on it can only compute and write to standard output.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>

#include "documents/extract.h"
#include "documents/sandbox.h"
#include "formats/extract_protocol.h"
#include "formats/text_file.h"

namespace {

using lexaro::ExtractExit;

int Exit(ExtractExit code) {
    return static_cast<int>(code);
}

// Reads the whole regular file `path`; Ok, Unreadable or TooLarge.
ExtractExit ReadFile(const char* path, std::string& bytes) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer before fstat can refuse it.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
        // The file may grow while it is read: never read more than the limit allows.
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) {
                if (bytes.size() > lexaro::kMaxTextFileBytes) {
                    status = ExtractExit::TooLarge;
                    break;
                }
                bytes.resize(std::min(bytes.size() * 2, lexaro::kMaxTextFileBytes + 1));
            }
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
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

int Run(int argc, char** argv) {
    if (argc != 2) {
        return Exit(ExtractExit::Usage);
    }
    // A reader that went away shows up as a failed write, not as a killing signal.
    std::signal(SIGPIPE, SIG_IGN);
    if (std::string_view(argv[1]) == "--sandbox-report") {
        const lexaro::documents::SandboxLayers layers = lexaro::documents::LockDown();
        const bool wrote = WriteAll(lexaro::documents::DescribeSandbox(layers));
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
    if (!lexaro::documents::LockDown().sufficient()) {
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

int main(int argc, char** argv) {
    // Nothing is left to flush (the text went out through write), and nothing at exit may need
    // a right the lock-down took: the sanitizers' leak check, for one, traces the process and
    // reads /proc. In-process tests and the fuzzers check the parsers for leaks instead.
    std::_Exit(Run(argc, argv));
}
