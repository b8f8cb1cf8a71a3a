// SPDX-License-Identifier: GPL-2.0-or-later
// Asides: blocks of small type in the lower part of a page that the body text goes on past (it
// comes back higher up, in the next column): footnotes, a copyright box, a caption. They are read
// after the paragraph that was open when they were met, so that paragraph reads on unbroken.

#include <algorithm>
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

}  // namespace lexaro::documents::pdf
