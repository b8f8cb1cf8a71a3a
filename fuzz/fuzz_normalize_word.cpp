// NormalizeWord equals the two loops done literally, and its result has no CR LF pair and no two
// adjacent spaces.

#include <cstdlib>

#include "engine/word_normalizer.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = lexaro::fuzz::TakeUtf16(data, size);
    const std::u16string result = lexaro::NormalizeWord(text);
    if (result.find(u"\r\n") != std::u16string::npos ||
        result.find(u"  ") != std::u16string::npos) {
        std::abort();
    }
    if (text.size() <= 512 && result != lexaro::reference::NormalizeWord(text)) {
        std::abort();
    }
    return 0;
}
