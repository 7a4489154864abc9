#include "ui/MenuItem.h"

namespace ui {

MenuItem::MenuItem(const QString& name, const QString& caption, QObject* parent)
    : QAction(caption, parent), caption_(caption) {
    setObjectName(name);
    // Styles draw a separator's text before its line.
    if (caption == u"-") {
        setText(QString());
        setSeparator(true);
    }
    connect(this, &QAction::triggered, this, [this] { Click(); });
}

}  // namespace ui
