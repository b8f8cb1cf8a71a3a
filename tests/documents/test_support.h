#pragma once
// Small helpers shared by the document tests.

#include <string>
#include <string_view>

#include "documents/extract.h"

namespace lexaro::documents {

// The lines of a text, for comparing with expected lines in failure messages that read well.
inline std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

using LinesList = std::vector<std::string>;

// A document type declaring the "billion laughs": l9 expands to 10^9 "lol"s.
inline std::string BillionLaughsDtd(std::string_view root) {
    std::string dtd = "<!DOCTYPE " + std::string(root) + " [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            dtd += "&l" + std::to_string(i - 1) + ";";
        }
        dtd += "\">";
    }
    return dtd + "]>";
}

}  // namespace lexaro::documents
