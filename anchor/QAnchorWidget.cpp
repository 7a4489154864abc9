#include "anchor/QAnchorWidget.h"

#include "anchor/AnchorIcon.h"
#include "host/Error.h"
#include "host/Scale.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetSite.h"
#include "subclass/frmabout.h"

namespace anchor {

namespace {

std::int32_t whole(double value) {
    try {
        return host::CLng(value);
    } catch (const host::Error&) {
        return 0;
    }
}

}  // namespace

subclass::MSubclass& module() {
    static subclass::MSubclass* m =
        new subclass::MSubclass("Bollard2", host::qt::QtWindows::instance());
    return *m;
}

QAnchorWidget::QAnchorWidget(QWidget* parent) : ControlWidget(parent, "QAnchor", &anchorIcon) {
    makeCore();
    site();
}

QAnchorWidget::QAnchorWidget(QWidget* parent, const SiteFactory& makeSite)
    : ControlWidget(parent, "QAnchor", &anchorIcon, makeSite) {
    makeCore();
}

void QAnchorWidget::makeCore() {
    core_ = std::make_shared<QAnchor>(sharedSite(), module());
    core_->AfterResize = [this](float x, float y) { emit AfterResize(x, y); };
    core_->showAbout = [this] { About(); };
}

void QAnchorWidget::dropCore() {
    core_->AfterResize = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
}

QAnchorWidget::~QAnchorWidget() { dropCore(); }

void QAnchorWidget::initProperties() { core_->InitProperties(); }

void QAnchorWidget::readProperties(host::PropertyBag& saved) { core_->ReadProperties(saved); }

void QAnchorWidget::release(host::PropertyBag& saved) {
    core_->WriteProperties(saved);
    dropCore();
    makeCore();
}

host::Value QAnchorWidget::designLength(int pixels) const { return static_cast<float>(pixels); }

// ---- interface ----

void QAnchorWidget::About() {
    if (about_ && about_->isVisible()) return;
    auto box = std::make_unique<subclass::frmabout>(subclass::AboutTexts::anchor(), window());
    about_ = box.get();
    host::qt::runModal(*box);
}

bool QAnchorWidget::Enabled() const { return saved("Enabled", true, *core_, &QAnchor::Enabled); }
void QAnchorWidget::setEnabled(bool value) { let("Enabled", value, *core_, &QAnchor::setEnabled); }
int QAnchorWidget::MinFormHeight() const {
    return saved("MinFormHeight", std::int32_t{0}, *core_, &QAnchor::MinFormHeight);
}
void QAnchorWidget::setMinFormHeight(int value) {
    let("MinFormHeight", std::int32_t{value}, *core_, &QAnchor::setMinFormHeight);
}
int QAnchorWidget::MaxFormHeight() const {
    return saved("MaxFormHeight", std::int32_t{0}, *core_, &QAnchor::MaxFormHeight);
}
void QAnchorWidget::setMaxFormHeight(int value) {
    let("MaxFormHeight", std::int32_t{value}, *core_, &QAnchor::setMaxFormHeight);
}
int QAnchorWidget::MinFormWidth() const {
    return saved("MinFormWidth", std::int32_t{0}, *core_, &QAnchor::MinFormWidth);
}
void QAnchorWidget::setMinFormWidth(int value) {
    let("MinFormWidth", std::int32_t{value}, *core_, &QAnchor::setMinFormWidth);
}
int QAnchorWidget::MaxFormWidth() const {
    return saved("MaxFormWidth", std::int32_t{0}, *core_, &QAnchor::MaxFormWidth);
}
void QAnchorWidget::setMaxFormWidth(int value) {
    let("MaxFormWidth", std::int32_t{value}, *core_, &QAnchor::setMaxFormWidth);
}

double QAnchorWidget::savedFirstHeight() const {
    if (!sited()) return std::get<float>(pending("FirstHeight", 0.0f));
    return core_->firstHeightSingle();
}

double QAnchorWidget::savedFirstWidth() const {
    if (!sited()) return std::get<float>(pending("FirstWidth", 0.0f));
    return core_->firstWidthSingle();
}

int QAnchorWidget::FirstHeight() const { return whole(savedFirstHeight()); }
int QAnchorWidget::FirstWidth() const { return whole(savedFirstWidth()); }

void QAnchorWidget::setFirstHeight(double value) {
    if (!sited()) {
        keep("FirstHeight", static_cast<float>(value));
        return;
    }
    runLet("FirstHeight", [&] { core_->setFirstHeight(whole(value)); });
}

void QAnchorWidget::setFirstWidth(double value) {
    if (!sited()) {
        keep("FirstWidth", static_cast<float>(value));
        return;
    }
    runLet("FirstWidth", [&] { core_->setFirstWidth(whole(value)); });
}

QString QAnchorWidget::Anchor() const {
    const std::string list =
        sited() ? core_->anchorList() : std::get<std::string>(pending("Anchor", std::string()));
    return QString::fromStdString(list).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void QAnchorWidget::setAnchor(const QString& value) {
    std::string list = QString(value).replace(QLatin1Char('\n'), QLatin1Char('\r')).toStdString();
    if (!sited()) {
        keep("Anchor", std::move(list));
        return;
    }
    core_->setSavedAnchorList(std::move(list));
}

QString QAnchorWidget::Anchorit() {
    if (!sited()) return {};
    QString text;
    runLet("Anchorit", [&] { text = QString::fromStdString(core_->Anchorit()); });
    return text;
}

void QAnchorWidget::setAnchorit(const QString& value) {
    if (!sited()) return;  // not a saved property: nothing to keep for later
    runLet("Anchorit", [&] { core_->setAnchorit(value.toStdString()); });
}

void QAnchorWidget::AnchorControl(QWidget* control, bool AnchorLeft, bool AnchorTop,
                                  bool AnchorRight, bool AnchorBottom) {
    site();
    const host::ObjectRef object =
        control == nullptr ? nullptr : host::qt::QtWindows::instance().objectFor(control);
    runLet("AnchorControl",
           [&] { core_->AnchorControl(object, AnchorLeft, AnchorTop, AnchorRight, AnchorBottom); });
}

void QAnchorWidget::ContainerResized() {
    runLet("ContainerResized", [&] { core_->ContainerResized(); });
}

}  // namespace anchor
