#pragma once
// Texts of any size for benchmarks and long tests: the welcome text repeated to the wanted size,
// so words, punctuation and line breaks come in natural proportions.

#include <string>

#include "engine/welcome_text.h"

namespace lexaro::test {

inline std::u16string TextOfSize(std::size_t units) {
    std::u16string text;
    text.reserve(units + WelcomeText().size());
    while (text.size() < units) {
        text += WelcomeText();
    }
    text.resize(units);
    return text;
}

}  // namespace lexaro::test
