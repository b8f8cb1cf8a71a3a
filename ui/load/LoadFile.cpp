#include "ui/load/LoadFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string>
#include <utility>

#include "engine/text_shape.h"
#include "formats/format_registry.h"
#include "formats/text_file.h"
#include "ui/load/RegularFile.h"
#include "ui/load/StandardInput.h"

namespace lexaro {

namespace {

// Reads the rest of `file` onto `bytes`. Reads to the end rather than trusting the size: a file
// can grow or shrink while it is read.
LoadFailure ReadRest(QFile& file, std::string& bytes, const std::atomic<bool>& cancel) {
    constexpr qint64 kChunk = qint64{1} << 20;
    bytes.reserve(static_cast<std::size_t>(std::min<qint64>(file.size(), kMaxTextFileBytes)));
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            return LoadFailure::Cancelled;
        }
        const std::size_t used = bytes.size();
        bytes.resize(used + static_cast<std::size_t>(kChunk));
        const qint64 got = file.read(bytes.data() + used, kChunk);
        if (got < 0) {
            return LoadFailure::Unreadable;
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (bytes.size() > kMaxTextFileBytes) {
            return LoadFailure::FileTooLarge;
        }
        if (got == 0) {
            return LoadFailure::None;
        }
    }
}

// All of standard input, up to one byte past kMaxTextFileBytes, which is enough to refuse it.
LoadFailure ReadAllStandardInput(std::string& bytes, const std::atomic<bool>& cancel) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            return LoadFailure::Cancelled;
        }
        bool waiting = false;
        const std::size_t used = bytes.size();
        const std::size_t room = std::min<std::size_t>(kChunk, kMaxTextFileBytes + 1 - used);
        bytes.resize(used + room);
        const qint64 got = ReadStandardInput(bytes.data() + used, room, waiting);
        bytes.resize(used + static_cast<std::size_t>(std::max<qint64>(got, 0)));
        if (got < 0) {
            return LoadFailure::Unreadable;
        }
        if (bytes.size() > kMaxTextFileBytes) {
            return LoadFailure::FileTooLarge;
        }
        if (got == 0 && !waiting) {
            return LoadFailure::None;
        }
    }
}

// The bytes of a text file, or of standard input, as the text they load as.
LoadResult DecodeText(std::string&& bytes, const std::atomic<bool>& cancel) {
    std::optional<std::u16string> text = TextFromFileBytes(
        std::move(bytes), [&cancel] { return !cancel.load(std::memory_order_relaxed); });
    if (cancel.load(std::memory_order_relaxed)) {
        return {LoadFailure::Cancelled, {}};
    }
    if (!text) {
        return {LoadFailure::NotText, {}};
    }
    return {LoadFailure::None, std::move(*text)};
}

LoadResult ReadText(const QString& path, const std::atomic<bool>& cancel,
                    const HelperLimits& limits, const HelperOptions& options) {
    if (path.isEmpty()) {
        return {LoadFailure::Missing, {}};
    }
    if (path == kStandardInput) {
        std::string bytes;
        if (const LoadFailure failure = ReadAllStandardInput(bytes, cancel);
            failure != LoadFailure::None) {
            return {failure, {}};
        }
        return DecodeText(std::move(bytes), cancel);
    }
    QFile file;
    if (const LoadFailure failure = OpenRegularFile(file, path); failure != LoadFailure::None) {
        return {failure, {}};
    }
    if (file.size() > static_cast<qint64>(kMaxTextFileBytes)) {
        return {LoadFailure::FileTooLarge, {}};  // refused before a byte of it is read
    }
    std::string bytes(kSniffBytes, '\0');
    const qint64 head = file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    if (head < 0) {
        return {LoadFailure::Unreadable, {}};
    }
    bytes.resize(static_cast<std::size_t>(head));

    const DocumentFormat& format =
        SniffDocumentFormat(bytes, QFileInfo(path).fileName().toStdString());
    if (format.needsHelper) {
        file.close();  // the helper opens the file itself
        return ExtractWithHelper(path, format, cancel, limits, options);
    }
    if (const LoadFailure failure = ReadRest(file, bytes, cancel); failure != LoadFailure::None) {
        return {failure, {}};
    }
    file.close();
    return DecodeText(std::move(bytes), cancel);
}

}  // namespace

LoadResult LoadFile(const QString& path, const std::atomic<bool>& cancel,
                    const HelperLimits& limits, const HelperOptions& options) {
    LoadResult result = ReadText(path, cancel, limits, options);
    if (result.failure != LoadFailure::None) {
        return result;
    }
    // Judged here, off the window thread and before the box is touched: a shape the box could
    // not take without freezing is refused as a whole.
    result.shape = MeasureTextShape(result.text);
    switch (JudgeTextShape(result.shape)) {
        case ShapeVerdict::TooManyLines:
            return {LoadFailure::TooManyLines, {}};
        case ShapeVerdict::LineTooLong:
            return {LoadFailure::LineTooLong, {}};
        default:
            return result;
    }
}

}  // namespace lexaro
