#include "ui/main/CrLfTextEdit.h"

#include <algorithm>
#include <utility>

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "ui/QtText.h"

namespace lexaro {

namespace {

// How many characters without a space end at `end` (going back) or start there (going on).
std::size_t RunBefore(const QString& line, qsizetype end) {
    qsizetype at = end;
    while (at > 0 && !line[at - 1].isSpace()) {
        --at;
    }
    return static_cast<std::size_t>(end - at);
}

std::size_t RunAfter(const QString& line, qsizetype start) {
    qsizetype at = start;
    while (at < line.size() && !line[at].isSpace()) {
        ++at;
    }
    return static_cast<std::size_t>(at - start);
}

}  // namespace

CrLfTextEdit::CrLfTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);  // Tab moves on through the window, as in every other control

    // The selection shows only while the box has the focus: an unfocused box paints its
    // selection like ordinary text.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Inactive, QPalette::Text));
    setPalette(pal);

    connect(document(), &QTextDocument::contentsChange, this, [this] {
        // While a loaded text fills in, the cache already holds all of it.
        if (!isFilling() || !fillText_.empty()) {
            cacheStale_ = true;
        }
        setStart_.reset();
    });

    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &CrLfTextEdit::followCaretParagraph);

    fillTimer_ = new QTimer(this);
    fillTimer_->setInterval(0);
    connect(fillTimer_, &QTimer::timeout, this, &CrLfTextEdit::fillStep);
}

const CrLfText& CrLfTextEdit::crLfText() const {
    if (cacheStale_) {
        const QString raw = document()->toRawText();
        cache_ = CrLfText(ToView(raw));
        cacheStale_ = false;
    }
    return cache_;
}

void CrLfTextEdit::setText(std::u16string_view text) {
    stopFilling();
    wrapForRun(MeasureTextShape(text).longestRun);
    replaceText(ToQString(text));
}

void CrLfTextEdit::adoptText(std::u16string text) {
    const TextShape shape = MeasureTextShape(text);
    adoptText(std::move(text), shape);
}

void CrLfTextEdit::adoptText(std::u16string text, const TextShape& shape) {
    stopFilling();
    wrapForRun(shape.longestRun);
    const std::size_t firstStep = WholeLinesEnd(text, 0, kFillStepUnits, kFillStepLines);
    replaceText(ToQString(std::u16string_view(text).substr(0, firstStep)));
    if (firstStep < text.size()) {
        // Not undoable while it fills; setPlainText() has emptied the undo history anyway.
        setUndoRedoEnabled(false);
        fillAt_ = firstStep;
        applyReadOnly();
        fillTimer_->start();
    }
    if (std::optional<CrLfText> view = CrLfText::fromCrLfText(text)) {
        cache_ = std::move(*view);
        cacheStale_ = false;
    } else if (isFilling()) {
        fillText_ = std::move(text);
    }
}

void CrLfTextEdit::replaceText(const QString& text) {
    caretParagraph_ = QTextCursor();  // no paragraph of the new text has been left
    setPlainText(text);
}

void CrLfTextEdit::fillStep() {
    const std::u16string_view text =
        fillText_.empty() ? std::u16string_view(cache_.text()) : std::u16string_view(fillText_);
    const std::size_t end = WholeLinesEnd(text, fillAt_, kFillStepUnits, kFillStepLines);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToQString(text.substr(fillAt_, end - fillAt_)));
    fillAt_ = end;
    if (fillAt_ == text.size()) {
        stopFilling();
    }
}

void CrLfTextEdit::stopFilling() {
    if (!isFilling()) {
        return;
    }
    fillTimer_->stop();
    fillAt_ = kNotFilling;
    fillText_ = {};
    setUndoRedoEnabled(true);
    applyReadOnly();
    emit filled();
}

// Qt wraps between words where it can and anywhere where it cannot; finding out that it cannot is
// what costs the square of a run's length. Very long runs are wrapped anywhere from the start.
void CrLfTextEdit::wrapForRun(std::size_t longestRun) {
    const QTextOption::WrapMode mode = longestRun > kWrapAnywhereRunUnits
                                           ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode) {
        setWordWrapMode(mode);
    }
}

QMimeData* CrLfTextEdit::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    const CrLfText& map = crLfText();
    const std::int32_t from = map.fromDocument(static_cast<std::int32_t>(cursor.selectionStart()));
    const std::int32_t to = map.fromDocument(static_cast<std::int32_t>(cursor.selectionEnd()));
    const std::u16string_view selected =
        std::u16string_view(map.text())
            .substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    // As the document gives its plain text: a line break is one LF, a no-break space a space.
    QString plain(static_cast<qsizetype>(selected.size()), Qt::Uninitialized);
    qsizetype out = 0;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        const char16_t ch = selected[i];
        if (ch == u'\r') {
            ++i;  // the CR of a CR LF: the LF is written in its place
            plain[out++] = u'\n';
        } else {
            plain[out++] = ch == u'\u00A0' ? u' ' : QChar(ch);
        }
    }
    plain.truncate(out);
    auto* mime = new QMimeData;
    mime->setText(plain);
    return mime;
}

// Qt throws a paragraph's shaping away after laying it out and works it out again, for the whole
// paragraph, on every paint: 9 ms for a paragraph of 500,000 characters, on every word of a
// reading. Keeping it costs about 35 bytes a character, so only the long paragraph the caret is in
// keeps it.
//
// Placing the caret or a selection's end in a paragraph works its shaping out too, and Qt then
// holds it until it lays the paragraph out again, which it never does once the paragraph is out of
// view: a word longer than the box can show left 35 bytes a character behind for every paragraph
// read. So the paragraph the caret has just left lets go of its shaping; Qt lays it out again when
// it next needs it.
void CrLfTextEdit::followCaretParagraph() {
    const QTextBlock current = textCursor().block();
    if (!caretParagraph_.isNull()) {
        const QTextBlock left = caretParagraph_.block();  // followed through edits
        if (left.isValid() && left != current) {
            left.layout()->setCacheEnabled(false);
            left.layout()->beginLayout();  // frees it; its lines come back when Qt next needs them
            left.layout()->endLayout();
        }
    }
    caretParagraph_ = QTextCursor(current);
    caretParagraph_.setKeepPositionOnInsert(true);  // in the same paragraph, whatever is typed
    keepLayoutOf(current);
}

void CrLfTextEdit::keepLayoutOf(const QTextBlock& paragraph) {
    if (paragraph.isValid() && paragraph.length() >= kKeptLayoutUnits) {
        paragraph.layout()->setCacheEnabled(true);
    }
}

void CrLfTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || isReadOnly() || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Judge the box as it would be after the paste, from the pasted text and the lines it joins.
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const qsizetype before = cursor.selectionStart() - first.position();
    const qsizetype after = last.position() + last.length() - 1 - cursor.selectionEnd();
    const QString text = source->text();
    const TextShape pasted = MeasureTextShape(ToView(text));
    const auto boxLines = static_cast<std::size_t>(document()->blockCount() -
                                                   (last.blockNumber() - first.blockNumber()));
    const TextShape shape = ShapeAfterInsert(pasted, boxLines, static_cast<std::size_t>(before),
                                             static_cast<std::size_t>(after));
    if (const ShapeVerdict verdict =
            JudgePaste(pasted, static_cast<std::size_t>(text.size()), shape);
        verdict != ShapeVerdict::Fits) {
        emit pasteRefused(verdict);
        return;
    }
    // A run may join the words on either side of the paste; count them in, to be safe.
    const std::size_t joined = RunBefore(first.text(), before) + pasted.longestRun +
                               RunAfter(last.text(), last.length() - 1 - after);
    if (joined > kWrapAnywhereRunUnits) {
        wrapForRun(joined);
    }
    QPlainTextEdit::insertFromMimeData(source);
}

std::int32_t CrLfTextEdit::selStart() const {
    const auto documentStart = static_cast<std::int32_t>(textCursor().selectionStart());
    if (setStart_ && setStart_->document == documentStart) {
        return setStart_->text;
    }
    return crLfText().fromDocument(documentStart);
}

void CrLfTextEdit::setSelStart(std::int32_t start) {
    const CrLfText& map = crLfText();
    const std::int32_t clamped = std::clamp(start, std::int32_t{0}, map.length());
    const std::int32_t documentStart = inDocument(map.toDocument(clamped));
    // Before the caret moves there: placing it works the paragraph's shaping out, to be kept.
    keepLayoutOf(document()->findBlock(documentStart));
    QTextCursor cursor = textCursor();
    cursor.setPosition(documentStart);
    setTextCursor(cursor);
    setStart_ = SetStart{clamped, documentStart};
}

std::int32_t CrLfTextEdit::selLength() const {
    const QTextCursor cursor = textCursor();
    const CrLfText& map = crLfText();
    return map.fromDocument(static_cast<std::int32_t>(cursor.selectionEnd())) -
           map.fromDocument(static_cast<std::int32_t>(cursor.selectionStart()));
}

void CrLfTextEdit::setSelLength(std::int32_t length) {
    const CrLfText& map = crLfText();
    const std::int32_t start = selStart();
    const std::int32_t end = length > map.length() - start ? map.length() : start + length;
    const std::int32_t documentEnd = inDocument(map.toDocument(std::max(start, end)));
    keepLayoutOf(document()->findBlock(documentEnd));
    QTextCursor cursor = textCursor();
    cursor.setPosition(inDocument(map.toDocument(start)));
    cursor.setPosition(documentEnd, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

// While a text fills in, the CR LF text is already all of it but the document is not: a reading
// may select a word that is not in yet. It is selected at the end of what is in.
std::int32_t CrLfTextEdit::inDocument(std::int32_t documentPos) const {
    return std::min(documentPos, static_cast<std::int32_t>(document()->characterCount() - 1));
}

void CrLfTextEdit::setLocked(bool locked) {
    locked_ = locked;
    applyReadOnly();
}

// Locked for a reading or while a text fills in: either keeps typing out.
void CrLfTextEdit::applyReadOnly() {
    const bool readOnly = locked_ || isFilling();
    if (readOnly == isReadOnly()) {
        return;
    }
    setReadOnly(readOnly);
    if (readOnly) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

}  // namespace lexaro
