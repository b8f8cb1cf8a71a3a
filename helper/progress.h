// SPDX-License-Identifier: MIT
#pragma once
// How the helper tells the window how far text recognition has got, and how long the window lets
// it take. Started with --progress (helper/protocol.h), the helper writes on standard error, after
// each page it recognises, one line:
//
//   ocr DONE/TOTAL      DONE pages of TOTAL recognised so far (decimal, no sign, 0 <= DONE <=
//   TOTAL)
//
// Standard error also carries whatever a library prints, so the window takes only lines of exactly
// this form and ignores every other one. The child is untrusted: a line is read up to
// kMaxProgressLine bytes (a longer one is skipped whole), the numbers are bounded, TOTAL stays what
// it was first said to be, and DONE never goes back. Nothing here touches Qt, so it is tested
// without a window.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexaro::helper {

struct RecognitionProgress {
    std::uint32_t done = 0;
    std::uint32_t total = 0;
    friend bool operator==(const RecognitionProgress&, const RecognitionProgress&) = default;
};

// More pages than any book has; a larger figure is a lie.
inline constexpr std::uint32_t kMaxProgressPages = 100'000;
// The longest progress line, its line feed included.
inline constexpr std::size_t kMaxProgressLine = 32;

// The line the helper writes for `progress`.
[[nodiscard]] std::string ProgressLine(RecognitionProgress progress);

// The line that names missing language data.
[[nodiscard]] std::string MissingLanguageLine(std::string_view data);

// Reads the window's side of the channel: bytes in as the child wrote them, in pieces of any size.
class ProgressReader {
public:
    // The newest progress in the complete lines of `bytes`, if it moved on from the last one.
    [[nodiscard]] std::optional<RecognitionProgress> feed(std::string_view bytes);
    [[nodiscard]] const std::optional<RecognitionProgress>& last() const { return last_; }
    // The language data the helper said it was missing, or empty.
    [[nodiscard]] const std::string& missingLanguage() const { return missing_; }

private:
    [[nodiscard]] bool take(std::string_view line);

    std::string line_;
    bool skipping_ = false;  // in a line that was already too long
    std::optional<RecognitionProgress> last_;
    std::string missing_;
};

// How long the helper may run: `whole` for a document, and for a document whose pages are
// recognised, `perPage` more from each page recognised. A hostile helper that lies about its pages
// gains at most `perPage` a line, and still has to recognise nothing faster than the window can
// tell.
class HelperBudget {
public:
    using Duration = std::chrono::milliseconds;
    HelperBudget(Duration whole, Duration perPage) : deadline_(whole), perPage_(perPage) {}

    // At `elapsed` since the helper started, it said it had got to `progress` (as
    // ProgressReader::feed gives it, so only forwards).
    void progressed(Duration elapsed) { deadline_ = std::max(deadline_, elapsed + perPage_); }
    [[nodiscard]] bool expired(Duration elapsed) const { return elapsed > deadline_; }

private:
    Duration deadline_;
    Duration perPage_;
};

}  // namespace lexaro::helper
