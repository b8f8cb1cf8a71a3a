#pragma once
// The main window's open-file dialog, behind a seam so tests can answer it without a person.

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace lexaro {

class FileDialog {
public:
    // The one dialog the owner keeps for its whole life, as its child "commonDialog". It is built
    // when first shown: building it costs the window's start-up a tenth of its time, and its
    // destruction the quit.
    explicit FileDialog(QWidget* owner) : owner_(owner) {}

    // The dialog belongs to the owner window; one window has one.
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // Shows the dialog modally, titled "Open", with default suffix "txt", starting from the last
    // chosen file. Its filters are nameFilters(), with kAllFiles chosen, so every file is listed.
    // Returns the chosen file's full path, or an empty string when the dialog was closed without a
    // choice. The owner's timers go on ticking meanwhile.
    [[nodiscard]] QString showOpen();

    // Tests: the next showOpen() of any FileDialog returns `path` at once, without showing.
    // An empty path stands for a dialog closed without a choice.
    static void setNextFileName(const QString& path);

    // "Documents (*.txt *.epub ...)", then one filter per format (formats/formats.tsv), then
    // kAllFiles.
    [[nodiscard]] static QStringList nameFilters();
    static inline const QString kAllFiles = QStringLiteral("All files (*)");

private:
    QFileDialog* dialog();

    QWidget* owner_;
    QFileDialog* dialog_ = nullptr;
    QString lastChosen_;
};

}  // namespace lexaro
