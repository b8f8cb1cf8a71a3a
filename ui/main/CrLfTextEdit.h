#pragma once
// The main window's text box, seen the way the reading engine needs it.
//
// QPlainTextEdit keeps one character per line break. This box offers its text with CR LF line
// breaks, and a selection whose start and length count each line break as two characters. The CR
// LF form is cached and rebuilt only on first use after the document changed, so a reading tick
// costs the same on a huge text as on a short one.

#include <QPlainTextEdit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/crlf_text.h"

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
    void adoptText(std::u16string text);

    // Selection in CR LF positions. Setting the start puts the caret there with nothing selected;
    // setting the length then selects that many characters from the start. Both clamp to the text.
    [[nodiscard]] std::int32_t selStart() const;
    void setSelStart(std::int32_t start);
    [[nodiscard]] std::int32_t selLength() const;
    void setSelLength(std::int32_t length);

    // A locked box takes no typing but can still be focused, scrolled, selected and copied.
    [[nodiscard]] bool isLocked() const { return isReadOnly(); }
    void setLocked(bool locked);

private:
    // The start last set, in both forms. A start between the CR and the LF of a line break has no
    // document position of its own, so it is remembered while the caret stays where it was put.
    struct SetStart {
        std::int32_t text;
        std::int32_t document;
    };

    mutable CrLfText cache_;
    std::optional<SetStart> setStart_;
    mutable bool cacheStale_ = true;
};

}  // namespace lexaro
