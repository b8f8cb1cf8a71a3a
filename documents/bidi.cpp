// SPDX-License-Identifier: GPL-2.0-or-later
#include "documents/bidi.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ushape.h>
#include <unicode/ustring.h>

#include <array>
#include <climits>
#include <memory>
#include <string>

#include "formats/encoding.h"

namespace lexaro::documents {

namespace {

bool IsRightToLeft(char32_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

struct BidiCloser {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// Arabic presentation forms: a letter in one of its joined shapes, or a ligature of several.
// Fonts' maps give them for some glyphs; a reader wants the letters they stand for.
bool IsArabicPresentationForm(UChar32 c) {
    return (c >= 0xFB50 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFC);
}

// The plain letters of presentation form `c`, in logical order, appended to `out`. ICU's Arabic
// shaping, whose tables are built into the library, turns the forms of single letters and the
// lam-alef ligatures (which every word with lam before alef is drawn with) back into letters. The
// rarer ligatures of two or three letters take compatibility composition, where ICU has its data;
// a build without it leaves them as they are: the right letters, in joined shapes.
void AppendPlainLetters(UChar32 c, std::u16string& out) {
    std::array<UChar, 2> form{};
    int32_t formLength = 0;
    U16_APPEND_UNSAFE(form.data(), formLength, c);
    std::array<UChar, 32> letters{};
    const auto room = static_cast<int32_t>(letters.size());
    UErrorCode error = U_ZERO_ERROR;
    // By default the text is in logical order and a lam-alef grows into its two letters.
    int32_t length = u_shapeArabic(form.data(), formLength, letters.data(), room,
                                   U_SHAPE_LETTERS_UNSHAPE, &error);
    if (U_FAILURE(error) || (length == formLength && letters[0] == form[0])) {
        error = U_ZERO_ERROR;
        const UNormalizer2* nfkc = unorm2_getNFKCInstance(&error);
        length = U_SUCCESS(error)
                     ? unorm2_normalize(nfkc, form.data(), formLength, letters.data(), room, &error)
                     : 0;
    }
    if (U_FAILURE(error) || length == 0) {
        out.append(form.data(), static_cast<std::size_t>(formLength));
        return;
    }
    // A mark's spacing form is a space and the mark: the mark alone.
    const int32_t from =
        length > 1 && letters[0] == u' ' && u_getCombiningClass(letters[1]) != 0 ? 1 : 0;
    out.append(letters.data() + from, static_cast<std::size_t>(length - from));
}

// `text` with each Arabic presentation form replaced by its plain letters.
std::u16string WithPlainLetters(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U16_NEXT(text.data(), i, length, c);
        if (IsArabicPresentationForm(c)) {
            AppendPlainLetters(c, out);
        } else {
            out.append(
                text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
        }
    }
    return out;
}

}  // namespace

bool HasRightToLeft(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8Sequence(utf8.substr(i), c);
        if (length == 0) {
            return false;
        }
        if (IsRightToLeft(c)) {
            return true;
        }
        i += length;
    }
    return false;
}

std::string LogicalOrder(std::string_view visualLine) {
    if (!HasRightToLeft(visualLine) || visualLine.size() > INT_MAX / 2) {
        return std::string(visualLine);
    }
    UErrorCode error = U_ZERO_ERROR;
    std::u16string visual(visualLine.size(), u'\0');
    int32_t length = 0;
    u_strFromUTF8(visual.data(), static_cast<int32_t>(visual.size()), &length, visualLine.data(),
                  static_cast<int32_t>(visualLine.size()), &error);
    const std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    if (U_FAILURE(error) || !bidi) {
        return std::string(visualLine);
    }
    // The line's own direction: the one most of its letters run in.
    int balance = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U16_NEXT(visual.data(), i, length, c);
        const UCharDirection direction = u_charDirection(c);
        balance += direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC ? 1
                   : direction == U_LEFT_TO_RIGHT                                      ? -1
                                                                                       : 0;
    }
    ubidi_setReorderingMode(bidi.get(), UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    ubidi_setPara(bidi.get(), visual.data(), length, balance > 0 ? 1 : 0, nullptr, &error);
    std::u16string logical(static_cast<std::size_t>(length) * 2 + 8, u'\0');
    const int32_t written = ubidi_writeReordered(bidi.get(), logical.data(),
                                                 static_cast<int32_t>(logical.size()), 0, &error);
    if (U_FAILURE(error)) {
        return std::string(visualLine);
    }
    // A ligature is one character while the line is put in logical order, so its letters come
    // out in theirs.
    const std::u16string letters =
        WithPlainLetters(std::u16string_view(logical).substr(0, static_cast<std::size_t>(written)));
    std::string out(letters.size() * 3, '\0');
    int32_t outLength = 0;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &outLength, letters.data(),
                static_cast<int32_t>(letters.size()), &error);
    if (U_FAILURE(error)) {
        return std::string(visualLine);
    }
    out.resize(static_cast<std::size_t>(outLength));
    return out;
}

}  // namespace lexaro::documents
