#include "documents/pdf_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <set>

#include "documents/bidi.h"

namespace lexaro::documents {

namespace {

using Line = PdfLayout::Line;

double Median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double Height(const PdfWord& word) {
    return std::max(word.bottom - word.top, 1.0);
}

// The words of one line, gathered until the line is complete.
class LineBuilder {
public:
    [[nodiscard]] bool empty() const { return words_ == 0; }

    [[nodiscard]] bool continuedBy(const PdfWord& word) const {
        const double centre = (word.top + word.bottom) / 2;
        return words_ > 0 && centre > line_.top && centre < line_.bottom &&
               word.left >= previousLeft_;
    }

    void add(const PdfWord& word) {
        if (words_ == 0) {
            line_ = {word.text, word.left, word.top, word.right, word.bottom, 0, 0, 0, false};
        } else {
            // Separate text runs can sit a visible gap apart without poppler seeing a space.
            if (spaceAfter_ || word.left - previousRight_ > 0.25 * (line_.bottom - line_.top)) {
                line_.text += ' ';
            }
            line_.text += word.text;
            line_.top = std::min(line_.top, word.top);
            line_.bottom = std::max(line_.bottom, word.bottom);
            line_.right = std::max(line_.right, word.right);
        }
        heights_.push_back(Height(word));
        bottoms_.push_back(word.bottom);
        previousLeft_ = word.left;
        previousRight_ = word.right;
        spaceAfter_ = word.spaceAfter;
        ++words_;
    }

    Line take(int page) {
        line_.height = Median(heights_);
        line_.base = Median(bottoms_);
        line_.page = page;
        if (HasRightToLeft(line_.text)) {
            line_.text = LogicalOrder(line_.text);
        }
        heights_.clear();
        bottoms_.clear();
        words_ = 0;
        return std::move(line_);
    }

private:
    Line line_{};
    std::vector<double> heights_;
    std::vector<double> bottoms_;
    double previousLeft_ = 0;
    double previousRight_ = 0;
    bool spaceAfter_ = false;
    std::size_t words_ = 0;
};

bool SimilarHeight(double a, double b) {
    return std::abs(a - b) <= 0.2 * std::max(a, b);
}

bool EndsWithAny(std::string_view text, std::initializer_list<std::string_view> ends) {
    return std::any_of(ends.begin(), ends.end(),
                       [text](std::string_view end) { return text.ends_with(end); });
}

bool EndsSentence(std::string_view text) {
    return EndsWithAny(text, {".", "!", "?", ":", "\"", ")", "\xE2\x80\x9D", "\xE2\x80\x99",
                              "\xE2\x80\xA6", "\xE3\x80\x82", "\xEF\xBC\x81", "\xEF\xBC\x9F"});
}

// Ends a sentence or a clause: text after it may start a new paragraph even in small letters.
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

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsAsciiLetter(char c) {
    return IsAsciiUpper(c) || (c >= 'a' && c <= 'z');
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

// The word before a final hyphen is an abbreviation in capitals ("FAA-"): its hyphen is real.
bool CapitalsBeforeHyphen(std::string_view paragraph) {
    std::size_t start = paragraph.size() - 1;
    while (start > 0 && IsAsciiLetter(paragraph[start - 1])) {
        --start;
    }
    const std::string_view word = paragraph.substr(start, paragraph.size() - 1 - start);
    return word.size() >= 2 && std::all_of(word.begin(), word.end(), IsAsciiUpper);
}

bool EndsWithLineHyphen(std::string_view paragraph) {
    return paragraph.size() >= 2 && paragraph.back() == '-' &&
           paragraph[paragraph.size() - 2] != ' ' && paragraph[paragraph.size() - 2] != '-';
}

void JoinLine(std::string& paragraph, std::string_view next) {
    constexpr std::string_view kSoftHyphen = "\xC2\xAD";
    if (EndsWithLineHyphen(paragraph)) {
        if (!StartsLikeCapital(next) && !CapitalsBeforeHyphen(paragraph)) {
            paragraph.pop_back();
        }
    } else if (paragraph.ends_with(kSoftHyphen)) {
        paragraph.resize(paragraph.size() - kSoftHyphen.size());
    } else if (!paragraph.ends_with("\xE2\x80\x90") && !paragraph.ends_with("\xE2\x80\x94")) {
        paragraph += ' ';  // neither a hyphen (U+2010) nor an em dash: an ordinary line end
    }
    paragraph += next;
}

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

struct Block {
    double left, top, right, height;
};

class Reader {
public:
    Reader(const std::vector<Line>& lines, const std::vector<double>& pageHeights)
        : lines_(lines), pageHeights_(pageHeights) {
        measureSteps();
        measureBlocks();
    }

    std::string read() {
        const std::vector<bool> furniture = findFurniture();
        const std::vector<bool> aside = findAsides(furniture);
        const Line* previous = nullptr;
        const Line* previousAside = nullptr;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (furniture[i]) {
                continue;
            }
            const Line& line = lines_[i];
            const std::string text = Tidy(line.text);
            if (text.empty()) {
                continue;
            }
            if (aside[i]) {
                addTo(asides_, asideParagraph_, previousAside, line, text);
                previousAside = &line;
            } else {
                addTo(out_, paragraph_, previous, line, text);
                previous = &line;
            }
        }
        endParagraph(out_, paragraph_);
        endParagraph(asides_, asideParagraph_);
        flushAsides();
        return std::move(out_);
    }

private:
    static int Bucket(double height) { return static_cast<int>(std::lround(height * 2)); }

    // The usual step from one line to the next for each size of type: the most common one.
    void measureSteps() {
        std::map<int, std::map<long, int>> counts;
        for (std::size_t i = 1; i < lines_.size(); ++i) {
            const Line& before = lines_[i - 1];
            const Line& line = lines_[i];
            const double down = line.base - before.base;
            if (line.newBlock || !SimilarHeight(line.height, before.height) ||
                down < 0.5 * before.height || down > 3 * before.height) {
                continue;
            }
            ++counts[Bucket(before.height)][std::lround(down * 4)];
        }
        for (const auto& [bucket, steps] : counts) {
            const auto most =
                std::max_element(steps.begin(), steps.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
            steps_[bucket] = static_cast<double>(most->first) / 4;
        }
    }

    void measureBlocks() {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            if (i == 0 || line.newBlock) {
                blocks_.push_back({line.left, line.top, line.right, line.height});
            }
            Block& block = blocks_.back();
            block.left = std::min(block.left, line.left);
            block.right = std::max(block.right, line.right);
            block.height = std::max(block.height, line.height);
            blockOf_.push_back(blocks_.size() - 1);
        }
    }

    [[nodiscard]] double step(double height) const {
        for (const int bucket : {Bucket(height), Bucket(height) - 1, Bucket(height) + 1}) {
            if (const auto found = steps_.find(bucket); found != steps_.end()) {
                return found->second;
            }
        }
        return 0;
    }

    // Whether `line` starts a paragraph after `before`, the line read just before it.
    [[nodiscard]] bool startsParagraph(const Line& before, const Line& line) const {
        if (PartOfFormula(before, line)) {
            return false;
        }
        const bool sameBlock = &line - &before == 1 && !line.newBlock;
        if (sameBlock) {
            const Block& block = blocks_[blockOf_[static_cast<std::size_t>(&line - lines_.data())]];
            const double em = before.height;
            const double down = line.base - before.base;
            const double usual = step(em);
            const bool spacedOff = !SimilarHeight(line.height, before.height) ||
                                   down > (usual > 0 ? 1.25 * usual : 2 * em) ||
                                   StartsWithBullet(line.text);
            // Ragged lines differ by a word or so; a paragraph's last line falls well short.
            const bool sentenceEnds =
                EndsSentence(Tidy(before.text)) &&
                (before.right < block.left + 0.8 * (block.right - block.left) ||
                 line.left > before.left + 0.8 * em);
            if (!spacedOff && !sentenceEnds) {
                return false;
            }
        }
        return !ReadsOn(before, line);
    }

    // The pieces of a displayed formula (sub- and superscripts, limits, a fraction's parts) sit
    // at their own heights, overlapping or close to their neighbours: they are one line.
    [[nodiscard]] static bool PartOfFormula(const Line& before, const Line& line) {
        if (line.page != before.page) {
            return false;
        }
        const double em = std::min(before.height, line.height);
        const bool overlap =
            line.top < before.bottom - 0.2 * em && line.bottom > before.top + 0.2 * em;
        const bool horizontal =
            line.left < before.right + 4 * em && line.right > before.left - 4 * em;
        // A few symbols, not a word: "n", "k=0", "i∈I".
        const auto fragment = [](const Line& l) {
            const std::string text = Tidy(l.text);
            std::size_t run = 0;
            for (const char c : text) {
                run = IsAsciiLetter(c) ? run + 1 : 0;
                if (run == 3) {
                    return false;
                }
            }
            return text.size() <= 8;
        };
        const bool close = line.top - before.bottom < 0.5 * em;
        return horizontal && (overlap || ((fragment(before) || fragment(line)) && close));
    }

    // A sentence cut by a column, a page or a gap reads on in small letters.
    [[nodiscard]] static bool ReadsOn(const Line& before, const Line& line) {
        const std::string text = Tidy(before.text);
        return SimilarHeight(line.height, before.height) && !EndsClause(text) &&
               StartsSmall(Tidy(line.text)) && !StartsWithBullet(line.text);
    }

    void addTo(std::string& out, std::string& paragraph, const Line* previous, const Line& line,
               const std::string& text) {
        if (previous != nullptr && startsParagraph(*previous, line)) {
            endParagraph(out, paragraph);
            if (&out == &out_) {
                flushAsides();
            }
        }
        if (paragraph.empty()) {
            paragraph = text;
        } else {
            JoinLine(paragraph, text);
        }
    }

    static void endParagraph(std::string& out, std::string& paragraph) {
        if (!paragraph.empty()) {
            out += out.empty() ? "" : "\n";
            out += paragraph;
            paragraph.clear();
        }
    }

    // Asides met so far go after the paragraph that was open when they were met.
    void flushAsides() {
        endParagraph(asides_, asideParagraph_);
        if (!asides_.empty()) {
            out_ += out_.empty() ? "" : "\n";
            out_ += asides_;
            asides_.clear();
        }
    }

    // Running headers and footers, and page numbers: among the three lines nearest the top and
    // the bottom of each page, those whose shape stands at the same height on three pages or more,
    // and a lone number at the very top or bottom.
    [[nodiscard]] std::vector<bool> findFurniture() const {
        std::vector<std::vector<std::size_t>> edges;  // per page, the lines near its edges
        for (std::size_t start = 0; start < lines_.size();) {
            std::size_t end = start;
            while (end < lines_.size() && lines_[end].page == lines_[start].page) {
                ++end;
            }
            std::vector<std::size_t> order(end - start);
            std::iota(order.begin(), order.end(), start);
            std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
                return lines_[a].top < lines_[b].top;
            });
            std::vector<std::size_t> near;
            for (std::size_t k = 0; k < order.size(); ++k) {
                if (k < 3 || k + 3 >= order.size()) {
                    near.push_back(order[k]);
                }
            }
            edges.push_back(std::move(near));
            start = end;
        }
        // Pages by shape and by height on the page, in steps of 4 points. A header that carries
        // the page number and the chapter's title ("xiv PREFACE") is known by the number at its
        // end standing where other pages have theirs.
        std::map<std::pair<std::string, long>, std::set<int>> pages;
        const auto level = [](const Line& line) { return std::lround(line.top / 4); };
        const auto keys = [](const Line& line, bool outermost) {
            std::vector<std::string> shapes{Shape(Tidy(line.text))};
            if (outermost && (shapes[0].starts_with("# ") || shapes[0].ends_with(" #") ||
                              IsLoneNumber(shapes[0]))) {
                shapes.emplace_back("\n#");
            }
            return shapes;
        };
        const auto isOutermost = [](const std::vector<std::size_t>& near, std::size_t k) {
            return k == 0 || k + 1 == near.size();
        };
        for (const auto& near : edges) {
            for (std::size_t k = 0; k < near.size(); ++k) {
                const Line& line = lines_[near[k]];
                for (const std::string& shape : keys(line, isOutermost(near, k))) {
                    pages[{shape, level(line)}].insert(line.page);
                }
            }
        }
        std::vector<bool> furniture(lines_.size(), false);
        for (const auto& near : edges) {
            for (std::size_t k = 0; k < near.size(); ++k) {
                const Line& line = lines_[near[k]];
                const std::vector<std::string> shapes = keys(line, isOutermost(near, k));
                bool repeated = false;
                for (const std::string& shape : shapes) {
                    std::set<int> seen;
                    for (const long at : {level(line) - 1, level(line), level(line) + 1}) {
                        if (const auto found = pages.find({shape, at}); found != pages.end()) {
                            seen.insert(found->second.begin(), found->second.end());
                        }
                    }
                    repeated = repeated || seen.size() >= 3;
                }
                furniture[near[k]] =
                    repeated || (isOutermost(near, k) && IsLoneNumber(shapes.front()));
            }
        }
        return furniture;
    }

    // Blocks of small type in the lower half of a page that the body text goes on past (it comes
    // back higher up, in the next column): footnotes, a copyright box, a caption.
    [[nodiscard]] std::vector<bool> findAsides(const std::vector<bool>& furniture) const {
        std::map<int, std::size_t> charactersBySize;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (!furniture[i]) {
                charactersBySize[Bucket(lines_[i].height)] += lines_[i].text.size();
            }
        }
        std::vector<bool> aside(lines_.size(), false);
        if (charactersBySize.empty()) {
            return aside;  // every line is furniture
        }
        const double body =
            std::max_element(charactersBySize.begin(), charactersBySize.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; })
                ->first /
            2.0;
        // Walking back, the highest top of a body-sized block still to come on the page.
        double highestLater = 0;
        for (std::size_t i = lines_.size(); i-- > 0;) {
            const Block& block = blocks_[blockOf_[i]];
            const Line& line = lines_[i];
            if (i + 1 == lines_.size() || lines_[i + 1].page != line.page) {
                highestLater = std::numeric_limits<double>::infinity();
            }
            const bool small = block.height < 0.9 * body &&
                               line.top >= pageHeights_[static_cast<std::size_t>(line.page)] / 2;
            aside[i] = small && highestLater < block.top;
            if (!furniture[i] && SimilarHeight(block.height, body)) {
                highestLater = std::min(highestLater, block.top);
            }
        }
        return aside;
    }

    const std::vector<Line>& lines_;
    const std::vector<double>& pageHeights_;
    std::map<int, double> steps_;
    std::vector<Block> blocks_;
    std::vector<std::size_t> blockOf_;
    std::string out_;
    std::string paragraph_;
    std::string asides_;
    std::string asideParagraph_;
};

}  // namespace

void PdfLayout::addPage(const std::vector<PdfWord>& words, double height) {
    const int page = static_cast<int>(pageHeights_.size());
    pageHeights_.push_back(height);
    const auto turned =
        std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return !w.upright; });
    const bool dropTurned = static_cast<std::size_t>(turned) * 4 < words.size();
    const std::size_t first = lines_.size();
    LineBuilder builder;
    for (const PdfWord& word : words) {
        if (word.text.empty() || (dropTurned && !word.upright)) {
            continue;
        }
        if (!builder.empty() && !builder.continuedBy(word)) {
            lines_.push_back(builder.take(page));
        }
        builder.add(word);
    }
    if (!builder.empty()) {
        lines_.push_back(builder.take(page));
    }
    for (std::size_t i = first; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        size_ += line.text.size() + 1;
        if (i == first) {
            line.newBlock = true;
            continue;
        }
        const Line& before = lines_[i - 1];
        const double down = line.base - before.base;
        const bool below = down >= 0.5 * std::min(line.height, before.height) &&
                           down <= 4 * std::max(line.height, before.height);
        const bool overlaps = line.left < before.right && line.right > before.left;
        line.newBlock = !below || !overlaps;
    }
}

std::string PdfLayout::text() const {
    return Reader(lines_, pageHeights_).read();
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
