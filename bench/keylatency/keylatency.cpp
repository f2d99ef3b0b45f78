// vantora-keylatency --title TEXT --grid X,Y,W,H --box X,Y [--open KEY]... [--settle MS] KEY...
//
// Measures keys as a user's keyboard sends them, through the X server: waits for the
// top-level window called TEXT, clicks into the title box at X,Y (window coordinates), sends
// each --open KEY (which opens another window), moves every other top-level window off the
// first one and clicks into the box again. Then, for each KEY (an X key name such as "a" or
// "BackSpace"), it sends its press and release with XTest and polls the grid's rectangle with
// XGetImage until its pixels change. Prints one line per key, "key=NAME ms=TIME", the time
// from the press to the first changed image. Before every step the grid has to stay unchanged
// for --settle milliseconds (400 by default). A width or height of 0 reaches to the window's
// edge.
//
// Meant for a server without a window manager (Xvfb), where input goes to the window under
// the pointer and windows stay where they are put.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The top-level window (a child of the root, or its child when the toolkit wraps it) whose
// name is `title` and that is mapped; 0 when there is none.
Window findWindow(Display* d, const char* title) {
    Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable)
            continue;
        char* name = nullptr;
        if (XFetchName(d, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0)
                found = children[i];
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// Moves every mapped top-level window but `keep` to the right of it, so none covers it: an
// X server without a compositor keeps no pixels of a covered window.
void clearAround(Display* d, Window keep) {
    XWindowAttributes k;
    XGetWindowAttributes(d, keep, &k);
    Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &count))
        return;
    int x = k.x + k.width + 10;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (children[i] == keep || !XGetWindowAttributes(d, children[i], &a) ||
            a.map_state != IsViewable || a.override_redirect)
            continue;
        XMoveWindow(d, children[i], x, 0);
        x += a.width + 10;
    }
    XFree(children);
    XSync(d, False);
}

struct Pixels {
    std::vector<unsigned long> values;
    bool operator==(const Pixels&) const = default;
};

Pixels grab(Display* d, Window w, const Rect& r) {
    Pixels p;
    XImage* img = XGetImage(d, w, r.x, r.y, unsigned(r.w), unsigned(r.h), AllPlanes, ZPixmap);
    if (!img)
        return p;
    p.values.reserve(size_t(r.w) * size_t(r.h));
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x)
            p.values.push_back(XGetPixel(img, x, y));
    XDestroyImage(img);
    return p;
}

// Waits until the rectangle stays the same for `quietMs`; gives up after a minute.
Pixels settle(Display* d, Window w, const Rect& r, int quietMs) {
    Pixels last = grab(d, w, r);
    Clock::time_point still = Clock::now();
    const Clock::time_point begin = Clock::now();
    while (msSince(still) < quietMs && msSince(begin) < 60000) {
        pause(10);
        Pixels now = grab(d, w, r);
        if (!(now == last)) {
            last = std::move(now);
            still = Clock::now();
        }
    }
    return last;
}

KeyCode keyCode(Display* d, const std::string& name) {
    const KeySym sym = XStringToKeysym(name.c_str());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (!code)
        std::fprintf(stderr, "vantora-keylatency: no key \"%s\"\n", name.c_str());
    return code;
}

void sendKey(Display* d, KeyCode code) {
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

// A click at a point of window `w`, which takes the input focus as a window manager gives it.
void click(Display* d, Window w, int x, int y) {
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
    XTestFakeMotionEvent(d, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

// A window may go between listing it and asking about it (the program's wait window does):
// such a request fails, and the listing goes on without it.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

bool parseRect(const char* text, Rect& r, int parts) {
    int v[4] = {0, 0, 0, 0};
    const int n = std::sscanf(text, "%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]);
    r = {v[0], v[1], v[2], v[3]};
    return n == parts;
}

int usage() {
    std::fprintf(stderr, "usage: vantora-keylatency --title TEXT --grid X,Y,W,H --box X,Y "
                         "[--settle MS] KEY...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const char* title = nullptr;
    Rect grid, box;
    bool haveGrid = false, haveBox = false;
    int settleMs = 400;
    std::vector<std::string> keys, opens;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--title") == 0 && hasValue)
            title = argv[++i];
        else if (std::strcmp(argv[i], "--grid") == 0 && hasValue)
            haveGrid = parseRect(argv[++i], grid, 4);
        else if (std::strcmp(argv[i], "--box") == 0 && hasValue)
            haveBox = parseRect(argv[++i], box, 2);
        else if (std::strcmp(argv[i], "--settle") == 0 && hasValue)
            settleMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--open") == 0 && hasValue)
            opens.emplace_back(argv[++i]);
        else
            keys.emplace_back(argv[i]);
    }
    if (!title || !haveGrid || !haveBox || keys.empty() || grid.w < 0 || grid.h < 0)
        return usage();

    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "vantora-keylatency: no X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "vantora-keylatency: the X server has no XTest\n");
        return 1;
    }
    Window w = 0;
    const Clock::time_point begin = Clock::now();
    while (!(w = findWindow(d, title)) && msSince(begin) < 120000)
        pause(20);
    if (!w) {
        std::fprintf(stderr, "vantora-keylatency: no window called \"%s\"\n", title);
        return 1;
    }
    XWindowAttributes a;
    XGetWindowAttributes(d, w, &a);
    if (grid.w == 0)
        grid.w = a.width - grid.x;
    if (grid.h == 0)
        grid.h = a.height - grid.y;
    if (grid.w <= 0 || grid.h <= 0 || grid.x + grid.w > a.width || grid.y + grid.h > a.height) {
        std::fprintf(stderr, "vantora-keylatency: the grid lies outside the window\n");
        return 2;
    }
    settle(d, w, grid, settleMs);
    click(d, w, box.x, box.y);
    for (const std::string& name : opens) {
        const KeyCode code = keyCode(d, name);
        if (!code)
            return 2;
        settle(d, w, grid, settleMs);
        sendKey(d, code);
        // The window it opens may come up over this one.
        pause(settleMs);
        clearAround(d, w);
    }
    clearAround(d, w);
    settle(d, w, grid, settleMs);
    click(d, w, box.x, box.y);

    int result = 0;
    for (const std::string& name : keys) {
        const KeyCode code = keyCode(d, name);
        if (!code)
            return 2;
        const Pixels before = settle(d, w, grid, settleMs);
        const Clock::time_point pressed = Clock::now();
        sendKey(d, code);
        double took = -1;
        while (msSince(pressed) < 10000) {
            if (!(grab(d, w, grid) == before)) {
                took = msSince(pressed);
                break;
            }
        }
        if (took < 0) {
            std::printf("key=%s ms=none\n", name.c_str());
            result = 1;
        } else {
            std::printf("key=%s ms=%.1f\n", name.c_str(), took);
        }
        std::fflush(stdout);
    }
    XCloseDisplay(d);
    return result;
}
