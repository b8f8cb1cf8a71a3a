// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The text a person sees when an HTML or XHTML document is shown in a browser, in reading order:
// every block element and every <br> ends a line; nothing from the head, scripts, styles,
// templates, <noscript>, comments or elements marked hidden; entities decoded; image
// descriptions left out. Lines inside <pre> stay lines.

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

// All a page shows (an EPUB's chapter), or only its article, as a reader view shows a web page
// (see html_article.h).
enum class HtmlView { Page, Article };

// Appends the document's text to `sink`; Damaged when libxml2 cannot make a document of it.
[[nodiscard]] ExtractExit HtmlText(std::string_view bytes, TextSink& sink,
                                   HtmlView view = HtmlView::Page);

}  // namespace lexaro::documents
