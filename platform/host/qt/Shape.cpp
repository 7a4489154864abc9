#include "host/qt/Shape.h"

#include <QPainter>

#include "host/qt/WidgetObject.h"

namespace host::qt {

namespace {

class ShapeObject : public WidgetObject {
public:
    explicit ShapeObject(Shape* shape) : WidgetObject(shape) {}

    [[nodiscard]] std::string TypeName() const override { return "Shape"; }
    [[nodiscard]] std::optional<float> Get(Member m) const override {
        if (m == Member::FontSize) return std::nullopt;
        return WidgetObject::Get(m);
    }
    bool Set(Member m, float value) override {
        if (m == Member::FontSize) return false;
        return WidgetObject::Set(m, value);
    }
};

}  // namespace

Shape::Shape(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

void Shape::setBorderColor(const QColor& color) {
    border_ = color;
    update();
}

void Shape::setFillColor(const QColor& color) {
    fill_ = color;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (fill_.isValid()) p.fillRect(rect(), fill_);
    p.setPen(border_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

ObjectRef Shape::makeHostObject() { return std::make_shared<ShapeObject>(this); }

}  // namespace host::qt
