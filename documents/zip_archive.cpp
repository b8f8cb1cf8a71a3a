// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/zip_archive.h"

#include <algorithm>

namespace lexaro::documents {

namespace {

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

ZipArchive::ZipArchive(std::string_view bytes, const ZipLimits& limits)
    : limits_(limits), archiveBytes_(bytes.size()) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        return;
    }
    // No ZIP_CHECKCONS: books from sloppy tools often disagree with themselves in harmless ways,
    // and every entry read is still checked against its CRC.
    zip_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (zip_ == nullptr) {
        zip_source_free(source);
        return;
    }
    const zip_int64_t entries = zip_get_num_entries(zip_, 0);
    status_ =
        entries >= 0 && entries <= limits_.maxEntries ? ExtractExit::Ok : ExtractExit::Damaged;
}

ZipArchive::~ZipArchive() {
    if (zip_ != nullptr) {
        zip_discard(zip_);
    }
}

std::int64_t ZipArchive::locate(std::string_view name) const {
    if (status_ != ExtractExit::Ok || name.find('\0') != std::string_view::npos) {
        return -1;
    }
    return zip_name_locate(zip_, std::string(name).c_str(), 0);
}

bool ZipArchive::contains(std::string_view name) const {
    return locate(name) >= 0;
}

std::vector<std::string> ZipArchive::names() const {
    std::vector<std::string> names;
    const zip_int64_t entries = status_ == ExtractExit::Ok ? zip_get_num_entries(zip_, 0) : 0;
    for (zip_int64_t i = 0; i < entries; ++i) {
        if (const char* name = zip_get_name(zip_, static_cast<zip_uint64_t>(i), 0)) {
            names.emplace_back(name);
        }
    }
    return names;
}

ExtractExit ZipArchive::read(std::string_view name, std::string& out, std::size_t maxBytes) {
    out.clear();
    const std::int64_t index = locate(name);
    if (index < 0) {
        return ExtractExit::Damaged;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_, entry, 0, &stat) != 0 || (stat.valid & ZIP_STAT_COMP_SIZE) == 0) {
        return ExtractExit::Damaged;
    }
    // The compressed data lies inside the archive, so the archive's size bounds it whatever the
    // directory claims.
    const auto compressed = std::max<std::size_t>(
        1, std::min<std::size_t>(archiveBytes_, static_cast<std::size_t>(stat.comp_size)));
    const std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen_index(zip_, entry, 0));
    if (!file) {
        return ExtractExit::Damaged;
    }
    constexpr std::size_t kChunk = std::size_t{64} << 10;
    for (;;) {
        const std::size_t at = out.size();
        out.resize(at + kChunk);
        const zip_int64_t got = zip_fread(file.get(), out.data() + at, kChunk);
        if (got < 0) {
            out.clear();
            return ExtractExit::Damaged;
        }
        out.resize(at + static_cast<std::size_t>(got));
        if (got == 0) {
            return ExtractExit::Ok;
        }
        totalRead_ += static_cast<std::size_t>(got);
        const bool bomb =
            out.size() > limits_.ratioFloorBytes && out.size() > compressed * limits_.maxRatio;
        if (bomb || out.size() > std::min(maxBytes, limits_.maxEntryBytes) ||
            totalRead_ > limits_.maxTotalBytes) {
            out.clear();
            return ExtractExit::TooLarge;
        }
    }
}

}  // namespace lexaro::documents
