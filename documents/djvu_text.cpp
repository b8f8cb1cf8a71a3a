// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/djvu_text.h"

#include <libdjvu/ddjvuapi.h>
#include <libdjvu/miniexp.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <clocale>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "documents/ocr_text.h"
#include "documents/pdf_lines.h"

namespace lexaro::documents {

namespace {

constexpr double kPointsPerInch = 72;
// The text layer nests page, column, region, paragraph, line, word, character: a deeper tree is
// not one djvulibre made.
constexpr int kMaxZoneDepth = 16;
// djvulibre decodes in a thread of its own and answers by messages; once all the bytes are in, a
// bundled document needs nothing more, so a wait this long means it is stuck on a broken file.
constexpr auto kMaxWait = std::chrono::seconds(20);
constexpr auto kPoll = std::chrono::milliseconds(1);

// Takes djvulibre's messages (progress, errors: the caller reads the outcome from the job's
// status) so that they do not pile up, and refuses any request for another file.
void Drain(ddjvu_context_t* context) {
    while (const ddjvu_message_t* message = ddjvu_message_peek(context)) {
        if (message->m_any.tag == DDJVU_NEWSTREAM && message->m_newstream.streamid != 0) {
            ddjvu_stream_close(message->m_any.document, message->m_newstream.streamid, 1);
        }
        ddjvu_message_pop(context);
    }
}

// Polls `ready` until it holds, draining messages in between; false if it never does.
template <typename Ready>
bool WaitFor(ddjvu_context_t* context, Ready ready) {
    const auto deadline = std::chrono::steady_clock::now() + kMaxWait;
    while (!ready()) {
        Drain(context);
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
    Drain(context);
    return true;
}

struct Zone {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

// (type left bottom right top ...) in the page's pixels, y growing upwards.
bool ZoneBox(miniexp_t zone, Zone& box) {
    int values[4] = {};
    miniexp_t item = miniexp_cdr(zone);
    for (int& value : values) {
        if (!miniexp_numberp(miniexp_car(item))) {
            return false;
        }
        value = miniexp_to_int(miniexp_car(item));
        item = miniexp_cdr(item);
    }
    box = {values[0], values[1], values[2], values[3]};
    return true;
}

// The words of a page's text, in the layer's order, in points from the page's top left. A zone
// that holds a string rather than smaller zones (a line kept whole) is one word.
std::vector<PdfWord> PageWords(miniexp_t page, double scale, int pageTop) {
    std::vector<PdfWord> words;
    std::vector<std::pair<miniexp_t, int>> pending{{page, 0}};
    while (!pending.empty()) {
        const auto [zone, depth] = pending.back();
        pending.pop_back();
        Zone box;
        if (!miniexp_consp(zone) || !ZoneBox(zone, box)) {
            continue;
        }
        miniexp_t contents = miniexp_nth(5, zone);
        if (miniexp_stringp(contents)) {
            const char* text = nullptr;
            const std::size_t length = miniexp_to_lstr(contents, &text);
            words.push_back({std::string(text, length), box.left * scale,
                             (pageTop - box.top) * scale, box.right * scale,
                             (pageTop - box.bottom) * scale, true, true});
            continue;
        }
        if (depth >= kMaxZoneDepth) {
            continue;
        }
        // Reversed on the stack, so they come off it in order.
        const auto first = static_cast<std::ptrdiff_t>(pending.size());
        for (miniexp_t item = miniexp_cddr(miniexp_cdddr(zone)); miniexp_consp(item);
             item = miniexp_cdr(item)) {
            pending.emplace_back(miniexp_car(item), depth + 1);
        }
        std::reverse(pending.begin() + first, pending.end());
    }
    return words;
}

struct Decoder {
    ddjvu_context_t* context = nullptr;
    ddjvu_document_t* document = nullptr;

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        if (document != nullptr) {
            ddjvu_document_release(document);
        }
        if (context != nullptr) {
            ddjvu_context_release(context);
        }
    }
};

// A page of `document` drawn in grey for text recognition, at its own resolution up to
// kAssumedScanDpi (a 600 dpi scan reads as well at half the pixels) and at most
// kLongestRenderedSide pixels a side; nothing for a page djvulibre cannot decode or draw.
struct DrawnPage {
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    int dpi = 0;
};
std::optional<DrawnPage> DrawForRecognition(ddjvu_context_t* context, ddjvu_document_t* document,
                                            int index) {
    constexpr int kLongestRenderedSide = 10000;
    ddjvu_page_t* page = ddjvu_page_create_by_pageno(document, index);
    if (page == nullptr) {
        return std::nullopt;
    }
    std::optional<DrawnPage> drawn;
    if (WaitFor(context, [&] { return ddjvu_page_decoding_done(page) != 0; }) &&
        ddjvu_page_decoding_error(page) == 0) {
        const int width = ddjvu_page_get_width(page);
        const int height = ddjvu_page_get_height(page);
        const int dpi = std::max(ddjvu_page_get_resolution(page), 1);
        const double scale =
            std::min({1.0, static_cast<double>(kAssumedScanDpi) / dpi,
                      static_cast<double>(kLongestRenderedSide) / std::max({width, height, 1})});
        DrawnPage out;
        out.width = std::max(1, static_cast<int>(width * scale));
        out.height = std::max(1, static_cast<int>(height * scale));
        out.dpi = std::max(1, static_cast<int>(dpi * scale));
        out.pixels.resize(static_cast<std::size_t>(out.width) *
                          static_cast<std::size_t>(out.height));
        ddjvu_format_t* format = ddjvu_format_create(DDJVU_FORMAT_GREY8, 0, nullptr);
        ddjvu_format_set_row_order(format, 1);  // top row first, as the recogniser reads them
        ddjvu_rect_t rect{0, 0, static_cast<unsigned>(out.width),
                          static_cast<unsigned>(out.height)};
        if (ddjvu_page_render(page, DDJVU_RENDER_COLOR, &rect, &rect, format,
                              static_cast<unsigned long>(out.width),
                              reinterpret_cast<char*>(out.pixels.data())) != 0) {
            drawn = std::move(out);
        }
        ddjvu_format_release(format);
    }
    ddjvu_page_release(page);
    return drawn;
}

// Whether a grey page has a mark on it anywhere (a book's blank pages are not worth recognising).
bool HasInk(const std::vector<unsigned char>& pixels) {
    constexpr unsigned char kInk = 160;  // darker than paper, however grey a scan's paper is
    return std::any_of(pixels.begin(), pixels.end(),
                       [](unsigned char pixel) { return pixel < kInk; });
}

// The pages `scans` of `document` (without a text layer) drawn and recognised; their words go
// into `words`. A page with nothing to draw (no image in it) or nothing drawn has no words.
void RecognisePages(ddjvu_context_t* context, ddjvu_document_t* document,
                    const std::vector<int>& scans, std::vector<std::vector<PdfWord>>& words) {
    PageRecognisers recognisers(scans.size());
    for (std::size_t slot = 0; slot < scans.size(); ++slot) {
        std::optional<DrawnPage> drawn = DrawForRecognition(context, document, scans[slot]);
        if (!drawn || !HasInk(drawn->pixels)) {
            recognisers.skip();
            continue;
        }
        auto page = std::make_shared<DrawnPage>(std::move(*drawn));
        recognisers.add(slot, page->pixels.size(), [page](PageRecogniser& recogniser) {
            return recogniser.grayPage(page->pixels.data(), page->width, page->height, page->width,
                                       page->dpi);
        });
    }
    std::vector<std::vector<PdfWord>> found = recognisers.finish();
    for (std::size_t slot = 0; slot < found.size(); ++slot) {
        words[static_cast<std::size_t>(scans[slot])] = std::move(found[slot]);
    }
}

}  // namespace

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
ExtractExit DjvuText(std::string_view bytes, TextSink& sink) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return ExtractExit::TooLarge;
    }
    Decoder decoder;
    // Making a context sets the process's locale from the environment, which would change how
    // everything after it formats and classifies characters; the text needs none of it.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    decoder.context = ddjvu_context_create("lexaro-extract");
    std::setlocale(LC_ALL, locale.c_str());
    if (decoder.context == nullptr) {
        return ExtractExit::Damaged;
    }
    // Decoded pages are never looked at twice.
    ddjvu_cache_set_size(decoder.context, 0);
    // Without a file name the document asks for its bytes as stream 0, which gets them all.
    decoder.document = ddjvu_document_create(decoder.context, nullptr, 0);
    if (decoder.document == nullptr) {
        return ExtractExit::Damaged;
    }
    ddjvu_document_t* document = decoder.document;
    ddjvu_stream_write(document, 0, bytes.data(), static_cast<unsigned long>(bytes.size()));
    ddjvu_stream_close(document, 0, 0);
    if (!WaitFor(decoder.context, [&] { return ddjvu_document_decoding_done(document) != 0; }) ||
        ddjvu_document_decoding_error(document) != 0) {
        return ExtractExit::Damaged;
    }
    const ddjvu_document_type_t type = ddjvu_document_get_type(document);
    if (type == DDJVU_DOCTYPE_INDIRECT || type == DDJVU_DOCTYPE_OLD_INDEXED) {
        return ExtractExit::NotSupported;
    }
    // Every page's words first: the layout needs them all, and the pages without a text layer
    // are then drawn one by one and recognised on the recognisers' threads.
    const int pages = ddjvu_document_get_pagenum(document);
    std::vector<std::vector<PdfWord>> words;
    std::vector<double> heights;
    std::vector<int> scans;
    std::size_t size = 0;
    for (int index = 0; index < pages && size <= sink.limit(); ++index) {
        ddjvu_pageinfo_t info{};
        ddjvu_status_t status = DDJVU_JOB_NOTSTARTED;
        miniexp_t text = miniexp_dummy;
        if (!WaitFor(decoder.context,
                     [&] {
                         status = ddjvu_document_get_pageinfo(document, index, &info);
                         return status >= DDJVU_JOB_OK;
                     }) ||
            status != DDJVU_JOB_OK || !WaitFor(decoder.context, [&] {
                text = ddjvu_document_get_pagetext(document, index, "word");
                return text != miniexp_dummy;
            })) {
            return ExtractExit::Damaged;
        }
        if (miniexp_symbolp(text)) {  // failed or stopped
            return ExtractExit::Damaged;
        }
        const double scale = kPointsPerInch / std::max(info.dpi, 1);
        Zone page;
        if (text != miniexp_nil && ZoneBox(text, page)) {
            words.push_back(PageWords(text, scale, page.top));
            heights.push_back(page.top * scale);
        } else {
            words.emplace_back();
            heights.push_back(std::max(info.height, 0) * scale);
        }
        ddjvu_miniexp_release(document, text);
        if (words.back().empty()) {
            scans.push_back(index);
        }
        for (const PdfWord& word : words.back()) {
            size += word.text.size() + 1;
        }
    }
    if (!scans.empty()) {
        if (!UseLanguagesFor({})) {
            return ExtractExit::NoLanguageData;  // a DjVu says nothing of its language
        }
        RecognisePages(decoder.context, document, scans, words);
    }
    return WritePages(words, heights, sink, ExtractExit::NoTextLayer);
}

}  // namespace lexaro::documents
