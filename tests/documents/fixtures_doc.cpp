// Word 97-2003 fixtures: a compound file (version 3, 512-byte sectors, no mini stream) holding a
// WordDocument stream (the header, then the text of each piece) and a 1Table stream (the piece
// table and the notes' tables).

#include <algorithm>
#include <cstdint>

#include "tests/documents/fixtures.h"

namespace lexaro::fixtures {

namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kMiniStreamCutoff = 4096;  // smaller streams would go to the mini stream

void Put16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFFU);
    out[at + 1] = static_cast<char>((value >> 8U) & 0xFFU);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value & 0xFFFFU);
    Put16(out, at + 2, value >> 16U);
}

void Append32(std::string& out, std::uint32_t value) {
    out.append(4, '\0');
    Put32(out, out.size() - 4, value);
}

std::string DirectoryEntry(const std::string& name, int type, std::uint32_t child,
                           std::uint32_t right, std::uint32_t start, std::size_t size) {
    std::string entry(128, '\0');
    for (std::size_t i = 0; i < name.size(); ++i) {
        entry[i * 2] = name[i];
    }
    Put16(entry, 64, static_cast<std::uint32_t>((name.size() + 1) * 2));
    entry[66] = static_cast<char>(type);
    entry[67] = 1;  // black
    Put32(entry, 68, kNoEntry);
    Put32(entry, 72, right);
    Put32(entry, 76, child);
    // Modified on 2024-01-01 (a FILETIME): reading a date makes GLib look for the time zone.
    Put32(entry, 108, 0x9A5B8000);
    Put32(entry, 112, 0x01DA3C3C);
    Put32(entry, 116, start);
    Put32(entry, 120, static_cast<std::uint32_t>(size));
    return entry;
}

// The CP positions of a PLC followed by `items` of two zero bytes each (or none).
std::string Plc(const std::vector<std::uint32_t>& positions, std::size_t items) {
    std::string plc;
    for (const std::uint32_t position : positions) {
        Append32(plc, position);
    }
    plc.append(items * 2, '\0');
    return plc;
}

// A part of notes (footnotes or endnotes): each note its own mark, its text and a paragraph end;
// then a last paragraph end. `starts` gets where each begins, the end of the last, and the end.
std::u16string NotePart(const std::vector<std::u16string>& notes,
                        std::vector<std::uint32_t>& starts) {
    std::u16string part;
    for (const std::u16string& note : notes) {
        starts.push_back(static_cast<std::uint32_t>(part.size()));
        part += u"\x02 " + note + u"\r";
    }
    if (!notes.empty()) {
        starts.push_back(static_cast<std::uint32_t>(part.size()));
        part += u"\r";
        starts.push_back(static_cast<std::uint32_t>(part.size()));
    }
    return part;
}

}  // namespace

std::string CompoundFileBytes(std::vector<std::pair<std::string, std::string>> streams) {
    // Siblings in the order the format compares names: shorter first, then by upper case.
    std::sort(streams.begin(), streams.end(), [](const auto& a, const auto& b) {
        if (a.first.size() != b.first.size()) {
            return a.first.size() < b.first.size();
        }
        std::string x = a.first;
        std::string y = b.first;
        std::transform(x.begin(), x.end(), x.begin(), ::toupper);
        std::transform(y.begin(), y.end(), y.begin(), ::toupper);
        return x < y;
    });
    for (auto& stream : streams) {
        stream.second.resize(std::max(stream.second.size(), kMiniStreamCutoff), '\0');
    }
    const std::size_t directorySectors = (streams.size() + 1 + 3) / 4;
    std::size_t dataSectors = directorySectors;
    for (const auto& stream : streams) {
        dataSectors += (stream.second.size() + kSector - 1) / kSector;
    }
    std::size_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < fatSectors + dataSectors) {
        ++fatSectors;
    }
    std::vector<std::uint32_t> fat(fatSectors, kFatSector);
    const auto chain = [&](std::size_t sectors) {
        const auto start = static_cast<std::uint32_t>(fat.size());
        for (std::size_t i = 1; i < sectors; ++i) {
            fat.push_back(static_cast<std::uint32_t>(fat.size() + 1));
        }
        fat.push_back(kEndOfChain);
        return start;
    };
    const std::uint32_t directoryStart = chain(directorySectors);
    std::string directory = DirectoryEntry("Root Entry", 5, 1, kNoEntry, kEndOfChain, 0);
    std::string data;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const std::string& bytes = streams[i].second;
        const std::uint32_t start = chain((bytes.size() + kSector - 1) / kSector);
        const auto right = i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kNoEntry;
        directory += DirectoryEntry(streams[i].first, 2, kNoEntry, right, start, bytes.size());
        data += bytes;
        data.resize((data.size() + kSector - 1) / kSector * kSector, '\0');
    }
    while (directory.size() < directorySectors * kSector) {
        directory += DirectoryEntry("", 0, kNoEntry, kNoEntry, 0, 0);
    }
    fat.resize(fatSectors * (kSector / 4), kFreeSector);

    std::string header(kSector, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    Put16(header, 24, 0x003E);
    Put16(header, 26, 3);
    Put16(header, 28, 0xFFFE);
    Put16(header, 30, 9);
    Put16(header, 32, 6);
    Put32(header, 44, static_cast<std::uint32_t>(fatSectors));
    Put32(header, 48, directoryStart);
    Put32(header, 56, kMiniStreamCutoff);
    Put32(header, 60, kEndOfChain);
    Put32(header, 68, kEndOfChain);
    for (std::size_t i = 0; i < 109; ++i) {
        Put32(header, 76 + i * 4, i < fatSectors ? static_cast<std::uint32_t>(i) : kFreeSector);
    }
    std::string file = header;
    for (const std::uint32_t entry : fat) {
        Append32(file, entry);
    }
    return file + directory + data;
}

std::string DocBytes(const WordDocument97& document) {
    // The header: fixed part, 14 16-bit values, 22 32-bit values (the parts' lengths among
    // them), 93 (offset, length) pairs into the table stream, and no further parts.
    constexpr std::size_t kLongsAt = 0x40;
    constexpr std::size_t kPairsAt = 0x9A;
    constexpr std::size_t kPairs = 93;
    constexpr std::size_t kTextAt = 0x400;
    std::string word(kTextAt, '\0');
    Put16(word, 0x00, 0xA5EC);
    Put16(word, 0x02, 0x00C1);
    Put16(word, 0x0A, 0x0200U | (document.encrypted ? 0x0100U : 0U));
    Put16(word, 0x20, 14);
    Put16(word, 0x3E, 22);
    Put16(word, 0x98, kPairs);

    std::vector<std::uint32_t> footnoteStarts;
    std::vector<std::uint32_t> endnoteStarts;
    const std::u16string footnotes = NotePart(document.footnotes, footnoteStarts);
    const std::u16string endnotes = NotePart(document.endnotes, endnoteStarts);
    std::vector<DocPiece> pieces = document.body;
    pieces.push_back({footnotes + endnotes, false});

    std::u16string body;
    std::vector<std::uint32_t> positions{0};
    std::vector<std::uint32_t> offsets;  // where each piece's text is in the stream, and the end
    std::string descriptors;
    for (const DocPiece& piece : pieces) {
        const auto offset = static_cast<std::uint32_t>(word.size());
        offsets.push_back(offset);
        descriptors += std::string(2, '\0');
        Append32(descriptors, piece.compressed ? offset * 2 | 0x40000000U : offset);
        descriptors += std::string(2, '\0');
        for (const char16_t unit : piece.text) {
            word += static_cast<char>(unit & 0xFFU);
            if (!piece.compressed) {
                word += static_cast<char>(unit >> 8U);
            }
        }
        positions.push_back(positions.back() + static_cast<std::uint32_t>(piece.text.size()));
        if (&piece != &pieces.back()) {
            body += piece.text;
        }
    }
    offsets.push_back(static_cast<std::uint32_t>(word.size()));

    // One page of character formatting: a run per piece, those deleted or in a symbol font
    // pointing to their formatting, put from the page's end down. The fonts: Times New Roman,
    // then the symbol fonts the pieces name.
    std::vector<std::string> fonts{"Times New Roman"};
    constexpr std::size_t kPage = 512;
    word.resize((word.size() + kPage - 1) / kPage * kPage, '\0');
    const std::size_t pageAt = word.size();
    std::string page(kPage, '\0');
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        Put32(page, i * 4, offsets[i]);
    }
    std::size_t free = kPage - 2;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string properties;
        if (pieces[i].deleted) {
            properties = std::string("\x00\x08\x01", 3);
        } else if (!pieces[i].symbolFont.empty()) {
            auto font = std::find(fonts.begin(), fonts.end(), pieces[i].symbolFont);
            if (font == fonts.end()) {
                font = fonts.insert(font, pieces[i].symbolFont);
            }
            properties = std::string("\x09\x6A\0\0\0\0", 6);
            Put16(properties, 2, static_cast<std::uint32_t>(font - fonts.begin()));
            Put16(properties, 4, pieces[i].symbol);
        }
        if (!properties.empty()) {
            free = (free - properties.size() - 1) / 2 * 2;
            page[free] = static_cast<char>(properties.size());
            page.replace(free + 1, properties.size(), properties);
            page[offsets.size() * 4 + i] = static_cast<char>(free / 2);
        }
    }
    page[kPage - 1] = static_cast<char>(pieces.size());
    word += page;

    Put32(word, kLongsAt + std::size_t{3} * 4, static_cast<std::uint32_t>(body.size()));
    Put32(word, kLongsAt + std::size_t{4} * 4, static_cast<std::uint32_t>(footnotes.size()));
    Put32(word, kLongsAt + std::size_t{8} * 4, static_cast<std::uint32_t>(endnotes.size()));

    // The notes' references: each 0x02 in the body, to a footnote or an endnote as `noteKinds`
    // says (footnotes first where it says nothing).
    std::vector<std::uint32_t> footnoteReferences;
    std::vector<std::uint32_t> endnoteReferences;
    for (std::size_t cp = 0, k = 0; cp < body.size(); ++cp) {
        if (body[cp] == 0x02) {
            const bool endnote = k < document.noteKinds.size()
                                     ? document.noteKinds[k] == 'e'
                                     : footnoteReferences.size() >= document.footnotes.size();
            (endnote ? endnoteReferences : footnoteReferences)
                .push_back(static_cast<std::uint32_t>(cp));
            ++k;
        }
    }
    const auto withEnd = [&](std::vector<std::uint32_t> references) {
        if (!references.empty()) {
            references.push_back(static_cast<std::uint32_t>(body.size()));
        }
        return references;
    };

    std::string table;
    const auto addTable = [&](std::size_t pair, const std::string& bytes) {
        Put32(word, kPairsAt + pair * 8, static_cast<std::uint32_t>(table.size()));
        Put32(word, kPairsAt + pair * 8 + 4, static_cast<std::uint32_t>(bytes.size()));
        table += bytes;
    };
    std::string clx = "\x02";
    const std::string pieceTable = Plc(positions, 0) + descriptors;
    Append32(clx, static_cast<std::uint32_t>(pieceTable.size()));
    addTable(33, clx + pieceTable);
    addTable(2, Plc(withEnd(footnoteReferences), footnoteReferences.size()));
    addTable(3, Plc(footnoteStarts, 0));
    addTable(46, Plc(withEnd(endnoteReferences), endnoteReferences.size()));
    addTable(47, Plc(endnoteStarts, 0));
    std::string runs = Plc({offsets.front(), offsets.back()}, 0);
    Append32(runs, static_cast<std::uint32_t>(pageAt / kPage));
    addTable(12, runs);
    std::string fontTable(4, '\0');
    Put16(fontTable, 0, static_cast<std::uint32_t>(fonts.size()));
    for (const std::string& name : fonts) {
        std::string record(40, '\0');
        for (const char c : name + '\0') {
            record += c;
            record += '\0';
        }
        record[0] = static_cast<char>(record.size() - 1);
        fontTable += record;
    }
    addTable(15, fontTable);
    return CompoundFileBytes({{"WordDocument", word}, {"1Table", table}});
}

std::string Word6DocBytes(std::string_view text) {
    // The fixed header: where the text starts and ends, then the main text's length.
    constexpr std::size_t kTextAt = 0x300;
    std::string word(kTextAt, '\0');
    Put16(word, 0x00, 0xA5DC);
    Put16(word, 0x02, 0x0068);
    Put32(word, 0x18, kTextAt);
    Put32(word, 0x1C, static_cast<std::uint32_t>(kTextAt + text.size()));
    Put32(word, 0x34, static_cast<std::uint32_t>(text.size()));
    word += text;
    return CompoundFileBytes({{"WordDocument", word}});
}

}  // namespace lexaro::fixtures
