#include "anchor/QAnchorWidget.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include "anchor/AnchorIcon.h"
#include "host/Error.h"
#include "host/Scale.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetSite.h"
#include "subclass/frmabout.h"
#include "ui/Twips.h"

using namespace Qt::StringLiterals;

namespace anchor {

namespace {

// The face keeps the size of its picture: 435 twips.
constexpr int kFaceSize = 29;

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

QAnchorWidget::QAnchorWidget(QWidget* parent) : QWidget(parent) {
    init(std::make_unique<host::qt::WidgetSite>(this));
    site();
}

QAnchorWidget::QAnchorWidget(QWidget* parent, const SiteFactory& makeSite) : QWidget(parent) {
    deferred_ = true;
    init(makeSite ? makeSite(this) : std::make_unique<host::qt::WidgetSite>(this));
    QTimer::singleShot(0, this, [this] { site(); });
}

void QAnchorWidget::init(std::unique_ptr<host::qt::WidgetSite> site) {
    setObjectName(u"QAnchor1"_s);
    setFixedSize(kFaceSize, kFaceSize);
    site_ = std::move(site);
    makeCore();
}

void QAnchorWidget::makeCore() {
    core_ = std::make_shared<QAnchor>(site_, module());
    core_->AfterResize = [this](float x, float y) { emit AfterResize(x, y); };
    core_->showAbout = [this] { About(); };
}

QAnchorWidget::~QAnchorWidget() {
    core_->AfterResize = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
}

QSize QAnchorWidget::sizeHint() const { return {kFaceSize, kFaceSize}; }

void QAnchorWidget::site() {
    QWidget* form = site_->formWidget();
    if (sited_ || form == nullptr || !form->isAncestorOf(this)) return;
    sited_ = true;
    sitedForm_ = form;
    if (!deferred_ || site_->UserMode()) {
        // Made at run time: until the program or its saved form says otherwise,
        // the form's size now is the size it was designed at.
        if (!pending_.contains("FirstHeight"))
            pending_.put("FirstHeight", static_cast<float>(form->height()));
        if (!pending_.contains("FirstWidth"))
            pending_.put("FirstWidth", static_cast<float>(form->width()));
    }
    try {
        // Only a control placed new in a designer starts from its defaults.
        if (deferred_ && pending_.empty() && !site_->UserMode())
            core_->InitProperties();
        else
            core_->ReadProperties(pending_);
    } catch (const host::Error& e) {
        qWarning("QAnchor: %s", e.what());
    }
    pending_.clear();
    site_->Sited();
    if (site_->UserMode()) hide();
}

void QAnchorWidget::unsite() {
    // Taken off its form (a designer's delete keeps it for undo): it lets the
    // form go, keeping its saved values for the next form it is put on.
    pending_.clear();
    core_->WriteProperties(pending_);
    core_->AfterResize = nullptr;
    core_->showAbout = nullptr;
    core_->Terminate();
    makeCore();
    sited_ = false;
    sitedForm_ = nullptr;
}

bool QAnchorWidget::event(QEvent* e) {
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

void QAnchorWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, anchorIcon(kFaceSize));
}

host::Value QAnchorWidget::pending(const char* name, host::Value fallback) const {
    return const_cast<host::MemoryBag&>(pending_).ReadProperty(name, fallback);
}

void QAnchorWidget::runLet(const char* what, const std::function<void()>& let) {
    // A property set has no caller to tell of a failure but the log.
    try {
        let();
    } catch (const std::exception& e) {
        qWarning("QAnchor.%s: %s", what, e.what());
    }
}

// ---- interface ----

void QAnchorWidget::About() {
    if (about_ && about_->isVisible()) return;
    auto box = std::make_unique<subclass::frmabout>(subclass::AboutTexts::anchor(), window());
    about_ = box.get();
    host::qt::runModal(*box);
}

bool QAnchorWidget::Enabled() const {
    if (!sited_) return std::get<bool>(pending("Enabled", true));
    return core_->Enabled();
}

void QAnchorWidget::setEnabled(bool value) {
    if (!sited_) {
        pending_.put("Enabled", value);
        return;
    }
    runLet("Enabled", [&] { core_->setEnabled(value); });
}

#define ANCHOR_LIMIT(Name)                                         \
    int QAnchorWidget::Name() const {                              \
        if (!sited_) {                                             \
            const host::Value v = pending(#Name, std::int32_t{0}); \
            return std::get<std::int32_t>(v);                      \
        }                                                          \
        return core_->Name();                                      \
    }                                                              \
    void QAnchorWidget::set##Name(int value) {                     \
        if (!sited_) {                                             \
            pending_.put(#Name, std::int32_t{value});              \
            return;                                                \
        }                                                          \
        runLet(#Name, [&] { core_->set##Name(value); });           \
    }
ANCHOR_LIMIT(MinFormHeight)
ANCHOR_LIMIT(MaxFormHeight)
ANCHOR_LIMIT(MinFormWidth)
ANCHOR_LIMIT(MaxFormWidth)
#undef ANCHOR_LIMIT

double QAnchorWidget::savedFirstHeight() const {
    if (!sited_) return std::get<float>(pending("FirstHeight", 0.0f));
    return core_->firstHeightSingle();
}

double QAnchorWidget::savedFirstWidth() const {
    if (!sited_) return std::get<float>(pending("FirstWidth", 0.0f));
    return core_->firstWidthSingle();
}

int QAnchorWidget::FirstHeight() const { return whole(savedFirstHeight()); }
int QAnchorWidget::FirstWidth() const { return whole(savedFirstWidth()); }

void QAnchorWidget::setFirstHeight(double value) {
    if (!sited_) {
        pending_.put("FirstHeight", static_cast<float>(value));
        return;
    }
    runLet("FirstHeight", [&] { core_->setFirstHeight(whole(value)); });
}

void QAnchorWidget::setFirstWidth(double value) {
    if (!sited_) {
        pending_.put("FirstWidth", static_cast<float>(value));
        return;
    }
    runLet("FirstWidth", [&] { core_->setFirstWidth(whole(value)); });
}

QString QAnchorWidget::Anchor() const {
    const std::string list =
        sited_ ? core_->anchorList() : std::get<std::string>(pending("Anchor", std::string()));
    return QString::fromStdString(list).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void QAnchorWidget::setAnchor(const QString& value) {
    std::string list = QString(value).replace(QLatin1Char('\n'), QLatin1Char('\r')).toStdString();
    if (!sited_) {
        pending_.put("Anchor", std::move(list));
        return;
    }
    core_->setSavedAnchorList(std::move(list));
}

QString QAnchorWidget::Anchorit() {
    if (!sited_) return {};
    QString text;
    runLet("Anchorit", [&] { text = QString::fromStdString(core_->Anchorit()); });
    return text;
}

void QAnchorWidget::setAnchorit(const QString& value) {
    if (!sited_) return;  // not a saved property: nothing to keep for later
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
