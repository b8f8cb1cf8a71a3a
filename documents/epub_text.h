// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An EPUB (2 or 3): META-INF/container.xml names the package document; its spine lists the
// reading order. Every linear spine item that is XHTML or HTML is read as HTML, in that order;
// items marked linear="no" (covers, pop-up notes) are left out, and the navigation document only
// counts where the spine lists it. A spine item the book's encryption.xml lists (DRM) makes the
// book Encrypted rather than a page of noise.

#include <optional>
#include <string>
#include <string_view>

#include "documents/text_sink.h"
#include "documents/zip_archive.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit EpubText(ZipArchive& zip, TextSink& sink);

// The archive path an href in the document at `base` (an archive path) points to: relative to
// base's folder, percent-decoded, without its fragment, "." and ".." resolved. Nothing for an
// href with a scheme (http:, data:, ...) or one climbing out of the archive.
[[nodiscard]] std::optional<std::string> ResolveHref(std::string_view base, std::string_view href);

}  // namespace lexaro::documents
