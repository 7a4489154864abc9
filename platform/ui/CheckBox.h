#pragma once
// A check box holding 0 (off), 1 (on) or 2 (grey). Click runs whenever the
// value really changes, whether the user clicked or code set Value; setting
// the value it already has runs nothing. The user's click goes from off to
// on, from on to off, and from grey to on: grey comes only from code.
// With WordWrap on, a caption wider than the box breaks into lines under the
// box's first line, and a click anywhere on the box or its caption counts.
#include <QCheckBox>

#include "ui/Event.h"

namespace ui {

class CheckBox : public QCheckBox {
public:
    explicit CheckBox(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] int Value() const;
    // Throws ControlError, and changes nothing, for a value other than 0, 1, 2.
    void Value(int value);

    [[nodiscard]] bool WordWrap() const { return wordWrap_; }
    void WordWrap(bool wrap);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return wordWrap_; }
    [[nodiscard]] int heightForWidth(int width) const override;

    Event<> Click;

protected:
    void nextCheckState() override;
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    // Where the caption goes in a box `width` wide, and its flags.
    [[nodiscard]] QRect captionRect(int width, int height) const;

    bool wordWrap_ = false;
};

}  // namespace ui
