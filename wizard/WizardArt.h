#pragma once
// The comparison program's own picture: two databases side by side with
// arrows between them, drawn at any size. Shown in the main window's header
// band and in its about box. Needs Qt Gui only.
#include <QIcon>
#include <QPixmap>

namespace wizard {

// The picture, `size` pixels square, for a screen of `devicePixelRatio`.
[[nodiscard]] QPixmap wizardPicture(int size, qreal devicePixelRatio = 1);

// One database drum, `size` pixels square: the navigation bar's Databases.
[[nodiscard]] QIcon databaseIcon(int size);

}  // namespace wizard
