// The command line: what is run, printed or refused, and with which exit code.

#include <gtest/gtest.h>

#include <QDir>

#include "ui/CommandLine.h"
#include "ui/load/LoadFile.h"

namespace lexaro {
namespace {

struct CommandCase {
    const char* name;
    QStringList arguments;  // after the program's name
    CommandLine::Action action;
    int exitCode;
    const char* outputStartsWith;
};

class CommandLineParsing : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandLineParsing, RunsPrintsOrRefuses) {
    const CommandCase& c = GetParam();
    const CommandLine command =
        ParseCommandLine(QStringList{QStringLiteral("lexaro")} + c.arguments);
    EXPECT_EQ(command.action, c.action);
    EXPECT_EQ(command.exitCode, c.exitCode);
    EXPECT_TRUE(command.output.startsWith(QLatin1String(c.outputStartsWith)) ||
                *c.outputStartsWith == '\0')
        << command.output.toStdString();
}

using A = CommandLine::Action;
const CommandCase kCases[] = {
    {"Nothing", {}, A::Run, 0, ""},
    {"AFile", {"book.epub"}, A::Run, 0, ""},
    {"StandardInput", {"-"}, A::Run, 0, ""},
    {"Help", {"--help"}, A::PrintAndExit, 0, "Usage:"},
    {"Version", {"--version"}, A::PrintAndExit, 0, ""},
    {"UnknownOption", {"--frobnicate"}, A::FailAndExit, 2, "Unknown option"},
    {"TwoFiles", {"a.txt", "b.txt"}, A::FailAndExit, 2, "Only one file"},
    {"OcrLanguages", {"--ocr-language=deu+eng", "scan.pdf"}, A::Run, 0, ""},
    {"OcrLanguageNotAName",
     {"--ocr-language=../deu", "scan.pdf"},
     A::FailAndExit,
     2,
     "--ocr-language takes"},
    {"OcrLanguageEmptyName",
     {"--ocr-language=deu+", "scan.pdf"},
     A::FailAndExit,
     2,
     "--ocr-language takes"},
};

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineParsing, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CommandLineFile, IsMadeAbsoluteAgainstTheCurrentFolderButADashIsStandardInput) {
    const CommandLine command =
        ParseCommandLine({QStringLiteral("lexaro"), QStringLiteral("b.md")});
    EXPECT_EQ(command.file, QDir::current().absoluteFilePath(QStringLiteral("b.md")));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("lexaro"), QStringLiteral("-")}).file,
              kStandardInput);
    EXPECT_EQ(ParseCommandLine({QStringLiteral("lexaro"), QStringLiteral("./-")}).file,
              QDir::current().absoluteFilePath(QStringLiteral("-")));
}

TEST(CommandLineInformation, IsJudgedBeforeAnyDisplayUnlessQtMayOwnAnOption) {
    const char* help[] = {"lexaro", "-platform", "xcb", "--help"};
    const char* twoFiles[] = {"lexaro", "a.txt", "b.txt"};
    const char* unknown[] = {"lexaro", "--bogus"};
    const char* qtOption[] = {"lexaro", "-style", "fusion", "book.epub"};
    EXPECT_TRUE(CanBeJudgedWithoutDisplay(4, help));
    EXPECT_TRUE(CanBeJudgedWithoutDisplay(3, twoFiles));
    EXPECT_TRUE(CanBeJudgedWithoutDisplay(2, unknown));
    EXPECT_FALSE(CanBeJudgedWithoutDisplay(4, qtOption));
}

}  // namespace
}  // namespace lexaro
