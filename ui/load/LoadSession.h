#pragma once
// Everything about a load the main window starts, from a path to the text it puts in its box: the
// file is read off the window thread (FileLoader); after 0.4 s a progress dialog appears whose
// Cancel (or Esc, or its close box) ends the load; a success hands the text to the window
// (loaded()), which replaces its box's text in one step and fills it in steps, and says when it is
// done (adopted()); a failure shows the error message with its reason. One load at a time, the
// box's filling included. The window asks it to open a path, hands it the files dropped on it, and
// adopts what it loads: the session knows no widget of the window's.

#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/load/LoadResult.h"

class QDropEvent;
class QProgressDialog;
class QTimer;
class QWidget;

namespace lexaro {

class FileLoader;

class LoadSession : public QObject {
    Q_OBJECT

public:
    // `window` owns the session and parents its dialogs.
    explicit LoadSession(QWidget* window);

    // Whether a load is under way, the adopting of its text included.
    [[nodiscard]] bool isLoading() const;
    // Starts loading `path`; ignored while a load is under way.
    void open(const QString& path);
    // The language data text recognition uses from the next load on (`lexaro --ocr-language`).
    void setOcrLanguage(const QString& languages);
    // Abandons the load under way (its helper is killed); the box keeps what it has.
    void cancel();
    // A drag over or a drop onto the window: one local file is accepted, and loaded when dropped.
    // False for anything else (text, links, several files), which stays the widgets' business.
    bool handleDrop(QDropEvent& event);
    // The window holds the whole of the text it was handed: the load is over.
    void adopted();

signals:
    // A load succeeded: the window takes `text` for its box, and calls adopted() once the box holds
    // all of it (at once, or when it has filled in). The progress dialog stays until then, without
    // Cancel once the window has started: its old text is gone.
    void loaded(lexaro::LoadedText text);

private:
    void showProgress();
    void recognising(int done, int total);
    void finished(const QString& path, LoadFailure failure);
    void closeProgress();

    QWidget* window_;
    FileLoader* loader_;
    QTimer* progressDelay_;
    QPointer<QProgressDialog> progress_;
    bool adopting_ = false;  // from loaded() until adopted()
    int recognised_ = -1;    // the load's scanned pages recognised so far; -1: none to recognise
    int toRecognise_ = 0;
};

}  // namespace lexaro
