// SPDX-License-Identifier: GPL-2.0-or-later
// Paragraphs: inside a block a paragraph ends where the spacing between lines opens up past the
// document's usual step for that size of type, the size changes, a line starts with a bullet, or
// a sentence ends on a short line or before an indented one. A paragraph cut by a column or a
// page ends there only if it ends a clause: a line that stops mid-sentence, followed by one that
// starts with a small letter, reads on. A heading in bold is a line of its own, also where it
// runs into its paragraph's first line. And the rule for joining a paragraph's lines.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <unordered_map>

#include "documents/pdf_layout_internal.h"

namespace lexaro::documents::pdf {

namespace {

// The pieces of a displayed formula (sub- and superscripts, limits, a fraction's parts) sit at
// their own heights, overlapping or close to their neighbours: they are one line.
bool PartOfFormula(const Line& before, const Line& line, const PdfLayoutParams& params) {
    if (line.page != before.page) {
        return false;
    }
    const double em = std::min(before.height, line.height);
    const double overlap = params.formulaOverlap * em;
    const bool overlaps = line.top < before.bottom - overlap && line.bottom > before.top + overlap;
    const double reach = params.formulaReach * em;
    const bool horizontal = line.left < before.right + reach && line.right > before.left - reach;
    // A few symbols, not a word: "n", "k=0", "i∈I".
    const auto fragment = [&params](const Line& l) {
        const std::string text = Tidy(l.text);
        int run = 0;
        for (const char c : text) {
            run = IsAsciiLetter(c) ? run + 1 : 0;
            if (run == params.fragmentWordLetters) {
                return false;
            }
        }
        return text.size() <= static_cast<std::size_t>(std::max(params.fragmentBytes, 0));
    };
    const bool close = line.top - before.bottom < params.formulaClose * em;
    return horizontal && (overlaps || ((fragment(before) || fragment(line)) && close));
}

// A dash that ends a line right after a word joins the next line without a space: an em dash
// ("children—and"), a hyphen sign (U+2010), and an en dash between figures or in a code
// ("222–228", "FAA–2020–0686"). One standing apart ("word –") is followed by a space.
bool EndsWithJoiningDash(std::string_view paragraph) {
    for (const std::string_view dash : {"\xE2\x80\x90", "\xE2\x80\x93", "\xE2\x80\x94"}) {
        if (paragraph.size() > dash.size() && paragraph.ends_with(dash)) {
            return paragraph[paragraph.size() - dash.size() - 1] != ' ';
        }
    }
    return false;
}

// A sentence cut by a column, a page or a gap reads on in small letters: ReadsOn, or why not.
Reason ReadsOn(const Line& before, const Line& line, const PdfLayoutParams& params) {
    if (!SimilarHeight(line.height, before.height, params)) {
        return {Why::OtherSize, before.height, line.height};
    }
    if (EndsClause(Tidy(before.text))) {
        return {Why::ClauseEnds};
    }
    if (!StartsSmall(Tidy(line.text))) {
        return {Why::StartsCapital};
    }
    if (StartsWithBullet(line.text)) {
        return {Why::BulletAfterBreak};
    }
    return {Why::ReadsOn};
}

void EndParagraph(std::string& out, std::string& paragraph) {
    if (!paragraph.empty()) {
        out += out.empty() ? "" : "\n";
        out += paragraph;
        paragraph.clear();
    }
}

}  // namespace

// The usual step from one line to the next for each size of type: the most common one, so that a
// code listing or a table does not set it for the body around it.
ParagraphRule::ParagraphRule(const std::vector<Line>& lines, const Blocks& blocks,
                             const PdfLayoutParams& params)
    : lines_(lines), blocks_(blocks), params_(params) {
    std::map<long, std::map<long, int>> counts;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line& before = lines[i - 1];
        const Line& line = lines[i];
        const double down = line.base - before.base;
        if (line.newBlock || !SimilarHeight(line.height, before.height, params) ||
            down < params.usualStepMin * before.height ||
            down > params.usualStepMax * before.height) {
            continue;
        }
        ++counts[SizeBucket(before.height, params)][std::lround(down * params.usualStepPerPoint)];
    }
    for (const auto& [bucket, steps] : counts) {
        const auto most =
            std::max_element(steps.begin(), steps.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
        steps_[bucket] = static_cast<double>(most->first) / params.usualStepPerPoint;
    }
    measureMargins();
}

// For each line, the right end of its block's widest line of its size: where the block's text
// reaches (a running header in another size, in the block with it, does not count).
void ParagraphRule::measureMargins() {
    margins_.assign(lines_.size(), 0);
    for (std::size_t begin = 0; begin < lines_.size();) {
        std::size_t end = begin;
        std::map<long, double> widest;
        for (; end < lines_.size() && blocks_.of[end] == blocks_.of[begin]; ++end) {
            double& right = widest[SizeBucket(lines_[end].height, params_)];
            right = std::max(right, lines_[end].right);
        }
        for (std::size_t i = begin; i < end; ++i) {
            margins_[i] = widest[SizeBucket(lines_[i].height, params_)];
        }
        begin = end;
    }
}

// For type of `height` or a half point either way; 0 where there is none.
double ParagraphRule::usualStep(double height) const {
    const long bucket = SizeBucket(height, params_);
    for (const long near : {bucket, bucket - 1, bucket + 1}) {
        if (const auto found = steps_.find(near); found != steps_.end()) {
            return found->second;
        }
    }
    return 0;
}

ParagraphRule::Verdict ParagraphRule::startsAfter(const Line& before, const Line& line) const {
    if (line.noteStart) {
        return {true, {Why::NoteStarts}};
    }
    if (PartOfFormula(before, line, params_)) {
        return {false, {Why::Formula}};
    }
    // Across a block or a page, and past lines not read, a paragraph may always end.
    const bool sameBlock = &line - &before == 1 && !line.newBlock;
    const Reason cut = sameBlock ? breakInBlock(before, line) : Reason{};
    if (sameBlock && !cut) {
        return {false, {}};
    }
    const Reason on = ReadsOn(before, line, params_);
    if (on.why == Why::ReadsOn) {
        return {false, on};
    }
    return {true, sameBlock ? cut : on};
}

Reason ParagraphRule::breakInBlock(const Line& before, const Line& line) const {
    const double em = before.height;
    if (!SimilarHeight(line.height, before.height, params_) ||
        (std::abs(line.height - before.height) > params_.headingSizeStep &&
         std::abs(line.height - before.height) >
             params_.headingSizeShare * std::max(line.height, before.height))) {
        return {Why::SizeChanges, before.height, line.height};
    }
    const double down = line.base - before.base;
    const double usual = usualStep(em);
    if (down > (usual > 0 ? params_.paragraphGap * usual : params_.paragraphGapWithoutUsual * em)) {
        return usual > 0 ? Reason{Why::Gap, down, params_.paragraphGap, usual}
                         : Reason{Why::GapWithoutUsual, down, params_.paragraphGapWithoutUsual, em};
    }
    if (StartsWithBullet(line.text)) {
        return {Why::Bullet};
    }
    if (const Reason ends = sentenceEnds(before, line)) {
        return ends;
    }
    return standsAlone(before, line);
}

// A line that ends where the next line's first word would have fit, followed at its indent by a
// line that starts like a capital, is a line of its own: a verse's line, an address's, a table of
// contents' entry, a list item or a heading without its bullet or stop. Running text breaks a
// line only where the next word does not fit (ragged lines differ by a word), and a narrow column
// of justified text beside a picture stops where its neighbours stop.
Reason ParagraphRule::standsAlone(const Line& before, const Line& line) const {
    const double em = before.height;
    if (std::abs(line.left - before.left) > params_.indent * em) {
        return {};
    }
    // The room is to the longer of the lines around it or to the block's widest line of its
    // size; a line ending where its neighbours end is one of justified running text, however
    // short of the block (a narrow column beside a picture).
    const double neighbours = std::max(line.right, aboveRight(before));
    const double slack = params_.fitSlackEms * em;
    const double room =
        std::max(neighbours, margins_[static_cast<std::size_t>(&before - lines_.data())]) -
        before.right;
    if (std::abs(neighbours - before.right) <= slack || room <= slack) {
        return {};
    }
    const std::string text = Tidy(before.text);
    const std::string next = Tidy(line.text);
    if (text.ends_with('-') || EndsWithJoiningDash(text) || next.empty() ||
        !StartsLikeCapital(next)) {
        return {};  // a word cut at the line's end, or a line that starts small
    }
    // The first word's width (with a space before it), as its share of the line's characters.
    const std::size_t word = std::min(next.find(' '), next.size()) + 1;
    const double firstWord =
        (line.right - line.left) * static_cast<double>(word) / static_cast<double>(next.size() + 1);
    return room > firstWord + slack ? Reason{Why::StandsAlone, room, firstWord, params_.fitSlackEms}
                                    : Reason{};
}

// The right end of the line just above `line` in its paragraph's spacing (a running header above
// the text, or a line past a gap, is no neighbour): the least there is where there is none.
double ParagraphRule::aboveRight(const Line& line) const {
    const auto index = static_cast<std::size_t>(&line - lines_.data());
    const double none = std::numeric_limits<double>::lowest();
    if (index == 0 || line.newBlock) {
        return none;
    }
    const Line& above = lines_[index - 1];
    const double usual = usualStep(line.height);
    const double most =
        usual > 0 ? params_.paragraphGap * usual : params_.paragraphGapWithoutUsual * line.height;
    const bool neighbour =
        SimilarHeight(above.height, line.height, params_) && line.base - above.base <= most;
    return neighbour ? above.right : none;
}

// A sentence ends on a line that falls well short of its block (ragged lines differ by a word or
// so) or before an indented line.
Reason ParagraphRule::sentenceEnds(const Line& before, const Line& line) const {
    if (!EndsSentence(Tidy(before.text))) {
        return {};
    }
    const Block& block = blocks_.boxes[blocks_.of[static_cast<std::size_t>(&line - lines_.data())]];
    const double full = block.left + params_.shortLineShare * (block.right - block.left);
    if (before.right < full) {
        return {Why::ShortLine, before.right, params_.shortLineShare, full};
    }
    const double em = before.height;
    if (line.left > before.left + params_.indent * em) {
        return {Why::Indent, line.left - before.left, params_.indent, em};
    }
    return {};
}

namespace {

// A heading ends a phrase: not a clause cut at a comma, nor a word cut at a hyphen or a dash.
bool EndsLikeHeading(std::string_view text) {
    return !text.empty() && !text.ends_with(',') && !text.ends_with('-') &&
           !EndsWithJoiningDash(text);
}

// Whether `text` reads as prose: it has `least` words that start with a small letter.
bool Prose(std::string_view text, int least) {
    int small = 0;
    for (std::size_t start = 0; start < text.size() && small < least;) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        small += StartsSmall(text.substr(start, end - start)) ? 1 : 0;
        start = end + 1;
    }
    return small >= least;
}

// A caption's or a theorem's label ("Figure 2.", "Table 1:", "Lemma 3"): a word and a number,
// which the text after it belongs to.
bool NumberedLabel(std::string_view text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ':')) {
        text.remove_suffix(1);
    }
    const std::size_t space = text.rfind(' ');
    const std::string_view number = text.substr(space == std::string_view::npos ? 0 : space + 1);
    return space != std::string_view::npos && text.find(' ') == space && !number.empty() &&
           std::all_of(number.begin(), number.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool AllBold(const Line& line) {
    return line.boldWords > 0 && line.boldBytes >= line.text.size();
}

// The bold words a paragraph's first line starts with, the line going on in the body's face with
// a capital, are a heading run into the text: "Sample efficiency We explore ...". A bold word
// inside a line, or starting a line mid-sentence, is emphasis.
Reason BoldRunIn(const Line& line, bool firstOfParagraph, const PdfLayoutParams& params) {
    if (!firstOfParagraph || line.boldWords == 0 || line.boldWords > params.boldRunInWords ||
        AllBold(line)) {
        return {};
    }
    const std::string_view text = line.text;
    const std::string rest = Tidy(text.substr(line.boldBytes));
    const std::string lead = Tidy(text.substr(0, line.boldBytes));
    if (!EndsLikeHeading(lead) || NumberedLabel(lead) || !StartsLikeCapital(rest) ||
        !Prose(rest, params.boldProseSmallWords)) {
        return {};
    }
    return {Why::BoldRunIn, static_cast<double>(line.boldWords),
            static_cast<double>(params.boldRunInWords)};
}

// A short line all in bold, after a sentence's end in a line that is not bold, is a heading.
Reason BoldLine(const Line* before, const Line& line, const PdfLayoutParams& params) {
    if (before == nullptr || AllBold(*before) || !AllBold(line) ||
        !SimilarHeight(before->height, line.height, params) ||
        line.boldWords > params.boldLineWords || !EndsSentence(Tidy(before->text)) ||
        !EndsLikeHeading(Tidy(line.text))) {
        return {};
    }
    return {Why::BoldLine, static_cast<double>(line.boldWords),
            static_cast<double>(params.boldLineWords)};
}

// The reading: body lines into paragraphs, asides into their own, put after the body paragraph
// that was open when they were met.
class Reader {
public:
    Reader(const ReadInput& in, const ParagraphRule& rule, Trace* trace)
        : in_(in), rule_(rule), trace_(trace) {}

    std::string read() {
        for (std::size_t i = 0; i < in_.lines.size(); ++i) {
            if (in_.furniture[i]) {
                continue;
            }
            const std::string text = Tidy(in_.lines[i].text);
            if (text.empty()) {
                note(i, {Why::Blank});
            } else {
                add(in_.aside[i] ? aside_ : body_, i, text);
            }
        }
        EndParagraph(out_, body_.paragraph);
        flushAsides();
        return std::move(out_);
    }

private:
    struct Stream {
        std::string text;  // paragraphs ended (the body's go straight to out_)
        std::string paragraph;
        const Line* previous = nullptr;
        bool boldHeading = false;  // the paragraph open is a heading in bold
    };

    void add(Stream& stream, std::size_t i, const std::string& text) {
        const Line& line = in_.lines[i];
        ParagraphRule::Verdict verdict = stream.previous == nullptr
                                             ? ParagraphRule::Verdict{false, {Why::FirstRead}}
                                             : rule_.startsAfter(*stream.previous, line);
        const Reason heading = boldHeading(stream, line, verdict.starts);
        if (trace_ != nullptr) {
            (*trace_)[i].paragraph = verdict.reason;
            (*trace_)[i].heading = heading;
        }
        if (verdict.starts || heading) {
            endParagraph(stream);
        }
        std::string rest = text;
        if (heading.why == Why::BoldRunIn) {
            stream.paragraph = Tidy(std::string_view(line.text).substr(0, line.boldBytes));
            endParagraph(stream);
            rest = Tidy(std::string_view(line.text).substr(line.boldBytes));
        }
        if (stream.paragraph.empty()) {
            stream.paragraph = rest;
            stream.boldHeading = AllBold(line) && line.boldWords <= rule_.params().boldLineWords;
        } else {
            JoinLine(stream.paragraph, rest);
        }
        stream.previous = &line;
    }

    // Why the line, or its first words, are a heading in bold; or why it starts a paragraph
    // after one: the heading's last line is bold, this one is not.
    [[nodiscard]] Reason boldHeading(const Stream& stream, const Line& line, bool starts) const {
        const Line* before = stream.previous;
        const bool afterSentence = before == nullptr || EndsSentence(Tidy(before->text));
        if (const Reason runIn = BoldRunIn(line, starts || afterSentence, rule_.params())) {
            return runIn;
        }
        if (stream.boldHeading && before != nullptr && AllBold(*before) && line.boldWords == 0 &&
            EndsLikeHeading(Tidy(before->text)) && StartsLikeCapital(Tidy(line.text)) &&
            Prose(Tidy(line.text), rule_.params().boldProseSmallWords)) {
            return {Why::AfterBoldHeading};
        }
        return BoldLine(before, line, rule_.params());
    }

    void endParagraph(Stream& stream) {
        EndParagraph(&stream == &body_ ? out_ : stream.text, stream.paragraph);
        stream.boldHeading = false;
        if (&stream == &body_) {
            flushAsides();
        }
    }

    void note(std::size_t i, const Reason& reason) {
        if (trace_ != nullptr) {
            (*trace_)[i].fate = reason;
        }
    }

    // Asides met so far go after the paragraph that was open when they were met.
    void flushAsides() {
        EndParagraph(aside_.text, aside_.paragraph);
        if (!aside_.text.empty()) {
            out_ += out_.empty() ? "" : "\n";
            out_ += aside_.text;
            aside_.text.clear();
        }
    }

    const ReadInput& in_;
    const ParagraphRule& rule_;
    Trace* trace_;
    std::string out_;
    Stream body_;
    Stream aside_;
};

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

// A word is a run of letters, digits and the hyphens inside it, compared in small letters:
// "Open-Domain," counts as "open-domain".
bool IsWordByte(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

// The key into `key` (its buffer reused: the text's every word passes through here).
void WordKeyInto(std::string_view text, std::string& key) {
    // Quotes and dashes around a word are not part of it.
    constexpr std::array<std::string_view, 6> kMarks{"\xE2\x80\x9C", "\xE2\x80\x9D",
                                                     "\xE2\x80\x98", "\xE2\x80\x99",
                                                     "\xE2\x80\x94", "\xE2\x80\x93"};
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        while (!text.empty() && !IsWordByte(text.front())) {
            text.remove_prefix(1);
        }
        while (!text.empty() && !IsWordByte(text.back())) {
            text.remove_suffix(1);
        }
        for (const std::string_view mark : kMarks) {
            if (text.starts_with(mark)) {
                text.remove_prefix(mark.size());
                trimmed = true;
            }
            if (text.ends_with(mark)) {
                text.remove_suffix(mark.size());
                trimmed = true;
            }
        }
    }
    key.assign(text);
    for (char& c : key) {
        if (IsAsciiUpper(c)) {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

std::string WordKey(std::string_view text) {
    std::string key;
    WordKeyInto(text, key);
    return key;
}

}  // namespace

// The words of the text and how often each stands, and how often one of its most common words
// does: at least this share of all (in English text "and" is 2 to 3 % of the words, "the" 5 %;
// a content word rarely reaches 1 %), and at least three times.
constexpr double kCommonWordShare = 0.01;

struct WordCounts {
    std::unordered_map<std::string, int> words;
    int common = 0;
};

// A word seen in neither form, joined or hyphenated, keeps its hyphen where its halves read as
// a compound's: the part before is one already ("state-of-" "the-art"), both halves are words of
// the document of four letters or more ("retriever-" "reader", but not the prefixes "over-",
// "under-"), or the part after is one of the document's most common words, where the hyphen is a
// dash ("children-" "and").
bool CompoundHalves(std::string_view word, const WordCounts& counts) {
    const std::size_t at = word.find(kLineHyphen);
    const std::string_view before = word.substr(0, at);
    const std::string_view after = word.substr(at + 1);
    const std::string left = WordKey(before.substr(before.rfind('-') + 1));
    const std::string right = WordKey(after.substr(0, after.find('-')));
    if (before.find('-') != std::string_view::npos) {
        return true;
    }
    const auto seen = [&counts](const std::string& half) {
        const auto found = counts.words.find(half);
        return found == counts.words.end() ? 0 : found->second;
    };
    if (seen(left) == 0 || seen(right) == 0) {
        return false;
    }
    const bool longHalves =
        left.size() >= 4 && right.size() >= 4 && left != "over" && left != "under";
    return longHalves || seen(right) >= counts.common;
}

// Whether to keep each line-end hyphen waits until the whole text is read: then the document's
// own words vote. The hyphen goes where the document has the joined word ("exam" + "ple" is
// "example" somewhere else); it stays where the document writes the word with a hyphen and never
// without ("open-domain"). A word seen in neither form is joined unless both its halves are words
// the document uses on their own.
void ResolveLineHyphens(std::string& text) {
    if (text.find(kLineHyphen) == std::string::npos) {
        return;
    }
    WordCounts counts;
    std::size_t total = 0;
    std::string key;
    const auto eachWord = [&text](const auto& visit) {
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
            if (end > start) {
                visit(start, end);
            }
            start = end + 1;
        }
    };
    eachWord([&](std::size_t start, std::size_t end) {
        const std::string_view word(text.data() + start, end - start);
        if (word.find(kLineHyphen) == std::string_view::npos) {
            WordKeyInto(word, key);
            ++counts.words[key];
            ++total;
        }
    });
    counts.common = std::max(3, static_cast<int>(kCommonWordShare * static_cast<double>(total)));
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    eachWord([&](std::size_t start, std::size_t end) {
        const std::string_view word(text.data() + start, end - start);
        if (word.find(kLineHyphen) == std::string_view::npos) {
            return;
        }
        std::string hyphenated(word);
        std::replace(hyphenated.begin(), hyphenated.end(), kLineHyphen, '-');
        std::string joined(word);
        std::erase(joined, kLineHyphen);
        const bool keep =
            !counts.words.contains(WordKey(joined)) &&
            (counts.words.contains(WordKey(hyphenated)) || CompoundHalves(word, counts));
        out.append(text, copied, start - copied);
        out += keep ? hyphenated : joined;
        copied = end;
    });
    out.append(text, copied);
    text = std::move(out);
}

std::string ReadParagraphs(const ReadInput& in, const ParagraphRule& rule, Trace* trace) {
    std::string text = Reader(in, rule, trace).read();
    ResolveLineHyphens(text);
    return text;
}

void JoinLine(std::string& paragraph, std::string_view next) {
    constexpr std::string_view kSoftHyphen = "\xC2\xAD";
    if (EndsWithLineHyphen(paragraph)) {
        // Before a capital or a digit, or after an abbreviation in capitals, the hyphen is real
        // ("Jean-Paul", "1990-2000", "FAA-approved"); otherwise the document decides.
        if (!StartsLikeCapital(next) && !CapitalsBeforeHyphen(paragraph)) {
            paragraph.back() = kLineHyphen;
        }
    } else if (paragraph.ends_with(kSoftHyphen)) {
        paragraph.resize(paragraph.size() - kSoftHyphen.size());
    } else if (!EndsWithJoiningDash(paragraph)) {
        paragraph += ' ';  // an ordinary line end
    }
    paragraph += next;
}

}  // namespace lexaro::documents::pdf

namespace lexaro::documents {

std::string JoinPdfLines(std::string_view text) {
    std::string out;
    std::string paragraph;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string line = pdf::Tidy(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty()) {
            pdf::EndParagraph(out, paragraph);
        } else if (paragraph.empty()) {
            paragraph = line;
        } else {
            pdf::JoinLine(paragraph, line);
        }
    }
    pdf::EndParagraph(out, paragraph);
    pdf::ResolveLineHyphens(out);
    return out;
}

}  // namespace lexaro::documents
