// SPDX-License-Identifier: GPL-2.0-or-later
// Page images read with leptonica and recognised with tesseract (see ocr_text.h).

#include "documents/ocr_text.h"

#include <dlfcn.h>
#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <span>
#include <unordered_set>

namespace lexaro::documents {

namespace {

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// The directories (pages) of a classic TIFF, each counted once; 0 if it is not one.
std::size_t TiffDirectories(std::span<const l_uint8> tiff) {
    if (tiff.size() < 8 || (tiff[0] != 'I' && tiff[0] != 'M')) {
        return 0;
    }
    const bool little = tiff[0] == 'I';
    const auto at = [&](std::size_t offset, std::size_t size) {
        std::size_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value = (value << 8) | tiff[offset + (little ? size - 1 - i : i)];
        }
        return value;
    };
    if (at(2, 2) != 42) {
        return 0;  // BigTIFF, or no TIFF at all
    }
    std::unordered_set<std::size_t> seen;
    for (std::size_t directory = at(4, 4); directory != 0 && directory + 2 <= tiff.size();) {
        const std::size_t link = directory + 2 + 12 * at(directory, 2);
        if (link + 4 > tiff.size() || !seen.insert(directory).second) {
            break;
        }
        directory = at(link, 4);
    }
    return seen.size();
}

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

    // How many pages there are, as far as a walk through a TIFF's directories can tell (for the
    // progress report only: the pages themselves are what next() decodes).
    [[nodiscard]] std::size_t count() const {
        return tiff_ ? std::max<std::size_t>(TiffDirectories({data_, size_}), 1) : 1;
    }

private:
    const l_uint8* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    std::unordered_set<std::size_t> seen_;  // the directories read, by their offsets
    bool tiff_ = false;
    bool done_ = false;
    bool damaged_ = false;
};

// tesseract's OpenMP runtime (Debian builds it with libgomp) would run four threads of its own for
// a page, which made a page three times slower on two cores; the pages are the unit of parallel
// work here instead. Allowing no active parallel level makes every parallel region of the calling
// thread run on that thread alone. The setting belongs to the thread, so each recognising thread
// makes it; looked up by name, it costs nothing where tesseract was built without OpenMP.
void RecogniseOnThisThreadOnly() {
    using SetMaxActiveLevels = void (*)(int);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym's symbol is a function
    static const auto kSetMaxActiveLevels =
        reinterpret_cast<SetMaxActiveLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (kSetMaxActiveLevels != nullptr) {
        kSetMaxActiveLevels(0);
    }
}

std::vector<RecognisedWord> RecogniseWords(tesseract::TessBaseAPI& api) {
    std::vector<RecognisedWord> words;
    RecogniseOnThisThreadOnly();
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
            failed = api.Init(LEXARO_TESSDATA_DIR, CurrentLanguages().c_str(),
                              tesseract::OEM_LSTM_ONLY) != 0;
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

std::vector<std::string> InstalledLanguageData() {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(LEXARO_TESSDATA_DIR, error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() == ".traineddata" && path.stem() != "osd") {
            found.push_back(path.stem().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

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
    if (!UseLanguagesFor({})) {
        return ExtractExit::NoLanguageData;  // an image says nothing of its language
    }
    PageImages images(bytes);
    std::vector<double> heights;
    std::vector<std::vector<PdfWord>> words;
    {
        // Each page is decoded only when a thread is ready for it, so a long TIFF never lies
        // in memory whole.
        PageRecognisers recognisers(images.count());
        for (PixPtr next = images.next(); next != nullptr; next = images.next()) {
            std::shared_ptr<Pix> page(next.release(), PixDeleter());
            const int dpi = pixGetXRes(page.get());
            heights.push_back(PageHeightInPoints(pixGetHeight(page.get()), dpi));
            const std::size_t pixels = static_cast<std::size_t>(pixGetWidth(page.get())) *
                                       static_cast<std::size_t>(pixGetHeight(page.get()));
            recognisers.add(heights.size() - 1, pixels,
                            [page = std::move(page), dpi](PageRecogniser& recogniser) {
                                PageRecogniser::Engine& engine = recogniser.engine();
                                if (!engine.start()) {
                                    return std::vector<PdfWord>();
                                }
                                engine.api.SetImage(page.get());
                                return engine.words(dpi);
                            });
        }
        if (images.damaged()) {
            return ExtractExit::Damaged;  // a page that cannot be decoded: the text would have a
                                          // hole
        }
        words = recognisers.finish();
    }
    return WritePages(words, heights, sink, ExtractExit::NoText);
}

}  // namespace lexaro::documents
