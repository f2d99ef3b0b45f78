#pragma once

class QWidget;

// Tool windows that are left only through their own button: the window manager is asked
// for a frame with a title bar but without minimise, maximise or close buttons.
namespace ToolFrame {

// From now on, every time `window` is shown. The toolkit's window flags already say so,
// but some of its versions still offer every button on X11 when no button is wanted, so
// the frame hints are set again where the toolkit leaves that open.
void withoutButtons(QWidget* window);

} // namespace ToolFrame
