#include "QAnchorPlugin.h"

#include <QAction>
#include <QDesignerFormEditorInterface>
#include <QDesignerFormWindowCursorInterface>
#include <QDesignerFormWindowInterface>
#include <QExtensionManager>
#include <QIcon>

#include "anchor/AnchorIcon.h"
#include "anchor/PropAnchorPage.h"
#include "anchor/QAnchorWidget.h"
#include "host/qt/Modal.h"
#include "host/qt/designer/DesignerSite.h"

using namespace Qt::StringLiterals;

namespace bollard2 {

QAnchorPlugin::QAnchorPlugin(QObject* parent) : QObject(parent) {}

QString QAnchorPlugin::name() const { return u"anchor::QAnchorWidget"_s; }
QString QAnchorPlugin::group() const { return u"Bollard2"_s; }
QString QAnchorPlugin::toolTip() const { return u"Orvel! Anchor Control v2.0"_s; }
QString QAnchorPlugin::whatsThis() const {
    return u"Keeps each control of the form at fixed distances from the edges chosen for it, "
           u"and the form between a minimum and a maximum size."_s;
}
QString QAnchorPlugin::includeFile() const { return u"anchor/QAnchorWidget.h"_s; }
QIcon QAnchorPlugin::icon() const { return QIcon(anchor::anchorIcon(32)); }

QWidget* QAnchorPlugin::createWidget(QWidget* parent) {
    return new anchor::QAnchorWidget(parent, [](QWidget* control) {
        // The page's channel changes the saved anchor list.
        return std::make_unique<host::qt::DesignerSite>(
            control, std::map<std::string, std::string>{{"Anchorit", "Anchor"}});
    });
}

void QAnchorPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (initialized_) return;
    initialized_ = true;
    if (core == nullptr || core->extensionManager() == nullptr) return;
    QExtensionManager* manager = core->extensionManager();
    manager->registerExtensions(new QAnchorTaskMenuFactory(manager),
                                Q_TYPEID(QDesignerTaskMenuExtension));
}

QString QAnchorPlugin::domXml() const {
    return uR"(<ui language="c++">
 <widget class="anchor::QAnchorWidget" name="QAnchor1">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>29</width><height>29</height></rect>
  </property>
 </widget>
</ui>
)"_s;
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

QAnchorTaskMenuFactory::QAnchorTaskMenuFactory(QExtensionManager* parent)
    : QExtensionFactory(parent) {}

QObject* QAnchorTaskMenuFactory::createExtension(QObject* object, const QString& iid,
                                                 QObject* parent) const {
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension))) return nullptr;
    if (auto* control = qobject_cast<anchor::QAnchorWidget*>(object))
        return new QAnchorTaskMenu(control, parent);
    return nullptr;
}

}  // namespace bollard2
