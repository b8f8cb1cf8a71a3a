// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/html_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "documents/formula.h"
#include "documents/html_article.h"
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

// The words of an attribute holding a space-separated list (class, role, epub:type).
bool HasWord(std::string_view list, std::string_view word) {
    std::size_t at = 0;
    while ((at = list.find(word, at)) != std::string_view::npos) {
        const bool starts = at == 0 || list[at - 1] == ' ';
        const bool ends = at + word.size() == list.size() || list[at + word.size()] == ' ';
        if (starts && ends) {
            return true;
        }
        at += word.size();
    }
    return false;
}

// epub:type as the XML parser (a namespace) and the HTML parser (a name with a colon) give it.
std::string EpubType(const xmlNode* node) {
    std::string type = AttributeValue(node, "epub:type");
    return type.empty() ? AttributeValue(node, "type") : type;
}

bool IsTyped(const xmlNode* node, std::initializer_list<std::string_view> types) {
    const std::string type = EpubType(node);
    const std::string role = AttributeValue(node, "role");
    const std::string dataType = AttributeValue(node, "data-type");
    return std::any_of(types.begin(), types.end(), [&](std::string_view t) {
        return HasWord(type, t) || HasWord(dataType, t) || HasWord(role, "doc-" + std::string(t));
    });
}

constexpr std::string_view kSpaces = " \t\r\n\f";

std::optional<int> Integer(std::string_view text) {
    const std::string trimmed = Trim(text, kSpaces);
    int value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [at, error] = std::from_chars(trimmed.data(), end, value);
    return error == std::errc() && at == end && !trimmed.empty() ? std::optional(value)
                                                                 : std::nullopt;
}

// The number an item of an ordered list shows, as a browser counts: the list's start (or, in a
// reversed list, its length), then one on (or back) per item, an item's own value resetting the
// count. Empty for anything else.
std::optional<int> ListOrdinal(const xmlNode* item) {
    const xmlNode* list = item->parent;
    if (!IsElement(item, "li") || list == nullptr || list->type != XML_ELEMENT_NODE ||
        !IsElement(list, "ol")) {
        return std::nullopt;
    }
    const auto isItem = [](const xmlNode* node) {
        return node->type == XML_ELEMENT_NODE && IsElement(node, "li");
    };
    const bool reversed = xmlHasProp(list, reinterpret_cast<const xmlChar*>("reversed")) != nullptr;
    int items = 0;
    for (const xmlNode* child = list->children; child != nullptr; child = child->next) {
        items += isItem(child) ? 1 : 0;
    }
    const int step = reversed ? -1 : 1;
    int number = Integer(AttributeValue(list, "start")).value_or(reversed ? items : 1) - step;
    for (const xmlNode* child = list->children; child != nullptr; child = child->next) {
        if (isItem(child)) {
            number = Integer(AttributeValue(child, "value")).value_or(number + step);
            if (child == item) {
                return number;
            }
        }
    }
    return std::nullopt;
}

// Reads one page: the text, with note references as words of their own ([n]) and the notes
// (asides) after the page's text, each starting with its [n].
class HtmlReader {
public:
    // `skipped`: elements not to read, with all they hold.
    explicit HtmlReader(TextSink& sink, const std::unordered_set<const xmlNode*>* skipped = nullptr)
        : sink_(sink), skipped_(skipped) {}

    void read(const xmlNode* root) {
        walk(root);
        // Notes set aside, after the page's own text.
        deferring_ = false;
        for (std::size_t i = 0; i < asides_.size() && !sink_.overflowed(); ++i) {
            sink_.endLine();
            startNote(asides_[i]);
            walk(asides_[i]);
            sink_.endLine();
        }
        sink_.endLine();
    }

private:
    void walk(const xmlNode* root) {
        WalkTree(
            root, [this](const xmlNode* node) { return enter(node); },
            [this](const xmlNode* node) { leave(node); });
    }

    Visit enter(const xmlNode* node) {
        if (sink_.overflowed()) {
            return Visit::Stop;
        }
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            text(AsBrowserShows(NodeText(node)));
            return Visit::Skip;
        }
        if (node->type != XML_ELEMENT_NODE || In(kInvisible, node) || IsHidden(node)) {
            return Visit::Skip;
        }
        if (skipped_ != nullptr && skipped_->contains(node)) {
            return Visit::Skip;
        }
        if (IsElement(node, "a") && noteReference(node)) {
            return Visit::Skip;
        }
        if (IsElement(node, "a") && isBackLink(node)) {
            return Visit::Skip;
        }
        if (deferring_ && IsTyped(node, {"footnote", "endnote"})) {
            asides_.push_back(node);
            return Visit::Skip;
        }
        if (In(kBlocks, node)) {
            sink_.endLine();
        }
        if (const std::string id = AttributeValue(node, "id"); !id.empty()) {
            if (noteLabels_.contains(id) || isListedNote(node)) {
                startNote(node);
            }
        }
        if (IsElement(node, "math")) {
            const bool display = AttributeValue(node, "display") == "block";
            if (display) {
                sink_.endLine();
            }
            sink_.append(MathMlText(node));
            if (display) {
                sink_.endLine();
            }
            return Visit::Skip;
        }
        preDepth_ += IsElement(node, "pre") ? 1 : 0;
        return Visit::Descend;
    }

    void leave(const xmlNode* node) {
        if (In(kBlocks, node)) {
            sink_.endLine();
        }
        preDepth_ -= IsElement(node, "pre") ? 1 : 0;
    }

    void text(const std::string& text) {
        // A word right after a note reference ("man,[1]20") is a word of its own.
        if (afterReference_ && text.find_first_not_of(kSpaces) != std::string::npos) {
            const auto first = static_cast<unsigned char>(text[text.find_first_not_of(kSpaces)]);
            if (std::isalnum(first) != 0 || first >= 0x80) {
                sink_.append(" ");
            }
            afterReference_ = false;
        }
        if (!prefix_.empty() && text.find_first_not_of(kSpaces) != std::string::npos) {
            sink_.append(prefix_);
            prefix_.clear();
        }
        if (preDepth_ == 0) {
            sink_.append(text);
        } else {
            sink_.appendLines(text);
        }
    }

    // A link to a note in this page or another ("noteref", a small number in a superscript, or
    // "[1]") becomes " [label]". Its target is remembered, so the note can start with it.
    bool noteReference(const xmlNode* node) {
        const std::string href = AttributeValue(node, "href");
        const std::size_t hash = href.find('#');
        if (hash == std::string::npos) {
            return false;
        }
        const std::string shown = Trim(TextBelow(node), kSpaces);
        const bool bracketed = shown.size() >= 3 && shown.front() == '[' && shown.back() == ']';
        std::string label = Trim(shown, " \t\r\n\f[]()");
        const bool brief = !label.empty() && label.size() <= 4;
        const bool superscript = node->parent != nullptr && IsElement(node->parent, "sup");
        if (!IsTyped(node, {"noteref"}) && !((superscript || bracketed) && brief)) {
            return false;
        }
        if (!brief) {
            label = std::to_string(noteLabels_.size() + 1);
        }
        noteLabels_.try_emplace(href.substr(hash + 1), label);
        if (const std::string id = AttributeValue(node, "id"); !id.empty()) {
            referenceIds_.insert(id);
        }
        if (const xmlNode* sup = node->parent; sup != nullptr && IsElement(sup, "sup")) {
            if (const std::string id = AttributeValue(sup, "id"); !id.empty()) {
                referenceIds_.insert(id);
            }
        }
        sink_.append(" [" + label + "]");
        afterReference_ = true;
        return true;
    }

    // A link from a note back to where it is referred to ("↩", "^"): not part of the note. A
    // back link that shows the note's own number stays, as that number.
    bool isBackLink(const xmlNode* node) const {
        const std::string href = AttributeValue(node, "href");
        const std::size_t hash = href.find('#');
        const bool typed =
            IsTyped(node, {"backlink"}) || HasWord(AttributeValue(node, "class"), "footnote-back");
        const bool toReference =
            hash != std::string::npos && referenceIds_.contains(href.substr(hash + 1));
        if (!typed && !toReference) {
            return false;
        }
        const std::string shown = Trim(TextBelow(node), " \t\r\n\f[]().");
        return shown.empty() || std::isalnum(static_cast<unsigned char>(shown.front())) == 0;
    }

    // An item of an ordered list of notes (as a book's endnotes, in a file of their own, with
    // the number the list shows and no other).
    static bool isListedNote(const xmlNode* node) {
        const xmlNode* list = node->parent;
        return IsElement(node, "li") && list != nullptr && list->type == XML_ELEMENT_NODE &&
               IsElement(list, "ol") &&
               (IsTyped(node, {"endnote", "footnote", "rearnote"}) ||
                IsTyped(list, {"endnotes", "footnotes", "rearnotes"}) ||
                (list->parent != nullptr && list->parent->type == XML_ELEMENT_NODE &&
                 IsTyped(list->parent, {"endnotes", "footnotes", "rearnotes"})));
    }

    // A note starts with its [label] (the one it is referred to by on this page, else its number
    // in a list of notes), unless its own text already starts with that number.
    void startNote(const xmlNode* note) {
        const std::string id = AttributeValue(note, "id");
        std::string label;
        if (const auto found = noteLabels_.find(id); found != noteLabels_.end()) {
            label = found->second;
        } else if (const auto ordinal = ListOrdinal(note); ordinal && isListedNote(note)) {
            label = std::to_string(*ordinal);
        }
        if (label.empty() || (!id.empty() && !startedNotes_.insert(id).second)) {
            return;
        }
        const std::string start = Trim(TextBelow(note), " \t\r\n\f[(");
        const bool numbered = start.starts_with(label) &&
                              (start.size() == label.size() ||
                               std::isdigit(static_cast<unsigned char>(start[label.size()])) == 0);
        if (!numbered) {
            prefix_ = "[" + label + "] ";  // before the note's first word, on the note's line
        }
    }

    TextSink& sink_;
    const std::unordered_set<const xmlNode*>* skipped_;
    int preDepth_ = 0;
    bool deferring_ = true;
    bool afterReference_ = false;
    std::string prefix_;  // a note's [label], waiting for the note's first word
    std::vector<const xmlNode*> asides_;
    std::map<std::string, std::string, std::less<>> noteLabels_;  // by the note's id
    std::set<std::string, std::less<>> referenceIds_;
    std::set<std::string, std::less<>> startedNotes_;
};

}  // namespace

ExtractExit HtmlText(std::string_view bytes, TextSink& sink, HtmlView view) {
    const XmlDoc doc = ParseHtml(HtmlAsUtf8(bytes));
    if (!doc) {
        // libxml2 makes no document of an empty one, which is merely a page without text.
        return bytes.find_first_not_of(" \t\r\n\f") == std::string_view::npos
                   ? ExtractExit::Ok
                   : ExtractExit::Damaged;
    }
    if (view == HtmlView::Page) {
        HtmlReader(sink).read(DocumentNode(doc.get()));
        return ExtractExit::Ok;
    }
    const HtmlArticle article = FindHtmlArticle(DocumentNode(doc.get()));
    sink.append(article.title);
    sink.endLine();
    HtmlReader(sink, &article.skipped).read(article.root);
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
