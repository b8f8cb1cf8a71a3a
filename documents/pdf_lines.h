#pragma once
// Turning the positioned words of a PDF page back into paragraphs. Two pure steps, kept apart
// from poppler so they can be tested and fuzzed on their own:
//
//   LayOutPdfWords: words in reading order (as poppler's text list gives them) → the page's lines,
//   LF between lines and an empty line between paragraphs. A paragraph ends where the spacing
//   between lines opens up, the size of the type changes, the text jumps up (a new column), or a
//   short line ending a sentence is followed by a longer or indented one.
//
//   JoinPdfLines: such text → one line per paragraph. A word hyphenated across a line end is
//   joined ("exam-" + "ple" → "example"); a hyphen before a capital or a digit is a real one and
//   stays ("Jean-" + "Paul" → "Jean-Paul", "1990-" + "2000"); other lines join with a space.

#include <string>
#include <string_view>
#include <vector>

namespace lexaro::documents {

struct PdfWord {
    std::string text;  // UTF-8
    double left = 0;   // the word's box, in points, y growing downwards
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool spaceAfter = false;  // poppler saw a space between this word and the next on its line
};

[[nodiscard]] std::string LayOutPdfWords(const std::vector<PdfWord>& words);

[[nodiscard]] std::string JoinPdfLines(std::string_view text);

}  // namespace lexaro::documents
