#include "host/qt/designer/ControlPlugin.h"

#include <QDesignerFormEditorInterface>
#include <QDesignerTaskMenuExtension>
#include <QExtensionManager>
#include <QIcon>
#include <utility>

using namespace Qt::StringLiterals;

namespace host::qt {

ControlPlugin::ControlPlugin(QObject* parent, Entry entry)
    : QObject(parent), entry_(std::move(entry)) {}

QIcon ControlPlugin::icon() const { return QIcon(entry_.face(32)); }

void ControlPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (initialized_) return;
    initialized_ = true;
    if (core == nullptr || core->extensionManager() == nullptr) return;
    QExtensionManager* manager = core->extensionManager();
    manager->registerExtensions(taskMenuFactory(manager), Q_TYPEID(QDesignerTaskMenuExtension));
}

QString ControlPlugin::domXml() const {
    return uR"(<ui language="c++">
 <widget class="%1" name="%2">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>29</width><height>29</height></rect>
  </property>
 </widget>
</ui>
)"_s.arg(entry_.className, entry_.objectName);
}

TaskMenuFactory::TaskMenuFactory(QExtensionManager* parent) : QExtensionFactory(parent) {}

QObject* TaskMenuFactory::createExtension(QObject* object, const QString& iid,
                                          QObject* parent) const {
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension))) return nullptr;
    return createTaskMenu(object, parent);
}

}  // namespace host::qt
