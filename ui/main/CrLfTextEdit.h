#pragma once
// The main window's text box, seen the way the reading engine needs it.
//
// QPlainTextEdit keeps one character per line break. This box offers its text with CR LF line
// breaks, and a selection whose start and length count each line break as two characters. The CR
// LF form is cached and rebuilt only on first use after the document changed, so a reading tick
// costs the same on a huge text as on a short one.
//
// No text may hold the window for long. A loaded text goes in a few thousand lines per turn of the
// event loop; a paste that would give the box more lines or a longer line than it takes is
// refused before the box is touched (see engine/text_shape.h); and a text with a long run without
// spaces is wrapped anywhere, because wrapping it between words costs the square of the run.

#include <QPlainTextEdit>
#include <QTextCursor>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/crlf_text.h"
#include "engine/text_shape.h"

class QMimeData;
class QTextBlock;
class QTimer;

namespace lexaro {

class CrLfTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CrLfTextEdit(QWidget* parent = nullptr);

    // The text with CR LF line breaks, and its position map.
    [[nodiscard]] const CrLfText& crLfText() const;
    [[nodiscard]] const std::u16string& text() const { return crLfText().text(); }
    // Replaces the whole text; CR LF, a lone CR and a lone LF each become one line break.
    void setText(std::u16string_view text);
    // Replaces the whole text with `text`, whose line breaks are already CR LF (a loaded file's),
    // and keeps that string as the CR LF text instead of building it again on the next tick.
    // `shape` is MeasureTextShape(text). A text of more than one step goes in one step per turn
    // of the event loop: meanwhile isFilling() holds and the box takes no typing, and filled()
    // follows the last step (or a new text given before it). The CR LF text is the whole new text
    // from the start.
    void adoptText(std::u16string text, const TextShape& shape);
    void adoptText(std::u16string text);
    [[nodiscard]] bool isFilling() const { return fillAt_ != kNotFilling; }

    // Selection in CR LF positions. Setting the start puts the caret there with nothing selected;
    // setting the length then selects that many characters from the start. Both clamp to the text.
    [[nodiscard]] std::int32_t selStart() const;
    void setSelStart(std::int32_t start);
    [[nodiscard]] std::int32_t selLength() const;
    void setSelLength(std::int32_t length);

    // A locked box takes no typing but can still be focused, scrolled, selected and copied.
    [[nodiscard]] bool isLocked() const { return locked_; }
    void setLocked(bool locked);

    // The most characters or lines one step of adoptText() puts in the box.
    static constexpr std::size_t kFillStepUnits = std::size_t{1} << 20;
    static constexpr std::size_t kFillStepLines = 20'000;
    // Paragraphs at least this long keep their layout while the caret is in them.
    static constexpr int kKeptLayoutUnits = 50'000;

signals:
    void filled();
    // A paste (Ctrl+V, the middle button, a dropped text) left the box as it was, because the
    // text it would give the box has this shape.
    void pasteRefused(lexaro::ShapeVerdict verdict);

protected:
    void insertFromMimeData(const QMimeData* source) override;
    // The selection as plain text, made from the CR LF text: the document's own way copies its
    // whole structure first, which on a long text took seconds and twice its memory.
    [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;

private:
    static constexpr std::size_t kNotFilling = std::u16string::npos;

    void replaceText(const QString& text);
    void fillStep();
    void stopFilling();
    void applyReadOnly();
    [[nodiscard]] std::int32_t inDocument(std::int32_t documentPos) const;
    void wrapForRun(std::size_t longestRun);
    void followCaretParagraph();
    void keepLayoutOf(const QTextBlock& paragraph);

    // The start last set, in both forms. A start between the CR and the LF of a line break has no
    // document position of its own, so it is remembered while the caret stays where it was put.
    struct SetStart {
        std::int32_t text;
        std::int32_t document;
    };

    mutable CrLfText cache_;
    std::optional<SetStart> setStart_;
    mutable bool cacheStale_ = true;
    bool locked_ = false;

    // The text being filled in, when cache_ cannot hold it (a text with lone CRs or LFs), and how
    // far it is in.
    std::u16string fillText_;
    std::size_t fillAt_ = kNotFilling;
    QTimer* fillTimer_ = nullptr;
    // In the paragraph the caret is in. If it is a long one, its layout is kept between paints.
    QTextCursor caretParagraph_;
};

}  // namespace lexaro
