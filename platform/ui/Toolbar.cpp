#include "ui/Toolbar.h"

#include <QToolButton>
#include <string>

#include "ui/ControlError.h"

namespace ui {

namespace {

// Shows a checked state but never changes it when clicked.
class HeldButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void nextCheckState() override {}
};

}  // namespace

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent) {
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);
}

int Toolbar::AddButton(const QString& key, const QString& toolTip, const QIcon& picture,
                       bool checked) {
    auto* button = new HeldButton(this);
    button->setObjectName(key);
    button->setToolTip(toolTip);
    button->setIcon(picture);
    button->setAutoRaise(true);
    button->setCheckable(true);
    button->setChecked(checked);
    // Reached with Tab and pressed with Space; a click leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    addWidget(button);
    buttons_.push_back(Entry{key, button, checked});
    const int number = ButtonCount();
    connect(button, &QToolButton::clicked, this, [this, number] {
        // A copy: the handler may change anything, the key included.
        const QString clickedKey = buttons_[static_cast<size_t>(number - 1)].key;
        ButtonClick(number, clickedKey);
    });
    return number;
}

int Toolbar::AddSeparator() {
    addSeparator();
    buttons_.push_back(Entry{});
    return ButtonCount();
}

const Toolbar::Entry& Toolbar::entry(int button) const {
    if (button < 1 || button > ButtonCount())
        throw ControlError("Toolbar button " + std::to_string(button) + " does not exist");
    return buttons_[static_cast<size_t>(button - 1)];
}

const QString& Toolbar::ButtonKey(int button) const { return entry(button).key; }

bool Toolbar::ButtonChecked(int button) const { return entry(button).checked; }

void Toolbar::ButtonChecked(int button, bool checked) {
    (void)entry(button);
    Entry& e = buttons_[static_cast<size_t>(button - 1)];
    e.checked = checked;
    if (e.widget) e.widget->setChecked(checked);
}

QToolButton* Toolbar::buttonWidget(int button) const { return entry(button).widget; }

}  // namespace ui
