#pragma once
// The tree grid drawn at a zoom: its model's lengths (pixels) as drawn.
#include <cmath>

namespace ui {

// A length of the grid's model at `zoom`, to the nearest pixel; unchanged at 1.
[[nodiscard]] inline int zoomedLength(int pixels, double zoom) {
    return zoom == 1.0 ? pixels : static_cast<int>(std::lround(pixels * zoom));
}

}  // namespace ui
