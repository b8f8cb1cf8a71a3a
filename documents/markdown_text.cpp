// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/markdown_text.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "documents/html_text.h"
#include "formats/encoding.h"
#include "formats/text_file.h"

namespace lexaro::documents {

namespace {

struct NodeFree {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct IterFree {
    void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};
struct ParserFree {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};

std::string Utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string_view Literal(cmark_node* node) {
    const char* literal = cmark_node_get_literal(node);
    return literal != nullptr ? literal : std::string_view();
}

bool IsBlock(cmark_node_type type) {
    return (type & CMARK_NODE_TYPE_MASK) == CMARK_NODE_TYPE_BLOCK;
}

bool Is(cmark_node* node, std::string_view extensionType) {
    return extensionType == cmark_node_get_type_string(node);
}

// GitHub's Markdown: tables, strikethrough, autolinks, task lists, and footnotes, which the
// parser moves to the end of the document in the order they are first referred to.
std::unique_ptr<cmark_node, NodeFree> ParseGfm(const std::string& utf8) {
    cmark_gfm_core_extensions_ensure_registered();
    const std::unique_ptr<cmark_parser, ParserFree> parser(
        cmark_parser_new(CMARK_OPT_DEFAULT | CMARK_OPT_FOOTNOTES));
    for (const char* name : {"table", "strikethrough", "autolink", "tasklist"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    cmark_parser_feed(parser.get(), utf8.data(), utf8.size());
    return std::unique_ptr<cmark_node, NodeFree>(cmark_parser_finish(parser.get()));
}

// One line of `text` from `at` (without its line break, trailing blanks or carriage return), and
// where the next one starts.
std::pair<std::string_view, std::size_t> LineAt(std::string_view text, std::size_t at) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return {line, std::min(end + 1, text.size())};
}

// Whether `line` starts with a key made of `keyCharacters`, then (after blanks) `separator`, and
// for YAML's colon a blank or the line's end after it.
bool IsKeyLine(std::string_view line, std::string_view keyCharacters, char separator) {
    const std::size_t keyEnd = line.find_first_not_of(keyCharacters);
    if (keyEnd == 0 || keyEnd == std::string_view::npos) {
        return false;
    }
    const std::size_t at = line.find_first_not_of(" \t", keyEnd);
    if (at == std::string_view::npos || line[at] != separator) {
        return false;
    }
    return separator != ':' || at + 1 == line.size() || line[at + 1] == ' ' || line[at + 1] == '\t';
}

// Whether `line` opens or closes a TOML multi-line string: an odd number of """ or '''.
bool TogglesMultiLineString(std::string_view line) {
    const auto odd = [line](std::string_view quotes) {
        std::size_t count = 0;
        for (std::size_t i = line.find(quotes); i != std::string_view::npos;
             i = line.find(quotes, i + quotes.size())) {
            ++count;
        }
        return count % 2 == 1;
    };
    return odd(R"(""")") || odd("'''");
}

// How many bytes of metadata open the file: a block fenced by "---" (YAML, closed by "---" or
// "...") or "+++" (TOML, closed by "+++") from the very first line, holding nothing but keys with
// their values ("title: A", "title = 'A'", a TOML [table]), values' indented or list lines, blank
// lines and comments, and starting with a key. Anything else, such as a thematic break over a
// paragraph, is the document's own text: 0.
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
std::size_t FrontMatterLength(std::string_view text) {
    const auto [fence, first] = LineAt(text, 0);
    const bool yaml = fence == "---";
    if (!yaml && fence != "+++") {
        return 0;
    }
    constexpr std::string_view kKey =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
    const std::string tomlKey = std::string(kKey) + ".\"' ";
    bool keys = false;
    bool inString = false;  // inside a TOML multi-line string, where any line may stand
    for (std::size_t at = first; at < text.size();) {
        const auto [line, next] = LineAt(text, at);
        at = next;
        if (inString) {
            inString = !TogglesMultiLineString(line);
            continue;
        }
        if (keys && (yaml ? line == "---" || line == "..." : line == "+++")) {
            return at;
        }
        const bool indented = line.starts_with(' ') || line.starts_with('\t');
        if (line.empty() || line.starts_with('#') || (keys && indented)) {
            continue;
        }
        if (keys && (yaml ? line == "-" || line.starts_with("- ")
                          : line.starts_with('[') || line.starts_with(']'))) {
            continue;  // an item of a YAML list; a TOML table's header, or an array's end
        }
        if (!(yaml ? IsKeyLine(line, kKey, ':') : IsKeyLine(line, tomlKey, '='))) {
            return 0;
        }
        keys = true;
        inString = !yaml && TogglesMultiLineString(line);
    }
    return 0;  // never closed
}

}  // namespace

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
ExtractExit MarkdownText(std::string_view bytes, TextSink& sink) {
    const auto characters = DecodeTextFile(bytes);
    if (!characters) {
        return ExtractExit::NotSupported;
    }
    std::string utf8 = Utf8(*characters);
    // Front matter (a site generator's title, date, layout) is not part of the text.
    utf8.erase(0, FrontMatterLength(utf8));
    const std::unique_ptr<cmark_node, NodeFree> root = ParseGfm(utf8);
    if (!root) {
        return ExtractExit::Damaged;
    }
    // Notes are numbered in the order they are first referred to, which is the order the parser
    // puts their texts in at the end.
    std::map<std::string, int, std::less<>> notes;
    const auto noteNumber = [&notes](std::string_view label) {
        const auto [at, added] =
            notes.try_emplace(std::string(label), static_cast<int>(notes.size()) + 1);
        return "[" + std::to_string(at->second) + "]";
    };
    int notesRead = 0;
    const std::unique_ptr<cmark_iter, IterFree> iter(cmark_iter_new(root.get()));
    for (cmark_event_type event = cmark_iter_next(iter.get());
         event != CMARK_EVENT_DONE && !sink.overflowed(); event = cmark_iter_next(iter.get())) {
        cmark_node* node = cmark_iter_get_node(iter.get());
        const cmark_node_type type = cmark_node_get_type(node);
        if (Is(node, "table_cell")) {
            sink.append(" ");  // a row is a line, its cells in order
            continue;
        }
        if (event == CMARK_EVENT_EXIT || type == CMARK_NODE_THEMATIC_BREAK) {
            if (IsBlock(type)) {
                sink.endLine();
            }
            continue;
        }
        switch (type) {
            case CMARK_NODE_TEXT:
            case CMARK_NODE_CODE:
                sink.append(Literal(node));
                break;
            case CMARK_NODE_SOFTBREAK:
                sink.append(" ");
                break;
            case CMARK_NODE_LINEBREAK:
                sink.endLine();
                break;
            case CMARK_NODE_CODE_BLOCK:
                sink.endLine();
                sink.appendLines(Literal(node));
                sink.endLine();
                break;
            case CMARK_NODE_HTML_BLOCK:
                sink.endLine();
                // Markup that libxml2 cannot make sense of shows nothing, as in a browser.
                static_cast<void>(HtmlText(Literal(node), sink));
                break;
            case CMARK_NODE_IMAGE:
                cmark_iter_reset(iter.get(), node, CMARK_EVENT_EXIT);
                break;
            case CMARK_NODE_FOOTNOTE_REFERENCE:
                // A word of its own after the word it follows, never glued to it.
                sink.append(" " + noteNumber(Literal(node)));
                break;
            case CMARK_NODE_FOOTNOTE_DEFINITION:
                sink.endLine();
                sink.append("[" + std::to_string(++notesRead) + "] ");
                break;
            default:
                // A note's first paragraph goes on its "[n]" line.
                if (IsBlock(type) && !(cmark_node_get_type(cmark_node_parent(node)) ==
                                           CMARK_NODE_FOOTNOTE_DEFINITION &&
                                       cmark_node_previous(node) == nullptr)) {
                    sink.endLine();
                }
                break;
        }
    }
    sink.endLine();
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
