#pragma once
// What the detail window reads of the wizard's option check boxes, at the
// moment it needs each value (the wizard implements it; tests pass their own).
// Values as check boxes hold them: 0 unchecked, 1 checked, 2 grayed.

namespace detail {

class WizardOptions {
public:
    virtual ~WizardOptions() = default;
    // "Match columns maintaining their positions …": read once for every
    // column item row of a table.
    [[nodiscard]] virtual int CMatch() const = 0;
    // "Include Increment and Seed attributes …": read once for every column
    // while its property rows are added.
    [[nodiscard]] virtual int CISeed() const = 0;
};

}  // namespace detail
