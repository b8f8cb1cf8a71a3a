#include "documents/formula.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "documents/xml_tree.h"
#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

constexpr std::string_view kOmmlNs = "http://schemas.openxmlformats.org/officeDocument/2006/math";

// Beyond this depth a formula is read as its plain text: no real formula nests this deep, and the
// reading below recurses.
constexpr int kMaxDepth = 48;

std::string_view Name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

std::vector<const xmlNode*> Elements(const xmlNode* node) {
    std::vector<const xmlNode*> children;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            children.push_back(child);
        }
    }
    return children;
}

// White space of any kind (no-break and other wide spaces included), as the pacer would show it:
// runs become one plain space.
bool IsSpaceAt(std::string_view text, std::size_t at, std::size_t& length) {
    char32_t c = 0;
    length = DecodeUtf8Sequence(text.substr(at), c);
    if (length == 0) {
        length = 1;
        return false;
    }
    return c <= 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Runs of white space made one plain space, kept at either end.
std::string CollapseInner(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        if (IsSpaceAt(text, at, length)) {
            if (out.empty() || out.back() != ' ') {
                out += ' ';
            }
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    return out;
}

std::string Collapse(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        if (IsSpaceAt(text, at, length)) {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// All the text below `node`, without recursion.
std::string PlainText(const xmlNode* node) {
    std::string text;
    WalkTree(node, [&text](const xmlNode* child) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            text += NodeText(child);
            text += ' ';
        }
        return Visit::Descend;
    });
    return Collapse(text);
}

std::size_t CodePoints(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool IsAlphanumeric(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// The whole of `text` is one bracketed group: "(a+b)", not "(a)+(b)".
bool IsBracketed(std::string_view text) {
    constexpr std::string_view kOpen = "([{";
    constexpr std::string_view kClose = ")]}";
    const std::size_t kind = text.empty() ? std::string_view::npos : kOpen.find(text.front());
    if (kind == std::string_view::npos || text.back() != kClose[kind]) {
        return false;
    }
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        depth += text[i] == kOpen[kind] ? 1 : text[i] == kClose[kind] ? -1 : 0;
        if (depth == 0 && i + 1 < text.size()) {
            return false;
        }
    }
    return depth == 0;
}

// `text` with brackets when it is more than one symbol or one plain word or number.
std::string Group(std::string text, const char* open, const char* close) {
    if (text.empty() || CodePoints(text) == 1 || IsAlphanumeric(text) || IsBracketed(text)) {
        return text;
    }
    return open + text + close;
}

// A table or matrix row by row: its cells apart by spaces, its rows by "; " ("1 0; 0 1").
template <class Cell>
std::string Rows(const xmlNode* table, Cell&& cellText) {
    std::string rows;
    for (const xmlNode* row : Elements(table)) {
        std::string cells;
        for (const xmlNode* cell : Elements(row)) {
            const std::string text = cellText(cell);
            if (!text.empty()) {
                cells += (cells.empty() ? "" : " ") + text;
            }
        }
        if (!cells.empty()) {
            rows += (rows.empty() ? "" : "; ") + cells;
        }
    }
    return rows;
}

// Relations and operators that stand apart at a formula's top level.
bool IsSpacedOperator(std::string_view op) {
    static constexpr std::array<std::string_view, 27> kOperators = {"=",
                                                                    "+",
                                                                    "-",
                                                                    "<",
                                                                    ">",
                                                                    "\xE2\x88\x92",
                                                                    "\xE2\x89\xA4",
                                                                    "\xE2\x89\xA5",
                                                                    "\xE2\x89\xA0",
                                                                    "\xE2\x89\x88",
                                                                    "\xC3\x97",
                                                                    "\xC3\xB7",
                                                                    "\xC2\xB1",
                                                                    "\xE2\x86\x92",
                                                                    "\xE2\x87\x92",
                                                                    "\xE2\x87\x94",
                                                                    "\xE2\x88\x88",
                                                                    "\xE2\x88\x89",
                                                                    "\xE2\x8A\x82",
                                                                    "\xE2\x8A\x86",
                                                                    "\xE2\x88\xAA",
                                                                    "\xE2\x88\xA9",
                                                                    "\xE2\x89\xA1",
                                                                    "\xE2\x88\xBC",
                                                                    "\xE2\x89\x85",
                                                                    "\xE2\x88\x80",
                                                                    ":="};
    return std::find(kOperators.begin(), kOperators.end(), op) != kOperators.end();
}

// Text of a formula being written: spaced operators at the top level, tight inside scripts.
class Line {
public:
    explicit Line(bool tight) : tight_(tight) {}

    void text(std::string_view piece) {
        const std::string text = CollapseInner(piece);
        if (afterScript_ && !text.empty() && StartsSymbol(text)) {
            out_ += ' ';  // "x^k a^{n-k}", not "x^ka^{n-k}"
        }
        afterScript_ = false;
        out_ += text;
    }

    // A script just ended: what follows is set apart if it could be read as part of it.
    void endScript() { afterScript_ = true; }

    void op(std::string_view piece) {
        const std::string op = Collapse(piece);
        if (afterScript_ && !op.empty() && StartsSymbol(op) && !IsSpacedOperator(op)) {
            out_ += ' ';
        }
        afterScript_ = false;
        if (op == "\xE2\x81\xA1") {  // FUNCTION APPLICATION, as in "sin x"
            out_ += ' ';
        } else if (op == "\xE2\x81\xA2" || op == "\xE2\x81\xA3" || op == "\xE2\x81\xA4") {
            return;  // the invisible times, separator and plus
        } else if (!tight_ && IsSpacedOperator(op)) {
            out_ += ' ';
            out_ += op;
            out_ += ' ';
        } else if (!tight_ && op == ",") {
            out_ += ", ";
        } else {
            out_ += op;
        }
    }

    // Text as a run of Office Math holds it, operators and all ("f(x)=a+b").
    void ops(std::string_view text) {
        std::size_t start = 0;
        for (std::size_t at = 0; at < text.size();) {
            char32_t c = 0;
            const std::size_t length =
                std::max<std::size_t>(DecodeUtf8Sequence(text.substr(at), c), 1);
            const std::string_view piece = text.substr(at, length);
            if (IsSpacedOperator(piece) || c == 0x2061 || c == 0x2062 || c == 0x2063 ||
                c == 0x2064) {
                this->text(text.substr(start, at - start));
                op(piece);
                start = at + length;
            }
            at += length;
        }
        this->text(text.substr(start));
    }

    void space() { out_ += ' '; }

    [[nodiscard]] std::string take() { return Collapse(out_); }

private:
    // A letter, digit or other symbol that is not punctuation or a bracket.
    static bool StartsSymbol(std::string_view text) {
        const auto c = static_cast<unsigned char>(text.front());
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c >= 0xC0;
    }

    std::string out_;
    bool tight_;
    bool afterScript_ = false;
};

class MathMlReader {
public:
    std::string read(const xmlNode* node, bool tight, int depth) {
        Line line(tight);
        write(line, node, tight, depth);
        return line.take();
    }

private:
    // The children of `node` as one row.
    std::string row(const xmlNode* node, bool tight, int depth) {
        Line line(tight);
        for (const xmlNode* child : Elements(node)) {
            write(line, child, tight, depth + 1);
        }
        return line.take();
    }

    std::string script(const xmlNode* node, int depth) {
        return Group(read(node, true, depth + 1), "{", "}");
    }

    void write(Line& line, const xmlNode* node, bool tight, int depth) {
        const std::string_view name = Name(node);
        if (depth > kMaxDepth) {
            line.text(PlainText(node));
            line.space();
            return;
        }
        const std::vector<const xmlNode*> parts = Elements(node);
        const auto part = [&parts](std::size_t i) { return i < parts.size() ? parts[i] : nullptr; };
        if (name == "mtext") {
            // Authors space words from the formula inside the text: " for all ".
            std::string text;
            WalkTree(node, [&text](const xmlNode* child) {
                if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
                    text += NodeText(child);
                }
                return Visit::Descend;
            });
            line.text(text);
        } else if (name == "mi" || name == "mn" || name == "ms") {
            line.text(PlainText(node));
        } else if (name == "mo") {
            line.op(PlainText(node));
        } else if (name == "mspace") {
            line.space();
        } else if (name == "mphantom" || name == "annotation" || name == "annotation-xml" ||
                   name == "none" || name == "mprescripts") {
            return;
        } else if ((name == "msub" || name == "munder") && parts.size() >= 2) {
            line.text(Group(read(part(0), true, depth + 1), "(", ")") + "_" +
                      script(part(1), depth));
            line.endScript();
        } else if ((name == "msup" || name == "mover") && parts.size() >= 2) {
            line.text(Group(read(part(0), true, depth + 1), "(", ")") + "^" +
                      script(part(1), depth));
            line.endScript();
        } else if ((name == "msubsup" || name == "munderover") && parts.size() >= 3) {
            line.text(Group(read(part(0), true, depth + 1), "(", ")") + "_" +
                      script(part(1), depth) + "^" + script(part(2), depth));
            line.endScript();
        } else if (name == "mfrac" && parts.size() >= 2) {
            line.text(Group(read(part(0), true, depth + 1), "(", ")") + "/" +
                      Group(read(part(1), true, depth + 1), "(", ")"));
        } else if (name == "msqrt") {
            line.text("\xE2\x88\x9A" + Group(row(node, true, depth), "(", ")"));
        } else if (name == "mroot" && parts.size() >= 2) {
            line.text("\xE2\x88\x9A[" + read(part(1), true, depth + 1) + "]" +
                      Group(read(part(0), true, depth + 1), "(", ")"));
        } else if (name == "mfenced") {
            const std::string open =
                xmlHasProp(node, BAD_CAST "open") ? AttributeValue(node, "open") : "(";
            const std::string close =
                xmlHasProp(node, BAD_CAST "close") ? AttributeValue(node, "close") : ")";
            const std::string separators =
                xmlHasProp(node, BAD_CAST "separators") ? AttributeValue(node, "separators") : ",";
            line.text(open);
            for (std::size_t i = 0; i < parts.size(); ++i) {
                if (i > 0 && !separators.empty()) {
                    line.op(std::string(1, separators[std::min(i - 1, separators.size() - 1)]));
                }
                write(line, parts[i], tight, depth + 1);
            }
            line.text(close);
        } else if (name == "mtable") {
            line.text(
                Rows(node, [&](const xmlNode* cell) { return read(cell, tight, depth + 2); }));
        } else if (name == "mstack" || name == "mlongdiv" || name == "msgroup" || name == "msrow" ||
                   name == "mscarries") {
            for (const xmlNode* child : parts) {  // the rows of elementary math, worked by hand
                write(line, child, tight, depth + 1);
                line.space();
            }
        } else if (name == "semantics" || name == "maction") {
            if (!parts.empty()) {
                write(line, parts.front(), tight, depth + 1);
            }
        } else {
            for (const xmlNode* child : parts) {
                write(line, child, tight, depth + 1);
            }
        }
    }
};

// Office Math: the same shapes under other names, with their characters in property elements.
class OmmlReader {
public:
    std::string read(const xmlNode* node, bool tight, int depth) {
        Line line(tight);
        write(line, node, tight, depth);
        return line.take();
    }

private:
    static bool IsM(const xmlNode* node, const char* name) {
        return IsElement(node, kOmmlNs, name);
    }

    static const xmlNode* Child(const xmlNode* node, const char* name) {
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (IsM(child, name)) {
                return child;
            }
        }
        return nullptr;
    }

    // A character set in the element's properties (m:chr, m:begChr, ...), or `fallback`.
    static std::string Character(const xmlNode* node, const char* properties, const char* name,
                                 const char* fallback) {
        const xmlNode* props = Child(node, properties);
        const xmlNode* chr = props != nullptr ? Child(props, name) : nullptr;
        if (chr == nullptr || xmlHasProp(chr, BAD_CAST "val") == nullptr) {
            return fallback;
        }
        return AttributeValue(chr, "val");
    }

    std::string argument(const xmlNode* node, const char* name, bool tight, int depth) {
        const xmlNode* child = Child(node, name);
        return child != nullptr ? read(child, tight, depth + 1) : std::string();
    }

    std::string script(const xmlNode* node, const char* name, int depth) {
        return Group(argument(node, name, true, depth), "{", "}");
    }

    std::string base(const xmlNode* node, int depth) {
        return Group(argument(node, "e", true, depth), "(", ")");
    }

    void write(Line& line, const xmlNode* node, bool tight, int depth) {
        if (depth > kMaxDepth) {
            line.text(PlainText(node));
            line.space();
            return;
        }
        if (node->ns == nullptr || kOmmlNs != reinterpret_cast<const char*>(node->ns->href)) {
            return;  // Word's run properties and the like
        }
        const std::string_view name = Name(node);
        if (name == "r") {
            for (const xmlNode* t = node->children; t != nullptr; t = t->next) {
                if (IsM(t, "t")) {
                    line.ops(PlainText(t));
                }
            }
        } else if (name == "sSub") {
            line.text(base(node, depth) + "_" + script(node, "sub", depth));
            line.endScript();
        } else if (name == "sSup") {
            line.text(base(node, depth) + "^" + script(node, "sup", depth));
            line.endScript();
        } else if (name == "sSubSup") {
            line.text(base(node, depth) + "_" + script(node, "sub", depth) + "^" +
                      script(node, "sup", depth));
            line.endScript();
        } else if (name == "sPre") {
            line.text("_" + script(node, "sub", depth) + "^" + script(node, "sup", depth) +
                      base(node, depth));
            line.endScript();
        } else if (name == "limLow") {
            line.text(base(node, depth) + "_" + script(node, "lim", depth));
            line.endScript();
        } else if (name == "limUpp") {
            line.text(base(node, depth) + "^" + script(node, "lim", depth));
            line.endScript();
        } else if (name == "f") {
            line.text(Group(argument(node, "num", true, depth), "(", ")") + "/" +
                      Group(argument(node, "den", true, depth), "(", ")"));
        } else if (name == "rad") {
            const std::string degree = argument(node, "deg", true, depth);
            line.text("\xE2\x88\x9A" + (degree.empty() ? "" : "[" + degree + "]") +
                      base(node, depth));
        } else if (name == "nary") {
            std::string nary = Character(node, "naryPr", "chr", "\xE2\x88\xAB");
            const std::string sub = script(node, "sub", depth);
            const std::string sup = script(node, "sup", depth);
            nary += (sub.empty() ? "" : "_" + sub) + (sup.empty() ? "" : "^" + sup);
            line.text(nary);
            line.space();
            line.text(argument(node, "e", tight, depth));
        } else if (name == "d") {
            const std::string separator = Character(node, "dPr", "sepChr", "|");
            line.text(Character(node, "dPr", "begChr", "("));
            bool first = true;
            for (const xmlNode* child : Elements(node)) {
                if (IsM(child, "e")) {
                    if (!first) {
                        line.op(separator);
                    }
                    write(line, child, tight, depth + 1);
                    first = false;
                }
            }
            line.text(Character(node, "dPr", "endChr", ")"));
        } else if (name == "func") {
            line.space();
            line.text(argument(node, "fName", true, depth));
            line.space();
            line.text(base(node, depth));
        } else if (name == "acc") {
            line.text(argument(node, "e", true, depth) +
                      Character(node, "accPr", "chr", "\xCC\x82"));
        } else if (name == "m") {
            line.text(Rows(node, [&](const xmlNode* cell) {
                return IsM(cell, "e") ? read(cell, tight, depth + 2) : std::string();
            }));
        } else if (name == "eqArr") {
            bool first = true;
            for (const xmlNode* child : Elements(node)) {
                if (IsM(child, "e")) {
                    if (!first) {
                        line.text(";");
                        line.space();
                    }
                    write(line, child, tight, depth + 1);
                    first = false;
                }
            }
        } else if (name == "phant" || name.ends_with("Pr")) {
            return;
        } else {
            // oMath, e, num, den, sub, sup, box, borderBox, bar, groupChr, ...
            for (const xmlNode* child : Elements(node)) {
                write(line, child, tight, depth + 1);
            }
        }
    }
};

}  // namespace

std::string MathMlText(const xmlNode* math) {
    std::string text = MathMlReader().read(math, false, 0);
    if (text.empty()) {
        text = Collapse(AttributeValue(math, "alttext"));
    }
    return text;
}

std::string OmmlText(const xmlNode* oMath) {
    return OmmlReader().read(oMath, false, 0);
}

}  // namespace lexaro::documents
