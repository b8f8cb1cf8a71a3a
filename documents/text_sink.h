// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where every format's walker puts the text it finds, so that all of them produce the same shape:
// UTF-8, one block per line, LF between lines, no empty lines, white space inside a line collapsed
// to one space and trimmed. A no-break space (U+00A0) is a character here, not white space.
//
// Anything that could confuse the window is cleaned on the way in: bytes that are not UTF-8
// become U+FFFD; NUL and other control characters, and the Unicode line and paragraph
// separators (which a text box would turn into line breaks of its own), count as white space;
// a stray byte order mark (U+FEFF) is dropped.

#include <cstddef>
#include <string>
#include <string_view>

#include "helper/protocol.h"

namespace lexaro::documents {

class TextSink {
public:
    explicit TextSink(std::size_t limit = kMaxExtractedTextBytes) : limit_(limit) {}

    // Adds text to the current line.
    void append(std::string_view utf8);
    // Adds text whose line feeds end lines (preformatted text, a code block, a page's
    // paragraphs); the text after the last one stays on the current line.
    void appendLines(std::string_view utf8);
    // Ends the current line; the next text starts a new one. Does nothing on an empty line.
    void endLine();

    // The text passed the limit: what was gathered is incomplete and must not be used.
    [[nodiscard]] bool overflowed() const { return overflowed_; }
    [[nodiscard]] std::size_t limit() const { return limit_; }
    [[nodiscard]] bool empty() const { return text_.empty(); }
    [[nodiscard]] const std::string& text() const { return text_; }
    [[nodiscard]] std::string take() { return std::move(text_); }

private:
    void appendVisible(std::string_view encoded);

    std::size_t limit_;
    std::string text_;
    std::string glue_;  // no-break and other gluing spaces met since the last visible character
    bool lineHasText_ = false;
    bool spacePending_ = false;
    bool breakPending_ = false;
    bool overflowed_ = false;
};

}  // namespace lexaro::documents
