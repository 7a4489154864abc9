#include "host/qt/Line.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "host/Scale.h"
#include "host/qt/WidgetObject.h"

namespace host::qt {

namespace {

class LineObject : public WidgetObject {
public:
    explicit LineObject(Line* line) : WidgetObject(line) {}

    [[nodiscard]] std::string TypeName() const override { return "Line"; }
    [[nodiscard]] std::optional<float> Get(Member m) const override {
        const auto* line = qobject_cast<const Line*>(widget());
        if (line == nullptr) return std::nullopt;
        switch (m) {
            case Member::X1:
                return static_cast<float>(line->X1());
            case Member::Y1:
                return static_cast<float>(line->Y1());
            case Member::X2:
                return static_cast<float>(line->X2());
            case Member::Y2:
                return static_cast<float>(line->Y2());
            default:
                return std::nullopt;  // a line has no Left, Top, Width, Height or font
        }
    }
    bool Set(Member m, float value) override {
        auto* line = qobject_cast<Line*>(widget());
        if (line == nullptr) return false;
        switch (m) {
            case Member::X1:
                line->setX1(value);
                return true;
            case Member::Y1:
                line->setY1(value);
                return true;
            case Member::X2:
                line->setX2(value);
                return true;
            case Member::Y2:
                line->setY2(value);
                return true;
            default:
                return false;
        }
    }
    bool Move(float, float, float, float) override { return false; }
};

}  // namespace

Line::Line(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

void Line::setX1(double v) { setPoints(v, y1_, x2_, y2_); }
void Line::setY1(double v) { setPoints(x1_, v, x2_, y2_); }
void Line::setX2(double v) { setPoints(x1_, y1_, v, y2_); }
void Line::setY2(double v) { setPoints(x1_, y1_, x2_, v); }

void Line::setPoints(double x1, double y1, double x2, double y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    place();
}

void Line::setBorderColor(const QColor& color) {
    color_ = color;
    update();
}

void Line::place() {
    const double unit = WidgetObject::unitsPerPixel(parentWidget());
    auto px = [unit](double v) { return static_cast<int>(roundHalfEven(v / unit)); };
    const int left = std::min(px(x1_), px(x2_));
    const int top = std::min(px(y1_), px(y2_));
    const int right = std::max(px(x1_), px(x2_));
    const int bottom = std::max(px(y1_), px(y2_));
    setGeometry(left, top, right - left + 1, bottom - top + 1);
    update();
}

void Line::paintEvent(QPaintEvent*) {
    const double unit = WidgetObject::unitsPerPixel(parentWidget());
    auto px = [unit](double v) { return static_cast<int>(roundHalfEven(v / unit)); };
    QPainter p(this);
    p.setPen(color_);
    const QPoint origin = pos();
    p.drawLine(QPoint(px(x1_), px(y1_)) - origin, QPoint(px(x2_), px(y2_)) - origin);
}

ObjectRef Line::makeHostObject() { return std::make_shared<LineObject>(this); }

}  // namespace host::qt
