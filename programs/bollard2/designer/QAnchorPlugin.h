#pragma once
// Qt Designer's face of QAnchor: the widget box entry, the control made for a
// form being edited (a designer's site: user mode False while on a form, saved
// properties marked changed, the end of a form resize seen), and the task
// menu that opens the property page and the about box.
#include <QDesignerTaskMenuExtension>
#include <QPointer>

#include "host/qt/designer/ControlPlugin.h"

namespace anchor {
class QAnchorWidget;
}

namespace bollard2 {

class QAnchorPlugin : public host::qt::ControlPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit QAnchorPlugin(QObject* parent = nullptr);

    [[nodiscard]] QWidget* createWidget(QWidget* parent) override;

protected:
    [[nodiscard]] QExtensionFactory* taskMenuFactory(QExtensionManager* manager) override;
};

// "Edit Anchor..." (the property page) and "About...".
class QAnchorTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    QAnchorTaskMenu(anchor::QAnchorWidget* control, QObject* parent);

    [[nodiscard]] QAction* preferredEditAction() const override { return edit_; }
    [[nodiscard]] QList<QAction*> taskActions() const override { return {edit_, about_}; }

    // Shows the property page for the control (and any other selected ones after it).
    void editAnchors();

private:
    QPointer<anchor::QAnchorWidget> control_;
    QAction* edit_;
    QAction* about_;
};

class QAnchorTaskMenuFactory : public host::qt::TaskMenuFactory {
    Q_OBJECT

public:
    using TaskMenuFactory::TaskMenuFactory;

protected:
    [[nodiscard]] QObject* createTaskMenu(QObject* object, QObject* parent) const override;
};

}  // namespace bollard2
