#include "host/Scale.h"

#include <cmath>
#include <limits>

#include "host/Error.h"

namespace host {

double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest < 0.5) return down;
    if (rest > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::int32_t CLng(double value) {
    const double r = roundHalfEven(value);
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        throw Error(err::Overflow);
    return static_cast<std::int32_t>(r);
}

namespace {

std::optional<double> twipsPerUnit(std::int32_t mode, double twipsPerPixel,
                                   double twipsPerCharacter) {
    switch (mode) {
        case 0:  // user scale: none of our own, taken as twips
        case 1:
            return 1.0;
        case 2:  // points
            return 20.0;
        case 3:
            return twipsPerPixel;
        case 4:
            return twipsPerCharacter;
        case 5:  // inches
            return 1440.0;
        case 6:  // millimetres
            return 1440.0 / 25.4;
        case 7:  // centimetres
            return 1440.0 / 2.54;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<double> scaleValue(double value, std::int32_t from, std::int32_t to,
                                 double twipsPerPixel, double twipsPerCharacter) {
    const auto f = twipsPerUnit(from, twipsPerPixel, twipsPerCharacter);
    const auto t = twipsPerUnit(to, twipsPerPixel, twipsPerCharacter);
    if (!f || !t || *t == 0.0) return std::nullopt;
    if (*f == *t) return value;
    return value * *f / *t;
}

}  // namespace host
