#pragma once
// Qt Designer's face of QResizer: the widget box entry, the control made for a
// form being edited (a designer's site: user mode False while on a form, saved
// properties marked changed, the end of a form resize seen), and the task
// menu that shows the about box. In the designer the control only follows the
// form's size, unless its WorkAtDesignTime is set.
#include <QDesignerTaskMenuExtension>
#include <QPointer>

#include "host/qt/designer/ControlPlugin.h"

namespace resizer {
class QResizerWidget;
}

namespace scalora2 {

class QResizerPlugin : public host::qt::ControlPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit QResizerPlugin(QObject* parent = nullptr);

    [[nodiscard]] QWidget* createWidget(QWidget* parent) override;

protected:
    [[nodiscard]] QExtensionFactory* taskMenuFactory(QExtensionManager* manager) override;
};

// "About..." (the control has no property page).
class QResizerTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    QResizerTaskMenu(resizer::QResizerWidget* control, QObject* parent);

    [[nodiscard]] QAction* preferredEditAction() const override { return nullptr; }
    [[nodiscard]] QList<QAction*> taskActions() const override { return {about_}; }

private:
    QPointer<resizer::QResizerWidget> control_;
    QAction* about_;
};

class QResizerTaskMenuFactory : public host::qt::TaskMenuFactory {
    Q_OBJECT

public:
    using TaskMenuFactory::TaskMenuFactory;

protected:
    [[nodiscard]] QObject* createTaskMenu(QObject* object, QObject* parent) const override;
};

}  // namespace scalora2
