// The text box position map: every document position maps to the CR LF text and back to
// itself; every CR LF position maps to the document and back to itself, or, from between a CR
// and its LF, to just past the LF.

#include <cstdlib>

#include "engine/crlf_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const lexaro::CrLfText text(lexaro::fuzz::TakeUtf16(data, size));
    const std::u16string& crlf = text.text();
    if (text.length() != static_cast<std::int32_t>(crlf.size())) {
        std::abort();
    }
    for (std::int32_t d = 0; d <= text.documentLength(); ++d) {
        if (text.toDocument(text.fromDocument(d)) != d) {
            std::abort();
        }
    }
    for (std::int32_t p = 0; p <= text.length(); ++p) {
        // An LF only ever comes from a line break, so a CR right before it is that break's.
        const bool insideBreak = p > 0 && p < text.length() &&
                                 crlf[static_cast<std::size_t>(p) - 1] == u'\r' &&
                                 crlf[static_cast<std::size_t>(p)] == u'\n';
        const std::int32_t back = text.fromDocument(text.toDocument(p));
        if (back != p && !(insideBreak && back == p + 1)) {
            std::abort();
        }
    }
    return 0;
}
