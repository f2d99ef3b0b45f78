#include "ToolFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#ifdef VANTORA_WITH_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace {

#ifdef VANTORA_WITH_XCB
// The frame hints window managers on X11 read, before the window is mapped: the window
// may be moved; it has a border and a title bar and nothing else.
void setFrameHints(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    static const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    enum : uint32_t { Functions = 1, Decorations = 2, Move = 4, Border = 2, Title = 8 };
    // flags, functions, decorations, input mode, status
    const uint32_t hints[5] = {Functions | Decorations, Move, Border | Title, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        atom->atom, atom->atom, 32, 5, hints);
    std::free(atom);
    xcb_flush(connection);
}
#else
void setFrameHints(QWidget*) {}
#endif

// Sets the hints on each showing: the show event comes before the window is mapped.
class FrameHints : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            setFrameHints(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

namespace ToolFrame {

void withoutButtons(QWidget* window) {
    window->installEventFilter(new FrameHints(window));
}

} // namespace ToolFrame
