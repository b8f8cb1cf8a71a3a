// lexaro-extract FILE: the document's text on standard output, the outcome in the exit code
// (helper/protocol.h). Runs as a child of the window process, so that whatever a third-party
// parser does with a hostile file costs a failed load, never the user's text. It reads FILE, then
// locks itself down (helper/lockdown.h) before a parser sees a byte: from there on it can only
// compute and write to standard output. What it asks of its platform is in documents/extract_io.h.

#include <cstdlib>
#include <string>
#include <vector>

#include "documents/extract.h"
#include "documents/extract_io.h"
#include "helper/lockdown.h"
#include "helper/protocol.h"

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
    if (argv.size() != 2) {
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
    std::string bytes;
    const ExtractExit read = ReadFile(argv[1], bytes);
    if (read != ExtractExit::Ok) {
        return Exit(read);
    }
#ifndef LEXARO_EXTRACT_UNCONFINED  // defined only in a benchmark's build, to measure the cost
    if (!lexaro::helper::LockDown().sufficient()) {
        return Exit(ExtractExit::NoSandbox);
    }
#endif
    const lexaro::documents::ExtractResult result =
        lexaro::documents::ExtractDocument(bytes, argv[1]);
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
