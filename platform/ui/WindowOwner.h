#pragma once
// A secondary window of another one (the comparison program's detail and
// script windows of its main window): a transient of its owner, which the
// window system keeps it above, opened centred over the owner on the owner's
// screen. It keeps no parent widget: it is not deleted or hidden with its
// owner, and once released it stands on its own, as a window that keeps the
// program running until it closes.
class QWidget;

namespace ui {

// Before `window` (a top-level widget) is first shown: makes it a transient of
// `owner`'s window, when that window exists (a window of the dialog type, with
// the minimise, maximise and close buttons), and places it centred over it,
// inside the screen's free area.
void openOver(QWidget& window, const QWidget& owner);

// The window stands on its own from now on (its owner is going away).
void releaseOwner(QWidget& window);

}  // namespace ui
