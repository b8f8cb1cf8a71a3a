#include "documents/bidi.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <climits>
#include <memory>

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
    std::string out(static_cast<std::size_t>(written) * 3, '\0');
    int32_t outLength = 0;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &outLength, logical.data(), written,
                &error);
    if (U_FAILURE(error)) {
        return std::string(visualLine);
    }
    out.resize(static_cast<std::size_t>(outLength));
    return out;
}

}  // namespace lexaro::documents
