#include "ui/load/FileLoader.h"

#include <QThread>
#include <utility>

#include "ui/load/LoadFile.h"

namespace lexaro {

FileLoader::FileLoader(QObject* parent) : QObject(parent) {}

FileLoader::~FileLoader() {
    if (thread_ != nullptr) {
        cancel();
        thread_->wait();
        delete thread_;
    }
}

bool FileLoader::start(const QString& path) {
    if (thread_ != nullptr) {
        return false;
    }
    path_ = path;
    cancel_ = false;
    result_ = {};
    // A QThread rather than a bare std::thread: the helper's QProcess needs the event dispatcher
    // a QThread provides.
    thread_ = QThread::create([this] { result_ = LoadFile(path_, cancel_, limits_); });
    connect(thread_, &QThread::finished, this, &FileLoader::onThreadFinished);
    thread_->start();
    return true;
}

void FileLoader::cancel() {
    cancel_ = true;
}

void FileLoader::onThreadFinished() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    const LoadResult result = std::exchange(result_, {});
    emit finished(path_, result);
}

}  // namespace lexaro
