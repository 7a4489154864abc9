#pragma once
// A progress bar from 0 to a maximum (32-bit). Callers set the maximum before
// the value. A value outside 0 to the maximum is shown clamped (and reads
// back clamped); a maximum of 0 shows an empty bar, never a busy one.
#include <QProgressBar>
#include <cstdint>

namespace ui {

class ProgressBar : public QProgressBar {
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    [[nodiscard]] int32_t Max() const { return max_; }
    // A negative maximum counts as 0. The value is clamped to the new range.
    void Max(int32_t max);
    [[nodiscard]] int32_t Value() const { return value_; }
    void Value(int32_t value);

private:
    void display();

    int32_t max_ = 100;
    int32_t value_ = 0;
};

}  // namespace ui
