#include "resizer/QResizerWidget.h"

#include <QMetaMethod>

#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetObject.h"
#include "host/qt/WidgetSite.h"
#include "resizer/ResizerIcon.h"
#include "subclass/frmabout.h"
#include "ui/Twips.h"

namespace resizer {

subclass::MSubclass& module() {
    static subclass::MSubclass* m =
        new subclass::MSubclass("Scalora2", host::qt::QtWindows::instance());
    return *m;
}

QResizerWidget::QResizerWidget(QWidget* parent) : ControlWidget(parent, "QResizer", &resizerIcon) {
    makeCore();
    site();
}

QResizerWidget::QResizerWidget(QWidget* parent, const SiteFactory& makeSite)
    : ControlWidget(parent, "QResizer", &resizerIcon, makeSite) {
    makeCore();
}

void QResizerWidget::makeCore() {
    core_ = std::make_shared<QResizer>(sharedSite(), module());
    core_->AfterResize = [this](float x, float y) { emit AfterResize(x, y); };
    core_->showAbout = [this] { About(); };
    core_->BeforeResizeControl = [this](host::ObjectRef& control, float& left, float& top,
                                        float& height, float& width, float& font, bool& ignore) {
        static const QMetaMethod signal =
            QMetaMethod::fromSignal(&QResizerWidget::BeforeResizeControl);
        if (!isSignalConnected(signal)) return;
        const auto* object = dynamic_cast<const host::qt::WidgetObject*>(control.get());
        QWidget* const was = object == nullptr ? nullptr : object->widget();
        QWidget* widget = was;
        emit BeforeResizeControl(widget, left, top, height, width, font, ignore);
        if (widget != was)
            control =
                widget == nullptr ? nullptr : host::qt::QtWindows::instance().objectFor(widget);
    };
}

void QResizerWidget::dropCore() {
    core_->AfterResize = nullptr;
    core_->BeforeResizeControl = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
}

QResizerWidget::~QResizerWidget() { dropCore(); }

void QResizerWidget::initProperties() { core_->InitProperties(); }

void QResizerWidget::readProperties(host::PropertyBag& saved) { core_->ReadProperties(saved); }

void QResizerWidget::release(host::PropertyBag& saved) {
    core_->WriteProperties(saved);
    dropCore();
    makeCore();
}

host::Value QResizerWidget::designLength(int pixels) const {
    return std::int32_t{pixels * ui::kTwipsPerPixel};
}

// ---- interface ----

void QResizerWidget::About() {
    if (about_ && about_->isVisible()) return;
    auto box = std::make_unique<subclass::frmabout>(subclass::AboutTexts::resizer(), window());
    about_ = box.get();
    host::qt::runModal(*box);
}

bool QResizerWidget::ResizeFont() const {
    return saved("ResizeFont", true, *core_, &QResizer::ResizeFont);
}
void QResizerWidget::setResizeFont(bool value) {
    let("ResizeFont", value, *core_, &QResizer::setResizeFont);
}
bool QResizerWidget::Enabled() const { return saved("Enabled", true, *core_, &QResizer::Enabled); }
void QResizerWidget::setEnabled(bool value) {
    let("Enabled", value, *core_, &QResizer::setEnabled);
}
int QResizerWidget::MinFormHeight() const {
    return saved("MinFormHeight", std::int32_t{0}, *core_, &QResizer::MinFormHeight);
}
void QResizerWidget::setMinFormHeight(int value) {
    let("MinFormHeight", std::int32_t{value}, *core_, &QResizer::setMinFormHeight);
}
int QResizerWidget::MaxFormHeight() const {
    return saved("MaxFormHeight", std::int32_t{0}, *core_, &QResizer::MaxFormHeight);
}
void QResizerWidget::setMaxFormHeight(int value) {
    let("MaxFormHeight", std::int32_t{value}, *core_, &QResizer::setMaxFormHeight);
}
int QResizerWidget::MinFormWidth() const {
    return saved("MinFormWidth", std::int32_t{0}, *core_, &QResizer::MinFormWidth);
}
void QResizerWidget::setMinFormWidth(int value) {
    let("MinFormWidth", std::int32_t{value}, *core_, &QResizer::setMinFormWidth);
}
int QResizerWidget::MaxFormWidth() const {
    return saved("MaxFormWidth", std::int32_t{0}, *core_, &QResizer::MaxFormWidth);
}
void QResizerWidget::setMaxFormWidth(int value) {
    let("MaxFormWidth", std::int32_t{value}, *core_, &QResizer::setMaxFormWidth);
}
int QResizerWidget::FirstHeight() const {
    return saved("FirstHeight", std::int32_t{0}, *core_, &QResizer::FirstHeight);
}
void QResizerWidget::setFirstHeight(int value) {
    let("FirstHeight", std::int32_t{value}, *core_, &QResizer::setFirstHeight);
}
int QResizerWidget::FirstWidth() const {
    return saved("FirstWidth", std::int32_t{0}, *core_, &QResizer::FirstWidth);
}
void QResizerWidget::setFirstWidth(int value) {
    let("FirstWidth", std::int32_t{value}, *core_, &QResizer::setFirstWidth);
}
bool QResizerWidget::WorkAtDesignTime() const {
    return saved("WorkAtDesignTime", false, *core_, &QResizer::WorkAtDesignTime);
}
void QResizerWidget::setWorkAtDesignTime(bool value) {
    let("WorkAtDesignTime", value, *core_, &QResizer::setWorkAtDesignTime);
}
bool QResizerWidget::SmartDetect() const {
    return saved("SmartDetect", false, *core_, &QResizer::SmartDetect);
}
void QResizerWidget::setSmartDetect(bool value) {
    let("SmartDetect", value, *core_, &QResizer::setSmartDetect);
}

void QResizerWidget::ContainerResized() {
    runLet("ContainerResized", [&] { core_->ContainerResized(); });
}

}  // namespace resizer
