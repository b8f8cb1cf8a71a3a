// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The helper's readers, one per format of formats/formats.tsv that the helper reads, found by the
// format's key. Adding a format is a row in formats.tsv and its reader here: the dispatch
// (extract.cpp) and the fuzz target take it from this table.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "helper/protocol.h"

namespace lexaro::documents {

// A part of a reader that is the project's own code, fed straight from a fuzzer's bytes: an ODT's
// content.xml rather than the archive libzip unpacks, a PDF's lines rather than the file poppler
// parses. It writes to the sink, or returns text it made without one (which then has the shape of
// the sink's lines but not its promise of UTF-8 and single spaces).
using FuzzWalk = std::optional<std::string> (*)(std::string_view bytes, TextSink& sink);

struct Reader {
    std::string_view key;  // the format's key in formats.tsv
    // The whole file: for a format recognised by its bytes or its name.
    ExtractExit (*read)(std::string_view bytes, TextSink& sink) = nullptr;
    // An opened ZIP archive: for a format recognised inside one.
    ExtractExit (*readZip)(ZipArchive& zip, TextSink& sink) = nullptr;
    // What the fuzz target runs. It numbers all walks in the table's order and its seeds are
    // kept by number, so a new reader goes at the table's end.
    std::span<const FuzzWalk> fuzzWalks;
};

// Every reader, in the order the fuzz target numbers their walks.
[[nodiscard]] std::span<const Reader> Readers();

// The reader of the format with this key, or null.
[[nodiscard]] const Reader* FindReader(std::string_view key);

}  // namespace lexaro::documents
