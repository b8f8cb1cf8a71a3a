/* See iconv.h. A conversion is all or nothing: when the output does not fit, nothing is taken
 * from the input and iconv fails with E2BIG, so the caller can grow its buffer and call again. */
#include "iconv.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>
#include <windows.h>

enum { kToUtf16 = 1, kToUtf8 = 2 };

static int Is(const char* name, const char* wanted) {
    return _stricmp(name, wanted) == 0;
}

iconv_t iconv_open(const char* to, const char* from) {
    if (Is(to, "UTF-16LE") && Is(from, "UTF-8")) {
        return (iconv_t)(intptr_t)kToUtf16;
    }
    if (Is(to, "UTF-8") && Is(from, "UTF-16LE")) {
        return (iconv_t)(intptr_t)kToUtf8;
    }
    errno = EINVAL;
    return (iconv_t)(intptr_t)-1;
}

int iconv_close(iconv_t cd) {
    (void)cd;
    return 0;
}

size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (in == NULL || *in == NULL || *inLeft == 0) {
        return 0; /* no shift state to reset */
    }
    if (*inLeft > INT32_MAX || *outLeft > INT32_MAX) {
        errno = E2BIG;
        return (size_t)-1;
    }
    const int mode = (int)(intptr_t)cd;
    size_t wrote = 0;
    if (mode == kToUtf16) {
        const int units = MultiByteToWideChar(CP_UTF8, 0, *in, (int)*inLeft, NULL, 0);
        if (units <= 0 || (size_t)units * 2 > *outLeft) {
            errno = units <= 0 ? EILSEQ : E2BIG;
            return (size_t)-1;
        }
        MultiByteToWideChar(CP_UTF8, 0, *in, (int)*inLeft, (wchar_t*)*out, units);
        wrote = (size_t)units * 2;
    } else if (mode == kToUtf8) {
        const int units = (int)(*inLeft / 2);
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, (const wchar_t*)*in, units, NULL, 0, NULL, NULL);
        if (bytes <= 0 || (size_t)bytes > *outLeft) {
            errno = bytes <= 0 ? EILSEQ : E2BIG;
            return (size_t)-1;
        }
        WideCharToMultiByte(CP_UTF8, 0, (const wchar_t*)*in, units, *out, bytes, NULL, NULL);
        wrote = (size_t)bytes;
    } else {
        errno = EBADF;
        return (size_t)-1;
    }
    *in += *inLeft;
    *inLeft = 0;
    *out += wrote;
    *outLeft -= wrote;
    return 0;
}
