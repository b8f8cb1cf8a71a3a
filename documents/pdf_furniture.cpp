// SPDX-License-Identifier: GPL-2.0-or-later
// Page furniture: running headers and footers, and page numbers. Among the lines nearest the top
// and the bottom of each page, those that stand at the same height on enough pages, the same or
// with numbers that go up with the pages (a page number; "xiv PREFACE" beside "xv PREFACE"), and a
// lone number at the very top or bottom. A line whose only kin differ in numbers that do not
// follow the pages (a table's rows, a numbered heading, a line that starts with "I") is body.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <utility>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

// A number in a line's text (64 bits wherever long is 32), and a number less its page's index.
using Number = std::int64_t;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a number in Roman figures, in either case; subtractive pairs as in "xiv".
Number RomanValue(std::string_view word) {
    const auto value = [](char c) -> Number {
        switch (c | 0x20) {
            case 'i':
                return 1;
            case 'v':
                return 5;
            case 'x':
                return 10;
            case 'l':
                return 50;
            case 'c':
                return 100;
            case 'd':
                return 500;
            default:
                return 1000;  // 'm': Shape passes nothing else
        }
    };
    Number total = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const Number here = value(word[i]);
        total += i + 1 < word.size() && here < value(word[i + 1]) ? -here : here;
    }
    return total;
}

// A line's text with its numbers masked, and the numbers.
struct Shaped {
    std::string shape;
    std::vector<Number> numbers;  // in the order they stand
};

// The run of digits at `i`: '#' in the shape, and a number ("1,204" and "858.70" are one number
// each, though two runs of digits in the shape).
void AddDigits(std::string_view text, std::size_t& i, Shaped& out) {
    const bool goesOn = i >= 2 && (text[i - 1] == ',' || text[i - 1] == '.') &&
                        IsDigit(text[i - 2]) && !out.numbers.empty();
    Number value = goesOn ? out.numbers.back() : 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = std::min<Number>(value * 10 + (text[i] - '0'), Number{1} << 40);
    }
    out.shape += '#';
    if (goesOn) {
        out.numbers.back() = value;
    } else {
        out.numbers.push_back(value);
    }
}

// Digits, and words that are only small Roman figures, become '#': running headers and footers
// differ only in their page numbers.
Shaped Shape(std::string_view text) {
    Shaped out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsDigit(c)) {
            AddDigits(text, i, out);
            continue;
        }
        if (IsAsciiLetter(c) && (out.shape.empty() || !IsAsciiLetter(out.shape.back()))) {
            std::size_t end = i;
            while (end < text.size() && IsAsciiLetter(text[end])) {
                ++end;
            }
            const std::string_view word = text.substr(i, end - i);
            // Pages are numbered in small Roman figures ("xiv"); capitals number chapters,
            // lessons and parts ("LESSON II."), which are headings, not page furniture.
            const bool roman = word.find_first_not_of("ivxlcdm") == std::string_view::npos;
            out.shape += roman ? std::string_view("#") : word;
            if (roman) {
                out.numbers.push_back(RomanValue(word));
            }
            i = end;
            continue;
        }
        out.shape += c;
        ++i;
    }
    return out;
}

// Nothing but a page number: "12", "- 12 -", "xiv", "12/40".
bool IsLoneNumber(std::string_view shape) {
    return shape.find('#') != std::string_view::npos &&
           shape.find_first_not_of("# -./()[]\xE2\x80\x93") == std::string_view::npos;
}

// The key under which a page number is counted, whatever text stands beside it.
constexpr std::string_view kPageNumber = "\n#";

// A line near a page's edge: its index, and whether it is the first or last line there.
struct EdgeLine {
    std::size_t index;
    bool outermost;
};

// For each page, the lines nearest its top and its bottom.
std::vector<std::vector<EdgeLine>> PageEdges(const std::vector<Line>& lines,
                                             const std::vector<bool>& built,
                                             const PdfLayoutParams& params) {
    const auto edge = static_cast<std::size_t>(std::max(params.furnitureEdgeLines, 0));
    std::vector<std::vector<EdgeLine>> edges;
    for (std::size_t start = 0; start < lines.size();) {
        std::size_t end = start;
        while (end < lines.size() && lines[end].page == lines[start].page) {
            ++end;
        }
        if (built[start]) {  // a page built upon by the next is not counted
            edges.emplace_back();
            start = end;
            continue;
        }
        std::vector<std::size_t> order(end - start);
        std::iota(order.begin(), order.end(), start);
        std::sort(order.begin(), order.end(),
                  [&lines](std::size_t a, std::size_t b) { return lines[a].top < lines[b].top; });
        std::vector<std::size_t> near;
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k < edge || k + edge >= order.size()) {
                near.push_back(order[k]);
            }
        }
        std::vector<EdgeLine>& page = edges.emplace_back();
        for (std::size_t k = 0; k < near.size(); ++k) {
            page.push_back({near[k], k == 0 || k + 1 == near.size()});
        }
        start = end;
    }
    return edges;
}

// What a line is counted under to find its kin on other pages.
struct Key {
    std::string text;
    // Each number of the line less its page's index: where some of these agree with the line's
    // kin on other pages, its numbers go up page by page as page numbers do.
    std::vector<Number> offsets;
    // Whether they must agree: not for a lone number, a page number by its very form.
    bool numbered;
    Why why;  // what the line is when its kin are on enough pages
};

std::vector<Number> Offsets(const Line& line, const std::vector<Number>& numbers) {
    std::vector<Number> offsets;
    offsets.reserve(numbers.size());
    for (const Number number : numbers) {
        offsets.push_back(number - line.page);
    }
    return offsets;
}

// The keys: the very text; its shape, if it holds numbers; and for a header that carries the page
// number and the chapter's title ("xiv PREFACE"), a number at its start or end, standing where
// other pages have theirs.
std::vector<Key> Keys(const Line& line, bool outermost) {
    const std::string text = Tidy(line.text);
    const Shaped shaped = Shape(text);
    std::vector<Key> keys{{"\n=" + text, {}, false, Why::Repeats}};
    if (shaped.numbers.empty()) {
        return keys;
    }
    const std::string& shape = shaped.shape;
    const bool lone = IsLoneNumber(shape);
    // Any of its numbers may be the page's ("Report 2014 9 / 21").
    const std::vector<Number> offsets = Offsets(line, shaped.numbers);
    keys.push_back(
        {shape, offsets, !lone, lone ? Why::PageNumberRepeats : Why::NumbersFollowPages});
    if (outermost && (lone || shape.starts_with("# ") || shape.ends_with(" #"))) {
        keys.push_back({std::string(kPageNumber), offsets, !lone, Why::PageNumberRepeats});
    }
    return keys;
}

// The pages on which each key stands, by height band and by offset (kAny: whatever the offset).
class Repeats {
public:
    static constexpr Number kAny = std::numeric_limits<Number>::min();

    Repeats(const std::vector<Line>& lines, const std::vector<std::vector<EdgeLine>>& edges,
            const PdfLayoutParams& params)
        : params_(params) {
        for (const auto& page : edges) {
            for (const EdgeLine& edge : page) {
                const Line& line = lines[edge.index];
                for (const Key& key : Keys(line, edge.outermost)) {
                    auto& byOffset = pages_[{key.text, band(line)}];
                    byOffset[kAny].insert(line.page);
                    for (const Number offset : key.offsets) {
                        byOffset[offset].insert(line.page);
                    }
                }
            }
        }
    }

    // On how many pages the key stands in the line's band or one near it: in all, and with the
    // same offset as one of the key's own (the most for any one of them).
    struct Count {
        std::size_t pages = 0;
        std::size_t numberedAlike = 0;
    };
    [[nodiscard]] Count count(const Key& key, const Line& line) const {
        Count count{pages(key.text, line, kAny), 0};
        for (const Number offset : key.offsets) {
            count.numberedAlike = std::max(count.numberedAlike, pages(key.text, line, offset));
        }
        return count;
    }

private:
    [[nodiscard]] std::size_t pages(const std::string& text, const Line& line,
                                    Number offset) const {
        std::set<int> seen;
        const long band = this->band(line);
        for (long at = band - params_.furnitureBandSlack; at <= band + params_.furnitureBandSlack;
             ++at) {
            const auto found = pages_.find({text, at});
            if (found != pages_.end() && found->second.contains(offset)) {
                const std::set<int>& pages = found->second.at(offset);
                seen.insert(pages.begin(), pages.end());
            }
        }
        return seen.size();
    }

    [[nodiscard]] long band(const Line& line) const {
        return std::lround(line.top / params_.furnitureBandPoints);
    }

    const PdfLayoutParams& params_;
    std::map<std::pair<std::string, long>, std::map<Number, std::set<int>>> pages_;
};

// Whether the line at a page's edge is furniture, and why (EdgeKept when it is not: then with
// the pages its kin stand on, and the most of them numbered alike).
Reason Judge(const Repeats& repeats, const Line& line, bool outermost,
             const PdfLayoutParams& params) {
    const auto needed = static_cast<std::size_t>(std::max(params.furnitureMinPages, 0));
    const auto alike = static_cast<std::size_t>(std::max(params.furniturePagesNumberedAlike, 0));
    const std::vector<Key> keys = Keys(line, outermost);
    Repeats::Count most;
    for (const Key& key : keys) {
        const Repeats::Count count = repeats.count(key, line);
        if (count.pages >= needed && (!key.numbered || count.numberedAlike >= alike)) {
            return {key.why, line.top, static_cast<double>(count.pages)};
        }
        most.pages = std::max(most.pages, count.pages);
        most.numberedAlike = std::max(most.numberedAlike, count.numberedAlike);
    }
    if (outermost && keys.size() > 1 && IsLoneNumber(keys[1].text)) {
        return {Why::LoneNumber};
    }
    return {Why::EdgeKept, line.top, static_cast<double>(most.pages),
            static_cast<double>(most.numberedAlike)};
}

// A line taken for furniture for its numbers that a body paragraph runs through, as its first or
// last line, is body: a running header is set apart from the text by space or size.
bool InBodyParagraph(const std::vector<Line>& lines, const std::vector<bool>& furniture,
                     std::size_t i, const ParagraphRule& rule, const PdfLayoutParams& params) {
    const auto joins = [&](std::size_t above, std::size_t below) {
        const Line& a = lines[above];
        const Line& b = lines[below];
        return a.page == b.page && !b.newBlock &&
               std::abs(a.height - b.height) <= params.inParagraphSizeDifference &&
               !rule.breakInBlock(a, b);
    };
    return (i + 1 < lines.size() && !furniture[i + 1] && joins(i, i + 1)) ||
           (i > 0 && !furniture[i - 1] && joins(i - 1, i));
}

// Pages' titles: first lines in type larger than the body's. Where they differ from page to page
// at the same place, they are slides' titles; where one text stands at that place on most pages
// that have a title there, it is a running header set large.
class Titles {
public:
    Titles(const std::vector<Line>& lines, const std::vector<bool>& built, double body,
           const PdfLayoutParams& params)
        : lines_(lines), body_(body), params_(params) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!built[i] && first(i)) {
                ++pages_[band(lines[i])];
                ++texts_[{band(lines[i]), Tidy(lines[i].text)}];
            }
        }
    }

    [[nodiscard]] double body() const { return body_; }

    [[nodiscard]] bool isTitle(std::size_t i) const {
        if (!first(i)) {
            return false;
        }
        const long at = band(lines_[i]);
        const std::string text = Tidy(lines_[i].text);
        int same = 0;
        int all = 0;
        for (long near = at - params_.furnitureBandSlack; near <= at + params_.furnitureBandSlack;
             ++near) {
            if (const auto found = texts_.find({near, text}); found != texts_.end()) {
                same += found->second;
            }
            if (const auto found = pages_.find(near); found != pages_.end()) {
                all += found->second;
            }
        }
        return static_cast<double>(same) < params_.titleRepeatShare * static_cast<double>(all);
    }

private:
    [[nodiscard]] bool first(std::size_t i) const {
        const Line& line = lines_[i];
        return (i == 0 || lines_[i - 1].page != line.page) && line.height > body_ &&
               !SimilarHeight(line.height, body_, params_);
    }

    [[nodiscard]] long band(const Line& line) const {
        return std::lround(line.top / params_.furnitureBandPoints);
    }

    const std::vector<Line>& lines_;
    double body_;
    const PdfLayoutParams& params_;
    std::map<long, int> pages_;                          // pages with a title, by its band
    std::map<std::pair<long, std::string>, int> texts_;  // pages with each title, by band
};

}  // namespace

std::vector<bool> FindFurniture(const std::vector<Line>& lines, const std::vector<bool>& built,
                                const ParagraphRule& rule, const PdfLayoutParams& params,
                                Trace* trace) {
    const std::vector<std::vector<EdgeLine>> edges = PageEdges(lines, built, params);
    const Repeats repeats(lines, edges, params);
    std::vector<bool> furniture(lines.size(), false);
    std::vector<Reason> reasons(lines.size());
    for (const auto& page : edges) {
        for (const EdgeLine& edge : page) {
            reasons[edge.index] = Judge(repeats, lines[edge.index], edge.outermost, params);
            furniture[edge.index] = reasons[edge.index].why != Why::EdgeKept;
        }
    }
    const Titles titles(lines, built, BodySize(lines, furniture, params), params);
    std::vector<bool> kept = furniture;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // (Not a line the same on many pages, nor a lone number: those are furniture by their
        // very form, wherever they stand.)
        const bool numbered =
            reasons[i].why == Why::NumbersFollowPages || reasons[i].why == Why::PageNumberRepeats;
        if (furniture[i] && numbered && InBodyParagraph(lines, furniture, i, rule, params)) {
            kept[i] = false;
            reasons[i] = {Why::InParagraph};
        }
        // A slide's title, shown on every slide of its section, is read each time: a page's
        // first line in type larger than the body's, where other pages have other titles.
        if (furniture[i] && reasons[i].why == Why::Repeats && titles.isTitle(i)) {
            kept[i] = false;
            reasons[i] = {Why::PageTitle, lines[i].height, titles.body()};
        }
        // (An edge line whose shape stands on no other page is not worth a word.)
        if (trace != nullptr && !built[i] &&
            (reasons[i].why != Why::EdgeKept || reasons[i].b > 1)) {
            (*trace)[i].fate = reasons[i];
        }
        kept[i] = kept[i] || built[i];
    }
    return kept;
}

}  // namespace lexaro::documents::pdf
