#include "ui/load/LoadFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string>
#include <utility>

#include "engine/text_shape.h"
#include "formats/format_registry.h"
#include "formats/text_file.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace lexaro {

namespace {

// Opens `path` for reading only if it is a regular file. On Unix the check is made on the opened
// descriptor, so a path swapped for a FIFO after the dialog closed cannot block: the open itself
// does not wait (O_NONBLOCK) and the descriptor is refused unless it is a file.
LoadFailure OpenRegularFile(QFile& file, const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR:
                return LoadFailure::Missing;
            case EACCES:
            case EPERM:
                return LoadFailure::NoPermission;
            case ENXIO:  // a socket, or a device with nothing behind it
            case ENODEV:
                return LoadFailure::NotRegular;
            default:
                return LoadFailure::Unreadable;
        }
    }
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    LoadFailure failure = LoadFailure::None;
    if (known && S_ISDIR(info.st_mode)) {
        failure = LoadFailure::Folder;
    } else if (known && !S_ISREG(info.st_mode)) {
        failure = LoadFailure::NotRegular;
    } else if (!known || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        failure = LoadFailure::Unreadable;
    }
    if (failure != LoadFailure::None) {
        ::close(fd);
    }
    return failure;
#else
    const QFileInfo info(path);
    if (!info.exists()) {
        return LoadFailure::Missing;
    }
    if (info.isDir()) {
        return LoadFailure::Folder;
    }
    if (!info.isFile()) {
        return LoadFailure::NotRegular;
    }
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? LoadFailure::None : LoadFailure::Unreadable;
#endif
}

// Reads the rest of `file` onto `bytes`. Reads to the end rather than trusting the size: a file
// can grow or shrink while it is read.
LoadFailure ReadRest(QFile& file, std::string& bytes, const std::atomic<bool>& cancel) {
    constexpr qint64 kChunk = qint64{1} << 20;
    bytes.reserve(static_cast<std::size_t>(std::min<qint64>(file.size(), kMaxTextFileBytes)));
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            return LoadFailure::Cancelled;
        }
        const std::size_t used = bytes.size();
        bytes.resize(used + static_cast<std::size_t>(kChunk));
        const qint64 got = file.read(bytes.data() + used, kChunk);
        if (got < 0) {
            return LoadFailure::Unreadable;
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (bytes.size() > kMaxTextFileBytes) {
            return LoadFailure::FileTooLarge;
        }
        if (got == 0) {
            return LoadFailure::None;
        }
    }
}

// How long a read of standard input waits for more before it looks at `cancel` again.
constexpr int kStandardInputPollMs = 50;

// Appends up to `room` bytes of standard input to `bytes`: how many (0 at its end), or -1 on an
// error; 0 bytes and `waiting` when nothing came within kStandardInputPollMs. Standard input is
// shared with the shell that started the program, so it is waited on, never made non-blocking.
qint64 ReadStandardInput(std::string& bytes, std::size_t room, bool& waiting) {
    waiting = false;
    const std::size_t used = bytes.size();
    bytes.resize(used + room);
    qint64 got = -1;
#ifdef Q_OS_UNIX
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, kStandardInputPollMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
        waiting = true;
        got = 0;
    } else if (ready > 0) {
        const ssize_t n = ::read(STDIN_FILENO, bytes.data() + used, room);
        waiting = n < 0 && (errno == EINTR || errno == EAGAIN);
        got = waiting ? 0 : static_cast<qint64>(n);
    }
#elif defined(Q_OS_WIN)
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD available = 0;
    DWORD n = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        got = 0;  // started without one: an empty text
    } else if (GetFileType(input) == FILE_TYPE_PIPE &&
               !PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        got = GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;  // the writer has closed it: the end
    } else if (GetFileType(input) == FILE_TYPE_PIPE && available == 0) {
        Sleep(kStandardInputPollMs);
        waiting = true;
        got = 0;
    } else if (ReadFile(input, bytes.data() + used, static_cast<DWORD>(room), &n, nullptr)) {
        got = n;
    } else {
        got = GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
#endif
    bytes.resize(used + static_cast<std::size_t>(std::max<qint64>(got, 0)));
    return got;
}

// All of standard input, up to one byte past kMaxTextFileBytes, which is enough to refuse it.
LoadFailure ReadAllStandardInput(std::string& bytes, const std::atomic<bool>& cancel) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            return LoadFailure::Cancelled;
        }
        bool waiting = false;
        const qint64 got = ReadStandardInput(
            bytes, std::min<std::size_t>(kChunk, kMaxTextFileBytes + 1 - bytes.size()), waiting);
        if (got < 0) {
            return LoadFailure::Unreadable;
        }
        if (bytes.size() > kMaxTextFileBytes) {
            return LoadFailure::FileTooLarge;
        }
        if (got == 0 && !waiting) {
            return LoadFailure::None;
        }
    }
}

// The bytes of a text file, or of standard input, as the text they load as.
LoadResult DecodeText(std::string&& bytes, const std::atomic<bool>& cancel) {
    std::optional<std::u16string> text = TextFromFileBytes(
        std::move(bytes), [&cancel] { return !cancel.load(std::memory_order_relaxed); });
    if (cancel.load(std::memory_order_relaxed)) {
        return {LoadFailure::Cancelled, {}};
    }
    if (!text) {
        return {LoadFailure::NotText, {}};
    }
    return {LoadFailure::None, std::move(*text)};
}

LoadResult ReadText(const QString& path, const std::atomic<bool>& cancel,
                    const HelperLimits& limits) {
    if (path.isEmpty()) {
        return {LoadFailure::Missing, {}};
    }
    if (path == kStandardInput) {
        std::string bytes;
        if (const LoadFailure failure = ReadAllStandardInput(bytes, cancel);
            failure != LoadFailure::None) {
            return {failure, {}};
        }
        return DecodeText(std::move(bytes), cancel);
    }
    QFile file;
    if (const LoadFailure failure = OpenRegularFile(file, path); failure != LoadFailure::None) {
        return {failure, {}};
    }
    if (file.size() > static_cast<qint64>(kMaxTextFileBytes)) {
        return {LoadFailure::FileTooLarge, {}};  // refused before a byte of it is read
    }
    std::string bytes(kSniffBytes, '\0');
    const qint64 head = file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    if (head < 0) {
        return {LoadFailure::Unreadable, {}};
    }
    bytes.resize(static_cast<std::size_t>(head));

    const DocumentFormat& format =
        SniffDocumentFormat(bytes, QFileInfo(path).fileName().toStdString());
    if (format.needsHelper) {
        file.close();  // the helper opens the file itself
        return ExtractWithHelper(path, format, cancel, limits);
    }
    if (const LoadFailure failure = ReadRest(file, bytes, cancel); failure != LoadFailure::None) {
        return {failure, {}};
    }
    file.close();
    return DecodeText(std::move(bytes), cancel);
}

}  // namespace

LoadResult LoadFile(const QString& path, const std::atomic<bool>& cancel,
                    const HelperLimits& limits) {
    LoadResult result = ReadText(path, cancel, limits);
    if (result.failure != LoadFailure::None) {
        return result;
    }
    // Judged here, off the window thread and before the box is touched: a shape the box could
    // not take without freezing is refused as a whole.
    result.shape = MeasureTextShape(result.text);
    switch (JudgeTextShape(result.shape)) {
        case ShapeVerdict::TooManyLines:
            return {LoadFailure::TooManyLines, {}};
        case ShapeVerdict::LineTooLong:
            return {LoadFailure::LineTooLong, {}};
        default:
            return result;
    }
}

}  // namespace lexaro
