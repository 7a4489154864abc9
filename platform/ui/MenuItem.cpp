#include "ui/MenuItem.h"

namespace ui {

MenuItem::MenuItem(const QString& name, const QString& caption, QObject* parent)
    : QAction(caption, parent) {
    setObjectName(name);
    setSeparator(caption == u"-");
    connect(this, &QAction::triggered, this, [this] { Click(); });
}

}  // namespace ui
