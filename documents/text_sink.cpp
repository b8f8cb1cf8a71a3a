#include "documents/text_sink.h"

#include <cstdint>

#include "engine/utf8.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsSpace(char32_t cp) {
    return cp <= 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

}  // namespace

void TextSink::Append(std::string_view utf8) {
    while (!utf8.empty() && !overflowed_) {
        // Runs of plain ASCII are the common case; copy them without decoding.
        std::size_t run = 0;
        while (run < utf8.size() && static_cast<std::uint8_t>(utf8[run]) > 0x20 &&
               static_cast<std::uint8_t>(utf8[run]) < 0x7F) {
            ++run;
        }
        if (run > 0) {
            AppendCodePoint(U'x', utf8.substr(0, run));
            utf8.remove_prefix(run);
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8Sequence(utf8, cp);
        if (length == 0) {
            AppendCodePoint(0xFFFD, kReplacement);
            utf8.remove_prefix(1);
        } else {
            AppendCodePoint(cp, utf8.substr(0, length));
            utf8.remove_prefix(length);
        }
    }
}

void TextSink::EndLine() {
    if (lineHasText_) {
        breakPending_ = true;
        lineHasText_ = false;
    }
    spacePending_ = false;
}

// `encoded` is the UTF-8 of `cp`, or a run of visible ASCII when `cp` stands for such a run.
void TextSink::AppendCodePoint(char32_t cp, std::string_view encoded) {
    if (cp == 0xFEFF) {
        return;  // a byte order mark left inside a file (or between joined ones) shows nothing
    }
    if (IsSpace(cp)) {
        spacePending_ = lineHasText_;
        return;
    }
    const std::size_t separator = breakPending_ || spacePending_ ? 1 : 0;
    if (text_.size() + separator + encoded.size() > limit_) {
        overflowed_ = true;
        return;
    }
    if (breakPending_) {
        text_.push_back('\n');
    } else if (spacePending_) {
        text_.push_back(' ');
    }
    breakPending_ = spacePending_ = false;
    lineHasText_ = true;
    text_.append(encoded);
}

}  // namespace lexaro::documents
