// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Turning the positioned words of a PDF back into paragraphs, kept apart from poppler so it can be
// tested and fuzzed on its own. PdfLayout takes the pages one by one and reads them as a person
// would:
//
//   - Lines: words side by side (as poppler's reading order gives them) make a line; a line with
//     right-to-left script is put into logical order. Text turned on its side in the margin of a
//     page that is otherwise upright (a print stamp, an archive's side label) is dropped.
//   - Blocks: a line that is not just below the one before it (a new column, a jump across the
//     page) starts a new block. On a page with columns the blocks are read column by column: of
//     two that share width the higher first, of two side by side the left first unless something
//     across both stands between them (a title, a wide figure: then the page reads in bands).
//   - Paragraphs: inside a block a paragraph ends where the spacing between lines opens up past the
//     document's usual step for that size of type, the size changes, a line starts with a bullet,
//     or a sentence ends on a short line or before an indented one. The usual step is the most
//     common one, so a code listing or a table does not set it for the body around it.
//   - Page furniture: lines at the top or bottom of a page that repeat there on three pages or
//     more, the same or with numbers that go up with the pages (page numbers, in Arabic or Roman
//     figures), and lone page numbers are dropped. A line whose kin differ in numbers that do not
//     follow the pages (a table's rows, a line starting "I" or "28") is kept, and so is a numbered
//     one that a paragraph of the text runs through. Where in doubt the line is kept: a repeated
//     header costs the reader a second, a lost line the sentence.
//   - Slides: a page whose text all stands on the next page (a list shown an item at a time) is
//     read once, at its last step; a slide's title, the first line of a page in large type, is
//     read on every slide it stands on.
//   - Small type at the foot of a column (footnotes, a copyright box) is read after the paragraph
//     that runs past it, so that paragraph reads on into the next column or page; so is what
//     stands between in type of another size (a figure's labels and caption, a table at the next
//     page's top) where a sentence breaks off at a column's or a page's end and reads on.
//   - A line that stops where the next line's first word would have fitted, followed at its
//     indent by one that starts like a capital, is a line of its own (a heading, a list item whose
//     bullet is drawn, a verse's or an address's line); so is a title a size or two larger than
//     the line below it.
//   - A heading in bold is a line of its own: the bold words a paragraph's first line starts with,
//     the line going on in prose ("Sample efficiency" / "We explore ..."), or a short line all in
//     bold after a sentence's end, and the paragraph after it. Bold words inside a sentence, a
//     caption's label ("Figure 2.") and a table's bold cells stay where they are.
//   - A paragraph cut by a column or page ends there only if it ends a sentence: a line that stops
//     mid-sentence, followed by one that starts with a small letter, reads on.
//   - Notes: a raised number or symbol in smaller type after a word ("Forner¹", "practice²,") is a
//     word of its own, "[1]"; a line that starts with one starts a note, "[1] The code is ...",
//     and a paragraph of its own.
//
// Every threshold these rules use is a named field of PdfLayoutParams; each stage has a file of its
// own (see documents/pdf_layout_internal.h), and trace() tells what they decided, line by line.
//
// JoinPdfLines is the rule for joining the lines of one paragraph: a word hyphenated across a line
// end is joined ("exam-" + "ple" → "example") unless the document writes it with a hyphen and never
// without ("open-" + "domain" → "open-domain": its own words vote, once the whole text is read); a
// hyphen before a capital or a digit, or after an abbreviation in capitals, is a real one and stays
// ("Jean-" + "Paul" → "Jean-Paul", "1990-" + "2000", "FAA-" + "approved"); a dash right after a
// word joins without a space ("children—and", "222–228"); other lines join with a space.

#include <string>
#include <string_view>
#include <vector>

#include "documents/pdf_layout_params.h"

namespace lexaro::documents {

struct PdfWord {
    std::string text;  // UTF-8
    double left = 0;   // the word's box, in points, y growing downwards
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool spaceAfter = false;  // poppler saw a space between this word and the next on its line
    bool upright = true;      // the text runs left to right across the page, not turned
    bool bold = false;        // set in a bold face (recognised text never is)
};

class PdfLayout {
public:
    explicit PdfLayout(const PdfLayoutParams& params = {}) : params_(params) {}

    // `words` in poppler's reading order; `height` is the page's, in points.
    void addPage(const std::vector<PdfWord>& words, double height);

    // Bytes of text gathered so far: a bound on the size of text().
    [[nodiscard]] std::size_t size() const { return size_; }

    // The document's paragraphs, one per line.
    [[nodiscard]] std::string text() const;

    // The same reading told line by line, for tuning the parameters: for each page its blocks and
    // lines with their boxes (in points), and why each block or paragraph starts, why a line is
    // dropped or read aside, and why a paragraph goes on across a break.
    [[nodiscard]] std::string trace() const;

    struct Line {
        std::string text;
        double left, top, right, bottom;
        double height;  // of the line's typical word, so a superscript does not make it taller
        double base;    // the typical word's bottom
        int page;
        bool newBlock;
        bool noteStart;  // it starts with a note's mark: "[1] The code is at ..."
        int pageBlock;   // its block's place on its page in poppler's order, which the reading
                         // order may change (documents/pdf_order.cpp)
        // The bold words the line starts with: their count and the bytes of the text they take
        // (all of it where the whole line is bold; none in a line read right to left).
        int boldWords = 0;
        std::size_t boldBytes = 0;
    };

private:
    PdfLayoutParams params_;
    std::vector<Line> lines_;
    std::vector<double> pageHeights_;
    std::vector<std::size_t> turnedDropped_;  // for each page, the turned words left out
    std::vector<bool> byColumns_;             // for each page, whether it is read by columns
    std::size_t size_ = 0;
};

[[nodiscard]] std::string JoinPdfLines(std::string_view text);

}  // namespace lexaro::documents
