#include "QResizerPlugin.h"

#include <QAction>
#include <QDesignerFormEditorInterface>
#include <QExtensionManager>
#include <QIcon>

#include "host/qt/designer/DesignerSite.h"
#include "resizer/QResizerWidget.h"
#include "resizer/ResizerIcon.h"

using namespace Qt::StringLiterals;

namespace scalora2 {

QResizerPlugin::QResizerPlugin(QObject* parent) : QObject(parent) {}

QString QResizerPlugin::name() const { return u"resizer::QResizerWidget"_s; }
QString QResizerPlugin::group() const { return u"Scalora2"_s; }
QString QResizerPlugin::toolTip() const { return u"Orvel! Resizer Control"_s; }
QString QResizerPlugin::whatsThis() const {
    return u"Moves and sizes every control of the form in proportion to the form's size, "
           u"optionally scaling fonts too, and keeps the form between a minimum and a "
           u"maximum size."_s;
}
QString QResizerPlugin::includeFile() const { return u"resizer/QResizerWidget.h"_s; }
QIcon QResizerPlugin::icon() const { return QIcon(resizer::resizerIcon(32)); }

QWidget* QResizerPlugin::createWidget(QWidget* parent) {
    return new resizer::QResizerWidget(
        parent, [](QWidget* control) { return std::make_unique<host::qt::DesignerSite>(control); });
}

void QResizerPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (initialized_) return;
    initialized_ = true;
    if (core == nullptr || core->extensionManager() == nullptr) return;
    QExtensionManager* manager = core->extensionManager();
    manager->registerExtensions(new QResizerTaskMenuFactory(manager),
                                Q_TYPEID(QDesignerTaskMenuExtension));
}

QString QResizerPlugin::domXml() const {
    return uR"(<ui language="c++">
 <widget class="resizer::QResizerWidget" name="QResizer1">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>29</width><height>29</height></rect>
  </property>
 </widget>
</ui>
)"_s;
}

QResizerTaskMenu::QResizerTaskMenu(resizer::QResizerWidget* control, QObject* parent)
    : QObject(parent), control_(control) {
    about_ = new QAction(u"About Orvel! Resizer Control..."_s, this);
    connect(about_, &QAction::triggered, this, [this] {
        if (control_) control_->About();
    });
}

QResizerTaskMenuFactory::QResizerTaskMenuFactory(QExtensionManager* parent)
    : QExtensionFactory(parent) {}

QObject* QResizerTaskMenuFactory::createExtension(QObject* object, const QString& iid,
                                                  QObject* parent) const {
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension))) return nullptr;
    if (auto* control = qobject_cast<resizer::QResizerWidget*>(object))
        return new QResizerTaskMenu(control, parent);
    return nullptr;
}

}  // namespace scalora2
