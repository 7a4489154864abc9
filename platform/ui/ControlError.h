#pragma once
// A control refused a value or an index (a check box value outside 0-2, a
// toolbar button that does not exist). The control is left as it was.
#include <stdexcept>

namespace ui {

class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace ui
