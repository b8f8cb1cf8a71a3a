// SPDX-License-Identifier: GPL-2.0-or-later
// A build without libgsf (the Windows cross build, until it builds libgsf and GLib): no .doc.

#include "documents/doc_text.h"

namespace lexaro::documents {

ExtractExit DocText(std::string_view /*bytes*/, TextSink& /*sink*/) {
    return ExtractExit::NotSupported;
}

}  // namespace lexaro::documents
