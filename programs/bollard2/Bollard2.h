#pragma once
// The anchor layout control library. Its one control is made by its
// programmatic identifier ("Bollard2.QAnchor") or directly as
// anchor::QAnchorWidget (anchor/QAnchorWidget.h).
#include <QString>

class QWidget;

namespace bollard2 {

inline constexpr char kQAnchor[] = "Bollard2.QAnchor";

// A new control of the library on `parent` (sited at once when `parent` is
// given), or nothing for an identifier the library does not have.
[[nodiscard]] QWidget* CreateObject(const QString& progId, QWidget* parent = nullptr);

}  // namespace bollard2

// The same, for a program that loads the library itself (QLibrary::resolve).
extern "C" QWidget* Bollard2_CreateObject(const char* progId, QWidget* parent);
