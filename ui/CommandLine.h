#pragma once
// The program's command line: `lexaro [--ocr-language=LANGS] [FILE]` (`-` for standard input), plus
// --help and --version.

#include <QString>
#include <QStringList>

namespace lexaro {

struct CommandLine {
    enum class Action { Run, PrintAndExit, FailAndExit };
    Action action = Action::Run;
    QString file;         // Run: the file to load once the window is up, as an absolute path, or
                          // kStandardInput (ui/load/LoadFile.h); or empty
    QString ocrLanguage;  // Run: the language data to recognise scanned pages with ("deu+eng"),
                          // or empty
    QString output;       // PrintAndExit: for standard output; FailAndExit: for standard error
    int exitCode = 0;
};

// `arguments` as QCoreApplication::arguments() gives them, the program's name first.
[[nodiscard]] CommandLine ParseCommandLine(const QStringList& arguments);

// Whether the raw arguments can be judged before the windowing system is contacted, so that
// help, the version and a wrong command line are answered without a display: they ask for help or
// the version, or they hold none of the single-dash options (-platform, -style, ...) that Qt's
// application object takes for itself before the command line is parsed.
[[nodiscard]] bool CanBeJudgedWithoutDisplay(int argc, const char* const* argv);

}  // namespace lexaro
