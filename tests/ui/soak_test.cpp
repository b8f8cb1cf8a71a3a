// A long, randomised use of the real windows: a reading of a large text ticked many times among
// pauses, stops, pace, colour and font changes, loads of good and bad files, edits while idle, and
// the full-screen and About windows opened and closed. Invariants are checked after every step.
//
// The suite runs a short soak; LEXARO_SOAK_STEPS=500000 runs a long one by hand.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <random>
#include <set>

#include "tests/support/proc_status.h"
#include "tests/support/sample_text.h"
#include "tests/ui/widget_test_support.h"
#include "ui/FileDialog.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace lexaro {
namespace {

using test::Child;

class Soak : public testing::Test {
protected:
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>();
    std::mt19937 rng{20261207};
    QTemporaryDir dir;
    test::MessageRecorder messages;  // size bound messages are answered at once

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <typename T>
    T* child(const char* name) {
        return Child<T>(*window, name);
    }

    void checkInvariants(int step) {
        // Idle, Reading, Paused or Ended, and Paused reached from Idle through the View menu.
        static const std::set<std::string> kStates = {"10000", "01111", "10101", "10100"};
        ASSERT_TRUE(kStates.count(test::TransportState(*window)))
            << "step " << step << ": " << test::TransportState(*window);
        ASSERT_GE(window->pauseTicks(), 0);
        ASSERT_LE(window->pauseTicks(), 2);
        ASSERT_NE(child<QComboBox>("cmbTextColor")->currentText(),
                  child<QComboBox>("cmbBackgroundColor")->currentText());
        ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr) << "pointer hidden, step " << step;
    }

    // One random thing a user might do.
    void act(const QStringList& files) {
        auto* box = child<CrLfTextEdit>("txtInputText");
        switch (pick(20)) {
            case 0:
                window->cmdStart_Click();
                break;
            case 1:
                window->cmdPause_Click();
                break;
            case 2:
                window->cmdStop_Click();
                break;
            case 3:
                child<QAction>(pick(2) ? "mnuViewStart" : "mnuViewPause")->trigger();
                break;
            case 4:
                child<QScrollBar>("hscScrollSpeed")->setValue(60 + pick(1741));
                break;
            case 5:
                child<QComboBox>("cmbTextColor")->setCurrentIndex(pick(16));
                break;
            case 6:
                child<QComboBox>("cmbBackgroundColor")->setCurrentIndex(pick(16));
                break;
            case 7:
                child<QScrollBar>("hscFontSize")->setValue(8 + pick(113));
                break;
            case 8:
                child<QAction>(pick(2) ? "mnuViewTextSizeIncrease" : "mnuViewTextSizeDecrease")
                    ->trigger();
                break;
            case 9: {
                auto* faces = child<QComboBox>("cmbFontStyle");
                const int index = pick(faces->count());
                faces->setCurrentIndex(index);
                emit faces->activated(index);
                break;
            }
            case 10:
                FileDialog::setNextFileName(files[pick(static_cast<int>(files.size()))]);
                window->cmdLoadText_Click();
                EXPECT_TRUE(test::SpinUntil([this] { return !window->isLoading(); }));
                break;
            case 11:
                if (!box->isLocked()) {
                    QTextCursor cursor = box->textCursor();
                    cursor.setPosition(pick(static_cast<int>(box->document()->characterCount())));
                    cursor.insertText(pick(2) ? QStringLiteral("typed words, ")
                                              : QStringLiteral("\n"));
                }
                break;
            case 12:
                openAndClose("cmdFullScreen_Click");
                break;
            case 13:
                openAndClose("cmdAbout_Click");
                break;
            default:
                window->tmrMoveNext_Timer();
                break;
        }
    }

    // Opens a modal window, lets the reading tick inside it, and closes it.
    void openAndClose(const char* opener) {
        QTimer::singleShot(0, [this] {
            for (int i = pick(20); i > 0; --i) {
                window->tmrMoveNext_Timer();
            }
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        QMetaObject::invokeMethod(window.get(), opener);
    }
};

TEST_F(Soak, LongUseKeepsEveryInvariantAndMemoryFlat) {
    const int steps = qEnvironmentVariableIsSet("LEXARO_SOAK_STEPS")
                          ? qEnvironmentVariableIntValue("LEXARO_SOAK_STEPS")
                          : 15000;
    const std::u16string big = lexaro::test::TextOfSize(10 << 20);
    std::string utf8(big.begin(), big.end());
    const QStringList files = {
        test::WriteFile(dir, "big.txt",
                        QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()))),
        test::WriteFile(dir, "small.txt", "A short file, with a few words.\nAnd a second line!\n"),
        test::WriteFile(dir, "binary.bin", QByteArray("\x00\x01\x02", 3)),
        dir.filePath("missing.txt"), dir.path()};
    child<CrLfTextEdit>("txtInputText")->setText(big);

    long settledKb = 0;
    for (int step = 0; step < steps; ++step) {
        // The large file is loaded rarely: it is slow, and once shows that it works.
        act(step % 997 == 0 ? QStringList{files[0]} : files.mid(1));
        checkInvariants(step);
        if (HasFatalFailure()) {
            return;
        }
        if (step == steps / 3) {
            settledKb = lexaro::test::ProcStatusKb("VmRSS");
        }
    }
    const long endKb = lexaro::test::ProcStatusKb("VmRSS");
    EXPECT_LT(endKb - settledKb, 64 * 1024)
        << "resident memory grew from " << settledKb << " kB to " << endKb << " kB";
}

}  // namespace
}  // namespace lexaro
