#pragma once
// One entry of a menu: a caption ("-" makes a separator, which shows no
// text), Enabled, and Click when the user chooses it (or code triggers it).
#include <QAction>

#include "ui/Event.h"

namespace ui {

class MenuItem : public QAction {
public:
    MenuItem(const QString& name, const QString& caption, QObject* parent);

    [[nodiscard]] QString Caption() const { return caption_; }
    [[nodiscard]] bool Enabled() const { return isEnabled(); }
    void Enabled(bool enabled) { setEnabled(enabled); }

    Event<> Click;

private:
    QString caption_;
};

}  // namespace ui
