// Asks every top-level window of the display to close, the way a window
// manager does when the user clicks the close button (WM_DELETE_WINDOW).
// Exits 1 when no window accepted the request.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <cstdio>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!display || !XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 1;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    int sent = 0;
    for (unsigned int i = 0; i < count; ++i) {
        Atom* supported = nullptr;
        int supported_count = 0;
        if (!XGetWMProtocols(display, children[i], &supported, &supported_count)) continue;
        for (int p = 0; p < supported_count; ++p) {
            if (supported[p] != delete_window) continue;
            XEvent event{};
            event.xclient = {ClientMessage, 0, False, display, children[i], protocols, 32, {}};
            event.xclient.data.l[0] = static_cast<long>(delete_window);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
            ++sent;
        }
        XFree(supported);
    }
    if (children) XFree(children);
    XCloseDisplay(display);
    if (sent == 0) std::fprintf(stderr, "x11_close_window: no window to close\n");
    return sent == 0;
}
