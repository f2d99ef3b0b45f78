#pragma once

class QWidget;

// How the windows appear to screen readers and other assistive tools.
//
// The toolkit shows a plain widget used as a window as an unnamed "filler", a transparent
// click area as nothing that can be pressed, and a drop-down by the item it holds. The
// interfaces installed here show the program's windows as windows (the main window as a
// frame, the others as dialogs), the click areas as push buttons that take the focus and
// can be pressed, and the drop-downs by their accessible name with the item as their value;
// widgets marked hidden are left out of their window's children.
namespace Accessibility {

// Installs the interfaces; once per run, before the first window is asked for them.
void install();

// Leaves a purely decorative widget out of what screen readers find.
void hideFromScreenReaders(QWidget* widget);

} // namespace Accessibility
