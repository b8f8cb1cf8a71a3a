// Whatever a text holds is shown as characters: markup, entities, images, control characters
// and direction overrides are never interpreted, in the band and in the full-screen view alike.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <memory>

#include "tests/ui/widget_test_support.h"
#include "ui/fullscreen/frmFullScreen.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace lexaro {
namespace {

using test::Child;
using test::WhileModal;

struct HostileCase {
    const char* name;
    std::u16string word;
};

class HostileWord : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileWord, IsShownAsTypedInBandAndFullScreen) {
    const std::u16string& word = GetParam().word;
    frmMain window;
    Child<CrLfTextEdit>(window, "txtInputText")->setText(word);
    window.cmdStart_Click();
    QString mirrored;
    Qt::TextFormat mirroredFormat = Qt::AutoText;
    const bool opened = WhileModal<frmFullScreen>([&] { window.cmdFullScreen_Click(); },
                                                  [&](frmFullScreen& view) {
                                                      window.tmrMoveNext_Timer();
                                                      auto* label =
                                                          Child<QLabel>(view, "lblLargeScreen");
                                                      mirrored = label->text();
                                                      mirroredFormat = label->textFormat();
                                                  });
    EXPECT_TRUE(opened);
    auto* band = Child<QLabel>(window, "lblOutputText");
    EXPECT_EQ(band->text().toStdU16String(), word);
    EXPECT_EQ(band->textFormat(), Qt::PlainText);
    EXPECT_EQ(mirrored.toStdU16String(), word);
    EXPECT_EQ(mirroredFormat, Qt::PlainText);
    // Painting it must not reach for anything: it renders like any other word.
    EXPECT_FALSE(band->grab().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Words, HostileWord,
    testing::Values(HostileCase{"Markup", u"<b>bold</b><i>x</i>"},
                    HostileCase{"Entity", u"&amp;&lt;&#65;"},
                    HostileCase{"Image", u"<img/src=\"file:///etc/passwd\"/onerror=x>"},
                    HostileCase{"Link", u"<a/href=\"http://127.0.0.1/\">x</a>"},
                    HostileCase{"Ampersand", u"&Start"},
                    HostileCase{"ControlCharacters", u"\u0001\u0007\u001b[31m\u007f"},
                    HostileCase{"DirectionOverride", u"\u202Eevil\u202C\u2066x\u2069"},
                    HostileCase{"NulAndReplacement", std::u16string(u"a\0b\uFFFD", 4)},
                    HostileCase{"LoneSurrogates", u"\xD800x\xDC00"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace lexaro
