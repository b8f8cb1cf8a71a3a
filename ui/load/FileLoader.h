#pragma once
// Loads one file at a time off the window thread, so the window keeps painting and the reading
// timer keeps ticking while a large file is decoded or a document is extracted.

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ui/load/LoadResult.h"

class QThread;

namespace lexaro {

class FileLoader : public QObject {
    Q_OBJECT

public:
    explicit FileLoader(QObject* parent = nullptr);
    // Cancels what still runs and waits for it: a helper is killed at once, a text being decoded
    // finishes its current step.
    ~FileLoader() override;

    FileLoader(const FileLoader&) = delete;
    FileLoader& operator=(const FileLoader&) = delete;

    // Starts loading `path`; false (and nothing started) while another load is under way.
    bool start(const QString& path);
    // Ends the load under way at once: finished() reports it cancelled before this returns, and
    // its worker winds down in the background, its result discarded. A new load may start.
    void cancel();
    [[nodiscard]] bool isRunning() const { return current_ != nullptr; }
    // The file of the load under way, or of the last one.
    [[nodiscard]] const QString& path() const { return path_; }

    // The language data text recognition is to use from the next load on ("deu+eng"); empty for
    // the helper's own choice.
    void setOcrLanguage(const QString& languages) { ocrLanguage_ = languages; }

    // The text of the load that just finished without a failure, moved out.
    [[nodiscard]] std::u16string takeText() { return std::move(text_); }
    // And that text's shape.
    [[nodiscard]] const TextShape& shape() const { return shape_; }
    // The language data the load that just failed for want of it needed ("deu"), if known.
    [[nodiscard]] const QString& missingLanguageData() const { return languageData_; }

signals:
    // On the window thread, once per start(); on success takeText() has the text.
    void finished(const QString& path, lexaro::LoadFailure failure);
    // On the window thread: the load under way has recognised the text of `done` of the `total`
    // scanned pages it has.
    void recognising(int done, int total);

private:
    struct Job;
    void onThreadFinished(QThread* thread);

    std::shared_ptr<Job> current_;
    std::vector<std::pair<QThread*, std::shared_ptr<Job>>> threads_;  // running or winding down
    QString path_;
    QString ocrLanguage_;
    QString languageData_;
    std::u16string text_;
    TextShape shape_;
};

}  // namespace lexaro
