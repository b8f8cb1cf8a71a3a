// SPDX-License-Identifier: GPL-2.0-or-later
// Slides built up over pages: a presentation shows a list one item at a time, each step a page
// of its own that repeats the one before and adds to it (or only changes a picture). The reader
// reads only the last step: a page whose text (lines with their figures masked, so that a
// slide's number does not count) all stands on the next page is left out.

#include <map>
#include <string>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

std::string Masked(const Line& line) {
    std::string text = Tidy(line.text);
    for (char& c : text) {
        if (c >= '0' && c <= '9') {
            c = '#';
        }
    }
    return text;
}

struct Page {
    std::size_t begin, end;  // its lines
};

// Whether every line of `page` stands on `next` (as often): `next` has more, or the same text
// with only its pictures changed (a highlight moving over a diagram).
bool BuiltUponBy(const std::vector<Line>& lines, Page page, Page next) {
    if (next.end - next.begin < page.end - page.begin) {
        return false;
    }
    std::map<std::string, int, std::less<>> onNext;
    for (std::size_t i = next.begin; i < next.end; ++i) {
        ++onNext[Masked(lines[i])];
    }
    for (std::size_t i = page.begin; i < page.end; ++i) {
        const auto found = onNext.find(Masked(lines[i]));
        if (found == onNext.end() || found->second == 0) {
            return false;
        }
        --found->second;
    }
    return true;
}

}  // namespace

std::vector<bool> FindBuilds(const std::vector<Line>& lines, Trace* trace) {
    std::vector<bool> built(lines.size(), false);
    std::vector<Page> pages;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].page != lines[i - 1].page) {
            pages.push_back({i, i});
        }
        pages.back().end = i + 1;
    }
    for (std::size_t p = 0; p + 1 < pages.size(); ++p) {
        const bool next = lines[pages[p + 1].begin].page == lines[pages[p].begin].page + 1;
        if (!next || !BuiltUponBy(lines, pages[p], pages[p + 1])) {
            continue;
        }
        for (std::size_t i = pages[p].begin; i < pages[p].end; ++i) {
            built[i] = true;
            if (trace != nullptr) {
                (*trace)[i].fate = {Why::BuiltUpon};
            }
        }
    }
    return built;
}

}  // namespace lexaro::documents::pdf
