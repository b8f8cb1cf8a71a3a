// Load Text from File: the box takes a file's text only when the whole file could be read.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "formats/format_registry.h"
#include "formats/text_file.h"
#include "tests/ui/widget_test_support.h"
#include "ui/FileDialog.h"
#include "ui/load/LoadFile.h"
#include "ui/load/LoadResult.h"
#include "ui/load/LoadSession.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#endif

namespace lexaro {
namespace {

using test::Child;
using test::Str;

const char* const kError = "There was an error with opening your file";

class Load : public testing::Test {
public:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();
    QTemporaryDir dir;

    CrLfTextEdit* textBox() { return Child<CrLfTextEdit>(*window, "txtInputText"); }
    QString band() { return Child<QLabel>(*window, "lblOutputText")->text(); }

    QString file(const char* name, const QByteArray& bytes) {
        return test::WriteFile(dir, name, bytes);
    }
    // Runs the Load command as if `path` was chosen in the dialog; returns the messages shown.
    std::vector<MessageBox::Message> load(const QString& path) {
        test::MessageRecorder recorder;
        FileDialog::setNextFileName(path);
        window->cmdLoadText_Click();
        EXPECT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
        return recorder.messages;
    }
};

TEST_F(Load, ReplacesTheTextWithTheFileLinesVerbatim) {
    EXPECT_TRUE(load(file("a.txt", "Hello, world.\r\n\"quoted\", kept\n")).empty());
    EXPECT_EQ(textBox()->text(), u"\r\nHello, world.\r\n\"quoted\", kept");
}

TEST_F(Load, EmptyFileGivesEmptyTextAndNoMessage) {
    EXPECT_TRUE(load(file("empty.txt", "")).empty());
    EXPECT_EQ(textBox()->text(), u"");
}

TEST_F(Load, DecodesUtf16AndKeepsSurrogatePairs) {
    load(file("u16.txt", QByteArray("\xFF\xFE\x3D\xD8\x00\xDE\n\0x\0", 10)));
    EXPECT_EQ(textBox()->text(), u"\r\n\U0001F600\r\nx");
}

TEST_F(Load, ClosingTheDialogWithoutAChoiceChangesNothingAfterAnEarlierLoad) {
    load(file("a.txt", "first"));
    const std::u16string before = textBox()->text();
    EXPECT_TRUE(load(QString()).empty());
    EXPECT_EQ(textBox()->text(), before);
}

struct RefusedCase {
    const char* name;
    LoadFailure reason;
    std::function<QString(Load&)> make;
};

class LoadRefused : public Load, public testing::WithParamInterface<RefusedCase> {};

TEST_P(LoadRefused, ShowsTheMessageOnceAndKeepsTheText) {
    textBox()->setText(u"my own words");
    const QString path = GetParam().make(*this);
    const auto messages = load(path);
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(Str(messages[0].text), kError);
    EXPECT_EQ(Str(messages[0].title), "prjLexaro");
    EXPECT_EQ(messages[0].icon, MessageBox::Icon::None);
    EXPECT_EQ(messages[0].informative, LoadFailureReason(GetParam().reason));
    EXPECT_FALSE(messages[0].informative.isEmpty());
    EXPECT_EQ(textBox()->text(), u"my own words");
    // The next load works normally.
    EXPECT_TRUE(load(file("good.txt", "fine")).empty());
    EXPECT_EQ(textBox()->text(), u"\r\nfine");
}

const RefusedCase kRefused[] = {
    RefusedCase{"Missing", LoadFailure::Missing,
                [](Load& t) { return t.dir.filePath("nothing.txt"); }},
    RefusedCase{"Vanished", LoadFailure::Missing,
                [](Load& t) {
                    const QString path = t.file("gone.txt", "x");
                    QFile::remove(path);
                    return path;
                }},
    RefusedCase{"Directory", LoadFailure::Folder, [](Load& t) { return t.dir.path(); }},
    RefusedCase{"Binary", LoadFailure::NotText,
                [](Load& t) { return t.file("bin", QByteArray("MZ\0\0\x90", 5)); }},
#ifdef Q_OS_UNIX
    RefusedCase{"Fifo", LoadFailure::NotRegular,
                [](Load& t) {
                    const QString path = t.dir.filePath("fifo");
                    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
                    return path;
                }},
    RefusedCase{"Device", LoadFailure::NotRegular,
                [](Load&) { return QStringLiteral("/dev/zero"); }},
    RefusedCase{"Socket", LoadFailure::NotRegular,
                [](Load& t) {
                    const QString path = t.dir.filePath("socket");
                    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                    sockaddr_un address{};
                    address.sun_family = AF_UNIX;
                    const QByteArray native = QFile::encodeName(path);
                    std::memcpy(address.sun_path, native.constData(),
                                std::min(sizeof address.sun_path - 1,
                                         static_cast<std::size_t>(native.size())));
                    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                    ::close(fd);  // the socket file stays behind in the directory
                    return path;
                }},
    RefusedCase{"LargerThanTheCap", LoadFailure::FileTooLarge,
                [](Load& t) {
                    const QString path = t.file("huge.txt", "x");
                    QFile huge(path);  // sparse: takes no disk space
                    EXPECT_TRUE(huge.open(QIODevice::ReadWrite));
                    EXPECT_TRUE(huge.resize(static_cast<qint64>(kMaxTextFileBytes) + 1));
                    return path;
                }},
    RefusedCase{"TooManyLines", LoadFailure::TooManyLines,
                [](Load& t) { return t.file("lines.txt", QByteArray(kMaxTextLines + 1, '\n')); }},
    RefusedCase{"LineTooLong", LoadFailure::LineTooLong,
                [](Load& t) { return t.file("line.txt", QByteArray(kMaxLineUnits + 1, 'x')); }},
    RefusedCase{"SymlinkLoop", LoadFailure::Unreadable,
                [](Load& t) {
                    const QString a = t.dir.filePath("a");
                    const QString b = t.dir.filePath("b");
                    QFile::link(b, a);
                    QFile::link(a, b);
                    return a;
                }}
#endif
};

INSTANTIATE_TEST_SUITE_P(Files, LoadRefused, testing::ValuesIn(kRefused),
                         [](const auto& p) { return std::string(p.param.name); });

// The most lines a file may have go in a step at a time; the load ends when the last is in.
TEST_F(Load, TheLongestTextTakenFillsInWhole) {
    QByteArray lines;
    for (std::size_t line = 0; line < kMaxTextLines; ++line) {
        lines += "a b\n";  // each becomes CR LF + "a b"
    }
    const QString other = file("other.txt", "dropped meanwhile");
    test::MessageRecorder recorder;
    window->openFile(file("long.txt", lines));
    ASSERT_TRUE(test::SpinUntil([this] { return textBox()->isFilling(); }));
    window->openFile(other);  // a drop while the box fills waits for nothing and changes nothing
    EXPECT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(textBox()->document()->blockCount(), static_cast<int>(kMaxTextLines + 1));
    EXPECT_EQ(textBox()->text().size(), kMaxTextLines * 5);
    EXPECT_FALSE(textBox()->isReadOnly());
}

// The session hands its text over as the window does it; every receiver of the signal sees the
// one string, and the box keeps that very string: a copy would cost twice a 256 MiB file's text.
TEST_F(Load, TheLoadedTextReachesTheBoxWithoutACopy) {
    QWidget owner;
    auto* session = new LoadSession(&owner);
    CrLfTextEdit box;
    std::vector<const char16_t*> seen;
    QObject::connect(session, &LoadSession::loaded,
                     [&seen](const LoadedText& text) { seen.push_back(text.text().data()); });
    QObject::connect(session, &LoadSession::loaded, [&](LoadedText text) {
        seen.push_back(text.text().data());
        box.adoptText(text.take(), text.shape());
        if (!box.isFilling()) {
            session->adopted();
        }
    });
    QObject::connect(&box, &CrLfTextEdit::filled, session, &LoadSession::adopted);
    QByteArray lines;
    while (lines.size() < (3 << 20)) {  // more than one step of the box's filling
        lines += "some words on a line\n";
    }
    session->open(file("book.txt", lines));
    ASSERT_TRUE(test::SpinUntil([&] { return !session->isLoading(); }));
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(box.text().data(), seen[1]);
    EXPECT_EQ(box.text().size(), static_cast<std::size_t>(lines.size()) / 21 * 22);  // CR LF
    EXPECT_FALSE(box.isFilling());
}

TEST_F(Load, APasteTooLargeSaysWhyAndKeepsTheText) {
    textBox()->setText(u"my own words");
    test::MessageRecorder recorder;
    QApplication::clipboard()->setText(QString(kMaxPastedLines, QLatin1Char('\n')));
    textBox()->paste();
    ASSERT_EQ(recorder.messages.size(), 1U);
    EXPECT_EQ(Str(recorder.messages[0].text), "Nothing was pasted.");
    EXPECT_EQ(recorder.messages[0].informative,
              ShapeVerdictReason(ShapeVerdict::PasteTooManyLines));
    EXPECT_EQ(textBox()->text(), u"my own words");
}

TEST_F(Load, FileWithoutAKnownSizeIsReadToItsEnd) {
#ifdef Q_OS_LINUX
    EXPECT_TRUE(load(QStringLiteral("/proc/self/status")).empty());  // reports size 0
    EXPECT_TRUE(textBox()->text().starts_with(u"\r\nName:"));
#endif
}

TEST_F(Load, LoneSurrogatesInUtf16ArriveAsTheyAre) {
    load(file("lone.txt", QByteArray("\xFF\xFE\x00\xD8x\x00\x00\xDC", 8)));
    EXPECT_EQ(textBox()->text(), u"\r\n\xD800x\xDC00");
}

TEST_F(Load, ReadingGoesOnInTheNewTextFromTheOldPosition) {
    textBox()->setText(u"aaa bbb ccc");
    window->cmdStart_Click();
    window->tmrMoveNext_Timer();              // "aaa", position 4
    load(file("new.txt", "xyz 12 34 5678"));  // loads as CR LF + "xyz 12 34 5678"
    EXPECT_TRUE(Child<QTimer>(*window, "tmrMoveNext")->isActive());
    EXPECT_TRUE(textBox()->isLocked());
    EXPECT_EQ(Str(band()), "aaa");
    EXPECT_EQ(window->readPosition(), 4);
    window->tmrMoveNext_Timer();
    EXPECT_EQ(Str(band()), "z");  // the new text from position 4: CR LF x y | z
}

TEST_F(Load, WhilePausedATextShorterThanThePositionEndsTheNextReadingCleanly) {
    textBox()->setText(u"a fairly long line of words here");
    window->cmdStart_Click();
    for (int i = 0; i < 4; ++i) {
        window->tmrMoveNext_Timer();
    }
    window->cmdPause_Click();
    load(file("short.txt", "ab"));
    EXPECT_FALSE(Child<QPushButton>(*window, "cmdPause")->isEnabled());
    window->cmdStart_Click();
    window->tmrMoveNext_Timer();
    EXPECT_TRUE(band().isEmpty());
    EXPECT_EQ(window->readPosition(), 0);
    EXPECT_FALSE(Child<QTimer>(*window, "tmrMoveNext")->isActive());
}

// It lists every file (a text file need not be named .txt) and offers the formats it reads.
TEST_F(Load, RealDialogIsTitledOpenWithDefaultSuffixAndRemembersTheLastFile) {
    const QString path = file("chosen.txt", "one two");
    QFileDialog* dialog = nullptr;  // built when first shown
    QString title;
    QString suffix;
    QString filter;
    QStringList filters;
    QTimer::singleShot(0, [&] {
        dialog = Child<QFileDialog>(*window, "commonDialog");
        title = dialog->windowTitle();
        suffix = dialog->defaultSuffix();
        filter = dialog->selectedNameFilter();
        filters = dialog->nameFilters();
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // as the Open button does
    });
    window->cmdLoadText_Click();
    EXPECT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
    EXPECT_EQ(Str(title), "Open");
    EXPECT_EQ(Str(suffix), "txt");
    EXPECT_EQ(Str(filter), "All files (*)");
    ASSERT_FALSE(filters.isEmpty());
    const QStringList documents = filters.front().section(u'(', 1).chopped(1).split(u' ');
    for (const DocumentFormat& format : DocumentFormats()) {
        for (const std::string_view extension : format.extensions) {
            EXPECT_TRUE(documents.contains(QStringLiteral("*.") + QString::fromUtf8(extension)))
                << extension;
        }
    }
    EXPECT_EQ(textBox()->text(), u"\r\none two");

    QStringList preselected;
    QTimer::singleShot(0, [&] {
        preselected = dialog->selectedFiles();
        dialog->reject();
    });
    window->cmdLoadText_Click();
    EXPECT_EQ(preselected, QStringList{path});
    EXPECT_EQ(textBox()->text(), u"\r\none two");
}

#ifdef Q_OS_UNIX
// Standard input, for the test's length, is the read end of a pipe the test writes.
class PipedStandardInput {
public:
    PipedStandardInput() {
        EXPECT_EQ(::pipe(ends_), 0);
        ::dup2(ends_[0], STDIN_FILENO);
        ::close(ends_[0]);
    }
    ~PipedStandardInput() {
        closeWriter();
        ::dup2(saved_, STDIN_FILENO);
        ::close(saved_);
    }
    PipedStandardInput(const PipedStandardInput&) = delete;
    PipedStandardInput& operator=(const PipedStandardInput&) = delete;

    void write(const QByteArray& bytes) const {
        EXPECT_EQ(::write(ends_[1], bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  bytes.size());
    }
    void closeWriter() {
        if (ends_[1] >= 0) {
            ::close(ends_[1]);
            ends_[1] = -1;
        }
    }

private:
    int saved_ = ::dup(STDIN_FILENO);
    int ends_[2] = {-1, -1};
};

// `lexaro -`: the text from a pipe, decoded as a text file is.
TEST_F(Load, StandardInputIsReadToItsEndAsATextFile) {
    PipedStandardInput input;
    input.write("Piped words,\r\n\x93quoted\x94\n");
    input.closeWriter();
    test::MessageRecorder recorder;
    window->openFile(kStandardInput);
    EXPECT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(textBox()->text(), u"\r\nPiped words,\r\n\u201Cquoted\u201D");
}

// A writer that never ends its pipe cannot hold the load: Cancel ends it and the box keeps its
// text.
TEST_F(Load, CancelEndsAWaitForStandardInput) {
    PipedStandardInput input;
    input.write("never finished");
    textBox()->setText(u"my own words");
    test::MessageRecorder recorder;
    window->openFile(kStandardInput);
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(test::SpinUntil([&] {
        progress = window->findChild<QProgressDialog*>(QStringLiteral("loadProgress"));
        return progress != nullptr && progress->isVisible();
    }));
    EXPECT_EQ(Str(progress->labelText()), "Loading standard input\u2026");
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
    EXPECT_EQ(textBox()->text(), u"my own words");
    EXPECT_TRUE(recorder.messages.empty());
    window.reset();  // its reader ends before standard input is given back
}
#endif

}  // namespace
}  // namespace lexaro
