#include "host/qt/WidgetObject.h"

#include <QMetaProperty>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "host/Scale.h"
#include "host/qt/QtWindows.h"
#include "ui/Twips.h"

namespace host::qt {

namespace {

// Whole pixels; nothing for a value no widget can take (not finite, or beyond
// the largest widget size either way), which the set then refuses.
std::optional<int> toPixels(double value, double unit) {
    const double px = roundHalfEven(value / unit);
    if (!(px >= -QWIDGETSIZE_MAX && px <= QWIDGETSIZE_MAX)) return std::nullopt;
    return static_cast<int>(px);
}

std::optional<std::int32_t> indexOf(const QWidget* w) {
    const QVariant v = WidgetObject::setting(w, WidgetObject::Setting::Index);
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int i = v.toInt(&ok);
    if (!ok) return std::nullopt;
    return i;
}

}  // namespace

WidgetObject::WidgetObject(QWidget* widget, Kind kind) : widget_(widget), kind_(kind) {}

QVariant WidgetObject::setting(const QObject* object, Setting which) {
    static const char* const names[] = {"Index", "ScaleMode", "container"};
    const char* name = names[static_cast<int>(which)];
    // Most widgets carry no dynamic property, and looking a name up among a
    // class's properties costs more than placing the widget: remember, per
    // class, where (whether) it has one.
    if (!object->dynamicPropertyNames().isEmpty() && object->dynamicPropertyNames().contains(name))
        return object->property(name);
    static std::unordered_map<const QMetaObject*, std::array<int, 3>> classes;
    const QMetaObject* meta = object->metaObject();
    auto it = classes.find(meta);
    if (it == classes.end()) {
        std::array<int, 3> indexes{};
        for (int i = 0; i < 3; ++i)
            indexes[static_cast<std::size_t>(i)] = meta->indexOfProperty(names[i]);
        it = classes.emplace(meta, indexes).first;
    }
    const int index = it->second[static_cast<std::size_t>(which)];
    return index < 0 ? QVariant() : meta->property(index).read(object);
}

double WidgetObject::unitsPerPixel(const QWidget* container) {
    if (container != nullptr) {
        const QVariant mode = setting(container, Setting::ScaleMode);
        if (mode.isValid() && mode.toInt() == kScalePixels) return 1.0;
    }
    return ui::kTwipsPerPixel;
}

std::string WidgetObject::TypeName() const {
    if (kind_ == Kind::Form) return "Form";
    if (!widget_) return {};
    std::string name = widget_->metaObject()->className();
    // Namespaced classes are known by their own name.
    if (const auto colon = name.rfind(':'); colon != std::string::npos) name.erase(0, colon + 1);
    return name;
}

std::optional<std::string> WidgetObject::Name() const {
    if (!widget_) return std::nullopt;
    QString name = widget_->objectName();
    if (const auto index = indexOf(widget_)) {
        const QString suffix = QLatin1Char('_') + QString::number(*index);
        if (name.endsWith(suffix)) name.chop(suffix.size());
    }
    return name.toStdString();
}

std::optional<std::int32_t> WidgetObject::Index() const {
    if (!widget_ || kind_ == Kind::Form) return std::nullopt;
    return indexOf(widget_);
}

std::optional<bool> WidgetObject::Visible() const {
    if (!widget_) return std::nullopt;
    return !widget_->isHidden();
}

std::optional<float> WidgetObject::Get(Member m) const {
    if (!widget_) return std::nullopt;
    if (kind_ == Kind::Form) {
        const QRect outer = widget_->isWindow() ? widget_->frameGeometry() : widget_->geometry();
        const double t = ui::kTwipsPerPixel;
        switch (m) {
            case Member::Left:
                return static_cast<float>(outer.x() * t);
            case Member::Top:
                return static_cast<float>(outer.y() * t);
            case Member::Width:
                return static_cast<float>(outer.width() * t);
            case Member::Height:
                return static_cast<float>(outer.height() * t);
            case Member::FontSize:
                break;
            default:
                return std::nullopt;
        }
    }
    const double unit = unitsPerPixel(widget_->parentWidget());
    switch (m) {
        case Member::Left:
            return static_cast<float>(widget_->x() * unit);
        case Member::Top:
            return static_cast<float>(widget_->y() * unit);
        case Member::Width:
            return static_cast<float>(widget_->width() * unit);
        case Member::Height:
            return static_cast<float>(widget_->height() * unit);
        case Member::FontSize: {
            const QFont f = widget_->font();
            if (f.pointSizeF() > 0) return static_cast<float>(f.pointSizeF());
            return static_cast<float>(f.pixelSize() * 0.75);
        }
        default:
            return std::nullopt;
    }
}

bool WidgetObject::Set(Member m, float value) {
    if (!widget_) return false;
    if (m == Member::FontSize) {
        if (!(value > 0) || !std::isfinite(value)) return false;
        QFont f = widget_->font();
        f.setPointSizeF(value);
        widget_->setFont(f);
        return true;
    }
    if ((m == Member::Width || m == Member::Height) && value < 0) return false;
    if (kind_ == Kind::Form) {
        // The outer size in twips; the widget's own size is the client area.
        const QSize frame =
            widget_->isWindow() ? widget_->frameGeometry().size() - widget_->size() : QSize(0, 0);
        const auto pixels = toPixels(value, ui::kTwipsPerPixel);
        if (!pixels) return false;
        const int px = *pixels;
        switch (m) {
            case Member::Width:
                widget_->resize(std::max(0, px - frame.width()), widget_->height());
                return true;
            case Member::Height:
                widget_->resize(widget_->width(), std::max(0, px - frame.height()));
                return true;
            case Member::Left:
                widget_->move(px, widget_->y());
                return true;
            case Member::Top:
                widget_->move(widget_->x(), px);
                return true;
            default:
                return false;
        }
    }
    const double unit = unitsPerPixel(widget_->parentWidget());
    const auto pixels = toPixels(value, unit);
    if (!pixels) return false;
    const int px = *pixels;
    switch (m) {
        case Member::Left:
            widget_->move(px, widget_->y());
            return true;
        case Member::Top:
            widget_->move(widget_->x(), px);
            return true;
        case Member::Width:
            widget_->resize(px, widget_->height());
            return true;
        case Member::Height:
            widget_->resize(widget_->width(), px);
            return true;
        default:
            return false;
    }
}

bool WidgetObject::Move(float left, float top, float width, float height) {
    if (!widget_ || kind_ == Kind::Form || width < 0 || height < 0) return false;
    const double unit = unitsPerPixel(widget_->parentWidget());
    const auto l = toPixels(left, unit);
    const auto t = toPixels(top, unit);
    const auto w = toPixels(width, unit);
    const auto h = toPixels(height, unit);
    if (!l || !t || !w || !h) return false;
    widget_->setGeometry(*l, *t, *w, *h);
    return true;
}

ObjectRef WidgetObject::Container() const {
    if (!widget_ || widget_->isWindow()) return nullptr;
    QWidget* parent = widget_->parentWidget();
    return parent == nullptr ? nullptr : QtWindows::instance().objectFor(parent);
}

std::optional<Hwnd> WidgetObject::hwnd() const {
    if (!widget_) return std::nullopt;
    return QtWindows::instance().handleOf(widget_);
}

std::optional<std::int32_t> WidgetObject::ScaleMode() const {
    if (!widget_) return std::nullopt;
    const QVariant mode = setting(widget_, Setting::ScaleMode);
    if (mode.isValid()) return mode.toInt();
    // Forms have a scale (twips); frames and most controls have none.
    if (kind_ == Kind::Form || widget_->isWindow()) return kScaleTwips;
    return std::nullopt;
}

}  // namespace host::qt
