#pragma once
// Reading a whole text file for the Load command.

#include <QString>
#include <optional>
#include <string>

namespace lexaro {

// The text the file at `path` loads as (see engine/text_file.h), or nothing when it cannot be
// used: missing, not a regular file (a directory, FIFO, device or socket would block or make no
// sense), unreadable, larger than kMaxTextFileBytes, or not text. The file is read completely
// before anything is decided, so a failure never yields part of a text; it is closed on return.
[[nodiscard]] std::optional<std::u16string> ReadTextFile(const QString& path);

}  // namespace lexaro
