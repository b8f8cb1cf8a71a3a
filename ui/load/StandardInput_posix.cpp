// Reading standard input on POSIX (see StandardInput.h).
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "ui/load/StandardInput.h"

namespace lexaro {

qint64 ReadStandardInput(char* buffer, std::size_t room, bool& waiting) {
    waiting = false;
    qint64 got = -1;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, kStandardInputPollMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
        waiting = true;
        got = 0;
    } else if (ready > 0) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, room);
        waiting = n < 0 && (errno == EINTR || errno == EAGAIN);
        got = waiting ? 0 : static_cast<qint64>(n);
    }
    return got;
}

}  // namespace lexaro
