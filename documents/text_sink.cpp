// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/text_sink.h"

#include <algorithm>
#include <cstdint>

#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsSpace(char32_t cp) {
    return cp <= 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

// Spaces that hold the characters on either side together (no-break, thin, ideographic, ...): the
// pacer splits words at plain spaces only.
bool IsGluingSpace(char32_t cp) {
    return cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200B) || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000;
}

}  // namespace

void TextSink::append(std::string_view utf8) {
    while (!utf8.empty() && !overflowed_) {
        // Runs of plain ASCII are the common case; copy them without decoding.
        std::size_t run = 0;
        while (run < utf8.size() && static_cast<std::uint8_t>(utf8[run]) > 0x20 &&
               static_cast<std::uint8_t>(utf8[run]) < 0x7F) {
            ++run;
        }
        if (run > 0) {
            appendVisible(utf8.substr(0, run));
            utf8.remove_prefix(run);
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8Sequence(utf8, cp);
        const std::string_view encoded = length == 0 ? kReplacement : utf8.substr(0, length);
        utf8.remove_prefix(std::max<std::size_t>(length, 1));
        if (length > 0 && cp == 0xFEFF) {
            continue;  // a byte order mark left inside a file (or between joined ones) shows
                       // nothing
        }
        if (length > 0 && IsSpace(cp)) {
            spacePending_ = lineHasText_;
            glue_.clear();
            continue;
        }
        // Between two visible characters such a space stays; at either end of a word it would
        // show as a blank word of its own, so there it is a plain space.
        if (length > 0 && IsGluingSpace(cp)) {
            if (lineHasText_ && !spacePending_ && !breakPending_) {
                glue_.append(encoded);
            } else {
                spacePending_ = lineHasText_;
            }
            continue;
        }
        appendVisible(encoded);
    }
}

void TextSink::appendLines(std::string_view utf8) {
    for (auto end = utf8.find('\n'); end != std::string_view::npos; end = utf8.find('\n')) {
        append(utf8.substr(0, end));
        endLine();
        utf8.remove_prefix(end + 1);
    }
    append(utf8);
}

void TextSink::endLine() {
    if (lineHasText_) {
        breakPending_ = true;
        lineHasText_ = false;
    }
    spacePending_ = false;
    glue_.clear();
}

// `encoded` is the UTF-8 of characters that are not white space.
void TextSink::appendVisible(std::string_view encoded) {
    const std::size_t separator = breakPending_ || spacePending_ ? 1 : glue_.size();
    if (text_.size() + separator + encoded.size() > limit_) {
        overflowed_ = true;
        return;
    }
    if (breakPending_) {
        text_.push_back('\n');
    } else if (spacePending_) {
        text_.push_back(' ');
    } else {
        text_.append(glue_);
    }
    glue_.clear();
    breakPending_ = spacePending_ = false;
    lineHasText_ = true;
    text_.append(encoded);
}

}  // namespace lexaro::documents
