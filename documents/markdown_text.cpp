#include "documents/markdown_text.h"

#include <cmark.h>

#include <memory>
#include <string>

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

}  // namespace

ExtractExit MarkdownText(std::string_view bytes, TextSink& sink) {
    const auto characters = DecodeTextFile(bytes);
    if (!characters) {
        return ExtractExit::NotSupported;
    }
    const std::string utf8 = Utf8(*characters);
    const std::unique_ptr<cmark_node, NodeFree> root(
        cmark_parse_document(utf8.data(), utf8.size(), CMARK_OPT_DEFAULT));
    if (!root) {
        return ExtractExit::Damaged;
    }
    const std::unique_ptr<cmark_iter, IterFree> iter(cmark_iter_new(root.get()));
    for (cmark_event_type event = cmark_iter_next(iter.get());
         event != CMARK_EVENT_DONE && !sink.overflowed(); event = cmark_iter_next(iter.get())) {
        cmark_node* node = cmark_iter_get_node(iter.get());
        const cmark_node_type type = cmark_node_get_type(node);
        if (event == CMARK_EVENT_EXIT || type == CMARK_NODE_THEMATIC_BREAK) {
            if (type >= CMARK_NODE_FIRST_BLOCK && type <= CMARK_NODE_LAST_BLOCK) {
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
            default:
                if (type >= CMARK_NODE_FIRST_BLOCK && type <= CMARK_NODE_LAST_BLOCK) {
                    sink.endLine();
                }
                break;
        }
    }
    sink.endLine();
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
