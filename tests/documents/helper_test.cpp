// The lexaro-extract program itself, run as the window runs it.

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/extract_protocol.h"
#include "tests/documents/fixtures.h"

namespace lexaro {
namespace {

struct HelperRun {
    int exitCode = -1;
    std::string out;
};

// `argument` is quoted for the shell; the test's own paths hold no quotes.
HelperRun RunHelper(const std::string& argument) {
    const std::string command = std::string(LEXARO_EXTRACT_PATH) + " " + argument;
    FILE* pipe = popen(command.c_str(), "r");
    HelperRun run;
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, got);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class Helper : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(directory_); }
    std::string File(const std::string& name, std::string_view bytes) {
        const std::string path = directory_ + "/" + name;
        EXPECT_TRUE(fixtures::WriteFileBytes(path, bytes));
        return "'" + path + "'";
    }

    std::string directory_ = fixtures::MakeTempDirectory();
};

TEST_F(Helper, WritesTheTextOfADocument) {
    const HelperRun run = RunHelper(File("a book.epub", fixtures::EpubBookBytes({{"One", "Two"}})));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "One\nTwo");
}

TEST_F(Helper, ReportsFailuresByExitCodeAndWritesNothing) {
    const std::string fifo = directory_ + "/fifo.pdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = File("huge.pdf", "%PDF-1.4\n");
    std::filesystem::resize_file(directory_ + "/huge.pdf", kMaxExtractedTextBytes + 1);  // sparse
    const std::vector<std::pair<std::string, ExtractExit>> cases = {
        {"", ExtractExit::Usage},
        {directory_ + "/missing.pdf", ExtractExit::Unreadable},
        {directory_, ExtractExit::Unreadable},
        {fifo, ExtractExit::Unreadable},  // must not wait for a writer
        {huge, ExtractExit::TooLarge},
        {File("a.txt", "plain text"), ExtractExit::NotSupported},
        {File("locked.pdf", fixtures::EncryptedPdfBytes(fixtures::TextPdfBytes({{"x"}}))),
         ExtractExit::Encrypted},
        {File("bomb.docx", fixtures::ZipBombBytes({}, "word/document.xml", std::size_t{300} << 20)),
         ExtractExit::TooLarge}};
    for (const auto& [argument, code] : cases) {
        const HelperRun run = RunHelper(argument);
        EXPECT_EQ(run.exitCode, static_cast<int>(code)) << argument;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace lexaro
