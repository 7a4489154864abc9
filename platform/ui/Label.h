#pragma once
// A label. Its caption is plain text and reads back exactly as set; each line
// end in it (CR LF, LF or CR) shows as one line break. Click runs when the
// user presses and releases the left button on it. As a link (Link(true)) it
// shows the pointing-hand pointer and its caption underlined in the link colour.
#include <QLabel>

#include "ui/Event.h"

namespace ui {

class Label : public QLabel {
public:
    explicit Label(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] const QString& Caption() const { return caption_; }
    void Caption(const QString& caption);
    void Link(bool link);
    [[nodiscard]] bool Link() const { return link_; }

    Event<> Click;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString caption_;
    bool link_ = false;
    bool pressed_ = false;
};

}  // namespace ui
