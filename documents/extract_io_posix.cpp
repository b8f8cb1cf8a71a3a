// SPDX-License-Identifier: GPL-2.0-or-later
// lexaro-extract's command line, input and output on POSIX (see extract_io.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "documents/extract_io.h"

namespace lexaro::documents {

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

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
    } else if (static_cast<std::size_t>(info.st_size) > kMaxTextFileBytes) {
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

}  // namespace lexaro::documents
