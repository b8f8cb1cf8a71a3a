#include "ui/load/DocumentHelper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>

#include "formats/text_file.h"
#include "helper/child_limits.h"
#include "helper/protocol.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace lexaro {

namespace {

QMutex overrideLock;
QString& HelperOverride() {
    static QString path;
    return path;
}

LoadFailure FailureOfExit(int code, const DocumentFormat& format) {
    const bool pdf = format.key == "pdf";  // its own words for a password and for scanned pages
    switch (static_cast<ExtractExit>(code)) {
        case ExtractExit::Ok:
            return LoadFailure::None;
        case ExtractExit::Unreadable:
            return LoadFailure::Unreadable;
        case ExtractExit::TooLarge:
            return LoadFailure::TextTooLarge;
        case ExtractExit::NotSupported:
            return LoadFailure::NotText;
        case ExtractExit::Encrypted:
            return pdf ? LoadFailure::Encrypted : LoadFailure::Protected;
        case ExtractExit::NoText:
            return pdf ? LoadFailure::NoTextLayer : LoadFailure::NoText;
        case ExtractExit::NoSandbox:
            return LoadFailure::Unconfined;
        case ExtractExit::DrmProtected:
            return LoadFailure::DrmProtected;
        case ExtractExit::NoTextLayer:
            return LoadFailure::ScannedBook;
        case ExtractExit::NoLanguageData:
            return LoadFailure::NoLanguageData;
        case ExtractExit::Usage:
        case ExtractExit::Damaged:
            break;
    }
    return LoadFailure::Damaged;
}

void Kill(QProcess& process) {
    process.kill();
    process.waitForFinished(5'000);
}

}  // namespace

HelperLimits::HelperLimits() : outputBytes(kMaxExtractedTextBytes) {}

QString DocumentHelper::path() {
    {
        const QMutexLocker locker(&overrideLock);
        if (!HelperOverride().isEmpty()) {
            return HelperOverride();
        }
    }
    const QString dir = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    // Windows installs the helper beside Lexaro.exe and nowhere else.
    return dir + QStringLiteral("/lexaro-extract.exe");
#else
    QString beside = dir + QStringLiteral("/lexaro-extract");
    if (QFileInfo(beside).isExecutable()) {
        return beside;
    }
    return QFileInfo(dir + QStringLiteral("/../libexec/lexaro/lexaro-extract")).absoluteFilePath();
#endif
}

void DocumentHelper::setPath(const QString& path) {
    const QMutexLocker locker(&overrideLock);
    HelperOverride() = path;
}

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
LoadResult ExtractWithHelper(const QString& documentPath, const DocumentFormat& format,
                             const std::atomic<bool>& cancel, const HelperLimits& limits,
                             const HelperOptions& options) {
    QProcess process;
    process.setProgram(DocumentHelper::path());
    QStringList arguments{QStringLiteral("--progress")};
    if (!options.ocrLanguage.isEmpty()) {
        arguments << QStringLiteral("--ocr-language=") + options.ocrLanguage;
    }
    // Absolute, so that no file name can be taken for one of the helper's options.
    arguments << QFileInfo(documentPath).absoluteFilePath();
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    const helper::ChildLimits childLimits(limits.addressSpaceBytes);
#ifdef Q_OS_WIN
    // Created suspended, the helper runs only once it is in its job.
    PROCESS_INFORMATION* started = nullptr;
    process.setCreateProcessArgumentsModifier([&started](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_SUSPENDED;
        started = args->processInformation;
    });
#else
    process.setChildProcessModifier([&childLimits] { childLimits.applyInChild(); });
#endif
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(10'000)) {
        return {LoadFailure::HelperMissing, {}};
    }
#ifdef Q_OS_WIN
    if (started != nullptr) {
        childLimits.admitAndResume(started->hProcess, started->hThread);
    }
#endif

    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    helper::ProgressReader progress;
    helper::HelperBudget budget(limits.wallTime, limits.pageTime);
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            Kill(process);
            return {LoadFailure::Cancelled, {}};
        }
        const std::chrono::milliseconds elapsed(clock.elapsed());
        if (budget.expired(elapsed)) {
            Kill(process);
            return {progress.last() ? LoadFailure::PageTimedOut : LoadFailure::TimedOut, {}};
        }
        const bool more = process.waitForReadyRead(20);
        // Standard error is read as it comes, so the helper never waits on it; whatever a
        // library prints there is passed over.
        const QByteArray said = process.readAllStandardError();
        if (const auto moved = progress.feed(
                std::string_view(said.constData(), static_cast<std::size_t>(said.size())));
            moved) {
            budget.progressed(std::chrono::milliseconds(clock.elapsed()));
            if (options.progress) {
                options.progress(*moved);
            }
        }
        out += process.readAllStandardOutput();
        if (static_cast<std::size_t>(out.size()) > limits.outputBytes) {
            Kill(process);
            return {LoadFailure::TextTooLarge, {}};
        }
        if (!more && process.state() == QProcess::NotRunning) {
            break;
        }
    }
    out += process.readAllStandardOutput();
    if (static_cast<std::size_t>(out.size()) > limits.outputBytes) {
        return {LoadFailure::TextTooLarge, {}};
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        return {LoadFailure::Damaged, {}};  // killed by a signal: a crash or a resource limit
    }
    if (const LoadFailure failure = FailureOfExit(process.exitCode(), format);
        failure != LoadFailure::None) {
        LoadResult result{failure, {}};
        if (failure == LoadFailure::NoLanguageData) {
            result.languageData = QString::fromStdString(progress.missingLanguage());
        }
        return result;
    }
    std::optional<std::u16string> characters =
        DecodeUtf8Text(std::string_view(out.constData(), static_cast<std::size_t>(out.size())));
    out = QByteArray();  // the bytes are no longer needed before the shaped copy is made
    if (!characters) {
        return {LoadFailure::Damaged, {}};
    }
    return {LoadFailure::None, LinesWithLeadingBreaks(*characters)};
}

}  // namespace lexaro
