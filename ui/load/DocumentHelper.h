#pragma once
// Runs the lexaro-extract helper on a document and collects its text, within limits.
//
// The helper parses untrusted files with third-party libraries, so it runs as a child process
// with a wall-time limit, an address-space limit, no file writing at all, no descriptors beyond
// standard input, output and error (helper/child_limits.h), and a cap on what it may print.
// Whatever happens to it (a crash, a hang, a flood of output), this side ends with a LoadFailure
// and never with part of a text. Blocking: call it from a worker thread.

#include <QString>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

#include "formats/format_registry.h"
#include "helper/child_limits.h"
#include "helper/progress.h"
#include "helper/protocol.h"
#include "ui/load/LoadResult.h"

namespace lexaro {

// How long the helper may take over one document.
inline constexpr std::chrono::seconds kHelperWallTime{60};
// And, once it says it recognises the text of scanned pages, how long it may take from one page
// recognised to the next. The slowest page we could make, a poster drawn at the largest size the
// helper draws a page (10000 pixels a side) and covered with twelve book pages of print, took 21 s
// of processor time and 79 s on a 2-core machine busy with other work; a book's page takes 1 to
// 3 s. Twice the worst seen, for a machine busier still.
inline constexpr std::chrono::seconds kHelperPageTime{160};

struct HelperLimits {
    std::chrono::milliseconds wallTime = kHelperWallTime;
    std::chrono::milliseconds pageTime = kHelperPageTime;
    std::size_t addressSpaceBytes = helper::kHelperMemoryBytes;
    std::size_t outputBytes;  // defaults to kMaxExtractedTextBytes (see the constructor)
    HelperLimits();
};

// The helper program itself.
class DocumentHelper {
public:
    // Where it is: the path set below, else beside the program (a build tree), else in
    // ../libexec/lexaro (installed).
    [[nodiscard]] static QString path();
    // Tests and tools: run `path` (a fake helper, say) from now on; empty restores the default.
    static void setPath(const QString& path);
};

// What the window asks of the helper beyond the document.
struct HelperOptions {
    // The language data text recognition uses ("deu+eng"); empty: the helper's own choice.
    QString ocrLanguage;
    // Told, on the loading thread, each time the helper has recognised another page.
    std::function<void(helper::RecognitionProgress)> progress;
};

// The text of `documentPath` (sniffed as `format`) as the helper extracts it, shaped for the text
// box; or the failure. `cancel` is polled every few milliseconds; a cancelled run kills the helper
// at once.
[[nodiscard]] LoadResult ExtractWithHelper(const QString& documentPath,
                                           const DocumentFormat& format,
                                           const std::atomic<bool>& cancel,
                                           const HelperLimits& limits = HelperLimits(),
                                           const HelperOptions& options = HelperOptions());

}  // namespace lexaro
