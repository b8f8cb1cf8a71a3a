// SPDX-License-Identifier: GPL-2.0-or-later
// Legacy character sets through iconv (see charset_converter.h).
#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "documents/charset_converter.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

bool AppendConverted(const std::string& charset, std::string_view bytes, std::string& out) {
    iconv_t converter = iconv_open("UTF-8", charset.c_str());
    if (reinterpret_cast<std::intptr_t>(converter) == -1) {
        return false;
    }
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::array<char, 16384> buffer{};
    for (;;) {
        char* written = buffer.data();
        std::size_t room = buffer.size();
        const std::size_t result = inLeft > 0 ? iconv(converter, &in, &inLeft, &written, &room)
                                              : iconv(converter, nullptr, nullptr, &written, &room);
        const int error = errno;
        out.append(buffer.data(), static_cast<std::size_t>(written - buffer.data()));
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                break;  // the final call above has returned the shift state to the initial one
            }
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        // An invalid or cut-off sequence: one byte becomes U+FFFD, and on from the next.
        out.append(kReplacement);
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return true;
}

}  // namespace lexaro::documents
