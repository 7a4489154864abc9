#pragma once
// A line drawn between two points of its container, in the container's scale
// units (twips unless the container says pixels). The host knows it as "Line":
// X1, Y1, X2, Y2 and no Move. The widget covers the points' bounding box.
#include <QColor>
#include <QWidget>

#include "host/qt/HostWidget.h"

namespace host::qt {

class Line : public QWidget, public HostWidget {
    Q_OBJECT
    Q_PROPERTY(double X1 READ X1 WRITE setX1)
    Q_PROPERTY(double Y1 READ Y1 WRITE setY1)
    Q_PROPERTY(double X2 READ X2 WRITE setX2)
    Q_PROPERTY(double Y2 READ Y2 WRITE setY2)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)

public:
    explicit Line(QWidget* parent = nullptr);

    [[nodiscard]] double X1() const { return x1_; }
    [[nodiscard]] double Y1() const { return y1_; }
    [[nodiscard]] double X2() const { return x2_; }
    [[nodiscard]] double Y2() const { return y2_; }
    void setX1(double v);
    void setY1(double v);
    void setX2(double v);
    void setY2(double v);
    void setPoints(double x1, double y1, double x2, double y2);
    [[nodiscard]] QColor BorderColor() const { return color_; }
    void setBorderColor(const QColor& color);

    [[nodiscard]] ObjectRef makeHostObject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    QColor color_ = Qt::black;
};

}  // namespace host::qt
