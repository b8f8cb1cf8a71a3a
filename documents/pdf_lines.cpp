#include "documents/pdf_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lexaro::documents {

namespace {

struct Line {
    std::string text;
    double left, top, right, bottom;
    [[nodiscard]] double Height() const { return std::max(bottom - top, 1.0); }
};

bool OnSameLine(const Line& line, const PdfWord& previous, const PdfWord& word) {
    const double centre = (word.top + word.bottom) / 2;
    return centre > line.top && centre < line.bottom && word.left >= previous.left;
}

std::vector<Line> GroupLines(const std::vector<PdfWord>& words) {
    std::vector<Line> lines;
    const PdfWord* previous = nullptr;
    for (const PdfWord& word : words) {
        if (word.text.empty()) {
            continue;
        }
        if (previous != nullptr && OnSameLine(lines.back(), *previous, word)) {
            Line& line = lines.back();
            // Separate text runs can sit a visible gap apart without poppler seeing a space.
            if (previous->spaceAfter || word.left - previous->right > 0.25 * line.Height()) {
                line.text += ' ';
            }
            line.text += word.text;
            line.top = std::min(line.top, word.top);
            line.bottom = std::max(line.bottom, word.bottom);
            line.right = std::max(line.right, word.right);
        } else {
            lines.push_back({word.text, word.left, word.top, word.right, word.bottom});
        }
        previous = &word;
    }
    return lines;
}

bool SimilarHeight(const Line& a, const Line& b) {
    return std::abs(a.Height() - b.Height()) <= 0.2 * std::max(a.Height(), b.Height());
}

bool EndsSentence(std::string_view text) {
    for (const std::string_view end :
         {".", "!", "?", ":", "\"", ")", "\xE2\x80\x9D", "\xE2\x80\x99", "\xE2\x80\xA6"}) {
        if (text.ends_with(end)) {
            return true;
        }
    }
    return false;
}

// The page's ordinary distance from one line to the next: the smallest step down between lines
// of the same size. Zero when the page has no such pair.
double LineStep(const std::vector<Line>& lines) {
    double step = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const double down = lines[i].top - lines[i - 1].top;
        if (SimilarHeight(lines[i], lines[i - 1]) && down > 0.5 * lines[i - 1].Height() &&
            (step == 0 || down < step)) {
            step = down;
        }
    }
    return step;
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

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// The line with its spaces trimmed and runs of them made one.
std::string Tidy(std::string_view line) {
    std::string out;
    for (const char c : line) {
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

void JoinLine(std::string& paragraph, const std::string& next) {
    constexpr std::string_view kSoftHyphen = "\xC2\xAD";
    if (paragraph.size() >= 2 && paragraph.back() == '-' &&
        paragraph[paragraph.size() - 2] != ' ' && paragraph[paragraph.size() - 2] != '-') {
        if (!StartsLikeCapital(next)) {
            paragraph.pop_back();
        }
    } else if (paragraph.ends_with(kSoftHyphen)) {
        paragraph.resize(paragraph.size() - kSoftHyphen.size());
    } else if (!paragraph.ends_with("\xE2\x80\x90") && !paragraph.ends_with("\xE2\x80\x94")) {
        paragraph += ' ';  // neither a hyphen (U+2010) nor an em dash: an ordinary line end
    }
    paragraph += next;
}

}  // namespace

std::string LayOutPdfWords(const std::vector<PdfWord>& words) {
    const std::vector<Line> lines = GroupLines(words);
    const double step = LineStep(lines);
    std::string out;
    double paragraphLeft = 0;
    double paragraphRight = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (i > 0) {
            const Line& before = lines[i - 1];
            const double down = line.top - before.top;
            const double em = before.Height();
            paragraphLeft = std::min(paragraphLeft, line.left);
            paragraphRight = std::max(paragraphRight, line.right);
            const bool spacedOff =
                down < 0.5 * em || !SimilarHeight(line, before) || (step > 0 && down > 1.3 * step);
            // Ragged lines differ by a word or so; a paragraph's last line falls well short.
            const bool sentenceEnds =
                EndsSentence(before.text) &&
                (before.right < paragraphLeft + 0.8 * (paragraphRight - paragraphLeft) ||
                 line.left > before.left + 0.8 * em);
            if (spacedOff || sentenceEnds) {
                out += '\n';
                paragraphLeft = line.left;
                paragraphRight = line.right;
            }
            out += '\n';
        } else {
            paragraphLeft = line.left;
            paragraphRight = line.right;
        }
        out += line.text;
    }
    return out;
}

std::string JoinPdfLines(std::string_view text) {
    std::string out;
    std::string paragraph;
    const auto endParagraph = [&] {
        if (!paragraph.empty()) {
            out += out.empty() ? "" : "\n";
            out += paragraph;
            paragraph.clear();
        }
    };
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string line = Tidy(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty()) {
            endParagraph();
        } else if (paragraph.empty()) {
            paragraph = line;
        } else {
            JoinLine(paragraph, line);
        }
    }
    endParagraph();
    return out;
}

}  // namespace lexaro::documents
