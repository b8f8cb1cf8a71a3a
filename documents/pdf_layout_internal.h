// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the stages of the PDF layout (documents/pdf_lines.h) share, and nothing outside them uses:
// the line and block types, the text tests they decide by, each stage's entry, and the reasons
// they give when a trace is asked for.
//
//   pdf_lines.cpp       words to lines, page by page; the whole reading (PdfLayout::text)
//   pdf_blocks.cpp      lines to blocks: where a line is not just below the one before it
//   pdf_order.cpp       a page's blocks in reading order: column by column
//   pdf_builds.cpp      slides built up over pages: only the last step is read
//   pdf_furniture.cpp   running headers, footers and page numbers
//   pdf_asides.cpp      small type at a column's foot, read after the paragraph it interrupts
//   pdf_paragraphs.cpp  where a paragraph ends, and joining its lines (JoinPdfLines)
//   pdf_layout_text.cpp the text tests above (sentence ends, capitals, bullets, tidying)
//   pdf_layout_trace.cpp the trace printed by `lexaro-extract --layout`

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "documents/pdf_layout_params.h"
#include "documents/pdf_lines.h"

namespace lexaro::documents::pdf {

using Line = PdfLayout::Line;

struct Block {
    double left, top, right, bottom;
    double height;  // of its tallest line's typical word
};

// Why a stage did what it did with a line. Decisions return one (None: nothing happened); the
// reading keeps them only when a trace is asked for, and the trace puts them into words with the
// figures that were compared (pdf_layout_trace.cpp).
enum class Why : std::uint8_t {
    None,
    // A block starts:
    FirstOnPage,   // -
    NotBelow,      // the step down, the least and the most allowed
    Beside,        // -
    ApartInOrder,  // -
    // A block is read elsewhere than poppler gave it:
    ColumnOrder,  // its place on the page in poppler's order, its place now
    // The line is not read:
    Blank,               // -
    Repeats,             // its top, the pages it stands on the same
    NumbersFollowPages,  // its top, the pages its shape stands on, numbered as they are
    PageNumberRepeats,   // the same, for a number where other pages have theirs
    LoneNumber,          // -
    BuiltUpon,           // -
    // Near a page's edge, but read:
    EdgeKept,     // its top, the pages its kin stand on, the most of them numbered alike
    InParagraph,  // -
    PageTitle,    // its size, the body's size
    // Read after the paragraph it interrupts:
    Aside,  // its block's size, the share, the body's size
    Float,  // its size, the size of the paragraph it interrupts, the least difference
    // A paragraph starts:
    FirstRead,         // -
    SizeChanges,       // the size before, the size now
    Gap,               // the step, the factor, the usual step
    GapWithoutUsual,   // the step, the factor, the em
    Bullet,            // -
    ShortLine,         // the line before's right end, the share, the least right end of a full line
    Indent,            // the indent, the factor, the em
    StandsAlone,       // the room left at its end, the next line's first word's width, the slack
    NewBlock,          // (a new block or page, where the line does not read on:)
    ClauseEnds,        // -
    StartsCapital,     // -
    OtherSize,         // the size before, the size now
    BulletAfterBreak,  // -
    NoteStarts,        // -
    // A heading in bold is a line of its own:
    BoldRunIn,         // the bold words starting the line, the most
    BoldLine,          // the words of the bold line, the most
    AfterBoldHeading,  // -
    // A paragraph goes on across a break:
    ReadsOn,  // -
    Formula,  // -
};

struct Reason {
    Why why = Why::None;
    double a = 0, b = 0, c = 0;  // the figures, in the order the comments above name them

    explicit operator bool() const { return why != Why::None; }
};

// For each line, what the stages decided: filled only when a trace is asked for.
struct LineTrace {
    Reason order;      // why it is read elsewhere than poppler gave it
    Reason block;      // why a block starts with it
    Reason fate;       // why it is dropped, read aside, or kept though at a page's edge
    Reason paragraph;  // why a paragraph starts with it, or goes on across a break
    Reason heading;    // why it is, or its first words are, a heading in bold
};
using Trace = std::vector<LineTrace>;

// --- Text tests (pdf_layout_text.cpp) ---

double Median(std::vector<double>& values);
bool SimilarHeight(double a, double b, const PdfLayoutParams& params);
long SizeBucket(double height, const PdfLayoutParams& params);
// The body's size of type: the size most of the characters of the lines not skipped have (0 when
// there are none).
double BodySize(const std::vector<Line>& lines, const std::vector<bool>& skip,
                const PdfLayoutParams& params);
bool IsAsciiUpper(char c);
bool IsAsciiLetter(char c);
std::string Tidy(std::string_view line);  // spaces trimmed, runs of them made one
bool EndsSentence(std::string_view text);
bool EndsClause(std::string_view text);  // a sentence or a clause: ; ] »
bool StartsWithBullet(std::string_view text);
bool StartsLikeCapital(std::string_view text);
bool StartsSmall(std::string_view text);

// --- The stages, in the order the reading runs them ---

// Whether `line` starts a new block after `before`, the line above it on the same page.
Reason BlockStart(const Line& before, const Line& line, const PdfLayoutParams& params);
// The same for two lines next to each other in reading order: they are in different blocks also
// where poppler's blocks were apart (a caption across the page above a column's text).
Reason BlockStartRead(const Line& before, const Line& line, const PdfLayoutParams& params);

struct Blocks {
    std::vector<Block> boxes;
    std::vector<std::size_t> of;  // for each line, its block
};
Blocks MeasureBlocks(const std::vector<Line>& lines);

// Puts the lines of the last page, from `begin` on, in reading order (pdf_order.cpp): poppler's
// blocks column by column; sets each line's pageBlock. Whether the page has columns to read by.
bool OrderByColumns(std::vector<Line>& lines, std::size_t begin, const PdfLayoutParams& params);

// The paragraph rule (pdf_paragraphs.cpp): where a paragraph starts, from the spacing, size and
// shape of lines, and from how a sentence cut by a block or a page reads on.
class ParagraphRule {
public:
    ParagraphRule(const std::vector<Line>& lines, const Blocks& blocks,
                  const PdfLayoutParams& params);

    struct Verdict {
        bool starts;  // a paragraph starts with the line
        Reason reason;
    };
    // Whether `line` starts a paragraph after `before`, the line read just before it.
    [[nodiscard]] Verdict startsAfter(const Line& before, const Line& line) const;

    // Why two lines of one block, `line` just below `before`, are in different paragraphs: their
    // spacing, size or shape (None: they are in one).
    [[nodiscard]] Reason breakInBlock(const Line& before, const Line& line) const;

    [[nodiscard]] const PdfLayoutParams& params() const { return params_; }

private:
    [[nodiscard]] double usualStep(double height) const;
    [[nodiscard]] Reason sentenceEnds(const Line& before, const Line& line) const;
    [[nodiscard]] Reason standsAlone(const Line& before, const Line& line) const;
    [[nodiscard]] double aboveRight(const Line& line) const;
    void measureMargins();

    const std::vector<Line>& lines_;
    const Blocks& blocks_;
    const PdfLayoutParams& params_;
    std::map<long, double> steps_;  // the usual step by size of type
    std::vector<double> margins_;   // for each line, the right end of its block's text
};

// For each line, whether its page is a step of a slide built up over pages: the next page shows
// all its text and more (trace: why).
std::vector<bool> FindBuilds(const std::vector<Line>& lines, Trace* trace);

// For each line, whether it is page furniture (trace: why, and why edge lines were kept). The
// pages of `built` are not read and not counted; their lines are furniture too.
std::vector<bool> FindFurniture(const std::vector<Line>& lines, const std::vector<bool>& built,
                                const ParagraphRule& rule, const PdfLayoutParams& params,
                                Trace* trace);

// For each line, whether it is an aside (trace: why).
struct AsideInput {
    const std::vector<Line>& lines;
    const Blocks& blocks;
    const std::vector<bool>& furniture;
    const std::vector<double>& pageHeights;
};
std::vector<bool> FindAsides(const AsideInput& in, const PdfLayoutParams& params, Trace* trace);

// Marks as asides the floats: lines of another size between a paragraph cut by a column's or a
// page's end and where it reads on (trace: why).
struct FloatInput {
    const std::vector<Line>& lines;
    const Blocks& blocks;
    const std::vector<bool>& furniture;
    const ParagraphRule& rule;
};
void FindFloats(const FloatInput& in, const PdfLayoutParams& params, std::vector<bool>& aside,
                Trace* trace);

// The paragraphs, one per line, of the lines neither furniture nor blank, asides after the
// paragraph they interrupt (trace: why each paragraph starts, or goes on across a break).
struct ReadInput {
    const std::vector<Line>& lines;
    const std::vector<bool>& furniture;
    const std::vector<bool>& aside;
};
std::string ReadParagraphs(const ReadInput& in, const ParagraphRule& rule, Trace* trace);

// Joins `next` to the paragraph so far, as JoinPdfLines does. A hyphen at a line end that may be
// a printer's or a compound's is left as kLineHyphen for ResolveLineHyphens to decide once the
// whole text is read; Tidy removes the byte from text as read, so nothing else is taken for it.
constexpr char kLineHyphen = '\x1F';
void JoinLine(std::string& paragraph, std::string_view next);
void ResolveLineHyphens(std::string& text);

// The trace, page by page (pdf_layout_trace.cpp).
struct TraceInput {
    const std::vector<Line>& lines;
    const Blocks& blocks;
    const std::vector<double>& pageHeights;
    const std::vector<std::size_t>& turnedDropped;
    const std::vector<bool>& byColumns;
    const Trace& trace;
};
std::string FormatTrace(const TraceInput& in);

}  // namespace lexaro::documents::pdf
