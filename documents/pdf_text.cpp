// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/pdf_text.h"

#include <PDFDoc.h>
#include <Stream.h>
#include <TextOutputDev.h>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/ocr_text.h"
#include "documents/pdf_lines.h"

namespace lexaro::documents {

namespace {

// Whether a word's font is a bold face. Poppler's flag comes from the font's descriptor, which
// embedded Type 1 and TrueType subsets often leave plain; their names tell the weight after the
// subset's tag ("YGCXDP+NimbusRomNo9L-Medi", TeX's Times bold; "CMBX10", Computer Modern's; a
// semibold or medium face is a heading's as often as a bold one).
bool IsBoldFont(const TextWord& word) {
    const TextFontInfo* font = word.getFontInfo(0);
    if (font == nullptr) {
        return false;
    }
    if (font->isBold()) {
        return true;
    }
    const GooString* name = font->getFontName();
    if (name == nullptr) {
        return false;
    }
    std::string weight = name->toStr();
    constexpr std::size_t kSubsetTag = 7;  // "ABCDEF+"
    if (weight.size() > kSubsetTag && weight[kSubsetTag - 1] == '+') {
        weight.erase(0, kSubsetTag);
    }
    std::transform(weight.begin(), weight.end(), weight.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (weight.starts_with("cmbx")) {
        return true;
    }
    return std::ranges::any_of(
        std::array<std::string_view, 5>{"bold", "black", "heavy", "demi", "medi"},
        [&weight](std::string_view mark) { return weight.find(mark) != std::string::npos; });
}

// poppler reports every oddity of a damaged file on standard error; the helper's reader only
// needs the exit code.
void Ignore(const std::string& /*message*/, void* /*closure*/) {}

// The words of each page, through poppler's own text device. poppler's C++ page interface makes
// a device for every page, and a device keeps the colour spaces it has parsed: a book whose pages
// draw in an ICC colour space then built its colour transforms again on every page, which took
// two thirds of the time on a 65-page book. One device reads all the pages here. The document
// is the C++ interface's twin, read from the same bytes (which outlive both); that interface
// keeps poppler's global settings for as long as its own document lives.
class PageTexts {
public:
    explicit PageTexts(std::string_view bytes)
        : document_(
              new MemStream(bytes.data(), 0, static_cast<Goffset>(bytes.size()), Object(objNull))),
          device_(nullptr, false, 0, false, false) {}

    bool ok() { return document_.isOk() && device_.isOk(); }

    std::vector<PdfWord> words(int index) {
        std::vector<PdfWord> words;
        // The page box and rotation the C++ interface's text list uses: the crop box, the page's
        // own rotation, 72 dpi (one unit a point).
        document_.displayPageSlice(&device_, index + 1, 72, 72, 0, false, false, false, -1, -1, -1,
                                   -1);
        const std::unique_ptr<TextWordList> list = device_.makeWordList();
        words.reserve(static_cast<std::size_t>(list->getLength()));
        for (int i = 0; i < list->getLength(); ++i) {
            const TextWord* word = list->get(i);
            const std::unique_ptr<GooString> text(word->getText());
            double left = 0;
            double top = 0;
            double right = 0;
            double bottom = 0;
            word->getBBox(&left, &top, &right, &bottom);
            words.push_back({text->toStr(), left, top, right, bottom, word->hasSpaceAfter(),
                             word->getRotation() == 0, IsBoldFont(*word)});
        }
        return words;
    }

private:
    PDFDoc document_;
    TextOutputDev device_;
};

// A page rendered for text recognition is at most this many pixels on its longer side (33 inches
// at 300 dpi), so a poster-sized page cannot take the helper's memory.
constexpr double kLongestRenderedSide = 10000;
constexpr double kPointsPerInch = 72;

// Whether any pixel of a grey image passes `test`.
template <typename Test>
bool AnyPixel(const poppler::image& image, Test test) {
    const auto* row = reinterpret_cast<const unsigned char*>(image.const_data());
    const auto width = static_cast<std::size_t>(image.width());
    for (int y = 0; y < image.height(); ++y, row += image.bytes_per_row()) {
        if (std::any_of(row, row + width, test)) {
            return true;
        }
    }
    return false;
}

// Whether a grey page has a mark on it anywhere: recognition takes most of a second to find
// nothing on an empty page, and a typeset book has blank pages.
bool HasInk(const poppler::image& image) {
    constexpr unsigned char kInk = 160;  // darker than paper, however grey a scan's paper is
    return AnyPixel(image, [](unsigned char pixel) { return pixel < kInk; });
}

// A page drawn at this resolution first tells a blank page (a typeset book has several) at a
// fiftieth of the pixels of the drawing recognition needs. Anti-aliased, the thinnest line or the
// smallest mark still greys a pixel at it.
constexpr int kBlankTestDpi = 40;

// Whether a grey page is white all over: not a pixel drawn on it.
bool IsBlank(const poppler::image& image) {
    return image.is_valid() && !AnyPixel(image, [](unsigned char pixel) { return pixel != 0xFF; });
}

// A page without a text layer that may be a scan, drawn in grey at the resolution recognition
// reads best at, or less for a page too large for it; nothing if it has no mark on it.
struct DrawnPage {
    poppler::image image;
    int dpi = 0;
};
std::optional<DrawnPage> DrawForRecognition(const poppler::page& page) {
    const poppler::rectf box = page.page_rect();
    const double longest = std::max(box.width(), box.height());
    if (!(longest > 0)) {
        return std::nullopt;
    }
    const int dpi = static_cast<int>(std::min<double>(
        kAssumedScanDpi, std::floor(kLongestRenderedSide * kPointsPerInch / longest)));
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hints(poppler::page_renderer::antialiasing);
    if (IsBlank(renderer.render_page(&page, kBlankTestDpi, kBlankTestDpi))) {
        return {};
    }
    const poppler::image image = renderer.render_page(&page, dpi, dpi);
    if (!image.is_valid() || !HasInk(image)) {
        return std::nullopt;
    }
    return DrawnPage{image, dpi};  // poppler's images share their pixels: no copy
}

// The pages without a text layer, drawn one by one here (poppler's document is not to be shared
// between threads) and recognised on the recognisers' threads; their words go into `words`.
void RecognisePages(poppler::document& document, const std::vector<int>& scans,
                    std::vector<std::vector<PdfWord>>& words) {
    PageRecognisers recognisers(scans.size());
    for (std::size_t slot = 0; slot < scans.size(); ++slot) {
        const std::unique_ptr<poppler::page> page(document.create_page(scans[slot]));
        std::optional<DrawnPage> drawn;
        if (page) {
            drawn = DrawForRecognition(*page);
        }
        if (!drawn) {
            recognisers.skip();
            continue;
        }
        // The image is copied: poppler's images share their pixels without a lock.
        const poppler::image& image = drawn->image;
        auto pixels = std::make_shared<std::vector<unsigned char>>(
            image.const_data(),
            image.const_data() + static_cast<std::size_t>(image.bytes_per_row()) *
                                     static_cast<std::size_t>(image.height()));
        recognisers.add(
            slot,
            static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()),
            [pixels, width = image.width(), height = image.height(), stride = image.bytes_per_row(),
             dpi = drawn->dpi](PageRecogniser& recogniser) {
                return recogniser.grayPage(pixels->data(), width, height, stride, dpi);
            });
    }
    std::vector<std::vector<PdfWord>> found = recognisers.finish();
    for (std::size_t slot = 0; slot < found.size(); ++slot) {
        words[static_cast<std::size_t>(scans[slot])] = std::move(found[slot]);
    }
}

// A language tag as a PDF writes one: letters, digits and dashes ("de-DE"); empty for anything
// else.
std::string_view LanguageTag(std::string_view text) {
    constexpr std::size_t kLongest = 35;  // BCP 47's longest tag in common use
    const std::size_t end =
        text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_");
    const std::string_view tag = text.substr(0, end);
    return tag.size() <= kLongest ? tag : std::string_view();
}

// The document's language, for recognising its scanned pages: /Lang in its catalogue, else
// dc:language in its XMP metadata. Empty when it says neither.
std::string DocumentLanguage(std::string_view bytes, const poppler::document& document) {
    if (std::string tag = PdfCatalogueLanguage(bytes); !tag.empty()) {
        return tag;
    }
    const poppler::byte_array xmp = document.metadata().to_utf8();
    const std::string_view metadata(xmp.data(), xmp.size());
    if (const std::size_t language = metadata.find("<dc:language>");
        language != std::string_view::npos) {
        if (const std::size_t item = metadata.find("<rdf:li", language);
            item != std::string_view::npos) {
            if (const std::size_t close = metadata.find('>', item);
                close != std::string_view::npos) {
                return std::string(LanguageTag(metadata.substr(close + 1)));
            }
        }
    }
    return {};
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
    PageTexts texts(bytes);
    if (!texts.ok()) {
        return ExtractExit::Damaged;
    }
    const int pages = document->pages();
    std::vector<std::vector<PdfWord>> words(static_cast<std::size_t>(std::max(pages, 0)));
    std::vector<double> heights(words.size(), -1);  // below 0: a page poppler could not make
    std::vector<int> scans;
    std::size_t size = 0;
    for (int index = 0; index < pages && size <= limit; ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (page) {
            std::vector<PdfWord>& found = words[static_cast<std::size_t>(index)];
            found = texts.words(index);
            heights[static_cast<std::size_t>(index)] = page->page_rect().height();
            if (found.empty()) {
                scans.push_back(index);
            }
            for (const PdfWord& word : found) {
                size += word.text.size() + 1;
            }
        }
    }
    // A build without text recognition (Windows) reads the typeset pages and leaves the others.
    if (LEXARO_HAS_OCR && size <= limit && !scans.empty()) {
        if (!UseLanguagesFor(DocumentLanguage(bytes, *document))) {
            return ExtractExit::NoLanguageData;
        }
        RecognisePages(*document, scans, words);
    }
    for (std::size_t index = 0; index < words.size() && layout.size() <= limit; ++index) {
        if (heights[index] >= 0) {
            layout.addPage(words[index], heights[index]);
        }
    }
    return ExtractExit::Ok;
}

}  // namespace

std::string PdfCatalogueLanguage(std::string_view bytes) {
    for (std::size_t at = bytes.find("/Catalog"); at != std::string_view::npos;
         at = bytes.find("/Catalog", at + 1)) {
        const std::size_t start = bytes.rfind(" obj", at);
        const std::size_t end = bytes.find("endobj", at);
        if (start == std::string_view::npos || end == std::string_view::npos) {
            continue;
        }
        const std::string_view object = bytes.substr(start, end - start);
        if (const std::size_t lang = object.find("/Lang"); lang != std::string_view::npos) {
            const std::size_t open = object.find_first_not_of(" \r\n\t", lang + 5);
            if (open != std::string_view::npos && object[open] == '(') {
                return std::string(LanguageTag(object.substr(open + 1)));
            }
        }
    }
    return {};
}

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
