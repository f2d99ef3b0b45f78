#include "ToolFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#ifdef VANTORA_WITH_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace {

#ifdef VANTORA_WITH_XCB
xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// The frame hints window managers on X11 read, before the window is mapped: the window may
// be moved, and closed when it offers a close button; it has a border and a title bar and
// nothing else. Its type names it
// a toolbar first, the one type for which window managers that ignore these hints leave out
// minimising (and a fixed size leaves out maximising); a utility window next, as the toolkit
// names it, for those that know no toolbars.
void setFrameHints(QWidget* window, bool closeButton) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t motif = atom(connection, "_MOTIF_WM_HINTS");
    if (motif != XCB_ATOM_NONE) {
        enum : uint32_t { Functions = 1, Decorations = 2 };
        enum : uint32_t { Move = 4, Close = 32 };
        enum : uint32_t { Border = 2, Title = 8 };
        // flags, functions, decorations, input mode, status
        const uint32_t hints[5] = {Functions | Decorations, closeButton ? Move | Close : Move,
                                   Border | Title, 0, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, motif, motif, 32, 5, hints);
    }
    const xcb_atom_t type = atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t types[2] = {atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                 atom(connection, "_NET_WM_WINDOW_TYPE_UTILITY")};
    if (type != XCB_ATOM_NONE && types[0] != XCB_ATOM_NONE && types[1] != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32, 2,
                            types);
    xcb_flush(connection);
}
#else
void setFrameHints(QWidget*, bool) {}
#endif

// Sets the hints on each showing: the show event comes before the window is mapped.
class FrameHints : public QObject {
public:
    FrameHints(QWidget* window, bool closeButton) : QObject(window), m_closeButton(closeButton) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* window = static_cast<QWidget*>(watched);
            setFrameHints(window, m_closeButton);
            // Kept above the program's windows as a whole rather than tied to the main window:
            // a window manager that minimises a window together with the one it belongs to
            // would otherwise take the main window along with a minimised tool window.
            if (QWindow* handle = window->windowHandle())
                handle->setTransientParent(nullptr);
        }
        return false;
    }

private:
    bool m_closeButton;
};

} // namespace

namespace ToolFrame {

void titleBarOnly(QWidget* window) {
    window->installEventFilter(new FrameHints(window, false));
}

void closeButtonOnly(QWidget* window) {
    window->installEventFilter(new FrameHints(window, true));
}

} // namespace ToolFrame
