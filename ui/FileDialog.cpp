#include "ui/FileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QSettings>
#include <optional>

#include "formats/format_registry.h"

namespace lexaro {

namespace {

std::optional<QString>& NextFileName() {
    static std::optional<QString> instance;
    return instance;
}

// Qt's file dialog writes its history, last folder and view to the user's settings
// (~/.config/QtProject.conf) when it is destroyed, and the next dialog, in this run or a later
// one, reads them back. The program writes no files and carries nothing from one run to the next,
// so the process's user settings are pointed where nothing can be read or created: the dialog
// keeps its state for the run only (the last file is remembered by showOpen itself).
QFileDialog* NewDialogKeepingItsStateForTheRun(QWidget* owner) {
    static const bool kOnce = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        }
        return true;
    }();
    (void)kOnce;
    return new QFileDialog(owner);
}

QString Patterns(const DocumentFormat& format) {
    QStringList patterns;
    for (const std::string_view extension : format.extensions) {
        patterns << QStringLiteral("*.") + QString::fromUtf8(extension);
    }
    return patterns.join(QLatin1Char(' '));
}

}  // namespace

QStringList FileDialog::nameFilters() {
    QStringList filters;
    QStringList every;
    for (const DocumentFormat& format : DocumentFormats()) {
        const QString patterns = Patterns(format);
        every << patterns;
        filters << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(format.name), patterns);
    }
    filters.prepend(QStringLiteral("Documents (%1)").arg(every.join(QLatin1Char(' '))));
    filters << kAllFiles;
    return filters;
}

QFileDialog* FileDialog::dialog() {
    if (dialog_ != nullptr) {
        return dialog_;
    }
    dialog_ = NewDialogKeepingItsStateForTheRun(owner_);
    dialog_->setObjectName(QStringLiteral("commonDialog"));
    // Qt's own dialog everywhere: a desktop's native one (GTK's on GNOME) records chosen files in
    // the desktop's recent-files list, and the program writes nothing.
    dialog_->setOption(QFileDialog::DontUseNativeDialog);
    // Any name may be typed, as in the usual open dialog; a file that turns out to be missing is
    // reported by the Load command itself.
    dialog_->setFileMode(QFileDialog::AnyFile);
    dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    dialog_->setWindowTitle(QStringLiteral("Open"));
    dialog_->setDefaultSuffix(QStringLiteral("txt"));
    // The formats it reads are offered, but every file is listed until the user picks one: a
    // text file need not be named .txt, and its kind is decided by its content anyway.
    dialog_->setNameFilters(nameFilters());
    dialog_->selectNameFilter(kAllFiles);
    return dialog_;
}

QString FileDialog::showOpen() {
    if (std::optional<QString> answer = std::exchange(NextFileName(), std::nullopt)) {
        if (!answer->isEmpty()) {
            lastChosen_ = *answer;
        }
        return *answer;
    }
    QFileDialog* const open = dialog();
    if (!lastChosen_.isEmpty()) {
        open->selectFile(lastChosen_);
    }
    const int result = open->exec();
    // A name typed with its completion list still open can accept the dialog; the list would
    // otherwise stay on screen over the main window.
    for (const QCompleter* completer : open->findChildren<QCompleter*>()) {
        if (completer->popup() != nullptr) {
            completer->popup()->hide();
        }
    }
    if (result != QDialog::Accepted || open->selectedFiles().isEmpty()) {
        return {};
    }
    lastChosen_ = open->selectedFiles().constFirst();
    return lastChosen_;
}

void FileDialog::setNextFileName(const QString& path) {
    NextFileName() = path;
}

}  // namespace lexaro
