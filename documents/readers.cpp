// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/readers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "documents/djvu_text.h"
#include "documents/doc_text.h"
#include "documents/docx_text.h"
#include "documents/epub_text.h"
#include "documents/fb2_text.h"
#include "documents/html_text.h"
#include "documents/markdown_text.h"
#include "documents/mobi_text.h"
#include "documents/ocr_text.h"
#include "documents/odt_text.h"
#include "documents/pdf_lines.h"
#include "documents/pdf_text.h"
#include "documents/rtf_text.h"

namespace lexaro::documents {

namespace {

// A walk through the sink: what a reader writes, from bytes it takes whole.
template <ExtractExit (*Walk)(std::string_view, TextSink&)>
std::optional<std::string> IntoSink(std::string_view bytes, TextSink& sink) {
    static_cast<void>(Walk(bytes, sink));
    return std::nullopt;
}

template <ExtractExit (*Read)(ZipArchive&, TextSink&)>
std::optional<std::string> ZipIntoSink(std::string_view bytes, TextSink& sink) {
    ZipArchive zip(bytes);
    if (zip.status() == ExtractExit::Ok) {
        static_cast<void>(Read(zip, sink));
    }
    return std::nullopt;
}

// A web page opened on its own reads as its article; EPUB chapters are read whole by the EPUB
// reader itself.
ExtractExit WebPageText(std::string_view bytes, TextSink& sink) {
    return HtmlText(bytes, sink, HtmlView::Article);
}

ExtractExit ChapterText(std::string_view bytes, TextSink& sink) {
    return HtmlText(bytes, sink, HtmlView::Page);
}

std::optional<std::string> PdfLines(std::string_view bytes, TextSink& /*sink*/) {
    return JoinPdfLines(bytes);
}

// Pages of words from bytes: per word a flag byte (bit 0: new page, bit 1: turned, bit 2: space
// after), its box as four bytes (in 4-point steps, so words overlap, touch and stack), a length
// byte and the text.
std::optional<std::string> PdfPages(std::string_view bytes, TextSink& /*sink*/) {
    PdfLayout layout;
    std::vector<PdfWord> words;
    const auto at = [&bytes](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    while (bytes.size() >= 6) {
        if ((at(0) & 1) != 0 && !words.empty()) {
            layout.addPage(words, 800);
            words.clear();
        }
        const double left = at(1) * 4.0;
        const double top = at(2) * 4.0;
        const double right = left + at(3);
        const double bottom = top + at(4) / 8.0;
        const std::size_t length = std::min<std::size_t>(at(5), bytes.size() - 6);
        words.push_back({std::string(bytes.substr(6, length)), left, top, right, bottom,
                         (at(0) & 4) != 0, (at(0) & 2) == 0});
        bytes.remove_prefix(6 + length);
    }
    layout.addPage(words, 800);
    std::string text = layout.text();
    if (text.size() > layout.size()) {
        std::abort();  // the bound the helper's output limit relies on is broken: stop the fuzzer
    }
    // The same reading, told line by line (lexaro-extract --layout).
    if (!layout.trace().starts_with("page 1 ")) {
        std::abort();
    }
    return text;
}

// Pages of recognised words from bytes, through the conversion to points and the PDF layout (the
// recogniser itself is a library's and takes a second a page): a resolution byte (in steps of 10
// dots an inch, 0 for none), then per word a flag byte (bit 0: new page), its box as four bytes
// (in 16-pixel steps for the corner, in pixels for its size), a length byte and the text.
std::optional<std::string> RecognisedPages(std::string_view bytes, TextSink& /*sink*/) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    const int dpi = static_cast<std::uint8_t>(bytes[0]) * 10;
    bytes.remove_prefix(1);
    constexpr int kPageHeight = 3300;
    PdfLayout layout;
    std::vector<RecognisedWord> words;
    const auto at = [&bytes](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    while (bytes.size() >= 6) {
        if ((at(0) & 1) != 0 && !words.empty()) {
            layout.addPage(PageWordsInPoints(words, dpi), PageHeightInPoints(kPageHeight, dpi));
            words.clear();
        }
        const int left = at(1) * 16;
        const int top = at(2) * 16;
        const std::size_t length = std::min<std::size_t>(at(5), bytes.size() - 6);
        words.push_back(
            {std::string(bytes.substr(6, length)), left, top, left + at(3), top + at(4)});
        bytes.remove_prefix(6 + length);
    }
    layout.addPage(PageWordsInPoints(words, dpi), PageHeightInPoints(kPageHeight, dpi));
    std::string text = layout.text();
    if (text.size() > layout.size()) {
        std::abort();
    }
    return text;
}

constexpr std::array<FuzzWalk, 2> kHtmlWalks{IntoSink<ChapterText>, IntoSink<WebPageText>};
constexpr std::array<FuzzWalk, 1> kOdtWalks{IntoSink<OdtContentText>};
constexpr std::array<FuzzWalk, 1> kDocxWalks{IntoSink<DocxDocumentText>};
constexpr std::array<FuzzWalk, 1> kMarkdownWalks{IntoSink<MarkdownText>};
constexpr std::array<FuzzWalk, 2> kPdfWalks{PdfLines, PdfPages};
constexpr std::array<FuzzWalk, 1> kEpubWalks{ZipIntoSink<EpubText>};
constexpr std::array<FuzzWalk, 1> kRtfWalks{IntoSink<RtfText>};
constexpr std::array<FuzzWalk, 1> kFb2Walks{IntoSink<Fb2Text>};
constexpr std::array<FuzzWalk, 1> kFbzWalks{ZipIntoSink<Fb2ZipText>};
constexpr std::array<FuzzWalk, 1> kMobiWalks{IntoSink<MobiText>};
constexpr std::array<FuzzWalk, 1> kDjvuWalks{IntoSink<DjvuText>};
constexpr std::array<FuzzWalk, 1> kDocWalks{IntoSink<DocText>};
constexpr std::array<FuzzWalk, 1> kImageWalks{RecognisedPages};

constexpr std::array kReaders{
    Reader{"html", WebPageText, nullptr, kHtmlWalks},
    Reader{"odt", nullptr, OdtText, kOdtWalks},
    Reader{"docx", nullptr, DocxText, kDocxWalks},
    Reader{"markdown", MarkdownText, nullptr, kMarkdownWalks},
    Reader{"pdf", PdfText, nullptr, kPdfWalks},
    Reader{"epub", nullptr, EpubText, kEpubWalks},
    Reader{"rtf", RtfText, nullptr, kRtfWalks},
    Reader{"fb2", Fb2Text, nullptr, kFb2Walks},
    Reader{"fbz", nullptr, Fb2ZipText, kFbzWalks},
    Reader{"mobi", MobiText, nullptr, kMobiWalks},
    Reader{"palmdoc", MobiText, nullptr, kMobiWalks},
    Reader{"djvu", DjvuText, nullptr, kDjvuWalks},
    Reader{"doc", DocText, nullptr, kDocWalks},
    Reader{"png", ImageText, nullptr, kImageWalks},
    Reader{"jpeg", ImageText, nullptr, kImageWalks},
    Reader{"tiff", ImageText, nullptr, kImageWalks},
    Reader{"webp", ImageText, nullptr, kImageWalks},
};

}  // namespace

std::span<const Reader> Readers() {
    return kReaders;
}

const Reader* FindReader(std::string_view key) {
    const auto found = std::find_if(kReaders.begin(), kReaders.end(),
                                    [key](const Reader& reader) { return reader.key == key; });
    return found == kReaders.end() ? nullptr : &*found;
}

}  // namespace lexaro::documents
