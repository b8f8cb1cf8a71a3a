#pragma once
// frmMain: the reading pacer's main window.
//
// The window is deliberately thin. Each handler reads its controls, asks the toolkit-free engine
// in engine/ what to do (StepWord for a tick, TickIntervalMs for the pace, ...) and writes the
// answer back to the controls. The settings live in the controls themselves: the pace in the pace
// scroll bar, its caption and the timer's interval; the colours and the font in the display band;
// the font size in its scroll bar and caption; the transport state in the enabled states of
// the three transport buttons, the timer and the text box's lock. The only state of the window's
// own is the reading position and the punctuation hold. Loading a file, with its progress dialog
// and failure message, belongs to a LoadSession (ui/load/) the window hands paths to and takes the
// loaded text from.
//
// Controls and menu items are children named as designed (cmdStart, txtInputText,
// mnuViewTextSizeNormal, ...), and every handler is a public slot named after its control and
// event, so that tests and tools can reach both by name.

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;

namespace lexaro {

class CrLfTextEdit;
class FileDialog;
class LoadSession;
class LoadedText;
class frmFullScreen;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the whole window and runs the start-up, so that show() only shows it.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // The reading state: characters consumed so far and the pending punctuation hold.
    [[nodiscard]] std::int32_t readPosition() const { return intReadPos; }
    [[nodiscard]] std::int32_t pauseTicks() const { return intPauseTicks; }

    // Whether a file is being loaded (see openFile).
    [[nodiscard]] bool isLoading() const;

public slots:
    void Form_Load();

    void cmdStart_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void mnuViewStart_Click();
    void mnuViewPause_Click();
    void mnuViewStop_Click();

    void tmrMoveNext_Timer();

    void hscScrollSpeed_Change();
    void hscScrollSpeed_Scroll();

    void cmbTextColor_Click();
    void cmbBackgroundColor_Click();

    void hscFontSize_Change();
    void hscFontSize_Scroll();
    void mnuViewTextSizeIncrease_Click();
    void mnuViewTextSizeDecrease_Click();
    void mnuViewTextSizeNormal_Click();
    void cmbFontStyle_Click();

    void cmdLoadText_Click();
    // Loads `path` into the text box exactly as Load does after its dialog: off the window thread,
    // with a progress dialog and Cancel when it takes a while, the box replaced in one step at the
    // end, the error message with its reason on failure. The command line and a dropped file come
    // here too. Ignored while another load is under way.
    void openFile(const QString& path);
    // The language data text recognition uses for scanned pages from now on ("deu+eng", as
    // `lexaro --ocr-language` gives it); empty for the document's or the desktop's language.
    void setOcrLanguage(const QString& languages);

    void cmdFullScreen_Click();
    void mnuViewFullScreen_Click();
    void cmdAbout_Click();
    void mnuHelpAboutLexaro_Click();

    void cmdExit_Click();
    void mnuFileExit_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectHandlers();
    // Enter presses the default button and Esc the cancel button, wherever the focus is.
    bool handleWindowKey(QObject* receiver, const QKeyEvent& key);
    // The arrow and page keys of a horizontal scroll bar; false for any other key.
    bool stepScrollBar(QScrollBar& bar, const QKeyEvent& key);
    // A colour list's choice: colours its side of the band, then keeps the two lists apart.
    void applyColourChoice(QComboBox* own, const QComboBox* other, QPalette::ColorRole role);
    // One menu step of the font size, or the bound's message when the step would pass it.
    void stepFontSize(int delta, const QString& boundMessage);
    // Copies the display band to the full-screen view while that view is open.
    void mirrorToFullScreen();
    // Puts a loaded file's text in the text box (see LoadSession::loaded).
    void adoptLoadedText(LoadedText text);

    std::int32_t intReadPos = 0;
    std::int32_t intPauseTicks = 0;

    QWidget* central_ = nullptr;
    CrLfTextEdit* txtInputText = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdPause = nullptr;
    QScrollBar* hscFontSize = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdFullScreen = nullptr;
    QComboBox* cmbTextColor = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cmbBackgroundColor = nullptr;
    QScrollBar* hscScrollSpeed = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* cmbFontStyle = nullptr;
    QLabel* lblOutputText = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdLoadText = nullptr;
    QPushButton* cmdPasteText = nullptr;
    QPushButton* cmdClearText = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* cmdExit = nullptr;
    QLabel* lblWPM = nullptr;
    QLabel* lblFontSize = nullptr;
    QLineEdit* onScreen = nullptr;
    QTimer* tmrMoveNext = nullptr;
    std::unique_ptr<FileDialog> commonDialog;
    LoadSession* load_ = nullptr;
    // The full-screen view while it is open (display mode "Full Screen").
    QPointer<frmFullScreen> fullScreen_;

    QAction* mnuFileExit = nullptr;
    QAction* mnuViewStart = nullptr;
    QAction* mnuViewPause = nullptr;
    QAction* mnuViewStop = nullptr;
    QAction* mnuViewTextSizeIncrease = nullptr;
    QAction* mnuViewTextSizeDecrease = nullptr;
    QAction* mnuViewTextSizeNormal = nullptr;
    QAction* mnuViewFullScreen = nullptr;
    QAction* mnuHelpAboutLexaro = nullptr;
};

}  // namespace lexaro
