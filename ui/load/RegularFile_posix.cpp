// Opening a regular file on POSIX (see RegularFile.h): checked on the opened descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ui/load/RegularFile.h"

namespace lexaro {

LoadFailure OpenRegularFile(QFile& file, const QString& path) {
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
}

}  // namespace lexaro
