// SPDX-License-Identifier: GPL-2.0-or-later
// lexaro-extract FILE: the document's text on standard output, the outcome in the exit code
// (helper/protocol.h). `lexaro-extract --layout FILE.pdf`, for whoever tunes the PDF layout
// (documents/pdf_layout_params.h), prints what it found on each page and why in place of the text,
// confined in the same way. Runs as a child of the window process, so that whatever a third-party
// parser does with a hostile file costs a failed load, never the user's text. It reads FILE, then
// locks itself down (helper/lockdown.h) before a parser sees a byte: from there on it can only
// compute and write to standard output. What it asks of its platform is in documents/extract_io.h.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "documents/extract.h"
#include "documents/extract_io.h"
#include "documents/ocr_text.h"
#include "helper/lockdown.h"
#include "helper/progress.h"
#include "helper/protocol.h"

#if LEXARO_HAS_OCR && !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

using lexaro::ExtractExit;
using lexaro::documents::Arguments;
using lexaro::documents::QuietFailures;
using lexaro::documents::ReadFile;
using lexaro::documents::WriteAll;

int Exit(ExtractExit code) {
    return static_cast<int>(code);
}

// The command line's options (helper/protocol.h), before the file.
struct Options {
    bool layout = false;
    bool progress = false;
    std::string languages;  // --ocr-language, checked to be names joined by '+'
};

bool LanguageList(std::string_view list) {
    constexpr std::size_t kLongest = 200;
    return !list.empty() && list.size() <= kLongest && list.front() != '+' && list.back() != '+' &&
           list.find("++") == std::string_view::npos &&
           std::all_of(list.begin(), list.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-' || c == '+';
           });
}

bool ParseOptions(const std::vector<std::string>& argv, Options& options) {
    constexpr std::string_view kLanguage = "--ocr-language=";
    for (std::size_t i = 1; i + 1 < argv.size(); ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--layout") {
            options.layout = true;
        } else if (arg == "--progress") {
            options.progress = true;
        } else if (arg.starts_with(kLanguage) && LanguageList(arg.substr(kLanguage.size()))) {
            options.languages = arg.substr(kLanguage.size());
        } else {
            return false;
        }
    }
    return argv.size() >= 2;
}

// Writes a progress line (helper/progress.h) on standard error; its lock keeps lines whole.
void ReportProgress(std::size_t done, std::size_t total) {
    const std::string line = lexaro::helper::ProgressLine(
        {static_cast<std::uint32_t>(done), static_cast<std::uint32_t>(total)});
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// Names the language data a document needed and did not find, on standard error.
void ReportMissing(const std::string& data) {
    const std::string line = lexaro::helper::MissingLanguageLine(data);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The user's language as POSIX orders the variables: LC_ALL, LC_MESSAGES, LANG.
std::string Locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

// How text recognition runs here: on as many threads as the helper has cores, at most
// kMostThreads (each recogniser holds its own copy of the language data, and the helper's memory
// is limited), in the languages asked for or else those the document and the locale suggest,
// among the language data installed, which is listed now, before the lock-down.
void SetUpRecognition(const Options& options) {
    constexpr unsigned kMostThreads = 4;
    lexaro::documents::RecognitionSettings settings;
    settings.threads = std::clamp(lexaro::documents::UsableCores(), 1U, kMostThreads);
    settings.requested = options.languages;
    settings.locale = Locale();
    settings.installed = lexaro::documents::InstalledLanguageData();
    if (options.progress) {
        settings.progress = ReportProgress;
        settings.missing = ReportMissing;
    }
    lexaro::documents::SetRecognitionSettings(std::move(settings));
}

int Run(const std::vector<std::string>& argv) {
    Options options;
    if (!ParseOptions(argv, options)) {
        return Exit(ExtractExit::Usage);
    }
    const bool layout = options.layout;
    QuietFailures();
    if (argv.size() == 2 && argv[1] == "--sandbox-report") {
        const lexaro::helper::SandboxLayers layers = lexaro::helper::LockDown();
        const bool wrote = WriteAll(lexaro::helper::DescribeSandbox(layers));
        return Exit(!layers.sufficient() ? ExtractExit::NoSandbox
                    : wrote              ? ExtractExit::Ok
                                         : ExtractExit::Unreadable);
    }
    const std::string& path = argv.back();
    SetUpRecognition(options);
    std::string bytes;
    const ExtractExit read = ReadFile(path, bytes);
    if (read != ExtractExit::Ok) {
        return Exit(read);
    }
#ifndef LEXARO_EXTRACT_UNCONFINED  // defined only in a benchmark's build, to measure the cost
    if (!lexaro::helper::LockDown().sufficient()) {
        return Exit(ExtractExit::NoSandbox);
    }
#endif
    const lexaro::documents::ExtractResult result =
        layout ? lexaro::documents::ExtractLayout(bytes, path)
               : lexaro::documents::ExtractDocument(bytes, path);
    if (layout && result.status == ExtractExit::NotSupported) {
        std::fputs("lexaro-extract: --layout shows the layout of PDFs only\n", stderr);
    }
    if (result.status != ExtractExit::Ok) {
        return Exit(result.status);
    }
    // The window cannot tell a cut-off text from a whole one: a failed write is a failed run.
    return Exit(WriteAll(result.text) ? ExtractExit::Ok : ExtractExit::Unreadable);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing is left to flush (the text went out through write), and nothing at exit may need
    // a right the lock-down took: the sanitizers' leak check, for one, traces the process and
    // reads /proc. In-process tests and the fuzzers check the parsers for leaks instead.
    std::_Exit(Run(Arguments(argc, argv)));
}
