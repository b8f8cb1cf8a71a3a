// The display band's colours, font size and face, the start state and exit — checked by what the
// band paints as well as by its properties.

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <functional>
#include <memory>

#include "engine/palette.h"
#include "tests/ui/widget_test_support.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace lexaro {
namespace {

using test::Child;
using test::Str;
using test::WhileModal;

class Display : public testing::Test {
protected:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();

    QComboBox* list(const char* name) { return Child<QComboBox>(*window, name); }
    QLabel* band() { return Child<QLabel>(*window, "lblOutputText"); }
    QScrollBar* sizeBar() { return Child<QScrollBar>(*window, "hscFontSize"); }
    QString sizeCaption() { return Child<QLabel>(*window, "lblFontSize")->text(); }

    // Shows `word` in the band the way a reading does.
    void showWord(std::u16string_view word) {
        Child<CrLfTextEdit>(*window, "txtInputText")->setText(word);
        window->tmrMoveNext_Timer();
    }
    QImage paintedBand() { return band()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static QColor backgroundOf(const QImage& image) {
        return image.pixelColor(image.width() - 2, image.height() - 2);  // words start at the top
    }
    static int pixelsOf(const QImage& image, const QColor& colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }
    // Height in pixels of what is painted in a colour other than the background.
    static int inkHeight(const QImage& image) {
        const QColor background = backgroundOf(image);
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != background) {
                    top = top < 0 ? y : top;
                    bottom = y;
                    break;
                }
            }
        }
        return top < 0 ? 0 : bottom - top + 1;
    }
};

// --- Start-up --------------------------------------------------------------------------------

TEST_F(Display, StartsWithPaletteSevenOnZeroAtSixtyPoints) {
    EXPECT_EQ(Str(list("cmbTextColor")->currentText()), "White");
    EXPECT_EQ(Str(list("cmbBackgroundColor")->currentText()), "Black");
    EXPECT_EQ(Str(sizeCaption()), "60");
    EXPECT_EQ(band()->font().pointSizeF(), 60.0);
    EXPECT_EQ(Str(band()->font().family()), "Arial");
    EXPECT_EQ(Str(Child<QComboBox>(*window, "cmbFontStyle")->currentText()), "Arial");
    EXPECT_EQ(band()->font().weight(), QFont::Normal);

    const QImage empty = paintedBand();
    EXPECT_EQ(backgroundOf(empty), test::PaletteColor(0));
    EXPECT_EQ(pixelsOf(empty, test::PaletteColor(0)), empty.width() * empty.height());
    showWord(u"MMMM");
    const QImage word = paintedBand();
    EXPECT_GT(pixelsOf(word, test::PaletteColor(7)),
              500);  // solid glyph strokes in palette 7, not green
    EXPECT_EQ(pixelsOf(word, QColor(0, 255, 0)), 0);
}

// Everything a user can see or change, as one string.
std::string Snapshot(const frmMain& w) {
    const auto text = [&](const char* name) {
        const QObject* o = w.findChild<QObject*>(QLatin1String(name));
        return Str(o->property("text").toString()) + "|";
    };
    const auto* band = w.findChild<QLabel*>(QStringLiteral("lblOutputText"));
    const auto* timer = w.findChild<QTimer*>(QStringLiteral("tmrMoveNext"));
    std::string s;
    for (const char* name :
         {"lblOutputText", "lblWPM", "lblFontSize", "onScreen", "cmbFontStyle"}) {
        s += text(name);
    }
    for (const char* name : {"cmbTextColor", "cmbBackgroundColor"}) {
        s += Str(w.findChild<QComboBox*>(QLatin1String(name))->currentText()) + "|";
    }
    for (const char* name : {"hscFontSize", "hscScrollSpeed"}) {
        s += std::to_string(w.findChild<QScrollBar*>(QLatin1String(name))->value()) + "|";
    }
    for (const char* name : {"cmdStart", "cmdPause", "cmdStop"}) {
        s += w.findChild<QPushButton*>(QLatin1String(name))->isEnabled() ? "1" : "0";
    }
    s += Str(band->palette().color(QPalette::WindowText).name()) +
         Str(band->palette().color(QPalette::Window).name()) + Str(band->font().toString()) +
         std::to_string(timer->interval()) + (timer->isActive() ? "on" : "off") +
         std::to_string(w.readPosition()) + std::to_string(w.pauseTicks());
    s += Str(QString::fromStdU16String(
        w.findChild<CrLfTextEdit*>(QStringLiteral("txtInputText"))->text()));
    return s;
}

TEST(StartUp, EveryRunStartsFromTheSameState) {
    std::string first;
    {
        frmMain w;
        first = Snapshot(w);
        // Change everything a user can change.
        w.findChild<QComboBox*>(QStringLiteral("cmbTextColor"))->setCurrentIndex(12);
        w.findChild<QComboBox*>(QStringLiteral("cmbBackgroundColor"))->setCurrentIndex(3);
        w.findChild<QScrollBar*>(QStringLiteral("hscFontSize"))->setValue(100);
        w.findChild<QScrollBar*>(QStringLiteral("hscScrollSpeed"))->setValue(900);
        w.findChild<CrLfTextEdit*>(QStringLiteral("txtInputText"))->setText(u"other words");
        w.cmdStart_Click();
        w.tmrMoveNext_Timer();
        ASSERT_NE(Snapshot(w), first);
    }
    const frmMain second;
    EXPECT_EQ(Snapshot(second), first);
}

// --- Colours ---------------------------------------------------------------------------------

struct ColourCase {
    const char* name;
    const char* chosenIn;    // the list the user chooses in
    const char* otherShows;  // what the other list shows before
    const char* chosen;      // the entry chosen
    const char* ownEndsAt;   // what the chosen list shows after
    int ownPalette;          // the colour of the chosen list's side
    int otherPalette;        // the other side's colour, untouched
};

class ColourChoice : public Display, public testing::WithParamInterface<ColourCase> {};

TEST_P(ColourChoice, KeepsTextAndBackgroundApart) {
    const ColourCase& c = GetParam();
    const bool text = std::string(c.chosenIn) == "cmbTextColor";
    QComboBox* own = list(c.chosenIn);
    QComboBox* other = list(text ? "cmbBackgroundColor" : "cmbTextColor");
    own->setCurrentText(QStringLiteral("Gray"));  // out of the way of every case
    other->setCurrentText(QString::fromLatin1(c.otherShows));
    ASSERT_EQ(Str(other->currentText()), c.otherShows);
    own->setCurrentText(QString::fromLatin1(c.chosen));

    EXPECT_EQ(Str(own->currentText()), c.ownEndsAt);
    EXPECT_EQ(Str(other->currentText()), c.otherShows);
    showWord(u"MMMM");
    const QImage image = paintedBand();
    const QColor fore = test::PaletteColor(text ? c.ownPalette : c.otherPalette);
    const QColor back = test::PaletteColor(text ? c.otherPalette : c.ownPalette);
    EXPECT_EQ(backgroundOf(image), back);
    EXPECT_GT(pixelsOf(image, fore), 500);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ColourChoice,
    testing::Values(
        ColourCase{"TextBlackOnBlackMovesToBlue", "cmbTextColor", "Black", "Black", "Blue", 1, 0},
        ColourCase{"BackgroundBrightWhiteMovesBack", "cmbBackgroundColor", "Bright White",
                   "Bright White", "Light Yellow", 14, 15},
        ColourCase{"BackgroundLightYellowMovesBackNotForward", "cmbBackgroundColor", "Light Yellow",
                   "Light Yellow", "Light Magenta", 13, 14},
        ColourCase{"BackgroundBlackMovesForward", "cmbBackgroundColor", "Black", "Black", "Blue", 1,
                   0},
        ColourCase{"TextBrightWhiteMovesBack", "cmbTextColor", "Bright White", "Bright White",
                   "Light Yellow", 14, 15},
        ColourCase{"WhiteOnBrightWhiteIsAllowed", "cmbBackgroundColor", "White", "Bright White",
                   "Bright White", 15, 7},
        ColourCase{"PlainChoice", "cmbTextColor", "Black", "Light Red", "Light Red", 12, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Display, ColourListsArePickOnly) {
    EXPECT_FALSE(list("cmbTextColor")->isEditable());
    EXPECT_FALSE(list("cmbBackgroundColor")->isEditable());
}

// --- Font size -------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    int from;
    const char* item;
    int to;
    const char* message;  // nullptr when no message is expected
};

class FontSizeMenu : public Display, public testing::WithParamInterface<SizeCase> {};

TEST_P(FontSizeMenu, StepsOrRefusesWhole) {
    const SizeCase& c = GetParam();
    sizeBar()->setValue(c.from);
    test::MessageRecorder recorder;
    Child<QAction>(*window, c.item)->trigger();
    EXPECT_EQ(sizeBar()->value(), c.to);
    EXPECT_EQ(Str(sizeCaption()), std::to_string(c.to));
    EXPECT_EQ(band()->font().pointSizeF(), c.to);
    if (c.message == nullptr) {
        EXPECT_TRUE(recorder.messages.empty());
    } else {
        ASSERT_EQ(recorder.messages.size(), 1U);
        EXPECT_EQ(Str(recorder.messages[0].text), c.message);
        EXPECT_EQ(Str(recorder.messages[0].title), "Lexaro");
        EXPECT_EQ(recorder.messages[0].icon, MessageBox::Icon::Stop);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FontSizeMenu,
    testing::Values(
        SizeCase{"IncreaseTo120", 112, "mnuViewTextSizeIncrease", 120, nullptr},
        SizeCase{"IncreaseRefusedAt116", 116, "mnuViewTextSizeIncrease", 116,
                 "This is the max size!"},
        SizeCase{"IncreaseRefusedAt120", 120, "mnuViewTextSizeIncrease", 120,
                 "This is the max size!"},
        SizeCase{"IncreaseFromNormal", 60, "mnuViewTextSizeIncrease", 68, nullptr},
        SizeCase{"DecreaseTo8", 16, "mnuViewTextSizeDecrease", 8, nullptr},
        SizeCase{"DecreaseRefusedAt15", 15, "mnuViewTextSizeDecrease", 15, "This is the min size!"},
        SizeCase{"DecreaseRefusedAt8", 8, "mnuViewTextSizeDecrease", 8, "This is the min size!"},
        SizeCase{"NormalFrom100", 100, "mnuViewTextSizeNormal", 60, nullptr},
        SizeCase{"NormalFromNormal", 60, "mnuViewTextSizeNormal", 60, nullptr}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Display, PaintedWordGrowsWithTheSize) {
    showWord(u"MMMM");
    sizeBar()->setValue(8);
    const int small = inkHeight(paintedBand());
    sizeBar()->setValue(60);
    const int normal = inkHeight(paintedBand());
    sizeBar()->setValue(120);
    const int large = inkHeight(paintedBand());
    EXPECT_GT(small, 3);
    EXPECT_NEAR(static_cast<double>(normal) / small, 60.0 / 8, 1.5);
    EXPECT_NEAR(static_cast<double>(large) / normal, 2.0, 0.2);
}

struct BarCase {
    const char* bar;
    QAbstractSlider::SliderAction action;
    int from;
    int to;
};

class ScrollBarSteps : public Display, public testing::WithParamInterface<BarCase> {};

TEST_P(ScrollBarSteps, MoveByTheirStepsWithinBounds) {
    auto* bar = Child<QScrollBar>(*window, GetParam().bar);
    bar->setValue(GetParam().from);
    bar->triggerAction(GetParam().action);
    EXPECT_EQ(bar->value(), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ScrollBarSteps,
    testing::Values(BarCase{"hscFontSize", QAbstractSlider::SliderSingleStepAdd, 60, 64},
                    BarCase{"hscFontSize", QAbstractSlider::SliderPageStepAdd, 60, 80},
                    BarCase{"hscFontSize", QAbstractSlider::SliderPageStepAdd, 110, 120},
                    BarCase{"hscFontSize", QAbstractSlider::SliderSingleStepSub, 10, 8},
                    BarCase{"hscScrollSpeed", QAbstractSlider::SliderSingleStepAdd, 120, 180},
                    BarCase{"hscScrollSpeed", QAbstractSlider::SliderPageStepSub, 120, 60},
                    BarCase{"hscScrollSpeed", QAbstractSlider::SliderPageStepAdd, 1700, 1800}));

// The keys of a horizontal bar: Right and Down raise the value by the small change, Left and Up
// lower it, Page Down and Page Up move by the large change, Home and End go to the bounds.
struct KeyCase {
    const char* bar;
    int key;
    int from;
    int to;
};

class ScrollBarKeys : public Display, public testing::WithParamInterface<KeyCase> {};

TEST_P(ScrollBarKeys, RaiseToTheRightAndDown) {
    auto* bar = Child<QScrollBar>(*window, GetParam().bar);
    bar->setValue(GetParam().from);
    test::PressKey(bar, GetParam().key);
    EXPECT_EQ(bar->value(), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Keys, ScrollBarKeys,
                         testing::Values(KeyCase{"hscScrollSpeed", Qt::Key_Right, 660, 720},
                                         KeyCase{"hscScrollSpeed", Qt::Key_Left, 660, 600},
                                         KeyCase{"hscScrollSpeed", Qt::Key_Down, 660, 720},
                                         KeyCase{"hscScrollSpeed", Qt::Key_Up, 660, 600},
                                         KeyCase{"hscScrollSpeed", Qt::Key_PageDown, 660, 960},
                                         KeyCase{"hscScrollSpeed", Qt::Key_PageUp, 660, 360},
                                         KeyCase{"hscScrollSpeed", Qt::Key_End, 660, 1800},
                                         KeyCase{"hscFontSize", Qt::Key_Right, 60, 64},
                                         KeyCase{"hscFontSize", Qt::Key_Left, 60, 56},
                                         KeyCase{"hscFontSize", Qt::Key_PageDown, 110, 120},
                                         KeyCase{"hscFontSize", Qt::Key_Home, 60, 8}));

TEST_F(Display, DraggingTheSizeThumbUpdatesAsItMoves) {
    sizeBar()->setSliderDown(true);
    sizeBar()->setSliderPosition(33);
    EXPECT_EQ(Str(sizeCaption()), "33");
    EXPECT_EQ(band()->font().pointSizeF(), 33.0);
    sizeBar()->setSliderDown(false);
}

TEST_F(Display, RealMessageBoxIsModalWithOneOkAndAStopIcon) {
    sizeBar()->setValue(120);
    QString text;
    QString title;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const bool shown = WhileModal<QMessageBox>([&] { window->mnuViewTextSizeIncrease_Click(); },
                                               [&](QMessageBox& box) {
                                                   text = box.text();
                                                   title = box.windowTitle();
                                                   icon = box.icon();
                                                   buttons = static_cast<int>(box.buttons().size());
                                                   box.button(QMessageBox::Ok)->click();
                                               });
    EXPECT_TRUE(shown);
    EXPECT_EQ(Str(text), "This is the max size!");
    EXPECT_EQ(Str(title), "Lexaro");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(sizeBar()->value(), 120);
}

// A word after a line break starts with the LF of its CR LF; the band shows it on its first line
// like any other word, at every size, and the caption itself stays as the engine gives it.
TEST_F(Display, WordAfterALineBreakIsDrawnOnTheFirstLine) {
    for (const int size : {60, 120}) {
        sizeBar()->setValue(size);
        window->cmdStop_Click();
        showWord(u"two");
        const QImage alone = paintedBand();
        Child<CrLfTextEdit>(*window, "txtInputText")->setText(u"one\r\ntwo end");
        window->tmrMoveNext_Timer();
        window->tmrMoveNext_Timer();
        EXPECT_EQ(Str(band()->text()), "two") << size;
        EXPECT_EQ(paintedBand(), alone) << size;
    }
}

// --- Face ------------------------------------------------------------------------------------

// Only choosing an entry applies a face. Typed text stays in the edit field and is never applied,
// whatever happens to the focus afterwards; an entry chosen from the list after typing still is.
struct FaceCase {
    const char* name;
    const char* typed;  // nullptr: nothing typed
    std::function<void(QComboBox&)> then;
    const char* face;  // the band's face afterwards
};

class FaceChoice : public Display, public testing::WithParamInterface<FaceCase> {};

TEST_P(FaceChoice, AppliesOnlyAChosenEntry) {
    auto* faces = Child<QComboBox>(*window, "cmbFontStyle");
    showWord(u"Rag");
    const QImage arial = paintedBand();
    if (GetParam().typed != nullptr) {
        faces->lineEdit()->selectAll();
        for (const QChar ch : QString::fromLatin1(GetParam().typed)) {
            test::PressKey(faces->lineEdit(), 0, Qt::NoModifier, QString(ch));
        }
        ASSERT_EQ(Str(faces->currentText()), GetParam().typed);
    }
    GetParam().then(*faces);
    EXPECT_EQ(Str(band()->font().family()), GetParam().face);
    EXPECT_EQ(paintedBand() == arial, std::string(GetParam().face) == "Arial");
}

auto FocusOut(Qt::FocusReason reason) {
    return [reason](QComboBox& faces) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(faces.lineEdit(), &out);
    };
}

// Opens the list, moves to `row` with the arrow keys and takes it with Enter.
auto ChooseFromList(int row) {
    return [row](QComboBox& faces) {
        faces.showPopup();
        QAbstractItemView* list = faces.view();
        list->setCurrentIndex(list->model()->index(row, 0));
        test::PressKey(list, Qt::Key_Return);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FaceChoice,
    testing::Values(FaceCase{"TypedAlone", "Tahoma", [](QComboBox&) {}, "Arial"},
                    FaceCase{"TypedThenTab", "Tahoma", FocusOut(Qt::TabFocusReason), "Arial"},
                    FaceCase{"TypedInOtherCaseThenClickElsewhere", "times new roman",
                             FocusOut(Qt::MouseFocusReason), "Arial"},
                    FaceCase{"TypedThenListOpenedAndClosed", "Tahoma",
                             [](QComboBox& faces) {
                                 faces.showPopup();
                                 faces.hidePopup();
                             },
                             "Arial"},
                    FaceCase{"TypedThenChosenFromTheList", "Tahoma", ChooseFromList(3), "Verdana"},
                    FaceCase{"ChosenFromTheList", nullptr, ChooseFromList(2), "Tahoma"},
                    FaceCase{"ChosenWithAnArrowKey", nullptr,
                             [](QComboBox& faces) {
                                 faces.setCurrentIndex(0);
                                 test::PressKey(&faces, Qt::Key_Down);
                             },
                             "Times New Roman"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Display, MissingFaceIsPassedOnUnchanged) {
    auto* faces = Child<QComboBox>(*window, "cmbFontStyle");
    faces->setCurrentIndex(4);
    emit faces->activated(4);
    EXPECT_EQ(Str(band()->font().family()), "Comic Sans MS");
}

// --- Identity and exit -----------------------------------------------------------------------

TEST_F(Display, WindowHasItsOwnSixteenPixelIcon) {
    const QIcon icon = window->windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
}

class Exit : public Display, public testing::WithParamInterface<const char*> {};

TEST_P(Exit, EndsAtOnceEvenDuringAReading) {
    window->show();
    window->cmdStart_Click();
    window->tmrMoveNext_Timer();
    const std::string how = GetParam();
    if (how == "close box") {
        window->close();
    } else {
        ASSERT_TRUE(QMetaObject::invokeMethod(window.get(), GetParam()));
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Child<QTimer>(*window, "tmrMoveNext")->isActive());
}

INSTANTIATE_TEST_SUITE_P(Ways, Exit,
                         testing::Values("cmdExit_Click", "mnuFileExit_Click", "close box"));

// A word far wider than the band is shown from its start, and only as much of it as any band
// could hold goes to the label; the next word that fits is centred again.
TEST_F(Display, AWordWiderThanTheBandShowsItsStart) {
    Child<CrLfTextEdit>(*window, "txtInputText")
        ->setText(u"begin" + std::u16string(200'000, u'w') + u" end");
    window->cmdStart_Click();
    window->tmrMoveNext_Timer();
    EXPECT_EQ(band()->text().size(), 4096);
    EXPECT_TRUE(band()->text().startsWith(QStringLiteral("beginwww")));
    EXPECT_TRUE(band()->alignment().testFlag(Qt::AlignLeft));
    window->tmrMoveNext_Timer();
    EXPECT_EQ(band()->text(), QStringLiteral("end"));
    EXPECT_TRUE(band()->alignment().testFlag(Qt::AlignHCenter));
}

}  // namespace
}  // namespace lexaro
