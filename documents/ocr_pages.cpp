// SPDX-License-Identifier: GPL-2.0-or-later
// Pages recognised on several threads, in their order (see ocr_text.h).

#ifdef __linux__
#include <sched.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "documents/ocr_text.h"
#include "helper/ocr_languages.h"

namespace lexaro::documents {

namespace {

RecognitionSettings& Settings() {
    static RecognitionSettings settings;
    return settings;
}

// The most pixels of pages waiting or being recognised at once: two pages of the largest size
// the helper draws (10000 pixels a side). Two such pages, recognised at once, took 1.0 GB of the
// helper's 2 GiB of address space; a book's page at 300 dpi has 8.4 million pixels, so this
// never holds back the threads on a book.
constexpr std::size_t kMostPixelsInHand = std::size_t{2} * 10000 * 10000;

}  // namespace

void SetRecognitionSettings(RecognitionSettings settings) {
    Settings() = std::move(settings);
}

const RecognitionSettings& CurrentRecognitionSettings() {
    return Settings();
}

std::string& Chosen() {
    static std::string languages = "eng";
    return languages;
}

LanguageChoice ChooseLanguages(std::string_view requested, std::string_view documentTag,
                               std::string_view locale, const std::vector<std::string>& installed) {
    const auto has = [&installed](std::string_view data) {
        return std::find(installed.begin(), installed.end(), data) != installed.end();
    };
    if (!requested.empty()) {
        for (std::size_t start = 0; start <= requested.size();) {
            const std::size_t plus = std::min(requested.find('+', start), requested.size());
            if (const std::string_view name = requested.substr(start, plus - start); !has(name)) {
                return {{}, std::string(name)};
            }
            start = plus + 1;
        }
        return {std::string(requested), {}};
    }
    if (const std::string data = helper::LanguageDataForTag(documentTag); has(data)) {
        return {data, {}};
    }
    // A locale's language says less of a document than its own metadata: English comes too.
    if (const std::string data = helper::LanguageDataForTag(locale); has(data) && data != "eng") {
        return {has("eng") ? data + "+eng" : data, {}};
    }
    return has("eng") ? LanguageChoice{"eng", {}} : LanguageChoice{{}, "eng"};
}

bool UseLanguagesFor(std::string_view documentTag) {
    RecognitionSettings& settings = Settings();
    if (settings.installed.empty()) {
        settings.installed = InstalledLanguageData();
    }
    const LanguageChoice choice =
        ChooseLanguages(settings.requested, documentTag, settings.locale, settings.installed);
    if (!choice.missing.empty()) {
        if (settings.missing) {
            settings.missing(choice.missing);
        }
        return false;
    }
    Chosen() = choice.languages;
    return true;
}

const std::string& CurrentLanguages() {
    return Chosen();
}

unsigned UsableCores() {
#ifdef __linux__
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
        return static_cast<unsigned>(std::max(1, CPU_COUNT(&cores)));
    }
#endif
    return std::max(1U, std::thread::hardware_concurrency());
}

struct PageRecognisers::Shared {
    std::mutex lock;
    std::condition_variable changed;
    struct Page {
        std::size_t slot;
        std::size_t pixels;
        Work work;
    };
    std::deque<Page> waiting;
    std::size_t pixelsInHand = 0;  // of the pages waiting and being recognised
    std::vector<std::vector<PdfWord>> pages;
    std::size_t total = 0;
    std::size_t done = 0;
    std::size_t busy = 0;        // threads recognising a page
    std::exception_ptr failure;  // the first thing a page threw (out of memory)
    bool closed = false;         // no more work comes
    std::vector<std::thread> threads;

    // Called with `lock` held.
    void countDone() {
        ++done;
        if (Settings().progress) {
            Settings().progress(std::min(done, total), total);
        }
    }
};

PageRecognisers::PageRecognisers(std::size_t pages) : shared_(std::make_unique<Shared>()) {
    shared_->total = pages;
    if (pages > 0 && Settings().progress) {
        Settings().progress(0, pages);  // the window learns at once that pages are recognised
    }
}

PageRecognisers::~PageRecognisers() {
    {
        const std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->closed = true;
        shared_->waiting.clear();
    }
    shared_->changed.notify_all();
    for (std::thread& thread : shared_->threads) {
        thread.join();
    }
}

void PageRecognisers::run() {
    PageRecogniser recogniser;  // its language data loaded on its first page, on this thread
    std::unique_lock<std::mutex> hold(shared_->lock);
    for (;;) {
        shared_->changed.wait(hold,
                              [this] { return shared_->closed || !shared_->waiting.empty(); });
        if (shared_->waiting.empty()) {
            return;
        }
        auto [slot, pixels, work] = std::move(shared_->waiting.front());
        shared_->waiting.pop_front();
        shared_->changed.notify_all();  // room for one more page
        ++shared_->busy;
        hold.unlock();
        std::vector<PdfWord> words;
        std::exception_ptr failure;
        try {
            words = work(recogniser);
        } catch (...) {
            failure = std::current_exception();
        }
        work = nullptr;  // the page's image goes before the next one is drawn
        hold.lock();
        --shared_->busy;
        shared_->pixelsInHand -= pixels;
        shared_->changed.notify_all();  // room for a large page
        if (failure && !shared_->failure) {
            shared_->failure = failure;
        }
        if (shared_->pages.size() <= slot) {
            shared_->pages.resize(slot + 1);
        }
        shared_->pages[slot] = std::move(words);
        shared_->countDone();
    }
}

void PageRecognisers::add(std::size_t slot, std::size_t pixels, Work work) {
    const std::size_t threads = std::max(1U, Settings().threads);
    std::unique_lock<std::mutex> hold(shared_->lock);
    // A thread starts only when there is a page for it, so a document with one scanned page
    // loads one copy of the language data.
    if (shared_->threads.size() < threads &&
        shared_->waiting.size() + shared_->busy >= shared_->threads.size()) {
        shared_->threads.emplace_back([this] { run(); });
    }
    shared_->changed.wait(hold, [&] {
        return shared_->waiting.size() < threads &&
               (shared_->pixelsInHand == 0 || shared_->pixelsInHand + pixels <= kMostPixelsInHand);
    });
    shared_->pixelsInHand += pixels;
    shared_->waiting.push_back({slot, pixels, std::move(work)});
    shared_->changed.notify_all();
}

void PageRecognisers::skip() {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->countDone();
}

std::vector<std::vector<PdfWord>> PageRecognisers::finish() {
    {
        const std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->closed = true;
    }
    shared_->changed.notify_all();
    for (std::thread& thread : shared_->threads) {
        thread.join();
    }
    shared_->threads.clear();
    if (shared_->failure) {
        std::rethrow_exception(shared_->failure);
    }
    return std::move(shared_->pages);
}

}  // namespace lexaro::documents
