#include "ui/main/CrLfTextEdit.h"

#include <algorithm>
#include <utility>

#include <QTextCursor>
#include <QTextDocument>

namespace lexaro {

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
        cacheStale_ = true;
        setStart_.reset();
    });
}

const CrLfText& CrLfTextEdit::crLfText() const {
    if (cacheStale_) {
        const QString raw = document()->toRawText();
        cache_ = CrLfText(std::u16string_view(reinterpret_cast<const char16_t*>(raw.utf16()),
                                              static_cast<std::size_t>(raw.size())));
        cacheStale_ = false;
    }
    return cache_;
}

void CrLfTextEdit::setText(std::u16string_view text) {
    setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void CrLfTextEdit::adoptText(std::u16string text) {
    setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    if (std::optional<CrLfText> view = CrLfText::FromCrLfText(std::move(text))) {
        cache_ = std::move(*view);
        cacheStale_ = false;
    }
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
    const std::int32_t documentStart = map.toDocument(clamped);
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
    QTextCursor cursor = textCursor();
    cursor.setPosition(map.toDocument(start));
    cursor.setPosition(map.toDocument(std::max(start, end)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CrLfTextEdit::setLocked(bool locked) {
    setReadOnly(locked);
    if (locked) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

}  // namespace lexaro
