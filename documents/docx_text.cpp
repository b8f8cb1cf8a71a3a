// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/docx_text.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "documents/formula.h"
#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kStrictWordNs = "http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr std::string_view kCompatibilityNs =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view kMathNs = "http://schemas.openxmlformats.org/officeDocument/2006/math";

bool IsW(const xmlNode* node, const char* name) {
    return IsElement(node, kWordNs, name) || IsElement(node, kStrictWordNs, name);
}

const xmlNode* Child(const xmlNode* node, const char* name) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsW(child, name)) {
            return child;
        }
    }
    return nullptr;
}

// A run formatted as hidden text (w:vanish, unless switched off).
bool IsHiddenRun(const xmlNode* run) {
    const xmlNode* properties = Child(run, "rPr");
    const xmlNode* vanish = properties != nullptr ? Child(properties, "vanish") : nullptr;
    if (vanish == nullptr) {
        return false;
    }
    const std::string value = AttributeValue(vanish, "val");
    return value != "0" && value != "false" && value != "off";
}

bool IsSkipped(const xmlNode* node) {
    return IsW(node, "pPr") || IsW(node, "rPr") || IsW(node, "delText") || IsW(node, "instrText") ||
           IsW(node, "moveFrom") || IsW(node, "del") ||
           IsElement(node, kCompatibilityNs, "Fallback") || (IsW(node, "r") && IsHiddenRun(node));
}

// The notes a body refers to, in the order of their first reference: (endnote?, w:id); and each
// note's number, so that a document of many references costs no more than one lookup each.
using Note = std::pair<bool, std::string>;
struct NoteList {
    std::vector<Note> order;
    std::map<Note, std::size_t> number;

    std::size_t numberOf(Note note) {
        const auto [at, added] = number.try_emplace(note, order.size() + 1);
        if (added) {
            order.push_back(std::move(note));
        }
        return at->second;
    }
};

// The text below `root` (the body, or one note). A reference to a note is a word of its own, [n],
// numbered by `notes` (references inside notes are not followed); `prefix` goes at the start of
// the first paragraph (a note's own [n]).
// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
ExtractExit PartText(const xmlNode* root, TextSink& sink, NoteList* notes, std::string prefix) {
    const auto inText = [](const xmlNode* node) {
        return node->parent != nullptr && IsW(node->parent, "t");
    };
    const auto enter = [&](const xmlNode* node) {
        if (IsSkipped(node) || IsW(node, "footnoteRef") || IsW(node, "endnoteRef")) {
            return Visit::Skip;  // the last two: a note's own mark, which its [n] stands for
        }
        if (IsElement(node, kMathNs, "oMath")) {
            // A displayed formula (in a formula paragraph) is a line of its own.
            const bool display =
                node->parent != nullptr && IsElement(node->parent, kMathNs, "oMathPara");
            if (display) {
                sink.endLine();
            }
            sink.append(" " + OmmlText(node) + " ");
            if (display) {
                sink.endLine();
            }
            return Visit::Skip;
        }
        const bool endnote = IsW(node, "endnoteReference");
        if (endnote || IsW(node, "footnoteReference")) {
            if (notes != nullptr) {
                const std::size_t number = notes->numberOf({endnote, AttributeValue(node, "id")});
                sink.append(" [" + std::to_string(number) + "]");
            }
            return Visit::Skip;
        }
        if (IsW(node, "p") || IsW(node, "br") || IsW(node, "cr")) {
            sink.endLine();
            if (IsW(node, "p") && !prefix.empty()) {
                sink.append(prefix);
                prefix.clear();
            }
        } else if (IsW(node, "tab")) {
            sink.append(" ");
        } else if (IsW(node, "noBreakHyphen")) {
            sink.append("-");
        }
        return Visit::Descend;
    };
    const auto leave = [&](const xmlNode* node) {
        if (IsW(node, "p")) {
            sink.endLine();
        }
    };
    return WalkText(root, sink, inText, enter, leave);
}

const xmlNode* DocumentBody(const XmlDoc& doc) {
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    return root != nullptr && IsW(root, "document") ? root : nullptr;
}

// The notes of one kind (footnotes or endnotes) by w:id, from their part of the archive. The
// document stays alive for the nodes.
struct NotePart {
    XmlDoc doc;
    std::map<std::string, const xmlNode*, std::less<>> byId;
};

ExtractExit ReadNotePart(ZipArchive& zip, bool endnote, NotePart& part) {
    const char* name = endnote ? "word/endnotes.xml" : "word/footnotes.xml";
    if (!zip.contains(name)) {
        return ExtractExit::Ok;  // references to nothing: their [n] stays, with no text to follow
    }
    std::string xml;
    if (const ExtractExit status = zip.read(name, xml); status != ExtractExit::Ok) {
        return status;
    }
    part.doc = ParseXml(xml);
    const xmlNode* root = part.doc ? xmlDocGetRootElement(part.doc.get()) : nullptr;
    if (root == nullptr) {
        return ExtractExit::Damaged;
    }
    for (const xmlNode* node = root->children; node != nullptr; node = node->next) {
        if (IsW(node, endnote ? "endnote" : "footnote")) {
            part.byId.emplace(AttributeValue(node, "id"), node);
        }
    }
    return ExtractExit::Ok;
}

// After the body, the notes it refers to in the order of first reference, each starting with its
// number.
ExtractExit NotesText(ZipArchive& zip, const std::vector<Note>& notes, TextSink& sink) {
    NotePart parts[2];
    for (const bool endnote : {false, true}) {
        const bool used = std::any_of(notes.begin(), notes.end(),
                                      [&](const auto& note) { return note.first == endnote; });
        if (const ExtractExit status =
                used ? ReadNotePart(zip, endnote, parts[endnote ? 1 : 0]) : ExtractExit::Ok;
            status != ExtractExit::Ok) {
            return status;
        }
    }
    for (std::size_t i = 0; i < notes.size() && !sink.overflowed(); ++i) {
        const auto& byId = parts[notes[i].first ? 1 : 0].byId;
        const auto found = byId.find(notes[i].second);
        if (found == byId.end()) {
            continue;
        }
        if (const ExtractExit status =
                PartText(found->second, sink, nullptr, "[" + std::to_string(i + 1) + "] ");
            status != ExtractExit::Ok) {
            return status;
        }
    }
    return ExtractExit::Ok;
}

}  // namespace

ExtractExit DocxDocumentText(std::string_view documentXml, TextSink& sink) {
    const XmlDoc doc = ParseXml(documentXml);
    const xmlNode* body = DocumentBody(doc);
    if (body == nullptr) {
        return ExtractExit::Damaged;
    }
    NoteList notes;
    return PartText(body, sink, &notes, {});
}

ExtractExit DocxText(ZipArchive& zip, TextSink& sink) {
    std::string document;
    if (const ExtractExit status = zip.read("word/document.xml", document);
        status != ExtractExit::Ok) {
        return status;
    }
    const XmlDoc doc = ParseXml(document);
    document = std::string();
    const xmlNode* body = DocumentBody(doc);
    if (body == nullptr) {
        return ExtractExit::Damaged;
    }
    NoteList notes;
    const ExtractExit status = PartText(body, sink, &notes, {});
    return status != ExtractExit::Ok || sink.overflowed() ? status
                                                          : NotesText(zip, notes.order, sink);
}

}  // namespace lexaro::documents
