#include "ui/PopupMenu.h"

#include "ui/Twips.h"

namespace ui {

PopupMenu::PopupMenu(const QString& name, const QString& caption, QWidget* parent)
    : QMenu(caption, parent) {
    setObjectName(name);
}

MenuItem* PopupMenu::AddItem(const QString& name, const QString& caption) {
    auto* item = new MenuItem(name, caption, this);
    addAction(item);
    return item;
}

void PopupMenu::PopupAt(QWidget* window, int xTwips, int yTwips) {
    const QPoint at(twipsToPixels(xTwips), twipsToPixels(yTwips));
    last_ = at;
    popup(window->mapToGlobal(at));
}

}  // namespace ui
