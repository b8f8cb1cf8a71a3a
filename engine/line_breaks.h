#pragma once
// The characters that end a line, and the ones the text box's document keeps for itself, named
// once: what a loaded or pasted text may hold, what the box shows as a new line, and what the
// reading view maps to CR LF are all told apart here.

namespace lexaro {

inline constexpr char16_t kLineSeparator = u'\u2028';       // a line break inside a paragraph
inline constexpr char16_t kParagraphSeparator = u'\u2029';  // the document's break between blocks
inline constexpr char16_t kFrameStart = u'\uFDD0';          // the document's frame marks
inline constexpr char16_t kFrameEnd = u'\uFDD1';
inline constexpr char16_t kObjectReplacement = u'\uFFFC';  // where the document holds an object

// A line break in the box's document: the paragraph separator between blocks, the line separator
// and LF.
[[nodiscard]] constexpr bool IsDocumentLineBreak(char16_t ch) noexcept {
    return ch == kParagraphSeparator || ch == kLineSeparator || ch == u'\n';
}

// Where the box starts a new line when a text is put in: CR, LF (CR LF counts once), the
// paragraph separator, and the two frame marks, which its document reads as line breaks.
[[nodiscard]] constexpr bool IsBoxLineBreak(char16_t ch) noexcept {
    return ch == u'\r' || ch == u'\n' || ch == kParagraphSeparator || ch == kFrameStart ||
           ch == kFrameEnd;
}

// A character the box's document keeps for its own structure.
[[nodiscard]] constexpr bool IsReservedByDocument(char16_t ch) noexcept {
    return ch == kFrameStart || ch == kFrameEnd || ch == kObjectReplacement;
}

}  // namespace lexaro
