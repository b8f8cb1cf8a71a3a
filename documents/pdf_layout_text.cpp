// SPDX-License-Identifier: GPL-2.0-or-later
// The tests on a line's text and size that the stages of the PDF layout decide by.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <map>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

bool EndsWithAny(std::string_view text, std::initializer_list<std::string_view> ends) {
    return std::any_of(ends.begin(), ends.end(),
                       [text](std::string_view end) { return text.ends_with(end); });
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

double Median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

bool SimilarHeight(double a, double b, const PdfLayoutParams& params) {
    return std::abs(a - b) <= params.sameSizeShare * std::max(a, b);
}

long SizeBucket(double height, const PdfLayoutParams& params) {
    return std::lround(height * params.sizeBucketsPerPoint);
}

double BodySize(const std::vector<Line>& lines, const std::vector<bool>& skip,
                const PdfLayoutParams& params) {
    std::map<long, std::size_t> charactersBySize;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!skip[i]) {
            charactersBySize[SizeBucket(lines[i].height, params)] += lines[i].text.size();
        }
    }
    if (charactersBySize.empty()) {
        return 0;
    }
    const auto most =
        std::max_element(charactersBySize.begin(), charactersBySize.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return static_cast<double>(most->first) / params.sizeBucketsPerPoint;
}

bool IsAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsAsciiLetter(char c) {
    return IsAsciiUpper(c) || (c >= 'a' && c <= 'z');
}

std::string Tidy(std::string_view line) {
    std::string out;
    for (const char c : line) {
        if (c == kLineHyphen) {
            continue;
        }
        if (!IsAsciiSpace(c)) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

bool EndsSentence(std::string_view text) {
    return EndsWithAny(text, {".", "!", "?", ":", "\"", ")", "\xE2\x80\x9D", "\xE2\x80\x99",
                              "\xE2\x80\xA6", "\xE3\x80\x82", "\xEF\xBC\x81", "\xEF\xBC\x9F"});
}

// Text after it may start a new paragraph even in small letters.
bool EndsClause(std::string_view text) {
    return EndsSentence(text) || EndsWithAny(text, {";", "]", "\xC2\xBB"});
}

bool StartsWithBullet(std::string_view text) {
    for (const std::string_view bullet :
         {"\xE2\x80\xA2", "\xE2\x97\xA6", "\xE2\x96\xAA", "\xE2\x97\x8F", "\xE2\x80\xA3"}) {
        if (text.starts_with(bullet)) {
            return true;
        }
    }
    return false;
}

// The first code point of `text` is a capital letter or a digit (as far as Latin, Greek and
// Cyrillic go), or at least not known to be a small letter.
bool StartsLikeCapital(std::string_view text) {
    const auto byte = [&text](std::size_t i) {
        return i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
    };
    char32_t cp = byte(0);
    if (cp >= 0xC0 && cp < 0xE0) {
        cp = ((cp & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
    } else if (cp >= 0x80) {
        return true;
    }
    const bool small = (cp >= U'a' && cp <= U'z') || (cp >= 0xDF && cp <= 0xFF && cp != 0xF7) ||
                       (cp >= 0x100 && cp <= 0x17F && cp % 2 == 1) ||
                       (cp >= 0x3B1 && cp <= 0x3C9) || (cp >= 0x430 && cp <= 0x45F);
    return !small;
}

bool StartsSmall(std::string_view text) {
    return !text.empty() && !StartsLikeCapital(text);
}

}  // namespace lexaro::documents::pdf
