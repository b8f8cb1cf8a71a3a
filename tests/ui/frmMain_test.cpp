#include "ui/main/frmMain.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <memory>
#include <vector>

#include "engine/welcome_text.h"
#include "tests/ui/widget_test_support.h"
#include "ui/main/CrLfTextEdit.h"

namespace lexaro {
namespace {

using test::Child;
using test::PressKey;
using test::Str;

class MainWindow : public testing::Test {
protected:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();

    QPushButton* button(const char* name) { return Child<QPushButton>(*window, name); }
    CrLfTextEdit* textBox() { return Child<CrLfTextEdit>(*window, "txtInputText"); }
    QLabel* band() { return Child<QLabel>(*window, "lblOutputText"); }
    QTimer* timer() { return Child<QTimer>(*window, "tmrMoveNext"); }
    QLineEdit* displayMode() { return Child<QLineEdit>(*window, "onScreen"); }

    void invoke(const char* handler) {
        ASSERT_TRUE(QMetaObject::invokeMethod(window.get(), handler, Qt::DirectConnection))
            << handler;
    }
    void tick() { window->tmrMoveNext_Timer(); }

    std::string transport() { return test::TransportState(*window); }
};

// --- Layout ------------------------------------------------------------------------------------

struct ControlCase {
    const char* name;
    const char* className;
    const char* caption;  // nullptr where a control has none
    int left, top, width, height;
};

class MainWindowLayout : public testing::TestWithParam<ControlCase> {};

TEST_P(MainWindowLayout, PlacesControlAsDesigned) {
    const frmMain window;
    const ControlCase& c = GetParam();
    const auto* widget = Child<QWidget>(window, c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->inherits(c.className)) << widget->metaObject()->className();
    EXPECT_EQ(widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
    if (c.caption != nullptr) {
        const QVariant text = widget->property("text");
        EXPECT_EQ(Str(text.toString()), c.caption);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainWindowLayout,
    testing::Values(
        ControlCase{"txtInputText", "QPlainTextEdit", nullptr, 4560, 4920, 4455, 1335},
        ControlCase{"Label1", "QLabel", "Current text:", 4560, 4680, 975, 255},
        ControlCase{"cmdStart", "QPushButton", "&Start", 240, 3720, 975, 375},
        ControlCase{"cmdStop", "QPushButton", "S&top", 2400, 3720, 1095, 375},
        ControlCase{"cmdPause", "QPushButton", "&Pause", 1320, 3720, 975, 375},
        ControlCase{"hscFontSize", "QScrollBar", nullptr, 4920, 480, 3975, 255},
        ControlCase{"Label2", "QLabel", "Font size:", 5640, 120, 1215, 255},
        ControlCase{"cmdFullScreen", "QPushButton", "&Full screen mode", 240, 5040, 3375, 375},
        ControlCase{"cmbTextColor", "QComboBox", nullptr, 5640, 4080, 1575, 315},
        ControlCase{"Label3", "QLabel", "Text color:", 4560, 4080, 975, 255},
        ControlCase{"Label4", "QLabel", "Background color:", 7800, 3720, 1455, 255},
        ControlCase{"cmbBackgroundColor", "QComboBox", nullptr, 7560, 3960, 1695, 315},
        ControlCase{"hscScrollSpeed", "QScrollBar", nullptr, 240, 480, 4455, 255},
        ControlCase{"Label5", "QLabel", "Font style:", 4560, 3720, 855, 255},
        ControlCase{"cmbFontStyle", "QComboBox", nullptr, 5640, 3720, 1335, 315},
        ControlCase{"lblOutputText", "QLabel", "", 120, 840, 9255, 2775},
        ControlCase{"cmdAbout", "QPushButton", "&About Lexaro", 1920, 6000, 1695, 615},
        ControlCase{"cmdLoadText", "QPushButton", "&Load Text from File", 240, 4320, 3375, 375},
        ControlCase{"cmdPasteText", "QPushButton", "Paste Text from Clipboard", 4560, 6240, 2175,
                    270},
        ControlCase{"cmdClearText", "QPushButton", "Clear Current Text", 6960, 6240, 1815, 270},
        ControlCase{"Label6", "QLabel", "Words Per Minute:", 360, 120, 1455, 255},
        ControlCase{"cmdExit", "QPushButton", "E&xit", 240, 6000, 1575, 615},
        ControlCase{"lblWPM", "QLabel", "120", 1920, 120, 1215, 255},
        ControlCase{"onScreen", "QLineEdit", "", 2880, 3480, 375, 375}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(MainWindow, HasFixedClientAreaTitleAndNoMaximizeButton) {
    EXPECT_EQ(Str(window->windowTitle()), "Lexaro v1.1 Build 319");
    EXPECT_EQ(window->centralWidget()->size(), QSize(634, 450));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(MainWindow, ListsHoldTheirEntriesInOrderWithNothingChosenThatStartUpDoesNotChoose) {
    const QStringList colours = {"Black",     "Blue",          "Green",        "Cyan",
                                 "Red",       "Magenta",       "Yellow",       "White",
                                 "Gray",      "Light Blue",    "Light Green",  "Light Cyan",
                                 "Light Red", "Light Magenta", "Light Yellow", "Bright White"};
    for (const char* name : {"cmbTextColor", "cmbBackgroundColor"}) {
        auto* list = Child<QComboBox>(*window, name);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->itemText(i);
        }
        EXPECT_EQ(entries, colours) << name;
        EXPECT_FALSE(list->isEditable()) << name;
    }
    auto* faces = Child<QComboBox>(*window, "cmbFontStyle");
    EXPECT_TRUE(faces->isEditable());
    EXPECT_EQ(faces->insertPolicy(), QComboBox::NoInsert);
    EXPECT_EQ(Str(faces->currentText()), "Arial");
    EXPECT_EQ(faces->count(), 5);
    EXPECT_EQ(Str(faces->itemText(4)), "Comic Sans MS");
}

TEST_F(MainWindow, ScrollBarsHaveTheirRangesAndSteps) {
    auto* pace = Child<QScrollBar>(*window, "hscScrollSpeed");
    EXPECT_EQ(pace->minimum(), 60);
    EXPECT_EQ(pace->maximum(), 1800);
    EXPECT_EQ(pace->singleStep(), 60);
    EXPECT_EQ(pace->pageStep(), 300);
    EXPECT_EQ(pace->value(), 120);
    auto* size = Child<QScrollBar>(*window, "hscFontSize");
    EXPECT_EQ(size->minimum(), 8);
    EXPECT_EQ(size->maximum(), 120);
    EXPECT_EQ(size->singleStep(), 4);
    EXPECT_EQ(size->pageStep(), 20);
    EXPECT_EQ(size->value(), 60);
}

TEST_F(MainWindow, TabOrderFollowsTheDesign) {
    const std::vector<std::string> expected = {
        "txtInputText",   "cmdStart",      "cmdStop",      "cmdPause",
        "hscFontSize",    "cmdFullScreen", "cmbTextColor", "cmbBackgroundColor",
        "hscScrollSpeed", "cmbFontStyle",  "cmdAbout",     "cmdLoadText",
        "cmdPasteText",   "cmdClearText",  "cmdExit"};
    std::vector<std::string> order;
    QWidget* start = textBox();
    QWidget* w = start;
    do {
        const std::string name = Str(w->objectName());
        if (std::find(expected.begin(), expected.end(), name) != expected.end() &&
            (order.empty() || order.back() != name)) {
            order.push_back(name);
        }
        w = w->nextInFocusChain();
    } while (w != start && order.size() < 40);
    EXPECT_EQ(order, expected);
    for (const auto& name : expected) {
        EXPECT_TRUE(Child<QWidget>(*window, name.c_str())->focusPolicy() & Qt::TabFocus) << name;
    }
}

TEST_F(MainWindow, TabLeavesTheTextBoxForTheNextEnabledControl) {
    textBox()->setFocus();
    PressKey(textBox(), Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), button("cmdStart"));
    EXPECT_EQ(textBox()->text(), WelcomeText());
    PressKey(button("cmdStart"), Qt::Key_Tab);  // Stop and Pause are disabled
    EXPECT_EQ(window->focusWidget(), Child<QWidget>(*window, "hscFontSize"));
}

TEST_F(MainWindow, StartsWithWelcomeTextFocusedAndEmptyBand) {
    EXPECT_EQ(textBox()->text(), WelcomeText());
    EXPECT_EQ(window->focusWidget(), textBox());
    EXPECT_TRUE(band()->text().isEmpty());
    EXPECT_EQ(band()->textFormat(), Qt::PlainText);
    EXPECT_TRUE(band()->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(band()->alignment().testFlag(Qt::AlignTop));
    EXPECT_EQ(transport(), "10000");
    EXPECT_FALSE(button("cmdPasteText")->isEnabled());
    EXPECT_FALSE(button("cmdClearText")->isEnabled());
    EXPECT_FALSE(displayMode()->isVisibleTo(window.get()));
    EXPECT_TRUE(displayMode()->text().isEmpty());
    EXPECT_EQ(Str(Child<QLabel>(*window, "lblWPM")->text()), "120");
    EXPECT_EQ(timer()->interval(), 500);
    EXPECT_EQ(timer()->timerType(), Qt::PreciseTimer);
    EXPECT_EQ(window->readPosition(), 0);
    EXPECT_EQ(window->pauseTicks(), 0);
}

TEST_F(MainWindow, EveryControlHasAnAccessibleNameAndTheBandSpeaksItsWord) {
    for (const char* name :
         {"txtInputText", "cmdStart", "cmdStop", "cmdPause", "hscFontSize", "cmdFullScreen",
          "cmbTextColor", "cmbBackgroundColor", "hscScrollSpeed", "cmbFontStyle", "cmdAbout",
          "cmdLoadText", "cmdPasteText", "cmdClearText", "cmdExit", "Label1", "lblWPM"}) {
        QAccessibleInterface* a11y =
            QAccessible::queryAccessibleInterface(Child<QWidget>(*window, name));
        ASSERT_NE(a11y, nullptr) << name;
        const QString spoken = a11y->text(QAccessible::Name);
        EXPECT_FALSE(spoken.isEmpty()) << name;
        EXPECT_FALSE(spoken.contains(QLatin1Char('&'))) << name;
    }
    textBox()->setText(u"spoken");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(Str(QAccessible::queryAccessibleInterface(band())->text(QAccessible::Name)),
              "spoken");
}

// --- Menus -------------------------------------------------------------------------------------

struct MenuCase {
    const char* menu;
    std::vector<std::string> items;  // "name caption", a trailing " (off)" for greyed items
};

class MainWindowMenus : public testing::TestWithParam<MenuCase> {};

TEST_P(MainWindowMenus, HoldTheirItemsInOrder) {
    const frmMain window;
    const MenuCase& c = GetParam();
    auto* menu = Child<QMenu>(window, c.menu);
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (const QAction* action : menu->actions()) {
        std::string line = Str(action->objectName()) + " " +
                           (action->isSeparator() ? std::string("-") : Str(action->text()));
        if (!action->isEnabled()) {
            line += " (off)";
        }
        EXPECT_TRUE(action->shortcut().isEmpty()) << line;
        items.push_back(line);
    }
    EXPECT_EQ(items, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MainWindowMenus,
    testing::Values(MenuCase{"mnuFile",
                             {"mnuFileNew &New (off)", "mnuFileOpen &Open (off)", "mnuFileBlank1 -",
                              "mnuFileExit E&xit"}},
                    MenuCase{"mnuEdit",
                             {"mnuEditUndo &Undo (off)", "mnuEditRedo &Redo (off)",
                              "mnuEditBlank1 -", "mnuEditCut &Cut (off)", "mnuEditCopy &Copy (off)",
                              "mnuEditPaste &Paste (off)", "mnuEditDelete &Delete (off)",
                              "mnuEditBlank2 -", "mnuEditSelectAll &Select All (off)"}},
                    MenuCase{"mnuView",
                             {"mnuViewStatusBar &Status Bar (off)", "mnuViewBlank1 -",
                              "mnuViewStart &Start", "mnuViewPause &Pause", "mnuViewStop &Stop",
                              "mnuViewBlank2 -", "mnuViewTextSize &Text Size", "mnuViewBlank3 -",
                              "mnuViewFullScreen &Full Screen"}},
                    MenuCase{
                        "mnuViewTextSize",
                        {"mnuViewTextSizeIncrease &Increase", "mnuViewTextSizeDecrease &Decrease",
                         "mnuViewTextSizeBlank1 -", "mnuViewTextSizeNormal &Normal"}},
                    MenuCase{"mnuTools", {"mnuToolsOptions &Options (off)"}},
                    MenuCase{"mnuHelp",
                             {"mnuHelpHelpContents &Help Contents (off)", "mnuHelpBlank1 -",
                              "mnuHelpCheckForUpdates &Check for Updates (off)", "mnuHelpBlank2 -",
                              "mnuHelpAboutLexaro &About Lexaro"}}),
    [](const auto& p) { return std::string(p.param.menu); });

TEST_F(MainWindow, MenuBarHasFiveMenusAndStatusBarItemStaysChecked) {
    QStringList titles;
    for (const QAction* action : window->menuBar()->actions()) {
        titles << action->objectName() + " " + action->text();
    }
    EXPECT_EQ(titles, QStringList({"mnuFile &File", "mnuEdit &Edit", "mnuView &View",
                                   "mnuTools &Tools", "mnuHelp &Help"}));
    auto* statusBar = Child<QAction>(*window, "mnuViewStatusBar");
    EXPECT_TRUE(statusBar->isChecked());
    statusBar->trigger();  // disabled: nothing happens
    EXPECT_TRUE(statusBar->isChecked());
}

// --- Transport ---------------------------------------------------------------------------------

struct TransportCase {
    const char* name;
    std::vector<const char*> handlers;
    const char* state;  // Start, Pause, Stop enabled; timer on; text box locked
};

class MainWindowTransport : public MainWindow, public testing::WithParamInterface<TransportCase> {};

TEST_P(MainWindowTransport, ReachesState) {
    for (const char* handler : GetParam().handlers) {
        invoke(handler);
    }
    EXPECT_EQ(transport(), GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(
    States, MainWindowTransport,
    testing::Values(
        TransportCase{"Idle", {}, "10000"}, TransportCase{"Reading", {"cmdStart_Click"}, "01111"},
        TransportCase{"Paused", {"cmdStart_Click", "cmdPause_Click"}, "10101"},
        TransportCase{"Resumed", {"cmdStart_Click", "cmdPause_Click", "cmdStart_Click"}, "01111"},
        TransportCase{"StoppedWhileReading", {"cmdStart_Click", "cmdStop_Click"}, "10000"},
        TransportCase{
            "StoppedWhilePaused", {"cmdStart_Click", "cmdPause_Click", "cmdStop_Click"}, "10000"},
        TransportCase{"MenuStartWhileReading", {"cmdStart_Click", "mnuViewStart_Click"}, "01111"},
        TransportCase{"MenuPauseWhenIdleLeavesBoxUnlocked", {"mnuViewPause_Click"}, "10100"},
        TransportCase{"MenuStopWhenIdle", {"mnuViewStop_Click"}, "10000"},
        TransportCase{"MenuStart", {"mnuViewStart_Click"}, "01111"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(MainWindow, MenuItemsStayAvailableInEveryState) {
    invoke("cmdStart_Click");
    for (const char* name : {"mnuViewStart", "mnuViewPause", "mnuViewStop"}) {
        EXPECT_TRUE(Child<QAction>(*window, name)->isEnabled()) << name;
    }
    Child<QAction>(*window, "mnuViewPause")->trigger();
    EXPECT_EQ(transport(), "10101");
    Child<QAction>(*window, "mnuViewStop")->trigger();
    EXPECT_EQ(transport(), "10000");
}

TEST_F(MainWindow, EmptyTextEndsOnTheFirstTick) {
    textBox()->setText(u"");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(transport(), "10101");  // Ended: Stop still enabled, box still locked
    EXPECT_TRUE(band()->text().isEmpty());
}

TEST_F(MainWindow, PauseThenStartGoesOnWithTheNextWord) {
    textBox()->setText(u"one two three");
    invoke("cmdStart_Click");
    tick();
    invoke("cmdPause_Click");
    EXPECT_TRUE(textBox()->isLocked());
    EXPECT_EQ(Str(band()->text()), "one");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(Str(band()->text()), "two");
}

TEST_F(MainWindow, StopKeepsPendingHoldAndSelectionAndClearsTheBand) {
    textBox()->setText(u"end. next");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(window->pauseTicks(), 2);
    invoke("cmdStop_Click");
    EXPECT_EQ(window->pauseTicks(), 2);
    EXPECT_EQ(window->readPosition(), 0);
    EXPECT_TRUE(band()->text().isEmpty());
    EXPECT_EQ(textBox()->selStart(), 0);
    EXPECT_EQ(textBox()->selLength(), 4);
    invoke("cmdStart_Click");
    tick();
    tick();
    EXPECT_TRUE(band()->text().isEmpty());  // two hold ticks first
    tick();
    EXPECT_EQ(Str(band()->text()), "end.");
}

TEST_F(MainWindow, EndedStateKeepsTheBoxLockedUntilStop) {
    textBox()->setText(u"only");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(transport(), "10101");
    EXPECT_EQ(Str(band()->text()), "only");
    invoke("cmdStop_Click");
    EXPECT_EQ(transport(), "10000");
    EXPECT_TRUE(band()->text().isEmpty());
}

// --- Keyboard ----------------------------------------------------------------------------------

TEST_F(MainWindow, EnterStartsAndEscapeStopsWhereverTheFocusIs) {
    for (const char* target : {"txtInputText", "hscScrollSpeed", "cmbFontStyle"}) {
        auto* widget = Child<QWidget>(*window, target);
        PressKey(widget, Qt::Key_Return);
        EXPECT_EQ(transport(), "01111") << target;
        PressKey(widget, Qt::Key_Escape);
        EXPECT_EQ(transport(), "10000") << target;
    }
}

TEST_F(MainWindow, EnterDoesNothingWhileStartIsDisabledAndEscapeNothingWhileStopIs) {
    const std::u16string before = textBox()->text();
    PressKey(textBox(), Qt::Key_Escape);
    EXPECT_EQ(transport(), "10000");
    invoke("cmdStart_Click");
    PressKey(textBox(), Qt::Key_Enter);
    EXPECT_EQ(transport(), "01111");
    EXPECT_EQ(textBox()->text(), before);
}

TEST_F(MainWindow, EscapeStopsPausedAndEndedReadings) {
    invoke("cmdStart_Click");
    invoke("cmdPause_Click");
    PressKey(textBox(), Qt::Key_Escape);
    EXPECT_EQ(transport(), "10000");
    textBox()->setText(u"x");
    invoke("cmdStart_Click");
    tick();
    PressKey(textBox(), Qt::Key_Escape);
    EXPECT_EQ(transport(), "10000");
}

TEST_F(MainWindow, EnterNeverBreaksTheLineButCtrlEnterDoes) {
    textBox()->setText(u"ab");
    textBox()->setSelStart(1);
    PressKey(textBox(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(textBox()->text(), u"a\r\nb");
    EXPECT_EQ(transport(), "10000");
    PressKey(textBox(), Qt::Key_Return);
    EXPECT_EQ(textBox()->text(), u"a\r\nb");
    EXPECT_EQ(transport(), "01111");
    PressKey(textBox(), Qt::Key_Return, Qt::ControlModifier);  // locked now
    EXPECT_EQ(textBox()->text(), u"a\r\nb");
}

TEST_F(MainWindow, FocusedButtonTakesEnterForItself) {
    invoke("cmdStart_Click");
    PressKey(button("cmdPause"), Qt::Key_Return);
    EXPECT_EQ(transport(), "10101");
}

// --- Reading -----------------------------------------------------------------------------------

TEST_F(MainWindow, ReadsAShortTextWordByWordSelectingEachWord) {
    textBox()->setText(u"Hello, big\r\nworld.");
    invoke("cmdStart_Click");
    struct Expect {
        const char* caption;  // nullptr on a hold tick
        std::int32_t selStart, selLength;
        const char* selected;
    };
    const Expect ticks[] = {{"Hello,", 0, 6, "Hello,"},
                            {nullptr, 0, 6, "Hello,"},
                            {"big\r\nworld.", 7, 11, "big\u2029world."}};
    for (const Expect& e : ticks) {
        tick();
        if (e.caption != nullptr) {
            EXPECT_EQ(Str(band()->text()), e.caption);
        }
        EXPECT_EQ(textBox()->selStart(), e.selStart);
        EXPECT_EQ(textBox()->selLength(), e.selLength);
        EXPECT_EQ(Str(textBox()->textCursor().selectedText()), e.selected);
    }
    EXPECT_EQ(transport(), "10101");
    EXPECT_EQ(window->readPosition(), 0);
    EXPECT_EQ(window->pauseTicks(), 2);
}

TEST_F(MainWindow, ReadsTheWelcomeTextToTheEndedState) {
    invoke("cmdStart_Click");
    int ticks = 0;
    while (timer()->isActive() && ticks < 2000) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(transport(), "10101");
    EXPECT_GT(ticks, 204);
    // No space follows the last word, so it is shown with the final line break.
    EXPECT_EQ(Str(band()->text()), "you!\r\n");
}

TEST_F(MainWindow, BandShowsMarkupAndEntitiesLiterally) {
    textBox()->setText(u"<b>x</b>&amp;");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(Str(band()->text()), "<b>x</b>&amp;");
    EXPECT_EQ(band()->textFormat(), Qt::PlainText);
}

TEST_F(MainWindow, FocusMovesToTheTextBoxOnlyInMainMode) {
    textBox()->setText(u"a b c");
    auto* other = button("cmdExit");
    invoke("cmdStart_Click");
    for (const char* mode : {"", "About", "Main"}) {
        other->setFocus();
        displayMode()->setText(QString::fromLatin1(mode));
        tick();
        EXPECT_EQ(window->focusWidget() == textBox(), std::string(mode) == "Main") << mode;
    }
}

TEST_F(MainWindow, EditBetweenTicksTakesEffectAtTheNextTick) {
    textBox()->setText(u"one two");
    invoke("cmdStart_Click");
    tick();
    textBox()->setText(u"one TWO three");
    tick();
    EXPECT_EQ(Str(band()->text()), "TWO");
}

TEST_F(MainWindow, TextShrunkUnderTheReadPositionEndsTheReadingCleanly) {
    textBox()->setText(u"a long sentence with many words");
    invoke("cmdStart_Click");
    tick();
    tick();
    invoke("cmdPause_Click");
    textBox()->setText(u"ab");
    invoke("cmdStart_Click");
    tick();
    EXPECT_EQ(transport(), "10101");
    EXPECT_TRUE(band()->text().isEmpty());
    EXPECT_EQ(textBox()->selStart(), 2);
    EXPECT_EQ(textBox()->selLength(), 0);
    EXPECT_EQ(window->readPosition(), 0);
}

// --- Pace --------------------------------------------------------------------------------------

struct PaceCase {
    int value;
    const char* caption;
    int intervalMs;
};

class MainWindowPace : public MainWindow, public testing::WithParamInterface<PaceCase> {};

TEST_P(MainWindowPace, CaptionAndIntervalFollowTheBar) {
    Child<QScrollBar>(*window, "hscScrollSpeed")->setValue(GetParam().value);
    EXPECT_EQ(Str(Child<QLabel>(*window, "lblWPM")->text()), GetParam().caption);
    EXPECT_EQ(timer()->interval(), GetParam().intervalMs);
    EXPECT_FALSE(timer()->isActive());
}

INSTANTIATE_TEST_SUITE_P(Values, MainWindowPace,
                         testing::Values(PaceCase{60, "60", 1000}, PaceCase{64, "64", 938},
                                         PaceCase{960, "960", 62}, PaceCase{1800, "1800", 33},
                                         PaceCase{5000, "1800", 33}, PaceCase{0, "60", 1000}));

TEST_F(MainWindow, PaceChangeDuringReadingKeepsWordPositionAndHold) {
    textBox()->setText(u"Wait, then go on");
    invoke("cmdStart_Click");
    tick();
    const std::int32_t pos = window->readPosition();
    Child<QScrollBar>(*window, "hscScrollSpeed")->setValue(600);
    EXPECT_TRUE(timer()->isActive());
    EXPECT_EQ(timer()->interval(), 100);
    EXPECT_EQ(window->readPosition(), pos);
    EXPECT_EQ(window->pauseTicks(), 1);
    EXPECT_EQ(Str(band()->text()), "Wait,");
}

TEST_F(MainWindow, DraggingThePaceThumbUpdatesAsItMoves) {
    auto* bar = Child<QScrollBar>(*window, "hscScrollSpeed");
    bar->setSliderDown(true);
    bar->setSliderPosition(300);
    EXPECT_EQ(Str(Child<QLabel>(*window, "lblWPM")->text()), "300");
    EXPECT_EQ(timer()->interval(), 200);
    bar->setSliderDown(false);
}

}  // namespace
}  // namespace lexaro
