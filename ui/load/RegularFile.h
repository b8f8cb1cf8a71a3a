#pragma once
// Opening a file the user chose, for reading, only if it is a regular file. The POSIX way
// (ui/load/RegularFile_posix.cpp) checks the opened descriptor, so a path swapped for a FIFO after
// the dialog closed cannot block: the open itself does not wait (O_NONBLOCK) and the descriptor is
// refused unless it is a file. Windows (ui/load/RegularFile_win.cpp) asks about the path first.

#include <QFile>
#include <QString>

#include "ui/load/LoadResult.h"

namespace lexaro {

// Opens `path` into `file` for reading; None, or why not (Missing, NoPermission, Folder,
// NotRegular, Unreadable).
[[nodiscard]] LoadFailure OpenRegularFile(QFile& file, const QString& path);

}  // namespace lexaro
