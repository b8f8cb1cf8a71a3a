// SPDX-License-Identifier: GPL-2.0-or-later
// Lines: words side by side (as poppler's reading order gives them) make a line, and the reading
// of the whole document, stage by stage (see documents/pdf_layout_internal.h).

#include "documents/pdf_lines.h"

#include <algorithm>

#include "documents/bidi.h"
#include "documents/pdf_layout_internal.h"

namespace lexaro::documents {

namespace {

using pdf::Line;

double Height(const PdfWord& word) {
    return std::max(word.bottom - word.top, 1.0);
}

// The words of one line, gathered until the line is complete.
class LineBuilder {
public:
    explicit LineBuilder(const PdfLayoutParams& params) : params_(params) {}

    [[nodiscard]] bool empty() const { return words_ == 0; }

    [[nodiscard]] bool continuedBy(const PdfWord& word) const {
        const double centre = (word.top + word.bottom) / 2;
        return words_ > 0 && centre > line_.top && centre < line_.bottom &&
               word.left >= previousLeft_;
    }

    void add(const PdfWord& word) {
        if (words_ == 0) {
            line_ = {word.text, word.left, word.top, word.right, word.bottom, 0, 0, 0, false};
        } else {
            // Separate text runs can sit a visible gap apart without poppler seeing a space.
            const double em = line_.bottom - line_.top;
            if (spaceAfter_ || word.left - previousRight_ > params_.spaceGap * em) {
                line_.text += ' ';
            }
            line_.text += word.text;
            line_.top = std::min(line_.top, word.top);
            line_.bottom = std::max(line_.bottom, word.bottom);
            line_.right = std::max(line_.right, word.right);
        }
        heights_.push_back(Height(word));
        bottoms_.push_back(word.bottom);
        previousLeft_ = word.left;
        previousRight_ = word.right;
        spaceAfter_ = word.spaceAfter;
        ++words_;
    }

    Line take(int page) {
        line_.height = pdf::Median(heights_);
        line_.base = pdf::Median(bottoms_);
        line_.page = page;
        if (HasRightToLeft(line_.text)) {
            line_.text = LogicalOrder(line_.text);
        }
        heights_.clear();
        bottoms_.clear();
        words_ = 0;
        return std::move(line_);
    }

private:
    const PdfLayoutParams& params_;
    Line line_{};
    std::vector<double> heights_;
    std::vector<double> bottoms_;
    double previousLeft_ = 0;
    double previousRight_ = 0;
    bool spaceAfter_ = false;
    std::size_t words_ = 0;
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
    const std::vector<bool> furniture = pdf::FindFurniture(pages.lines, rule, params, trace);
    const std::vector<bool> aside =
        pdf::FindAsides({pages.lines, reading.blocks, furniture, pages.heights}, params, trace);
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
    LineBuilder builder(params_);
    for (const PdfWord& word : words) {
        if (word.text.empty() || (dropTurned && !word.upright)) {
            continue;
        }
        if (!builder.empty() && !builder.continuedBy(word)) {
            lines_.push_back(builder.take(page));
        }
        builder.add(word);
    }
    if (!builder.empty()) {
        lines_.push_back(builder.take(page));
    }
    for (std::size_t i = first; i < lines_.size(); ++i) {
        size_ += lines_[i].text.size() + 1;
        lines_[i].newBlock =
            i == first || static_cast<bool>(pdf::BlockStart(lines_[i - 1], lines_[i], params_));
    }
}

std::string PdfLayout::text() const {
    return Read({lines_, pageHeights_}, params_, nullptr).text;
}

std::string PdfLayout::trace() const {
    pdf::Trace trace(lines_.size());
    const pdf::Blocks blocks = Read({lines_, pageHeights_}, params_, &trace).blocks;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        // The same decision addPage made, now with its reason.
        const bool first = i == 0 || lines_[i - 1].page != lines_[i].page;
        trace[i].block = first ? pdf::Reason{pdf::Why::FirstOnPage}
                               : pdf::BlockStart(lines_[i - 1], lines_[i], params_);
    }
    return pdf::FormatTrace({lines_, blocks, pageHeights_, turnedDropped_, trace});
}

}  // namespace lexaro::documents
