// The document walkers with any bytes: never a crash, and whatever text comes out has the shape
// the window relies on (valid UTF-8, no NUL, no empty line, no space at either end of a line).
// The first byte picks the walk: every reader's, in the order of documents/readers.h (the seeds in
// corpus/documents keep theirs by that number: 0 HTML, 1 ODT content, 2 DOCX document, 3 Markdown,
// 4 PDF line joining, 5 PDF layout over words the bytes place, 6 an EPUB archive).

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/readers.h"
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

// Every walk of every reader, numbered in the readers' order (documents/readers.h).
std::vector<lexaro::documents::FuzzWalk> AllWalks() {
    std::vector<lexaro::documents::FuzzWalk> walks;
    for (const lexaro::documents::Reader& reader : lexaro::documents::Readers()) {
        walks.insert(walks.end(), reader.fuzzWalks.begin(), reader.fuzzWalks.end());
    }
    return walks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<lexaro::documents::FuzzWalk> walks = AllWalks();
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    lexaro::documents::TextSink sink(1 << 20);
    if (const std::optional<std::string> text = walks[data[0] % walks.size()](bytes, sink)) {
        CheckShape(*text, false);
    } else {
        CheckShape(sink.text(), true);
    }
    return 0;
}
