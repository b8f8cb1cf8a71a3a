#pragma once
// Loads one file at a time off the window thread, so the window keeps painting and the reading
// timer keeps ticking while a large file is decoded or a document is extracted.

#include <QObject>
#include <QString>
#include <atomic>

#include "ui/load/DocumentHelper.h"
#include "ui/load/LoadResult.h"

class QThread;

namespace lexaro {

class FileLoader : public QObject {
    Q_OBJECT

public:
    explicit FileLoader(QObject* parent = nullptr);
    // Cancels a load under way and waits for its thread, which ends within milliseconds.
    ~FileLoader() override;

    FileLoader(const FileLoader&) = delete;
    FileLoader& operator=(const FileLoader&) = delete;

    // Starts loading `path`; false (and nothing started) while another load is under way.
    bool start(const QString& path);
    // Asks the load under way to stop; it then finishes with LoadFailure::Cancelled.
    void cancel();
    [[nodiscard]] bool isRunning() const { return thread_ != nullptr; }
    // The file of the load under way, or of the last one.
    [[nodiscard]] const QString& path() const { return path_; }

    // Tests: limits for the loads that follow.
    void setHelperLimits(const HelperLimits& limits) { limits_ = limits; }

signals:
    // On the window thread, once per start(), after the worker thread has ended.
    void finished(const QString& path, const lexaro::LoadResult& result);

private:
    void onThreadFinished();

    QThread* thread_ = nullptr;
    QString path_;
    std::atomic<bool> cancel_{false};
    HelperLimits limits_;
    LoadResult result_;  // written by the worker, read once its thread has finished
};

}  // namespace lexaro
