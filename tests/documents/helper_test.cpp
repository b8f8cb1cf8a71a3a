// The lexaro-extract program itself, run as the window runs it.

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <tuple>

#include "documents/extract.h"
#include "helper/protocol.h"
#include "tests/documents/fixtures.h"

namespace lexaro {
namespace {

struct HelperRun {
    int exitCode = -1;
    std::string out;
};

// `argument` is quoted for the shell (see Quoted); the test's own paths hold no quotes.
#ifdef _WIN32
std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

HelperRun RunHelper(const std::string& argument) {
    // cmd.exe takes the outer quotes off a command line that starts with one.
    const std::string command = "\"" + Quoted(LEXARO_EXTRACT_PATH) + " " + argument + "\"";
    std::wstring wide(command.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, command.data(), static_cast<int>(command.size()),
                            wide.data(), static_cast<int>(wide.size()))));
    FILE* pipe = _wpopen(wide.c_str(), L"rb");
#else
std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

HelperRun RunHelper(const std::string& argument) {
    const std::string command = std::string(LEXARO_EXTRACT_PATH) + " " + argument;
    FILE* pipe = popen(command.c_str(), "r");
#endif
    HelperRun run;
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, got);
    }
#ifdef _WIN32
    run.exitCode = _pclose(pipe);
#else
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return run;
}

class Helper : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(directory_); }
    std::string File(const std::string& name, std::string_view bytes) {
        const std::string path = directory_ + "/" + name;
        std::ofstream file(std::filesystem::u8path(path), std::ios::binary);
        EXPECT_TRUE(file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush());
        return Quoted(path);
    }

    std::string directory_ = fixtures::MakeTempDirectory();
};

TEST_F(Helper, WritesTheTextOfADocument) {
    for (const char* name : {"a book.epub", "\u00e9t\u00e9 \u4e66 \u05e1\u05e4\u05e8.epub"}) {
        const HelperRun run = RunHelper(File(name, fixtures::EpubBookBytes({{"One", "Two"}})));
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.out, "One\nTwo") << name;
    }
}

#if LEXARO_HAS_OCR
// A scan recognised inside the lock-down: tesseract's language data is among the folders left
// readable, and its threads (if it is let start any) are threads of the helper.
TEST_F(Helper, RecognisesAScanLockedDown) {
    std::ifstream scan(LEXARO_DOCUMENT_DATA_DIR "/scan.png", std::ios::binary);
    const HelperRun run =
        RunHelper(File("page.png", std::string{std::istreambuf_iterator<char>(scan), {}}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.starts_with("Documents are parsed by a separate small program")) << run.out;
}
#endif

TEST_F(Helper, ReportsFailuresByExitCodeAndWritesNothing) {
#ifndef _WIN32
    const std::string fifo = directory_ + "/fifo.pdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
#endif
    const std::string huge = File("huge.pdf", "%PDF-1.4\n");
    std::filesystem::resize_file(directory_ + "/huge.pdf", kMaxExtractedTextBytes + 1);  // sparse
    std::vector<std::pair<std::string, ExtractExit>> cases = {
        {"", ExtractExit::Usage},
        {Quoted(directory_ + "/missing.pdf"), ExtractExit::Unreadable},
        {Quoted(directory_), ExtractExit::Unreadable},
#ifndef _WIN32
        {Quoted(fifo), ExtractExit::Unreadable},  // must not wait for a writer
#endif
        {huge, ExtractExit::TooLarge},
        {File("a.txt", "plain text"), ExtractExit::NotSupported},
        {File("bomb.docx", fixtures::ZipBombBytes({}, "word/document.xml", std::size_t{300} << 20)),
         ExtractExit::TooLarge}};
#if LEXARO_HAS_MOBI
    // Books refused with reasons of their own, never as damaged.
    cases.emplace_back(File("drm.azw", fixtures::MobiBytes({"<p>Bought.</p>", true})),
                       ExtractExit::DrmProtected);
    cases.emplace_back(File("cut.mobi", fixtures::MobiBytes({"<p>Cut.</p>"}).substr(0, 100)),
                       ExtractExit::Damaged);
#endif
#if LEXARO_HAS_DJVU
    std::ifstream scan(LEXARO_DOCUMENT_DATA_DIR "/scan.djvu", std::ios::binary);
    const std::string scanned{std::istreambuf_iterator<char>(scan), {}};
    cases.emplace_back(File("scan.djvu", scanned), ExtractExit::NoTextLayer);
#endif
#if LEXARO_HAS_OCR
    std::ifstream blank(LEXARO_DOCUMENT_DATA_DIR "/blank.png", std::ios::binary);
    cases.emplace_back(File("blank.png", std::string{std::istreambuf_iterator<char>(blank), {}}),
                       ExtractExit::NoText);
#endif
    if (fixtures::kQpdfFixtures) {
        cases.emplace_back(
            File("locked.pdf", fixtures::EncryptedPdfBytes(fixtures::TextPdfBytes({{"x"}}))),
            ExtractExit::Encrypted);
    }
    for (const auto& [argument, code] : cases) {
        const HelperRun run = RunHelper(argument);
        EXPECT_EQ(run.exitCode, static_cast<int>(code)) << argument;
        EXPECT_EQ(run.out, "");
    }
}

// --layout: the PDF layout's trace, from the same locked-down helper; other documents are refused.
TEST_F(Helper, PrintsThePdfLayoutOnlyForPdfs) {
    std::vector<fixtures::PdfPage> pages(3);
    const char* texts[] = {"Alpha reads.", "Beta reads.", "Gamma reads."};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        pages[i].texts = {{72, 760, "Journal of Things"}, {72, 700, texts[i]}};
    }
    const HelperRun run = RunHelper("--layout " + File("a.pdf", fixtures::PdfBytes(pages)));
    EXPECT_EQ(run.exitCode, 0);
    for (const char* said : {"page 3 (792.0 pt high): 2 lines\n", "\"Journal of Things\"\n",
                             "furniture: the same at y=", "first line read"}) {
        EXPECT_NE(run.out.find(said), std::string::npos) << said << " in\n" << run.out;
    }
    const HelperRun epub =
        RunHelper("--layout " + File("a.epub", fixtures::EpubBookBytes({{"One"}})));
    EXPECT_EQ(epub.exitCode, static_cast<int>(ExtractExit::NotSupported));
    EXPECT_EQ(epub.out, "");
}

// The locked-down helper writes what the same parsers write unconfined, in this process: its
// lock-down leaves every file a parser loads on demand readable (a character-set converter, a
// CJK table) and every call it makes allowed.
TEST_F(Helper, WritesWhatTheParsersWriteUnconfined) {
    std::vector<std::pair<std::string, std::string>> documents = {
        {"book.epub", fixtures::EpubBookBytes({{"One", "Two"}})},
        {"letter.docx", fixtures::DocxBytes({"Dear reader,", "words."})},
        {"notes.odt", fixtures::OdtBytes({"An ODT", "paragraph"})},
        {"report.pdf", fixtures::TextPdfBytes({{"A PDF line", "", "caf\xe9"}})},
        {"japanese.pdf", fixtures::JapanesePdfBytes({u"\u65e5\u672c\u8a9e"})},
        {"windows-1252.html", "<meta charset=windows-1252><p>caf\xe9 \x93quoted\x94</p>"},
        {"gb2312.html", "<meta charset=gb2312><p>\xd6\xd0\xce\xc4</p>"},
        {"latin2.xhtml",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><html><body><p>\xb3\xf3\" \"d\xbc</p>"
         "</body></html>"},
        {"readme.md", "# Title\n\nSome *text*."},
        {"bomb.docx", fixtures::ZipBombBytes({}, "word/document.xml", std::size_t{300} << 20)}};
    if (fixtures::kQpdfFixtures) {
        documents.emplace_back("locked.pdf",
                               fixtures::EncryptedPdfBytes(fixtures::TextPdfBytes({{"x"}})));
    }
#if LEXARO_HAS_OCR
    // Recognition: an image, and a PDF page drawn for it (poppler's renderer, locked down).
    std::ifstream png(LEXARO_DOCUMENT_DATA_DIR "/scan.png", std::ios::binary);
    documents.emplace_back("scan.png", std::string{std::istreambuf_iterator<char>(png), {}});
    std::ifstream jpeg(LEXARO_DOCUMENT_DATA_DIR "/scan.jpg", std::ios::binary);
    fixtures::PdfPage scan;
    scan.scanJpeg = std::string{std::istreambuf_iterator<char>(jpeg), {}};
    scan.scanWidth = 2256;
    scan.scanHeight = 436;
    documents.emplace_back("scan.pdf", fixtures::PdfBytes({scan}));
#endif
    // The fuzz target's seeds, without the byte that picks its walker.
    const std::map<std::string, std::string> extensions = {
        {"html", ".html"}, {"xhtml", ".xhtml"}, {"markdown", ".md"}};
    for (const auto& seed : std::filesystem::directory_iterator(LEXARO_FUZZ_DOCUMENT_SEEDS)) {
        std::ostringstream bytes;
        bytes << std::ifstream(seed.path(), std::ios::binary).rdbuf();
        const std::string name = seed.path().filename().string();
        const auto extension = extensions.find(name);
        documents.emplace_back(name + (extension == extensions.end() ? "" : extension->second),
                               bytes.str().substr(1));
    }
    for (const auto& [name, bytes] : documents) {
        SCOPED_TRACE(name);
        const std::string path = directory_ + "/" + name;
        ASSERT_TRUE(fixtures::WriteFileBytes(path, bytes));
        const documents::ExtractResult unconfined = documents::ExtractDocument(bytes, path);
        const HelperRun run = RunHelper(Quoted(path));
        EXPECT_EQ(run.exitCode, static_cast<int>(unconfined.status));
        EXPECT_EQ(run.out, unconfined.text);
        if (name == "japanese.pdf" && std::filesystem::exists(LEXARO_POPPLER_DATA_DIR "/cMap")) {
            EXPECT_EQ(run.out, "\u65e5\u672c\u8a9e");  // not NoText: the CMap was read
        }
    }
}

const std::string kFictionBook =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<FictionBook "
    "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" xmlns:l=\"http://www.w3.org/1999/xlink\">"
    "<body><title><p>\xC3\xEB\xE0\xE2\xE0</p></title><section><p>\xD2\xE5\xEA\xF1\xF2"
    "<a l:href=\"#n1\" type=\"note\">1</a>.</p></section></body><body name=\"notes\">"
    "<section id=\"n1\"><p>\xCD\xEE\xF2\xE0.</p></section></body>"
    "<binary id=\"c\" content-type=\"image/png\">AAAA</binary></FictionBook>";
const std::string kFictionBookText =
    "\u0413\u043B\u0430\u0432\u0430\n\u0422\u0435\u043A\u0441\u0442 [1].\n[1] "
    "\u041D\u043E\u0442\u0430.";

// Documents of shapes that once read wrong, each read by the helper as a reader should see it.
TEST_F(Helper, ReadsEachShapeInOrder) {
    const std::string xhtml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
        "xmlns:epub=\"http://www.idpf.org/2007/ops\"><body>";
    const std::string backLink = "<a href=\"chapter.xhtml#r\" epub:type=\"backlink\">\u21A9</a>";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        // A page saved as UTF-8 that kept the legacy label of an older copy.
        {"gb2312-label.html", "<meta charset=gb2312><p>\u4E2D\u6587 text</p>", "\u4E2D\u6587 text"},
        // Endnotes in a file of their own: an ordered list, its numbers shown by the list alone.
        {"endnotes.epub",
         fixtures::EpubBytes(
             {{"chapter.xhtml", xhtml + "<p>Word<a href=\"endnotes.xhtml#note-4\" id=\"noteref-4\" "
                                        "epub:type=\"noteref\">4</a> more.</p></body></html>"},
              {"endnotes.xhtml",
               xhtml + "<section epub:type=\"endnotes\"><h2>Endnotes</h2><ol start=\"3\">" +
                   "<li id=\"note-3\" epub:type=\"endnote\"><p>Third. " + backLink + "</p></li>" +
                   "<li id=\"note-4\" epub:type=\"endnote\"><p>Fourth. " + backLink + "</p></li>" +
                   "<li id=\"note-9\" value=\"9\" epub:type=\"endnote\"><p>Ninth.</p></li>" +
                   "</ol></section></body></html>"}}),
         "Word [4] more.\nEndnotes\n[3] Third.\n[4] Fourth.\n[9] Ninth."},
        // Persian drawn with presentation forms, lam-alef as one ligature glyph: k-a-l-a-y.
        {"persian.pdf", fixtures::MappedPdfBytes({{U"\uFBFC", U"\uFEFB", U"\uFE8E", U"\uFB90"}}),
         "\u06A9\u0627\u0644\u0627\u06CC"},
        // Front matter of static site generators.
        {"yaml.md", "---\ntitle: A post\ntags:\n  - a\n- b\n...\n\nBody *text*.\n", "Body text."},
        {"toml.md", "\xEF\xBB\xBF+++\ntitle = \"A\"\nabout = \"\"\"\nlong\n\"\"\"\n[x]\n+++\nBody.",
         "Body."},
        // Code pages converted after the lock-down; a Word name on a file that is really RTF.
        {"cyrillic.rtf", R"({\rtf1\ansi\ansicpg1251 \'cc\'e8\'f0 \u8364? ok\par})",
         "\u041C\u0438\u0440 \u20AC ok"},
        {"really.doc", R"({\rtf1\ansi Plain\par})", "Plain"},
        // A FictionBook in windows-1251, alone and in its archive.
        {"book.fb2", kFictionBook, kFictionBookText},
        {"book.fb2.zip", fixtures::ZipBytes({{"book.fb2", kFictionBook}}), kFictionBookText}};
    for (const auto& [name, bytes, text] : cases) {
        const HelperRun run = RunHelper(File(name, bytes));
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.out, text) << name;
    }
}

#ifdef _WIN32
// Started by hand, as here, the helper makes a job of its own; the window's job is the same but
// for ending with the window. Wine keeps no job limits: there the report must say so.
TEST_F(Helper, ReportsItsLayers) {
    const HelperRun run = RunHelper("--sandbox-report");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const bool wine =
        run.out.find("under Wine: job limits and integrity levels are not enforced") !=
        std::string::npos;
    std::vector<std::string> layers = {"job: its own",
                                       "privileges removed (all but passing through folders): on",
                                       "low integrity: on"};
    if (!wine) {
        layers.insert(layers.end(), {"job single process: on", "job memory limit: 2048 MiB",
                                     "child process refused: on"});
    }
    for (const std::string& layer : layers) {
        EXPECT_NE(run.out.find(layer), std::string::npos) << layer << " in\n" << run.out;
    }
}
#else
// The status the kernel shows for the helper while it extracts: no new privileges and a filter.
TEST_F(Helper, RunsLockedDownWhileItExtracts) {
    // Far more text than a pipe holds, and nobody reading it: the helper waits in its first
    // write, after the lock-down.
    const std::vector<std::string> chapter(4000, std::string(60, 'w'));
    const std::string path = directory_ + "/large.epub";
    ASSERT_TRUE(fixtures::WriteFileBytes(path, fixtures::EpubBookBytes({chapter})));
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string program = LEXARO_EXTRACT_PATH;
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t helper = -1;
    ASSERT_EQ(posix_spawn(&helper, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    const auto field = [&](const std::string& name) {
        std::ifstream status("/proc/" + std::to_string(helper) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(name + ":", 0) == 0) {
                return line.substr(line.find_first_not_of(" \t", name.size() + 1));
            }
        }
        return std::string();
    };
    std::string seccomp;
    for (int i = 0; i < 1000 && (seccomp = field("Seccomp")) != "2"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(seccomp, "2");
    EXPECT_EQ(field("NoNewPrivs"), "1");

    std::size_t read = 0;
    char buffer[65536];
    for (ssize_t got = 0; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        read += static_cast<std::size_t>(got);
    }
    close(out[0]);
    int status = 0;
    waitpid(helper, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(read, std::size_t{4000 * 60});
}

TEST_F(Helper, ReportsItsLayers) {
    const HelperRun run = RunHelper("--sandbox-report");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("seccomp: on"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("no new privileges: on"), std::string::npos) << run.out;
#if LEXARO_HAS_OCR
    // The text recogniser's language data stays readable wherever Landlock shuts files off.
    if (run.out.find("landlock files: on") != std::string::npos) {
        EXPECT_NE(run.out.find(" " LEXARO_TESSDATA_DIR), std::string::npos) << run.out;
    }
#endif
}

#endif

}  // namespace
}  // namespace lexaro
