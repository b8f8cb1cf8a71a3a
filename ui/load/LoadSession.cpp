#include "ui/load/LoadSession.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

#include "ui/MessageBox.h"
#include "ui/load/FileLoader.h"
#include "ui/load/LoadFile.h"

namespace lexaro {

namespace {

// A load that takes longer than this shows its progress dialog.
constexpr int kProgressDelayMs = 400;

}  // namespace

LoadSession::LoadSession(QWidget* window)
    : QObject(window),
      window_(window),
      loader_(new FileLoader(this)),
      progressDelay_(new QTimer(this)) {
    loader_->setObjectName(QStringLiteral("fileLoader"));
    progressDelay_->setSingleShot(true);
    progressDelay_->setInterval(kProgressDelayMs);
    connect(loader_, &FileLoader::finished, this, &LoadSession::finished);
    connect(loader_, &FileLoader::recognising, this, &LoadSession::recognising);
    connect(progressDelay_, &QTimer::timeout, this, &LoadSession::showProgress);
}

bool LoadSession::isLoading() const {
    return loader_->isRunning() || adopting_;
}

void LoadSession::open(const QString& path) {
    if (isLoading()) {
        return;  // one load at a time, the adopting of its text included
    }
    if (loader_->start(path)) {
        recognised_ = -1;
        progressDelay_->start();
    }
}

void LoadSession::setOcrLanguage(const QString& languages) {
    loader_->setOcrLanguage(languages);
}

void LoadSession::recognising(int done, int total) {
    recognised_ = done;
    toRecognise_ = total;
    if (progress_ == nullptr) {
        return;  // the dialog shows it when it appears
    }
    // The page being read, counted from 1; the bar counts the pages done.
    progress_->setLabelText(tr("Reading page %1 of %2 (text recognition)\u2026")
                                .arg(std::min(done + 1, total))
                                .arg(total));
    progress_->setRange(0, total);
    progress_->setValue(done);
}

void LoadSession::cancel() {
    loader_->cancel();
}

void LoadSession::showProgress() {
    if (!isLoading()) {
        return;
    }
    auto* dialog = new QProgressDialog(window_);
    dialog->setObjectName(QStringLiteral("loadProgress"));
    dialog->setWindowTitle(QStringLiteral("Lexaro"));
    const QString& path = loader_->path();
    dialog->setLabelText(
        tr("Loading %1\u2026")
            .arg(path == kStandardInput ? tr("standard input") : QFileInfo(path).fileName()));
    dialog->setRange(0, 0);  // busy: neither decoding nor the helper can say how far they are
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setWindowModality(Qt::WindowModal);
    // Cancel, Esc and the close box all end the load.
    connect(dialog, &QProgressDialog::canceled, loader_, &FileLoader::cancel);
    connect(dialog, &QDialog::rejected, loader_, &FileLoader::cancel);
    if (adopting_) {
        dialog->setCancelButtonText(QString());  // as below: the old text is already gone
    }
    progress_ = dialog;
    if (recognised_ >= 0) {
        recognising(recognised_, toRecognise_);
    }
    dialog->show();
}

// The box is written only once the whole file has been read and decoded, so a file that fails
// leaves the user's text exactly as it was.
void LoadSession::finished(const QString& /*path*/, LoadFailure failure) {
    if (failure == LoadFailure::None) {
        adopting_ = true;
        emit loaded(LoadedText(loader_->takeText(), loader_->shape()));
        if (adopting_) {
            // The text is read; what is left is a second or so of filling the box, which keeps
            // the progress dialog until it is done, without Cancel: the old text is gone.
            if (progress_ != nullptr) {
                progress_->setCancelButtonText(QString());
            }
            return;
        }
    }
    closeProgress();
    if (failure != LoadFailure::None && failure != LoadFailure::Cancelled) {
        MessageBox::showOk(window_, tr("There was an error with opening your file"), QString(),
                           MessageBox::Icon::None,
                           LoadFailureReason(failure, loader_->missingLanguageData()));
    }
}

void LoadSession::adopted() {
    adopting_ = false;
    closeProgress();
}

void LoadSession::closeProgress() {
    progressDelay_->stop();
    if (progress_ != nullptr) {
        progress_->hide();
        progress_->deleteLater();
    }
}

bool LoadSession::handleDrop(QDropEvent& event) {
    const QMimeData* mime = event.mimeData();
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().constFirst().isLocalFile()) {
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    if (event.type() == QEvent::Drop) {
        open(mime->urls().constFirst().toLocalFile());
    }
    return true;
}

}  // namespace lexaro
