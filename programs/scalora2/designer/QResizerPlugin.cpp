#include "QResizerPlugin.h"

#include <QAction>

#include "host/qt/designer/DesignerSite.h"
#include "resizer/QResizerWidget.h"
#include "resizer/ResizerIcon.h"

using namespace Qt::StringLiterals;

namespace scalora2 {

QResizerPlugin::QResizerPlugin(QObject* parent)
    : ControlPlugin(parent,
                    {.className = u"resizer::QResizerWidget"_s,
                     .objectName = u"QResizer1"_s,
                     .group = u"Scalora2"_s,
                     .toolTip = u"Orvel! Resizer Control"_s,
                     .whatsThis = u"Moves and sizes every control of the form in proportion to "
                                  u"the form's size, optionally scaling fonts too, and keeps the "
                                  u"form between a minimum and a maximum size."_s,
                     .includeFile = u"resizer/QResizerWidget.h"_s,
                     .face = &resizer::resizerIcon}) {}

QWidget* QResizerPlugin::createWidget(QWidget* parent) {
    return new resizer::QResizerWidget(
        parent, [](QWidget* control) { return std::make_unique<host::qt::DesignerSite>(control); });
}

QExtensionFactory* QResizerPlugin::taskMenuFactory(QExtensionManager* manager) {
    return new QResizerTaskMenuFactory(manager);
}

QResizerTaskMenu::QResizerTaskMenu(resizer::QResizerWidget* control, QObject* parent)
    : QObject(parent), control_(control) {
    about_ = new QAction(u"About Orvel! Resizer Control..."_s, this);
    connect(about_, &QAction::triggered, this, [this] {
        if (control_) control_->About();
    });
}

QObject* QResizerTaskMenuFactory::createTaskMenu(QObject* object, QObject* parent) const {
    if (auto* control = qobject_cast<resizer::QResizerWidget*>(object))
        return new QResizerTaskMenu(control, parent);
    return nullptr;
}

}  // namespace scalora2
