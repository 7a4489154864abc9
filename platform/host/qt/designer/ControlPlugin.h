#pragma once
// What the layout controls' Qt Designer plugins share: the widget box entry
// (name, group, texts, include file, icon, the control as first placed) and
// the registration of the control's task menu. A control's plugin derives from
// ControlPlugin (adding Q_OBJECT, its metadata and Q_INTERFACES), makes the
// control for a form being edited and gives the factory of its task menu;
// the menu's factory derives from TaskMenuFactory.
#include <QExtensionFactory>
#include <QString>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "host/qt/ControlWidget.h"

namespace host::qt {

class ControlPlugin : public QObject, public QDesignerCustomWidgetInterface {
public:
    struct Entry {
        QString className;   // the widget's class, as the .ui names it
        QString objectName;  // the control's name when placed on a form
        QString group;
        QString toolTip;
        QString whatsThis;
        QString includeFile;
        ControlWidget::Face face;
    };

    [[nodiscard]] QString name() const override { return entry_.className; }
    [[nodiscard]] QString group() const override { return entry_.group; }
    [[nodiscard]] QString toolTip() const override { return entry_.toolTip; }
    [[nodiscard]] QString whatsThis() const override { return entry_.whatsThis; }
    [[nodiscard]] QString includeFile() const override { return entry_.includeFile; }
    [[nodiscard]] QIcon icon() const override;
    [[nodiscard]] bool isContainer() const override { return false; }
    [[nodiscard]] bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface* core) override;
    [[nodiscard]] QString domXml() const override;

protected:
    ControlPlugin(QObject* parent, Entry entry);

    // The factory of the control's task menu, owned by `manager`.
    [[nodiscard]] virtual QExtensionFactory* taskMenuFactory(QExtensionManager* manager) = 0;

private:
    Entry entry_;
    bool initialized_ = false;
};

// Makes a control's task menu, for its widgets only.
class TaskMenuFactory : public QExtensionFactory {
public:
    explicit TaskMenuFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
    // The menu for `object`, or nothing when it is not the control's widget.
    [[nodiscard]] virtual QObject* createTaskMenu(QObject* object, QObject* parent) const = 0;
};

}  // namespace host::qt
