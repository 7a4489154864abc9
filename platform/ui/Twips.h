#pragma once
// Form geometry in twips on Qt widgets: 15 twips to the logical pixel
// everywhere (Qt takes care of device pixel ratios).
#include <QRect>

namespace ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, to the nearest (a twip count is never a half pixel).
[[nodiscard]] constexpr int twipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
[[nodiscard]] constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// A control's left, top, width and height in twips as a pixel rectangle.
[[nodiscard]] constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

}  // namespace ui
