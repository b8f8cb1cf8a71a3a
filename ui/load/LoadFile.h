#pragma once
// Reading a file for the main window's text box, whatever it is: a plain text file is read and
// decoded here; any document (EPUB, PDF, HTML, Markdown, ODT, DOCX) goes to the extraction helper
// (see DocumentHelper.h). Blocking: the window runs it on a worker thread (see FileLoader.h).

#include <QString>
#include <atomic>

#include "ui/load/DocumentHelper.h"
#include "ui/load/LoadResult.h"

namespace lexaro {

// The path that stands for standard input (`lexaro -`). Every other path a load is given is
// absolute, so no file is taken for it; a file named "-" is reached as "./-".
inline const QString kStandardInput = QStringLiteral("-");

// The text `path` loads as, or why it cannot: missing, a folder or anything but a regular file
// (a FIFO or device would block or make no sense), unreadable, larger than kMaxTextFileBytes, not
// text, or a document the helper refused. The file is read completely before anything is decided,
// so a failure never yields part of a text. `cancel` is polled between steps and while the helper
// runs. kStandardInput is read to its end as text (the helper needs a file), with a text file's
// limit and decoding; `cancel` is polled while it waits for more.
[[nodiscard]] LoadResult LoadFile(const QString& path, const std::atomic<bool>& cancel,
                                  const HelperLimits& limits = HelperLimits(),
                                  const HelperOptions& options = HelperOptions());

}  // namespace lexaro
