// The program's own fixed texts keep the shape they were written to.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/terms_of_use.h"
#include "engine/welcome_text.h"

namespace lexaro {
namespace {

std::size_t Count(std::u16string_view text, std::u16string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::u16string_view::npos;
         at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

TEST(WelcomeText, HasItsDesignedShape) {
    const std::u16string_view text = WelcomeText();
    EXPECT_EQ(text.size(), 1211U);
    EXPECT_EQ(Count(text, u"\r\n"), 13U);
    EXPECT_EQ(Count(text, u"\r"), 13U);
    EXPECT_EQ(Count(text, u"\n"), 13U);
    EXPECT_EQ(Count(text, u".  "), 4U);
    EXPECT_TRUE(text.ends_with(u"!\r\n"));
    EXPECT_FALSE(text.ends_with(u"\r\n\r\n"));
    EXPECT_TRUE(text.starts_with(
        u"Welcome to Lexaro... the place where Reading is easier, faster, and more "
        u"efficient!\r\n\r\n"));
}

TEST(WelcomeText, HasSevenParagraphsSeparatedByOneEmptyLine) {
    const std::u16string_view text = WelcomeText();
    std::size_t paragraphs = 0;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(u"\r\n\r\n", start)) != std::u16string_view::npos;
         start = at + 4) {
        EXPECT_GT(at, start) << "an empty paragraph";
        ++paragraphs;
    }
    EXPECT_EQ(paragraphs + 1, 7U);
    EXPECT_EQ(Count(text, u"\r\n\r\n\r\n"), 0U);
}

TEST(WelcomeText, Has204WordsAndOnlyLettersBlanksAndSixMarks) {
    const std::u16string_view text = WelcomeText();
    std::size_t words = 0;
    bool inWord = false;
    std::u16string marks;
    for (const char16_t ch : text) {
        const bool separator = ch == u' ' || ch == u'\r' || ch == u'\n';
        if (!separator && !inWord) {
            ++words;
        }
        inWord = !separator;
        const bool letter = (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z');
        if (!letter && !separator) {
            ASSERT_NE(std::u16string_view(u"!'+,-.").find(ch), std::u16string_view::npos)
                << "unexpected character " << static_cast<int>(ch);
            if (marks.find(ch) == std::u16string::npos) {
                marks.push_back(ch);
            }
        }
    }
    EXPECT_EQ(words, 204U);
    std::sort(marks.begin(), marks.end());
    EXPECT_EQ(marks, u"!'+,-.");
}

}  // namespace
}  // namespace lexaro

namespace lexaro {
namespace {

TEST(TermsOfUse, HasFiveParagraphsTheFirstTwoWithOneInnerLineBreak) {
    const std::u16string_view text = TermsOfUseText();
    EXPECT_EQ(text.size(), 985U);
    EXPECT_TRUE(text.ends_with(u".\r\n") || text.ends_with(u"!\r\n"));
    EXPECT_FALSE(text.ends_with(u"\r\n\r\n"));
    std::vector<std::u16string_view> paragraphs;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(u"\r\n\r\n", start)) != std::u16string_view::npos;
         start = at + 4) {
        paragraphs.push_back(text.substr(start, at - start));
    }
    paragraphs.push_back(text.substr(start, text.size() - 2 - start));
    ASSERT_EQ(paragraphs.size(), 5U);
    const std::size_t innerBreaks[] = {1, 1, 0, 0, 0};
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        EXPECT_FALSE(paragraphs[i].empty());
        EXPECT_EQ(Count(paragraphs[i], u"\r\n"), innerBreaks[i]) << "paragraph " << i;
        EXPECT_EQ(Count(paragraphs[i], u"\r"), innerBreaks[i]);
        EXPECT_EQ(Count(paragraphs[i], u"\n"), innerBreaks[i]);
    }
}

}  // namespace
}  // namespace lexaro
