#include "ui/main/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include "engine/font_size.h"
#include "engine/pace.h"
#include "engine/palette.h"
#include "engine/welcome_text.h"
#include "engine/word_stepper.h"
#include "ui/BandCaption.h"
#include "ui/DisplayMode.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/fullscreen/frmFullScreen.h"
#include "ui/load/LoadResult.h"
#include "ui/load/LoadSession.h"
#include "ui/main/CrLfTextEdit.h"

namespace lexaro {

namespace {

constexpr int kClientWidthTwips = 9510;
constexpr int kClientHeightTwips = 6750;

template <typename Widget>
Widget* Place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QColor ToQColor(const Rgb& rgb) {
    return {rgb.red, rgb.green, rgb.blue};
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption,
                  const QRect& geometry) {
    auto* label = Place(new QLabel(caption, parent), name, geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& geometry) {
    return Place(new QPushButton(caption, parent), name, geometry);
}

QScrollBar* MakeScrollBar(QWidget* parent, const char* name, const QRect& geometry, int min,
                          int max, int smallChange, int largeChange, int value) {
    auto* bar = Place(new QScrollBar(Qt::Horizontal, parent), name, geometry);
    bar->setRange(min, max);
    bar->setSingleStep(smallChange);
    bar->setPageStep(largeChange);
    bar->setValue(value);
    bar->setFocusPolicy(Qt::StrongFocus);  // reachable with Tab and steered with the arrow keys
    return bar;
}

QComboBox* MakeComboBox(QWidget* parent, const char* name, const QRect& geometry,
                        const QStringList& entries, bool editable) {
    auto* box = Place(new QComboBox(parent), name, geometry);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(entries);
    box->setCurrentIndex(-1);
    return box;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Lexaro v1.1 Build 319"));
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/lexaro-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // The layout is measured for a small sans-serif dialog font; Arial at 8 points (Liberation Sans
    // where Arial itself is missing) keeps every caption inside its designed box.
    setFont(QFont(QStringLiteral("Arial"), 8));

    createControls();
    createMenus();
    connectHandlers();

    // The client area below the menu bar is fixed; the window's size follows from it.
    central_->setFixedSize(Twips(kClientWidthTwips), Twips(kClientHeightTwips));
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    qApp->installEventFilter(this);
    Form_Load();
}

frmMain::~frmMain() = default;

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
void frmMain::createControls() {
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(central_);
    QWidget* w = central_;

    txtInputText = Place(new CrLfTextEdit(w), "txtInputText", TwipsRect(4560, 4920, 4455, 1335));
    txtInputText->setText(WelcomeText());
    Label1 = MakeLabel(w, "Label1", tr("Current text:"), TwipsRect(4560, 4680, 975, 255));
    cmdStart = MakeButton(w, "cmdStart", tr("&Start"), TwipsRect(240, 3720, 975, 375));
    cmdStart->setDefault(true);
    cmdStop = MakeButton(w, "cmdStop", tr("S&top"), TwipsRect(2400, 3720, 1095, 375));
    cmdStop->setEnabled(false);
    cmdPause = MakeButton(w, "cmdPause", tr("&Pause"), TwipsRect(1320, 3720, 975, 375));
    cmdPause->setEnabled(false);
    hscFontSize = MakeScrollBar(w, "hscFontSize", TwipsRect(4920, 480, 3975, 255), kMinFontSize,
                                kMaxFontSize, 4, 20, kNormalFontSize);
    Label2 = MakeLabel(w, "Label2", tr("Font size:"), TwipsRect(5640, 120, 1215, 255));
    cmdFullScreen =
        MakeButton(w, "cmdFullScreen", tr("&Full screen mode"), TwipsRect(240, 5040, 3375, 375));

    QStringList colourNames;
    for (const std::u16string_view name : ColourNames()) {
        colourNames << ToQString(name);
    }
    cmbTextColor =
        MakeComboBox(w, "cmbTextColor", TwipsRect(5640, 4080, 1575, 315), colourNames, false);
    Label3 = MakeLabel(w, "Label3", tr("Text color:"), TwipsRect(4560, 4080, 975, 255));
    Label4 = MakeLabel(w, "Label4", tr("Background color:"), TwipsRect(7800, 3720, 1455, 255));
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    cmbBackgroundColor =
        MakeComboBox(w, "cmbBackgroundColor", TwipsRect(7560, 3960, 1695, 315), colourNames, false);
    hscScrollSpeed = MakeScrollBar(w, "hscScrollSpeed", TwipsRect(240, 480, 4455, 255),
                                   kMinWordsPerMinute, kMaxWordsPerMinute, 60, 300, 120);
    Label5 = MakeLabel(w, "Label5", tr("Font style:"), TwipsRect(4560, 3720, 855, 255));
    cmbFontStyle = MakeComboBox(
        w, "cmbFontStyle", TwipsRect(5640, 3720, 1335, 315),
        {QStringLiteral("Arial"), QStringLiteral("Times New Roman"), QStringLiteral("Tahoma"),
         QStringLiteral("Verdana"), QStringLiteral("Comic Sans MS")},
        true);
    cmbFontStyle->setEditText(QStringLiteral("Arial"));

    // The display band shows words as typed, never as markup, centred and drawn from its top.
    lblOutputText = MakeLabel(w, "lblOutputText", QString(), TwipsRect(120, 840, 9255, 2775));
    lblOutputText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblOutputText->setAutoFillBackground(true);
    QPalette band = lblOutputText->palette();
    band.setColor(QPalette::Window, QColor(0, 0, 0));
    band.setColor(QPalette::WindowText, QColor(0, 255, 0));
    lblOutputText->setPalette(band);
    QFont bandFont(QStringLiteral("Arial"));
    bandFont.setPointSizeF(24);
    bandFont.setWeight(QFont::Normal);
    lblOutputText->setFont(bandFont);

    cmdAbout = MakeButton(w, "cmdAbout", tr("&About Lexaro"), TwipsRect(1920, 6000, 1695, 615));
    cmdLoadText =
        MakeButton(w, "cmdLoadText", tr("&Load Text from File"), TwipsRect(240, 4320, 3375, 375));
    cmdPasteText = MakeButton(w, "cmdPasteText", tr("Paste Text from Clipboard"),
                              TwipsRect(4560, 6240, 2175, 270));
    cmdPasteText->setEnabled(false);
    cmdClearText =
        MakeButton(w, "cmdClearText", tr("Clear Current Text"), TwipsRect(6960, 6240, 1815, 270));
    cmdClearText->setEnabled(false);
    Label6 = MakeLabel(w, "Label6", tr("Words Per Minute:"), TwipsRect(360, 120, 1455, 255));
    cmdExit = MakeButton(w, "cmdExit", tr("E&xit"), TwipsRect(240, 6000, 1575, 615));
    lblWPM = MakeLabel(w, "lblWPM", QStringLiteral("120"), TwipsRect(1920, 120, 1215, 255));
    lblFontSize =
        MakeLabel(w, "lblFontSize", QStringLiteral("24"), TwipsRect(6720, 120, 1215, 255));

    // The display mode (see ui/DisplayMode.h) lives in a never-shown text box.
    onScreen = Place(new QLineEdit(w), "onScreen", TwipsRect(2880, 3480, 375, 375));
    onScreen->setVisible(false);

    tmrMoveNext = new QTimer(this);
    tmrMoveNext->setObjectName(QStringLiteral("tmrMoveNext"));
    tmrMoveNext->setTimerType(Qt::PreciseTimer);
    tmrMoveNext->setInterval(0);

    commonDialog = std::make_unique<FileDialog>(this);
    load_ = new LoadSession(this);
    connect(load_, &LoadSession::loaded, this, &frmMain::adoptLoadedText);
    connect(txtInputText, &CrLfTextEdit::filled, load_, &LoadSession::adopted);
    setAcceptDrops(true);

    QWidget* const tabOrder[] = {txtInputText,   cmdStart,      cmdStop,      cmdPause,
                                 hscFontSize,    cmdFullScreen, cmbTextColor, cmbBackgroundColor,
                                 hscScrollSpeed, cmbFontStyle,  cmdAbout,     cmdLoadText,
                                 cmdPasteText,   cmdClearText,  cmdExit};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    txtInputText->setFocus();

    // Names for assistive technology where no caption says what a control is. Buttons and labels
    // speak their captions; the display band has no fixed name, so it reports the word it shows.
    txtInputText->setAccessibleName(tr("Current text"));
    lblOutputText->setAccessibleDescription(tr("The word being read"));
    hscScrollSpeed->setAccessibleName(tr("Words per minute"));
    hscFontSize->setAccessibleName(tr("Font size"));
    cmbTextColor->setAccessibleName(tr("Text color"));
    cmbBackgroundColor->setAccessibleName(tr("Background color"));
    cmbFontStyle->setAccessibleName(tr("Font style"));
    // Each caption belongs to its control, so assistive technology can announce a list as "Text
    // color" rather than by its value alone (label-for / labelled-by). The captions have no
    // access key, so this adds none.
    Label1->setBuddy(txtInputText);
    Label2->setBuddy(hscFontSize);
    Label3->setBuddy(cmbTextColor);
    Label4->setBuddy(cmbBackgroundColor);
    Label5->setBuddy(cmbFontStyle);
    Label6->setBuddy(hscScrollSpeed);
}

// NOLINTNEXTLINE(readability-function-size,readability-function-cognitive-complexity)
void frmMain::createMenus() {
    struct Item {
        const char* name;
        const char* caption;  // "-" for a separator
        bool enabled;
    };
    const auto addMenu = [](QWidget* owner, const char* name, const QString& title,
                            std::initializer_list<Item> items) {
        auto* menu = new QMenu(title, owner);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        for (const Item& item : items) {
            QAction* action = QLatin1String(item.caption) == QLatin1String("-")
                                  ? menu->addSeparator()
                                  : menu->addAction(tr(item.caption));
            action->setObjectName(QLatin1String(item.name));
            action->setEnabled(item.enabled);
        }
        if (auto* bar = qobject_cast<QMenuBar*>(owner)) {
            bar->addMenu(menu);
        } else {
            qobject_cast<QMenu*>(owner)->addMenu(menu);
        }
        return menu;
    };

    QMenuBar* bar = menuBar();
    addMenu(bar, "mnuFile", tr("&File"),
            {{"mnuFileNew", "&New", false},
             {"mnuFileOpen", "&Open", false},
             {"mnuFileBlank1", "-", true},
             {"mnuFileExit", "E&xit", true}});
    addMenu(bar, "mnuEdit", tr("&Edit"),
            {{"mnuEditUndo", "&Undo", false},
             {"mnuEditRedo", "&Redo", false},
             {"mnuEditBlank1", "-", true},
             {"mnuEditCut", "&Cut", false},
             {"mnuEditCopy", "&Copy", false},
             {"mnuEditPaste", "&Paste", false},
             {"mnuEditDelete", "&Delete", false},
             {"mnuEditBlank2", "-", true},
             {"mnuEditSelectAll", "&Select All", false}});
    QMenu* view = addMenu(bar, "mnuView", tr("&View"),
                          {{"mnuViewStatusBar", "&Status Bar", false},
                           {"mnuViewBlank1", "-", true},
                           {"mnuViewStart", "&Start", true},
                           {"mnuViewPause", "&Pause", true},
                           {"mnuViewStop", "&Stop", true},
                           {"mnuViewBlank2", "-", true}});
    addMenu(view, "mnuViewTextSize", tr("&Text Size"),
            {{"mnuViewTextSizeIncrease", "&Increase", true},
             {"mnuViewTextSizeDecrease", "&Decrease", true},
             {"mnuViewTextSizeBlank1", "-", true},
             {"mnuViewTextSizeNormal", "&Normal", true}});
    view->addSeparator()->setObjectName(QStringLiteral("mnuViewBlank3"));
    view->addAction(tr("&Full Screen"))->setObjectName(QStringLiteral("mnuViewFullScreen"));
    addMenu(bar, "mnuTools", tr("&Tools"), {{"mnuToolsOptions", "&Options", false}});
    addMenu(bar, "mnuHelp", tr("&Help"),
            {{"mnuHelpHelpContents", "&Help Contents", false},
             {"mnuHelpBlank1", "-", true},
             {"mnuHelpCheckForUpdates", "&Check for Updates", false},
             {"mnuHelpBlank2", "-", true},
             {"mnuHelpAboutLexaro", "&About Lexaro", true}});

    // The window has no status bar, so its item stays checked and can never be chosen.
    auto* statusBarItem = findChild<QAction*>(QStringLiteral("mnuViewStatusBar"));
    statusBarItem->setCheckable(true);
    statusBarItem->setChecked(true);

    mnuFileExit = findChild<QAction*>(QStringLiteral("mnuFileExit"));
    mnuViewStart = findChild<QAction*>(QStringLiteral("mnuViewStart"));
    mnuViewPause = findChild<QAction*>(QStringLiteral("mnuViewPause"));
    mnuViewStop = findChild<QAction*>(QStringLiteral("mnuViewStop"));
    mnuViewTextSizeIncrease = findChild<QAction*>(QStringLiteral("mnuViewTextSizeIncrease"));
    mnuViewTextSizeDecrease = findChild<QAction*>(QStringLiteral("mnuViewTextSizeDecrease"));
    mnuViewTextSizeNormal = findChild<QAction*>(QStringLiteral("mnuViewTextSizeNormal"));
    mnuViewFullScreen = findChild<QAction*>(QStringLiteral("mnuViewFullScreen"));
    mnuHelpAboutLexaro = findChild<QAction*>(QStringLiteral("mnuHelpAboutLexaro"));
}

void frmMain::connectHandlers() {
    // Direct connections throughout: a value set from code runs its handler before the setter
    // returns, exactly like the user's own action.
    connect(cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(cmdPause, &QPushButton::clicked, this, &frmMain::cmdPause_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(mnuViewStart, &QAction::triggered, this, &frmMain::mnuViewStart_Click);
    connect(mnuViewPause, &QAction::triggered, this, &frmMain::mnuViewPause_Click);
    connect(mnuViewStop, &QAction::triggered, this, &frmMain::mnuViewStop_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(tmrMoveNext, &QTimer::timeout, this, &frmMain::tmrMoveNext_Timer);
    connect(hscScrollSpeed, &QScrollBar::valueChanged, this, &frmMain::hscScrollSpeed_Change);
    connect(hscScrollSpeed, &QScrollBar::sliderMoved, this, &frmMain::hscScrollSpeed_Scroll);
    connect(cmbTextColor, &QComboBox::currentIndexChanged, this, &frmMain::cmbTextColor_Click);
    connect(cmbBackgroundColor, &QComboBox::currentIndexChanged, this,
            &frmMain::cmbBackgroundColor_Click);
    connect(hscFontSize, &QScrollBar::valueChanged, this, &frmMain::hscFontSize_Change);
    connect(hscFontSize, &QScrollBar::sliderMoved, this, &frmMain::hscFontSize_Scroll);
    connect(mnuViewTextSizeIncrease, &QAction::triggered, this,
            &frmMain::mnuViewTextSizeIncrease_Click);
    connect(mnuViewTextSizeDecrease, &QAction::triggered, this,
            &frmMain::mnuViewTextSizeDecrease_Click);
    connect(mnuViewTextSizeNormal, &QAction::triggered, this,
            &frmMain::mnuViewTextSizeNormal_Click);
    connect(cmdLoadText, &QPushButton::clicked, this, &frmMain::cmdLoadText_Click);
    connect(txtInputText, &CrLfTextEdit::pasteRefused, this, [this](ShapeVerdict verdict) {
        MessageBox::showOk(this, tr("Nothing was pasted."), QStringLiteral("Lexaro"),
                           MessageBox::Icon::None, ShapeVerdictReason(verdict));
    });
    connect(cmdFullScreen, &QPushButton::clicked, this, &frmMain::cmdFullScreen_Click);
    connect(mnuViewFullScreen, &QAction::triggered, this, &frmMain::mnuViewFullScreen_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(mnuHelpAboutLexaro, &QAction::triggered, this, &frmMain::mnuHelpAboutLexaro_Click);
    // Only choosing an entry applies a face; typing in the edit field runs nothing. Qt's editable
    // list also reports a typed name that matches an entry as chosen once its edit field finishes
    // editing (the focus leaving it, the list opening), which would apply typed text after all;
    // that one path from the edit field to the list is cut.
    connect(cmbFontStyle, &QComboBox::activated, this, &frmMain::cmbFontStyle_Click);
    disconnect(cmbFontStyle->lineEdit(), &QLineEdit::editingFinished, cmbFontStyle, nullptr);
}

// The start values, in an order that matters: the text colour is chosen while the background
// list is still empty, so the same-colour rule has nothing to compare against.
void frmMain::Form_Load() {
    cmbTextColor->setCurrentText(ToQString(ColourNames()[kPaletteWhite]));
    cmbBackgroundColor->setCurrentText(ToQString(ColourNames()[kPaletteBlack]));
    hscFontSize_Change();
    hscScrollSpeed_Change();
}

// --- Transport -------------------------------------------------------------------------------

void frmMain::cmdStart_Click() {
    cmdStart->setEnabled(false);
    cmdPause->setEnabled(true);
    cmdStop->setEnabled(true);
    txtInputText->setLocked(true);
    // Starting a timer that already runs would restart its countdown and delay the next word.
    if (!tmrMoveNext->isActive()) {
        tmrMoveNext->start();
    }
}

void frmMain::cmdPause_Click() {
    cmdStart->setEnabled(true);
    cmdPause->setEnabled(false);
    cmdStop->setEnabled(true);
    tmrMoveNext->stop();
}

void frmMain::cmdStop_Click() {
    cmdStart->setEnabled(true);
    cmdPause->setEnabled(false);
    cmdStop->setEnabled(false);
    txtInputText->setLocked(false);
    tmrMoveNext->stop();
    intReadPos = 0;
    lblOutputText->clear();
}

void frmMain::mnuViewStart_Click() {
    cmdStart_Click();
}
void frmMain::mnuViewPause_Click() {
    cmdPause_Click();
}
void frmMain::mnuViewStop_Click() {
    cmdStop_Click();
}

// --- The tick --------------------------------------------------------------------------------

void frmMain::tmrMoveNext_Timer() {
    const CrLfText& text = txtInputText->crLfText();
    const WordStep step = StepWord(text.text(), intReadPos, intPauseTicks, text.lastSpace());
    if (!step.blnHoldTick) {
        ShowInBand(*lblOutputText, ToQString(ShownCaption(step.strCaption)));
        txtInputText->setSelStart(step.lngSelStart);
        txtInputText->setSelLength(step.lngSelLength);
        if (onScreen->text() == kDisplayModeMain) {
            txtInputText->setFocus();
        }
        if (step.blnEndOfText) {
            tmrMoveNext->stop();
            cmdStart->setEnabled(true);
            cmdPause->setEnabled(false);
            cmdStop->setEnabled(true);
        }
    }
    if (onScreen->text() == kDisplayModeFullScreen) {
        mirrorToFullScreen();
    }
}

void frmMain::mirrorToFullScreen() {
    if (fullScreen_ != nullptr) {
        fullScreen_->mirror(*lblOutputText);
    }
}

// --- Pace ------------------------------------------------------------------------------------

void frmMain::hscScrollSpeed_Change() {
    hscScrollSpeed_Scroll();
}

void frmMain::hscScrollSpeed_Scroll() {
    lblWPM->setText(QString::number(hscScrollSpeed->value()));
    // The interval follows the number the caption shows, read back from it.
    tmrMoveNext->setInterval(TickIntervalMs(lblWPM->text().toInt()));
}

// --- Colours ---------------------------------------------------------------------------------

void frmMain::cmbTextColor_Click() {
    applyColourChoice(cmbTextColor, cmbBackgroundColor, QPalette::WindowText);
}

void frmMain::cmbBackgroundColor_Click() {
    applyColourChoice(cmbBackgroundColor, cmbTextColor, QPalette::Window);
}

void frmMain::applyColourChoice(QComboBox* own, const QComboBox* other, QPalette::ColorRole role) {
    if (const int index = ColourIndexOf(own->currentText().toStdU16String()); index >= 0) {
        QPalette band = lblOutputText->palette();
        band.setColor(role, ToQColor(PaletteColour(index)));
        lblOutputText->setPalette(band);
    }
    // Setting the index runs this handler again before it returns; that nested run colours the
    // neighbour and finds the two lists different.
    if (own->currentText() == other->currentText()) {
        own->setCurrentIndex(SameColourNeighbour(own->currentIndex(), own->count()));
    }
}

// --- Font size and face ----------------------------------------------------------------------

void frmMain::hscFontSize_Change() {
    hscFontSize_Scroll();
}

void frmMain::hscFontSize_Scroll() {
    lblFontSize->setText(QString::number(hscFontSize->value()));
    // The band's size is the number its caption shows, read back from it.
    QFont font = lblOutputText->font();
    font.setPointSizeF(lblFontSize->text().toDouble());
    lblOutputText->setFont(font);
}

void frmMain::mnuViewTextSizeIncrease_Click() {
    stepFontSize(kFontSizeMenuStep, tr("This is the max size!"));
}

void frmMain::mnuViewTextSizeDecrease_Click() {
    stepFontSize(-kFontSizeMenuStep, tr("This is the min size!"));
}

void frmMain::stepFontSize(int delta, const QString& boundMessage) {
    if (const auto next = SteppedFontSize(hscFontSize->value(), delta, hscFontSize->minimum(),
                                          hscFontSize->maximum())) {
        hscFontSize->setValue(*next);  // the scroll bar's Change carries the size on
    } else {
        MessageBox::showOk(this, boundMessage, QStringLiteral("Lexaro"), MessageBox::Icon::Stop);
    }
}

void frmMain::mnuViewTextSizeNormal_Click() {
    hscFontSize->setValue(kNormalFontSize);
}

void frmMain::cmbFontStyle_Click() {
    QFont font = lblOutputText->font();
    font.setFamily(cmbFontStyle->currentText());
    lblOutputText->setFont(font);
}

// --- Loading a file --------------------------------------------------------------------------

// Replaces the text box's content with a file's (see LoadSession). Nothing else changes: a reading
// under way goes on in the new text from its old position.
void frmMain::cmdLoadText_Click() {
    if (isLoading()) {
        return;  // one load at a time; its progress dialog shows shortly
    }
    const QString path = commonDialog->showOpen();
    if (!path.isEmpty()) {
        openFile(path);
    }
}

bool frmMain::isLoading() const {
    return load_->isLoading();
}

void frmMain::openFile(const QString& path) {
    load_->open(path);
}

void frmMain::setOcrLanguage(const QString& languages) {
    load_->setOcrLanguage(languages);
}

// A text longer than one step fills the box in steps, and the load ends when it is filled.
void frmMain::adoptLoadedText(LoadedText text) {
    txtInputText->adoptText(text.take(), text.shape());
    if (!txtInputText->isFilling()) {
        load_->adopted();
    }
}

// --- Secondary windows ----------------------------------------------------------------------

// Both windows are modal: the main window takes no input while one is open, but its timer keeps
// ticking inside the nested event loop. Each is created for the showing and destroyed after it,
// and sets the display mode back to "Main" as it unloads.
void frmMain::cmdFullScreen_Click() {
    onScreen->setText(kDisplayModeFullScreen);
    frmFullScreen window(this, onScreen);
    fullScreen_ = &window;
    window.exec();
}

void frmMain::mnuViewFullScreen_Click() {
    cmdFullScreen_Click();
}

void frmMain::cmdAbout_Click() {
    onScreen->setText(kDisplayModeAbout);
    frmAbout window(this, onScreen);
    window.exec();
}

void frmMain::mnuHelpAboutLexaro_Click() {
    cmdAbout_Click();
}

// --- Exit ------------------------------------------------------------------------------------

void frmMain::cmdExit_Click() {
    close();
}
void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A reading under way stops here: no tick may arrive once the window is going away. A load
    // under way is abandoned; its helper is killed.
    tmrMoveNext->stop();
    load_->cancel();
    event->accept();
}

// --- Keyboard --------------------------------------------------------------------------------

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleWindowKey(watched, *static_cast<QKeyEvent*>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            // A file dragged onto the band or the text box loads like Load.
            auto* widget = qobject_cast<QWidget*>(watched);
            return widget != nullptr && widget->window() == this &&
                   load_->handleDrop(*static_cast<QDropEvent*>(event));
        }
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmMain::handleWindowKey(QObject* receiver, const QKeyEvent& key) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    // Only keys aimed at this window count; a menu bar in keyboard mode keeps its own keys.
    if (widget == nullptr || widget->window() != this || qobject_cast<QMenuBar*>(widget)) {
        return false;
    }
    if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        return stepScrollBar(*bar, key);
    }
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (widget == txtInputText && key.modifiers().testFlag(Qt::ControlModifier)) {
                if (!txtInputText->isLocked()) {
                    txtInputText->insertPlainText(QStringLiteral("\n"));
                }
            } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
                button->click();  // a focused button takes Enter for itself
            } else if (cmdStart->isEnabled()) {
                cmdStart_Click();
            }
            return true;
        case Qt::Key_Escape:
            if (cmdStop->isEnabled()) {
                cmdStop_Click();
            }
            return true;
        default:
            return false;
    }
}

// Qt steers its scroll bars as vertical ones whatever their orientation, so Right would lower the
// value and Left raise it. Both bars here are horizontal: Right and Down raise the value by the
// small change, Left and Up lower it, Page Down and Page Up move by the large change. Home and End
// are left to the bar, which already goes to its bounds.
bool frmMain::stepScrollBar(QScrollBar& bar, const QKeyEvent& key) {
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (key.key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        default:
            return false;
    }
    bar.triggerAction(action);
    return true;
}

}  // namespace lexaro
