#include "ui/load/DocumentHelper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>

#include "formats/extract_protocol.h"
#include "formats/text_file.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#endif

#ifdef Q_OS_WIN
#include <windows.h>

#include "formats/helper_job_win.h"
#endif

namespace lexaro {

namespace {

QMutex overrideLock;
QString& helperOverride() {
    static QString path;
    return path;
}

#ifdef Q_OS_LINUX
// Runs in the child between fork and exec, so only async-signal-safe calls.
void LimitChild(rlim_t addressSpace) {
    if (kLimitsHelperAddressSpace) {
        const rlimit as{addressSpace, addressSpace};
        setrlimit(RLIMIT_AS, &as);
    }
    const rlimit none{0, 0};
    setrlimit(RLIMIT_FSIZE, &none);  // the helper writes no file, not even a core dump
    setrlimit(RLIMIT_CORE, &none);
    // If the window process dies, the helper goes with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Every descriptor above standard error closes at exec: whatever the window has open (its
    // display connection, the user's files) is none of the helper's business.
    constexpr unsigned kCloseRangeCloexec = 1U << 2;
    if (syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) != 0) {
        rlimit files{};
        const rlim_t top = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                               ? files.rlim_cur
                               : 65536;
        for (rlim_t fd = 3; fd < top; ++fd) {
            fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        }
    }
}
#endif

#ifdef Q_OS_WIN
// The job the helper runs in: one process (it can start no other), bounded memory, no reach into
// the user's desktop or clipboard, and killed when this handle closes, so it cannot outlive the
// window, however the window ends.
class HelperJob {
public:
    explicit HelperJob(std::size_t memoryBytes)
        : job_(CreateJobObjectW(nullptr, nullptr)),
          ready_(job_ != nullptr &&
                 LimitHelperJob(job_, kLimitsHelperAddressSpace ? memoryBytes : 0, true)) {}
    HelperJob(const HelperJob&) = delete;
    HelperJob& operator=(const HelperJob&) = delete;
    ~HelperJob() {
        if (job_ != nullptr) {
            CloseHandle(job_);
        }
    }

    // The helper is created suspended; it runs only once it is in the job. Where the job could
    // not be made it runs all the same, and puts itself in a job of its own before it parses.
    void startSuspended(QProcess& process) {
        process.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments* args) {
            args->flags |= CREATE_SUSPENDED;
            started_ = args->processInformation;
        });
    }
    void admitAndResume() {
        if (started_ == nullptr || started_->hProcess == nullptr) {
            return;
        }
        if (ready_) {
            AssignProcessToJobObject(job_, started_->hProcess);
        }
        ResumeThread(started_->hThread);
    }

private:
    HANDLE job_;
    bool ready_;
    PROCESS_INFORMATION* started_ = nullptr;
};
#endif

LoadFailure FailureOfExit(int code, DocumentKind kind) {
    const bool pdf = kind == DocumentKind::Pdf;
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
        if (!helperOverride().isEmpty()) {
            return helperOverride();
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
    helperOverride() = path;
}

LoadResult ExtractWithHelper(const QString& documentPath, DocumentKind kind,
                             const std::atomic<bool>& cancel, const HelperLimits& limits) {
    QProcess process;
    process.setProgram(DocumentHelper::path());
    // Absolute, so that no file name can be taken for one of the helper's options.
    process.setArguments({QFileInfo(documentPath).absoluteFilePath()});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    const auto addressSpace = static_cast<rlim_t>(limits.addressSpaceBytes);
    process.setChildProcessModifier([addressSpace] { LimitChild(addressSpace); });
#endif
#ifdef Q_OS_WIN
    HelperJob job(limits.addressSpaceBytes);
    job.startSuspended(process);
#endif
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(10'000)) {
        return {LoadFailure::HelperMissing, {}};
    }
#ifdef Q_OS_WIN
    job.admitAndResume();
#endif

    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            Kill(process);
            return {LoadFailure::Cancelled, {}};
        }
        if (std::chrono::milliseconds(clock.elapsed()) > limits.wallTime) {
            Kill(process);
            return {LoadFailure::TimedOut, {}};
        }
        const bool more = process.waitForReadyRead(20);
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
    if (const LoadFailure failure = FailureOfExit(process.exitCode(), kind);
        failure != LoadFailure::None) {
        return {failure, {}};
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
