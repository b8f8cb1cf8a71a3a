// Loading documents through the extraction helper: what a misbehaving helper costs (never the
// text), the progress dialog and Cancel, loads while reading, and files dropped on the window.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "helper/child_limits.h"
#include "helper/progress.h"
#include "tests/documents/fixtures.h"
#include "tests/ui/widget_test_support.h"
#include "ui/load/DocumentHelper.h"
#include "ui/load/LoadFile.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lexaro {
namespace {

using test::Child;

// Points the window's loads at another helper while it lives.
class HelperOverride {
public:
    explicit HelperOverride(const QString& path) : previous_(DocumentHelper::path()) {
        DocumentHelper::setPath(path);
    }
    ~HelperOverride() { DocumentHelper::setPath(previous_); }
    HelperOverride(const HelperOverride&) = delete;
    HelperOverride& operator=(const HelperOverride&) = delete;

private:
    QString previous_;
};

#ifndef Q_OS_WIN  // the stand-in helpers are shell scripts
// A shell script standing in for the helper.
QString WriteScript(const QTemporaryDir& dir, const QByteArray& script) {
    const QString path = dir.filePath(QStringLiteral("fake-extract"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script + "\n");
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

class FakeHelper : public HelperOverride {
public:
    FakeHelper(const QTemporaryDir& dir, const QByteArray& script)
        : HelperOverride(WriteScript(dir, script)) {}
};
#endif

class DocumentLoad : public testing::Test {
public:
    QTemporaryDir dir;
    std::atomic<bool> notCancelled{false};

    // A file the sniffing sends to the helper.
    QString document(const char* name = "doc.html", const QByteArray& bytes = "<html><p>x</p>") {
        return test::WriteFile(dir, name, bytes);
    }
#ifndef Q_OS_WIN
    LoadResult extract(const QByteArray& script, const HelperLimits& limits = HelperLimits()) {
        const FakeHelper helper(dir, script);
        return LoadFile(document(), notCancelled, limits);
    }
#endif
};

#ifndef Q_OS_WIN
struct HelperCase {
    const char* name;
    const char* script;
    LoadFailure failure;
    const char16_t* text;
    const char* languageData = "";
};

class HelperOutcome : public DocumentLoad, public testing::WithParamInterface<HelperCase> {};

TEST_P(HelperOutcome, EndsInTextOrAFailureNeverPartOfAText) {
    HelperLimits limits;
    limits.wallTime = std::chrono::milliseconds(1500);
    limits.pageTime = std::chrono::milliseconds(1500);
    limits.outputBytes = 4096;
    const LoadResult result = extract(GetParam().script, limits);
    EXPECT_EQ(result.failure, GetParam().failure);
    EXPECT_EQ(result.text, GetParam().text);
    EXPECT_EQ(result.languageData, QLatin1String(GetParam().languageData));
}

const HelperCase kHelperCases[] = {
    {"LinesBecomeTheLoadedShape", "printf 'One two.\\nThree'", LoadFailure::None,
     u"\r\nOne two.\r\nThree"},
    {"EmptyTextIsEmpty", "exit 0", LoadFailure::None, u""},
    {"Crash", "printf 'half a'; kill -SEGV $$", LoadFailure::Damaged, u""},
    {"KilledMidRun", "printf 'half a'; kill -KILL $$", LoadFailure::Damaged, u""},
    {"Hang", "exec sleep 30", LoadFailure::TimedOut, u""},
    {"Flood", "exec yes", LoadFailure::TextTooLarge, u""},
    {"NotUtf8", "printf 'caf\\351'", LoadFailure::Damaged, u""},
    {"Nul", "printf 'a\\000b'", LoadFailure::Damaged, u""},
    {"UnknownExitCode", "printf 'text'; exit 42", LoadFailure::Damaged, u""},
    {"Protected", "exit 7", LoadFailure::Protected, u""},
    {"NoText", "exit 8", LoadFailure::NoText, u""},
    {"NotSupported", "exit 5", LoadFailure::NotText, u""},
    {"TooMuchInside", "exit 4", LoadFailure::TextTooLarge, u""},
    {"Damaged", "exit 6", LoadFailure::Damaged, u""},
    {"CouldNotLockDown", "exit 9", LoadFailure::Unconfined, u""},
    {"DrmProtected", "exit 10", LoadFailure::DrmProtected, u""},
    {"NoTextLayer", "exit 11", LoadFailure::ScannedBook, u""},
    // Each page recognised buys the page time again; a page that takes longer ends the run, and
    // progress the window cannot believe buys nothing.
    {"PagesRecognisedPastTheWallTime",
     "printf 'ocr 0/2\\n' >&2; sleep 0.6; printf 'ocr 1/2\\n' >&2; sleep 0.6; "
     "printf 'ocr 2/2\\n' >&2; sleep 0.6; printf 'read'",
     LoadFailure::None, u"\r\nread"},
    {"StuckOnAPage", "printf 'ocr 0/2\\n' >&2; exec sleep 30", LoadFailure::PageTimedOut, u""},
    {"NoLanguageData", "printf 'ocr 0/1\\nocr-missing deu\\n' >&2; exit 12",
     LoadFailure::NoLanguageData, u"", "deu"},
    {"UnbelievableProgress", "printf 'ocr 3/2\\nocr -1/2\\nocr 1/2 \\n' >&2; exec sleep 30",
     LoadFailure::TimedOut, u""},
};

INSTANTIATE_TEST_SUITE_P(Helpers, HelperOutcome, testing::ValuesIn(kHelperCases),
                         [](const auto& p) { return std::string(p.param.name); });
#endif

// The helper's standard error, as it may come in pieces, and the progress the window takes from it.
TEST(RecognitionProgress, OnlyWholeBelievableLinesCount) {
    using helper::RecognitionProgress;
    const std::string longLine(helper::kMaxProgressLine, 'x');
    const struct {
        std::vector<std::string> pieces;
        std::optional<RecognitionProgress> last;
    } cases[] = {
        {{"ocr 0/3\n"}, RecognitionProgress{0, 3}},
        {{"oc", "r 2/", "3\nocr 3/3"}, RecognitionProgress{2, 3}},  // the last line is not over
        {{"Warning: no resolution\nocr 1/9\n"}, RecognitionProgress{1, 9}},
        {{"ocr 2/3\nocr 1/3\nocr 3/4\n"}, RecognitionProgress{2, 3}},  // never back, one total
        {{"ocr 4/3\n", "ocr 1/0\n", "ocr +1/3\n", "ocr 1/3 \n", "ocr 1/3\r\n", "ocr 1/\n"}, {}},
        {{"ocr 0/100001\n", "ocr 0/0000003\n", " ocr 1/3\n", "OCR 1/3\n"}, {}},
        {{longLine, "ocr 1/3\nocr 2/3\n"}, RecognitionProgress{2, 3}},  // a long line skipped whole
        {{"ocr 1/3" + longLine + "\n"}, {}},
    };
    for (const auto& c : cases) {
        helper::ProgressReader reader;
        for (const std::string& piece : c.pieces) {
            (void)reader.feed(piece);
        }
        EXPECT_EQ(reader.last(), c.last) << c.pieces.front();
    }
}

TEST(LoadFailureReasons, NameTheLimitsInTheirUnits) {
    EXPECT_EQ(LoadFailureReason(LoadFailure::FileTooLarge), u"The file is larger than 256 MiB.");
    EXPECT_EQ(LoadFailureReason(LoadFailure::TextTooLarge),
              u"The document holds more than 256 MiB of text or packed contents.");
    EXPECT_EQ(LoadFailureReason(LoadFailure::TimedOut),
              u"Reading the document took longer than 60 seconds.");
    EXPECT_EQ(LoadFailureReason(LoadFailure::PageTimedOut),
              u"Recognising the text of a page took longer than 160 seconds.");
    EXPECT_EQ(LoadFailureReason(LoadFailure::NoLanguageData, QStringLiteral("deu")),
              u"The document needs the text recognition data for German (tesseract-ocr-deu), "
              u"which is not installed.");
    EXPECT_EQ(LoadFailureReason(LoadFailure::NoLanguageData, QStringLiteral("chi_sim")),
              u"The document needs the text recognition data for Chinese (Simplified) "
              u"(tesseract-ocr-chi-sim), which is not installed.");
}

TEST_F(DocumentLoad, AMissingHelperIsReportedAsSuch) {
    const HelperOverride missing(dir.filePath(QStringLiteral("no-such-helper")));
    const LoadResult result = LoadFile(document(), notCancelled);
    EXPECT_EQ(result.failure, LoadFailure::HelperMissing);
}

#ifdef Q_OS_LINUX
TEST_F(DocumentLoad, TheHelperRunsWithinItsLimitsAndInheritsNoDescriptor) {
    // A descriptor the window holds without close-on-exec must still not reach the helper.
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    HelperLimits limits;
    limits.addressSpaceBytes = std::size_t{1} << 30;
    const LoadResult result = extract(QStringLiteral("printf '%s %s ' $(ulimit -v) $(ulimit -f); "
                                                     "[ -e /proc/self/fd/%1 ] && printf open || "
                                                     "printf closed")
                                          .arg(leaked)
                                          .toUtf8(),
                                      limits);
    ::close(leaked);
    EXPECT_EQ(result.text, helper::kLimitsHelperAddressSpace ? u"\r\n1048576 0 closed"
                                                             : u"\r\nunlimited 0 closed");
}
#endif

TEST_F(DocumentLoad, HtmlAndMarkdownComeThroughTheRealHelper) {
    std::atomic<bool> cancel{false};
    const LoadResult html =
        LoadFile(document("page.htm",
                          "<html><head><title>T</title><script>x()</script></head>"
                          "<body><p>Hello <b>there</b>,&nbsp;you.</p><p>Bye</p></body></html>"),
                 cancel);
    EXPECT_EQ(html.failure, LoadFailure::None);
    EXPECT_EQ(html.text, u"\r\nHello there,\u00A0you.\r\nBye");
    const LoadResult markdown =
        LoadFile(document("notes.md", "# Title\n\nSome *words* and [a link](http://x).\n"), cancel);
    EXPECT_EQ(markdown.failure, LoadFailure::None);
    EXPECT_EQ(markdown.text, u"\r\nTitle\r\nSome words and a link.");
}

// Each kind of document through the real helper, as the Load command meets it: the text, or the
// message with its reason and the box unchanged.
struct DocumentCase {
    const char* name;
    const char* fileName;
    std::function<std::string()> bytes;
    LoadFailure failure;
    const char16_t* text;
};

class DocumentFile : public DocumentLoad, public testing::WithParamInterface<DocumentCase> {};

TEST_P(DocumentFile, LoadsItsTextOrKeepsTheBoxAndSaysWhy) {
    frmMain window;
    auto* box = Child<CrLfTextEdit>(window, "txtInputText");
    box->setText(u"my own words");
    const std::string bytes = GetParam().bytes();
    if (bytes.empty() && !fixtures::kQpdfFixtures) {
        GTEST_SKIP() << "no qpdf to write this fixture";
    }
    ASSERT_FALSE(bytes.empty());
    const QString path = test::WriteFile(
        dir, GetParam().fileName, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    test::MessageRecorder recorder;
    window.openFile(path);
    ASSERT_TRUE(test::SpinUntil([&] { return !window.isLoading(); }));
    if (GetParam().failure == LoadFailure::None) {
        EXPECT_TRUE(recorder.messages.empty());
        EXPECT_EQ(box->text(), GetParam().text);
    } else {
        ASSERT_EQ(recorder.messages.size(), 1U);
        EXPECT_EQ(recorder.messages[0].informative, LoadFailureReason(GetParam().failure));
        EXPECT_EQ(box->text(), u"my own words");
    }
}

std::string Half(const std::string& bytes) {
    return bytes.substr(0, bytes.size() / 2);
}

namespace fx = fixtures;
const DocumentCase kDocuments[] = {
    {"Epub", "book.epub",
     [] {
         return fx::EpubBookBytes({{"One", "First words."}, {"Two", "Second & last."}});
     },
     LoadFailure::None, u"\r\nOne\r\nFirst words.\r\nTwo\r\nSecond & last."},
    {"Docx", "letter.docx",
     [] {
         return fx::DocxBytes({"Dear reader,", "Goodbye."});
     },
     LoadFailure::None, u"\r\nDear reader,\r\nGoodbye."},
    {"Odt", "letter.odt",
     [] {
         return fx::OdtBytes({"Dear reader,", "Goodbye."});
     },
     LoadFailure::None, u"\r\nDear reader,\r\nGoodbye."},
    {"Pdf", "paper.pdf",
     [] {
         return fx::TextPdfBytes({{"An exam-", "ple of Jean-", "Paul.", "", "Next one."}});
     },
     LoadFailure::None, u"\r\nAn example of Jean-Paul.\r\nNext one."},
    {"EncryptedPdf", "locked.pdf",
     [] { return fx::EncryptedPdfBytes(fx::TextPdfBytes({{"Secret words."}})); },
     LoadFailure::Encrypted, u""},
    {"ScannedPdf", "scan.pdf", [] { return fx::ImageOnlyPdfBytes(2); }, LoadFailure::NoTextLayer,
     u""},
    {"PdfCutInHalf", "cut.pdf",
     [] {
         return Half(fx::TextPdfBytes({{"Some words."}, {"More words."}}));
     },
     LoadFailure::Damaged, u""},
    {"EpubCutInHalf", "cut.epub",
     [] {
         return Half(fx::EpubBookBytes({{"One", "First words."}}));
     },
     LoadFailure::Damaged, u""},
    {"ZipBomb", "bomb.docx",
     [] { return fx::ZipBombBytes({}, "word/document.xml", std::size_t{256} << 20); },
     LoadFailure::TextTooLarge, u""},
    {"UnknownZip", "archive.zip",
     [] {
         return fx::ZipBytes({{"readme.txt", "hello"}});
     },
     LoadFailure::NotText, u""},
};

INSTANTIATE_TEST_SUITE_P(Kinds, DocumentFile, testing::ValuesIn(kDocuments),
                         [](const auto& p) { return std::string(p.param.name); });

// --- The window side ---------------------------------------------------------------------------

class WindowLoad : public DocumentLoad {
public:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();
    CrLfTextEdit* textBox() { return Child<CrLfTextEdit>(*window, "txtInputText"); }
    bool finish() {
        return test::SpinUntil([this] { return !window->isLoading(); });
    }
};

#ifndef Q_OS_WIN
TEST_F(WindowLoad, CancelInTheProgressDialogKillsTheHelperAndKeepsTheText) {
    const FakeHelper helper(dir, "exec sleep 60");
    textBox()->setText(u"my own words");
    test::MessageRecorder recorder;
    window->openFile(document());
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(test::SpinUntil([&] {
        progress = window->findChild<QProgressDialog*>(QStringLiteral("loadProgress"));
        return progress != nullptr && progress->isVisible();
    }));
    EXPECT_TRUE(progress->labelText().startsWith(QStringLiteral("Loading doc.html")));
    EXPECT_TRUE(progress->isModal());
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }, 20));  // not 60 s
    EXPECT_EQ(textBox()->text(), u"my own words");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(WindowLoad, TheProgressDialogCountsTheScannedPagesRecognised) {
    const FakeHelper helper(dir, "printf 'ocr 0/3\\nocr 1/3\\n' >&2; exec sleep 60");
    window->openFile(document());
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(test::SpinUntil([&] {
        progress = window->findChild<QProgressDialog*>(QStringLiteral("loadProgress"));
        return progress != nullptr && progress->isVisible() && progress->value() == 1;
    }));
    EXPECT_EQ(progress->labelText(),
              QStringLiteral("Reading page 2 of 3 (text recognition)\u2026"));
    EXPECT_EQ(progress->maximum(), 3);
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }, 20));
}

TEST_F(WindowLoad, TheReadingGoesOnWhileALoadRunsAndAnotherLoadWaitsItsTurn) {
    const FakeHelper helper(dir, "sleep 1; printf 'new text'");
    textBox()->setText(u"a b c d e f g h i j k l m n o p q r s t u v w x y z");
    window->cmdStart_Click();
    Child<QTimer>(*window, "tmrMoveNext")->setInterval(5);
    window->openFile(document());
    window->openFile(test::WriteFile(dir, "other.txt", "other text"));  // ignored: one at a time
    EXPECT_TRUE(window->isLoading());
    EXPECT_TRUE(test::SpinUntil([this] { return window->readPosition() > 10; }, 20));
    EXPECT_TRUE(window->isLoading());  // the ticks above came while the helper was still asleep
    ASSERT_TRUE(finish());
    EXPECT_EQ(textBox()->text(), u"\r\nnew text");
}
#endif

// A drag and drop, as Qt delivers it to the widget under the pointer.
void Drop(QWidget* target, const QMimeData& mime) {
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

// A file dragged from a file manager.
void DropFile(QWidget* target, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    Drop(target, mime);
}

TEST_F(WindowLoad, AFileDroppedOnTheBandOrTheTextBoxLoadsLockedOrNot) {
    DropFile(Child<QLabel>(*window, "lblOutputText"), test::WriteFile(dir, "a.txt", "first"));
    ASSERT_TRUE(finish());
    EXPECT_EQ(textBox()->text(), u"\r\nfirst");

    window->cmdStart_Click();  // locks the box
    DropFile(textBox()->viewport(), test::WriteFile(dir, "b.txt", "second"));
    ASSERT_TRUE(finish());
    EXPECT_EQ(textBox()->text(), u"\r\nsecond");
}

TEST_F(WindowLoad, DroppedTextIsStillTheTextBoxsOwn) {
    textBox()->setText(u"");
    QMimeData mime;
    mime.setText(QStringLiteral("typed by dropping"));
    Drop(textBox()->viewport(), mime);
    EXPECT_FALSE(window->isLoading());
    EXPECT_EQ(textBox()->text(), u"typed by dropping");
}

}  // namespace
}  // namespace lexaro
