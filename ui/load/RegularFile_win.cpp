// Opening a regular file on Windows (see RegularFile.h).
#include <QFileInfo>

#include "ui/load/RegularFile.h"

namespace lexaro {

LoadFailure OpenRegularFile(QFile& file, const QString& path) {
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
}

}  // namespace lexaro
