#include "Scalora2.h"

#include "resizer/QResizerWidget.h"

namespace scalora2 {

QWidget* CreateObject(const QString& progId, QWidget* parent) {
    if (progId == QLatin1String(kQResizer)) return new resizer::QResizerWidget(parent);
    return nullptr;
}

}  // namespace scalora2

extern "C" QWidget* Scalora2_CreateObject(const char* progId, QWidget* parent) {
    return progId == nullptr ? nullptr : scalora2::CreateObject(QString::fromUtf8(progId), parent);
}
