#include "host/qt/ControlWidget.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include "host/Error.h"
#include "host/qt/WidgetSite.h"

namespace host::qt {

namespace {

// The face keeps the size of its picture: 435 twips.
constexpr int kFaceSize = 29;

}  // namespace

ControlWidget::ControlWidget(QWidget* parent, const char* name, Face face)
    : QWidget(parent), name_(name), face_(face) {
    setObjectName(QString::fromLatin1(name) + QLatin1Char('1'));
    setFixedSize(kFaceSize, kFaceSize);
    site_ = std::make_unique<WidgetSite>(this);
}

ControlWidget::ControlWidget(QWidget* parent, const char* name, Face face,
                             const SiteFactory& makeSite)
    : QWidget(parent), name_(name), face_(face), deferred_(true) {
    setObjectName(QString::fromLatin1(name) + QLatin1Char('1'));
    setFixedSize(kFaceSize, kFaceSize);
    site_ = makeSite ? makeSite(this) : std::make_unique<WidgetSite>(this);
    QTimer::singleShot(0, this, [this] { site(); });
}

QSize ControlWidget::sizeHint() const { return {kFaceSize, kFaceSize}; }

void ControlWidget::site() {
    QWidget* form = site_->formWidget();
    if (sited_ || form == nullptr || !form->isAncestorOf(this)) return;
    sited_ = true;
    sitedForm_ = form;
    if (!deferred_ || site_->UserMode()) {
        // Made at run time: until the program or its saved form says otherwise,
        // the form's size now is the size it was designed at.
        if (!pending_.contains("FirstHeight"))
            pending_.put("FirstHeight", designLength(form->height()));
        if (!pending_.contains("FirstWidth"))
            pending_.put("FirstWidth", designLength(form->width()));
    }
    try {
        // Only a control placed new in a designer starts from its defaults.
        if (deferred_ && pending_.empty() && !site_->UserMode())
            initProperties();
        else
            readProperties(pending_);
    } catch (const Error& e) {
        qWarning("%s: %s", name_.c_str(), e.what());
    }
    pending_.clear();
    site_->Sited();
    if (site_->UserMode()) hide();
}

void ControlWidget::unsite() {
    // Taken off its form (a designer's delete keeps it for undo): it lets the
    // form go, keeping its saved values for the next form it is put on.
    pending_.clear();
    release(pending_);
    sited_ = false;
    sitedForm_ = nullptr;
}

bool ControlWidget::event(QEvent* e) {
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

void ControlWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, face_(kFaceSize));
}

Value ControlWidget::pending(const char* name, Value fallback) const {
    return const_cast<MemoryBag&>(pending_).ReadProperty(name, fallback);
}

void ControlWidget::keep(const char* name, Value value) { pending_.put(name, std::move(value)); }

void ControlWidget::runLet(const char* what, const std::function<void()>& let) {
    try {
        let();
    } catch (const std::exception& e) {
        qWarning("%s.%s: %s", name_.c_str(), what, e.what());
    }
}

}  // namespace host::qt
