#pragma once
// A check box holding 0 (off), 1 (on) or 2 (grey). Click runs whenever the
// value really changes, whether the user clicked or code set Value; setting
// the value it already has runs nothing. The user's click goes from off to
// on, from on to off, and from grey to on: grey comes only from code.
#include <QCheckBox>

#include "ui/Event.h"

namespace ui {

class CheckBox : public QCheckBox {
public:
    explicit CheckBox(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] int Value() const;
    // Throws ControlError, and changes nothing, for a value other than 0, 1, 2.
    void Value(int value);

    Event<> Click;

protected:
    void nextCheckState() override;
};

}  // namespace ui
