#include "documents/ocr_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if LEXARO_HAS_DJVU
#include "documents/djvu_text.h"
#endif
#include "documents/extract.h"
#include "documents/pdf_text.h"
#include "tests/documents/fixtures.h"
#include "tests/support/word_scores.h"

namespace lexaro::documents {
namespace {

std::string Slurp(const std::string& name) {
    std::ifstream file(std::string(LEXARO_DOCUMENT_DATA_DIR "/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

using test::Order;
using test::Recall;
using test::Words;

// The threads of this process now (Linux).
std::size_t ThreadsNow() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoul(line.substr(8));
        }
    }
    return 0;
}

struct ScanCase {
    const char* name;
    ExtractExit (*reader)(std::string_view, TextSink&);
    const char* image;
    const char* text;  // what the image was made from (tests/documents/data/make_scans.sh)
    std::size_t paragraphs;
    std::size_t pages;
};

class Scans : public testing::TestWithParam<ScanCase> {};

// A page read whole and in order; on the TIFF, whose pages are recognised on two threads, the
// paragraph cut by the page break reads on across it, so its two pages make two paragraphs, not
// three. Progress is told from none to all of the pages. Each recogniser works on its own thread
// alone: tesseract's own threads (four a page) would make a page three times slower on two cores.
TEST_P(Scans, ReadsTheTextTheImageWasMadeFrom) {
    std::vector<std::pair<std::size_t, std::size_t>> told;
    const std::size_t threadsBefore = ThreadsNow();
    std::size_t mostThreads = 0;
    RecognitionSettings settings;
    settings.threads = 2;
    settings.progress = [&told, &mostThreads](std::size_t done, std::size_t total) {
        told.emplace_back(done, total);
        mostThreads = std::max(mostThreads, ThreadsNow());
    };
    SetRecognitionSettings(std::move(settings));
    TextSink sink;
    const ExtractExit exit = GetParam().reader(Slurp(GetParam().image), sink);
    SetRecognitionSettings({});
    ASSERT_EQ(exit, ExtractExit::Ok);
    EXPECT_LE(mostThreads, threadsBefore + 2 + 1);  // the recognisers, and DjVu's decoder
    const std::size_t pages = GetParam().pages;
    ASSERT_EQ(told.size(), pages + 1);
    EXPECT_EQ(told.front(), std::make_pair(std::size_t{0}, pages));
    EXPECT_EQ(told.back(), std::make_pair(pages, pages));
    const std::string text = sink.text();
    const std::vector<std::string> reference = Words(Slurp(GetParam().text));
    const std::vector<std::string> read = Words(text);
    EXPECT_GE(Recall(reference, read), 0.95) << text;
    EXPECT_GE(Order(reference, read), 0.97) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n') + 1,
              static_cast<std::ptrdiff_t>(GetParam().paragraphs))
        << text;
}

const ScanCase kScanCases[] = {
    {"Png", ImageText, "scan.png", "scan_png.txt", 1, 1},
    {"Tiff", ImageText, "scan.tif", "scan_tif.txt", 2, 2},
    {"Webp", ImageText, "scan.webp", "scan_png.txt", 1, 1},
#if LEXARO_HAS_DJVU
    // A DjVu page without a text layer is drawn and recognised like a scan.
    {"DjvuWithoutTextLayer", DjvuText, "scanned.djvu", "scan_png.txt", 1, 1},
#endif
};

INSTANTIATE_TEST_SUITE_P(Ocr, Scans, testing::ValuesIn(kScanCases),
                         [](const testing::TestParamInfo<ScanCase>& p) {
                             return std::string(p.param.name);
                         });

// A PDF page without a text layer is drawn and recognised, between typeset pages, in order; a
// page with no words drawn on it still leaves a PDF without text.
TEST(Ocr, ReadsScannedPagesOfAPdfAmongTypesetOnes) {
    fixtures::PdfPage scan;
    scan.scanJpeg = Slurp("scan.jpg");
    scan.scanWidth = 2256;  // as make_scans.sh made it
    scan.scanHeight = 436;
    const auto typeset = [](const char* line) {
        fixtures::PdfPage page;
        page.texts.push_back({72, 720, line});
        return page;
    };
    const std::string pdf =
        fixtures::PdfBytes({typeset("Typeset first page."), scan, typeset("Typeset last page.")});
    const ExtractResult mixed = ExtractDocument(pdf, "mixed.pdf");
    ASSERT_EQ(mixed.status, ExtractExit::Ok);
    const std::vector<std::string> read = Words(mixed.text);
    const std::vector<std::string> scanned = Words(Slurp("scan_jpg.txt"));
    std::vector<std::string> reference{"Typeset", "first", "page."};
    reference.insert(reference.end(), scanned.begin(), scanned.end());
    reference.insert(reference.end(), {"Typeset", "last", "page."});
    EXPECT_GE(Recall(reference, read), 0.95) << mixed.text;
    EXPECT_GE(Order(reference, read), 0.97) << mixed.text;
    EXPECT_TRUE(mixed.text.starts_with("Typeset first page.\n")) << mixed.text;
    EXPECT_TRUE(mixed.text.ends_with("\nTypeset last page.")) << mixed.text;

    EXPECT_EQ(ExtractDocument(fixtures::ImageOnlyPdfBytes(2), "scan.pdf").status,
              ExtractExit::NoText);
}

// `tiff` (little-endian) with its last directory leading back to its first.
std::string LoopedTiff(std::string tiff) {
    const auto at = [&tiff](std::size_t offset, std::size_t size) {
        std::size_t value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = (value << 8) | static_cast<unsigned char>(tiff.at(offset + i));
        }
        return value;
    };
    const std::size_t first = at(4, 4);
    std::size_t link = 0;
    for (std::size_t directory = first; directory != 0; directory = at(link, 4)) {
        link = directory + 2 + 12 * at(directory, 2);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        tiff.at(link + i) = static_cast<char>((first >> (8 * i)) & 0xFF);
    }
    return tiff;
}

TEST(Ocr, TellsAnImageWithoutWordsAndOneThatIsNoImage) {
    const std::string png = Slurp("scan.png");
    const std::string tiff = Slurp("scan.tif");
    const struct {
        std::string bytes;
        ExtractExit exit;
    } cases[] = {
        {Slurp("blank.png"), ExtractExit::NoText},
        {png.substr(0, png.size() / 2), ExtractExit::Damaged},
        // The first page whole, the second cut: no text with a page missing.
        {tiff.substr(0, tiff.size() * 3 / 4), ExtractExit::Damaged},
        {"\x89PNG not really", ExtractExit::Damaged},
        // Pages that would come round for ever.
        {LoopedTiff(tiff), ExtractExit::Damaged},
    };
    for (const auto& c : cases) {
        TextSink sink;
        EXPECT_EQ(ImageText(c.bytes, sink), c.exit) << c.bytes.size();
    }
}

// Boxes in pixels become points at the image's resolution, or at 300 dots an inch where the image
// gives none or one no scan has.
TEST(Ocr, MeasuresWordsInPointsAtTheImagesResolution) {
    const std::vector<RecognisedWord> words{{"one", 300, 600, 450, 660}, {" ", 0, 0, 9, 9}};
    const struct {
        int dpi;
        double scale;
    } cases[] = {{300, 72.0 / 300},
                 {150, 72.0 / 150},
                 {0, 72.0 / 300},
                 {1, 72.0 / 300},
                 {100000, 72.0 / 300}};
    for (const auto& c : cases) {
        const std::vector<PdfWord> points = PageWordsInPoints(words, c.dpi);
        ASSERT_EQ(points.size(), 1U) << c.dpi;
        EXPECT_DOUBLE_EQ(points[0].left, 300 * c.scale);
        EXPECT_DOUBLE_EQ(points[0].bottom, 660 * c.scale);
        EXPECT_DOUBLE_EQ(PageHeightInPoints(3300, c.dpi), 3300 * c.scale);
    }
}

// Pages finished out of order on several threads come back in their slots' order, each counted
// once as done; pages too large to be in hand together are taken one at a time, not refused.
TEST(Ocr, RecognisesPagesOnThreadsAndKeepsTheirOrder) {
    static constexpr std::size_t kPages = 9;
    std::vector<std::size_t> done;
    RecognitionSettings settings;
    settings.threads = 3;
    settings.progress = [&done](std::size_t count, std::size_t total) {
        EXPECT_EQ(total, kPages);
        done.push_back(count);
    };
    SetRecognitionSettings(std::move(settings));
    std::vector<std::vector<PdfWord>> pages;
    {
        PageRecognisers recognisers(kPages);
        for (std::size_t slot = 0; slot < kPages; ++slot) {
            // The later pages finish first; every third page alone fills the memory allowed.
            const std::size_t pixels = slot % 3 == 0 ? std::size_t{150'000'000} : 1000;
            recognisers.add(slot, pixels, [slot](PageRecogniser& /*recogniser*/) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2 * (kPages - slot)));
                return std::vector<PdfWord>{{std::to_string(slot), 0, 0, 1, 1, true, true}};
            });
        }
        pages = recognisers.finish();
    }
    SetRecognitionSettings({});
    ASSERT_EQ(pages.size(), kPages);
    for (std::size_t slot = 0; slot < kPages; ++slot) {
        ASSERT_EQ(pages[slot].size(), 1U);
        EXPECT_EQ(pages[slot][0].text, std::to_string(slot));
    }
    const std::vector<std::size_t> expected{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(done, expected);
}

// The language asked for, else the document's, else the locale's with English, else English;
// never one whose data is missing, and one asked for that is missing is named.
TEST(Ocr, ChoosesInstalledLanguagesOrNamesTheMissingOne) {
    const std::vector<std::string> some{"deu", "eng", "fra"};
    const struct {
        const char* requested;
        const char* document;
        const char* locale;
        std::vector<std::string> installed;
        const char* languages;
        const char* missing;
    } cases[] = {
        {"deu+eng", "fr", "fr_FR.UTF-8", some, "deu+eng", ""},
        {"deu+spa", "", "", some, "", "spa"},
        {"", "de-DE", "fr_FR.UTF-8", some, "deu", ""},
        {"", "DE", "C", some, "deu", ""},
        {"", "es-ES", "fr_FR.UTF-8", some, "fra+eng", ""},  // no Spanish data: the locale's
        {"", "", "de_AT.UTF-8@euro", some, "deu+eng", ""},
        {"", "", "en_GB.UTF-8", some, "eng", ""},
        {"", "", "zh_TW.UTF-8", {"chi_sim", "chi_tra", "eng"}, "chi_tra+eng", ""},
        {"", "x-klingon", "POSIX", some, "eng", ""},
        {"", "", "", {}, "", "eng"},
    };
    for (const auto& c : cases) {
        const LanguageChoice choice =
            ChooseLanguages(c.requested, c.document, c.locale, c.installed);
        EXPECT_EQ(choice.languages, c.languages) << c.requested << c.document << c.locale;
        EXPECT_EQ(choice.missing, c.missing) << c.requested << c.document << c.locale;
    }

    RecognitionSettings settings;
    settings.requested = "deu_not_installed";
    std::string missing;
    settings.missing = [&missing](const std::string& data) { missing = data; };
    SetRecognitionSettings(std::move(settings));
    TextSink sink;
    const ExtractExit exit = ImageText(Slurp("scan.png"), sink);
    SetRecognitionSettings({});
    EXPECT_EQ(exit, ExtractExit::NoLanguageData);
    EXPECT_EQ(missing, "deu_not_installed");
}

TEST(Ocr, FindsTheLanguageInAPdfsCatalogue) {
    const struct {
        const char* bytes;
        const char* tag;
    } cases[] = {
        {"1 0 obj\n<< /Type /Catalog /Pages 2 0 R /Lang (de-DE) >>\nendobj", "de-DE"},
        {"1 0 obj<</Lang(fr)/Type/Catalog>>endobj", "fr"},
        {"1 0 obj << /Type /Catalog /Lang <6465> >> endobj", ""},  // a hex string: not read
        {"1 0 obj << /Type /Catalog >> endobj 2 0 obj << /Lang (de) >> endobj", ""},
        {"1 0 obj << /Type /Catalog /Lang (de\\) x) >> endobj", "de"},
        {"/Type /Catalog /Lang (de)", ""},  // no object around it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PdfCatalogueLanguage(c.bytes), c.tag) << c.bytes;
    }
}

}  // namespace
}  // namespace lexaro::documents
