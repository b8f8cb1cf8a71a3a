#include "ui/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>

#include "formats/format_registry.h"
#include "ui/load/LoadFile.h"

namespace lexaro {

namespace {

constexpr int kUsageExitCode = 2;

// "EPUB, PDF, HTML, ...": the documents of the registry, plain text aside.
QString DocumentNames() {
    QStringList names;
    for (const DocumentFormat& format : DocumentFormats()) {
        if (format.needsHelper) {
            names << QString::fromUtf8(format.name);
        }
    }
    return names.join(QStringLiteral(", "));
}

QCommandLineOption OcrLanguageOption() {
    return {QStringLiteral("ocr-language"),
            QCoreApplication::translate(
                "CommandLine",
                "The languages of scanned pages, as the names of their text recognition data "
                "joined by + (deu+eng); by default the document's own, else the desktop's."),
            QStringLiteral("languages")};
}

// Names of tesseract's language data ("deu", "chi_sim", "script-Latin") joined by '+'.
bool IsLanguageList(const QString& list) {
    static const QRegularExpression kLanguages(
        QStringLiteral("^[A-Za-z0-9_-]{1,20}(\\+[A-Za-z0-9_-]{1,20}){0,7}$"));
    return kLanguages.match(list).hasMatch();
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "A reading pacer: shows a text one word at a time at a steady pace."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption ocrLanguage = OcrLanguageOption();
    parser.addOption(ocrLanguage);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("CommandLine",
                                    "A text file or a document (%1) to load into the text box; "
                                    "- reads text from standard input.")
            .arg(DocumentNames()),
        QStringLiteral("[FILE]"));

    CommandLine result;
    const auto fail = [&](const QString& why) {
        result.action = CommandLine::Action::FailAndExit;
        result.output = why + QLatin1Char('\n') + parser.helpText();
        result.exitCode = kUsageExitCode;
        return result;
    };
    if (!parser.parse(arguments)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::PrintAndExit;
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::PrintAndExit;
        result.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(ocrLanguage)) {
        result.ocrLanguage = parser.value(ocrLanguage);
        if (!IsLanguageList(result.ocrLanguage)) {
            return fail(
                QCoreApplication::translate(
                    "CommandLine", "--ocr-language takes names such as deu or deu+eng, not %1.")
                    .arg(result.ocrLanguage));
        }
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        return fail(QCoreApplication::translate("CommandLine", "Only one file can be loaded."));
    }
    if (!files.isEmpty() && files.constFirst() == kStandardInput) {
        result.file = kStandardInput;
    } else if (!files.isEmpty() && !files.constFirst().isEmpty()) {
        result.file = QFileInfo(files.constFirst()).absoluteFilePath();
    }
    return result;
}

bool CanBeJudgedWithoutDisplay(int argc, const char* const* argv) {
    bool qtMayOwnSome = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
        qtMayOwnSome = qtMayOwnSome || (argv[i][0] == '-' && argv[i][1] != '-' && argv[i][1] != 0);
    }
    return !qtMayOwnSome;
}

}  // namespace lexaro
