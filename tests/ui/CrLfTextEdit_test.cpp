#include "ui/main/CrLfTextEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <optional>
#include <vector>

#include "tests/ui/widget_test_support.h"
#include "ui/QtText.h"

namespace lexaro {
namespace {

struct TextCase {
    const char* name;
    std::u16string in;
    std::u16string out;
};

class CrLfTextEditText : public testing::TestWithParam<TextCase> {};

// The box holds one character per line break; every kind of line break comes back as CR LF.
TEST_P(CrLfTextEditText, ReadsBackWithCrLfLineBreaks) {
    CrLfTextEdit box;
    box.setText(GetParam().in);
    EXPECT_EQ(box.text(), GetParam().out);
}

// A loaded text handed over whole keeps its string as the CR LF text; that view must be exactly
// the one the document itself gives, text and position map alike.
TEST_P(CrLfTextEditText, AnAdoptedTextIsViewedAsItsDocumentIs) {
    CrLfTextEdit box;
    box.adoptText(GetParam().in);
    EXPECT_EQ(box.text(), GetParam().out);
    const QString raw = box.document()->toRawText();
    const CrLfText fromDocument(ToView(raw));
    ASSERT_EQ(box.crLfText().text(), fromDocument.text());
    EXPECT_EQ(box.crLfText().lastSpace(), fromDocument.lastSpace());
    for (std::int32_t pos = 0; pos <= fromDocument.length(); ++pos) {
        EXPECT_EQ(box.crLfText().toDocument(pos), fromDocument.toDocument(pos)) << pos;
        EXPECT_EQ(box.crLfText().fromDocument(pos), fromDocument.fromDocument(pos)) << pos;
    }
}

// Copying is made from the CR LF text; it must give what the document itself would, whole or in
// part.
TEST_P(CrLfTextEditText, CopiesWhatTheDocumentWould) {
    CrLfTextEdit box;
    box.setText(GetParam().in);
    for (int from = 0; from + 1 < box.document()->characterCount(); ++from) {  // not empty
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(from);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        box.setTextCursor(cursor);
        box.copy();
        EXPECT_EQ(QApplication::clipboard()->text(), QTextDocumentFragment(cursor).toPlainText())
            << from;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CrLfTextEditText,
    testing::Values(TextCase{"CrLf", u"a\r\nb\r\n", u"a\r\nb\r\n"},
                    TextCase{"LoneLf", u"a\nb", u"a\r\nb"}, TextCase{"LoneCr", u"a\rb", u"a\r\nb"},
                    TextCase{"BlankLines", u"\r\n\r\n", u"\r\n\r\n"},
                    TextCase{"TabsNbspAndSurrogates", u"\t\u00a0\U0001F600 x\u00a0",
                             u"\t\u00a0\U0001F600 x\u00a0"},
                    TextCase{"Empty", u"", u""},
                    TextCase{"LoadedShape", u"\r\nOne two,\r\n\r\nthree ",
                             u"\r\nOne two,\r\n\r\nthree "},
                    TextCase{"Separators", u"a\u2028b\u2029c", u"a\r\nb\r\nc"},
                    TextCase{"ReservedCharacters", u"a \uFDD0\uFFFC b", u"a \r\n\uFFFC b"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CrLfTextEdit, SelectionCountsLineBreaksAsTwo) {
    CrLfTextEdit box;
    box.setText(u"ab\r\ncd\r\nef");
    box.setSelStart(4);
    box.setSelLength(4);
    EXPECT_EQ(test::Str(box.textCursor().selectedText()), "cd\u2029");
    EXPECT_EQ(box.selStart(), 4);
    EXPECT_EQ(box.selLength(), 4);
}

TEST(CrLfTextEdit, SelectionStartingBetweenCrAndLfStartsTheNextLine) {
    CrLfTextEdit box;
    box.setText(u"a\r\nb c");
    box.setSelStart(2);
    box.setSelLength(2);
    EXPECT_EQ(test::Str(box.textCursor().selectedText()), "b");
}

TEST(CrLfTextEdit, SelectionClampsToTheText) {
    CrLfTextEdit box;
    box.setText(u"abc");
    box.setSelStart(10);
    EXPECT_EQ(box.selStart(), 3);
    box.setSelStart(1);
    box.setSelLength(100);
    EXPECT_EQ(box.selLength(), 2);
}

TEST(CrLfTextEdit, EditsRefreshTheCachedText) {
    CrLfTextEdit box;
    box.setText(u"abc");
    ASSERT_EQ(box.text(), u"abc");
    box.moveCursor(QTextCursor::End);
    box.insertPlainText(QStringLiteral("\nd e"));
    EXPECT_EQ(box.text(), u"abc\r\nd e");
    EXPECT_EQ(box.crLfText().lastSpace(), 6);
}

TEST(CrLfTextEdit, LockedBoxRefusesTypingButStaysFocusableAndSelectable) {
    CrLfTextEdit box;
    box.setText(u"abc");
    box.setLocked(true);
    box.setSelStart(0);
    test::PressKey(&box, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    EXPECT_EQ(box.text(), u"abc");
    EXPECT_TRUE(box.focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(box.textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    box.setLocked(false);
    test::PressKey(&box, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    EXPECT_EQ(box.text(), u"xabc");
}

// A text of several steps goes in over several turns of the event loop and must end as the same
// document a single step makes, whether its CR LF text could be kept (CR LF only) or not.
TEST(CrLfTextEdit, AFilledTextEndsAsTheWholeTextWould) {
    std::u16string crLf;
    for (std::size_t line = 0; line < 2 * CrLfTextEdit::kFillStepLines + 7; ++line) {
        crLf += u"\r\nline " + std::u16string(line % 5, u'x');
    }
    for (const std::u16string& text : {crLf, crLf + u"\nlone LF\rlone CR"}) {
        CrLfTextEdit whole;
        whole.setText(text);
        CrLfTextEdit box;
        int filled = 0;
        QObject::connect(&box, &CrLfTextEdit::filled, [&filled] { ++filled; });
        box.adoptText(text);
        ASSERT_TRUE(box.isFilling());
        EXPECT_TRUE(box.isReadOnly());
        box.setLocked(true);                                          // a reading starts meanwhile
        box.setSelStart(static_cast<std::int32_t>(text.size()) - 3);  // not in yet: no harm
        ASSERT_TRUE(test::SpinUntil([&] { return !box.isFilling(); }));
        EXPECT_EQ(filled, 1);
        EXPECT_EQ(box.document()->toRawText(), whole.document()->toRawText());
        EXPECT_EQ(box.text(), whole.text());
        EXPECT_TRUE(box.isReadOnly());  // still locked for the reading
        EXPECT_FALSE(box.document()->isUndoAvailable());
        box.setLocked(false);
        EXPECT_FALSE(box.isReadOnly());
        EXPECT_TRUE(box.isUndoRedoEnabled());
    }
}

TEST(CrLfTextEdit, APasteTheBoxCannotTakeLeavesItAsItWas) {
    struct Paste {
        const char* name;
        std::u16string box;
        std::u16string pasted;
        std::optional<ShapeVerdict> refused;
    };
    const std::u16string halfLine(kMaxLineUnits / 2 + 1, u'a');
    for (const Paste& paste : {
             Paste{"Fits", u"ab", u"x\r\ny", std::nullopt},
             Paste{"TooManyLines", u"", std::u16string(kMaxPastedLines, u'\n'),
                   ShapeVerdict::PasteTooManyLines},
             Paste{"JoinsALineTooLong", halfLine, halfLine, ShapeVerdict::LineTooLong},
         }) {
        CrLfTextEdit box;
        box.setText(paste.box);
        box.moveCursor(QTextCursor::End);
        box.document()->setModified(false);
        std::vector<ShapeVerdict> refused;
        QObject::connect(&box, &CrLfTextEdit::pasteRefused,
                         [&refused](ShapeVerdict verdict) { refused.push_back(verdict); });
        QApplication::clipboard()->setText(ToQString(paste.pasted));
        box.paste();
        if (paste.refused) {
            EXPECT_EQ(refused, std::vector<ShapeVerdict>{*paste.refused}) << paste.name;
            EXPECT_EQ(box.text(), paste.box) << paste.name;
            EXPECT_FALSE(box.document()->isModified()) << paste.name;
        } else {
            EXPECT_TRUE(refused.empty()) << paste.name;
            EXPECT_EQ(box.text(), paste.box + paste.pasted) << paste.name;
        }
    }
}

// Wrapping a long run between words costs the square of its length; such texts wrap anywhere.
TEST(CrLfTextEdit, WrapsAnywhereOnlyWhereARunIsTooLongForWords) {
    CrLfTextEdit box;
    const std::u16string run(kWrapAnywhereRunUnits + 1, u'x');
    box.setText(u"a few words");
    EXPECT_EQ(box.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    box.adoptText(run);
    EXPECT_EQ(box.wordWrapMode(), QTextOption::WrapAnywhere);
    box.setText(u"words again");
    EXPECT_EQ(box.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A paste that makes a long run with the text it joins.
    box.setText(run.substr(1));
    box.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("yy"));
    box.paste();
    EXPECT_EQ(box.wordWrapMode(), QTextOption::WrapAnywhere);
}

// Only the long paragraph being read keeps its layout (about 35 bytes a character); one kept for
// every paragraph read would grow without bound.
TEST(CrLfTextEdit, OnlyTheLongParagraphReadKeepsItsLayout) {
    const std::u16string longLine(CrLfTextEdit::kKeptLayoutUnits, u'w');
    CrLfTextEdit box;
    box.setText(longLine + u"\r\nshort\r\n" + longLine + u"\r\n" + longLine);
    const auto kept = [&box](int block) {
        return box.document()->findBlockByNumber(block).layout()->cacheEnabled();
    };
    const auto selectIn = [&box](int block) {
        box.setSelStart(static_cast<std::int32_t>(
            box.crLfText().fromDocument(box.document()->findBlockByNumber(block).position() + 1)));
        box.setSelLength(2);
    };
    EXPECT_TRUE(kept(0));  // the caret starts in it
    for (const int block : {1, 2, 3, 0}) {
        selectIn(block);
        for (int other = 0; other < 4; ++other) {
            EXPECT_EQ(kept(other), other == block && other != 1) << block << " " << other;
        }
    }
    box.setText(longLine);  // a new text: its first paragraph is the caret's
    EXPECT_TRUE(kept(0));
}

TEST(CrLfTextEdit, SelectionIsInvisibleWhileUnfocused) {
    const CrLfTextEdit box;
    EXPECT_EQ(box.palette().color(QPalette::Inactive, QPalette::Highlight).alpha(), 0);
    EXPECT_NE(box.palette().color(QPalette::Active, QPalette::Highlight).alpha(), 0);
}

}  // namespace
}  // namespace lexaro
