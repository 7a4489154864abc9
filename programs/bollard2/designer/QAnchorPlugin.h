#pragma once
// Qt Designer's face of QAnchor: the widget box entry, the control made for a
// form being edited (a designer's site: user mode False while on a form, saved
// properties marked changed, the end of a form resize seen), and the task
// menu that opens the property page and the about box.
#include <QDesignerTaskMenuExtension>
#include <QExtensionFactory>
#include <QPointer>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace anchor {
class QAnchorWidget;
}

namespace bollard2 {

class QAnchorPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit QAnchorPlugin(QObject* parent = nullptr);

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

class QAnchorTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT

public:
    explicit QAnchorTaskMenuFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

}  // namespace bollard2
