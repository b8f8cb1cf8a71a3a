// Page furniture: running headers and footers, and page numbers. Among the lines nearest the top
// and the bottom of each page, those whose shape (numbers masked) stands at the same height on
// enough pages, and a lone number at the very top or bottom.

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <utility>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

// A line's text with its numbers masked: digits, and words that are only Roman figures, become
// '#'. Running headers and footers differ only in their page numbers.
std::string Shape(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                ++i;
            }
            out += '#';
            continue;
        }
        if (IsAsciiLetter(c) && (out.empty() || !IsAsciiLetter(out.back()))) {
            std::size_t end = i;
            while (end < text.size() && IsAsciiLetter(text[end])) {
                ++end;
            }
            const std::string_view word = text.substr(i, end - i);
            const bool roman = word.find_first_not_of("ivxlcdmIVXLCDM") == std::string_view::npos;
            out += roman ? std::string_view("#") : word;
            i = end;
            continue;
        }
        out += c;
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
                                             const PdfLayoutParams& params) {
    const auto edge = static_cast<std::size_t>(std::max(params.furnitureEdgeLines, 0));
    std::vector<std::vector<EdgeLine>> edges;
    for (std::size_t start = 0; start < lines.size();) {
        std::size_t end = start;
        while (end < lines.size() && lines[end].page == lines[start].page) {
            ++end;
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

// The keys a line is counted under: its shape, and for a header that carries the page number
// and the chapter's title ("xiv PREFACE"), the number at its end standing where other pages
// have theirs.
std::vector<std::string> Keys(const Line& line, bool outermost) {
    std::vector<std::string> shapes{Shape(Tidy(line.text))};
    if (outermost &&
        (shapes[0].starts_with("# ") || shapes[0].ends_with(" #") || IsLoneNumber(shapes[0]))) {
        shapes.emplace_back(kPageNumber);
    }
    return shapes;
}

// The pages on which each key stands, by height band.
class Repeats {
public:
    Repeats(const std::vector<Line>& lines, const std::vector<std::vector<EdgeLine>>& edges,
            const PdfLayoutParams& params)
        : lines_(lines), params_(params) {
        for (const auto& page : edges) {
            for (const EdgeLine& edge : page) {
                const Line& line = lines_[edge.index];
                const long at = band(line);
                for (const std::string& key : Keys(line, edge.outermost)) {
                    pages_[{key, at}].insert(line.page);
                }
            }
        }
    }

    // On how many pages `key` stands in the line's band or one near it.
    [[nodiscard]] std::size_t count(const std::string& key, const Line& line) const {
        std::set<int> seen;
        const long band = this->band(line);
        for (long at = band - params_.furnitureBandSlack; at <= band + params_.furnitureBandSlack;
             ++at) {
            if (const auto found = pages_.find({key, at}); found != pages_.end()) {
                seen.insert(found->second.begin(), found->second.end());
            }
        }
        return seen.size();
    }

private:
    [[nodiscard]] long band(const Line& line) const {
        return std::lround(line.top / params_.furnitureBandPoints);
    }

    const std::vector<Line>& lines_;
    const PdfLayoutParams& params_;
    std::map<std::pair<std::string, long>, std::set<int>> pages_;
};

// Whether the line at a page's edge is furniture, and why (EdgeKept when it is not).
Reason Judge(const Repeats& repeats, const Line& line, bool outermost,
             const PdfLayoutParams& params) {
    const auto needed = static_cast<std::size_t>(std::max(params.furnitureMinPages, 0));
    const std::vector<std::string> keys = Keys(line, outermost);
    std::size_t most = 0;
    for (const std::string& key : keys) {
        const std::size_t pages = repeats.count(key, line);
        if (pages >= needed) {
            const Why why = key == kPageNumber ? Why::PageNumberRepeats : Why::Repeats;
            return {why, line.top, static_cast<double>(pages)};
        }
        most = std::max(most, pages);
    }
    if (outermost && IsLoneNumber(keys.front())) {
        return {Why::LoneNumber};
    }
    return {Why::EdgeKept, line.top, static_cast<double>(most), static_cast<double>(needed)};
}

}  // namespace

std::vector<bool> FindFurniture(const std::vector<Line>& lines, const PdfLayoutParams& params,
                                Trace* trace) {
    const std::vector<std::vector<EdgeLine>> edges = PageEdges(lines, params);
    const Repeats repeats(lines, edges, params);
    std::vector<bool> furniture(lines.size(), false);
    for (const auto& page : edges) {
        for (const EdgeLine& edge : page) {
            const Reason reason = Judge(repeats, lines[edge.index], edge.outermost, params);
            furniture[edge.index] = reason.why != Why::EdgeKept;
            // (An edge line whose shape stands on no other page is not worth a word.)
            if (trace != nullptr && (reason.why != Why::EdgeKept || reason.b > 1)) {
                (*trace)[edge.index].fate = reason;
            }
        }
    }
    return furniture;
}

}  // namespace lexaro::documents::pdf
