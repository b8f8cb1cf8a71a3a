#pragma once
// Runs the lexaro-extract helper on a document and collects its text, within limits.
//
// The helper parses untrusted files with third-party libraries, so it runs as a child process
// with a wall-time limit, an address-space limit, no file writing at all, no descriptors beyond
// standard input, output and error, and a cap on what it may print. Whatever happens to it (a
// crash, a hang, a flood of output), this side ends with a LoadFailure and never with part of a
// text. Blocking: call it from a worker thread.

#include <QString>
#include <atomic>
#include <chrono>
#include <cstddef>

#include "formats/extract_protocol.h"
#include "formats/format_registry.h"
#include "ui/load/LoadResult.h"

namespace lexaro {

// Whether the helper's address space is limited. Not in an AddressSanitizer build: its shadow
// memory alone reserves terabytes of address space, so the sanitized helper could not start.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kLimitsHelperAddressSpace = false;
#else
inline constexpr bool kLimitsHelperAddressSpace = true;
#endif

// How long the helper may take over one document.
inline constexpr std::chrono::seconds kHelperWallTime{60};

struct HelperLimits {
    std::chrono::milliseconds wallTime = kHelperWallTime;
    std::size_t addressSpaceBytes = kHelperMemoryBytes;
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

// The text of `documentPath` (sniffed as `format`) as the helper extracts it, shaped for the text
// box; or the failure. `cancel` is polled every few milliseconds; a cancelled run kills the helper
// at once.
[[nodiscard]] LoadResult ExtractWithHelper(const QString& documentPath,
                                           const DocumentFormat& format,
                                           const std::atomic<bool>& cancel,
                                           const HelperLimits& limits = HelperLimits());

}  // namespace lexaro
