#include "Bollard2.h"

#include "anchor/QAnchorWidget.h"

namespace bollard2 {

QWidget* CreateObject(const QString& progId, QWidget* parent) {
    if (progId == QLatin1String(kQAnchor)) return new anchor::QAnchorWidget(parent);
    return nullptr;
}

}  // namespace bollard2

extern "C" QWidget* Bollard2_CreateObject(const char* progId, QWidget* parent) {
    return progId == nullptr ? nullptr : bollard2::CreateObject(QString::fromUtf8(progId), parent);
}
