#pragma once
// A rectangle drawn on its container: border and optional fill. The host knows
// it as "Shape": position and size like any control, no font.
#include <QColor>
#include <QWidget>

#include "host/qt/HostWidget.h"

namespace host::qt {

class Shape : public QWidget, public HostWidget {
    Q_OBJECT
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(QColor FillColor READ FillColor WRITE setFillColor)

public:
    explicit Shape(QWidget* parent = nullptr);

    [[nodiscard]] QColor BorderColor() const { return border_; }
    void setBorderColor(const QColor& color);
    // An invalid colour: not filled.
    [[nodiscard]] QColor FillColor() const { return fill_; }
    void setFillColor(const QColor& color);

    [[nodiscard]] ObjectRef makeHostObject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor border_ = Qt::black;
    QColor fill_;
};

}  // namespace host::qt
