// SPDX-License-Identifier: GPL-2.0-or-later
// Reading order on a page: poppler's blocks (runs of lines each just below the one before) put
// column by column. poppler reads a two-column page well until a float stands in a column: then a
// list, a table or a footnote block of one column may be read between two blocks of the other, or
// the foot of the left column before its top. The order here is the one a reader follows:
//
//   - of two blocks that share some width of the page, the one above is read first;
//   - of two side by side, the left is read first, unless something between them in height spans
//     both (a title, a figure or a table across the page): then the page reads down in bands, each
//     column by column (a block left of the gutter below a wide figure comes after the right
//     column above it);
//   - where neither rule decides, or they contradict each other (a table's cells, a figure's
//     labels), poppler's order stands.
//
// This is the ordering by "before" relations of Breuel's layout analysis (2003), over blocks
// rather than lines, so that a table's cells keep the order poppler gives them.

#include <algorithm>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

struct Box {
    double left, top, right, bottom;
};

// The blocks of the lines [begin, end) in poppler's order, each as its first line and its box. A
// block of short lines only (a table's cells, a figure's labels, a formula's pieces) near the one
// before, short too, is one with it: poppler reads a table's cells in an order of its own, which
// stands.
struct PageBlocks {
    std::vector<std::size_t> first;  // the index of each block's first line, and one past the last
    std::vector<Box> boxes;
    std::vector<int> wideLines;  // how many lines of running text each has
};

class BlockGatherer {
public:
    explicit BlockGatherer(const PdfLayoutParams& params) : params_(params) {}

    void add(Line& line, bool starts, std::size_t index) {
        const bool shortLine = line.right - line.left < params_.columnLineEms * line.height;
        if (starts && !(shortLine && shortBlock_ && near(line))) {
            blocks_.first.push_back(index);
            blocks_.boxes.push_back({line.left, line.top, line.right, line.bottom});
            blocks_.wideLines.push_back(0);
            shortBlock_ = true;
        }
        blocks_.wideLines.back() += shortLine ? 0 : 1;
        shortBlock_ = shortBlock_ && shortLine;
        line.pageBlock = static_cast<int>(blocks_.boxes.size() - 1);
        Box& box = blocks_.boxes.back();
        box.left = std::min(box.left, line.left);
        box.top = std::min(box.top, line.top);
        box.right = std::max(box.right, line.right);
        box.bottom = std::max(box.bottom, line.bottom);
    }

    PageBlocks take(std::size_t end) {
        blocks_.first.push_back(end);
        return std::move(blocks_);
    }

private:
    [[nodiscard]] bool near(const Line& line) const {
        const Box& box = blocks_.boxes.back();
        const double reach = params_.orderNearEms * line.height;
        return line.left < box.right + reach && box.left < line.right + reach &&
               line.top < box.bottom + reach && box.top < line.bottom + reach;
    }

    const PdfLayoutParams& params_;
    PageBlocks blocks_;
    bool shortBlock_ = false;  // the last block has only short lines
};

PageBlocks BlocksOfPage(std::vector<Line>& lines, std::size_t begin, std::size_t end,
                        const PdfLayoutParams& params) {
    BlockGatherer gatherer(params);
    for (std::size_t i = begin; i < end; ++i) {
        gatherer.add(lines[i], i == begin || BlockStart(lines[i - 1], lines[i], params), i);
    }
    return gatherer.take(end);
}

class Precedence {
public:
    Precedence(const std::vector<Box>& boxes, const PdfLayoutParams& params)
        : boxes_(boxes), slack_(params.orderSlack) {}

    // Whether block `a` is read before block `b`.
    [[nodiscard]] bool precedes(std::size_t a, std::size_t b) const {
        const Box& first = boxes_[a];
        const Box& second = boxes_[b];
        if (acrossOverlap(first, second)) {
            // One above the other; where they overlap in height too (a formula's pieces, a
            // stray mark at a block's top) poppler's order stands.
            const bool above = first.bottom <= second.top + slack_;
            const bool below = second.bottom <= first.top + slack_;
            return above || (!below && a < b);
        }
        return first.right <= second.left + slack_ && !spannedBetween(a, b);
    }

private:
    [[nodiscard]] bool acrossOverlap(const Box& a, const Box& b) const {
        return a.left < b.right - slack_ && b.left < a.right - slack_;
    }

    // Whether a block stands in the height between `a` and `b` and shares width with both: a title
    // or a figure across the columns, which the page reads down past in bands.
    [[nodiscard]] bool spannedBetween(std::size_t a, std::size_t b) const {
        const double upper = std::min(boxes_[a].bottom, boxes_[b].bottom) - slack_;
        const double lower = std::max(boxes_[a].top, boxes_[b].top) + slack_;
        for (std::size_t c = 0; c < boxes_.size(); ++c) {
            const Box& box = boxes_[c];
            if (c != a && c != b && box.top >= upper && box.bottom <= lower &&
                acrossOverlap(box, boxes_[a]) && acrossOverlap(box, boxes_[b])) {
                return true;
            }
        }
        return false;
    }

    const std::vector<Box>& boxes_;
    double slack_;
};

// The blocks in an order that keeps every "before": of those whose predecessors are all read, the
// one poppler gave first; where the relations go round in a circle, the first one left.
std::vector<std::size_t> OrderBlocks(const std::vector<Box>& boxes, const PdfLayoutParams& params) {
    const std::size_t count = boxes.size();
    const Precedence precedence(boxes, params);
    std::vector<std::size_t> waiting(count, 0);  // for each block, its predecessors not yet read
    std::vector<std::vector<std::size_t>> after(count);
    for (std::size_t a = 0; a < count; ++a) {
        for (std::size_t b = 0; b < count; ++b) {
            if (a != b && precedence.precedes(a, b)) {
                after[a].push_back(b);
                ++waiting[b];
            }
        }
    }
    std::vector<bool> read(count, false);
    std::vector<std::size_t> order;
    while (order.size() < count) {
        std::size_t next = count;
        for (std::size_t b = 0; b < count && next == count; ++b) {
            next = !read[b] && waiting[b] == 0 ? b : count;
        }
        for (std::size_t b = 0; b < count && next == count; ++b) {
            next = read[b] ? count : b;
        }
        read[next] = true;
        order.push_back(next);
        for (const std::size_t b : after[next]) {
            --waiting[b];
        }
    }
    return order;
}

// Whether the page has columns: two blocks of running text (of several wide lines each) side by
// side. On a page of one column poppler's order stands, whatever stands beside the text (a page
// number in the margin, a table's cells, a form's fields).
bool HasColumns(const PageBlocks& blocks, const PdfLayoutParams& params) {
    std::vector<const Box*> text;
    for (std::size_t b = 0; b < blocks.boxes.size(); ++b) {
        if (blocks.wideLines[b] >= params.columnBlockLines) {
            text.push_back(&blocks.boxes[b]);
        }
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (std::size_t j = i + 1; j < text.size(); ++j) {
            const Box& a = *text[i];
            const Box& b = *text[j];
            if (a.top < b.bottom && b.top < a.bottom && (a.right < b.left || b.right < a.left)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool OrderByColumns(std::vector<Line>& lines, std::size_t begin, const PdfLayoutParams& params) {
    const std::size_t end = lines.size();
    const PageBlocks blocks = BlocksOfPage(lines, begin, end, params);
    const std::size_t count = blocks.boxes.size();
    if (count < 2 || count > static_cast<std::size_t>(std::max(params.orderMostBlocks, 0)) ||
        !HasColumns(blocks, params)) {
        return false;
    }
    std::vector<Line> ordered;
    ordered.reserve(end - begin);
    for (const std::size_t block : OrderBlocks(blocks.boxes, params)) {
        for (std::size_t i = blocks.first[block]; i < blocks.first[block + 1]; ++i) {
            ordered.push_back(std::move(lines[i]));
        }
    }
    std::move(ordered.begin(), ordered.end(), lines.begin() + static_cast<std::ptrdiff_t>(begin));
    return true;
}

}  // namespace lexaro::documents::pdf
