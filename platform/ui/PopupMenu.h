#pragma once
// A menu that is only ever shown as a pop-up, at a point given in twips in a
// window's coordinates. Showing it returns at once; an item's Click runs when
// the user chooses it.
#include <QMenu>
#include <QPoint>
#include <optional>

#include "ui/MenuItem.h"

namespace ui {

class PopupMenu : public QMenu {
public:
    PopupMenu(const QString& name, const QString& caption, QWidget* parent = nullptr);

    // Appends an item named `name` ("-" as caption: a separator); the menu owns it.
    MenuItem* AddItem(const QString& name, const QString& caption);

    // Pops the menu up with its top-left corner at (x, y) twips from the
    // top-left of `window`'s inside.
    void PopupAt(QWidget* window, int xTwips, int yTwips);
    // Where it last popped up, in pixels in that window's coordinates.
    [[nodiscard]] std::optional<QPoint> lastPopupPoint() const { return last_; }

private:
    std::optional<QPoint> last_;
};

}  // namespace ui
