#include "documents/html_text.h"

#include <algorithm>
#include <cstring>

#include "documents/xml_tree.h"

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

constexpr std::string_view kInvisible[] = {"desc",     "head",     "iframe", "noscript",
                                           "rp",       "script",   "select", "style",
                                           "template", "textarea", "title",  "object"};

template <std::size_t N>
bool In(const std::string_view (&names)[N], const xmlNode* node) {
    const std::string_view name = reinterpret_cast<const char*>(node->name);
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// Browsers read ISO-8859-1 as Windows-1252 and map the character references &#128;..&#159; the
// same way; libxml2 gives C1 control characters for both (U+0080..U+009F, as UTF-8 C2 80..C2 9F).
// Windows-1252 leaves five of them undefined; those stay (and later count as white space).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendAsBrowserShows(std::string_view text, TextSink& sink) {
    std::size_t from = 0;
    for (auto at = text.find('\xC2'); at != std::string_view::npos; at = text.find('\xC2', from)) {
        const auto next = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0u;
        if (next < 0x80 || next > 0x9F) {
            from = at + 1;
            continue;
        }
        sink.Append(text.substr(0, at));
        const char16_t c = kWindows1252[next - 0x80];
        char utf8[3] = {};
        std::size_t length = 2;
        if (c < 0x800) {
            utf8[0] = static_cast<char>(0xC0 | (c >> 6));
            utf8[1] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8[0] = static_cast<char>(0xE0 | (c >> 12));
            utf8[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8[2] = static_cast<char>(0x80 | (c & 0x3F));
            length = 3;
        }
        sink.Append(std::string_view(utf8, length));
        text.remove_prefix(at + 2);
        from = 0;
    }
    sink.Append(text);
}

bool IsHidden(const xmlNode* node) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>("hidden")) != nullptr;
}

}  // namespace

ExtractExit HtmlText(std::string_view bytes, TextSink& sink) {
    const XmlDoc doc = ParseHtml(bytes);
    if (!doc) {
        // libxml2 makes no document of an empty one, which is merely a page without text.
        return bytes.find_first_not_of(" \t\r\n\f") == std::string_view::npos
                   ? ExtractExit::Ok
                   : ExtractExit::Damaged;
    }
    int preDepth = 0;
    const auto enter = [&](const xmlNode* node) {
        if (sink.Overflowed()) {
            return Visit::Stop;
        }
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            std::string_view text = NodeText(node);
            if (preDepth == 0) {
                AppendAsBrowserShows(text, sink);
                return Visit::Skip;
            }
            for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
                AppendAsBrowserShows(text.substr(0, end), sink);
                sink.EndLine();
                text.remove_prefix(end + 1);
            }
            AppendAsBrowserShows(text, sink);
            return Visit::Skip;
        }
        if (node->type != XML_ELEMENT_NODE || In(kInvisible, node) || IsHidden(node)) {
            return Visit::Skip;
        }
        if (In(kBlocks, node)) {
            sink.EndLine();
        }
        preDepth += IsElement(node, "pre") ? 1 : 0;
        return Visit::Descend;
    };
    const auto leave = [&](const xmlNode* node) {
        if (In(kBlocks, node)) {
            sink.EndLine();
        }
        preDepth -= IsElement(node, "pre") ? 1 : 0;
    };
    WalkTree(reinterpret_cast<xmlNode*>(doc.get()), enter, leave);
    sink.EndLine();
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
