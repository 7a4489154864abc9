#pragma once
// A label. Click runs when the user presses and releases the left button on
// it. As a link (Link(true)) it shows the pointing-hand pointer and its
// caption underlined in the link colour.
#include <QLabel>

#include "ui/Event.h"

namespace ui {

class Label : public QLabel {
public:
    explicit Label(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] QString Caption() const { return text(); }
    void Caption(const QString& caption) { setText(caption); }
    void Link(bool link);
    [[nodiscard]] bool Link() const { return link_; }

    Event<> Click;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool link_ = false;
    bool pressed_ = false;
};

}  // namespace ui
