#pragma once
// The control's picture: a small frame growing into a large one along a
// diagonal arrow, drawn by the program at any size (its face on a form in the
// designer, Designer's toolbox icon).
#include <QPixmap>

namespace resizer {

[[nodiscard]] QPixmap resizerIcon(int size);

}  // namespace resizer
