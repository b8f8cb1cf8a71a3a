// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// libxml2 for every XML and HTML document the formats hold, parsed the one safe way: no network,
// no external entities or DTDs loaded from anywhere, nothing printed, and a tree walked without
// recursion so that no nesting depth can exhaust the stack.

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

// A well-formed XML document, or null. Entities are left as references (never substituted by the
// parser, whose expansion is what a "billion laughs" document attacks); see EntityText. An
// `encoding` overrides what the document declares (for bytes already decoded to UTF-8).
[[nodiscard]] XmlDoc ParseXml(std::string_view bytes, const char* encoding = nullptr);

// An HTML or XHTML document, given as UTF-8 (see HtmlAsUtf8), as a browser would recover it; or
// null when libxml2 gives up. What the document says of its charset is not read again.
[[nodiscard]] XmlDoc ParseHtml(std::string_view utf8);

// What a reference to a user-declared entity stands for, when that is plain text. References
// whose replacement holds markup or further references are refused (nothing legitimate in the
// formats read here needs them, and nesting them is how expansion bombs are built).
[[nodiscard]] bool EntityText(const xmlNode* reference, std::string_view& text);

// The node is an element with this local name (in the given namespace, for the second form).
[[nodiscard]] bool IsElement(const xmlNode* node, const char* name);
[[nodiscard]] bool IsElement(const xmlNode* node, std::string_view ns, const char* name);

// The attribute's value, or empty (also when absent). Attributes in any namespace match.
[[nodiscard]] std::string AttributeValue(const xmlNode* node, const char* name);

// Text content of a text or CDATA node.
[[nodiscard]] inline std::string_view NodeText(const xmlNode* node) {
    return node->content != nullptr ? reinterpret_cast<const char*>(node->content)
                                    : std::string_view();
}

// All the text below `node`, white space and all.
[[nodiscard]] std::string TextBelow(const xmlNode* node);

// `text` without the characters of `junk` at either end.
[[nodiscard]] std::string Trim(std::string_view text, std::string_view junk);

// The whole document as the node a walk starts from (libxml2 lays a document out as a node).
[[nodiscard]] inline const xmlNode* DocumentNode(const xmlDoc* doc) {
    return reinterpret_cast<const xmlNode*>(doc);
}

enum class Visit { Descend, Skip, Stop };

// Visits every node below `root` in document order. `enter` decides for each node whether to
// look at its children; `leave` runs after the children of every element descended into.
// Only elements are descended into (an entity reference's children belong to its declaration).
template <class Enter, class Leave>
void WalkTree(const xmlNode* root, Enter&& enter, Leave&& leave) {
    const xmlNode* node = root->children;
    while (node != nullptr) {
        const Visit visit = enter(node);
        if (visit == Visit::Stop) {
            return;
        }
        if (visit == Visit::Descend && node->type == XML_ELEMENT_NODE) {
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
            leave(node);
        }
        while (node->next == nullptr) {
            node = node->parent;
            if (node == nullptr || node == root) {
                return;
            }
            leave(node);
        }
        node = node->next;
    }
}

template <class Enter>
void WalkTree(const xmlNode* root, Enter&& enter) {
    WalkTree(root, std::forward<Enter>(enter), [](const xmlNode*) {});
}

// The first element named `name` in `ns` below `root`, in document order; or null.
[[nodiscard]] const xmlNode* FindElement(const xmlNode* root, std::string_view ns,
                                         const char* name);

// The text below `root` into `sink`, the part every XML format's walker shares: text and CDATA
// go to the sink where `inText(node)` says the walk is in text; a reference to a plain-text
// entity counts as text, any other reference makes the document Damaged. Every element goes to
// `enter`, which decides as WalkTree's does, and once its children are done to `leave`. The walk
// stops once the sink overflows; the last line is ended.
template <class InText, class Enter, class Leave>
[[nodiscard]] ExtractExit WalkText(const xmlNode* root, TextSink& sink, InText&& inText,
                                   Enter&& enter, Leave&& leave) {
    ExtractExit status = ExtractExit::Ok;
    const auto visit = [&](const xmlNode* node) {
        if (sink.overflowed()) {
            return Visit::Stop;
        }
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (inText(node)) {
                sink.append(NodeText(node));
            }
            return Visit::Skip;
        }
        if (node->type == XML_ENTITY_REF_NODE) {
            std::string_view text;
            if (!EntityText(node, text)) {
                status = ExtractExit::Damaged;
                return Visit::Stop;
            }
            if (inText(node)) {
                sink.append(text);
            }
            return Visit::Skip;
        }
        return node->type == XML_ELEMENT_NODE ? enter(node) : Visit::Skip;
    };
    WalkTree(root, visit, leave);
    sink.endLine();
    return status;
}

}  // namespace lexaro::documents
