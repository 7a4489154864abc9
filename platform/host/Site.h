#pragma once
// What a host gives a control sited on one of its forms: the window system, the
// form's controls, the parent and the container window, the ambient user mode,
// change reports for the designer, the screen's twips per pixel, yielding to
// pending messages and a message box. host::model::FakeSite answers it for
// tests, host::qt::WidgetSite for a Qt widget.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/Object.h"
#include "host/Windows.h"

namespace host {

// A saved property's value: Boolean, Long, Single or String.
using Value = std::variant<bool, std::int32_t, float, std::string>;

// A saved value read as the property's own type, as a form's loader converts
// it: a text "True", "true", "-1" or "1" is True; True is -1 as a number; a
// Single becomes a Long rounded half to even; a number is no text.
[[nodiscard]] bool asBool(const Value& v);
[[nodiscard]] std::int32_t asLong(const Value& v);
[[nodiscard]] float asSingle(const Value& v);
[[nodiscard]] std::string asString(const Value& v);

// The host form's saved properties of one control.
class PropertyBag {
public:
    PropertyBag() = default;
    virtual ~PropertyBag() = default;
    PropertyBag(const PropertyBag&) = delete;
    PropertyBag& operator=(const PropertyBag&) = delete;

    // The stored value, or `defaultValue` when none is stored.
    [[nodiscard]] virtual Value ReadProperty(const std::string& name,
                                             const Value& defaultValue) = 0;
    // A value equal to its default is not stored.
    virtual void WriteProperty(const std::string& name, const Value& value,
                               const Value& defaultValue) = 0;
};

// A bag in memory that keeps the order of the writes.
class MemoryBag : public PropertyBag {
public:
    [[nodiscard]] Value ReadProperty(const std::string& name, const Value& defaultValue) override;
    void WriteProperty(const std::string& name, const Value& value,
                       const Value& defaultValue) override;

    // Stores a value as a loaded form holds it (no default test).
    void put(const std::string& name, Value value);
    [[nodiscard]] bool empty() const { return values_.empty(); }
    [[nodiscard]] bool contains(const std::string& name) const { return values_.count(name) > 0; }
    // Names in the order they were first stored.
    [[nodiscard]] const std::vector<std::string>& order() const { return order_; }
    void clear() {
        values_.clear();
        order_.clear();
    }

private:
    std::map<std::string, Value> values_;
    std::vector<std::string> order_;
};

class Site {
public:
    Site() = default;
    virtual ~Site() = default;
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    [[nodiscard]] virtual WindowSystem& Windows() = 0;
    [[nodiscard]] virtual ControlCollection& ParentControls() = 0;
    // The object the control is sited on (normally a form); may be nothing.
    [[nodiscard]] virtual ObjectRef Parent() = 0;
    // The window of the control's container; 0 when there is none.
    [[nodiscard]] virtual Hwnd ContainerHwnd() = 0;
    // False in the designer; read afresh at each use.
    [[nodiscard]] virtual bool UserMode() = 0;
    // Tells the host that a saved property changed, so that the designer saves it.
    virtual void PropertyChanged(const std::string& name) = 0;
    [[nodiscard]] virtual float TwipsPerPixelX() = 0;
    [[nodiscard]] virtual float TwipsPerPixelY() = 0;
    // Lets pending window messages run once.
    virtual void DoEvents() = 0;
    // A modal message box; `style` holds the buttons and icon as the forms knew
    // them (48: exclamation, OK). Returns the button chosen (1 OK).
    virtual std::int32_t MsgBox(const std::string& text, std::int32_t style,
                                const std::string& title) = 0;
};

}  // namespace host
