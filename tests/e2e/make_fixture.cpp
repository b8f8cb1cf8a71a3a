// Writes a small book for the end-to-end run, and prints the text the box shows for it.
//
//   lexaro_make_fixture epub FILE    an EPUB: a non-linear cover and two chapters
//   lexaro_make_fixture epub-text    its text as the text box holds it, line breaks as LF

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tests/documents/fixtures.h"

namespace {

const std::vector<std::vector<std::string>> kChapters = {
    {"Chapter One", "It was a bright cold day, and the clocks were striking."},
    {"Chapter Two", "Words & more words, read one at a time."},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string_view what = argc > 1 ? argv[1] : "";
    if (what == "epub" && argc == 3) {
        return lexaro::fixtures::WriteFileBytes(argv[2], lexaro::fixtures::EpubBookBytes(kChapters))
                   ? 0
                   : 1;
    }
    if (what == "epub-text") {
        for (const auto& chapter : kChapters) {
            for (const std::string& paragraph : chapter) {
                std::printf("\n%s", paragraph.c_str());
            }
        }
        return 0;
    }
    std::fputs("usage: lexaro_make_fixture epub FILE | epub-text\n", stderr);
    return 2;
}
