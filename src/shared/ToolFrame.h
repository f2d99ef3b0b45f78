#pragma once

class QWidget;

// Tool windows of a fixed size that stay in front of the program: the window manager is asked
// for a frame with a title bar (and a close button where the window has one), without minimise
// or maximise buttons.
// Should a window manager minimise one anyway, the main window stays on screen.
namespace ToolFrame {

// From now on, every time `window` is shown. The toolkit's window flags already say so,
// but some of its versions still offer every button on X11, and some window managers read
// only the window's type for which buttons to offer, so the hints are set again where the
// toolkit leaves that open.
// A window left only through its own buttons: a title bar and no buttons in it.
void titleBarOnly(QWidget* window);
// A window its frame may close as well.
void closeButtonOnly(QWidget* window);

} // namespace ToolFrame
