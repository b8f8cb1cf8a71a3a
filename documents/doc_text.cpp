// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/doc_text.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kCompoundFileSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

// The header (FIB) of the WordDocument stream.
constexpr std::uint16_t kWordIdent = 0xA5EC;
constexpr std::uint16_t kWord6Ident = 0xA5DC;  // Word 6 and 95
// Word 97 and every later version write 0x00C1 here (the real version is further on); Word 6 and
// 95 wrote 0x0065 to 0x0069.
constexpr std::uint16_t kFirstWord6Version = 0x0065;
constexpr std::uint16_t kLastWord6Version = 0x0069;
constexpr std::uint16_t kFirstWord97Version = 0x00C0;
constexpr std::uint16_t kComplexFlag = 0x0004;  // Word 6 and 95: the text is in pieces
constexpr std::uint16_t kEncryptedFlag = 0x0100;
constexpr std::uint16_t kTableStreamFlag = 0x0200;  // the table stream is "1Table", not "0Table"

// The character counts of the parts of the text, which follow one another in this order
// (indexes into the header's array of 32-bit values).
enum Part : std::size_t {
    Main,
    Footnotes,
    Headers,
    Macros,
    Comments,
    Endnotes,
    TextBoxes,
    PartCount
};
constexpr std::size_t kFirstPartCount = 3;  // the main text's count is the fourth value

// Pairs (offset in the table stream, length) in the header.
constexpr std::size_t kFootnoteReferences = 2;
constexpr std::size_t kFootnoteTexts = 3;
constexpr std::size_t kPieceTable = 33;
constexpr std::size_t kEndnoteReferences = 46;
constexpr std::size_t kEndnoteTexts = 47;
constexpr std::size_t kCharacterRuns = 12;  // where the pages of character formatting are
constexpr std::size_t kFonts = 15;

// Word 6 and 95 have one fixed header: where the text starts and ends in the stream, the parts'
// lengths, and the pairs this reader needs, at fixed places. Their tables are in the
// WordDocument stream itself, and all their text is 8-bit.
constexpr std::size_t kWord6TextStart = 0x18;
constexpr std::size_t kWord6TextEnd = 0x1C;
constexpr std::size_t kWord6Counts = 0x34;
constexpr std::array<std::pair<std::size_t, std::size_t>, 3> kWord6Tables = {
    {{kFootnoteReferences, 0x68}, {kFootnoteTexts, 0x70}, {kPieceTable, 0x160}}};

constexpr std::uint32_t kCompressedPiece = 0x40000000;  // 8-bit text, at half the offset
constexpr std::uint32_t kPieceOffsetMask = 0x3FFFFFFF;

std::optional<std::uint32_t> Read16(std::string_view bytes, std::size_t at) {
    if (bytes.size() < 2 || at > bytes.size() - 2) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8U;
}

std::optional<std::uint32_t> Read32(std::string_view bytes, std::size_t at) {
    const auto low = Read16(bytes, at);
    const auto high = Read16(bytes, at + 2);
    if (!low || !high) {
        return std::nullopt;
    }
    return *low | *high << 16U;
}

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

// Stream `name` of `file`, whole. Missing when the file has none.
enum class StreamStatus { Ok, Missing, Damaged };
// The names of a compound file's streams are compared without regard to case (some writers
// spell them all in lower or upper case).
GsfInput* Child(GsfInfile* file, const char* name) {
    const int count = gsf_infile_num_children(file);
    for (int i = 0; i < count; ++i) {
        const char* childName = gsf_infile_name_by_index(file, i);
        if (childName != nullptr && g_ascii_strcasecmp(childName, name) == 0) {
            return gsf_infile_child_by_index(file, i);
        }
    }
    return nullptr;
}

StreamStatus ReadStream(GsfInfile* file, const char* name, std::size_t maxBytes, std::string& out) {
    const GsfPtr<GsfInput> stream(Child(file, name));
    if (!stream) {
        return StreamStatus::Missing;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) {
        return StreamStatus::Damaged;  // more than the whole file holds
    }
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && gsf_input_read(stream.get(), static_cast<std::size_t>(size),
                                   reinterpret_cast<guint8*>(out.data())) == nullptr) {
        return StreamStatus::Damaged;
    }
    return StreamStatus::Ok;
}

// Whether the compound file's directory names `name` (UTF-16, in any case): libgsf leaves out
// an entry whose stream lies past the end of the file, so a Word document cut short looks like
// a compound file without one.
bool NamesStream(std::string_view bytes, std::string_view name) {
    const std::size_t length = name.size() * 2;
    for (std::size_t at = 0; at + length <= bytes.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = g_ascii_tolower(bytes[at + 2 * i]) == g_ascii_tolower(name[i]) &&
                   bytes[at + 2 * i + 1] == '\0';
        }
        if (same) {
            return true;
        }
    }
    return false;
}

struct Header {
    bool word6 = false;           // Word 6 or 95
    std::uint32_t textStart = 0;  // Word 6 and 95 without pieces: where the text is
    std::uint32_t textEnd = 0;
    std::uint16_t flags = 0;
    std::array<std::uint32_t, PartCount> counts{};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tables;  // (offset, length) pairs
};

ExtractExit ReadWord6Header(std::string_view word, Header& header) {
    header.word6 = true;
    const auto start = Read32(word, kWord6TextStart);
    const auto end = Read32(word, kWord6TextEnd);
    if (!start || !end) {
        return ExtractExit::Damaged;
    }
    header.textStart = *start;
    header.textEnd = *end;
    for (std::size_t part = 0; part < PartCount; ++part) {
        const auto count = Read32(word, kWord6Counts + part * 4);
        if (!count) {
            return ExtractExit::Damaged;
        }
        header.counts[part] = *count;
    }
    header.tables.resize(kPieceTable + 1);
    for (const auto& [index, at] : kWord6Tables) {
        const auto offset = Read32(word, at);
        const auto length = Read32(word, at + 4);
        if (!offset || !length) {
            return ExtractExit::Damaged;
        }
        header.tables[index] = {*offset, *length};
    }
    return ExtractExit::Ok;
}

ExtractExit ReadHeader(std::string_view word, Header& header) {
    const auto ident = Read16(word, 0);
    const auto version = Read16(word, 2);
    const auto flags = Read16(word, 0x0A);
    if (!ident || !version || !flags) {
        return ExtractExit::Damaged;
    }
    if (*ident != kWordIdent && *ident != kWord6Ident) {
        return ExtractExit::NotSupported;  // Word 2 and older, or not Word's at all
    }
    header.flags = static_cast<std::uint16_t>(*flags);
    if ((header.flags & kEncryptedFlag) != 0) {
        return ExtractExit::Encrypted;
    }
    if (*version >= kFirstWord6Version && *version <= kLastWord6Version) {
        return ReadWord6Header(word, header);
    }
    if (*version < kFirstWord97Version) {
        return ExtractExit::NotSupported;
    }
    // Three arrays follow the fixed part, each after its count: 16-bit values, 32-bit values, and
    // (offset, length) pairs.
    const auto shorts = Read16(word, 0x20);
    if (!shorts) {
        return ExtractExit::Damaged;
    }
    const std::size_t longsAt = 0x22 + std::size_t{*shorts} * 2;
    const auto longs = Read16(word, longsAt);
    if (!longs || *longs < kFirstPartCount + PartCount) {
        return ExtractExit::Damaged;
    }
    for (std::size_t part = 0; part < PartCount; ++part) {
        const auto count = Read32(word, longsAt + 2 + (kFirstPartCount + part) * 4);
        if (!count) {
            return ExtractExit::Damaged;
        }
        header.counts[part] = *count;
    }
    const std::size_t pairsAt = longsAt + 2 + std::size_t{*longs} * 4;
    const auto pairs = Read16(word, pairsAt);
    if (!pairs || *pairs <= kPieceTable) {
        return ExtractExit::Damaged;
    }
    header.tables.resize(*pairs);
    for (std::size_t i = 0; i < header.tables.size(); ++i) {
        const auto offset = Read32(word, pairsAt + 2 + i * 8);
        const auto length = Read32(word, pairsAt + 6 + i * 8);
        if (!offset || !length) {
            return ExtractExit::Damaged;
        }
        header.tables[i] = {*offset, *length};
    }
    return ExtractExit::Ok;
}

// Table `index` of the header's pairs, from the table stream; empty when the header has no such
// pair or it is empty; nullopt when it lies outside the stream.
std::optional<std::string_view> TablePart(const Header& header, std::string_view table,
                                          std::size_t index) {
    if (index >= header.tables.size()) {
        return std::string_view{};
    }
    const auto [offset, length] = header.tables[index];
    if (offset > table.size() || table.size() - offset < length) {
        return std::nullopt;
    }
    return table.substr(offset, length);
}

// The character positions of a PLC: n + 1 positions followed by n items of `itemSize` bytes.
std::optional<std::vector<std::uint32_t>> PlcPositions(std::string_view plc, std::size_t itemSize) {
    std::vector<std::uint32_t> positions;
    if (plc.empty()) {
        return positions;
    }
    if (plc.size() < 4 || (plc.size() - 4) % (4 + itemSize) != 0) {
        return std::nullopt;
    }
    const std::size_t count = (plc.size() - 4) / (4 + itemSize) + 1;
    positions.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        positions.push_back(*Read32(plc, i * 4));
    }
    return positions;
}

// What a deleted character becomes in the text (a noncharacter, never a document's).
constexpr char16_t kDeleted = 0xFFFF;

// The character of the Symbol font at each code from 0x20 on (0 where it has none).
constexpr std::array<char16_t, 0xE0> kSymbolFont = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
    0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA,
    0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
    0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x27E8, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0, 0x27E9, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};

// The names of the document's fonts, by number (the font table: a count, two bytes, then each
// font's record, whose first byte is its length less one and whose name starts at byte 40).
std::vector<std::u16string> FontNames(std::string_view fonts) {
    std::vector<std::u16string> names;
    const auto count = Read16(fonts, 0);
    constexpr std::size_t kNameAt = 40;
    for (std::size_t i = 0, at = 4; count && i < *count && at < fonts.size(); ++i) {
        const std::size_t size = std::size_t{static_cast<unsigned char>(fonts[at])} + 1;
        const std::string_view record = fonts.substr(at, size);
        std::u16string name;
        for (std::size_t k = kNameAt; k + 2 <= record.size() && (*Read16(record, k) != 0); k += 2) {
            name += static_cast<char16_t>(*Read16(record, k));
        }
        names.push_back(std::move(name));
        at += size;
    }
    return names;
}

// A run of the stream whose characters are replaced: kDeleted for deleted text, otherwise the
// character a symbol font's character stands for (kDeleted where it stands for none in Unicode).
struct MarkedRun {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    char16_t replacement = kDeleted;
};

// What a run's formatting (a list of property changes) makes of its characters, if anything:
// deleted text (a revision not yet accepted, which Word shows struck through and which is not
// the document's text) is dropped; a character of a symbol font (written as a stand-in, with the
// font and the character in the formatting) becomes what it shows: for the Symbol font its
// Unicode character, for picture fonts (Wingdings and the like) nothing.
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
std::optional<char16_t> RunReplacement(std::string_view properties,
                                       const std::vector<std::u16string>& fonts) {
    constexpr std::uint32_t kDeletedMark = 0x0800;
    constexpr std::uint32_t kSymbol = 0x6A09;
    std::optional<char16_t> replacement;
    std::size_t at = 0;
    while (at + 2 <= properties.size()) {
        const std::uint32_t property = *Read16(properties, at);
        at += 2;
        // The operand's size is in the property's top three bits.
        constexpr std::array<std::size_t, 8> kOperandSize = {1, 1, 2, 4, 2, 2, 0, 3};
        std::size_t size = kOperandSize[property >> 13U];
        if (size == 0) {
            if (at >= properties.size()) {
                break;
            }
            size = 1 + static_cast<unsigned char>(properties[at]);
        }
        if (property == kDeletedMark && at < properties.size()) {
            const auto value = static_cast<unsigned char>(properties[at]);
            if (value == 0x01 || value == 0x81) {  // on, or the opposite of the style's (off)
                return kDeleted;
            }
        } else if (property == kSymbol) {
            const auto font = Read16(properties, at);
            const auto character = Read16(properties, at + 2);
            if (font && character) {
                const bool symbolFont =
                    *font < fonts.size() && fonts[*font] == std::u16string_view(u"Symbol");
                const std::uint32_t code = *character & 0xFFU;
                if ((*character & 0xFF00U) != 0 && (*character & 0xFF00U) != 0xF000U) {
                    replacement = static_cast<char16_t>(*character);  // a character of its own
                } else if (symbolFont && code >= 0x20 && kSymbolFont[code - 0x20] != 0) {
                    replacement = kSymbolFont[code - 0x20];
                } else {
                    replacement = kDeleted;
                }
            }
        }
        at += size;
    }
    return replacement;
}

// The runs of the stream whose characters are replaced, from the pages of character formatting
// (each 512 bytes: the runs' stream positions, then for each run where its formatting is on the
// page); sorted, none overlapping another. A table or page out of place leaves the text as it is:
// better a deleted word read than a word lost.
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
std::vector<MarkedRun> MarkedRuns(const Header& header, std::string_view table,
                                  std::string_view word) {
    std::vector<MarkedRun> runs;
    const auto plc = header.word6 ? std::nullopt : TablePart(header, table, kCharacterRuns);
    const auto positions = plc ? PlcPositions(*plc, 4) : std::nullopt;
    if (!positions || positions->empty()) {
        return runs;
    }
    const auto fontTable = TablePart(header, table, kFonts);
    const std::vector<std::u16string> fonts =
        fontTable ? FontNames(*fontTable) : std::vector<std::u16string>{};
    constexpr std::size_t kPage = 512;
    constexpr std::uint32_t kPageNumberMask = 0x3FFFFF;
    for (std::size_t i = 0; i + 1 < positions->size(); ++i) {
        const std::size_t pageAt =
            std::size_t{*Read32(*plc, positions->size() * 4 + i * 4) & kPageNumberMask} * kPage;
        if (pageAt > word.size() || word.size() - pageAt < kPage) {
            continue;
        }
        const std::string_view page = word.substr(pageAt, kPage);
        const std::size_t count = static_cast<unsigned char>(page[kPage - 1]);
        if ((count + 1) * 4 + count >= kPage) {
            continue;
        }
        for (std::size_t run = 0; run < count; ++run) {
            const std::size_t at =
                std::size_t{static_cast<unsigned char>(page[(count + 1) * 4 + run])} * 2;
            if (at == 0 || at >= kPage - 1) {
                continue;
            }
            const std::size_t size = static_cast<unsigned char>(page[at]);
            const std::uint32_t begin = *Read32(page, run * 4);
            const std::uint32_t end = *Read32(page, run * 4 + 4);
            if (begin >= end) {
                continue;
            }
            if (const auto replacement = RunReplacement(page.substr(at + 1, size), fonts)) {
                runs.push_back({begin, end, *replacement});
            }
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const MarkedRun& a, const MarkedRun& b) { return a.begin < b.begin; });
    std::vector<MarkedRun> apart;
    for (const MarkedRun& run : runs) {
        if (apart.empty() || run.begin >= apart.back().end) {
            apart.push_back(run);
        }
    }
    return apart;
}

// Replaces the characters of [begin, begin + count) that lie in a marked run, their text coming
// from the stream at `offset`, `width` bytes a character. A deleted paragraph, line or cell end
// joins what it parted, with a space: two words never run together.
void MarkRuns(const std::vector<MarkedRun>& runs, std::size_t offset, std::size_t width,
              std::size_t begin, std::size_t count, std::u16string& text) {
    const std::size_t end = offset + count * width;
    auto run = std::upper_bound(runs.begin(), runs.end(), offset,
                                [](std::size_t at, const MarkedRun& r) { return at < r.end; });
    for (; run != runs.end() && run->begin < end; ++run) {
        const std::size_t from = std::max<std::size_t>(run->begin, offset);
        const std::size_t to = std::min<std::size_t>(run->end, end);
        for (std::size_t k = (from - offset) / width; k < (to - offset + width - 1) / width; ++k) {
            char16_t& unit = text[begin + k];
            const bool ending = unit == 0x0D || unit == 0x0B || unit == 0x07 || unit == 0x0C;
            unit = run->replacement == kDeleted && ending ? u' ' : run->replacement;
        }
    }
}

// The whole text in character-position order, from the pieces the piece table lists (in the
// CLX: formatting entries first, then the piece table itself).
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
ExtractExit PieceText(std::string_view word, std::string_view clx, bool word6,
                      const std::vector<MarkedRun>& marked, std::u16string& text) {
    std::size_t at = 0;
    while (at < clx.size() && clx[at] == 0x01) {
        const auto size = Read16(clx, at + 1);
        if (!size || (*size & 0x8000U) != 0) {
            return ExtractExit::Damaged;
        }
        at += 3 + *size;
    }
    const auto length = Read32(clx, at + 1);
    if (at >= clx.size() || clx[at] != 0x02 || !length || clx.size() - at - 5 < *length) {
        return ExtractExit::Damaged;
    }
    const std::string_view pieces = clx.substr(at + 5, *length);
    constexpr std::size_t kDescriptorSize = 8;
    const auto positions = PlcPositions(pieces, kDescriptorSize);
    if (!positions || positions->size() < 2) {
        return ExtractExit::Damaged;
    }
    const std::size_t count = positions->size() - 1;
    // Every character takes at least a byte of the stream: a longer text is made up.
    if (positions->back() > word.size() || !std::is_sorted(positions->begin(), positions->end())) {
        return ExtractExit::Damaged;
    }
    text.assign(positions->back(), u' ');
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t begin = (*positions)[i];
        const std::uint32_t end = (*positions)[i + 1];
        const std::uint32_t fc = *Read32(pieces, (count + 1) * 4 + i * kDescriptorSize + 2);
        const bool compressed = word6 || (fc & kCompressedPiece) != 0;
        const std::size_t offset = word6        ? fc
                                   : compressed ? (fc & kPieceOffsetMask) / 2
                                                : fc & kPieceOffsetMask;
        const std::size_t bytes = std::size_t{end - begin} * (compressed ? 1 : 2);
        if (offset > word.size() || word.size() - offset < bytes) {
            return ExtractExit::Damaged;
        }
        for (std::size_t k = 0; k < end - begin; ++k) {
            text[begin + k] =
                compressed ? Windows1252Character(static_cast<unsigned char>(word[offset + k]))
                           : static_cast<char16_t>(*Read16(word, offset + 2 * k));
        }
        MarkRuns(marked, offset, compressed ? 1 : 2, begin, end - begin, text);
    }
    return ExtractExit::Ok;
}

// The notes of one kind: where each is referred to in the main text, and where each one's text
// starts in its part (one position more than there are notes: the end of the last).
struct NoteTable {
    std::vector<std::uint32_t> references;
    std::vector<std::uint32_t> texts;
};

ExtractExit ReadNotes(const Header& header, std::string_view table, std::size_t referencesIndex,
                      std::size_t textsIndex, NoteTable& notes) {
    const auto references = TablePart(header, table, referencesIndex);
    const auto texts = TablePart(header, table, textsIndex);
    if (!references || !texts) {
        return ExtractExit::Damaged;
    }
    constexpr std::size_t kReferenceItemSize = 2;
    auto referencePositions = PlcPositions(*references, kReferenceItemSize);
    auto textPositions = PlcPositions(*texts, 0);
    if (!referencePositions || !textPositions) {
        return ExtractExit::Damaged;
    }
    if (!referencePositions->empty()) {
        referencePositions->pop_back();  // the end of the last reference
    }
    notes.references = std::move(*referencePositions);
    notes.texts = std::move(*textPositions);
    return ExtractExit::Ok;
}

using Note = std::pair<bool, std::size_t>;  // (endnote?, index in its table)

// Writes characters [begin, end) of the text: paragraph, line, cell and page ends end a line;
// of a field (begin 0x13, separator 0x14, end 0x15) only what stands between its separator and
// its end; the characters that stand for pictures, drawn objects and notes' own marks dropped.
// A character at a position in `references` is a reference to a note: its number, " [n]",
// given in the order met (the order kept in `referred`).
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
void WriteText(std::u16string_view text, std::size_t begin, std::size_t end, TextSink& sink,
               const std::map<std::size_t, Note>* references, std::vector<Note>* referred) {
    std::string line;
    std::vector<bool> fieldShowsResult;  // the fields open here, innermost last
    std::size_t hiddenFields = 0;        // of them, those still in their instruction
    const auto endLine = [&] {
        sink.append(line);
        line.clear();
        sink.endLine();
    };
    for (std::size_t cp = begin; cp < end && !sink.overflowed(); ++cp) {
        const char16_t unit = text[cp];
        if (unit == kDeleted) {
            continue;
        }
        if (unit == 0x13) {
            fieldShowsResult.push_back(false);
            ++hiddenFields;
            continue;
        }
        if (unit == 0x14 || unit == 0x15) {
            if (!fieldShowsResult.empty() && !fieldShowsResult.back()) {
                --hiddenFields;
                fieldShowsResult.back() = true;
            }
            if (unit == 0x15 && !fieldShowsResult.empty()) {
                fieldShowsResult.pop_back();
            }
            continue;
        }
        if (hiddenFields > 0) {
            continue;
        }
        // A note numbered by Word is referred to by 0x02, which its [n] stands for; one with a
        // mark of its own keeps it (its length is not known here), the [n] after its first
        // character.
        std::string reference;
        if (references != nullptr) {
            if (const auto found = references->find(cp); found != references->end()) {
                referred->push_back(found->second);
                reference = " [" + std::to_string(referred->size()) + "]";
            }
        }
        if (unit == 0x02 && !reference.empty()) {
            line += reference;
            continue;
        }
        switch (unit) {
            case 0x0D:  // paragraph end
            case 0x0B:  // line break
            case 0x07:  // table cell or row end
            case 0x0C:  // page or section break
            case 0x0E:  // column break
                endLine();
                continue;
            case 0x01:  // a picture
            case 0x02:  // a note's own mark
            case 0x03:  // the line above the notes
            case 0x04:
            case 0x05:  // a comment's mark
            case 0x08:  // a drawn object
            case 0x1F:  // a hyphen shown only where the line breaks
                continue;
            case 0x1E:  // a hyphen that never breaks
                line += '-';
                continue;
            default:
                break;
        }
        char32_t character = unit;
        if (unit >= 0xD800 && unit < 0xDC00 && cp + 1 < end && text[cp + 1] >= 0xDC00 &&
            text[cp + 1] < 0xE000) {
            const char32_t low = text[++cp];
            character = 0x10000U + ((char32_t{unit} - 0xD800U) << 10U) + (low - 0xDC00U);
        } else if (unit >= 0xD800 && unit < 0xE000) {
            character = 0xFFFD;
        } else if (unit < 0x20) {
            character = ' ';
        }
        AppendUtf8(line, character);
        line += reference;
    }
    endLine();
}

}  // namespace

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
ExtractExit DocText(std::string_view bytes, TextSink& sink) {
    if (bytes.substr(0, kCompoundFileSignature.size()) != kCompoundFileSignature) {
        return ExtractExit::NotSupported;
    }
    const GsfPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                                      static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!input) {
        return ExtractExit::Damaged;
    }
    GError* error = nullptr;
    const GsfPtr<GsfInfile> file(gsf_infile_msole_new(input.get(), &error));
    if (error != nullptr) {
        g_error_free(error);
    }
    if (!file) {
        return ExtractExit::Damaged;
    }
    std::string word;
    if (const StreamStatus status = ReadStream(file.get(), "WordDocument", bytes.size(), word);
        status != StreamStatus::Ok) {
        if (status == StreamStatus::Missing) {
            // A password-protected DOCX is a compound file holding the encrypted package.
            const GsfPtr<GsfInput> package(Child(file.get(), "EncryptedPackage"));
            if (package) {
                return ExtractExit::Encrypted;
            }
            return NamesStream(bytes, "WordDocument") ? ExtractExit::Damaged
                                                      : ExtractExit::NotSupported;
        }
        return ExtractExit::Damaged;
    }
    Header header;
    if (const ExtractExit status = ReadHeader(word, header); status != ExtractExit::Ok) {
        return status;
    }
    std::string tableStream;
    if (!header.word6 &&
        ReadStream(file.get(), (header.flags & kTableStreamFlag) != 0 ? "1Table" : "0Table",
                   bytes.size(), tableStream) != StreamStatus::Ok) {
        return ExtractExit::Damaged;
    }
    const std::string_view table = header.word6 ? std::string_view(word) : tableStream;
    const auto clx = TablePart(header, table, kPieceTable);
    if (!clx) {
        return ExtractExit::Damaged;
    }
    std::u16string text;
    if (header.word6 && (header.flags & kComplexFlag) == 0) {
        // All the text in one run of 8-bit characters.
        if (header.textEnd < header.textStart || header.textEnd > word.size()) {
            return ExtractExit::Damaged;
        }
        text.reserve(header.textEnd - header.textStart);
        for (std::size_t at = header.textStart; at < header.textEnd; ++at) {
            text += Windows1252Character(static_cast<unsigned char>(word[at]));
        }
    } else if (const ExtractExit status =
                   PieceText(word, *clx, header.word6, MarkedRuns(header, table, word), text);
               status != ExtractExit::Ok) {
        return status;
    }

    // Where each part starts, clipped to the text the pieces hold.
    std::array<std::size_t, PartCount + 1> partStart{};
    for (std::size_t part = 0; part < PartCount; ++part) {
        partStart[part + 1] = std::min(text.size(), partStart[part] + header.counts[part]);
    }
    std::array<NoteTable, 2> notes;
    std::map<std::size_t, Note> references;
    for (const bool endnote : {false, true}) {
        NoteTable& kind = notes[endnote ? 1 : 0];
        if (const ExtractExit status =
                ReadNotes(header, table, endnote ? kEndnoteReferences : kFootnoteReferences,
                          endnote ? kEndnoteTexts : kFootnoteTexts, kind);
            status != ExtractExit::Ok) {
            return status;
        }
        for (std::size_t i = 0; i < kind.references.size(); ++i) {
            references.emplace(kind.references[i], Note{endnote, i});
        }
    }

    std::vector<Note> referred;
    WriteText(text, 0, partStart[Main + 1], sink, &references, &referred);
    // Text boxes in the body, after it: where each stands would take the drawing layer.
    WriteText(text, partStart[TextBoxes], partStart[TextBoxes + 1], sink, nullptr, nullptr);
    for (std::size_t i = 0; i < referred.size() && !sink.overflowed(); ++i) {
        const auto [endnote, index] = referred[i];
        const Part part = endnote ? Endnotes : Footnotes;
        const std::vector<std::uint32_t>& starts = notes[endnote ? 1 : 0].texts;
        if (index + 1 >= starts.size()) {
            continue;  // a reference to no text: its [n] stays, with nothing to follow
        }
        const std::size_t begin = std::min(partStart[part] + starts[index], partStart[part + 1]);
        const std::size_t end =
            std::min(partStart[part] + std::size_t{starts[index + 1]}, partStart[part + 1]);
        sink.endLine();
        sink.append("[" + std::to_string(i + 1) + "] ");
        WriteText(text, begin, std::max(begin, end), sink, nullptr, nullptr);
    }
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
