#include "resizer/QResizerWidget.h"

#include <QEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QTimer>

#include "host/Error.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetObject.h"
#include "host/qt/WidgetSite.h"
#include "resizer/ResizerIcon.h"
#include "subclass/frmabout.h"
#include "ui/Twips.h"

using namespace Qt::StringLiterals;

namespace resizer {

namespace {

// The face keeps the size of its picture: 435 twips.
constexpr int kFaceSize = 29;

}  // namespace

subclass::MSubclass& module() {
    static subclass::MSubclass* m =
        new subclass::MSubclass("Scalora2", host::qt::QtWindows::instance());
    return *m;
}

QResizerWidget::QResizerWidget(QWidget* parent) : QWidget(parent) {
    init(std::make_unique<host::qt::WidgetSite>(this));
    site();
}

QResizerWidget::QResizerWidget(QWidget* parent, const SiteFactory& makeSite) : QWidget(parent) {
    deferred_ = true;
    init(makeSite ? makeSite(this) : std::make_unique<host::qt::WidgetSite>(this));
    QTimer::singleShot(0, this, [this] { site(); });
}

void QResizerWidget::init(std::unique_ptr<host::qt::WidgetSite> site) {
    setObjectName(u"QResizer1"_s);
    setFixedSize(kFaceSize, kFaceSize);
    site_ = std::move(site);
    makeCore();
}

void QResizerWidget::makeCore() {
    core_ = std::make_shared<QResizer>(site_, module());
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

QResizerWidget::~QResizerWidget() {
    core_->AfterResize = nullptr;
    core_->BeforeResizeControl = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
}

QSize QResizerWidget::sizeHint() const { return {kFaceSize, kFaceSize}; }

void QResizerWidget::site() {
    QWidget* form = site_->formWidget();
    if (sited_ || form == nullptr || !form->isAncestorOf(this)) return;
    sited_ = true;
    sitedForm_ = form;
    if (!deferred_ || site_->UserMode()) {
        // Made at run time: until the program or its saved form says otherwise,
        // the form's size now is the size it was designed at.
        if (!pending_.contains("FirstHeight"))
            pending_.put("FirstHeight", std::int32_t{form->height() * ui::kTwipsPerPixel});
        if (!pending_.contains("FirstWidth"))
            pending_.put("FirstWidth", std::int32_t{form->width() * ui::kTwipsPerPixel});
    }
    try {
        // Only a control placed new in a designer starts from its defaults.
        if (deferred_ && pending_.empty() && !site_->UserMode())
            core_->InitProperties();
        else
            core_->ReadProperties(pending_);
    } catch (const host::Error& e) {
        qWarning("QResizer: %s", e.what());
    }
    pending_.clear();
    site_->Sited();
    if (site_->UserMode()) hide();
}

void QResizerWidget::unsite() {
    // Taken off its form (a designer's delete keeps it for undo): it lets the
    // form go, keeping its saved values for the next form it is put on.
    pending_.clear();
    core_->WriteProperties(pending_);
    core_->AfterResize = nullptr;
    core_->BeforeResizeControl = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
    makeCore();
    sited_ = false;
    sitedForm_ = nullptr;
}

bool QResizerWidget::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) {
        QWidget* form = site_->formWidget();
        if (sited_ && (form != sitedForm_ || form == nullptr || !form->isAncestorOf(this)))
            unsite();
        if (!sited_) {
            if (deferred_)
                QTimer::singleShot(0, this, [this] { site(); });
            else
                site();
        }
    }
    return QWidget::event(e);
}

void QResizerWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, resizerIcon(kFaceSize));
}

host::Value QResizerWidget::pending(const char* name, host::Value fallback) const {
    return const_cast<host::MemoryBag&>(pending_).ReadProperty(name, fallback);
}

void QResizerWidget::runLet(const char* what, const std::function<void()>& let) {
    // A property set has no caller to tell of a failure but the log.
    try {
        let();
    } catch (const std::exception& e) {
        qWarning("QResizer.%s: %s", what, e.what());
    }
}

template <typename T>
T QResizerWidget::saved(const char* name, T fallback, T (QResizer::*get)() const) const {
    if (!sited_) return std::get<T>(pending(name, fallback));
    return ((*core_).*get)();
}

template <typename T>
void QResizerWidget::let(const char* name, T value, void (QResizer::*set)(T)) {
    if (!sited_) {
        pending_.put(name, value);
        return;
    }
    runLet(name, [&] { ((*core_).*set)(value); });
}

// ---- interface ----

void QResizerWidget::About() {
    if (about_ && about_->isVisible()) return;
    auto box = std::make_unique<subclass::frmabout>(subclass::AboutTexts::resizer(), window());
    about_ = box.get();
    host::qt::runModal(*box);
}

bool QResizerWidget::ResizeFont() const { return saved("ResizeFont", true, &QResizer::ResizeFont); }
void QResizerWidget::setResizeFont(bool value) {
    let("ResizeFont", value, &QResizer::setResizeFont);
}
bool QResizerWidget::Enabled() const { return saved("Enabled", true, &QResizer::Enabled); }
void QResizerWidget::setEnabled(bool value) { let("Enabled", value, &QResizer::setEnabled); }
int QResizerWidget::MinFormHeight() const {
    return saved("MinFormHeight", std::int32_t{0}, &QResizer::MinFormHeight);
}
void QResizerWidget::setMinFormHeight(int value) {
    let("MinFormHeight", std::int32_t{value}, &QResizer::setMinFormHeight);
}
int QResizerWidget::MaxFormHeight() const {
    return saved("MaxFormHeight", std::int32_t{0}, &QResizer::MaxFormHeight);
}
void QResizerWidget::setMaxFormHeight(int value) {
    let("MaxFormHeight", std::int32_t{value}, &QResizer::setMaxFormHeight);
}
int QResizerWidget::MinFormWidth() const {
    return saved("MinFormWidth", std::int32_t{0}, &QResizer::MinFormWidth);
}
void QResizerWidget::setMinFormWidth(int value) {
    let("MinFormWidth", std::int32_t{value}, &QResizer::setMinFormWidth);
}
int QResizerWidget::MaxFormWidth() const {
    return saved("MaxFormWidth", std::int32_t{0}, &QResizer::MaxFormWidth);
}
void QResizerWidget::setMaxFormWidth(int value) {
    let("MaxFormWidth", std::int32_t{value}, &QResizer::setMaxFormWidth);
}
int QResizerWidget::FirstHeight() const {
    return saved("FirstHeight", std::int32_t{0}, &QResizer::FirstHeight);
}
void QResizerWidget::setFirstHeight(int value) {
    let("FirstHeight", std::int32_t{value}, &QResizer::setFirstHeight);
}
int QResizerWidget::FirstWidth() const {
    return saved("FirstWidth", std::int32_t{0}, &QResizer::FirstWidth);
}
void QResizerWidget::setFirstWidth(int value) {
    let("FirstWidth", std::int32_t{value}, &QResizer::setFirstWidth);
}
bool QResizerWidget::WorkAtDesignTime() const {
    return saved("WorkAtDesignTime", false, &QResizer::WorkAtDesignTime);
}
void QResizerWidget::setWorkAtDesignTime(bool value) {
    let("WorkAtDesignTime", value, &QResizer::setWorkAtDesignTime);
}
bool QResizerWidget::SmartDetect() const {
    return saved("SmartDetect", false, &QResizer::SmartDetect);
}
void QResizerWidget::setSmartDetect(bool value) {
    let("SmartDetect", value, &QResizer::setSmartDetect);
}

void QResizerWidget::ContainerResized() {
    runLet("ContainerResized", [&] { core_->ContainerResized(); });
}

}  // namespace resizer
