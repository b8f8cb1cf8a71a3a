#pragma once
// Everything about a load the main window starts, from a path to the text in the box: the file is
// read off the window thread (FileLoader); after 0.4 s a progress dialog appears whose Cancel (or
// Esc, or its close box) ends the load; the box is replaced in one step at the end, and filled in
// steps; a failure shows the error message with its reason. One load at a time, the box's filling
// included. The window only asks it to open a path, and hands it the files dropped on it.

#include <QObject>
#include <QPointer>
#include <QString>

class QDropEvent;
class QProgressDialog;
class QTimer;
class QWidget;

namespace lexaro {

class CrLfTextEdit;
class FileLoader;
enum class LoadFailure;

class LoadSession : public QObject {
    Q_OBJECT

public:
    // Loads go into `box`; `window` owns the session and parents its dialogs.
    LoadSession(QWidget* window, CrLfTextEdit* box);

    // Whether a load is under way, the filling of the box included.
    [[nodiscard]] bool isLoading() const;
    // Starts loading `path`; ignored while a load is under way.
    void open(const QString& path);
    // Abandons the load under way (its helper is killed); the box keeps what it has.
    void cancel();
    // A drag over or a drop onto the window: one local file is accepted, and loaded when dropped.
    // False for anything else (text, links, several files), which stays the widgets' business.
    bool handleDrop(QDropEvent& event);

private:
    void showProgress();
    void finished(const QString& path, LoadFailure failure);
    void closeProgress();

    QWidget* window_;
    CrLfTextEdit* box_;
    FileLoader* loader_;
    QTimer* progressDelay_;
    QPointer<QProgressDialog> progress_;
};

}  // namespace lexaro
