#include "documents/html_text.h"

#include <algorithm>
#include <cstring>

#include "documents/formula.h"
#include "documents/html_charset.h"
#include "documents/xml_tree.h"
#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

// Names as the HTML parser gives them (lower case).
constexpr std::string_view kBlocks[] = {
    "address", "article", "aside",  "blockquote", "body",    "caption", "center",   "dd",
    "details", "dialog",  "dir",    "div",        "dl",      "dt",      "fieldset", "figcaption",
    "figure",  "footer",  "form",   "h1",         "h2",      "h3",      "h4",       "h5",
    "h6",      "header",  "hgroup", "hr",         "li",      "main",    "menu",     "nav",
    "ol",      "p",       "pre",    "section",    "summary", "table",   "td",       "th",
    "tr",      "ul",      "br"};

// Ruby annotations (rt, with their rp parentheses) are left out: a pacer reads the base text.
constexpr std::string_view kInvisible[] = {"desc",     "head",   "iframe", "noscript", "rp",
                                           "rt",       "script", "select", "style",    "template",
                                           "textarea", "title",  "object"};

template <std::size_t N>
bool In(const std::string_view (&names)[N], const xmlNode* node) {
    const std::string_view name = reinterpret_cast<const char*>(node->name);
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// Browsers read ISO-8859-1 as Windows-1252 and map the character references &#128;..&#159; the
// same way; libxml2 gives C1 control characters for both (U+0080..U+009F, as UTF-8 C2 80..C2 9F).
// Windows-1252 leaves five of them undefined; those stay (and later count as white space).
std::string AsBrowserShows(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto next = static_cast<unsigned char>(at + 1 < text.size() ? text[at + 1] : 0);
        if (text[at] == '\xC2' && next >= 0x80 && next <= 0x9F) {
            AppendUtf8(shown, Windows1252Character(next));
            ++at;
        } else {
            shown.push_back(text[at]);
        }
    }
    return shown;
}

bool IsHidden(const xmlNode* node) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>("hidden")) != nullptr;
}

}  // namespace

ExtractExit HtmlText(std::string_view bytes, TextSink& sink) {
    const XmlDoc doc = ParseHtml(HtmlAsUtf8(bytes));
    if (!doc) {
        // libxml2 makes no document of an empty one, which is merely a page without text.
        return bytes.find_first_not_of(" \t\r\n\f") == std::string_view::npos
                   ? ExtractExit::Ok
                   : ExtractExit::Damaged;
    }
    int preDepth = 0;
    const auto enter = [&](const xmlNode* node) {
        if (sink.overflowed()) {
            return Visit::Stop;
        }
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            const std::string text = AsBrowserShows(NodeText(node));
            if (preDepth == 0) {
                sink.append(text);
            } else {
                sink.appendLines(text);
            }
            return Visit::Skip;
        }
        if (node->type != XML_ELEMENT_NODE || In(kInvisible, node) || IsHidden(node)) {
            return Visit::Skip;
        }
        if (In(kBlocks, node)) {
            sink.endLine();
        }
        if (IsElement(node, "math")) {
            const bool display = AttributeValue(node, "display") == "block";
            if (display) {
                sink.endLine();
            }
            sink.append(MathMlText(node));
            if (display) {
                sink.endLine();
            }
            return Visit::Skip;
        }
        preDepth += IsElement(node, "pre") ? 1 : 0;
        return Visit::Descend;
    };
    const auto leave = [&](const xmlNode* node) {
        if (In(kBlocks, node)) {
            sink.endLine();
        }
        preDepth -= IsElement(node, "pre") ? 1 : 0;
    };
    WalkTree(DocumentNode(doc.get()), enter, leave);
    sink.endLine();
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
