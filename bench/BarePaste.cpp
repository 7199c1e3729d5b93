// The cheapest clipboard paste there is, which the flow benchmark measures ours against: it owns
// the clipboard with the text, posts Control-V through XTest, and answers the application's
// requests for the formats on offer and for the text, with every atom looked up beforehand.
// Reads one text per line on standard input; for each prints "pasting:" and the steady clock's
// nanoseconds when it began, and keeps answering until the next line or the end of input.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <sys/select.h>
#include <unistd.h>

namespace {

struct Clipboard {
    Display* display;
    Window window;
    Atom selection;
    Atom targets;
    Atom utf8;
    std::string text;

    void answer(const XSelectionRequestEvent& request) const
    {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        if (request.target == targets) {
            const Atom offered[] = {targets, utf8};
            XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 2);
            reply.property = request.property;
        } else if (request.target == utf8) {
            XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
            reply.property = request.property;
        }
        XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
    }
};

}

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bare-paste: no X display\n");
        return 1;
    }
    Clipboard clipboard{display,
                        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0),
                        XInternAtom(display, "CLIPBOARD", False),
                        XInternAtom(display, "TARGETS", False),
                        XInternAtom(display, "UTF8_STRING", False),
                        {}};
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode letterV = XKeysymToKeycode(display, XK_v);
    const int connection = ConnectionNumber(display);
    std::string input;
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest)
                clipboard.answer(event.xselectionrequest);
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(STDIN_FILENO, &readable);
        FD_SET(connection, &readable);
        if (select(connection + 1, &readable, nullptr, nullptr, nullptr) < 0)
            return 1;
        if (!FD_ISSET(STDIN_FILENO, &readable))
            continue;
        char buffer[4096];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            return 0;
        input.append(buffer, static_cast<size_t>(got));
        for (size_t end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
            const auto began = std::chrono::steady_clock::now().time_since_epoch();
            clipboard.text = input.substr(0, end);
            input.erase(0, end + 1);
            XSetSelectionOwner(display, clipboard.selection, clipboard.window, CurrentTime);
            XTestFakeKeyEvent(display, control, True, CurrentTime);
            XTestFakeKeyEvent(display, letterV, True, CurrentTime);
            XTestFakeKeyEvent(display, letterV, False, CurrentTime);
            XTestFakeKeyEvent(display, control, False, CurrentTime);
            XFlush(display);
            std::printf("pasting:%lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(began).count()));
            std::fflush(stdout);
        }
    }
}
