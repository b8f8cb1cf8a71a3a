// SPDX-License-Identifier: GPL-2.0-or-later
// Page images read with leptonica and recognised with tesseract (see ocr_text.h).

#include "documents/ocr_text.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <memory>
#include <unordered_set>

namespace lexaro::documents {

namespace {

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// The language data the reader recognises with, always installed with the program.
constexpr const char* kLanguage = "eng";

// The page images of `bytes` one by one: every directory of a TIFF, else the one image.
class PageImages {
public:
    explicit PageImages(std::string_view bytes)
        : data_(reinterpret_cast<const l_uint8*>(bytes.data())), size_(bytes.size()) {
        l_int32 format = IFF_UNKNOWN;
        if (size_ >= 12 && findFileFormatBuffer(data_, &format) == 0) {
            tiff_ = L_FORMAT_IS_TIFF(format);
        }
    }

    // The next page, or null after the last one or at an image leptonica cannot decode (damaged()).
    PixPtr next() {
        if (done_) {
            return nullptr;
        }
        PixPtr pix;
        if (tiff_) {
            pix.reset(pixReadMemFromMultipageTiff(data_, size_, &offset_));
            done_ = offset_ == 0;  // leptonica's sign of the last directory
            // Each call opens the file anew, so libtiff cannot see a chain of directories that
            // leads back to one already read: that would be read again and again.
            if (!done_ && !seen_.insert(offset_).second) {
                pix.reset();
            }
        } else {
            pix.reset(pixReadMem(data_, size_));
            done_ = true;
        }
        damaged_ = pix == nullptr;
        done_ = done_ || damaged_;
        return pix;
    }

    [[nodiscard]] bool damaged() const { return damaged_; }

private:
    const l_uint8* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    std::unordered_set<std::size_t> seen_;  // the directories read, by their offsets
    bool tiff_ = false;
    bool done_ = false;
    bool damaged_ = false;
};

std::vector<RecognisedWord> RecogniseWords(tesseract::TessBaseAPI& api) {
    std::vector<RecognisedWord> words;
    if (api.Recognize(nullptr) != 0) {
        return words;
    }
    const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it == nullptr) {
        return words;
    }
    constexpr auto kWord = tesseract::RIL_WORD;
    do {
        const std::unique_ptr<char[]> text(it->GetUTF8Text(kWord));
        RecognisedWord word;
        if (text == nullptr ||
            !it->BoundingBox(kWord, &word.left, &word.top, &word.right, &word.bottom)) {
            continue;
        }
        word.text = text.get();
        words.push_back(std::move(word));
    } while (it->Next(kWord));
    return words;
}

}  // namespace

struct PageRecogniser::Engine {
    tesseract::TessBaseAPI api;
    bool started = false;
    bool failed = false;

    bool start() {
        if (!started && !failed) {
            failed = api.Init(LEXARO_TESSDATA_DIR, kLanguage, tesseract::OEM_LSTM_ONLY) != 0;
            started = !failed;
            // Page segmentation as for a page of a book: columns, blocks and lines found, no
            // orientation detection (which would need the osd data as well).
            api.SetPageSegMode(tesseract::PSM_AUTO);
        }
        return started;
    }

    std::vector<PdfWord> words(int dpi) {
        api.SetSourceResolution(ScanDpi(dpi));
        std::vector<PdfWord> found = PageWordsInPoints(RecogniseWords(api), dpi);
        api.Clear();
        return found;
    }
};

PageRecogniser::PageRecogniser() : engine_(std::make_unique<Engine>()) {}
PageRecogniser::~PageRecogniser() = default;

std::vector<PdfWord> PageRecogniser::grayPage(const unsigned char* pixels, int width, int height,
                                              int stride, int dpi) {
    if (pixels == nullptr || width <= 0 || height <= 0 || !engine_->start()) {
        return {};
    }
    engine_->api.SetImage(pixels, width, height, 1, stride);
    return engine_->words(dpi);
}

ExtractExit ImageText(std::string_view bytes, TextSink& sink) {
    // Leptonica tells of every file it cannot decode on standard error; the exit code says it.
    setMsgSeverity(L_SEVERITY_NONE);
    PageImages images(bytes);
    PixPtr page = images.next();
    if (page == nullptr) {
        return ExtractExit::Damaged;
    }
    PageRecogniser::Engine engine;
    if (!engine.start()) {
        return ExtractExit::NotSupported;  // the language data is missing
    }
    PdfLayout layout;
    bool anyText = false;
    for (; page != nullptr && layout.size() <= sink.limit(); page = images.next()) {
        const int dpi = pixGetXRes(page.get());
        engine.api.SetImage(page.get());
        const std::vector<PdfWord> words = engine.words(dpi);
        anyText = anyText || !words.empty();
        layout.addPage(words, PageHeightInPoints(pixGetHeight(page.get()), dpi));
    }
    if (images.damaged()) {
        return ExtractExit::Damaged;  // a page that cannot be decoded: the text would have a hole
    }
    if (!anyText) {
        return ExtractExit::NoText;
    }
    sink.appendLines(layout.text());
    return ExtractExit::Ok;
}

}  // namespace lexaro::documents
