// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/formula.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
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
        if (afterScript_ && !text.empty() && startsSymbol(text)) {
            out_ += ' ';  // "x^k a^{n-k}", not "x^ka^{n-k}"
        }
        afterScript_ = false;
        out_ += text;
    }

    // A script just ended: what follows is set apart if it could be read as part of it.
    void endScript() { afterScript_ = true; }

    void op(std::string_view piece) {
        const std::string op = Collapse(piece);
        if (afterScript_ && !op.empty() && startsSymbol(op) && !IsSpacedOperator(op)) {
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
    static bool startsSymbol(std::string_view text) {
        const auto c = static_cast<unsigned char>(text.front());
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c >= 0xC0;
    }

    std::string out_;
    bool tight_;
    bool afterScript_ = false;
};

// Where an element is read: tight inside scripts (operators unspaced), and how deep it lies.
struct Where {
    bool tight;
    int depth;

    [[nodiscard]] Where inner(int by = 1) const { return {tight, depth + by}; }
    // A script, base, numerator and the like: tight, one level down.
    [[nodiscard]] Where script() const { return {true, depth + 1}; }
};

class Reader;
struct Rule;

// What an element becomes on the line of the formula around it.
using Handler = void (*)(const Reader&, Line&, const xmlNode*, Where, const Rule&);

// One element name and how it is written. An element with fewer element children than `parts` is
// read as a row instead. The marks and slots serve the script handlers: the marks in their order
// ("_", "^" or "_^"), and for Office Math the child element of each.
struct Rule {
    std::string_view name;
    Handler write;
    std::size_t parts = 0;
    std::string_view marks{};
    std::array<const char*, 2> slots{};
};

// One formula language: what each element name becomes, the rest read as a row of its children.
class Reader {
public:
    // `ignored` tells elements that hold nothing to read (none when it is null).
    constexpr Reader(std::span<const Rule> rules, bool (*ignored)(const xmlNode*))
        : rules_(rules), ignored_(ignored) {}

    // `node` as a line of its own.
    [[nodiscard]] std::string read(const xmlNode* node, Where where) const {
        Line line(where.tight);
        write(line, node, where);
        return line.take();
    }

    // The children of `node` as a line of their own.
    [[nodiscard]] std::string row(const xmlNode* node, Where where) const {
        Line line(where.tight);
        writeChildren(line, node, where);
        return line.take();
    }

    void write(Line& line, const xmlNode* node, Where where) const {
        if (where.depth > kMaxDepth) {
            line.text(PlainText(node));
            line.space();
            return;
        }
        if (ignored_ != nullptr && ignored_(node)) {
            return;
        }
        const std::string_view name = Name(node);
        const auto rule = std::find_if(rules_.begin(), rules_.end(),
                                       [name](const Rule& r) { return r.name == name; });
        if (rule == rules_.end() || (rule->parts > 0 && Elements(node).size() < rule->parts)) {
            writeChildren(line, node, where);
        } else {
            rule->write(*this, line, node, where, *rule);
        }
    }

    void writeChildren(Line& line, const xmlNode* node, Where where) const {
        for (const xmlNode* child : Elements(node)) {
            write(line, child, where.inner());
        }
    }

private:
    std::span<const Rule> rules_;
    bool (*ignored_)(const xmlNode*);
};

void Nothing(const Reader& /*reader*/, Line& /*line*/, const xmlNode* /*node*/, Where /*where*/,
             const Rule& /*rule*/) {}

namespace mathml {

// Authors space words from the formula inside the text: " for all ".
void Text(const Reader& /*reader*/, Line& line, const xmlNode* node, Where /*where*/,
          const Rule& /*rule*/) {
    std::string text;
    WalkTree(node, [&text](const xmlNode* child) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            text += NodeText(child);
        }
        return Visit::Descend;
    });
    line.text(text);
}

void Token(const Reader& /*reader*/, Line& line, const xmlNode* node, Where /*where*/,
           const Rule& /*rule*/) {
    line.text(PlainText(node));
}

void Operator(const Reader& /*reader*/, Line& line, const xmlNode* node, Where /*where*/,
              const Rule& /*rule*/) {
    line.op(PlainText(node));
}

void Space(const Reader& /*reader*/, Line& line, const xmlNode* /*node*/, Where /*where*/,
           const Rule& /*rule*/) {
    line.space();
}

// A base and its scripts, one child each.
void Scripts(const Reader& reader, Line& line, const xmlNode* node, Where where, const Rule& rule) {
    const std::vector<const xmlNode*> parts = Elements(node);

    std::string text = Group(reader.read(parts[0], where.script()), "(", ")");
    for (std::size_t i = 0; i < rule.marks.size(); ++i) {
        text += rule.marks[i];
        text += Group(reader.read(parts[i + 1], where.script()), "{", "}");
    }
    line.text(text);
    line.endScript();
}

void Fraction(const Reader& reader, Line& line, const xmlNode* node, Where where,
              const Rule& /*rule*/) {
    const std::vector<const xmlNode*> parts = Elements(node);

    line.text(Group(reader.read(parts[0], where.script()), "(", ")") + "/" +
              Group(reader.read(parts[1], where.script()), "(", ")"));
}

void SquareRoot(const Reader& reader, Line& line, const xmlNode* node, Where where,
                const Rule& /*rule*/) {
    line.text("\xE2\x88\x9A" + Group(reader.row(node, {true, where.depth}), "(", ")"));
}

void Root(const Reader& reader, Line& line, const xmlNode* node, Where where,
          const Rule& /*rule*/) {
    const std::vector<const xmlNode*> parts = Elements(node);

    line.text("\xE2\x88\x9A[" + reader.read(parts[1], where.script()) + "]" +
              Group(reader.read(parts[0], where.script()), "(", ")"));
}

std::string AttributeOr(const xmlNode* node, const char* name, const char* fallback) {
    return xmlHasProp(node, BAD_CAST name) != nullptr ? AttributeValue(node, name) : fallback;
}

void Fenced(const Reader& reader, Line& line, const xmlNode* node, Where where,
            const Rule& /*rule*/) {
    const std::string separators = AttributeOr(node, "separators", ",");
    const std::vector<const xmlNode*> parts = Elements(node);
    line.text(AttributeOr(node, "open", "("));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && !separators.empty()) {
            line.op(std::string(1, separators[std::min(i - 1, separators.size() - 1)]));
        }
        reader.write(line, parts[i], where.inner());
    }
    line.text(AttributeOr(node, "close", ")"));
}

void Table(const Reader& reader, Line& line, const xmlNode* node, Where where,
           const Rule& /*rule*/) {
    line.text(Rows(node, [&](const xmlNode* cell) { return reader.read(cell, where.inner(2)); }));
}

// The rows of elementary math, worked by hand.
void Stacked(const Reader& reader, Line& line, const xmlNode* node, Where where,
             const Rule& /*rule*/) {
    for (const xmlNode* child : Elements(node)) {
        reader.write(line, child, where.inner());
        line.space();
    }
}

// The first child is the formula; the rest are other forms of it.
void First(const Reader& reader, Line& line, const xmlNode* node, Where where,
           const Rule& /*rule*/) {
    const std::vector<const xmlNode*> parts = Elements(node);
    if (!parts.empty()) {
        reader.write(line, parts.front(), where.inner());
    }
}

constexpr std::array kRules = {
    Rule{"mtext", Text},
    Rule{"mi", Token},
    Rule{"mn", Token},
    Rule{"ms", Token},
    Rule{"mo", Operator},
    Rule{"mspace", Space},
    Rule{"mphantom", Nothing},
    Rule{"annotation", Nothing},
    Rule{"annotation-xml", Nothing},
    Rule{"none", Nothing},
    Rule{"mprescripts", Nothing},
    Rule{"msub", Scripts, 2, "_"},
    Rule{"munder", Scripts, 2, "_"},
    Rule{"msup", Scripts, 2, "^"},
    Rule{"mover", Scripts, 2, "^"},
    Rule{"msubsup", Scripts, 3, "_^"},
    Rule{"munderover", Scripts, 3, "_^"},
    Rule{"mfrac", Fraction, 2},
    Rule{"msqrt", SquareRoot},
    Rule{"mroot", Root, 2},
    Rule{"mfenced", Fenced},
    Rule{"mtable", Table},
    Rule{"mstack", Stacked},
    Rule{"mlongdiv", Stacked},
    Rule{"msgroup", Stacked},
    Rule{"msrow", Stacked},
    Rule{"mscarries", Stacked},
    Rule{"semantics", First},
    Rule{"maction", First},
};

}  // namespace mathml

// Office Math: the same shapes under other names, with their characters in property elements.
namespace omml {

bool IsM(const xmlNode* node, const char* name) {
    return IsElement(node, kOmmlNs, name);
}

const xmlNode* Child(const xmlNode* node, const char* name) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsM(child, name)) {
            return child;
        }
    }
    return nullptr;
}

// Word's run properties and the like, the phantoms and every element's properties.
bool Ignored(const xmlNode* node) {
    if (node->ns == nullptr || kOmmlNs != reinterpret_cast<const char*>(node->ns->href)) {
        return true;
    }
    const std::string_view name = Name(node);
    return name == "phant" || name.ends_with("Pr");
}

// A character set in the element's properties (m:chr, m:begChr, ...), or `fallback`.
std::string Character(const xmlNode* node, const char* properties, const char* name,
                      const char* fallback) {
    const xmlNode* props = Child(node, properties);
    const xmlNode* chr = props != nullptr ? Child(props, name) : nullptr;
    if (chr == nullptr || xmlHasProp(chr, BAD_CAST "val") == nullptr) {
        return fallback;
    }
    return AttributeValue(chr, "val");
}

// The child element `name` read at `where`, or nothing.
std::string Argument(const Reader& reader, const xmlNode* node, const char* name, Where where) {
    const xmlNode* child = Child(node, name);
    return child != nullptr ? reader.read(child, where) : std::string();
}

std::string Base(const Reader& reader, const xmlNode* node, Where where) {
    return Group(Argument(reader, node, "e", where.script()), "(", ")");
}

// The rule's marks, each with its script: "_{a}^{b}".
std::string Marks(const Reader& reader, const xmlNode* node, Where where, const Rule& rule) {
    std::string text;
    for (std::size_t i = 0; i < rule.marks.size(); ++i) {
        text += rule.marks[i];
        text += Group(Argument(reader, node, rule.slots.at(i), where.script()), "{", "}");
    }
    return text;
}

void Run(const Reader& /*reader*/, Line& line, const xmlNode* node, Where /*where*/,
         const Rule& /*rule*/) {
    for (const xmlNode* t = node->children; t != nullptr; t = t->next) {
        if (IsM(t, "t")) {
            line.ops(PlainText(t));
        }
    }
}

void Scripts(const Reader& reader, Line& line, const xmlNode* node, Where where, const Rule& rule) {
    line.text(Base(reader, node, where) + Marks(reader, node, where, rule));
    line.endScript();
}

void Prescripts(const Reader& reader, Line& line, const xmlNode* node, Where where,
                const Rule& rule) {
    line.text(Marks(reader, node, where, rule) + Base(reader, node, where));
    line.endScript();
}

void Fraction(const Reader& reader, Line& line, const xmlNode* node, Where where,
              const Rule& /*rule*/) {
    line.text(Group(Argument(reader, node, "num", where.script()), "(", ")") + "/" +
              Group(Argument(reader, node, "den", where.script()), "(", ")"));
}

void Radical(const Reader& reader, Line& line, const xmlNode* node, Where where,
             const Rule& /*rule*/) {
    const std::string degree = Argument(reader, node, "deg", where.script());
    line.text("\xE2\x88\x9A" + (degree.empty() ? "" : "[" + degree + "]") +
              Base(reader, node, where));
}

// A sum, product or integral: its sign with its limits, then what it applies to.
void Nary(const Reader& reader, Line& line, const xmlNode* node, Where where,
          const Rule& /*rule*/) {
    std::string nary = Character(node, "naryPr", "chr", "\xE2\x88\xAB");
    const std::string sub = Group(Argument(reader, node, "sub", where.script()), "{", "}");
    const std::string sup = Group(Argument(reader, node, "sup", where.script()), "{", "}");
    nary += (sub.empty() ? "" : "_" + sub) + (sup.empty() ? "" : "^" + sup);
    line.text(nary);
    line.space();
    line.text(Argument(reader, node, "e", where.inner()));
}

// Each m:e child of `node` written in turn, `between` called between two.
template <class Between>
void EachArgument(const Reader& reader, Line& line, const xmlNode* node, Where where,
                  Between&& between) {
    bool first = true;
    for (const xmlNode* child : Elements(node)) {
        if (IsM(child, "e")) {
            if (!first) {
                between();
            }
            reader.write(line, child, where.inner());
            first = false;
        }
    }
}

void Delimiters(const Reader& reader, Line& line, const xmlNode* node, Where where,
                const Rule& /*rule*/) {
    const std::string separator = Character(node, "dPr", "sepChr", "|");
    line.text(Character(node, "dPr", "begChr", "("));
    EachArgument(reader, line, node, where, [&] { line.op(separator); });
    line.text(Character(node, "dPr", "endChr", ")"));
}

void Function(const Reader& reader, Line& line, const xmlNode* node, Where where,
              const Rule& /*rule*/) {
    line.space();
    line.text(Argument(reader, node, "fName", where.script()));
    line.space();
    line.text(Base(reader, node, where));
}

void Accent(const Reader& reader, Line& line, const xmlNode* node, Where where,
            const Rule& /*rule*/) {
    line.text(Argument(reader, node, "e", where.script()) +
              Character(node, "accPr", "chr", "\xCC\x82"));
}

void Matrix(const Reader& reader, Line& line, const xmlNode* node, Where where,
            const Rule& /*rule*/) {
    line.text(Rows(node, [&](const xmlNode* cell) {
        return IsM(cell, "e") ? reader.read(cell, where.inner(2)) : std::string();
    }));
}

void EquationArray(const Reader& reader, Line& line, const xmlNode* node, Where where,
                   const Rule& /*rule*/) {
    EachArgument(reader, line, node, where, [&line] {
        line.text(";");
        line.space();
    });
}

// The rest (oMath, e, num, den, sub, sup, box, borderBox, bar, groupChr, ...) is read as a row.
constexpr std::array kRules = {
    Rule{"r", Run},
    Rule{"sSub", Scripts, 0, "_", {"sub"}},
    Rule{"sSup", Scripts, 0, "^", {"sup"}},
    Rule{"sSubSup", Scripts, 0, "_^", {"sub", "sup"}},
    Rule{"sPre", Prescripts, 0, "_^", {"sub", "sup"}},
    Rule{"limLow", Scripts, 0, "_", {"lim"}},
    Rule{"limUpp", Scripts, 0, "^", {"lim"}},
    Rule{"f", Fraction},
    Rule{"rad", Radical},
    Rule{"nary", Nary},
    Rule{"d", Delimiters},
    Rule{"func", Function},
    Rule{"acc", Accent},
    Rule{"m", Matrix},
    Rule{"eqArr", EquationArray},
};

}  // namespace omml

constexpr Reader kMathMl(mathml::kRules, nullptr);
constexpr Reader kOmml(omml::kRules, omml::Ignored);

}  // namespace

std::string MathMlText(const xmlNode* math) {
    std::string text = kMathMl.read(math, {false, 0});
    if (text.empty()) {
        text = Collapse(AttributeValue(math, "alttext"));
    }
    return text;
}

std::string OmmlText(const xmlNode* oMath) {
    return kOmml.read(oMath, {false, 0});
}

}  // namespace lexaro::documents
