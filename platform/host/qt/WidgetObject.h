#pragma once
// A widget as the host reaches it: members by name with twips geometry.
//
// - Name is the objectName; a control array member carries the dynamic
//   property "Index" and an objectName ending in "_" and that index
//   ("Page_2" is "Page" with Index 2), since Designer wants unique names.
// - Left, Top, Width and Height are relative to the parent widget, in the
//   parent's scale units: twips (15 a pixel) unless the parent carries the
//   dynamic property "ScaleMode" with 3 (pixels).
// - A form's Left, Top, Width and Height are its outer frame's, in twips.
// - A negative width or height is refused, as the forms' controls refuse it.
// - Every member of a widget that is gone fails.
#include <QPointer>
#include <QWidget>

#include "host/Object.h"

namespace host::qt {

class WidgetObject : public Object {
public:
    enum class Kind { Control, Form };
    explicit WidgetObject(QWidget* widget, Kind kind = Kind::Control);

    [[nodiscard]] QWidget* widget() const { return widget_.data(); }

    [[nodiscard]] std::string TypeName() const override;
    [[nodiscard]] bool IsForm() const override { return kind_ == Kind::Form; }
    [[nodiscard]] std::optional<std::string> Name() const override;
    [[nodiscard]] std::optional<std::int32_t> Index() const override;
    [[nodiscard]] std::optional<bool> Visible() const override;
    [[nodiscard]] std::optional<float> Get(Member m) const override;
    bool Set(Member m, float value) override;
    bool Move(float left, float top, float width, float height) override;
    [[nodiscard]] ObjectRef Container() const override;
    [[nodiscard]] std::optional<Hwnd> hwnd() const override;
    [[nodiscard]] std::optional<std::int32_t> ScaleMode() const override;

    // Twips (or pixels, in a container of scale mode 3) per pixel of the
    // widget's own coordinates, along each axis.
    [[nodiscard]] static double unitsPerPixel(const QWidget* container);

    // The host's settings a widget may carry, as dynamic properties or as
    // properties of its class: "Index", "ScaleMode", "container".
    enum class Setting { Index, ScaleMode, Container };
    [[nodiscard]] static QVariant setting(const QObject* object, Setting which);

protected:
    QPointer<QWidget> widget_;
    Kind kind_;
};

}  // namespace host::qt
