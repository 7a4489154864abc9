#pragma once
// The pictures of the layout controls (their faces on a form in the designer,
// Designer's toolbox icons) share a tile; each control draws its own figure
// on it.
#include <QPainter>
#include <QPixmap>
#include <functional>

namespace host::qt {

// The tile at `size` x `size` pixels, with what `draw` paints on it in a
// square of 32 x 32 (the painter is scaled and antialiased).
[[nodiscard]] QPixmap controlIcon(int size, const std::function<void(QPainter&)>& draw);

}  // namespace host::qt
