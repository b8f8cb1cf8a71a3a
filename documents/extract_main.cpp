// SPDX-License-Identifier: GPL-2.0-or-later
// lexaro-extract FILE: the document's text on standard output, the outcome in the exit code
// (helper/protocol.h). `lexaro-extract --layout FILE.pdf`, for whoever tunes the PDF layout
// (documents/pdf_layout_params.h), prints what it found on each page and why in place of the text,
// confined in the same way. Runs as a child of the window process, so that whatever a third-party
// parser does with a hostile file costs a failed load, never the user's text. It reads FILE, then
// locks itself down (helper/lockdown.h) before a parser sees a byte: from there on it can only
// compute and write to standard output. What it asks of its platform is in documents/extract_io.h.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "documents/extract.h"
#include "documents/extract_io.h"
#include "helper/lockdown.h"
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

int Run(const std::vector<std::string>& argv) {
    const bool layout = argv.size() == 3 && argv[1] == "--layout";
    if (argv.size() != 2 && !layout) {
        return Exit(ExtractExit::Usage);
    }
    QuietFailures();
    if (argv[1] == "--sandbox-report") {
        const lexaro::helper::SandboxLayers layers = lexaro::helper::LockDown();
        const bool wrote = WriteAll(lexaro::helper::DescribeSandbox(layers));
        return Exit(!layers.sufficient() ? ExtractExit::NoSandbox
                    : wrote              ? ExtractExit::Ok
                                         : ExtractExit::Unreadable);
    }
    const std::string& path = argv.back();
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

// The text recogniser's OpenMP runtime takes its thread limit from the environment when it is
// loaded, before main; left alone it runs four threads a page, which made a page three times
// slower on two cores. So the helper starts itself again once with the limit set; the pages are
// its unit of parallel work. Where it cannot, it goes on as it is: slower, the same text.
void LimitRecognitionThreads([[maybe_unused]] char** argv) {
#if LEXARO_HAS_OCR && !defined(_WIN32)
    if (std::getenv("OMP_THREAD_LIMIT") == nullptr && setenv("OMP_THREAD_LIMIT", "1", 1) == 0) {
        execv("/proc/self/exe", argv);
    }
#endif
}

}  // namespace

int main(int argc, char** argv) {
    LimitRecognitionThreads(argv);
    // Nothing is left to flush (the text went out through write), and nothing at exit may need
    // a right the lock-down took: the sanitizers' leak check, for one, traces the process and
    // reads /proc. In-process tests and the fuzzers check the parsers for leaks instead.
    std::_Exit(Run(Arguments(argc, argv)));
}
