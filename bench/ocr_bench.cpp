// Text recognition of a scanned book, side by side in one run: the helper reading a PDF of scanned
// pages (its pages recognised in parallel, locked down) against the `tesseract` command
// recognising the same page images one after the other, as a user without Lexaro would; then how
// much of the text each gets right.
//
//   lexaro_ocr_bench [PAGES]    (8 by default; 2 with --quick)
//
// The pages are this project's README typeset with ImageMagick at 300 dpi in 11-point Liberation
// Serif, three paragraphs a page, each page turned by a fraction of a degree and given Gaussian
// noise, saved as grey JPEG as a scanner's "photo" setting would; the PDF holds those JPEGs. The
// figures are printed, never judged: the machine may be busy.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/documents/fixtures.h"
#include "tests/support/word_scores.h"

namespace {

namespace fs = std::filesystem;
using lexaro::test::Order;
using lexaro::test::Recall;
using lexaro::test::Words;

constexpr int kPageWidth = 2550;  // US letter at 300 dpi
constexpr int kPageHeight = 3300;
constexpr std::size_t kWordsPerParagraph = 110;
constexpr std::size_t kParagraphsPerPage = 3;
constexpr std::size_t kRounds = 2;

// The README's prose as plain words: no tables, headings, code or markup; letters, digits and
// ,.:- kept in words (ImageMagick's caption would need every other glyph in the font, and the
// shell a quote).
std::vector<std::string> ReadmeWords() {
    std::ifstream file(LEXARO_README_PATH);
    std::string text;
    bool code = false;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("```")) {
            code = !code;
            continue;
        }
        if (code || line.starts_with("|") || line.starts_with("#") || line.starts_with("<")) {
            continue;
        }
        text += line + " ";
    }
    std::vector<std::string> words;
    for (const std::string& word : Words(text)) {
        std::string kept;
        for (const char c : word) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == ',' || c == '.' || c == ':' || c == '-') {
                kept += c;
            }
        }
        if (std::any_of(kept.begin(), kept.end(), [](char c) { return std::isalpha(c) != 0; })) {
            words.push_back(kept);
        }
    }
    return words;
}

std::string Slurp(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    // (Through a stream buffer: GCC 12 at -O3 warns of a null dereference inside libstdc++'s
    // istreambuf_iterator, which the release build takes for an error.)
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return std::move(bytes).str();
}

// Runs `argv` with standard output to `out`; its wall time and its processor time (user and
// system) in seconds, or a negative wall time if it failed.
struct Run {
    double wall = -1;
    double cpu = 0;
};
Run RunProgram(const std::vector<std::string>& argv, const fs::path& out) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    std::fflush(stdout);  // or the child would write what is buffered a second time
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::FILE* file = std::freopen(out.c_str(), "w", stdout);
        std::FILE* null = std::freopen("/dev/null", "w", stderr);
        if (file != nullptr && null != nullptr) {
            execvp(args[0], args.data());
        }
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return {};
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// Typesets page `index` of `words` as a scanned JPEG at `jpeg`; its words.
std::vector<std::string> MakePage(const std::vector<std::string>& words, std::size_t index,
                                  const fs::path& jpeg) {
    std::vector<std::string> pageWords;
    std::string command = "convert -density 300 -units PixelsPerInch";
    for (std::size_t p = 0; p < kParagraphsPerPage; ++p) {
        const std::size_t start = ((index * kParagraphsPerPage + p) * kWordsPerParagraph) %
                                  (words.size() - kWordsPerParagraph);
        std::string paragraph;
        for (std::size_t w = start; w < start + kWordsPerParagraph; ++w) {
            paragraph += (paragraph.empty() ? "" : " ") + words[w];
            pageWords.push_back(words[w]);
        }
        // The words hold no quote, so single quotes keep the shell off them.
        command +=
            " \\( -size 1950x -font Liberation-Serif -pointsize 11 -background white "
            "-fill black caption:'" +
            paragraph + "' -bordercolor white -border 0x25 \\)";
    }
    const std::string angle = "0." + std::to_string(1 + index % 6);
    command += " -append -bordercolor white -border 300 -gravity north -extent " +
               std::to_string(kPageWidth) + "x" + std::to_string(kPageHeight) +
               " -background white -rotate " + (index % 2 == 0 ? "" : "-") + angle +
               " +repage -gravity center -extent " + std::to_string(kPageWidth) + "x" +
               std::to_string(kPageHeight) + " -seed " + std::to_string(index) +
               " -attenuate 0.3 +noise Gaussian -colorspace Gray -strip -quality 70 '" +
               jpeg.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "ImageMagick could not typeset page %zu\n", index + 1);
        std::exit(1);
    }
    return pageWords;
}

void Report(const char* who, const Run& run, const std::vector<std::string>& reference,
            const std::vector<std::string>& read, std::size_t pages) {
    if (run.wall < 0) {
        std::printf("%-40s failed\n", who);
        return;
    }
    std::printf("%-40s %7.2f s wall  %7.2f s cpu  %5.2f s/page  recall %.3f  order %.3f\n", who,
                run.wall, run.cpu, run.wall / static_cast<double>(pages), Recall(reference, read),
                Order(reference, read));
}

// The scanned book: its page images and a PDF of them in `work`, and the words they show.
struct Scan {
    std::vector<fs::path> jpegs;
    fs::path pdf;
    std::vector<std::string> reference;
};
Scan MakeScan(std::size_t pages, const fs::path& work) {
    const std::vector<std::string> words = ReadmeWords();
    Scan scan;
    std::vector<lexaro::fixtures::PdfPage> pdfPages;
    for (std::size_t index = 0; index < pages; ++index) {
        scan.jpegs.push_back(work / ("page" + std::to_string(index) + ".jpg"));
        const std::vector<std::string> pageWords = MakePage(words, index, scan.jpegs.back());
        scan.reference.insert(scan.reference.end(), pageWords.begin(), pageWords.end());
        lexaro::fixtures::PdfPage page;
        page.scanJpeg = Slurp(scan.jpegs.back());
        page.scanWidth = kPageWidth;
        page.scanHeight = kPageHeight;
        pdfPages.push_back(std::move(page));
    }
    scan.pdf = work / "scan.pdf";
    std::ofstream(scan.pdf, std::ios::binary) << lexaro::fixtures::PdfBytes(pdfPages);
    return scan;
}

// The contenders: the helper on the PDF; the command as a user runs it, page after page, with its
// default OpenMP threads, and again held to one thread as the helper holds each of its
// recognisers.
struct Contender {
    const char* name;
    std::vector<std::string> prefix;  // the command before the page image; empty: the helper
};

// One contender's run over `scan`; what it read goes into `read`.
Run RunContender(const Contender& contender, const Scan& scan, const fs::path& work,
                 std::vector<std::string>& read) {
    if (contender.prefix.empty()) {
        const Run helper = RunProgram({LEXARO_EXTRACT_PATH, scan.pdf.string()}, work / "out.txt");
        read = Words(Slurp(work / "out.txt"));
        return helper;
    }
    Run total{0, 0};
    for (const fs::path& jpeg : scan.jpegs) {
        std::vector<std::string> command = contender.prefix;
        command.insert(command.end(), {jpeg.string(), "stdout"});
        const Run page = RunProgram(command, work / "out.txt");
        if (page.wall < 0) {
            return Run{};
        }
        total.wall += page.wall;
        total.cpu += page.cpu;
        const std::vector<std::string> pageRead = Words(Slurp(work / "out.txt"));
        read.insert(read.end(), pageRead.begin(), pageRead.end());
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t pages = 8;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        pages = arg == "--quick" ? 2 : static_cast<std::size_t>(std::max(1, std::atoi(argv[i])));
    }
    char pattern[] = "/tmp/lexaro-ocr-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
        return 1;
    }
    const fs::path work(made);
    const Scan scan = MakeScan(pages, work);
    std::printf("%zu scanned pages, %zu words, %u cores\n", pages, scan.reference.size(),
                std::thread::hardware_concurrency());
    const std::vector<Contender> contenders{
        {"lexaro-extract (PDF, pages in parallel)", {}},
        {"tesseract, page after page", {"tesseract"}},
        {"tesseract, page after page, 1 thread", {"env", "OMP_THREAD_LIMIT=1", "tesseract"}},
    };
    // Each round runs them all in turns, the order turned round every round, so that a machine
    // busy with other work weighs on all alike.
    for (std::size_t round = 0; round < kRounds; ++round) {
        std::printf("-- round %zu\n", round + 1);
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            const Contender& contender =
                contenders[round % 2 == 0 ? turn : contenders.size() - 1 - turn];
            std::vector<std::string> read;
            const Run result = RunContender(contender, scan, work, read);
            Report(contender.name, result, scan.reference, read, pages);
        }
    }
    fs::remove_all(work);
    return 0;
}
