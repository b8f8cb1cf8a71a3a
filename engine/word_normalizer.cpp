#include "engine/word_normalizer.h"

namespace lexaro {

std::u16string NormalizeWord(std::u16string_view text) {
    // One left-to-right pass gives the same result as first replacing every CR LF pair by a space
    // and then collapsing doubled spaces: a space put in for a pair can never form a new pair, and
    // collapsing on the output side sees exactly the spaces the first step would have produced.
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t ch = text[i];
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ch = u' ';
            ++i;
        }
        if (ch == u' ' && !result.empty() && result.back() == u' ') {
            continue;
        }
        result.push_back(ch);
    }
    return result;
}

}  // namespace lexaro
