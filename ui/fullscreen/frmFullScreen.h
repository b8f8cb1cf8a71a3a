#pragma once
// frmFullScreen: the current word, three times larger, on a borderless black window without a
// mouse pointer.
//
// The window has no logic for the words: while it is open, every tick of the main window copies
// the display band to it through mirror(). It is created for each opening and destroyed when it
// closes; a click, a key that types a character, or the platform's close request closes it.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace lexaro {

class frmFullScreen : public QDialog {
    Q_OBJECT

public:
    // `displayMode` is the main window's display mode box, set to "Main" when this window unloads.
    // Loading hides the mouse pointer until the window unloads.
    frmFullScreen(QWidget* parent, QLineEdit* displayMode);
    ~frmFullScreen() override;

    frmFullScreen(const frmFullScreen&) = delete;
    frmFullScreen& operator=(const frmFullScreen&) = delete;

    // Copies the display band: three times its size, its face, its colours (also as the window's
    // background) and, last, its caption.
    void mirror(const QLabel& band);

public slots:
    void Form_Click();
    void lblLargeScreen_Click();
    void Form_Unload();

    // Every way of closing ends here, so the pointer comes back and the mode is reset exactly once.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* lblLargeScreen;
    QLineEdit* displayMode_;
    bool pointerHidden_ = false;
};

}  // namespace lexaro
