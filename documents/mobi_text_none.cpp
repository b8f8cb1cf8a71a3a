// SPDX-License-Identifier: GPL-2.0-or-later
// A build without libmobi (the Windows cross build, until it builds libmobi): no Kindle books.

#include "documents/mobi_text.h"

namespace lexaro::documents {

ExtractExit MobiText(std::string_view /*bytes*/, TextSink& /*sink*/) {
    return ExtractExit::NotSupported;
}

}  // namespace lexaro::documents
