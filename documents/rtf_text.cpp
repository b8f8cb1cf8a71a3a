// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/rtf_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "documents/html_charset.h"
#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

// Open groups, as many as the XML readers allow elements: no real document comes near.
constexpr std::size_t kMaxDepth = 256;
// Fonts whose character set is kept; the rest are read in the document's code page.
constexpr std::size_t kMaxFonts = 16384;

// Destinations whose contents a word processor does not show as text (sorted, for the search).
constexpr std::array<std::string_view, 71> kHiddenDestinations = {
    "aftncn",
    "aftnsep",
    "aftnsepc",
    "annotation",
    "atnauthor",
    "atndate",
    "atnicn",
    "atnid",
    "atnparent",
    "atnref",
    "atntime",
    "atrfend",
    "atrfstart",
    "author",
    "background",
    "bkmkend",
    "bkmkstart",
    "colortbl",
    "comment",
    "datafield",
    "datastore",
    "do",
    "docvar",
    "falt",
    "filetbl",
    "fldinst",
    "fontemb",
    "fontfile",
    "footer",
    "footerf",
    "footerl",
    "footerr",
    "ftncn",
    "ftnsep",
    "ftnsepc",
    "generator",
    "header",
    "headerf",
    "headerl",
    "headerr",
    "info",
    "latentstyles",
    "listoverridetable",
    "listpicture",
    "listtable",
    "listtext",
    "mmathPr",
    "nonshppict",
    "objclass",
    "objdata",
    "objname",
    "panose",
    "pgdsctbl",
    "pict",
    "pn",
    "pntext",
    "private",
    "protusertbl",
    "revtbl",
    "rsidtbl",
    "shprslt",
    "sp",
    "stylesheet",
    "tc",
    "tcn",
    "template",
    "themedata",
    "txe",
    "userprops",
    "xe",
    "xmlnstbl",
};
static_assert(std::is_sorted(kHiddenDestinations.begin(), kHiddenDestinations.end()));

// Control words that stand for one character.
constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kCharacterWords = {{
    {"bullet", "\u2022"},
    {"emdash", "\u2014"},
    {"emspace", "\u2003"},
    {"endash", "\u2013"},
    {"enspace", "\u2002"},
    {"ldblquote", "\u201C"},
    {"lquote", "\u2018"},
    {"qmspace", "\u2005"},
    {"rdblquote", "\u201D"},
    {"rquote", "\u2019"},
    {"softline", " "},
    {"tab", " "},
}};

// Control words that end a line: paragraphs, breaks, table cells and rows.
constexpr std::array<std::string_view, 9> kLineWords = {
    "cell", "column", "line", "nestcell", "nestrow", "page", "par", "row", "sect"};

// The code page Windows gives a font's character set (\fcharsetN); 0 for the document's own (ANSI
// and default: writers often leave a non-Western document's fonts at 0).
int CodePageOfCharset(long long charset) {
    switch (charset) {
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 255:
            return 437;
        default:
            return 0;
    }
}

// The converter's name for a Windows code page.
std::string CharsetOfCodePage(int codePage) {
    switch (codePage) {
        case 65001:
            return "UTF-8";
        case 874:
            return "CP874";
        case 866:
            return "ibm866";
        case 932:
            return "WINDOWS-31J";
        case 936:
            return "GB18030";
        case 949:
            return "CP949";
        case 950:
            return "BIG5-HKSCS";
        case 1361:
            return "JOHAB";
        case 10000:
            return "macintosh";
        case 10007:
            return "x-mac-cyrillic";
        case 20866:
            return "koi8-r";
        case 21866:
            return "koi8-u";
        default:
            break;
    }
    if (codePage >= 1250 && codePage <= 1258) {
        return "windows-" + std::to_string(codePage);
    }
    if (codePage >= 28591 && codePage <= 28606) {
        return "iso-8859-" + std::to_string(codePage - 28590);
    }
    return "CP" + std::to_string(codePage);
}

// Where text goes: the body, or the notes that follow it. Bytes in a code page wait until
// something else is written, so that a character written as two \'hh stays whole.
class Channel {
public:
    explicit Channel(TextSink& sink) : sink_(sink) {}

    void byte(char c, int codePage) {
        if (!bytes_.empty() && codePage != codePage_) {
            flush();
        }
        endSurrogate();
        codePage_ = codePage;
        bytes_.push_back(c);
        // A long run goes out where it cannot split a character: two ASCII bytes in a row are
        // two characters in every code page (a trail byte follows a byte of 0x81 or above).
        const std::size_t size = bytes_.size();
        if (size >= kRunBytes && static_cast<unsigned char>(bytes_[size - 1]) < 0x80 &&
            static_cast<unsigned char>(bytes_[size - 2]) < 0x80) {
            flush();
        }
    }

    void text(std::string_view utf8) {
        flush();
        endSurrogate();
        write(utf8);
    }

    void endLine() {
        text({});
        sink_.endLine();
    }

    // \uN: a UTF-16 code unit; a character beyond the BMP comes as two.
    void unit(char32_t unit) {
        flush();
        std::string utf8;
        if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_ != 0) {
            AppendUtf8(utf8, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            write(utf8);
            return;
        }
        endSurrogate();
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate_ = unit;
            return;
        }
        AppendUtf8(utf8, unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : unit);
        write(utf8);
    }

    // A note begins: its text goes on a line of its own, after `prefix` (its [n]).
    void startNote(std::string prefix) {
        endNote();
        prefix_ = std::move(prefix);
    }

    // A note without text still has its line, so that every [n] in the body has one.
    void endNote() {
        if (!prefix_.empty()) {
            sink_.append(prefix_);
            prefix_.clear();
        }
        endLine();
    }

    [[nodiscard]] TextSink& sink() { return sink_; }

private:
    static constexpr std::size_t kRunBytes = 65536;

    void flush() {
        if (bytes_.empty()) {
            return;
        }
        const bool ascii = std::all_of(bytes_.begin(), bytes_.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        write(ascii ? bytes_ : CharsetAsUtf8(bytes_, CharsetOfCodePage(codePage_)));
        bytes_.clear();
    }

    // A high surrogate that no low one followed.
    void endSurrogate() {
        if (highSurrogate_ != 0) {
            highSurrogate_ = 0;
            write("\uFFFD");
        }
    }

    void write(std::string_view utf8) {
        if (!prefix_.empty() && utf8.find_first_not_of(' ') != std::string_view::npos) {
            sink_.append(prefix_);
            prefix_.clear();
        }
        sink_.append(utf8);
    }

    TextSink& sink_;
    std::string bytes_;
    int codePage_ = 0;
    char32_t highSurrogate_ = 0;
    std::string prefix_;
};

// Shape: a drawing's instructions, of which only its text box (\shptxt) is text.
enum class Destination : std::uint8_t { Body, Note, FontTable, Shape, Hidden };

// What a group inherits from its parent and forgets when it closes.
struct Group {
    Destination destination = Destination::Body;
    long long fallback = 1;  // \ucN: the bytes of fallback text after each \uN
    long long font = -1;     // \fN; -1 for the document's default font
    bool hidden = false;     // \v
    bool starred = false;    // \*: the next control word names a destination to skip if unknown
    bool endsLine = false;   // a text box, which is a block of its own
    Destination shapeText = Destination::Body;  // where a shape's text box goes
};

class Reader {
public:
    Reader(std::string_view bytes, TextSink& sink)
        : bytes_(bytes), notesSink_(sink.limit()), body_(sink), notes_(notesSink_) {}

    ExtractExit read() {
        while (at_ < bytes_.size() && !body_.sink().overflowed() && !notesSink_.overflowed()) {
            const char c = bytes_[at_++];
            if (c == '{') {
                if (groups_.size() >= kMaxDepth) {
                    return ExtractExit::Damaged;
                }
                groups_.push_back(groups_.empty() ? Group{} : groups_.back());
                group().starred = false;
                group().endsLine = false;
                skip_ = 0;
            } else if (c == '}') {
                if (Channel* channel = group().endsLine ? shown() : nullptr) {
                    channel->endLine();
                }
                groups_.pop_back();
                skip_ = 0;
                if (groups_.empty()) {
                    break;  // the document's group has closed; anything after it is not RTF
                }
            } else if (c == '\\') {
                control();
            } else if (c != '\r' && c != '\n') {
                character(c);
            }
        }
        body_.endLine();
        notes_.endNote();
        if (notesSink_.overflowed()) {
            return ExtractExit::TooLarge;
        }
        body_.sink().appendLines(notesSink_.text());
        return ExtractExit::Ok;
    }

private:
    [[nodiscard]] Group& group() { return groups_.back(); }

    // Whether the current group's text is shown, and where it goes.
    Channel* shown() {
        const Group& current = group();
        if (current.hidden) {
            return nullptr;
        }
        switch (current.destination) {
            case Destination::Body:
                return &body_;
            case Destination::Note:
                return &notes_;
            default:
                return nullptr;
        }
    }

    // The code page of the current font's bytes.
    int codePage() {
        const long long font = group().font >= 0 ? group().font : defaultFont_;
        const auto found = fonts_.find(font);
        return found != fonts_.end() && found->second != 0 ? found->second : documentCodePage_;
    }

    void setFontCodePage(int codePage) {
        // Real documents name a few hundred fonts at most; a table of millions is no document.
        if (fonts_.size() < kMaxFonts || fonts_.contains(tableFont_)) {
            fonts_[tableFont_] = codePage;
        }
    }

    // A byte of text, or of a \uN's fallback.
    void character(char c) {
        if (skip_ > 0) {
            --skip_;
        } else if (Channel* channel = shown()) {
            if (c == '\t') {
                channel->text(" ");
            } else {
                channel->byte(c, codePage());
            }
        }
    }

    // After a backslash: a control word with its parameter, or a control symbol.
    void control() {
        if (at_ == bytes_.size()) {
            return;
        }
        const auto isLetter = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        };
        const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
        if (!isLetter(bytes_[at_])) {
            symbol(bytes_[at_++]);
            return;
        }
        const std::size_t start = at_;
        while (at_ < bytes_.size() && isLetter(bytes_[at_])) {
            ++at_;
        }
        const std::string_view word = bytes_.substr(start, at_ - start);
        const bool negative =
            at_ + 1 < bytes_.size() && bytes_[at_] == '-' && isDigit(bytes_[at_ + 1]);
        at_ += negative ? 1 : 0;
        const bool hasParameter = at_ < bytes_.size() && isDigit(bytes_[at_]);
        long long parameter = 0;
        for (; at_ < bytes_.size() && isDigit(bytes_[at_]); ++at_) {
            // Held below any sensible value: \binN may be larger than 2^31, nothing reaches 10^12.
            parameter = std::min(parameter * 10 + (bytes_[at_] - '0'), kParameterCeiling);
        }
        parameter = negative ? -parameter : parameter;
        if (at_ < bytes_.size() && bytes_[at_] == ' ') {
            ++at_;  // the space that ends a control word is part of it
        }
        if (word == "bin") {
            at_ += static_cast<std::size_t>(std::min<long long>(
                std::max(parameter, 0LL), static_cast<long long>(bytes_.size() - at_)));
        }
        if (skip_ > 0) {
            --skip_;
            return;
        }
        controlWord(word, hasParameter, parameter);
    }

    // NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
    void symbol(char c) {
        if (c == '\'') {
            const auto hex = [&](std::size_t at) {
                const char d = at < bytes_.size() ? bytes_[at] : '\0';
                return d >= '0' && d <= '9'   ? d - '0'
                       : d >= 'a' && d <= 'f' ? d - 'a' + 10
                       : d >= 'A' && d <= 'F' ? d - 'A' + 10
                                              : -1;
            };
            const int high = hex(at_);
            const int low = hex(at_ + 1);
            if (high < 0 || low < 0) {
                return;
            }
            at_ += 2;
            character(static_cast<char>(high << 4 | low));
            return;
        }
        if (c == '*') {
            group().starred = true;
            return;
        }
        if (skip_ > 0) {
            --skip_;
            return;
        }
        Channel* channel = shown();
        if (channel == nullptr) {
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                channel->byte(c, codePage());
                break;
            case '~':
                channel->text("\u00A0");
                break;
            case '_':
                channel->text("-");
                break;
            case '\r':
            case '\n':
                channel->endLine();
                break;
            default:
                break;  // \- (a hyphen where a line may break), \: and \| (index and formula)
        }
    }

    // NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
    void controlWord(std::string_view word, bool hasParameter, long long parameter) {
        Group& current = group();
        if (current.destination == Destination::Hidden) {
            return;
        }
        if (current.destination == Destination::Shape) {
            if (word == "shptxt") {
                current.destination = current.shapeText;
                current.endsLine = true;
                if (Channel* channel = shown()) {
                    channel->endLine();
                }
            }
            return;
        }
        if (word == "shpinst" && (current.destination == Destination::Body ||
                                  current.destination == Destination::Note)) {
            current.shapeText = current.destination;
            current.destination = Destination::Shape;
            return;
        }
        if (word == "footnote") {  // starred by some writers
            current.starred = false;
            if (current.destination == Destination::Body) {
                const std::string number = "[" + std::to_string(++noteCount_) + "]";
                body_.text(" " + number);
                notes_.startNote(number + " ");
                current.destination = Destination::Note;
            } else {
                current.destination = Destination::Hidden;  // a note in a note
            }
            return;
        }
        if (current.starred) {
            current.destination = Destination::Hidden;
            return;
        }
        if (std::binary_search(kHiddenDestinations.begin(), kHiddenDestinations.end(), word)) {
            current.destination = Destination::Hidden;
            return;
        }
        if (word == "fonttbl") {
            current.destination = Destination::FontTable;
            return;
        }
        if (current.destination == Destination::FontTable) {
            if (word == "f") {
                tableFont_ = parameter;
            } else if (word == "fcharset") {
                setFontCodePage(CodePageOfCharset(parameter));
            } else if (word == "cpg" && parameter > 0) {
                setFontCodePage(static_cast<int>(std::min(parameter, 65535LL)));
            }
            return;
        }
        if (word == "u") {
            if (Channel* channel = shown()) {
                channel->unit(static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) &
                              0xFFFF);
            }
            skip_ = current.fallback;
            return;
        }
        if (word == "uc") {
            current.fallback = std::max(parameter, 0LL);
        } else if (word == "f") {
            current.font = parameter;
        } else if (word == "plain") {
            current.font = -1;
            current.hidden = false;
        } else if (word == "v") {
            current.hidden = !hasParameter || parameter != 0;
        } else if (word == "deff") {
            defaultFont_ = parameter;
        } else if (word == "ansicpg" && parameter > 0) {
            documentCodePage_ = static_cast<int>(std::min(parameter, 65535LL));
        } else if (word == "mac") {
            documentCodePage_ = 10000;
        } else if (word == "pc") {
            documentCodePage_ = 437;
        } else if (word == "pca") {
            documentCodePage_ = 850;
        } else if (Channel* channel = shown()) {
            if (std::find(kLineWords.begin(), kLineWords.end(), word) != kLineWords.end()) {
                channel->endLine();
                return;
            }
            const auto found = std::find_if(kCharacterWords.begin(), kCharacterWords.end(),
                                            [&](const auto& entry) { return entry.first == word; });
            if (found != kCharacterWords.end()) {
                channel->text(found->second);
            }
        }
    }

    static constexpr long long kParameterCeiling = 1'000'000'000'000LL;

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::vector<Group> groups_;
    TextSink notesSink_;
    Channel body_;
    Channel notes_;
    long long skip_ = 0;              // fallback bytes of the last \uN still to skip
    std::map<long long, int> fonts_;  // font number to code page (0: the document's)
    long long tableFont_ = 0;
    long long defaultFont_ = 0;
    int documentCodePage_ = 1252;
    std::size_t noteCount_ = 0;
};

}  // namespace

ExtractExit RtfText(std::string_view bytes, TextSink& sink) {
    if (!bytes.starts_with("{\\rtf")) {
        return ExtractExit::NotSupported;
    }
    return Reader(bytes, sink).read();
}

}  // namespace lexaro::documents
