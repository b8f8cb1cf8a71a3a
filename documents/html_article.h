// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a reader view keeps of a web page: the article, without the menus, forms, share buttons,
// "Related" lists and edit links around and inside it, and the page's title once. A page that is
// a document (a standard, a book chapter) has no article standing out of it: it is read
// whole.
//
// The article is the element that holds the most running text (paragraphs of some length, not
// made of links) for the least other text (menus, lists of links, short lines): every element's
// figures are summed in one walk of the tree, so the choice takes linear time at any depth.

#include <libxml/tree.h>

#include <string>
#include <unordered_set>

namespace lexaro::documents {

struct HtmlArticle {
    // What to read: the article's element, or the whole document.
    const xmlNode* root = nullptr;
    // Elements below `root` not to read, each with all it holds (on a page read whole, only edit
    // links and notes' back links).
    std::unordered_set<const xmlNode*> skipped;
    // To read before the article; empty when the article shows it itself or the page is whole.
    std::string title;
};

// `document` is the node a walk of the parsed page starts from (DocumentNode).
[[nodiscard]] HtmlArticle FindHtmlArticle(const xmlNode* document);

}  // namespace lexaro::documents
