#include "ui/load/LoadResult.h"

#include <QCoreApplication>
#include <QLocale>

#include "formats/text_file.h"
#include "helper/ocr_languages.h"
#include "helper/protocol.h"
#include "ui/load/DocumentHelper.h"

namespace lexaro {

QString ShapeVerdictReason(ShapeVerdict verdict) {
    // Grouped in threes with commas, whatever the desktop's language, to match the README.
    const auto count = [](std::size_t n) {
        return QLocale(QLocale::English, QLocale::UnitedStates).toString(qulonglong{n});
    };
    switch (verdict) {
        case ShapeVerdict::Fits:
            return {};
        case ShapeVerdict::TooManyLines:
            return QCoreApplication::translate("Load", "The text has more than %1 lines.")
                .arg(count(kMaxTextLines));
        case ShapeVerdict::LineTooLong:
            return QCoreApplication::translate("Load",
                                               "The text has a line of more than %1 characters.")
                .arg(count(kMaxLineUnits));
        case ShapeVerdict::PasteTooManyLines:
            return QCoreApplication::translate(
                       "Load",
                       "A paste may have up to %1 lines. Save the text in a file and load it: "
                       "a file may have up to %2.")
                .arg(count(kMaxPastedLines), count(kMaxTextLines));
        case ShapeVerdict::PasteTooLong:
            return QCoreApplication::translate(
                       "Load",
                       "A paste may have up to %1 characters. Save the text in a file and load it.")
                .arg(count(kMaxPastedUnits));
    }
    return {};
}

namespace {

QString MissingLanguageReason(const QString& languageData) {
    if (languageData.isEmpty()) {
        return QCoreApplication::translate(
            "Load",
            "The document needs text recognition data for a language that is not installed.");
    }
    const std::string data = languageData.toStdString();
    return QCoreApplication::translate("Load",
                                       "The document needs the text recognition data for %1 (%2), "
                                       "which is not installed.")
        .arg(QString::fromStdString(helper::LanguageDataName(data)),
             QString::fromStdString(helper::LanguageDataPackage(data)));
}

// A PDF or DjVu without a word: on Linux its pages were recognised too; the Windows build has no
// text recognition.
QString NoTextReason(LoadFailure failure) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("Load", text); };
#ifdef Q_OS_WIN
    return failure == LoadFailure::NoTextLayer
               ? tr("The PDF has no text to read (its pages are images).")
               : tr("This book has no text layer, so there is no text to read.");
#else
    return failure == LoadFailure::NoTextLayer
               ? tr("The PDF has no text to read: its pages carry none, and text recognition "
                    "found no words on them.")
               : tr("This book has no text layer, and text recognition found no words on its "
                    "pages.");
#endif
}

}  // namespace

QString LoadFailureReason(LoadFailure failure, const QString& languageData) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("Load", text); };
    switch (failure) {
        case LoadFailure::None:
        case LoadFailure::Cancelled:
            return {};
        case LoadFailure::Missing:
            return tr("The file does not exist.");
        case LoadFailure::Folder:
            return tr("This is a folder, not a file.");
        case LoadFailure::NotRegular:
            return tr("This is a device, pipe or socket, not a file.");
        case LoadFailure::NoPermission:
            return tr("You do not have permission to read the file.");
        case LoadFailure::Unreadable:
            return tr("The file could not be read.");
        case LoadFailure::FileTooLarge:
            return tr("The file is larger than %1 MiB.").arg(kMaxTextFileBytes >> 20);
        case LoadFailure::TextTooLarge:
            return tr("The document holds more than %1 MiB of text or packed contents.")
                .arg(kMaxExtractedTextBytes >> 20);
        case LoadFailure::NotText:
            return tr("This is not a text file or a supported document.");
        case LoadFailure::TooManyLines:
            return ShapeVerdictReason(ShapeVerdict::TooManyLines);
        case LoadFailure::LineTooLong:
            return ShapeVerdictReason(ShapeVerdict::LineTooLong);
        case LoadFailure::Encrypted:
            return tr("The PDF is password-protected.");
        case LoadFailure::NoTextLayer:
            return NoTextReason(failure);
        case LoadFailure::Protected:
            return tr("The document is encrypted (protected by DRM or a password).");
        case LoadFailure::NoText:
            return tr("The document has no text to read.");
        case LoadFailure::DrmProtected:
            return tr("This book is protected (DRM), so it cannot be read.");
        case LoadFailure::ScannedBook:
            return NoTextReason(failure);
        case LoadFailure::Damaged:
            return tr("The document could not be read (it is damaged).");
        case LoadFailure::TimedOut:
            return tr("Reading the document took longer than %1 seconds.")
                .arg(kHelperWallTime.count());
        case LoadFailure::PageTimedOut:
            return tr("Recognising the text of a page took longer than %1 seconds.")
                .arg(kHelperPageTime.count());
        case LoadFailure::NoLanguageData:
            return MissingLanguageReason(languageData);
        case LoadFailure::HelperMissing:
            return tr("The document reader (lexaro-extract) could not be started.");
        case LoadFailure::Unconfined:
            return tr(
                "The document reader (lexaro-extract) cannot shut itself off from the rest "
                "of the system here, so it did not open the document.");
    }
    return {};
}

}  // namespace lexaro
