#pragma once
// The control's picture: a ship's anchor, drawn by the program at any size
// (its face on a form in the designer, Designer's toolbox icon).
#include <QPixmap>

namespace anchor {

[[nodiscard]] QPixmap anchorIcon(int size);

}  // namespace anchor
