// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/pdf_text.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "documents/ocr_text.h"
#include "documents/pdf_lines.h"

namespace lexaro::documents {

namespace {

// poppler reports every oddity of a damaged file on standard error; the helper's reader only
// needs the exit code.
void Ignore(const std::string& /*message*/, void* /*closure*/) {}

std::string Utf8(const poppler::ustring& text) {
    const poppler::byte_array bytes = text.to_utf8();
    return {bytes.begin(), bytes.end()};
}

std::vector<PdfWord> PageWords(const poppler::page& page) {
    std::vector<PdfWord> words;
    for (const poppler::text_box& box : page.text_list()) {
        const poppler::rectf rect = box.bbox();
        words.push_back({Utf8(box.text()), rect.left(), rect.top(), rect.right(), rect.bottom(),
                         box.has_space_after(), box.rotation() == 0});
    }
    return words;
}

// A page rendered for text recognition is at most this many pixels on its longer side (33 inches
// at 300 dpi), so a poster-sized page cannot take the helper's memory.
constexpr double kLongestRenderedSide = 10000;
constexpr double kPointsPerInch = 72;

// Whether a grey page has a mark on it anywhere: recognition takes most of a second to find
// nothing on an empty page, and a typeset book has blank pages.
bool HasInk(const poppler::image& image) {
    constexpr unsigned char kInk = 160;  // darker than paper, however grey a scan's paper is
    const auto* row = reinterpret_cast<const unsigned char*>(image.const_data());
    const auto width = static_cast<std::size_t>(image.width());
    for (int y = 0; y < image.height(); ++y, row += image.bytes_per_row()) {
        if (std::any_of(row, row + width, [](unsigned char pixel) { return pixel < kInk; })) {
            return true;
        }
    }
    return false;
}

// The words of a page without a text layer that may be a scan: drawn in grey at the resolution
// recognition reads best at, or less for a page too large for it, and recognised.
std::vector<PdfWord> RecognisedWords(const poppler::page& page, PageRecogniser& recogniser) {
    const poppler::rectf box = page.page_rect();
    const double longest = std::max(box.width(), box.height());
    if (!(longest > 0)) {
        return {};
    }
    const int dpi = static_cast<int>(std::min<double>(
        kAssumedScanDpi, std::floor(kLongestRenderedSide * kPointsPerInch / longest)));
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hints(poppler::page_renderer::antialiasing);
    const poppler::image image = renderer.render_page(&page, dpi, dpi);
    if (!image.is_valid() || !HasInk(image)) {
        return {};
    }
    return recogniser.grayPage(reinterpret_cast<const unsigned char*>(image.const_data()),
                               image.width(), image.height(), image.bytes_per_row(), dpi);
}

// A PDF ends with "%%EOF"; Acrobat accepts it anywhere in the last 1024 bytes. poppler would
// rebuild a cut-off file from what is left and give a part of its text (or none, which would
// pass for a scan) as if that were all.
bool LooksComplete(std::string_view bytes) {
    return bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 1024)).find("%%EOF") !=
           std::string_view::npos;
}

// Lays out every page of the PDF in `bytes`, up to `limit` bytes of text.
ExtractExit LayOut(std::string_view bytes, std::size_t limit, PdfLayout& layout) {
    poppler::set_debug_error_function(Ignore, nullptr);
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return ExtractExit::TooLarge;
    }
    if (!LooksComplete(bytes)) {
        return ExtractExit::Damaged;
    }
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!document) {
        return ExtractExit::Damaged;
    }
    // A locked document must not be asked for its pages: poppler crashes on that.
    if (document->is_locked()) {
        return ExtractExit::Encrypted;
    }
    // The layout needs every page before it can tell page furniture from text; past the limit
    // the text would be refused anyway. A page without a text layer is recognised, so a scanned
    // book, or scanned pages among typeset ones, read in order.
    PageRecogniser recogniser;
    for (int index = 0; index < document->pages() && layout.size() <= limit; ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (page) {
            std::vector<PdfWord> words = PageWords(*page);
            if (words.empty()) {
                words = RecognisedWords(*page, recogniser);
            }
            layout.addPage(words, page->page_rect().height());
        }
    }
    return ExtractExit::Ok;
}

}  // namespace

ExtractExit PdfText(std::string_view bytes, TextSink& sink) {
    PdfLayout layout;
    const ExtractExit status = LayOut(bytes, sink.limit(), layout);
    if (status == ExtractExit::Ok) {
        sink.appendLines(layout.text());
    }
    return status;
}

ExtractExit PdfLayoutTrace(std::string_view bytes, std::string& trace) {
    PdfLayout layout;
    const ExtractExit status = LayOut(bytes, kMaxExtractedTextBytes, layout);
    if (status == ExtractExit::Ok) {
        trace = layout.trace();
    }
    return status;
}

}  // namespace lexaro::documents
