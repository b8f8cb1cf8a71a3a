// SPDX-License-Identifier: GPL-2.0-or-later
// The PDF layout's trace in words (`lexaro-extract --layout FILE`): for each page its blocks and
// lines with their boxes, and under each the reasons the stages gave.

#include <array>
#include <cstdio>
#include <string_view>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

// {a}, {b}, {c}: the reason's figures to one decimal; {a:n}...: as short as they go (factors,
// counts).
struct Message {
    Why why;
    std::string_view words;
};

constexpr std::array kMessages{
    Message{Why::FirstOnPage, "first on its page"},
    Message{Why::NotBelow, "not just below the line before: baseline {a} down, not {b} to {c}"},
    Message{Why::Beside, "beside the line before, not below it"},
    Message{Why::ApartInOrder, "apart from the line before in poppler's blocks"},
    Message{Why::ColumnOrder,
            "read column by column: poppler's block {a:n} of the page, read as block {b:n}"},
    Message{Why::Blank, "dropped: blank"},
    Message{Why::Repeats, "furniture: the same at y={a} on {b:n} pages"},
    Message{Why::NumbersFollowPages,
            "furniture: repeats at y={a} on {b:n} pages, its numbers going up with the pages"},
    Message{Why::PageNumberRepeats, "furniture: a page number at y={a}, as on {b:n} pages"},
    Message{Why::LoneNumber, "furniture: a lone page number at the page's edge"},
    Message{Why::BuiltUpon, "dropped: the next page shows all its text (a slide built up)"},
    Message{Why::EdgeKept,
            "kept at the page's edge: its kin are at y={a} on {b:n} pages, "
            "numbered alike on {c:n}"},
    Message{Why::InParagraph,
            "kept: repeats like furniture, but a paragraph of the text runs through it"},
    Message{Why::PageTitle, "kept: the page's title, though it repeats (size {a} > body {b})"},
    Message{
        Why::Aside,
        "aside: small type ({a} < {b:n} \xC3\x97 body {c}) low on the page, body goes on above"},
    Message{Why::Float,
            "float: size {a} beside {b} (by more than {c:n}) where a paragraph reads on past a "
            "column or page, read after it"},
    Message{Why::FirstRead, "first line read"},
    Message{Why::SizeChanges, "new paragraph: type size {a}, then {b}"},
    Message{Why::Gap, "new paragraph: gap {a} > {b:n} \xC3\x97 usual {c}"},
    Message{Why::GapWithoutUsual,
            "new paragraph: gap {a} > {b:n} \xC3\x97 em {c} (no usual step for this size)"},
    Message{Why::Bullet, "new paragraph: starts with a bullet"},
    Message{Why::ShortLine,
            "new paragraph: sentence ends on a short line (right {a} < {b:n} of the block, {c})"},
    Message{Why::Indent,
            "new paragraph: sentence ends, then an indent {a} > {b:n} \xC3\x97 em {c}"},
    Message{Why::StandsAlone,
            "new line: the line before left room ({a}) for this one's first word ({b}) and "
            "{c:n} em, and this one starts like a capital at its indent"},
    Message{Why::ClauseEnds, "new paragraph after a break: the line before ends a clause"},
    Message{Why::StartsCapital, "new paragraph after a break: no small letter starts it"},
    Message{Why::OtherSize, "new paragraph after a break: type size {a}, then {b}"},
    Message{Why::BulletAfterBreak, "new paragraph after a break: starts with a bullet"},
    Message{Why::NoteStarts, "new paragraph: a note's mark starts it"},
    Message{Why::BoldRunIn,
            "heading run in: its first {a:n} words are bold (at most {b:n}), a line of their own"},
    Message{Why::BoldLine,
            "heading: a line in bold of {a:n} words (at most {b:n}) after a sentence's end"},
    Message{Why::AfterBoldHeading, "new paragraph: after a heading in bold"},
    Message{Why::ReadsOn, "reads on across the break: no clause end, next starts small"},
    Message{Why::Formula, "same paragraph: a piece of a formula"},
};

std::string Figure(double value, bool shortest) {
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), shortest ? "%g" : "%.1f", value);
    return buffer.data();
}

std::string Say(const Reason& reason) {
    const std::array figures{reason.a, reason.b, reason.c};
    std::string out;
    for (const Message& message : kMessages) {
        if (message.why != reason.why) {
            continue;
        }
        const std::string_view words = message.words;
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::size_t close = words[i] == '{' ? words.find('}', i) : std::string_view::npos;
            if (close == std::string_view::npos) {
                out += words[i];
                continue;
            }
            const auto figure = static_cast<std::size_t>(words[i + 1] - 'a') % figures.size();
            out += Figure(figures[figure], close - i > 2);
            i = close;
        }
    }
    return out;
}

std::string Box(double left, double top, double right, double bottom) {
    return "[" + Figure(left, false) + " " + Figure(top, false) + " " + Figure(right, false) + " " +
           Figure(bottom, false) + "]";
}

// The line's text, cut on a character's edge if it is long.
std::string Excerpt(std::string_view text) {
    constexpr std::size_t kMost = 72;
    const std::string tidy = Tidy(text);
    if (tidy.size() <= kMost) {
        return '"' + tidy + '"';
    }
    std::size_t end = kMost;
    while (end > 0 && (static_cast<unsigned char>(tidy[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    return '"' + tidy.substr(0, end) + "\xE2\x80\xA6\"";
}

void SayLine(const TraceInput& in, std::size_t i, std::string& out) {
    const Line& line = in.lines[i];
    out += "    line " + Box(line.left, line.top, line.right, line.bottom) + " size " +
           Figure(line.height, false) + " " + Excerpt(line.text) + "\n";
    for (const Reason& reason :
         {in.trace[i].order, in.trace[i].fate, in.trace[i].paragraph, in.trace[i].heading}) {
        if (reason) {
            out += "      " + Say(reason) + "\n";
        }
    }
}

void SayBlock(const TraceInput& in, std::size_t i, std::string& out) {
    const Block& block = in.blocks.boxes[in.blocks.of[i]];
    out += "  block " + Box(block.left, block.top, block.right, block.bottom);
    if (in.trace[i].block) {
        out += ": " + Say(in.trace[i].block);
    }
    out += "\n";
}

// The page's header, and its lines from `i` on; returns the line after them.
std::size_t SayPage(const TraceInput& in, std::size_t page, std::size_t i, std::string& out) {
    std::size_t end = i;
    while (end < in.lines.size() && static_cast<std::size_t>(in.lines[end].page) == page) {
        ++end;
    }
    out += "page " + std::to_string(page + 1) + " (" + Figure(in.pageHeights[page], false) +
           " pt high): " + std::to_string(end - i) + " lines";
    if (in.turnedDropped[page] > 0) {
        out += ", " + std::to_string(in.turnedDropped[page]) + " turned words left out";
    }
    if (in.byColumns[page]) {
        out += ", read column by column (blocks of running text side by side)";
    }
    out += "\n";
    for (; i < end; ++i) {
        if (i == 0 || in.blocks.of[i] != in.blocks.of[i - 1]) {
            SayBlock(in, i, out);
        }
        SayLine(in, i, out);
    }
    return end;
}

}  // namespace

std::string FormatTrace(const TraceInput& in) {
    std::string out;
    std::size_t line = 0;
    for (std::size_t page = 0; page < in.pageHeights.size(); ++page) {
        line = SayPage(in, page, line, out);
    }
    return out;
}

}  // namespace lexaro::documents::pdf
