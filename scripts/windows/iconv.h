/* The few iconv conversions poppler's C++ interface makes (UTF-8 <-> UTF-16LE), over the Win32
 * converters: MinGW has no iconv, and Debian packages none for it. Anything else is refused with
 * EINVAL, so a caller that asks for more finds out at once. */
#ifndef LEXARO_WINDOWS_ICONV_H
#define LEXARO_WINDOWS_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* iconv_t;

iconv_t iconv_open(const char* to, const char* from);
size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
