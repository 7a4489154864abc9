#pragma once
// A push button with a caption and a tooltip; Click runs when it is pressed
// (or code clicks it). Disabled (setEnabled(false)) it takes no clicks.
#include <QPushButton>

#include "ui/Event.h"

namespace ui {

class ToolButton : public QPushButton {
public:
    explicit ToolButton(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] QString Caption() const { return text(); }
    void Caption(const QString& caption) { setText(caption); }
    [[nodiscard]] bool Enabled() const { return isEnabled(); }
    void Enabled(bool enabled) { setEnabled(enabled); }
    // A 16 x 16 picture beside the caption, with room between the two: the
    // style leaves a picture that fills its square touching the caption.
    void Picture(const QIcon& picture);

    Event<> Click;
};

}  // namespace ui
