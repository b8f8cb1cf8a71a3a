#include "ui/main/TextFileReader.h"

#include <QFile>
#include <QFileInfo>

#include "engine/text_file.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lexaro {

namespace {

// Opens `path` for reading only if it is a regular file. On Unix the check is made on the opened
// descriptor, so a path swapped for a FIFO after the dialog closed cannot block the window: the
// open itself does not wait (O_NONBLOCK) and the descriptor is refused unless it is a file.
bool OpenRegularFile(QFile& file, const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

}  // namespace

std::optional<std::u16string> ReadTextFile(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    QFile file;
    if (!OpenRegularFile(file, path)) {
        return std::nullopt;
    }
    if (file.size() > static_cast<qint64>(kMaxTextFileBytes)) {
        return std::nullopt;  // refused before a byte of it is read
    }
    // Read to the end rather than trusting the size: a file can grow or shrink while it is read.
    constexpr qint64 kChunk = qint64{1} << 20;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::min<qint64>(file.size(), kMaxTextFileBytes)));
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + static_cast<std::size_t>(kChunk));
        const qint64 got = file.read(bytes.data() + used, kChunk);
        if (got < 0) {
            return std::nullopt;
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (bytes.size() > kMaxTextFileBytes) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
    }
    return TextFromFileBytes(bytes);
}

}  // namespace lexaro
