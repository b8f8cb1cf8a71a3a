// A minimal MOBI writer: a Palm database of a record 0 (PalmDOC header, MOBI header, title) and
// uncompressed text records of at most 4096 bytes. A Palm text has the PalmDOC header alone.

#include <cstdint>

#include "tests/documents/fixtures.h"

namespace lexaro::fixtures {

namespace {

constexpr std::size_t kTextRecordSize = 4096;
constexpr std::size_t kMobiHeaderSize = 232;
constexpr std::uint32_t kNone = 0xFFFFFFFF;

void Put16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>((value >> 8) & 0xFF);
    out[at + 1] = static_cast<char>(value & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value >> 16);
    Put16(out, at + 2, value & 0xFFFF);
}

std::string RecordZero(const MobiBook& book, std::size_t textRecords) {
    static constexpr std::string_view kTitle = "Fixture";
    std::string record(16 + kMobiHeaderSize, '\0');
    // PalmDOC: no compression, the text's length and records, the encryption.
    Put16(record, 0, 1);
    Put32(record, 4, static_cast<std::uint32_t>(book.html.size()));
    Put16(record, 8, static_cast<std::uint32_t>(textRecords));
    Put16(record, 10, kTextRecordSize);
    Put16(record, 12, book.drm ? 2 : 0);
    if (book.palmText) {
        record.resize(16);
        return record;
    }
    // MOBI: a book (type 2) of format version 6, no indexes, images, EXTH or trailing entries.
    const std::size_t mobi = 16;
    record.replace(mobi, 4, "MOBI");
    Put32(record, mobi + 4, kMobiHeaderSize);
    Put32(record, mobi + 8, 2);
    Put32(record, mobi + 12, book.encoding);
    Put32(record, mobi + 16, 1);
    Put32(record, mobi + 20, 6);
    for (std::size_t index = 24; index < 64; index += 4) {
        Put32(record, mobi + index, kNone);
    }
    Put32(record, mobi + 64, static_cast<std::uint32_t>(textRecords + 1));  // first non-text
    Put32(record, mobi + 68, static_cast<std::uint32_t>(record.size()));    // the title
    Put32(record, mobi + 72, static_cast<std::uint32_t>(kTitle.size()));
    Put32(record, mobi + 88, 6);
    Put32(record, mobi + 92, kNone);  // no images
    Put32(record, mobi + 148, kNone);
    Put32(record, mobi + 152, kNone);  // no DRM record
    Put16(record, mobi + 176, 1);
    Put16(record, mobi + 178, static_cast<std::uint32_t>(textRecords));
    Put32(record, mobi + 180, 1);
    Put32(record, mobi + 184, kNone);
    Put32(record, mobi + 192, kNone);
    Put32(record, mobi + 208, kNone);
    Put32(record, mobi + 220, kNone);
    Put32(record, mobi + 228, kNone);
    record += kTitle;
    record.append(4 - record.size() % 4, '\0');
    return record;
}

}  // namespace

std::string MobiBytes(const MobiBook& book) {
    std::vector<std::string> records;
    const std::size_t textRecords = (book.html.size() + kTextRecordSize - 1) / kTextRecordSize;
    records.push_back(RecordZero(book, textRecords));
    for (std::size_t at = 0; at < book.html.size(); at += kTextRecordSize) {
        records.push_back(book.html.substr(at, kTextRecordSize));
    }
    // The Palm database header: name, dates, type BOOK and creator MOBI, then the record list.
    std::string out(78, '\0');
    out.replace(0, 7, "Fixture");
    out.replace(60, 8, book.palmText ? "TEXtREAd" : "BOOKMOBI");
    Put16(out, 76, static_cast<std::uint32_t>(records.size()));
    std::size_t offset = 78 + 8 * records.size() + 2;
    for (std::size_t index = 0; index < records.size(); ++index) {
        std::string entry(8, '\0');
        Put32(entry, 0, static_cast<std::uint32_t>(offset));
        Put32(entry, 4, static_cast<std::uint32_t>(2 * index));
        out += entry;
        offset += records[index].size();
    }
    out.append(2, '\0');
    for (const std::string& record : records) {
        out += record;
    }
    return out;
}

}  // namespace lexaro::fixtures
