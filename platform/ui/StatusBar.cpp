#include "ui/StatusBar.h"

#include <QLabel>
#include <string>

#include "ui/ControlError.h"

namespace ui {

StatusBar::StatusBar(int panels, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    for (int i = 0; i < std::max(panels, 1); ++i) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setMinimumWidth(40);
        addPermanentWidget(label, i + 1 == std::max(panels, 1) ? 1 : 0);
        panels_.push_back(label);
    }
}

QLabel* StatusBar::panel(int number) const {
    if (number < 1 || number > PanelCount())
        throw ControlError("Status bar panel " + std::to_string(number) + " does not exist");
    return panels_[static_cast<size_t>(number - 1)];
}

QString StatusBar::PanelText(int panel) const { return this->panel(panel)->text(); }

void StatusBar::PanelText(int panel, const QString& text) { this->panel(panel)->setText(text); }

}  // namespace ui
