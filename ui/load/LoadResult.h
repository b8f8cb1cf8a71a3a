#pragma once
// What loading a file gives the main window: the text for the box, or why there is none.

#include <QString>
#include <memory>
#include <string>
#include <utility>

#include "engine/text_shape.h"

namespace lexaro {

enum class LoadFailure {
    None,
    Cancelled,       // the user cancelled; nothing is reported
    Missing,         // no such file
    Folder,          // a directory was chosen
    NotRegular,      // a device, pipe or socket
    NoPermission,    // the file may not be read
    Unreadable,      // reading failed part-way
    FileTooLarge,    // above kMaxTextFileBytes
    TextTooLarge,    // a document whose contents or text pass the helper's limits
    NotText,         // neither text nor a supported document
    TooManyLines,    // more lines than the box takes (kMaxTextLines)
    LineTooLong,     // a line longer than the box takes (kMaxLineUnits)
    Encrypted,       // a password-protected PDF
    NoTextLayer,     // a PDF without text: no text layer, and none recognised on its pages
    Protected,       // any other document that is encrypted (an EPUB with DRM)
    NoText,          // any other document without a word of text
    DrmProtected,    // a book locked to its buyer's reader (a Kindle book with DRM)
    ScannedBook,     // a DjVu without a text layer on whose pages none was recognised
    Damaged,         // a document the helper could not read, or a helper that crashed
    TimedOut,        // the helper ran past its time limit
    PageTimedOut,    // the helper took too long to recognise the text of a scanned page
    NoLanguageData,  // scanned pages in a language whose recognition data is not installed
    HelperMissing,   // the document helper could not be started (a broken installation)
    Unconfined,      // the helper could not lock itself down here, so it read nothing
};

struct LoadResult {
    LoadFailure failure = LoadFailure::None;
    std::u16string text;  // the box's new text when failure is None
    TextShape shape{};    // and its shape
    QString
        languageData{};  // NoLanguageData: the language data missing ("deu"), if the helper said
};

// A loaded text on its way to the window's box. Its copies share one string, so the text is never
// copied however many hands it passes through, a signal's included; take() moves it out to the one
// that keeps it, after which every copy holds an empty text.
class LoadedText {
public:
    LoadedText() = default;
    LoadedText(std::u16string text, const TextShape& shape)
        : text_(std::make_shared<std::u16string>(std::move(text))), shape_(shape) {}

    [[nodiscard]] const std::u16string& text() const { return *text_; }
    [[nodiscard]] const TextShape& shape() const { return shape_; }
    [[nodiscard]] std::u16string take() { return std::move(*text_); }

private:
    std::shared_ptr<std::u16string> text_ = std::make_shared<std::u16string>();
    TextShape shape_{};
};

// The reason shown under the load error message, in plain words; empty for None and Cancelled.
// `languageData` names the missing language data of NoLanguageData.
[[nodiscard]] QString LoadFailureReason(LoadFailure failure, const QString& languageData = {});
// Why a text of this shape is not taken, in the same words; empty for Fits.
[[nodiscard]] QString ShapeVerdictReason(ShapeVerdict verdict);

}  // namespace lexaro
