#include "ui/main/CrLfTextEdit.h"

#include <gtest/gtest.h>

#include <QTextCursor>

#include "tests/ui/widget_test_support.h"

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
    const CrLfText fromDocument(
        std::u16string_view(reinterpret_cast<const char16_t*>(raw.utf16()), raw.size()));
    ASSERT_EQ(box.crLfText().text(), fromDocument.text());
    EXPECT_EQ(box.crLfText().lastSpace(), fromDocument.lastSpace());
    for (std::int32_t pos = 0; pos <= fromDocument.length(); ++pos) {
        EXPECT_EQ(box.crLfText().toDocument(pos), fromDocument.toDocument(pos)) << pos;
        EXPECT_EQ(box.crLfText().fromDocument(pos), fromDocument.fromDocument(pos)) << pos;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CrLfTextEditText,
    testing::Values(TextCase{"CrLf", u"a\r\nb\r\n", u"a\r\nb\r\n"},
                    TextCase{"LoneLf", u"a\nb", u"a\r\nb"}, TextCase{"LoneCr", u"a\rb", u"a\r\nb"},
                    TextCase{"BlankLines", u"\r\n\r\n", u"\r\n\r\n"},
                    TextCase{"TabsNbspAndSurrogates", u"\t\u00a0\U0001F600", u"\t\u00a0\U0001F600"},
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

TEST(CrLfTextEdit, SelectionIsInvisibleWhileUnfocused) {
    const CrLfTextEdit box;
    EXPECT_EQ(box.palette().color(QPalette::Inactive, QPalette::Highlight).alpha(), 0);
    EXPECT_NE(box.palette().color(QPalette::Active, QPalette::Highlight).alpha(), 0);
}

}  // namespace
}  // namespace lexaro
