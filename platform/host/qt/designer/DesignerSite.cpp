#include "host/qt/designer/DesignerSite.h"

#include <QApplication>
#include <QDesignerFormEditorInterface>
#include <QDesignerFormWindowInterface>
#include <QDesignerPropertySheetExtension>
#include <QEvent>
#include <QExtensionManager>
#include <QPointer>

#include "host/qt/QtWindows.h"

namespace host::qt {

namespace {

// Watches one designer form: a resize while a mouse button is down is an
// interactive one, and the release that ends it is the end of the size-move.
class ResizeEndWatcher : public QObject {
public:
    explicit ResizeEndWatcher(QWidget* form) : QObject(form), form_(form) {
        setObjectName(QStringLiteral("qt_resize_end_watcher"));
        form->installEventFilter(this);
    }

    static void watch(QWidget* form) {
        for (QObject* child : form->children())
            if (child->objectName() == QLatin1String("qt_resize_end_watcher")) return;
        new ResizeEndWatcher(form);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && event->type() == QEvent::Resize &&
            QGuiApplication::mouseButtons() != Qt::NoButton && !pending_) {
            pending_ = true;
            qApp->installEventFilter(this);
        } else if (pending_ && event->type() == QEvent::MouseButtonRelease) {
            pending_ = false;
            qApp->removeEventFilter(this);
            if (form_) {
                QtWindows& windows = QtWindows::instance();
                windows.SendMessage(windows.handleOf(form_), WM_EXITSIZEMOVE, 0, 0);
            }
        }
        return false;
    }

private:
    QPointer<QWidget> form_;
    bool pending_ = false;
};

}  // namespace

void watchResizeEnd(QWidget* form) {
    if (form != nullptr) ResizeEndWatcher::watch(form);
}

DesignerSite::DesignerSite(QWidget* control, std::map<std::string, std::string> aliases)
    : WidgetSite(control), aliases_(std::move(aliases)) {}

QDesignerFormWindowInterface* DesignerSite::formWindow() const {
    return control_ ? QDesignerFormWindowInterface::findFormWindow(control_.data()) : nullptr;
}

QWidget* DesignerSite::formWidget() const {
    if (QDesignerFormWindowInterface* fw = formWindow()) return fw->mainContainer();
    return WidgetSite::formWidget();
}

void DesignerSite::Sited() {
    if (formWindow() != nullptr) watchResizeEnd(formWidget());
}

bool DesignerSite::UserMode() { return formWindow() == nullptr; }

void DesignerSite::PropertyChanged(const std::string& name) {
    QDesignerFormWindowInterface* fw = formWindow();
    if (fw == nullptr) {
        WidgetSite::PropertyChanged(name);
        return;
    }
    const auto alias = aliases_.find(name);
    const QString saved = QString::fromStdString(alias == aliases_.end() ? name : alias->second);
    if (auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(fw->core()->extensionManager(),
                                                                     control_.data())) {
        if (const int index = sheet->indexOf(saved); index >= 0) sheet->setChanged(index, true);
    }
    fw->setDirty(true);
}

}  // namespace host::qt
