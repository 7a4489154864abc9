#pragma once
// Qt Designer's face of QResizer: the widget box entry, the control made for a
// form being edited (a designer's site: user mode False while on a form, saved
// properties marked changed, the end of a form resize seen), and the task
// menu that shows the about box. In the designer the control only follows the
// form's size, unless its WorkAtDesignTime is set.
#include <QDesignerTaskMenuExtension>
#include <QExtensionFactory>
#include <QPointer>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace resizer {
class QResizerWidget;
}

namespace scalora2 {

class QResizerPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit QResizerPlugin(QObject* parent = nullptr);

    [[nodiscard]] QString name() const override;
    [[nodiscard]] QString group() const override;
    [[nodiscard]] QString toolTip() const override;
    [[nodiscard]] QString whatsThis() const override;
    [[nodiscard]] QString includeFile() const override;
    [[nodiscard]] QIcon icon() const override;
    [[nodiscard]] bool isContainer() const override { return false; }
    [[nodiscard]] QWidget* createWidget(QWidget* parent) override;
    [[nodiscard]] bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface* core) override;
    [[nodiscard]] QString domXml() const override;

private:
    bool initialized_ = false;
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

class QResizerTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT

public:
    explicit QResizerTaskMenuFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

}  // namespace scalora2
