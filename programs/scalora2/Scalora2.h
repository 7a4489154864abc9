#pragma once
// The proportional resizer control library. Its one control is made by its
// programmatic identifier ("Scalora2.QResizer") or directly as
// resizer::QResizerWidget (resizer/QResizerWidget.h).
#include <QString>

class QWidget;

namespace scalora2 {

inline constexpr char kQResizer[] = "Scalora2.QResizer";

// A new control of the library on `parent` (sited at once when `parent` is
// given), or nothing for an identifier the library does not have.
[[nodiscard]] QWidget* CreateObject(const QString& progId, QWidget* parent = nullptr);

}  // namespace scalora2

// The same, for a program that loads the library itself (QLibrary::resolve).
extern "C" QWidget* Scalora2_CreateObject(const char* progId, QWidget* parent);
