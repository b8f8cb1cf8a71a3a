// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/djvu_text.h"

#include <libdjvu/ddjvuapi.h>
#include <libdjvu/miniexp.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <clocale>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
    PdfLayout layout;
    bool anyText = false;
    const int pages = ddjvu_document_get_pagenum(document);
    for (int index = 0; index < pages && layout.size() <= sink.limit(); ++index) {
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
        Zone page;
        if (text != miniexp_nil && ZoneBox(text, page)) {
            anyText = true;
            const double scale = kPointsPerInch / std::max(info.dpi, 1);
            layout.addPage(PageWords(text, scale, page.top), page.top * scale);
        }
        ddjvu_miniexp_release(document, text);
    }
    if (!anyText) {
        return ExtractExit::NoTextLayer;
    }
    sink.appendLines(layout.text());
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
