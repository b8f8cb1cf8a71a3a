// SPDX-License-Identifier: MIT
// The progress lines of text recognition (see progress.h).
#include "helper/progress.h"

#include <charconv>

namespace lexaro::helper {

namespace {

constexpr std::string_view kPrefix = "ocr ";
constexpr std::string_view kMissing = "ocr-missing ";

// A decimal figure of digits only, at most kMaxProgressPages.
std::optional<std::uint32_t> Figure(std::string_view digits) {
    if (digits.empty() || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (value > kMaxProgressPages) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string ProgressLine(RecognitionProgress progress) {
    return std::string(kPrefix) + std::to_string(progress.done) + "/" +
           std::to_string(progress.total) + "\n";
}

std::string MissingLanguageLine(std::string_view data) {
    return std::string(kMissing) + std::string(data) + "\n";
}

std::optional<RecognitionProgress> ProgressReader::feed(std::string_view bytes) {
    bool moved = false;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!skipping_) {
            if (line_.size() + piece.size() < kMaxProgressLine) {
                line_.append(piece);
            } else {
                skipping_ = true;
                line_.clear();
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        if (!skipping_) {
            moved = take(line_) || moved;
        }
        line_.clear();
        skipping_ = false;
        bytes.remove_prefix(end + 1);
    }
    return moved ? last_ : std::nullopt;
}

bool ProgressReader::take(std::string_view line) {
    if (line.starts_with(kMissing)) {
        const std::string_view data = line.substr(kMissing.size());
        if (!data.empty() && data.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") ==
                                 std::string_view::npos) {
            missing_ = data;
        }
        return false;
    }
    if (!line.starts_with(kPrefix)) {
        return false;
    }
    line.remove_prefix(kPrefix.size());
    const std::size_t slash = line.find('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    const std::optional<std::uint32_t> done = Figure(line.substr(0, slash));
    const std::optional<std::uint32_t> total = Figure(line.substr(slash + 1));
    if (!done || !total || *total == 0 || *done > *total) {
        return false;
    }
    if (last_ && (*total != last_->total || *done <= last_->done)) {
        return false;  // the total is said once, and the count only goes forwards
    }
    last_ = RecognitionProgress{*done, *total};
    return true;
}

}  // namespace lexaro::helper
