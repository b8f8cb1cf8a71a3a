// The document walkers with any bytes: never a crash, and whatever text comes out has the shape
// the window relies on (valid UTF-8, no NUL, no empty line, no space at either end of a line).
// The first byte picks the walker: HTML, ODT content, DOCX document, Markdown, the PDF line
// joining as a pure function of a string, or the PDF layout over words the bytes place.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "documents/docx_text.h"
#include "documents/html_text.h"
#include "documents/markdown_text.h"
#include "documents/odt_text.h"
#include "documents/pdf_lines.h"
#include "documents/text_sink.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Same rules as the sink's decoder: shortest forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
        if (length == 0 || text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<std::uint8_t>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        const auto second = length > 1 ? static_cast<std::uint8_t>(text[i + 1]) : 0x80;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
            return false;
        }
        i += length;
    }
    return true;
}

// `clean`: text from the sink, which also promises UTF-8, no NUL and single spaces.
void CheckShape(std::string_view text, bool clean) {
    Check(text.find("\n\n") == std::string_view::npos);
    Check(text.empty() || (text.front() != '\n' && text.back() != '\n'));
    Check(text.find(" \n") == std::string_view::npos && text.find("\n ") == std::string_view::npos);
    Check(text.empty() || (text.front() != ' ' && text.back() != ' '));
    if (clean) {
        Check(IsUtf8(text));
        Check(text.find('\0') == std::string_view::npos);
        Check(text.find("  ") == std::string_view::npos);
        Check(text.find_first_of("\t\r\f\v") == std::string_view::npos);
    }
}

// Pages of words from bytes: per word a flag byte (bit 0: new page, bit 1: turned, bit 2: space
// after), its box as four bytes (in 4-point steps, so words overlap, touch and stack), a length
// byte and the text.
void LayOutPdf(std::string_view bytes) {
    lexaro::documents::PdfLayout layout;
    std::vector<lexaro::documents::PdfWord> words;
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
    const std::string text = layout.text();
    Check(text.size() <= layout.size());
    CheckShape(text, false);
    // The same reading, told line by line (lexaro-extract --layout).
    Check(layout.trace().starts_with("page 1 "));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    lexaro::documents::TextSink sink(1 << 20);
    switch (data[0] % 6) {
        case 0:
            static_cast<void>(lexaro::documents::HtmlText(bytes, sink));
            break;
        case 1:
            static_cast<void>(lexaro::documents::OdtContentText(bytes, sink));
            break;
        case 2:
            static_cast<void>(lexaro::documents::DocxDocumentText(bytes, sink));
            break;
        case 3:
            static_cast<void>(lexaro::documents::MarkdownText(bytes, sink));
            break;
        case 4:
            CheckShape(lexaro::documents::JoinPdfLines(bytes), false);
            return 0;
        default:
            LayOutPdf(bytes);
            return 0;
    }
    CheckShape(sink.text(), true);
    return 0;
}
