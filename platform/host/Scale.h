#pragma once
// Number conversions of the layout controls: rounding to whole numbers (halves
// to the even neighbour) and the conversion between scale modes.
#include <cstdint>
#include <optional>

namespace host {

// Nearest whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
[[nodiscard]] double roundHalfEven(double value);
// The same as a Long; error 6 (overflow) beyond its range.
[[nodiscard]] std::int32_t CLng(double value);

// Converts `value` between scale modes along one axis; `twipsPerPixel` is the
// screen's for that axis and `twipsPerCharacter` the character cell's (120
// across, 240 down). Nothing for a mode that does not exist. Mode 0 (a user
// scale) is taken as twips: the controls keep no user scale of their own.
[[nodiscard]] std::optional<double> scaleValue(double value, std::int32_t from, std::int32_t to,
                                               double twipsPerPixel, double twipsPerCharacter);
[[nodiscard]] inline std::optional<double> ScaleX(double value, std::int32_t from, std::int32_t to,
                                                  double twipsPerPixelX) {
    return scaleValue(value, from, to, twipsPerPixelX, 120.0);
}
[[nodiscard]] inline std::optional<double> ScaleY(double value, std::int32_t from, std::int32_t to,
                                                  double twipsPerPixelY) {
    return scaleValue(value, from, to, twipsPerPixelY, 240.0);
}

}  // namespace host
