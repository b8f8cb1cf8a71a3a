// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What lexaro-extract asks of its platform before and around the parsing: its command line, the
// document's bytes and its standard output. documents/extract_io_posix.cpp and
// documents/extract_io_win.cpp carry it out.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text_file.h"
#include "helper/protocol.h"

namespace lexaro::documents {

// The command line's arguments as UTF-8, the program's name first. POSIX takes them from `argc`
// and `argv`; Windows from its wide command line, since the narrow `argv` holds a file name in
// the user's code page, which cannot spell every name.
[[nodiscard]] std::vector<std::string> Arguments(int argc, char** argv);

// Reads the whole regular file `path` (UTF-8) into `bytes`; Ok, Unreadable or TooLarge.
[[nodiscard]] ExtractExit ReadFile(const std::string& path, std::string& bytes);

// Writes `text` to standard output; false if it could not all be written.
[[nodiscard]] bool WriteAll(std::string_view text);

// Makes every failure end the helper with a code the window can read: a reader that went away
// shows as a failed write, a crash as a damaged document, never as an error box.
void QuietFailures();

// Reads a file expected to hold `expected` bytes through `readSome(buffer, room)` (the count read,
// 0 at its end, below 0 on an error). The file may grow while it is read: never more than the
// limit allows. For ReadFile on each platform.
template <typename ReadSome>
ExtractExit ReadUpToLimit(std::size_t expected, std::string& bytes, ReadSome readSome) {
    bytes.resize(expected + 1);
    std::size_t done = 0;
    ExtractExit status = ExtractExit::Ok;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > kMaxTextFileBytes) {
                status = ExtractExit::TooLarge;
                break;
            }
            bytes.resize(std::min(bytes.size() * 2, kMaxTextFileBytes + 1));
        }
        const long long got = readSome(bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            status = ExtractExit::Unreadable;
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return status;
}

}  // namespace lexaro::documents
