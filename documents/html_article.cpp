// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/html_article.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <string_view>
#include <vector>

#include "documents/xml_tree.h"

namespace lexaro::documents {

namespace {

// A paragraph holds at least this much text of its own (weights as Weight gives them: about 15
// words, or 27 Chinese characters).
constexpr std::size_t kParagraph = 80;
// An article holds at least this much running text; a page with less is read whole.
constexpr std::size_t kMinArticle = 500;
// Running text an article gains must outweigh other text it takes along by this much.
constexpr double kOtherCost = 1.0;
// A page whose article holds this share of the page's text, nearly all of it running text, is a
// document (a standard, a book's chapter): read whole.
constexpr double kWholeShare = 0.9;
constexpr double kDocumentProse = 0.85;

// The page's own <article> is read when it holds this share of the chosen element's running text.
constexpr double kOwnArticleProse = 0.8;

// The <h1>s looked at for the page's title (a page may have thousands).
constexpr std::size_t kMaxHeadings = 16;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Not counted, and not read in an article (the page's own reader reads buttons and drawings).
constexpr std::array<std::string_view, 14> kUnseen = {
    "head", "iframe",   "noscript", "object", "script", "select", "style",
    "svg",  "template", "textarea", "title",  "button", "input",  "canvas"};

// Elements whose text lines of their own are made of (as far as a paragraph goes).
constexpr std::array<std::string_view, 33> kBlocks = {
    "address",    "article", "aside",   "blockquote", "body", "caption",  "center",
    "dd",         "details", "div",     "dl",         "dt",   "fieldset", "figure",
    "figcaption", "footer",  "form",    "h1",         "h2",   "h3",       "h4",
    "h5",         "h6",      "header",  "li",         "main", "nav",      "ol",
    "p",          "pre",     "section", "td",         "th"};

// Never an article's whole: the page around it.
constexpr std::array<std::string_view, 4> kAround = {"nav", "aside", "footer", "menu"};

constexpr std::array<std::string_view, 9> kAroundRoles = {
    "navigation", "complementary", "contentinfo", "banner", "search",
    "menu",       "menubar",       "dialog",      "alert"};

// Words (or their starts) in class and id names that say a name is about page furniture: menus,
// banners, lists of pages. Only a name's last word counts ("main-nav", not "nav-content").
constexpr std::array<std::string_view, 19> kFurnitureWords = {
    "ad",       "ads",     "banner",  "community", "foot",       "footer", "masthead",
    "menu",     "more",    "nav",     "navbar",    "navigation", "pager",  "pagination",
    "shopping", "sidebar", "toolbar", "widget",    "tags"};

// Words that say a name is about the article ("story-body", "entry-content", "post-123").
constexpr std::array<std::string_view, 8> kArticleWords = {"article", "body", "content", "entry",
                                                           "main",    "post", "story",   "text"};

// Furniture wherever they stand in a name, even an article's ("article-comments",
// "story-related"): comments, sharing, lists of other articles, forms to subscribe,
// advertising; and a wiki's edit links and the links from its notes back to where they are
// referred to.
constexpr std::array<std::string_view, 20> kStrongFurniture = {
    "advert", "backlink",   "breadcrumb", "comment", "cookie",  "disqus",    "editsection",
    "login",  "newsletter", "outbrain",   "popup",   "promo",   "recommend", "related",
    "share",  "signup",     "social",     "sponsor", "subscri", "taboola"};

template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string_view Name(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

// How much text a reader meets: a letter or digit of an alphabet weighs one, a Chinese or
// Japanese character (a word, nearly) three; white space nothing.
std::size_t Weight(std::string_view text) {
    std::size_t weight = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            weight += std::isspace(byte) != 0 ? 0 : 1;
        } else if (byte >= 0xF0) {
            weight += 3;
        } else if (byte >= 0xE0 && at + 2 < text.size()) {
            const unsigned codePoint = ((byte & 0x0FU) << 12U) |
                                       ((static_cast<unsigned char>(text[at + 1]) & 0x3FU) << 6U);
            weight += codePoint >= 0x2E80 ? 3 : 1;
        } else if (byte >= 0xC0) {
            weight += 1;
        }
    }
    return weight;
}

// The names in an element's class and id, each as its lower-case words ("main-nav sidebarLeft"
// gives {main, nav} and {sidebarleft}).
std::vector<std::vector<std::string>> NameWords(const xmlNode* node) {
    std::vector<std::vector<std::string>> names(1);
    std::string word;
    const auto endWord = [&names, &word] {
        if (!word.empty()) {
            names.back().push_back(std::move(word));
            word.clear();
        }
    };
    for (const char c : AttributeValue(node, "class") + ' ' + AttributeValue(node, "id")) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0) {
            word.push_back(static_cast<char>(std::tolower(byte)));
        } else {
            endWord();
            if (std::isspace(byte) != 0 && !names.back().empty()) {
                names.emplace_back();
            }
        }
    }
    endWord();
    return names;
}

// The word a name is about: its last, numbers aside ("main-nav" is a nav, "post-123" a post).
std::string_view HeadWord(const std::vector<std::string>& words) {
    const auto head = std::find_if(words.rbegin(), words.rend(), [](const std::string& word) {
        return std::isdigit(static_cast<unsigned char>(word.front())) == 0;
    });
    return head != words.rend() ? std::string_view(*head) : std::string_view();
}

template <std::size_t N>
bool StartsWithAny(std::string_view word, const std::array<std::string_view, N>& stems) {
    return std::any_of(stems.begin(), stems.end(), [&word](std::string_view stem) {
        // Short stems only as whole words: "ad" is not "address", "more" not "moreover".
        if (!word.starts_with(stem)) {
            return false;
        }
        return stem.size() > 4 || word.size() == stem.size() ||
               (word.size() == stem.size() + 1 && word.back() == 's');
    });
}

// Never read, on any page: a wiki's edit links and the links from a note back to where it is
// referred to ("^ a b").
constexpr std::array<std::string_view, 2> kNeverRead = {"backlink", "editsection"};

bool IsNeverRead(const std::vector<std::vector<std::string>>& names) {
    return std::any_of(names.begin(), names.end(), [](const std::vector<std::string>& words) {
        return std::any_of(words.begin(), words.end(),
                           [](const std::string& word) { return StartsWithAny(word, kNeverRead); });
    });
}

// What an element's name, role, class and id say of it.
enum class Kind {
    Text,
    Furniture,
    // Furniture unless it turns out to be mostly running text: a <form> (some sites wrap the
    // whole page in one) or a name such as "main-nav" or "page-footer" (sites also give such
    // names to wrappers around all their page).
    MaybeFurniture,
};

Kind KindOf(const xmlNode* node, const std::vector<std::vector<std::string>>& names) {
    const std::string_view name = Name(node);
    if (name == "html" || name == "body" || name == "article" || name == "main") {
        return Kind::Text;
    }
    if (Among(kAround, name) || Among(kAroundRoles, AttributeValue(node, "role"))) {
        return Kind::Furniture;
    }
    bool furniture = name == "form";
    bool article = false;
    for (const std::vector<std::string>& words : names) {
        if (std::any_of(words.begin(), words.end(), [](const std::string& word) {
                return StartsWithAny(word, kStrongFurniture);
            })) {
            return Kind::Furniture;
        }
        furniture = furniture || StartsWithAny(HeadWord(words), kFurnitureWords);
        article = article || StartsWithAny(HeadWord(words), kArticleWords);
    }
    return furniture && !article ? Kind::MaybeFurniture : Kind::Text;
}

bool IsUnseen(const xmlNode* node) {
    if (Among(kUnseen, Name(node)) ||
        xmlHasProp(node, reinterpret_cast<const xmlChar*>("hidden")) != nullptr ||
        AttributeValue(node, "aria-hidden") == "true") {
        return true;
    }
    std::string style = AttributeValue(node, "style");
    style.erase(std::remove_if(style.begin(), style.end(),
                               [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
                style.end());
    return style.find("display:none") != std::string::npos ||
           style.find("visibility:hidden") != std::string::npos;
}

bool IsHeading(std::string_view name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

// What the walk learns of one element, with all it holds.
struct Figures {
    const xmlNode* node = nullptr;
    std::size_t parent = kNone;
    std::size_t text = 0;   // all visible text
    std::size_t link = 0;   // of which in links
    std::size_t prose = 0;  // of which in paragraphs, outside furniture
    std::size_t own = 0;    // text whose nearest block this is
    std::size_t ownLink = 0;
    std::size_t links = 0;
    bool block = false;
    bool furniture = false;
    bool maybeFurniture = false;
    bool neverRead = false;
    bool isLink = false;
};

class Survey {
public:
    void run(const xmlNode* document) {
        WalkTree(
            document, [this](const xmlNode* node) { return enter(node); },
            [this](const xmlNode* node) { leave(node); });
    }

    [[nodiscard]] const std::vector<Figures>& figures() const { return figures_; }
    [[nodiscard]] std::size_t total() const { return total_; }
    [[nodiscard]] const xmlNode* titleElement() const { return title_; }
    [[nodiscard]] const std::vector<const xmlNode*>& headings() const { return headings_; }
    // Elements not surveyed, each with its parent's index.
    [[nodiscard]] const std::vector<std::pair<const xmlNode*, std::size_t>>& unseen() const {
        return unseen_;
    }

private:
    // NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
    Visit enter(const xmlNode* node) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            const std::size_t weight = Weight(NodeText(node));
            if (!open_.empty() && weight > 0) {
                Figures& inner = figures_[open_.back()];
                inner.text += weight;
                inner.link += links_ > 0 ? weight : 0;
                Figures& block = figures_[blocks_.back()];
                block.own += weight;
                block.ownLink += links_ > 0 ? weight : 0;
            }
            return Visit::Skip;
        }
        if (node->type != XML_ELEMENT_NODE) {
            return Visit::Skip;
        }
        if (IsElement(node, "head")) {
            for (const xmlNode* child = node->children; child != nullptr && title_ == nullptr;
                 child = child->next) {
                title_ = IsElement(child, "title") ? child : nullptr;
            }
        }
        if (IsUnseen(node)) {
            // Left to the reader of the page, which reads some of these (buttons, drawings, text
            // hidden from screen readers); a reader view does not.
            unseen_.emplace_back(node, open_.empty() ? kNone : open_.back());
            return Visit::Skip;
        }
        Figures figures;
        figures.node = node;
        figures.parent = open_.empty() ? kNone : open_.back();
        figures.block = open_.empty() || Among(kBlocks, Name(node));
        const std::vector<std::vector<std::string>> names = NameWords(node);
        const Kind kind = KindOf(node, names);
        figures.furniture = kind != Kind::Text;
        figures.maybeFurniture = kind == Kind::MaybeFurniture;
        figures.neverRead = IsNeverRead(names);
        figures.isLink = IsElement(node, "a") && !AttributeValue(node, "href").empty();
        // A few top-level <h1>s are enough to find the title among, and keep the search linear.
        if (IsElement(node, "h1") && furnitureDepth_ == 0 && headingDepth_ == 0 &&
            headings_.size() < kMaxHeadings) {
            headings_.push_back(node);
        }
        headingDepth_ += IsElement(node, "h1") ? 1 : 0;
        links_ += figures.isLink ? 1 : 0;
        furnitureDepth_ += figures.furniture ? 1 : 0;
        open_.push_back(figures_.size());
        if (figures.block) {
            blocks_.push_back(figures_.size());
        }
        figures_.push_back(figures);
        return Visit::Descend;
    }

    void leave(const xmlNode* /*node*/) {
        const std::size_t index = open_.back();
        open_.pop_back();
        Figures& figures = figures_[index];
        if (figures.block) {
            blocks_.pop_back();
            const bool paragraph = figures.own >= kParagraph && figures.ownLink * 2 <= figures.own;
            figures.prose += paragraph ? figures.own : 0;
        }
        links_ -= figures.isLink ? 1 : 0;
        headingDepth_ -= IsElement(figures.node, "h1") ? 1 : 0;
        furnitureDepth_ -= figures.furniture ? 1 : 0;
        if (figures.maybeFurniture) {
            figures.furniture = figures.prose * 2 < figures.text;
        }
        if (figures.parent == kNone) {
            total_ += figures.text;
            return;
        }
        Figures& parent = figures_[figures.parent];
        parent.text += figures.text;
        parent.link += figures.link;
        parent.links += figures.links + (figures.isLink ? 1 : 0);
        parent.prose += figures.furniture ? 0 : figures.prose;
    }

    std::vector<Figures> figures_;
    std::vector<std::size_t> open_;    // the elements the walk is in
    std::vector<std::size_t> blocks_;  // of which blocks
    std::size_t links_ = 0;
    std::size_t furnitureDepth_ = 0;
    std::size_t headingDepth_ = 0;
    std::size_t total_ = 0;
    const xmlNode* title_ = nullptr;
    std::vector<const xmlNode*> headings_;  // every <h1> outside furniture
    std::vector<std::pair<const xmlNode*, std::size_t>> unseen_;
};

double Score(const Figures& figures) {
    return static_cast<double>(figures.prose) -
           (kOtherCost * static_cast<double>(figures.text - figures.prose));
}

std::string TextOf(const xmlNode* node) {
    std::string text;
    WalkTree(node, [&text](const xmlNode* child) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            text += NodeText(child);
        }
        return child->type == XML_ELEMENT_NODE && IsUnseen(child) ? Visit::Skip : Visit::Descend;
    });
    // White space collapsed, so that texts compare as they read.
    std::string collapsed;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            if (!collapsed.empty() && collapsed.back() != ' ') {
                collapsed.push_back(' ');
            }
        } else {
            collapsed.push_back(c);
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') {
        collapsed.pop_back();
    }
    return collapsed;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::size_t WordCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')) + 1;
}

// The parts of a <title> ("Title - Site", "Site | Title", "Title :: Site ::").
std::vector<std::string> TitleParts(const std::string& title) {
    constexpr std::array<std::string_view, 7> kSeparators = {
        " | ", " - ", " \xE2\x80\x93 ", " \xE2\x80\x94 ", " :: ", " \xC2\xBB ", " \xC2\xB7 "};
    std::vector<std::string> parts;
    const auto keep = [&parts](std::string part) {
        part = Trim(part, " :|-");
        if (!part.empty()) {
            parts.push_back(std::move(part));
        }
    };
    std::size_t start = 0;
    for (std::size_t at = 0; at < title.size(); ++at) {
        for (const std::string_view separator : kSeparators) {
            if (title.compare(at, separator.size(), separator) == 0) {
                keep(title.substr(start, at - start));
                start = at + separator.size();
                at = start - 1;
                break;
            }
        }
    }
    keep(title.substr(start));
    return parts;
}

// An <h1> names the page when it holds a part of the <title> other than the last (a site's name
// comes last, and is often the <h1> of its logo), or most of one.
bool NamesPage(const std::string& heading, const std::vector<std::string>& parts) {
    const std::size_t named = parts.size() > 1 ? parts.size() - 1 : parts.size();
    return std::any_of(
        parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(named),
        [&heading](const std::string& part) {
            const std::string lower = Lower(part);
            return heading.find(lower) != std::string::npos ||
                   (lower.find(heading) != std::string::npos && heading.size() * 2 >= lower.size());
        });
}

// The node is read with the article: below its root, and outside what is left out of it.
bool ReadWith(const HtmlArticle& article, const xmlNode* node) {
    for (; node != nullptr; node = node->parent) {
        if (node == article.root) {
            return true;
        }
        if (article.skipped.contains(node)) {
            return false;
        }
    }
    return false;
}

// The page's title, when the article does not show it: the <h1> that the <title> names, or the
// <title> itself.
std::string PageTitle(const Survey& survey, const HtmlArticle& article) {
    const std::vector<std::string> parts = survey.titleElement() != nullptr
                                               ? TitleParts(TextOf(survey.titleElement()))
                                               : std::vector<std::string>();
    for (const xmlNode* h1 : survey.headings()) {
        const std::string text = TextOf(h1);
        if (!text.empty() && (parts.empty() || NamesPage(Lower(text), parts))) {
            return ReadWith(article, h1) ? std::string() : text;
        }
    }
    if (parts.empty()) {
        return {};
    }
    // Without an <h1> to tell, the first part, unless it is a single word beside longer ones.
    if (parts.size() == 1 || WordCount(parts.front()) >= 2) {
        return parts.front();
    }
    return *std::max_element(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
        return WordCount(a) < WordCount(b);
    });
}

// The title to read before the article: none when the article's first heading already says it.
std::string Title(const Survey& survey, const HtmlArticle& article, const xmlNode* firstHeading) {
    std::string title = PageTitle(survey, article);
    if (firstHeading != nullptr && Lower(TextOf(firstHeading)) == Lower(title)) {
        title.clear();
    }
    return title;
}

// Inside the article: what a reader view leaves out.
bool LeftOut(const Figures& figures) {
    if (figures.furniture) {
        return true;
    }
    // A list or a block of several links with little else: a menu or a list of other articles.
    const std::string_view name = Name(figures.node);
    const bool listLike =
        name == "ul" || name == "ol" || name == "div" || name == "section" || name == "dl";
    return listLike && figures.links >= 3 && figures.prose == 0 &&
           figures.link * 10 > figures.text * 6;
}

// The page's own <article> below the one chosen, when it holds nearly all of its running text:
// what the page marks as its article is more likely to end where the article ends (before the
// comments and other stories that no class name gave away).
std::size_t OwnArticle(const std::vector<Figures>& all, std::size_t chosen) {
    std::size_t own = kNone;
    std::vector<bool> inOwn(all.size(), false);
    for (std::size_t i = chosen + 1;
         i < all.size() && all[i].parent != kNone && all[i].parent >= chosen; ++i) {
        inOwn[i] = inOwn[all[i].parent];
        // An article inside the article (a quoted post, a card) is part of it.
        if (!IsElement(all[i].node, "article") || inOwn[i]) {
            continue;
        }
        if (own != kNone) {
            return chosen;  // a page of several articles
        }
        own = i;
        inOwn[i] = true;
    }
    return own != kNone && static_cast<double>(all[own].prose) >=
                               kOwnArticleProse * static_cast<double>(all[chosen].prose)
               ? own
               : chosen;
}

}  // namespace

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
HtmlArticle FindHtmlArticle(const xmlNode* document) {
    HtmlArticle article;
    article.root = document;
    Survey survey;
    survey.run(document);
    const std::vector<Figures>& all = survey.figures();

    std::size_t best = kNone;
    std::vector<bool> inFurniture(all.size(), false);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::size_t parent = all[i].parent;
        if (all[i].neverRead) {
            article.skipped.insert(all[i].node);
        }
        inFurniture[i] = all[i].furniture || (parent != kNone && inFurniture[parent]);
        // Ties go to the deeper element: it holds the same with less around it.
        if (!inFurniture[i] && all[i].block &&
            (best == kNone || Score(all[i]) >= Score(all[best]))) {
            best = i;
        }
    }
    // An article is made of paragraphs: a page whose best text is one paragraph (a text under a
    // picture, a page of short pieces) has no article standing out of it.
    if (best == kNone || all[best].prose < kMinArticle || all[best].own * 2 >= all[best].prose) {
        return article;
    }
    const auto text = static_cast<double>(all[best].text);
    if (text >= kWholeShare * static_cast<double>(survey.total()) &&
        static_cast<double>(all[best].prose) >= kDocumentProse * text) {
        return article;
    }
    best = OwnArticle(all, best);
    article.root = all[best].node;
    article.skipped.clear();
    // The elements below the article come after it in the survey, each after its parent.
    std::vector<bool> below(all.size(), false);
    below[best] = true;
    const xmlNode* firstHeading = nullptr;
    for (std::size_t i = best + 1;
         i < all.size() && all[i].parent != kNone && all[i].parent >= best; ++i) {
        if (!below[all[i].parent]) {
            continue;
        }
        if (LeftOut(all[i])) {
            article.skipped.insert(all[i].node);
            // The heading of what is left out ("Related", "More on this story") goes with it.
            const xmlNode* before = all[i].node->prev;
            while (before != nullptr && before->type != XML_ELEMENT_NODE &&
                   Weight(before->type == XML_TEXT_NODE ? NodeText(before) : "") == 0) {
                before = before->prev;
            }
            if (before != nullptr && before->type == XML_ELEMENT_NODE && IsHeading(Name(before))) {
                article.skipped.insert(before);
            }
        } else {
            below[i] = true;
            if (firstHeading == nullptr && IsHeading(Name(all[i].node))) {
                firstHeading = all[i].node;
            }
        }
    }
    for (const auto& [node, parent] : survey.unseen()) {
        if (parent != kNone && parent >= best && below[parent]) {
            article.skipped.insert(node);
        }
    }
    article.title = Title(survey, article, firstHeading);
    return article;
}

}  // namespace lexaro::documents
