#pragma once
// The Options page's twelve check boxes and the rules between them. A box's
// Click runs whenever its value changes, whether the user or code changed it,
// and only then; the rules set other boxes, whose Clicks run in turn. Every
// Click of the nine comparison boxes ends by invalidating the results; the
// three scripting boxes have no Click and never invalidate.
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace engine {
class CCAccess;
}

namespace wizard {

// The boxes, named as the window's controls, in the order of the page's frames:
// Comparison, Objects, Scripting.
enum class OptionBox {
    CMatch,
    CISeed,
    CTable,
    CGroup,
    CUser,
    CView,
    CProcedure,
    CKey,
    CIndex,
    DObject,
    IIncSeed,
    SAIncrement,
};

inline constexpr std::array<OptionBox, 12> kOptionBoxes = {
    OptionBox::CMatch, OptionBox::CISeed,  OptionBox::CTable,     OptionBox::CGroup,
    OptionBox::CUser,  OptionBox::CView,   OptionBox::CProcedure, OptionBox::CKey,
    OptionBox::CIndex, OptionBox::DObject, OptionBox::IIncSeed,   OptionBox::SAIncrement,
};

// The control's name ("CTable"), for finding the window's check box.
[[nodiscard]] std::string_view OptionBoxName(OptionBox box);

// A check box's values: 0 off, 1 on, 2 grey (only a configuration file sets
// it). Only 1 counts as on.
inline constexpr int16_t kUnchecked = 0;
inline constexpr int16_t kChecked = 1;
inline constexpr int16_t kGrayed = 2;

class OptionRules {
public:
    // After every change of a box's value, the user's own included, before the
    // box's rule runs: the window shows the new value.
    using ValueChanged = std::function<void(OptionBox box, int16_t value)>;
    // The results are stale (a comparison box changed).
    using Invalidate = std::function<void()>;

    // The values when the window opens: the seven "Compare" boxes and
    // SAIncrement on, the rest off.
    OptionRules();

    void OnValueChanged(ValueChanged listener) { valueChanged_ = std::move(listener); }
    void OnInvalidate(Invalidate listener) { invalidate_ = std::move(listener); }

    [[nodiscard]] int16_t Value(OptionBox box) const { return values_[index(box)]; }
    [[nodiscard]] bool IsOn(OptionBox box) const { return Value(box) == kChecked; }

    // Gives the box a value as a click or code would. When the value differs
    // from the present one, the box's Click runs: its rule, which may set other
    // boxes (each running its own Click at once), then, for a comparison box,
    // the invalidation. The same value again runs nothing. Throws
    // std::invalid_argument for a value other than 0, 1 or 2, changing nothing.
    void SetValue(OptionBox box, int16_t value);

private:
    static size_t index(OptionBox box) { return static_cast<size_t>(box); }
    void Click(OptionBox box);

    std::array<int16_t, kOptionBoxes.size()> values_{};
    ValueChanged valueChanged_;
    Invalidate invalidate_;
};

// Hands the comparison options to an engine, each true when its box is on:
// IncludeTables, IncludeIndexes, IncludeKeys, IncludeProcedures, IncludeViews,
// IncludeUsers, IncludeGroups, MatchColumns, CompareIncrementAndSeed.
void ApplyCompareOptions(engine::CCAccess& engine, const OptionRules& options);

// Hands the script options to an engine before a script is generated:
// IncludeIncrementAndSeed, SkipAutoIncrementColumns, DropOppositeObjects and
// CompareIncrementAndSeed once more.
void ApplyScriptOptions(engine::CCAccess& engine, const OptionRules& options);

}  // namespace wizard
