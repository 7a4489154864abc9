#include "ui/CheckBox.h"

#include <string>

#include "ui/ControlError.h"

namespace ui {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    // stateChanged comes once per real change, from the user or from code.
    connect(this, &QCheckBox::stateChanged, this, [this](int) { Click(); });
}

int CheckBox::Value() const {
    switch (checkState()) {
        case Qt::Unchecked:
            return 0;
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
    }
    return 0;
}

void CheckBox::Value(int value) {
    switch (value) {
        case 0:
            setCheckState(Qt::Unchecked);
            return;
        case 1:
            setCheckState(Qt::Checked);
            return;
        case 2:
            setCheckState(Qt::PartiallyChecked);  // makes the box tristate
            return;
        default:
            throw ControlError("Invalid check box value " + std::to_string(value) +
                               " (0 off, 1 on, 2 grey)");
    }
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace ui
