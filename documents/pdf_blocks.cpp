// SPDX-License-Identifier: GPL-2.0-or-later
// Blocks: runs of lines each just below the one before it. A line that is not (a new column, a
// jump across the page, a line beside the one before) starts a new block.

#include <algorithm>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

Reason BlockStart(const Line& before, const Line& line, const PdfLayoutParams& params) {
    const double down = line.base - before.base;
    const double least = params.blockStepMin * std::min(line.height, before.height);
    const double most = params.blockStepMax * std::max(line.height, before.height);
    // (Written so that a NaN, which no comparison holds for, is not below.)
    if (!(down >= least && down <= most)) {
        return {Why::NotBelow, down, least, most};
    }
    if (!(line.left < before.right && line.right > before.left)) {
        return {Why::Beside};
    }
    return {};
}

Reason BlockStartRead(const Line& before, const Line& line, const PdfLayoutParams& params) {
    if (const Reason reason = BlockStart(before, line, params)) {
        return reason;
    }
    return before.pageBlock != line.pageBlock ? Reason{Why::ApartInOrder} : Reason{};
}

Blocks MeasureBlocks(const std::vector<Line>& lines) {
    Blocks blocks;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (i == 0 || line.newBlock) {
            blocks.boxes.push_back({line.left, line.top, line.right, line.bottom, line.height});
        }
        Block& block = blocks.boxes.back();
        block.left = std::min(block.left, line.left);
        block.right = std::max(block.right, line.right);
        block.bottom = std::max(block.bottom, line.bottom);
        block.height = std::max(block.height, line.height);
        blocks.of.push_back(blocks.boxes.size() - 1);
    }
    return blocks;
}

}  // namespace lexaro::documents::pdf
