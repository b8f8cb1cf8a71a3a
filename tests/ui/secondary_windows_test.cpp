// The full-screen view and the About window: modal, created for each showing, and steering the
// display mode that tells each tick whether to focus the text box or mirror the band.

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <functional>
#include <memory>

#include "engine/palette.h"
#include "engine/terms_of_use.h"
#include "tests/ui/widget_test_support.h"
#include "ui/about/frmAbout.h"
#include "ui/fullscreen/frmFullScreen.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace lexaro {
namespace {

using test::Child;
using test::PressKey;
using test::Str;
using test::WhileModal;

bool PointerHidden() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::BlankCursor;
}

class SecondaryWindows : public testing::Test {
protected:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();

    QString mode() { return Child<QLineEdit>(*window, "onScreen")->text(); }
    QLabel* band() { return Child<QLabel>(*window, "lblOutputText"); }

    // Opens a modal window with `opener` and runs `body` inside its event loop.
    template <typename Window>
    void whileOpen(const char* opener, const std::function<void(Window&)>& body) {
        bool invoked = false;
        const bool ran = WhileModal<Window>(
            [&] { invoked = QMetaObject::invokeMethod(window.get(), opener); }, body);
        ASSERT_TRUE(invoked);
        EXPECT_TRUE(ran) << opener << " opened no window of the expected kind";
    }
};

// --- Full screen -----------------------------------------------------------------------------

TEST_F(SecondaryWindows, FullScreenOpensInItsLayoutStateWithThePointerHidden) {
    EXPECT_TRUE(mode().isEmpty());
    whileOpen<frmFullScreen>("cmdFullScreen_Click", [&](frmFullScreen& fs) {
        EXPECT_EQ(Str(mode()), "Full Screen");
        EXPECT_TRUE(fs.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(fs.isModal());
        EXPECT_EQ(fs.size(), QSize(1024, 768));
        EXPECT_EQ(fs.palette().color(QPalette::Window), QColor(Qt::black));
        auto* label = Child<QLabel>(fs, "lblLargeScreen");
        EXPECT_EQ(label->geometry(), QRect(0, 136, 1025, 513));
        EXPECT_TRUE(label->text().isEmpty());
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->font().pointSizeF(), 72.0);
        EXPECT_EQ(Str(label->font().family()), "Arial");
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        EXPECT_TRUE(PointerHidden());
    });
    EXPECT_EQ(Str(mode()), "Main");
    EXPECT_FALSE(PointerHidden());
}

TEST_F(SecondaryWindows, EveryTickMirrorsTheBandAtThreeTimesItsSize) {
    Child<CrLfTextEdit>(*window, "txtInputText")->setText(u"Hi, there");
    window->cmdStart_Click();
    whileOpen<frmFullScreen>("mnuViewFullScreen_Click", [&](frmFullScreen& fs) {
        auto* label = Child<QLabel>(fs, "lblLargeScreen");
        window->tmrMoveNext_Timer();
        EXPECT_EQ(Str(label->text()), "Hi,");
        EXPECT_EQ(label->font().pointSizeF(), 180.0);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), test::PaletteColor(7));
        EXPECT_EQ(label->palette().color(QPalette::Window), test::PaletteColor(0));

        // Changes in the main window reach the view at the next tick, a hold tick too.
        Child<QComboBox>(*window, "cmbBackgroundColor")->setCurrentIndex(1);
        Child<QScrollBar>(*window, "hscFontSize")->setValue(10);
        window->tmrMoveNext_Timer();  // the hold after the comma
        EXPECT_EQ(Str(label->text()), "Hi,");
        EXPECT_EQ(label->font().pointSizeF(), 30.0);
        EXPECT_EQ(label->palette().color(QPalette::Window), test::PaletteColor(1));
        EXPECT_EQ(fs.palette().color(QPalette::Window), test::PaletteColor(1));

        // A mode other than "Full Screen" never mirrors.
        Child<QLineEdit>(*window, "onScreen")->setText(QStringLiteral("Main"));
        window->tmrMoveNext_Timer();
        EXPECT_EQ(Str(band()->text()), "there");
        EXPECT_EQ(Str(label->text()), "Hi,");
    });
}

TEST_F(SecondaryWindows, SecondOpeningStartsAgainFromTheLayoutState) {
    Child<CrLfTextEdit>(*window, "txtInputText")->setText(u"word");
    window->cmdStart_Click();
    whileOpen<frmFullScreen>("cmdFullScreen_Click",
                             [&](frmFullScreen&) { window->tmrMoveNext_Timer(); });
    whileOpen<frmFullScreen>("cmdFullScreen_Click", [&](frmFullScreen& fs) {
        auto* label = Child<QLabel>(fs, "lblLargeScreen");
        EXPECT_TRUE(label->text().isEmpty());
        EXPECT_EQ(label->font().pointSizeF(), 72.0);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    });
}

struct CloseCase {
    const char* name;
    std::function<void(frmFullScreen&)> act;
    bool closes;
};

class FullScreenClosing : public SecondaryWindows, public testing::WithParamInterface<CloseCase> {};

TEST_P(FullScreenClosing, ClosesOnClicksAndCharacterKeysOnly) {
    bool stillOpen = false;
    whileOpen<frmFullScreen>("cmdFullScreen_Click", [&](frmFullScreen& fs) {
        GetParam().act(fs);
        stillOpen = fs.isVisible();
        EXPECT_EQ(PointerHidden(), stillOpen);
    });
    EXPECT_EQ(!stillOpen, GetParam().closes);
    EXPECT_FALSE(PointerHidden());
    EXPECT_EQ(Str(mode()), "Main");
}

auto Key(int key, const char* text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return [key, text, modifiers](frmFullScreen& fs) {
        PressKey(&fs, key, modifiers, QString::fromLatin1(text));
    };
}

const CloseCase kCloseCases[] = {
    {"Space", Key(Qt::Key_Space, " "), true},
    {"Enter", Key(Qt::Key_Return, "\r"), true},
    {"Escape", Key(Qt::Key_Escape, "\x1b"), true},
    {"Backspace", Key(Qt::Key_Backspace, "\b"), true},
    {"Letter", Key(Qt::Key_Q, "q"), true},
    {"Digit", Key(Qt::Key_7, "7"), true},
    {"Arrow", Key(Qt::Key_Left, ""), false},
    {"FunctionKey", Key(Qt::Key_F5, ""), false},
    {"ShiftAlone", Key(Qt::Key_Shift, ""), false},
    // X11 gives these keys text, yet they type no character.
    {"Delete", Key(Qt::Key_Delete, "\x7f"), false},
    {"AltLetter", Key(Qt::Key_Q, "q", Qt::AltModifier), false},
    {"ControlLetter", Key(Qt::Key_Q, "\x11", Qt::ControlModifier), true},
    {"AltGrLetter", Key(Qt::Key_Q, "@", Qt::ControlModifier | Qt::AltModifier), true},
    {"ClickOnWindow", [](frmFullScreen& fs) { test::Click(&fs); }, true},
    {"ClickOnLabel",
     [](frmFullScreen& fs) {
         test::Click(fs.findChild<QLabel*>(QStringLiteral("lblLargeScreen")));
     },
     true},
    {"CloseRequest", [](frmFullScreen& fs) { fs.close(); }, true},
};

INSTANTIATE_TEST_SUITE_P(Inputs, FullScreenClosing, testing::ValuesIn(kCloseCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SecondaryWindows, PointerIsVisibleAfterManyOpenings) {
    for (int i = 0; i < 5; ++i) {
        whileOpen<frmFullScreen>("cmdFullScreen_Click", [&](frmFullScreen& fs) {
            EXPECT_TRUE(PointerHidden());
            if (i % 2 == 0) {
                PressKey(&fs, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            }
        });
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SecondaryWindows, ReadingThatEndsWhileFullScreenKeepsTheLastWord) {
    Child<CrLfTextEdit>(*window, "txtInputText")->setText(u"last");
    window->cmdStart_Click();
    whileOpen<frmFullScreen>("cmdFullScreen_Click", [&](frmFullScreen& fs) {
        window->tmrMoveNext_Timer();
        EXPECT_FALSE(Child<QTimer>(*window, "tmrMoveNext")->isActive());
        EXPECT_EQ(Str(Child<QLabel>(fs, "lblLargeScreen")->text()), "last");
    });
}

// --- About -----------------------------------------------------------------------------------

TEST_F(SecondaryWindows, AboutShowsProductVersionAndTerms) {
    whileOpen<frmAbout>("cmdAbout_Click", [&](frmAbout& about) {
        EXPECT_EQ(Str(mode()), "About");
        EXPECT_EQ(Str(about.windowTitle()), "About Lexaro");
        EXPECT_TRUE(about.isModal());
        EXPECT_TRUE(about.windowFlags().testFlag(Qt::Tool));
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_EQ(about.size(), QSize(379, 507));
        auto* heading = Child<QLabel>(about, "Label1");
        EXPECT_EQ(Str(heading->text()), "Lexaro for WinNT, Win9x, Win2000, WinXP");
        EXPECT_EQ(heading->geometry(), QRect(16, 24, 345, 25));
        EXPECT_EQ(Str(heading->font().family()), "MS Sans Serif");
        EXPECT_EQ(heading->font().pointSizeF(), 8.25);
        EXPECT_TRUE(heading->font().bold());
        EXPECT_EQ(Str(Child<QLabel>(about, "Label5")->text()), "Version 1.01");
        auto* terms = Child<QPlainTextEdit>(about, "Text2");
        EXPECT_EQ(terms->geometry(), QRect(8, 144, 361, 241));
        EXPECT_EQ(terms->toPlainText().toStdU16String(), [] {
            std::u16string t(TermsOfUseText());
            std::erase(t, u'\r');
            return t;
        }());
        auto* ok = Child<QPushButton>(about, "cmdBack");
        EXPECT_EQ(Str(ok->text()), "&OK");
        EXPECT_EQ(about.focusWidget(), ok);
        PressKey(ok, Qt::Key_Tab);
        EXPECT_EQ(about.focusWidget(), terms);
        PressKey(terms, Qt::Key_Tab);
        EXPECT_EQ(about.focusWidget(), ok);
    });
    EXPECT_EQ(Str(mode()), "Main");
}

struct AboutCloseCase {
    const char* name;
    std::function<void(frmAbout&)> act;
};

class AboutClosing : public SecondaryWindows, public testing::WithParamInterface<AboutCloseCase> {};

TEST_P(AboutClosing, EveryWayOfClosingLeavesModeMain) {
    bool closed = false;
    whileOpen<frmAbout>("mnuHelpAboutLexaro_Click", [&](frmAbout& about) {
        GetParam().act(about);
        closed = !about.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(Str(mode()), "Main");
}

const AboutCloseCase kAboutCloseCases[] = {
    {"OkButton",
     [](frmAbout& a) { test::Click(a.findChild<QPushButton*>(QStringLiteral("cmdBack"))); }},
    {"Enter", [](frmAbout& a) { PressKey(a.focusWidget(), Qt::Key_Return); }},
    {"EnterInTerms",
     [](frmAbout& a) {
         PressKey(a.findChild<QPlainTextEdit*>(QStringLiteral("Text2")), Qt::Key_Return);
     }},
    {"Escape", [](frmAbout& a) { PressKey(a.focusWidget(), Qt::Key_Escape); }},
    {"CloseBox", [](frmAbout& a) { a.close(); }},
};

INSTANTIATE_TEST_SUITE_P(Ways, AboutClosing, testing::ValuesIn(kAboutCloseCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SecondaryWindows, AboutTermsCannotBeEditedButCanBeSelected) {
    whileOpen<frmAbout>("cmdAbout_Click", [&](frmAbout& about) {
        auto* terms = Child<QPlainTextEdit>(about, "Text2");
        const QString before = terms->toPlainText();
        terms->setFocus();
        PressKey(terms, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        PressKey(terms, Qt::Key_Delete);
        EXPECT_EQ(terms->toPlainText(), before);
        EXPECT_TRUE(terms->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
        EXPECT_TRUE(terms->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    });
}

TEST_F(SecondaryWindows, ReadingGoesOnBehindAboutWithoutFocusOrMirror) {
    Child<CrLfTextEdit>(*window, "txtInputText")->setText(u"one two");
    window->cmdStart_Click();
    whileOpen<frmAbout>("cmdAbout_Click", [&](frmAbout& about) {
        window->tmrMoveNext_Timer();
        EXPECT_EQ(Str(band()->text()), "one");
        EXPECT_NE(about.focusWidget(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
    });
}

}  // namespace
}  // namespace lexaro
