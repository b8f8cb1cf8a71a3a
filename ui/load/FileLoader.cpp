#include "ui/load/FileLoader.h"

#include <QPointer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <utility>

#include "ui/load/LoadFile.h"

namespace lexaro {

// What one load's worker owns; shared, so that a cancelled worker may outlive the load it served.
struct FileLoader::Job {
    QString path;
    std::atomic<bool> cancel{false};
    LoadResult result;  // written by the worker, read once its thread has finished
};

FileLoader::FileLoader(QObject* parent) : QObject(parent) {}

FileLoader::~FileLoader() {
    for (auto& [thread, job] : threads_) {
        job->cancel = true;
    }
    for (auto& [thread, job] : threads_) {
        thread->wait();
        delete thread;
    }
}

bool FileLoader::start(const QString& path) {
    if (current_ != nullptr) {
        return false;
    }
    auto job = std::make_shared<Job>();
    job->path = path;
    // A QThread rather than a bare std::thread: the helper's QProcess needs the event dispatcher
    // a QThread provides.
    HelperOptions options;
    options.ocrLanguage = ocrLanguage_;
    // Passed to the window thread, where only the load still under way is heard.
    options.progress = [self = QPointer<FileLoader>(this),
                        weak = std::weak_ptr<Job>(job)](helper::RecognitionProgress progress) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, weak, progress] {
                const std::shared_ptr<Job> current = weak.lock();
                FileLoader* loader = self.data();
                if (loader != nullptr && current != nullptr && current == loader->current_) {
                    emit loader->recognising(static_cast<int>(progress.done),
                                             static_cast<int>(progress.total));
                }
            },
            Qt::QueuedConnection);
    };
    QThread* thread = QThread::create([job, options = std::move(options)] {
        job->result = LoadFile(job->path, job->cancel, HelperLimits(), options);
    });
    connect(thread, &QThread::finished, this, [this, thread] { onThreadFinished(thread); });
    threads_.emplace_back(thread, job);
    current_ = job;
    path_ = path;
    thread->start();
    return true;
}

void FileLoader::cancel() {
    if (current_ == nullptr) {
        return;
    }
    current_->cancel = true;
    current_.reset();
    emit finished(path_, LoadFailure::Cancelled);
}

void FileLoader::onThreadFinished(QThread* thread) {
    const auto it = std::find_if(threads_.begin(), threads_.end(),
                                 [thread](const auto& entry) { return entry.first == thread; });
    if (it == threads_.end()) {
        return;
    }
    const std::shared_ptr<Job> job = it->second;
    threads_.erase(it);
    thread->wait();
    delete thread;
    if (job == current_) {
        current_.reset();
        text_ = std::move(job->result.text);
        shape_ = job->result.shape;
        languageData_ = job->result.languageData;
        emit finished(job->path, job->result.failure);
        text_.clear();
        text_.shrink_to_fit();  // whatever nobody took
    }
}

}  // namespace lexaro
