#pragma once
// The host's form and control model as the layout controls reach it: objects
// whose members are read and set by name, and a form's collection of controls.
//
// A member that an object lacks, or that fails, reads as nothing (or a set
// returns false): the callers test for it, as the layout rules say a failed
// step is skipped. Geometry is Single, in the units of the object's container.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/Windows.h"

namespace host {

class Object;
using ObjectRef = std::shared_ptr<Object>;

// The Single members reached by name.
enum class Member { Left, Top, Width, Height, X1, Y1, X2, Y2, FontSize, TabHeight };

// Scale modes of a container.
inline constexpr std::int32_t kScaleUser = 0;
inline constexpr std::int32_t kScaleTwips = 1;
inline constexpr std::int32_t kScalePixels = 3;

// The hidden pages of a tab strip keep their controls this many twips to the
// left of their place on the visible page; a control left of half of it lies
// on a hidden page.
inline constexpr float kHiddenTabOffset = 75000.0f;
inline constexpr float kHiddenTabThreshold = -37500.0f;

class Object {
public:
    Object() = default;
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // "Line", "SSTab", "Data", "Form", … compared exactly by the callers.
    [[nodiscard]] virtual std::string TypeName() const = 0;
    [[nodiscard]] virtual bool IsForm() const { return false; }

    [[nodiscard]] virtual std::optional<std::string> Name() const { return {}; }
    // A control array member's index; nothing (or -1) for any other control.
    [[nodiscard]] virtual std::optional<std::int32_t> Index() const { return {}; }
    [[nodiscard]] virtual std::optional<bool> Visible() const { return {}; }

    [[nodiscard]] virtual std::optional<float> Get(Member) const { return {}; }
    virtual bool Set(Member, float) { return false; }
    // Left, top, width, height at once; lines have none.
    virtual bool Move(float, float, float, float) { return false; }

    // The object the control sits in (a form, a frame, a tab strip).
    [[nodiscard]] virtual ObjectRef Container() const { return {}; }
    [[nodiscard]] virtual std::optional<Hwnd> hwnd() const { return {}; }
    [[nodiscard]] virtual std::optional<std::int32_t> ScaleMode() const { return {}; }

    // A tab strip's members (orientation 0 top, 1 bottom, 2 left, 3 right).
    [[nodiscard]] virtual std::optional<std::int32_t> Tabs() const { return {}; }
    [[nodiscard]] virtual std::optional<std::int32_t> TabsPerRow() const { return {}; }
    [[nodiscard]] virtual std::optional<std::int32_t> TabOrientation() const { return {}; }
};

// The host form's controls: position 0 is the form itself, 1 to Count() - 1 its
// controls in a fixed order while none is added or removed.
class ControlCollection {
public:
    ControlCollection() = default;
    virtual ~ControlCollection() = default;
    ControlCollection(const ControlCollection&) = delete;
    ControlCollection& operator=(const ControlCollection&) = delete;

    [[nodiscard]] virtual std::int32_t Count() = 0;
    // Nothing when no object can be fetched at that position.
    [[nodiscard]] virtual ObjectRef Item(std::int32_t position) = 0;
};

}  // namespace host
