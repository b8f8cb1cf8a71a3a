// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A ZIP archive held in memory (EPUB, ODT and DOCX are all ZIPs), read through libzip with the
// limits that keep a hostile archive from costing more than a failed load:
//   - more entries than anyone's document has: Damaged, before any entry is read;
//   - more uncompressed bytes in total than the limit, or an entry above its size: TooLarge;
//   - an entry that inflates far beyond its compressed size (a "ZIP bomb"): TooLarge.
// Sizes are counted while inflating, in chunks; what the archive declares is never trusted.
// Entries are only looked up by name and read into memory: nothing is ever written.

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "helper/protocol.h"

namespace lexaro::documents {

struct ZipLimits {
    std::int64_t maxEntries = 10'000;
    std::size_t maxTotalBytes = std::size_t{512} << 20;
    std::size_t maxEntryBytes = kMaxExtractedTextBytes;
    // An entry past ratioFloorBytes may inflate to at most maxRatio times its compressed size.
    std::size_t ratioFloorBytes = std::size_t{1} << 20;
    std::size_t maxRatio = 100;
};

class ZipArchive {
public:
    // `bytes` must outlive the archive.
    explicit ZipArchive(std::string_view bytes, const ZipLimits& limits = {});
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive();

    // Ok once the archive opened within its limits; otherwise why not, and nothing can be read.
    [[nodiscard]] ExtractExit status() const { return status_; }

    [[nodiscard]] bool contains(std::string_view name) const;

    // The entries' names, in the archive's order (empty when it did not open).
    [[nodiscard]] std::vector<std::string> names() const;

    // The entry's bytes into `out`: Ok, Damaged (missing, corrupt, unreadable) or TooLarge (past
    // the archive's limits or `maxBytes`).
    [[nodiscard]] ExtractExit read(std::string_view name, std::string& out,
                                   std::size_t maxBytes = SIZE_MAX);

private:
    [[nodiscard]] std::int64_t locate(std::string_view name) const;

    ZipLimits limits_;
    std::size_t archiveBytes_;
    zip_t* zip_ = nullptr;
    ExtractExit status_ = ExtractExit::Damaged;
    std::size_t totalRead_ = 0;
};

}  // namespace lexaro::documents
