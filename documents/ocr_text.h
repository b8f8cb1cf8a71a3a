// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Scans and photos of pages (PNG, JPEG, TIFF with one page or many) read by text recognition:
// leptonica decodes each page image from memory, tesseract (with the English language data from
// the folder the build names, LEXARO_TESSDATA_DIR) finds its words with their boxes, and the words
// go through the PDF layout (documents/pdf_lines.h), so lines become paragraphs, hyphenated words
// are joined and running heads and page numbers dropped by the same rules as a PDF's. An image in
// which nothing is recognised is NoText; a build without tesseract answers NotSupported.
//
// Each recogniser runs on one thread: tesseract's OpenMP runtime is told so on each thread that
// recognises (ocr_text.cpp); on two cores its own threads made a page three times slower. The
// pages are the unit of parallel work instead: PageRecognisers runs one recogniser on each of a few
// threads and keeps the pages in their order.

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "documents/pdf_lines.h"
#include "documents/text_sink.h"
#include "helper/protocol.h"

namespace lexaro::documents {

[[nodiscard]] ExtractExit ImageText(std::string_view bytes, TextSink& sink);

// How the helper recognises text, set once before a document is read (documents/extract_main.cpp).
struct RecognitionSettings {
    // The language data asked for (`--ocr-language`, "deu+eng"); empty: chosen by the document's
    // language, else the locale's.
    std::string requested;
    // The user's locale as the environment gives it ("de_DE.UTF-8").
    std::string locale;
    // The language data installed ("deu", "eng"), listed before the lock-down; empty: listed when
    // first needed.
    std::vector<std::string> installed;
    // Threads that recognise pages at the same time.
    unsigned threads = 1;
    // Told DONE of TOTAL pages after each recognised page, from whichever thread recognised it,
    // never two at once; TOTAL pages are to be recognised in the document.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Told the language data a document needed that is not installed.
    std::function<void(const std::string& data)> missing;
};
void SetRecognitionSettings(RecognitionSettings settings);
[[nodiscard]] const RecognitionSettings& CurrentRecognitionSettings();

// The language data in the language data folder, by name ("eng"), orientation data left out.
[[nodiscard]] std::vector<std::string> InstalledLanguageData();

// The languages to recognise a document in: those asked for; else the document's own language
// (`documentTag`, "de-DE", as its metadata gives it) when its data is installed; else the locale's
// language with English; else English. Empty `missing` when every language chosen is installed;
// otherwise the first that is not, and no `languages`.
struct LanguageChoice {
    std::string languages;  // "deu+eng"
    std::string missing;    // "deu"
};
[[nodiscard]] LanguageChoice ChooseLanguages(std::string_view requested,
                                             std::string_view documentTag, std::string_view locale,
                                             const std::vector<std::string>& installed);

// Chooses the languages for a document of `documentTag` (empty when it says none) by the current
// settings, for the recognisers made from now on. False, with the missing data reported, when the
// languages asked for are not all installed.
[[nodiscard]] bool UseLanguagesFor(std::string_view documentTag);
// The languages chosen last; "eng" until then.
[[nodiscard]] const std::string& CurrentLanguages();

// The cores this process may run on (its affinity mask, which a container or `taskset` narrows),
// at least 1.
[[nodiscard]] unsigned UsableCores();

// Recognises page images one after another, the language data loaded once, on the first page.
// Without tesseract in the build, or without its language data, it finds no words.
class PageRecogniser {
public:
    PageRecogniser();
    ~PageRecogniser();
    PageRecogniser(const PageRecogniser&) = delete;
    PageRecogniser& operator=(const PageRecogniser&) = delete;

    // The words of a page drawn in 8-bit grey, `width` × `height` pixels with rows `stride`
    // bytes apart, at `dpi` pixels an inch: in points, as PageWordsInPoints gives them.
    [[nodiscard]] std::vector<PdfWord> grayPage(const unsigned char* pixels, int width, int height,
                                                int stride, int dpi);

    struct Engine;  // tesseract's, where the build has it
    [[nodiscard]] Engine& engine() { return *engine_; }

private:
    std::unique_ptr<Engine> engine_;
};

// Recognises pages on CurrentRecognitionSettings().threads threads, a recogniser each, while the
// caller draws the next pages: `add` gives it the work for one page (which calls the recogniser it
// is handed) and waits while a few pages are already waiting, so drawn pages never pile up in
// memory; `finish` waits for the last one and gives every page's words in the order of their
// slots. Pages of many pixels wait besides until those already in hand leave room: recognising a
// page takes memory in proportion to its pixels, and the helper's memory is limited. Progress is
// reported page by page against `pages`, the number of pages to come.
class PageRecognisers {
public:
    using Work = std::function<std::vector<PdfWord>(PageRecogniser&)>;
    explicit PageRecognisers(std::size_t pages);
    ~PageRecognisers();
    PageRecognisers(const PageRecognisers&) = delete;
    PageRecognisers& operator=(const PageRecognisers&) = delete;

    // `pixels`: the page image's width times its height.
    void add(std::size_t slot, std::size_t pixels, Work work);
    // A page that needs no recognition after all (a blank one): counted as done.
    void skip();
    [[nodiscard]] std::vector<std::vector<PdfWord>> finish();

private:
    struct Shared;
    void run();

    std::unique_ptr<Shared> shared_;
};

// A word as the recogniser reports it: its box in pixels of the page image, y growing downwards.
struct RecognisedWord {
    std::string text;  // UTF-8
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The resolution assumed for an image that does not tell its own, or tells one no scan has.
inline constexpr int kAssumedScanDpi = 300;

// `dpi` as an image file gives it (0 when it does not), or kAssumedScanDpi where that is not a
// scan's resolution.
[[nodiscard]] int ScanDpi(int dpi);

// A page's recognised words as the PDF layout takes them, in points at ScanDpi(dpi) pixels an
// inch. Blank words are left out.
[[nodiscard]] std::vector<PdfWord> PageWordsInPoints(std::span<const RecognisedWord> words,
                                                     int dpi);

// A page's height in points, by the same rule.
[[nodiscard]] double PageHeightInPoints(int pixels, int dpi);

// Lays out the pages' words (`heights` in points) and appends the text to `sink`: Ok, or
// `withoutWords` when no page had a word.
[[nodiscard]] ExtractExit WritePages(const std::vector<std::vector<PdfWord>>& words,
                                     const std::vector<double>& heights, TextSink& sink,
                                     ExtractExit withoutWords);

}  // namespace lexaro::documents
