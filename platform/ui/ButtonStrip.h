#pragma once
// A navigation strip: one captioned group of buttons stacked top to bottom,
// numbered from 1, one of which is the current one. A click on a button, or
// MarkCurrent from code, makes it current and raises ButtonClick(number)
// synchronously, even when it was current already (handlers guard against
// their own repeats). No button is current at first.
#include <QFrame>
#include <vector>

#include "ui/Event.h"

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace ui {

class ButtonStrip : public QFrame {
public:
    explicit ButtonStrip(const QString& caption, QWidget* parent = nullptr);

    int AddButton(const QString& caption, const QString& toolTip, const QIcon& picture);
    [[nodiscard]] int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    [[nodiscard]] int CurrentButton() const { return current_; }
    // Throws ControlError for a number outside 1 to ButtonCount().
    void MarkCurrent(int button);
    [[nodiscard]] QToolButton* buttonWidget(int button) const;
    [[nodiscard]] QString Caption() const;

    Event<int> ButtonClick;

private:
    QLabel* caption_;
    QVBoxLayout* layout_;
    std::vector<QToolButton*> buttons_;
    int current_ = 0;
};

}  // namespace ui
