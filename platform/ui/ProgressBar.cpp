#include "ui/ProgressBar.h"

#include <algorithm>

namespace ui {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    display();
}

void ProgressBar::Max(int32_t max) {
    max_ = std::max(max, 0);
    value_ = std::clamp(value_, 0, max_);
    display();
}

void ProgressBar::Value(int32_t value) {
    value_ = std::clamp(value, 0, max_);
    display();
}

void ProgressBar::display() {
    // Qt shows a busy bar for an empty range: a maximum of 0 is drawn as 0 of 1.
    setRange(0, std::max(max_, 1));
    setValue(value_);
}

}  // namespace ui
