#include "ui/WindowOwner.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace ui {

namespace {

// Centred over the owner's window, inside the free area of its screen.
void centreOver(QWidget& window, const QWidget& owner) {
    const QWidget* top = owner.window();
    QRect place(QPoint(0, 0), window.frameGeometry().size());
    place.moveCenter(top->frameGeometry().center());
    if (const QScreen* screen = top->screen()) {
        const QRect free = screen->availableGeometry();
        place.moveRight(std::min(place.right(), free.right()));
        place.moveBottom(std::min(place.bottom(), free.bottom()));
        place.moveLeft(std::max(place.left(), free.left()));
        place.moveTop(std::max(place.top(), free.top()));
    }
    window.move(place.topLeft());
}

// Centres the window once more when its native window is about to appear:
// by then the window has its final size (its layout control may have grown
// it to its minimum while it was shown), and it is not on screen yet.
class CentreWhenShown : public QObject {
public:
    CentreWhenShown(QWidget& window, const QWidget& owner)
        : QObject(&window), window_(&window), owner_(&owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (window_ && owner_) centreOver(*window_, *owner_);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QPointer<const QWidget> owner_;
};

}  // namespace

void openOver(QWidget& window, const QWidget& owner) {
    // On X a window names its owner only as a dialog; it keeps the buttons of
    // a window that can be resized.
    window.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Made now, so that the window system knows the owner before it first
    // places the window.
    window.winId();
    QWindow* handle = window.windowHandle();
    if (handle) {
        if (QWindow* ownerHandle = owner.window()->windowHandle())
            handle->setTransientParent(ownerHandle);
        handle->installEventFilter(new CentreWhenShown(window, owner));
    }
    centreOver(window, owner);
}

void releaseOwner(QWidget& window) {
    if (QWindow* handle = window.windowHandle()) handle->setTransientParent(nullptr);
}

}  // namespace ui
