#pragma once
// One entry of a menu: a caption ("-" makes a separator), Enabled, and Click
// when the user chooses it (or code triggers it).
#include <QAction>

#include "ui/Event.h"

namespace ui {

class MenuItem : public QAction {
public:
    MenuItem(const QString& name, const QString& caption, QObject* parent);

    [[nodiscard]] QString Caption() const { return text(); }
    [[nodiscard]] bool Enabled() const { return isEnabled(); }
    void Enabled(bool enabled) { setEnabled(enabled); }

    Event<> Click;
};

}  // namespace ui
