// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/fb2_text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "documents/html_charset.h"
#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kSpaces = " \t\r\n\f";
// What a note's number is written with around it: "[1]", "{I}", "(2)", "3.".
constexpr std::string_view kLabelJunk = " \t\r\n\f[](){}.";
// A link to a note whose text is longer than this is words of the sentence, not a number.
constexpr std::size_t kMaxLabelBytes = 12;

bool IsAnyElement(const xmlNode* node, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [node](const char* name) { return IsElement(node, name); });
}

// Text-level markup, read as part of the line it stands in; every other element of a body
// (section, title, epigraph, poem, stanza, cite, paragraph, verse, table row...) is a line of
// its own or holds lines.
bool IsInline(const xmlNode* node) {
    return IsAnyElement(node, {"strong", "emphasis", "style", "a", "strikethrough", "sub", "sup",
                               "code", "td", "th"});
}

bool IsNotesBody(const xmlNode* body) {
    std::string name = AttributeValue(body, "name");
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "notes" || name == "comments" || name == "footnotes";
}

bool HoldsSections(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsElement(child, "section")) {
            return true;
        }
    }
    return false;
}

// The id a link leads to within the book. Some books use the xlink prefix without declaring it,
// which leaves the attribute named "xlink:href", in no namespace.
std::string Target(const xmlNode* link) {
    std::string href = AttributeValue(link, "href");
    if (href.empty()) {
        href = AttributeValue(link, "xlink:href");
    }
    return href.starts_with('#') ? href.substr(1) : std::string();
}

// Reads the bodies, keeping what the notes need across them: each note's number (its place in
// the bodies of notes) and the label the text first refers to it by.
class Fb2Reader {
public:
    Fb2Reader(const xmlNode* book, TextSink& sink) : sink_(sink) {
        for (const xmlNode* child = book->children; child != nullptr; child = child->next) {
            if (IsElement(child, "body")) {
                (IsNotesBody(child) ? notesBodies_ : textBodies_).push_back(child);
            }
        }
        // A note is a section of a body of notes that holds no sections (those group notes, as
        // by chapter).
        for (const xmlNode* body : notesBodies_) {
            WalkTree(body, [this](const xmlNode* node) {
                if (!IsElement(node, "section")) {
                    return Visit::Skip;
                }
                if (!HoldsSections(node)) {
                    const std::size_t number = notes_.size() + 1;
                    notes_.emplace(node, number);
                    if (const std::string id = AttributeValue(node, "id"); !id.empty()) {
                        noteIds_.try_emplace(id, number);
                    }
                }
                return Visit::Descend;
            });
        }
    }

    ExtractExit read() {
        for (const auto* bodies : {&textBodies_, &notesBodies_}) {
            for (const xmlNode* body : *bodies) {
                if (const ExtractExit status = readBody(body); status != ExtractExit::Ok) {
                    return status;
                }
            }
        }
        return ExtractExit::Ok;
    }

private:
    ExtractExit readBody(const xmlNode* body) {
        const auto inText = [this](const xmlNode* node) {
            const std::string_view text = NodeText(node);
            const std::size_t first = text.find_first_not_of(kSpaces);
            if (first != std::string_view::npos) {
                startText(static_cast<unsigned char>(text[first]));
            }
            return true;
        };
        const auto enter = [this](const xmlNode* node) {
            if (IsAnyElement(node, {"image", "binary"})) {
                return Visit::Skip;  // a picture's alt text is not part of the text
            }
            if (IsElement(node, "a")) {
                return enterLink(node);
            }
            if (IsElement(node, "section") && notes_.contains(node)) {
                startNote(node);
            } else if (IsElement(node, "title") && node->parent == note_ &&
                       Trim(TextBelow(node), kLabelJunk) == noteLabel_) {
                return Visit::Skip;  // the note's number, which its [n] already shows
            }
            boundary(node);
            return Visit::Descend;
        };
        const auto leave = [this](const xmlNode* node) {
            if (const auto late = lateLabels_.find(node); late != lateLabels_.end()) {
                reference(late->second);
            }
            if (node == note_) {
                note_ = nullptr;
                prefix_.clear();  // a note without text gets no line of its own
            }
            boundary(node);
        };
        return WalkText(body, sink_, inText, enter, leave);
    }

    // Between blocks the line ends; between a table's cells there is a space.
    void boundary(const xmlNode* node) {
        if (IsAnyElement(node, {"td", "th"})) {
            sink_.append(" ");
        } else if (!IsInline(node)) {
            sink_.endLine();
        }
    }

    // A word right after a note reference ("word[1]and") is a word of its own; a note's [n]
    // goes before its first word.
    void startText(unsigned char first) {
        if (afterReference_) {
            if (std::isalnum(first) != 0 || first >= 0x80) {
                sink_.append(" ");
            }
            afterReference_ = false;
        }
        if (!prefix_.empty()) {
            sink_.append(prefix_);
            prefix_.clear();
        }
    }

    void reference(const std::string& label) {
        sink_.append(" [" + label + "]");
        afterReference_ = true;
    }

    Visit enterLink(const xmlNode* link) {
        const std::string target = Target(link);
        const auto numbered = noteIds_.find(target);
        if (AttributeValue(link, "type") != "note" && numbered == noteIds_.end()) {
            return Visit::Descend;  // an ordinary link: its text is text
        }
        std::string label = Trim(TextBelow(link), kLabelJunk);
        const bool words = label.size() > kMaxLabelBytes;
        if (label.empty() || words) {
            label = std::to_string(numbered != noteIds_.end() ? numbered->second
                                                              : notes_.size() + ++unknown_);
        }
        if (!target.empty()) {
            label = labels_.try_emplace(target, label).first->second;
        }
        if (words) {
            lateLabels_.insert_or_assign(link, label);  // after the link's own words
            return Visit::Descend;
        }
        reference(label);
        return Visit::Skip;
    }

    // A note's label: the one the text refers to it by, else a short title (its number), else
    // its place among the notes.
    void startNote(const xmlNode* section) {
        const std::string id = AttributeValue(section, "id");
        if (const auto known = labels_.find(id); !id.empty() && known != labels_.end()) {
            noteLabel_ = known->second;
        } else {
            noteLabel_.clear();
            for (const xmlNode* child = section->children; child != nullptr; child = child->next) {
                if (IsElement(child, "title")) {
                    noteLabel_ = Trim(TextBelow(child), kLabelJunk);
                    break;
                }
            }
            if (noteLabel_.empty() || noteLabel_.size() > kMaxLabelBytes) {
                noteLabel_ = std::to_string(notes_.at(section));
            }
        }
        note_ = section;
        prefix_ = "[" + noteLabel_ + "] ";
        afterReference_ = false;
    }

    TextSink& sink_;
    std::vector<const xmlNode*> textBodies_;
    std::vector<const xmlNode*> notesBodies_;
    std::map<const xmlNode*, std::size_t> notes_;              // each note's number
    std::map<std::string, std::size_t, std::less<>> noteIds_;  // the same, by the note's id
    std::map<std::string, std::string, std::less<>> labels_;   // by the note's id
    std::map<const xmlNode*, std::string> lateLabels_;         // links whose text is words
    std::size_t unknown_ = 0;  // references to notes the book does not hold
    const xmlNode* note_ = nullptr;
    std::string noteLabel_;
    std::string prefix_;
    bool afterReference_ = false;
};

// The charset an XML declaration names, as written; empty when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    if (!declaration.starts_with("<?xml")) {
        return {};
    }
    const std::size_t name = declaration.find("encoding");
    const std::size_t open = declaration.find_first_of("\"'", name);
    if (name == std::string_view::npos || open == std::string_view::npos) {
        return {};
    }
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(declaration.substr(open + 1, close - open - 1));
}

// The book parsed as it declares itself; failing that, one in a legacy charset decoded here (as
// HTML is) and parsed as UTF-8: a libxml2 built without iconv, as the Windows build's is, knows
// no legacy charset itself.
XmlDoc ParseBook(std::string_view bytes) {
    XmlDoc doc = ParseXml(bytes);
    if (doc) {
        return doc;
    }
    const std::string charset = CharsetOfLabel(DeclaredEncoding(bytes));
    if (charset.empty() || charset == "UTF-8" || charset.starts_with("UTF-16")) {
        return {};  // not a charset libxml2 might have lacked: the book is damaged
    }
    return ParseXml(CharsetAsUtf8(bytes, charset), "UTF-8");
}

bool IsFb2Name(std::string_view name) {
    constexpr std::string_view kSuffix = ".fb2";
    if (name.size() <= kSuffix.size()) {
        return false;
    }
    std::string tail(name.substr(name.size() - kSuffix.size()));
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == kSuffix;
}

}  // namespace

ExtractExit Fb2Text(std::string_view bytes, TextSink& sink) {
    const XmlDoc doc = ParseBook(bytes);
    if (!doc) {
        return ExtractExit::Damaged;
    }
    const xmlNode* book = xmlDocGetRootElement(doc.get());
    if (book == nullptr || !IsElement(book, "FictionBook")) {
        return ExtractExit::NotSupported;
    }
    return Fb2Reader(book, sink).read();
}

ExtractExit Fb2ZipText(ZipArchive& zip, TextSink& sink) {
    if (zip.status() != ExtractExit::Ok) {
        return zip.status();
    }
    std::vector<std::string> books;
    for (std::string& name : zip.names()) {
        if (IsFb2Name(name)) {
            books.push_back(std::move(name));
        }
    }
    if (books.size() != 1) {
        return ExtractExit::NotSupported;  // not a book, or a collection of them
    }
    std::string bytes;
    const ExtractExit status = zip.read(books.front(), bytes);
    return status == ExtractExit::Ok ? Fb2Text(bytes, sink) : status;
}

}  // namespace lexaro::documents
