// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Kindle books: MOBI (and PRC, its Palm name), and AZW3 (KF8), read with libmobi. A KF8 book (or
// the KF8 half of a hybrid file) is a set of XHTML parts in reading order; an old MOBI is one HTML
// document. Either way each part is read as a page of HTML, as an EPUB's chapters are, so notes
// follow the same rule. A book encrypted for its buyer's reader is DrmProtected, never Damaged.

#include <string_view>

#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit MobiText(std::string_view bytes, TextSink& sink);

}  // namespace lexaro::documents
