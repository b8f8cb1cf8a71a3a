// SPDX-License-Identifier: GPL-2.0-or-later
// A build without djvulibre (the Windows cross build, until it builds djvulibre): no DjVu.

#include "documents/djvu_text.h"

namespace lexaro::documents {

ExtractExit DjvuText(std::string_view /*bytes*/, TextSink& /*sink*/) {
    return ExtractExit::NotSupported;
}

}  // namespace lexaro::documents
