// Prints "visible" or "hidden": whether the X server's current mouse pointer image has any
// opaque pixel. The end-to-end suite uses it to see the pointer the way a user does.

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("no display\n", stderr);
        return 2;
    }
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        XCloseDisplay(display);
        return 2;
    }
    bool visible = false;
    const long count = static_cast<long>(image->width) * image->height;
    for (long i = 0; i < count && !visible; ++i) {
        visible = ((image->pixels[i] >> 24) & 0xFFUL) != 0;
    }
    XFree(image);
    XCloseDisplay(display);
    std::puts(visible ? "visible" : "hidden");
    return 0;
}
