#include "host/qt/TabStrip.h"

#include <QChildEvent>
#include <QDynamicPropertyChangeEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QTabBar>
#include <algorithm>
#include <cmath>

#include "host/Object.h"
#include "host/TabRows.h"
#include "host/qt/Line.h"
#include "host/qt/WidgetObject.h"

namespace host::qt {

namespace {

constexpr const char* kPageProperty = "TabPage";
// Pixels kept clear between a caption and its tab's ends when room is short.
constexpr int kCaptionEnd = 3;

class TabStripObject : public WidgetObject {
public:
    explicit TabStripObject(TabStrip* strip) : WidgetObject(strip) {}

    [[nodiscard]] std::string TypeName() const override { return "SSTab"; }
    [[nodiscard]] std::optional<float> Get(Member m) const override {
        if (m != Member::TabHeight) return WidgetObject::Get(m);
        const TabStrip* s = strip();
        if (s == nullptr) return std::nullopt;
        return static_cast<float>(s->TabHeight());
    }
    [[nodiscard]] std::optional<std::int32_t> Tabs() const override {
        const TabStrip* s = strip();
        return s == nullptr ? std::nullopt : std::optional<std::int32_t>(s->Tabs());
    }
    [[nodiscard]] std::optional<std::int32_t> TabsPerRow() const override {
        const TabStrip* s = strip();
        return s == nullptr ? std::nullopt : std::optional<std::int32_t>(s->TabsPerRow());
    }
    [[nodiscard]] std::optional<std::int32_t> TabOrientation() const override {
        const TabStrip* s = strip();
        return s == nullptr ? std::nullopt : std::optional<std::int32_t>(s->TabOrientation());
    }

private:
    [[nodiscard]] const TabStrip* strip() const { return qobject_cast<const TabStrip*>(widget()); }
};

QTabBar::Shape shapeOf(int orientation) {
    switch (orientation) {
        case 1:
            return QTabBar::RoundedSouth;
        case 2:
            return QTabBar::RoundedWest;
        case 3:
            return QTabBar::RoundedEast;
        default:
            return QTabBar::RoundedNorth;
    }
}

}  // namespace

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < 3; ++i) captions_.push_back(QStringLiteral("Tab %1").arg(i));
}

ObjectRef TabStrip::makeHostObject() { return std::make_shared<TabStripObject>(this); }

QSize TabStrip::sizeHint() const { return {300, 200}; }

void TabStrip::setTabs(int tabs) {
    tabs = std::max(tabs, 1);
    while (static_cast<int>(captions_.size()) < tabs)
        captions_.push_back(QStringLiteral("Tab %1").arg(captions_.size()));
    captions_.resize(static_cast<std::size_t>(tabs));
    if (current_ >= tabs)
        setTab(tabs - 1);
    else
        update();
}

void TabStrip::setTabsPerRow(int tabsPerRow) {
    tabsPerRow_ = std::max(tabsPerRow, 1);
    update();
}

void TabStrip::setTabOrientation(int orientation) {
    if (orientation < 0 || orientation > 3) return;
    orientation_ = orientation;
    update();
}

double TabStrip::TabHeight() const {
    return tabHeightPixels_ * WidgetObject::unitsPerPixel(parentWidget());
}

void TabStrip::setTabHeight(double height) {
    if (!(height >= 0) || !std::isfinite(height)) return;
    tabHeightPixels_ = height / WidgetObject::unitsPerPixel(parentWidget());
    update();
}

void TabStrip::setTab(int tab) {
    if (tab < 0 || tab >= Tabs()) return;
    current_ = tab;
    for (QWidget* c : controls()) place(c);
    update();
}

QString TabStrip::TabCaption(int tab) const {
    if (tab < 0 || tab >= Tabs()) return {};
    return captions_[static_cast<std::size_t>(tab)];
}

void TabStrip::setTabCaption(int tab, const QString& caption) {
    if (tab < 0 || tab >= Tabs()) return;
    captions_[static_cast<std::size_t>(tab)] = caption;
    update();
}

QStringList TabStrip::TabCaptions() const {
    QStringList list;
    for (const QString& c : captions_) list.append(c);
    return list;
}

void TabStrip::setTabCaptions(const QStringList& captions) {
    setTabs(static_cast<int>(captions.size()));
    for (int i = 0; i < captions.size(); ++i) captions_[static_cast<std::size_t>(i)] = captions[i];
    update();
}

int TabStrip::pageOf(const QWidget* control) const {
    if (control == nullptr || control->parentWidget() != this || control->isWindow()) return -1;
    const QVariant page = control->property(kPageProperty);
    return page.isValid() ? page.toInt() : current_;
}

void TabStrip::setPageOf(QWidget* control, int tab) {
    if (control == nullptr || control->parentWidget() != this) return;
    control->setProperty(kPageProperty, tab);  // placed by the property's change
}

std::vector<QWidget*> TabStrip::controls() const {
    std::vector<QWidget*> out;
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w != nullptr && !w->isWindow())
            out.push_back(w);
    return out;
}

void TabStrip::place(QWidget* control) {
    const bool hidden = pageOf(control) != current_;
    // The offset is in the strip's units, whatever they are in pixels.
    const double unit = WidgetObject::unitsPerPixel(this);
    auto shifted = [&](double x) {
        if (hidden && x >= kHiddenTabThreshold) return x - kHiddenTabOffset;
        if (!hidden && x < kHiddenTabThreshold) return x + kHiddenTabOffset;
        return x;
    };
    if (auto* line = qobject_cast<Line*>(control)) {
        const double x1 = shifted(line->X1());
        const double x2 = shifted(line->X2());
        if (x1 != line->X1() || x2 != line->X2()) line->setPoints(x1, line->Y1(), x2, line->Y2());
        return;
    }
    const double x = control->x() * unit;
    const double to = shifted(x);
    if (to != x) control->move(static_cast<int>(std::lround(to / unit)), control->y());
}

int TabStrip::rows() const {
    return static_cast<int>(host::tabRows(Tabs(), tabsPerRow_).value_or(0));
}

double TabStrip::bandPixels() const { return rows() * tabHeightPixels_; }

QRect TabStrip::pageArea() const {
    const int band = static_cast<int>(std::lround(bandPixels()));
    const QRect r = rect();
    switch (orientation_) {
        case 1:
            return r.adjusted(0, 0, 0, -band);
        case 2:
            return r.adjusted(band, 0, 0, 0);
        case 3:
            return r.adjusted(0, 0, -band, 0);
        default:
            return r.adjusted(0, band, 0, 0);
    }
}

QRect TabStrip::tabRect(int tab) const {
    if (tab < 0 || tab >= Tabs()) return {};
    const int row = tab / tabsPerRow_;
    const int column = tab % tabsPerRow_;
    const int front = current_ / tabsPerRow_;
    // The row of the tab shown lies next to the page; the others keep their
    // order outwards.
    const int slot = row == front ? 0 : (row < front ? row + 1 : row);
    const bool across = orientation_ == 0 || orientation_ == 1;
    const int length = across ? width() : height();
    const int start = column * length / tabsPerRow_;
    const int end = (column + 1) * length / tabsPerRow_;
    const int th = static_cast<int>(std::lround(tabHeightPixels_));
    const int band = static_cast<int>(std::lround(bandPixels()));
    switch (orientation_) {
        case 1:
            return {start, height() - band + slot * th, end - start, th};
        case 2:
            return {band - (slot + 1) * th, start, th, end - start};
        case 3:
            return {width() - band + slot * th, start, th, end - start};
        default:
            return {start, band - (slot + 1) * th, end - start, th};
    }
}

QFont TabStrip::captionFont() const {
    // The rows keep their height whatever the font: captions too tall for a
    // row are drawn smaller, so that they stay inside their tabs.
    QFont captions = font();
    const double room = tabHeightPixels_ - 6;
    const int textHeight = QFontMetrics(captions).height();
    if (room > 0 && textHeight > room && captions.pointSizeF() > 0)
        captions.setPointSizeF(std::max(1.0, captions.pointSizeF() * room / textHeight));
    return captions;
}

int TabStrip::captionWidening(int tab) const {
    // The style keeps half its tab spacing clear at either end of a caption:
    // a caption that does not fit within that may run up to a few pixels of
    // its tab's ends instead, before it is shortened.
    const int spacing = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this);
    const QRect where = tabRect(tab);
    const int length = orientation_ == 0 || orientation_ == 1 ? where.width() : where.height();
    const int caption =
        QFontMetrics(captionFont()).horizontalAdvance(captions_[static_cast<std::size_t>(tab)]);
    return caption <= length - spacing ? 0 : std::max(0, spacing / 2 - kCaptionEnd);
}

QString TabStrip::shownCaption(int tab) const {
    if (tab < 0 || tab >= Tabs()) return {};
    const QRect where = tabRect(tab);
    const int length = orientation_ == 0 || orientation_ == 1 ? where.width() : where.height();
    const int spacing = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this);
    return QFontMetrics(captionFont())
        .elidedText(captions_[static_cast<std::size_t>(tab)], Qt::ElideRight,
                    length - spacing + 2 * captionWidening(tab));
}

bool TabStrip::event(QEvent* e) {
    if (e->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(e)->child();
        if (child->isWidgetType()) {
            // Put on the strip while a page shows: it belongs to that page.
            if (!child->property(kPageProperty).isValid())
                child->setProperty(kPageProperty, current_);
            child->installEventFilter(this);
        }
    } else if (e->type() == QEvent::ChildRemoved) {
        static_cast<QChildEvent*>(e)->child()->removeEventFilter(this);
    } else if (e->type() == QEvent::Show) {
        // Controls made with their geometry after their page was given (a
        // form built from a .ui file) take their places now.
        for (QWidget* c : controls()) place(c);
    }
    return QWidget::event(e);
}

bool TabStrip::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == kPageProperty) {
        if (auto* w = qobject_cast<QWidget*>(watched); w != nullptr && w->parentWidget() == this)
            place(w);
    }
    return false;
}

void TabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = pageArea();
    frame.shape = shapeOf(orientation_);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);

    const QFont captions = captionFont();
    p.setFont(captions);
    for (int tab = 0; tab < Tabs(); ++tab) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.fontMetrics = QFontMetrics(captions);
        option.shape = shapeOf(orientation_);
        const QRect where = tabRect(tab);
        // Styles draw a tab of a bar from the bar's origin (those below and
        // right of a page turned about it): each is drawn there and moved.
        option.rect = QRect(QPoint(0, 0), where.size());
        option.text = shownCaption(tab);
        const int column = tab % tabsPerRow_;
        const int last =
            std::min(Tabs() - 1, (tab / tabsPerRow_ + 1) * tabsPerRow_ - 1) % tabsPerRow_;
        option.position = last == 0        ? QStyleOptionTab::OnlyOneTab
                          : column == 0    ? QStyleOptionTab::Beginning
                          : column == last ? QStyleOptionTab::End
                                           : QStyleOptionTab::Middle;
        if (tab == current_) option.state |= QStyle::State_Selected;
        // A tab bar's own edges clip what a style draws around a tab; here the
        // page lies there, so the tab is clipped to itself and the two pixels
        // by which a tab meets the page.
        const QMargins meet = orientation_ == 0   ? QMargins(0, 0, 0, 2)
                              : orientation_ == 1 ? QMargins(0, 2, 0, 0)
                              : orientation_ == 2 ? QMargins(0, 0, 2, 0)
                                                  : QMargins(2, 0, 0, 0);
        p.save();
        p.translate(where.topLeft());
        p.setClipRect(option.rect.marginsAdded(meet));
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &p, this);
        // The caption's box is widened at both ends where it needs the room,
        // so that it stays centred on its tab.
        const int widen = captionWidening(tab);
        QStyleOptionTab label = option;
        label.rect = orientation_ == 0 || orientation_ == 1
                         ? option.rect.adjusted(-widen, 0, widen, 0)
                         : option.rect.adjusted(0, -widen, 0, widen);
        style()->drawControl(QStyle::CE_TabBarTabLabel, &label, &p, this);
        p.restore();
    }
}

void TabStrip::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    for (int tab = 0; tab < Tabs(); ++tab) {
        if (!tabRect(tab).contains(e->position().toPoint())) continue;
        const int previous = current_;
        if (tab != previous) {
            setTab(tab);
            emit Click(previous);
        }
        return;
    }
    QWidget::mousePressEvent(e);
}

}  // namespace host::qt
