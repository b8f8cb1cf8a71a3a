// SPDX-License-Identifier: GPL-2.0-or-later
// Lines: words side by side (as poppler's reading order gives them) make a line, and the reading
// of the whole document, stage by stage (see documents/pdf_layout_internal.h).

#include "documents/pdf_lines.h"

#include <algorithm>
#include <string_view>

#include "documents/bidi.h"
#include "documents/pdf_layout_internal.h"

namespace lexaro::documents {

namespace {

using pdf::Line;

double Height(const PdfWord& word) {
    return std::max(word.bottom - word.top, 1.0);
}

// What a note mark can be: a number of up to three figures (not starting with 0: a prime drawn
// as a raised "0" is not a note), or a symbol a printer marks notes with (∗ † ‡ § ¶ * ‖).
bool LooksLikeMark(std::string_view text) {
    if (!text.empty() && text.size() <= 3 && text[0] != '0' &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return true;
    }
    for (const std::string_view symbol : {"\xE2\x88\x97", "\xE2\x80\xA0", "\xE2\x80\xA1",
                                          "\xC2\xA7", "\xC2\xB6", "*", "\xE2\x80\x96"}) {
        if (text == symbol) {
            return true;
        }
    }
    return false;
}

// A mark stands raised at the start of the word it belongs to: poppler may give it later in the
// page (after the note's first line, even after the next column's text). It is put back before
// that word, unless it already follows a word of its own line (a mark in the text).
void MarksBeforeTheirText(std::vector<const PdfWord*>& words, const PdfLayoutParams& params) {
    const auto besideOnLine = [](const PdfWord& left, const PdfWord& right, double reach) {
        return right.left >= left.right - 0.5 && right.left <= left.right + reach &&
               left.top < right.bottom && right.top < left.bottom;
    };
    // A mark is set smaller than the page's usual word (this also spares a page of figures, a
    // table's, a search through all its words for each).
    std::vector<double> heights;
    heights.reserve(words.size());
    for (const PdfWord* word : words) {
        heights.push_back(Height(*word));
    }
    const double usual = heights.empty() ? 0 : pdf::Median(heights);
    for (std::size_t m = 0; m < words.size(); ++m) {
        const PdfWord& mark = *words[m];
        bool movedOn = false;
        if (Height(mark) > params.superscriptHeight * usual) {
            continue;
        }
        // Only a mark standing apart from the words read before and after it, as in a formula's
        // pieces or a line of text the marks are in place.
        const auto near = [&mark](const PdfWord& word) {
            const double reach = 2 * std::max(Height(word), Height(mark));
            return word.top < mark.bottom && mark.top < word.bottom &&
                   word.left < mark.right + reach && mark.left < word.right + reach;
        };
        if (!mark.upright || !LooksLikeMark(mark.text) || (m > 0 && near(*words[m - 1])) ||
            (m + 1 < words.size() && near(*words[m + 1]))) {
            continue;
        }
        for (std::size_t j = 0; j < words.size(); ++j) {
            const PdfWord& word = *words[j];
            const double em = Height(word);
            // The word a note starts with is the first of its line.
            const bool startsLine =
                j == 0 || !(words[j - 1]->top < word.bottom && word.top < words[j - 1]->bottom &&
                            words[j - 1]->left < word.left);
            if (j == m || j == m + 1 || !startsLine || word.left <= mark.left ||
                !besideOnLine(mark, word, params.markGap * em) ||
                Height(mark) > params.superscriptHeight * em ||
                mark.bottom > word.bottom - params.superscriptRaise * em) {
                continue;
            }
            const PdfWord* moved = words[m];
            words.erase(words.begin() + static_cast<std::ptrdiff_t>(m));
            const std::size_t to = j > m ? j - 1 : j;
            words.insert(words.begin() + static_cast<std::ptrdiff_t>(to), moved);
            movedOn = j > m;
            break;
        }
        if (movedOn) {
            --m;  // the word now at m came after the mark: look at it too
        }
    }
}

// A note mark in a line may follow a word of a few letters or a sentence's end ("Forner1",
// "practice2,", "retrieval.∗"), not a figure, a symbol or a single letter, after which a raised
// number is a power ("102", "x2", "γ2"), nor a function's name ("sin2", "log2").
bool MarkMayFollow(std::string_view text, const PdfLayoutParams& params) {
    while (!text.empty() && (text.back() == '.' || text.back() == ',' || text.back() == ')' ||
                             text.back() == ';' || text.back() == ':')) {
        text.remove_suffix(1);
    }
    // Letters: ASCII, and Latin, Greek and Cyrillic ones (their UTF-8 leads are 0xC3 to 0xD3),
    // counted as characters.
    std::size_t start = text.size();
    int letters = 0;
    while (start > 0) {
        const auto byte = static_cast<unsigned char>(text[start - 1]);
        if (byte >= 0x80 && byte < 0xC0 && start >= 2) {
            const auto lead = static_cast<unsigned char>(text[start - 2]);
            if (lead < 0xC3 || lead > 0xD3) {
                break;
            }
            start -= 2;
        } else if (pdf::IsAsciiLetter(static_cast<char>(byte))) {
            --start;
        } else {
            break;
        }
        ++letters;
    }
    const std::string_view word = text.substr(start);
    for (const std::string_view function :
         {"sin", "cos", "tan", "cot", "sec", "csc", "log", "exp", "sinh", "cosh", "tanh"}) {
        if (word == function) {
            return false;
        }
    }
    return letters >= std::max(params.markAfterLetters, 1);
}

bool StartsWithPunctuation(std::string_view text) {
    return text.starts_with(',') || text.starts_with('.') || text.starts_with(';') ||
           text.starts_with(':') || text.starts_with(')');
}

// The words of one line, gathered until the line is complete.
class LineBuilder {
public:
    explicit LineBuilder(const PdfLayoutParams& params) : params_(params) {}

    [[nodiscard]] bool empty() const { return pieces_.empty(); }

    [[nodiscard]] bool continuedBy(const PdfWord& word) const {
        if (pieces_.empty() || word.left < pieces_.back().word->left) {
            return false;
        }
        const double centre = (word.top + word.bottom) / 2;
        if (centre > line_.top && centre < line_.bottom) {
            return true;
        }
        // A mark raised higher still, touching the word before it.
        const PdfWord& last = *pieces_.back().word;
        const double em = Height(last);
        if (LooksLikeMark(word.text) && word.bottom > line_.top && word.top < line_.bottom &&
            word.left - last.right <= params_.markGap * em &&
            Height(word) <= params_.superscriptHeight * em &&
            word.bottom <= last.bottom - params_.superscriptRaise * em) {
            return true;
        }
        // A raised mark starting a note is continued by the note's first word, which it overlaps
        // only at the top.
        const double markCentre = (line_.top + line_.bottom) / 2;
        return pieces_.size() == 1 && LooksLikeMark(pieces_[0].word->text) &&
               markCentre > word.top && markCentre < word.bottom;
    }

    void add(const PdfWord& word) {
        bool spaceBefore = false;
        if (pieces_.empty()) {
            line_ = {{}, word.left, word.top, word.right, word.bottom, 0, 0,
                     0,  false,     false,    0,          0,           0};
        } else {
            // Separate text runs can sit a visible gap apart without poppler seeing a space.
            const double em = line_.bottom - line_.top;
            spaceBefore = pieces_.back().word->spaceAfter ||
                          word.left - pieces_.back().word->right > params_.spaceGap * em;
            line_.top = std::min(line_.top, word.top);
            line_.bottom = std::max(line_.bottom, word.bottom);
            line_.right = std::max(line_.right, word.right);
        }
        pieces_.push_back({&word, spaceBefore});
    }

    // The line taken before, on the same page (none: nullptr).
    void follows(const Line* before) { before_ = before; }

    Line take(int page) {
        std::vector<double> heights;
        std::vector<double> bottoms;
        for (const Piece& piece : pieces_) {
            heights.push_back(Height(*piece.word));
            bottoms.push_back(piece.word->bottom);
        }
        line_.height = pdf::Median(heights);
        line_.base = pdf::Median(bottoms);
        line_.page = page;
        line_.text = textWithMarks();
        if (HasRightToLeft(line_.text)) {
            line_.text = LogicalOrder(line_.text);
            line_.boldWords = 0;
            line_.boldBytes = 0;
        }
        pieces_.clear();
        return std::move(line_);
    }

private:
    struct Piece {
        const PdfWord* word;  // in the page's words, which outlive the line's building
        bool spaceBefore;
    };

    // A raised number or symbol in smaller type is a note mark: a word of its own, "[n]", after
    // the word it marks, or starting the line of the note it begins.
    [[nodiscard]] bool isMark(std::size_t i) const {
        const PdfWord& word = *pieces_[i].word;
        if (!LooksLikeMark(word.text)) {
            return false;
        }
        // A raised figure run into what follows is a fraction's or a formula's ("1/n").
        const bool runsOn = i > 0 && i + 1 < pieces_.size() && !pieces_[i + 1].spaceBefore &&
                            !StartsWithPunctuation(pieces_[i + 1].word->text);
        return LooksLikeMark(word.text) && !runsOn &&
               Height(word) <= params_.superscriptHeight * line_.height &&
               word.bottom <= line_.base - params_.superscriptRaise * line_.height &&
               (i > 0 ? MarkMayFollow(pieces_[i - 1].word->text, params_) : !raisesLineBefore());
    }

    // A mark starting a line right of the line before, at its height, is that line's last word's
    // power ("R²" where poppler splits the "2" off), not a note's start.
    [[nodiscard]] bool raisesLineBefore() const {
        const PdfWord& mark = *pieces_[0].word;
        return before_ != nullptr && mark.top < before_->bottom && before_->top < mark.bottom &&
               mark.left >= before_->right - params_.markGap * before_->height;
    }

    std::string textWithMarks() {
        std::string text;
        bool afterMark = false;
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            const std::string& word = pieces_[i].word->text;
            const bool mark = isMark(i);
            const bool punctuation = StartsWithPunctuation(word);
            if (i > 0 && (mark || (afterMark ? !punctuation : pieces_[i].spaceBefore))) {
                text += ' ';
            }
            text += mark ? "[" + word + "]" : word;
            line_.noteStart = line_.noteStart || (mark && i == 0 && pieces_.size() > 1);
            if (pieces_[i].word->bold && line_.boldWords == static_cast<int>(i)) {
                ++line_.boldWords;
                line_.boldBytes = text.size();
            }
            afterMark = mark;
        }
        return text;
    }

    const PdfLayoutParams& params_;
    Line line_{};
    std::vector<Piece> pieces_;
    const Line* before_ = nullptr;
};

struct Pages {
    const std::vector<Line>& lines;
    const std::vector<double>& heights;
};

struct Reading {
    std::string text;
    pdf::Blocks blocks;
};

// The stages in turn, from the lines of every page to the text.
Reading Read(const Pages& pages, const PdfLayoutParams& params, pdf::Trace* trace) {
    Reading reading{{}, pdf::MeasureBlocks(pages.lines)};
    const pdf::ParagraphRule rule(pages.lines, reading.blocks, params);
    const std::vector<bool> built = pdf::FindBuilds(pages.lines, trace);
    const std::vector<bool> furniture = pdf::FindFurniture(pages.lines, built, rule, params, trace);
    std::vector<bool> aside =
        pdf::FindAsides({pages.lines, reading.blocks, furniture, pages.heights}, params, trace);
    pdf::FindFloats({pages.lines, reading.blocks, furniture, rule}, params, aside, trace);
    reading.text = pdf::ReadParagraphs({pages.lines, furniture, aside}, rule, trace);
    return reading;
}

}  // namespace

void PdfLayout::addPage(const std::vector<PdfWord>& words, double height) {
    const int page = static_cast<int>(pageHeights_.size());
    pageHeights_.push_back(height);
    // Text turned on its side in the margin of a page that is otherwise upright (a print stamp,
    // an archive's side label) is left out.
    const auto turned = static_cast<std::size_t>(
        std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return !w.upright; }));
    const bool dropTurned = static_cast<double>(turned) <
                            params_.turnedShareDropped * static_cast<double>(words.size());
    turnedDropped_.push_back(dropTurned ? turned : 0);
    const std::size_t first = lines_.size();
    std::vector<const PdfWord*> ordered;
    ordered.reserve(words.size());
    for (const PdfWord& word : words) {
        ordered.push_back(&word);
    }
    MarksBeforeTheirText(ordered, params_);
    LineBuilder builder(params_);
    for (const PdfWord* next : ordered) {
        const PdfWord& word = *next;
        if (word.text.empty() || (dropTurned && !word.upright)) {
            continue;
        }
        if (!builder.empty() && !builder.continuedBy(word)) {
            builder.follows(lines_.size() > first ? &lines_.back() : nullptr);
            lines_.push_back(builder.take(page));
        }
        builder.add(word);
    }
    if (!builder.empty()) {
        builder.follows(lines_.size() > first ? &lines_.back() : nullptr);
        lines_.push_back(builder.take(page));
    }
    byColumns_.push_back(pdf::OrderByColumns(lines_, first, params_));
    for (std::size_t i = first; i < lines_.size(); ++i) {
        size_ += lines_[i].text.size() + 1;
        lines_[i].newBlock =
            i == first || static_cast<bool>(pdf::BlockStartRead(lines_[i - 1], lines_[i], params_));
    }
}

std::string PdfLayout::text() const {
    return Read({lines_, pageHeights_}, params_, nullptr).text;
}

std::string PdfLayout::trace() const {
    pdf::Trace trace(lines_.size());
    const pdf::Blocks blocks = Read({lines_, pageHeights_}, params_, &trace).blocks;
    int place = 0;  // the place on its page of the block being read
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        // The same decisions addPage made, now with their reasons.
        const bool first = i == 0 || lines_[i - 1].page != lines_[i].page;
        trace[i].block = first ? pdf::Reason{pdf::Why::FirstOnPage}
                               : pdf::BlockStartRead(lines_[i - 1], lines_[i], params_);
        if (first || lines_[i - 1].pageBlock != lines_[i].pageBlock) {
            place = first ? 0 : place + 1;
            if (lines_[i].pageBlock != place) {
                trace[i].order = {pdf::Why::ColumnOrder, lines_[i].pageBlock + 1.0, place + 1.0};
            }
        }
    }
    return pdf::FormatTrace({lines_, blocks, pageHeights_, turnedDropped_, byColumns_, trace});
}

}  // namespace lexaro::documents
