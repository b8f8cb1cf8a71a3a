// SPDX-License-Identifier: GPL-2.0-or-later
// The part of text recognition that is the project's own, built with or without tesseract.

#include <algorithm>

#include "documents/ocr_text.h"

namespace lexaro::documents {

namespace {

constexpr double kPointsPerInch = 72.0;
// A fax is 200 dpi and a phone photo of a page often says 72; below 50 or above 2400 the figure
// is not a scan's.
constexpr int kLowestDpi = 50;
constexpr int kHighestDpi = 2400;

double PointsPerPixel(int dpi) {
    return kPointsPerInch / ScanDpi(dpi);
}

}  // namespace

int ScanDpi(int dpi) {
    return dpi >= kLowestDpi && dpi <= kHighestDpi ? dpi : kAssumedScanDpi;
}

std::vector<PdfWord> PageWordsInPoints(std::span<const RecognisedWord> words, int dpi) {
    const double scale = PointsPerPixel(dpi);
    std::vector<PdfWord> out;
    out.reserve(words.size());
    for (const RecognisedWord& word : words) {
        if (std::all_of(word.text.begin(), word.text.end(),
                        [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; })) {
            continue;
        }
        out.push_back({word.text, word.left * scale, word.top * scale,
                       std::max(word.right, word.left) * scale,
                       std::max(word.bottom, word.top) * scale, true, true});
    }
    return out;
}

double PageHeightInPoints(int pixels, int dpi) {
    return std::max(pixels, 0) * PointsPerPixel(dpi);
}

ExtractExit WritePages(const std::vector<std::vector<PdfWord>>& words,
                       const std::vector<double>& heights, TextSink& sink,
                       ExtractExit withoutWords) {
    PdfLayout layout;
    bool anyText = false;
    for (std::size_t page = 0; page < words.size() && layout.size() <= sink.limit(); ++page) {
        anyText = anyText || !words[page].empty();
        layout.addPage(words[page], heights[page]);
    }
    if (!anyText) {
        return withoutWords;
    }
    sink.appendLines(layout.text());
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
