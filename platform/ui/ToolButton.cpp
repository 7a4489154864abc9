#include "ui/ToolButton.h"

namespace ui {

ToolButton::ToolButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

}  // namespace ui
