// SPDX-License-Identifier: GPL-2.0-or-later
// A build without tesseract and leptonica (the Windows cross build, until it builds them): no
// text recognition, so an image is not a document.

#include "documents/ocr_text.h"

namespace lexaro::documents {

struct PageRecogniser::Engine {};

std::vector<std::string> InstalledLanguageData() {
    return {};
}

PageRecogniser::PageRecogniser() = default;
PageRecogniser::~PageRecogniser() = default;

std::vector<PdfWord> PageRecogniser::grayPage(const unsigned char* /*pixels*/, int /*width*/,
                                              int /*height*/, int /*stride*/, int /*dpi*/) {
    return {};
}

ExtractExit ImageText(std::string_view /*bytes*/, TextSink& /*sink*/) {
    return ExtractExit::NotSupported;
}

}  // namespace lexaro::documents
