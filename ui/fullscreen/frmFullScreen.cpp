#include "ui/fullscreen/frmFullScreen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include "ui/BandCaption.h"
#include "ui/DisplayMode.h"
#include "ui/Twips.h"

namespace lexaro {

namespace {

void SetColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

}  // namespace

frmFullScreen::frmFullScreen(QWidget* parent, QLineEdit* displayMode)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), displayMode_(displayMode) {
    setObjectName(QStringLiteral("frmFullScreen"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(Twips(15360), Twips(11520));
    setAutoFillBackground(true);
    SetColour(*this, QPalette::Window, Qt::black);

    lblLargeScreen = new QLabel(this);
    lblLargeScreen->setObjectName(QStringLiteral("lblLargeScreen"));
    lblLargeScreen->setGeometry(TwipsRect(0, 2040, 15375, 7695));
    lblLargeScreen->setTextFormat(Qt::PlainText);
    lblLargeScreen->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblLargeScreen->setWordWrap(false);
    lblLargeScreen->setAutoFillBackground(true);
    SetColour(*lblLargeScreen, QPalette::Window, Qt::black);
    SetColour(*lblLargeScreen, QPalette::WindowText, QColor(0, 255, 0));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(72);
    font.setWeight(QFont::Normal);
    lblLargeScreen->setFont(font);
    lblLargeScreen->installEventFilter(this);
    lblLargeScreen->setAccessibleDescription(tr("The word being read"));

    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->geometry().center() - rect().center());
    }

    // Loading hides the pointer; Form_Unload shows it again.
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    pointerHidden_ = true;
}

frmFullScreen::~frmFullScreen() {
    Form_Unload();
}

void frmFullScreen::mirror(const QLabel& band) {
    QFont font = lblLargeScreen->font();
    font.setPointSizeF(band.font().pointSizeF() * 3);
    font.setFamily(band.font().family());
    lblLargeScreen->setFont(font);
    const QPalette& colours = band.palette();
    SetColour(*lblLargeScreen, QPalette::WindowText, colours.color(QPalette::WindowText));
    SetColour(*lblLargeScreen, QPalette::Window, colours.color(QPalette::Window));
    SetColour(*this, QPalette::Window, colours.color(QPalette::Window));
    ShowInBand(*lblLargeScreen, band.text());
}

void frmFullScreen::Form_Click() {
    close();
}
void frmFullScreen::lblLargeScreen_Click() {
    close();
}

void frmFullScreen::Form_Unload() {
    if (!pointerHidden_) {
        return;
    }
    pointerHidden_ = false;
    QGuiApplication::restoreOverrideCursor();
    if (displayMode_ != nullptr) {
        displayMode_->setText(kDisplayModeMain);
    }
}

void frmFullScreen::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

// A key that types a character closes the window (Space, Enter, Esc, Backspace and Ctrl+letter
// among them); arrows, function keys and modifiers on their own type nothing and do nothing.
// Delete and Alt with a key type nothing either, although X11 gives them text; Ctrl+Alt (AltGr on
// many keyboards) does type characters.
void frmFullScreen::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool altOnly =
        modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier);
    if (!event->text().isEmpty() && event->key() != Qt::Key_Delete && !altOnly) {
        close();
    }
}

void frmFullScreen::mouseReleaseEvent(QMouseEvent* /*event*/) {
    Form_Click();
}

bool frmFullScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblLargeScreen && event->type() == QEvent::MouseButtonRelease) {
        lblLargeScreen_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lexaro
