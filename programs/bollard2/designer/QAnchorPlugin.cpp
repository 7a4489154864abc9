#include "QAnchorPlugin.h"

#include <QAction>
#include <QDesignerFormWindowCursorInterface>
#include <QDesignerFormWindowInterface>

#include "anchor/AnchorIcon.h"
#include "anchor/PropAnchorPage.h"
#include "anchor/QAnchorWidget.h"
#include "host/qt/Modal.h"
#include "host/qt/designer/DesignerSite.h"

using namespace Qt::StringLiterals;

namespace bollard2 {

QAnchorPlugin::QAnchorPlugin(QObject* parent)
    : ControlPlugin(parent,
                    {.className = u"anchor::QAnchorWidget"_s,
                     .objectName = u"QAnchor1"_s,
                     .group = u"Bollard2"_s,
                     .toolTip = u"Orvel! Anchor Control v2.0"_s,
                     .whatsThis = u"Keeps each control of the form at fixed distances from the "
                                  u"edges chosen for it, and the form between a minimum and a "
                                  u"maximum size."_s,
                     .includeFile = u"anchor/QAnchorWidget.h"_s,
                     .face = &anchor::anchorIcon}) {}

QWidget* QAnchorPlugin::createWidget(QWidget* parent) {
    return new anchor::QAnchorWidget(parent, [](QWidget* control) {
        // The page's channel changes the saved anchor list.
        return std::make_unique<host::qt::DesignerSite>(
            control, std::map<std::string, std::string>{{"Anchorit", "Anchor"}});
    });
}

QExtensionFactory* QAnchorPlugin::taskMenuFactory(QExtensionManager* manager) {
    return new QAnchorTaskMenuFactory(manager);
}

QAnchorTaskMenu::QAnchorTaskMenu(anchor::QAnchorWidget* control, QObject* parent)
    : QObject(parent), control_(control) {
    edit_ = new QAction(u"Edit Anchor..."_s, this);
    about_ = new QAction(u"About Orvel! Anchor Control..."_s, this);
    connect(edit_, &QAction::triggered, this, &QAnchorTaskMenu::editAnchors);
    connect(about_, &QAction::triggered, this, [this] {
        if (control_) control_->About();
    });
}

void QAnchorTaskMenu::editAnchors() {
    if (!control_) return;
    QList<QObject*> selected{control_.data()};
    if (QDesignerFormWindowInterface* fw = QDesignerFormWindowInterface::findFormWindow(control_)) {
        QDesignerFormWindowCursorInterface* cursor = fw->cursor();
        for (int i = 0; cursor != nullptr && i < cursor->selectedWidgetCount(); ++i)
            if (QWidget* w = cursor->selectedWidget(i); w != control_) selected.append(w);
    }
    anchor::PropAnchorDialog dialog(selected, control_->window());
    host::qt::runModal(dialog);
}

QObject* QAnchorTaskMenuFactory::createTaskMenu(QObject* object, QObject* parent) const {
    if (auto* control = qobject_cast<anchor::QAnchorWidget*>(object))
        return new QAnchorTaskMenu(control, parent);
    return nullptr;
}

}  // namespace bollard2
