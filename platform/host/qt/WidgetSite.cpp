#include "host/qt/WidgetSite.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QVariant>

#include "host/qt/HostWidget.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetObject.h"
#include "ui/Twips.h"

namespace host::qt {

namespace {

// A pass yields at most once per slice; calls closer together than a burst
// gap belong to one pass.
constexpr qint64 kYieldSliceMs = 15;
constexpr qint64 kBurstGapMs = 5;

bool isControlName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

bool isContainer(const QWidget* w) {
    if (const auto* own = dynamic_cast<const HostWidget*>(w)) return own->isContainer();
    const QVariant flag = WidgetObject::setting(w, WidgetObject::Setting::Container);
    if (flag.isValid()) return flag.toBool();
    const char* cls = w->metaObject()->className();
    if (qstrcmp(cls, "QWidget") == 0 || qstrcmp(cls, "QFrame") == 0 ||
        qstrcmp(cls, "QDesignerWidget") == 0)
        return true;
    for (const char* kind :
         {"QGroupBox", "QStackedWidget", "QTabWidget", "QScrollArea", "QSplitter", "QToolBox"})
        if (w->inherits(kind)) return true;
    return false;
}

void collect(QWidget* parent, std::vector<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w->isWindow()) continue;
        const bool named = isControlName(w->objectName());
        if (named) out.push_back(w);
        // Unnamed widgets are looked into; a widget's own parts (named "qt_…":
        // a tab widget's bar with its scroll buttons) only when they hold pages.
        if (w->objectName().isEmpty() || isContainer(w)) collect(w, out);
    }
}

}  // namespace

// ---- FormControls ----

std::vector<QWidget*> FormControls::controlsOf(QWidget* form) {
    std::vector<QWidget*> out;
    if (form != nullptr) collect(form, out);
    return out;
}

void FormControls::refresh() {
    QWidget* form = site_.formWidget();
    form_ = form;
    widgets_.clear();
    for (QWidget* w : controlsOf(form)) widgets_.emplace_back(w);
    taken_ = true;
}

std::int32_t FormControls::Count() {
    refresh();
    return static_cast<std::int32_t>(widgets_.size()) + 1;
}

ObjectRef FormControls::Item(std::int32_t position) {
    if (!taken_ || form_ != site_.formWidget()) refresh();
    if (position == 0) return site_.Parent();
    if (position < 1 || position > static_cast<std::int32_t>(widgets_.size())) return nullptr;
    QWidget* w = widgets_[static_cast<std::size_t>(position - 1)];
    return w == nullptr ? nullptr : QtWindows::instance().objectFor(w);
}

// ---- WidgetSite ----

WidgetSite::WidgetSite(QWidget* control) : control_(control) {}

QWidget* WidgetSite::formWidget() const {
    if (!control_ || control_->parentWidget() == nullptr) return nullptr;
    return control_->window();
}

WindowSystem& WidgetSite::Windows() { return QtWindows::instance(); }

ObjectRef WidgetSite::Parent() {
    QWidget* form = formWidget();
    if (form == nullptr) return nullptr;
    if (form != parentWidget_ || !parentObject_) {
        parentWidget_ = form;
        parentObject_ = std::make_shared<WidgetObject>(form, WidgetObject::Kind::Form);
    }
    return parentObject_;
}

Hwnd WidgetSite::ContainerHwnd() {
    if (!control_ || control_->parentWidget() == nullptr) return 0;
    return QtWindows::instance().handleOf(control_->parentWidget());
}

void WidgetSite::PropertyChanged(const std::string&) {
    if (QWidget* form = formWidget())
        QtWindows::instance().applyLimits(QtWindows::instance().handleOf(form));
}

float WidgetSite::TwipsPerPixelX() { return static_cast<float>(ui::kTwipsPerPixel); }
float WidgetSite::TwipsPerPixelY() { return static_cast<float>(ui::kTwipsPerPixel); }

void WidgetSite::DoEvents() {
    // A pass that runs long lets the window breathe every slice; a short one
    // never stops, and events pending when it started wait for it to end.
    const qint64 now = clock_.isValid() ? clock_.elapsed() : (clock_.start(), 0);
    if (now - lastCall_ > kBurstGapMs) sliceStart_ = now;
    lastCall_ = now;
    if (now - sliceStart_ < kYieldSliceMs) return;
    QCoreApplication::processEvents();
    sliceStart_ = lastCall_ = clock_.elapsed();
}

std::int32_t WidgetSite::MsgBox(const std::string& text, std::int32_t style,
                                const std::string& title) {
    QMessageBox box(control_ ? control_->window() : nullptr);
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(QString::fromStdString(title));
    switch (style & 0x70) {
        case 16:
            box.setIcon(QMessageBox::Critical);
            break;
        case 32:
            box.setIcon(QMessageBox::Question);
            break;
        case 48:
            box.setIcon(QMessageBox::Warning);
            break;
        case 64:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    struct Pair {
        QMessageBox::StandardButton button;
        std::int32_t answer;
    };
    std::vector<Pair> buttons;
    switch (style & 0x7) {
        case 1:
            buttons = {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}};
            break;
        case 2:
            buttons = {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}};
            break;
        case 3:
            buttons = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}};
            break;
        case 4:
            buttons = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}};
            break;
        case 5:
            buttons = {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}};
            break;
        default:
            buttons = {{QMessageBox::Ok, 1}};
            break;
    }
    QMessageBox::StandardButtons set;
    for (const Pair& p : buttons) set |= p.button;
    box.setStandardButtons(set);
    runModal(box);
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Pair& p : buttons)
        if (p.button == clicked) return p.answer;
    // Closed without a button: as its Cancel, else its last button.
    for (const Pair& p : buttons)
        if (p.answer == 2) return 2;
    return buttons.back().answer;
}

}  // namespace host::qt
