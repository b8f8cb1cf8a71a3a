// SPDX-License-Identifier: GPL-2.0-or-later
// Asides: blocks of small type in the lower part of a page that the body text goes on past (it
// comes back higher up, in the next column): footnotes, a copyright box, a caption. They are read
// after the paragraph that was open when they were met, so that paragraph reads on unbroken.
//
// Floats: where a sentence breaks off at a column's or a page's end and reads on in the next, what
// stands between in type of another size (the column's footnotes, a figure with its labels and
// caption, a table at the next page's top) is read after that paragraph too.

#include <algorithm>
#include <cmath>
#include <limits>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

std::vector<bool> FindAsides(const AsideInput& in, const PdfLayoutParams& params, Trace* trace) {
    const std::vector<Line>& lines = in.lines;
    std::vector<bool> aside(lines.size(), false);
    if (std::find(in.furniture.begin(), in.furniture.end(), false) == in.furniture.end()) {
        return aside;  // every line is furniture
    }
    const double body = BodySize(in.lines, in.furniture, params);
    // Walking back, the highest top of a body-sized block still to come on the page.
    double highestLater = 0;
    for (std::size_t i = lines.size(); i-- > 0;) {
        const Block& block = in.blocks.boxes[in.blocks.of[i]];
        const Line& line = lines[i];
        if (i + 1 == lines.size() || lines[i + 1].page != line.page) {
            highestLater = std::numeric_limits<double>::infinity();
        }
        const double pageHeight = in.pageHeights[static_cast<std::size_t>(line.page)];
        const bool small = block.height < params.asideSmaller * body &&
                           line.top >= pageHeight * params.asideBelowShare;
        aside[i] = small && highestLater < block.top;
        if (aside[i] && !in.furniture[i] && trace != nullptr) {
            (*trace)[i].fate = {Why::Aside, block.height, params.asideSmaller, body};
        }
        if (!in.furniture[i] && SimilarHeight(block.height, body, params)) {
            highestLater = std::min(highestLater, block.top);
        }
    }
    return aside;
}

namespace {

// Finding the floats: walking the lines read, the body line before the one that interrupts.
class FloatFinder {
public:
    FloatFinder(const FloatInput& in, const PdfLayoutParams& params, Trace* trace)
        : in_(in),
          params_(params),
          trace_(trace),
          body_(BodySize(in.lines, in.furniture, params)) {}

    void run(std::vector<bool>& aside) {
        const Line* before = nullptr;
        for (std::size_t i = 0; i < in_.lines.size(); ++i) {
            if (!read(i, aside)) {
                continue;
            }
            const Line& line = in_.lines[i];
            const std::size_t on = before != nullptr && otherSize(*before, line) && cutOff(*before)
                                       ? readsOnAt(*before, i, aside)
                                       : i;
            for (std::size_t k = i; k < on; ++k) {
                if (read(k, aside)) {
                    aside[k] = true;
                    say(k, *before);
                }
            }
            if (on == i) {
                before = &line;
            }
            i = std::max(i, on > i ? on - 1 : i);
        }
    }

private:
    [[nodiscard]] bool read(std::size_t i, const std::vector<bool>& aside) const {
        const std::string& text = in_.lines[i].text;
        return !in_.furniture[i] && !aside[i] && std::any_of(text.begin(), text.end(), [](char c) {
            return c != ' ' && c != kLineHyphen && (c < '\t' || c > '\r');
        });
    }

    // Whether `before` may be a line of a paragraph cut off by a column's or a page's end: a full
    // line of the body's type that does not end a clause (a figure's label or a table's cell is
    // short).
    [[nodiscard]] bool cutOff(const Line& before) const {
        const auto index = static_cast<std::size_t>(&before - in_.lines.data());
        const Block& block = in_.blocks.boxes[in_.blocks.of[index]];
        const bool full =
            before.right >= block.left + params_.shortLineShare * (block.right - block.left);
        return full && std::abs(before.height - body_) <= params_.floatSizeDifference &&
               !EndsClause(Tidy(before.text));
    }

    [[nodiscard]] bool otherSize(const Line& a, const Line& b) const {
        return std::abs(a.height - b.height) > params_.floatSizeDifference;
    }

    // The line from `start` on where the paragraph of `before` reads on past a column's or a
    // page's end, with only lines of other sizes before it; `start` where there is none. Past a
    // page's end only smaller type is passed over (notes, a small table): a larger line there is
    // the next page's title, or a formula's line, taller than the text for its symbols.
    [[nodiscard]] std::size_t readsOnAt(const Line& before, std::size_t start,
                                        const std::vector<bool>& aside) const {
        const std::size_t last =
            std::min(in_.lines.size(), start + static_cast<std::size_t>(params_.floatMostLines));
        bool larger = false;
        for (std::size_t j = start; j < last && in_.lines[j].page <= before.page + 1; ++j) {
            const Line& line = in_.lines[j];
            if (!read(j, aside) || otherSize(before, line)) {
                larger = larger || (read(j, aside) && line.height > before.height);
                continue;
            }
            const bool column = line.page == before.page && line.top < before.top;
            const bool page = line.page > before.page && !larger;
            const bool on = in_.rule.startsAfter(before, line).reason.why == Why::ReadsOn;
            return (column || page) && on ? j : start;
        }
        return start;
    }

    void say(std::size_t i, const Line& before) {
        if (trace_ != nullptr) {
            (*trace_)[i].fate = {Why::Float, in_.lines[i].height, before.height,
                                 params_.floatSizeDifference};
        }
    }

    const FloatInput& in_;
    const PdfLayoutParams& params_;
    Trace* trace_;
    double body_;  // the body's size of type
};

}  // namespace

void FindFloats(const FloatInput& in, const PdfLayoutParams& params, std::vector<bool>& aside,
                Trace* trace) {
    FloatFinder(in, params, trace).run(aside);
}

}  // namespace lexaro::documents::pdf
