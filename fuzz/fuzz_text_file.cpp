// Any bytes as a text file: never a crash; a loaded text keeps its shape (it starts with CR LF,
// and every CR and LF in it belongs to a CR LF pair); and a valid UTF-8 file decodes to exactly
// the characters it encodes.

#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/text_file.h"
#include "tests/support/reference.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool LooksLikeUtf8File(std::string_view bytes) {
    return !bytes.starts_with("\xEF\xBB\xBF") && !bytes.starts_with("\xFF\xFE") &&
           !bytes.starts_with("\xFE\xFF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto characters = lexaro::DecodeTextFile(bytes);
    const auto text = lexaro::TextFromFileBytes(bytes);
    Check(characters.has_value() == text.has_value());
    // Decoding in slices, as a cancellable load does, changes nothing wherever the slices fall.
    const std::size_t slice = size == 0 ? 1 : 1 + data[0] % 16;
    Check(lexaro::TextFromFileBytes(
              bytes, [] { return true; }, slice) == text);
    if (!text) {
        return 0;
    }
    Check(text->empty() == characters->empty());
    Check(text->empty() || text->starts_with(u"\r\n"));
    for (std::size_t i = 0; i < text->size(); ++i) {
        if ((*text)[i] == u'\r') {
            Check(i + 1 < text->size() && (*text)[i + 1] == u'\n');
        }
        if ((*text)[i] == u'\n') {
            Check(i > 0 && (*text)[i - 1] == u'\r');
        }
    }
    // Whatever was decoded as UTF-8 encodes back to the very same bytes.
    if (LooksLikeUtf8File(bytes) && lexaro::reference::EncodeUtf8(*characters) == bytes) {
        return 0;
    }
    if (LooksLikeUtf8File(bytes)) {
        // Not read as UTF-8: then every byte became exactly one character (Windows-1252).
        Check(characters->size() == bytes.size());
    }
    return 0;
}
