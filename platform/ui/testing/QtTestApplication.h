#pragma once
// The QApplication that widget tests need, made once per test program on first
// use and kept to the end (never destroyed, so no Qt object outlives it).
// Without QT_QPA_PLATFORM set it runs on the offscreen platform.
class QApplication;

namespace ui::testing {

QApplication& qtApplication();

}  // namespace ui::testing
