#include "resizer/QResizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "host/Error.h"
#include "host/FormLimits.h"
#include "host/Scale.h"
#include "host/TabRows.h"

namespace resizer {

namespace {

using host::asBool;
using host::asLong;

using host::Member;

constexpr const char* kLine = "Line";
constexpr const char* kTabStrip = "SSTab";
constexpr const char* kData = "Data";
constexpr const char* kStd = "Std";
constexpr const char* kShape = "Shape";
constexpr const char* kNone = "None";

constexpr double kOffset = host::kHiddenTabOffset;
constexpr double kThreshold = host::kHiddenTabThreshold;

// Runs one step whose failure is passed over: the next step runs.
template <typename Step>
void passOver(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

// Clears a flag on every way out of a scope.
class ClearOnExit {
public:
    explicit ClearOnExit(bool& flag) : flag_(flag) {}
    ~ClearOnExit() { flag_ = false; }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    bool& flag_;
};

// A left edge (or a line's X) on a hidden tab page stands 75000 to the left of
// its place on the visible page.
float visiblePlace(float x, bool onTabStrip) {
    return onTabStrip && x < kThreshold ? static_cast<float>(static_cast<double>(x) + kOffset) : x;
}

// Whether a control's container is a tab strip; a container that cannot be
// read makes the test hold, as a failed test does.
bool onTabStrip(const host::Object& control) {
    const host::ObjectRef container = control.Container();
    return !container || container->TypeName() == kTabStrip;
}

// The ratio of an axis; an axis whose first size is 0 (or not finite) is not
// scaled.
double ratio(float last, float first) {
    if (first == 0 || !std::isfinite(first) || !std::isfinite(last)) return 1.0;
    return static_cast<double>(last) / static_cast<double>(first);
}

bool finite(float v) { return std::isfinite(v); }

}  // namespace

QResizer::QResizer(host::Site& site, subclass::MSubclass& module) : site_(site), module_(module) {}

QResizer::QResizer(std::shared_ptr<host::Site> site, subclass::MSubclass& module)
    : siteOwner_(std::move(site)), site_(*siteOwner_), module_(module) {}

QResizer::~QResizer() = default;

const std::vector<std::string>& QResizer::savedPropertyNames() {
    static const std::vector<std::string> names{
        "ResizeFont",   "Enabled",     "MinFormHeight", "MaxFormHeight",    "MinFormWidth",
        "MaxFormWidth", "FirstHeight", "FirstWidth",    "WorkAtDesignTime", "SmartDetect"};
    return names;
}

// ---------------------------------------------------------------- life

bool QResizer::active() { return site_.UserMode() || workAtDesignTime_; }

void QResizer::attach() {
    const std::shared_ptr<ISubclass> self = shared_from_this();
    attached_ = true;
    if (!site_.UserMode()) module_.AttachMessage(self, formHwnd_, host::WM_EXITSIZEMOVE);
    for (const std::uint32_t msg :
         {host::WM_WINDOWPOSCHANGING, host::WM_SIZING, host::WM_SIZE, host::WM_GETMINMAXINFO})
        module_.AttachMessage(self, formHwnd_, static_cast<std::int32_t>(msg));
}

void QResizer::InitProperties() {
    resizeFont_ = true;
    enabled_ = true;
    maxFormHeight_ = maxFormWidth_ = minFormHeight_ = minFormWidth_ = 0;
    initialised_ = false;
    smartDetect_ = false;
    workAtDesignTime_ = false;
    formHwnd_ = host::formWindow(site_);
    setFirstHeight(host::CLng(ClientHeightTwips(formHwnd_)));
    setFirstWidth(host::CLng(ClientWidthTwips(formHwnd_)));
    currentClientHeight_ = firstHeight_;
    currentClientWidth_ = firstWidth_;
    recordedCount_ = 0;
    attach();
}

void QResizer::ReadProperties(host::PropertyBag& bag) {
    resizeFont_ = asBool(bag.ReadProperty("ResizeFont", true));
    enabled_ = asBool(bag.ReadProperty("Enabled", true));
    minFormHeight_ = asLong(bag.ReadProperty("MinFormHeight", std::int32_t{0}));
    maxFormHeight_ = asLong(bag.ReadProperty("MaxFormHeight", std::int32_t{0}));
    minFormWidth_ = asLong(bag.ReadProperty("MinFormWidth", std::int32_t{0}));
    maxFormWidth_ = asLong(bag.ReadProperty("MaxFormWidth", std::int32_t{0}));
    firstHeight_ = asLong(bag.ReadProperty("FirstHeight", std::int32_t{0}));
    firstWidth_ = asLong(bag.ReadProperty("FirstWidth", std::int32_t{0}));
    workAtDesignTime_ = asBool(bag.ReadProperty("WorkAtDesignTime", false));
    smartDetect_ = asBool(bag.ReadProperty("SmartDetect", false));
    // Until the first show the controls stand as designed: a recording before
    // then (ContainerResized) is taken against the design size.
    currentClientHeight_ = firstHeight_;
    currentClientWidth_ = firstWidth_;
    formHwnd_ = host::formWindow(site_);
    attach();
}

void QResizer::WriteProperties(host::PropertyBag& bag) const {
    bag.WriteProperty("ResizeFont", resizeFont_, true);
    bag.WriteProperty("Enabled", enabled_, true);
    bag.WriteProperty("MinFormHeight", minFormHeight_, std::int32_t{0});
    bag.WriteProperty("MaxFormHeight", maxFormHeight_, std::int32_t{0});
    bag.WriteProperty("MinFormWidth", minFormWidth_, std::int32_t{0});
    bag.WriteProperty("MaxFormWidth", maxFormWidth_, std::int32_t{0});
    bag.WriteProperty("FirstHeight", firstHeight_, std::int32_t{0});
    bag.WriteProperty("FirstWidth", firstWidth_, std::int32_t{0});
    bag.WriteProperty("WorkAtDesignTime", workAtDesignTime_, false);
    bag.WriteProperty("SmartDetect", smartDetect_, false);
}

void QResizer::Terminate() noexcept {
    if (!attached_) return;
    attached_ = false;
    for (const std::uint32_t msg : {host::WM_EXITSIZEMOVE, host::WM_WINDOWPOSCHANGING,
                                    host::WM_SIZE, host::WM_SIZING, host::WM_GETMINMAXINFO})
        module_.DetachMessage(*this, formHwnd_, static_cast<std::int32_t>(msg));
}

// ---------------------------------------------------------------- interface

void QResizer::About() {
    if (showAbout) showAbout();
}

void QResizer::setFirstHeight(std::int32_t value) {
    firstHeight_ = value;
    site_.PropertyChanged("FirstHeight");
}

void QResizer::setFirstWidth(std::int32_t value) {
    firstWidth_ = value;
    site_.PropertyChanged("FirstWidth");
}

void QResizer::setResizeFont(bool value) {
    resizeFont_ = value;
    site_.PropertyChanged("ResizeFont");
}

void QResizer::setEnabled(bool value) {
    const bool was = enabled_;
    enabled_ = value;
    site_.PropertyChanged("Enabled");
    if (value && !was) retake();
}

void QResizer::setWorkAtDesignTime(bool value) {
    workAtDesignTime_ = value;
    if (value) {
        if (enabled_)
            retake();
        else
            setEnabled(true);
        if (!smartDetect_) setSmartDetect(true);
    }
    site_.PropertyChanged("WorkAtDesignTime");
}

void QResizer::setSmartDetect(bool value) {
    if (!site_.UserMode() && workAtDesignTime_ && !value) {
        site_.MsgBox(kSmartDetectRefused, 48, kTitle);
        return;
    }
    smartDetect_ = value;
    site_.PropertyChanged("SmartDetect");
}

void QResizer::setMinFormHeight(std::int32_t value) {
    minFormHeight_ = std::max(value, 0);
    site_.PropertyChanged("MinFormHeight");
    ApplyFormLimits();
}

void QResizer::setMaxFormHeight(std::int32_t value) {
    maxFormHeight_ = std::max(value, 0);
    site_.PropertyChanged("MaxFormHeight");
    ApplyFormLimits();
}

void QResizer::setMinFormWidth(std::int32_t value) {
    minFormWidth_ = std::max(value, 0);
    site_.PropertyChanged("MinFormWidth");
    ApplyFormLimits();
}

void QResizer::setMaxFormWidth(std::int32_t value) {
    maxFormWidth_ = std::max(value, 0);
    site_.PropertyChanged("MaxFormWidth");
    ApplyFormLimits();
}

void QResizer::retake() {
    setFirstHeight(host::CLng(ClientHeightTwips(formHwnd_)));
    setFirstWidth(host::CLng(ClientWidthTwips(formHwnd_)));
    currentClientHeight_ = firstHeight_;
    currentClientWidth_ = firstWidth_;
    RecordControls(true);
    ApplyFormLimits();
}

void QResizer::ContainerResized() {
    if (!smartDetect_) RecordControls(false);
    WindowProc(formHwnd_, host::WM_SIZE, 0, 0);
}

// ---------------------------------------------------------------- messages

host::LResult QResizer::WindowProc(host::Hwnd /*hwnd*/, std::uint32_t iMsg, host::WParam /*wParam*/,
                                   host::LParam lParam) {
    // Nothing escapes a window message.
    try {
        switch (iMsg) {
            case host::WM_GETMINMAXINFO:
                if (enabled_ && initialised_ && !busy_ && active() && lParam != 0)
                    host::limitTracking(limits(), site_,
                                        *reinterpret_cast<host::MINMAXINFO*>(lParam));
                break;
            case host::WM_SIZE:
                // Busy is not asked: a size change made by the limits is laid out.
                if (enabled_ && initialised_ && active()) {
                    if (smartDetect_) RecordControls(false);
                    ResizeAll();
                }
                break;
            case host::WM_WINDOWPOSCHANGING:
                if (!initialised_ && enabled_ && !busy_ && active()) firstTimeSetUp();
                break;
            case host::WM_SIZING:
                if (enabled_ && !busy_ && active() && lParam != 0)
                    host::clampSizing(limits(), site_, *reinterpret_cast<host::RECT*>(lParam));
                break;
            case host::WM_EXITSIZEMOVE:
                if (!site_.UserMode()) {
                    setFirstHeight(host::CLng(ClientHeightTwips(formHwnd_)));
                    setFirstWidth(host::CLng(ClientWidthTwips(formHwnd_)));
                }
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return 0;
}

void QResizer::firstTimeSetUp() {
    busy_ = true;
    const ClearOnExit notBusy(busy_);
    currentClientHeight_ = firstHeight_;
    currentClientWidth_ = firstWidth_;
    RecordControls(false);
    // A form that refuses its limits (minimised, maximised) is still laid out:
    // there is no caller to tell.
    passOver([&] { ApplyFormLimits(); });
    ResizeAll();
    initialised_ = true;
}

void QResizer::ApplyFormLimits() {
    busy_ = true;
    const ClearOnExit notBusy(busy_);
    if (!active()) return;
    const host::ObjectRef parent = site_.Parent();
    if (!parent || !parent->IsForm()) return;
    host::enforceLimits(limits(), *parent);
}

host::ObjectRef QResizer::fetch(std::int32_t position) {
    // Position 0 is the form itself, never a control of it.
    if (position < 1) return nullptr;
    return site_.ParentControls().Item(position);
}

// ---------------------------------------------------------------- records

double QResizer::ClientHeightTwips(host::Hwnd hwnd) const {
    const host::RECT r = site_.Windows().GetClientRect(hwnd);
    return static_cast<double>(r.bottom - r.top) * site_.TwipsPerPixelY();
}

double QResizer::ClientWidthTwips(host::Hwnd hwnd) const {
    const host::RECT r = site_.Windows().GetClientRect(hwnd);
    return static_cast<double>(r.right - r.left) * site_.TwipsPerPixelX();
}

void QResizer::RecordControls(bool Force) {
    try {
        host::ControlCollection& controls = site_.ParentControls();
        const std::int32_t count = controls.Count();
        if (count != recordedCount_ || Force) {
            table_.assign(static_cast<std::size_t>(std::max(count, 0)), ResizeType{});
            ++generation_;
            for (std::int32_t Index = 1; Index < count; ++Index) RecordControl(Index, true);
            recordedCount_ = controls.Count();
            return;
        }
        // Controls on the form first, by the container each was recorded in.
        for (const bool onForm : {true, false}) {
            const std::int32_t n = controls.Count();
            for (std::int32_t Index = 1; Index < n; ++Index) {
                if (static_cast<std::size_t>(Index) >= table_.size()) break;
                if ((table_[static_cast<std::size_t>(Index)].ContainerHwnd == formHwnd_) == onForm)
                    RecordControl(Index, false);
            }
        }
    } catch (...) {
    }
}

bool QResizer::changedSinceRecorded(const host::Object& c, const ResizeType& r) const {
    if (r.Type == kNone) return false;
    // A read that fails counts as a change.
    if (r.Type == kLine) {
        const host::ObjectRef container = c.Container();
        const auto x1 = c.Get(Member::X1);
        const auto x2 = c.Get(Member::X2);
        const auto y1 = c.Get(Member::Y1);
        const auto y2 = c.Get(Member::Y2);
        if (!container || !x1 || !x2 || !y1 || !y2) return true;
        const bool tab = container->TypeName() == kTabStrip;
        return r.LastLeft != visiblePlace(*x1, tab) || r.LastWidth != visiblePlace(*x2, tab) ||
               r.LastHeight != *y2 || r.LastTop != *y1;
    }
    const auto left = c.Get(Member::Left);
    const auto height = c.Get(Member::Height);
    const auto top = c.Get(Member::Top);
    const auto width = c.Get(Member::Width);
    if (!left || !height || !top || !width) return true;
    // Here the offset is taken out whatever the container.
    if (r.LastLeft != visiblePlace(*left, true) || r.LastHeight != *height || r.LastTop != *top ||
        r.LastWidth != *width)
        return true;
    if (r.Type == kShape) return false;
    const auto font = c.Get(Member::FontSize);
    return !font || r.LastFont != *font;
}

void QResizer::RecordControl(std::int32_t Index, bool Force) {
    try {
        // A control that cannot be fetched is left alone: its slot keeps what
        // it holds.
        const host::ObjectRef c = fetch(Index);
        if (!c || static_cast<std::size_t>(Index) >= table_.size()) return;
        currentControl_ = c;
        ResizeType& r = table_[static_cast<std::size_t>(Index)];

        // Another control at this position than the one recorded there (or
        // none recorded yet) is a new one.
        const bool changed = Force || r.Control.lock() != c || changedSinceRecorded(*c, r);
        if (!changed) return;

        // Container.
        const std::string typeName = c->TypeName();
        const host::ObjectRef container = c->Container();
        // A container whose window cannot be read counts as the form.
        host::Hwnd containerHwnd = formHwnd_;
        if (container)
            if (const auto hwnd = container->hwnd()) containerHwnd = *hwnd;
        if (typeName == kData || containerHwnd == formHwnd_) {
            r.ContainerHwnd = formHwnd_;
            r.ContainerFirstHeight = r.ContainerLastHeight =
                static_cast<float>(currentClientHeight_);
            r.ContainerFirstWidth = r.ContainerLastWidth = static_cast<float>(currentClientWidth_);
        } else {
            r.ContainerHwnd = containerHwnd;
            r.ContainerFirstHeight = static_cast<float>(ClientHeightTwips(containerHwnd));
            r.ContainerFirstWidth = static_cast<float>(ClientWidthTwips(containerHwnd));
            r.ContainerLastHeight = r.ContainerFirstHeight;
            r.ContainerLastWidth = r.ContainerFirstWidth;
        }

        // Kind, decided afresh.
        if (typeName == kLine)
            r.Type = kLine;
        else if (typeName == kTabStrip)
            r.Type = kTabStrip;
        else if (c->Get(Member::FontSize))
            r.Type = kStd;
        else if (c->Visible())
            r.Type = kShape;
        else
            r.Type = kNone;

        // Baseline; a field whose read fails keeps what it held.
        const bool tab = !container || container->TypeName() == kTabStrip;
        if (r.Type == kLine) {
            if (const auto y2 = c->Get(Member::Y2)) r.FirstHeight = *y2;
            if (const auto x1 = c->Get(Member::X1)) r.FirstLeft = visiblePlace(*x1, tab);
            if (const auto y1 = c->Get(Member::Y1)) r.FirstTop = *y1;
            if (const auto x2 = c->Get(Member::X2)) r.FirstWidth = visiblePlace(*x2, tab);
        } else {
            if (r.Type == kStd || r.Type == kTabStrip) {
                if (const auto font = c->Get(Member::FontSize)) r.FirstFont = *font;
                r.LastFont = r.FirstFont;
            }
            if (const auto left = c->Get(Member::Left)) r.FirstLeft = visiblePlace(*left, tab);
            if (const auto height = c->Get(Member::Height)) r.FirstHeight = *height;
            if (const auto top = c->Get(Member::Top)) r.FirstTop = *top;
            if (const auto width = c->Get(Member::Width)) r.FirstWidth = *width;
        }
        r.LastHeight = r.FirstHeight;
        r.LastLeft = r.FirstLeft;
        r.LastTop = r.FirstTop;
        r.LastWidth = r.FirstWidth;
        r.Control = c;
    } catch (...) {
    }
}

bool QResizer::tableInStep() {
    host::ControlCollection& controls = site_.ParentControls();
    const std::int32_t count = controls.Count();
    if (count != recordedCount_ || static_cast<std::size_t>(count) != table_.size()) return false;
    for (std::int32_t i = 1; i < count; ++i) {
        const host::ObjectRef c = controls.Item(i);
        // One that cannot be fetched just now says nothing either way.
        if (c && table_[static_cast<std::size_t>(i)].Control.lock() != c) return false;
    }
    return true;
}

void QResizer::bringTableInStep() {
    // The others keep their records, so that they are not re-based on where
    // the last pass put them (rounded, or nowhere while the form was
    // minimised).
    host::ControlCollection& controls = site_.ParentControls();
    const std::int32_t count = controls.Count();
    std::vector<ResizeType> old = std::move(table_);
    table_.assign(static_cast<std::size_t>(std::max(count, 0)), ResizeType{});
    ++generation_;
    std::unordered_map<const host::Object*, std::size_t> recorded;
    for (std::size_t i = 1; i < old.size(); ++i)
        if (const host::ObjectRef c = old[i].Control.lock()) recorded.emplace(c.get(), i);
    for (std::int32_t i = 1; i < count; ++i) {
        const host::ObjectRef c = controls.Item(i);
        if (!c) continue;  // recorded once it can be fetched
        const auto it = recorded.find(c.get());
        if (it != recorded.end())
            table_[static_cast<std::size_t>(i)] = old[it->second];
        else
            RecordControl(i, true);
    }
    recordedCount_ = count;
}

// ---------------------------------------------------------------- resize pass

void QResizer::ResizeAll() {
    try {
        // Controls added, removed or replaced since the table was recorded:
        // the table is rebuilt before the form is measured, so that a control
        // recorded now is taken against the size it was last laid out for.
        if (!tableInStep()) bringTableInStep();

        passOver([&] { currentClientHeight_ = host::CLng(ClientHeightTwips(formHwnd_)); });
        passOver([&] { currentClientWidth_ = host::CLng(ClientWidthTwips(formHwnd_)); });

        // Controls on the form first, then those inside containers, whose size
        // the first pass may have changed. The table may be recorded afresh
        // while the pass yields: each index is checked at its use.
        for (const bool onForm : {true, false}) {
            const std::int32_t count = site_.ParentControls().Count();
            for (std::int32_t i = 1; i < count; ++i) {
                if (static_cast<std::size_t>(i) < table_.size()) {
                    const ResizeType& r = table_[static_cast<std::size_t>(i)];
                    if (!r.Type.empty() && r.Type != kNone &&
                        (r.ContainerHwnd == formHwnd_) == onForm)
                        passOver([&] { ResizeControl(i); });
                }
                site_.DoEvents();
            }
            if (onForm) site_.DoEvents();
        }

        if (firstHeight_ != 0 && firstWidth_ != 0 && AfterResize) {
            const auto xScale = static_cast<float>(ClientWidthTwips(formHwnd_) / firstWidth_);
            const auto yScale = static_cast<float>(ClientHeightTwips(formHwnd_) / firstHeight_);
            passOver([&] { AfterResize(xScale, yScale); });
        }
    } catch (...) {
    }
}

void QResizer::ResizeControl(std::int32_t i) {
    const host::ObjectRef c = fetch(i);
    if (!c || static_cast<std::size_t>(i) >= table_.size()) return;
    // Work on a copy: the event's handler may run anything, a new recording
    // included.
    ResizeType r = table_[static_cast<std::size_t>(i)];
    const std::uint64_t generation = generation_;
    if (r.Control.lock() != c) return;  // not the control this record was taken from
    currentControl_ = c;
    bool Ignore = false;

    // The container's size now.
    if (r.ContainerHwnd == formHwnd_) {
        r.ContainerLastHeight = static_cast<float>(currentClientHeight_);
        r.ContainerLastWidth = static_cast<float>(currentClientWidth_);
    } else {
        r.ContainerLastHeight = static_cast<float>(ClientHeightTwips(r.ContainerHwnd));
        r.ContainerLastWidth = static_cast<float>(ClientWidthTwips(r.ContainerHwnd));
    }

    // The new geometry.
    const double rw = ratio(r.ContainerLastWidth, r.ContainerFirstWidth);
    const double rh = ratio(r.ContainerLastHeight, r.ContainerFirstHeight);
    float NewLeft = 0, NewTop = 0, NewHeight = 0, NewWidth = 0, NewFontSize = 0;
    auto scaled = [&] {
        NewLeft = static_cast<float>(r.FirstLeft * rw);
        NewTop = static_cast<float>(r.FirstTop * rh);
        NewHeight = static_cast<float>(r.FirstHeight * rh);
        NewWidth = static_cast<float>(r.FirstWidth * rw);
    };
    const bool tab = onTabStrip(*c);
    if (c->TypeName() == kData) {
        scaled();
    } else if (tab) {
        // A strip whose tab geometry cannot be worked out (or whose tabs lie
        // on no known side) scales the control over its whole area: the
        // results of another control's computation are never used.
        if (ComputeTabbedGeometry(r)) {
            NewLeft = tabbed_.TabbedLeft;
            NewTop = tabbed_.TabbedTop;
            NewHeight = tabbed_.TabbedHeight;
            NewWidth = tabbed_.TabbedWidth;
        } else {
            scaled();
        }
    } else {
        scaled();
    }

    // Fonts by the smaller ratio.
    if (r.Type != kLine && r.Type != kShape) {
        const bool widthLarger = static_cast<float>(rw) > static_cast<float>(rh);
        NewFontSize = static_cast<float>(r.FirstFont * (widthLarger ? rh : rw));
    }

    // A control on a hidden page stays out of sight: the offset as it stands now.
    if (tab) {
        if (r.Type == kLine) {
            const auto x1 = c->Get(Member::X1);
            if (!x1 || *x1 < kThreshold) NewLeft = static_cast<float>(NewLeft - kOffset);
            const auto x2 = c->Get(Member::X2);
            if (!x2 || *x2 < kThreshold) NewWidth = static_cast<float>(NewWidth - kOffset);
        } else {
            const auto left = c->Get(Member::Left);
            if (!left || *left < kThreshold) NewLeft = static_cast<float>(NewLeft - kOffset);
        }
    }

    if (BeforeResizeControl)
        passOver([&] {
            BeforeResizeControl(currentControl_, NewLeft, NewTop, NewHeight, NewWidth, NewFontSize,
                                Ignore);
        });
    const host::ObjectRef target = currentControl_;

    if (!Ignore && target) {
        if (resizeFont_ && finite(NewFontSize)) target->Set(Member::FontSize, NewFontSize);
        // A value that is not a number never reaches a control.
        const bool moved = finite(NewLeft) && finite(NewTop) && finite(NewWidth) &&
                           finite(NewHeight) && target->Move(NewLeft, NewTop, NewWidth, NewHeight);
        if (!moved) {
            auto set = [&](Member m, float v) {
                if (finite(v)) target->Set(m, v);
            };
            if (r.Type == kLine) {
                set(Member::X1, NewLeft);
                set(Member::X2, NewWidth);
                set(Member::Y1, NewTop);
                set(Member::Y2, NewHeight);
            } else {
                set(Member::Left, NewLeft);
                set(Member::Top, NewTop);
                set(Member::Width, NewWidth);
                set(Member::Height, NewHeight);
            }
        }
    }

    // What the control really took, so that its own moves are no change.
    if (target) {
        if (r.Type == kLine) {
            const bool lineOnTab = onTabStrip(*target);
            if (const auto x1 = target->Get(Member::X1)) r.LastLeft = visiblePlace(*x1, lineOnTab);
            if (const auto x2 = target->Get(Member::X2)) r.LastWidth = visiblePlace(*x2, lineOnTab);
            if (const auto y1 = target->Get(Member::Y1)) r.LastTop = *y1;
            if (const auto y2 = target->Get(Member::Y2)) r.LastHeight = *y2;
        } else {
            if (const auto left = target->Get(Member::Left)) r.LastLeft = visiblePlace(*left, true);
            if (const auto width = target->Get(Member::Width)) r.LastWidth = *width;
            if (const auto top = target->Get(Member::Top)) r.LastTop = *top;
            if (const auto height = target->Get(Member::Height)) r.LastHeight = *height;
        }
        if (r.Type != kLine && r.Type != kShape)
            if (const auto font = target->Get(Member::FontSize)) r.LastFont = *font;
    }
    if (generation == generation_ && static_cast<std::size_t>(i) < table_.size()) {
        ResizeType& kept = table_[static_cast<std::size_t>(i)];
        kept.ContainerLastHeight = r.ContainerLastHeight;
        kept.ContainerLastWidth = r.ContainerLastWidth;
        kept.LastLeft = r.LastLeft;
        kept.LastTop = r.LastTop;
        kept.LastHeight = r.LastHeight;
        kept.LastWidth = r.LastWidth;
        kept.LastFont = r.LastFont;
    }
}

bool QResizer::ComputeTabbedGeometry(const ResizeType& r) {
    try {
        const host::ObjectRef strip = currentControl_ ? currentControl_->Container() : nullptr;
        // The scale mode of the strip's own container; twips when it has none.
        std::int32_t scale = host::kScaleTwips;
        if (const host::ObjectRef outer = strip ? strip->Container() : nullptr)
            if (const auto mode = outer->ScaleMode()) scale = *mode;
        if (!strip) return false;

        // Rows as the strip draws them: a part-full last row is a row too, so
        // that the controls stay below every row of tabs.
        auto rowCount = [&]() -> std::int64_t {
            const auto tabs = strip->Tabs();
            const auto perRow = strip->TabsPerRow();
            const auto rows = tabs && perRow ? host::tabRows(*tabs, *perRow) : std::nullopt;
            if (!rows) throw host::Error(host::err::InvalidCall);
            return *rows;
        };
        const std::int64_t rows = rowCount();
        const std::int64_t extraRows = rowCount() - 1;

        const auto orientation = strip->TabOrientation();
        if (!orientation) return false;
        if (*orientation < 0 || *orientation > 3) return false;

        auto band = [&](bool vertical) {
            const auto tabHeight = strip->Get(Member::TabHeight);
            if (!tabHeight) throw host::Error(host::err::NotSupported);
            const auto converted =
                vertical
                    ? host::ScaleY(*tabHeight, scale, host::kScaleTwips, site_.TwipsPerPixelY())
                    : host::ScaleX(*tabHeight, scale, host::kScaleTwips, site_.TwipsPerPixelX());
            if (!converted) throw host::Error(host::err::InvalidCall);
            return static_cast<double>(static_cast<float>(*converted)) * static_cast<float>(rows);
        };
        const double allowance = static_cast<float>(extraRows * 150);
        const bool tabsAcross = *orientation == 0 || *orientation == 1;
        const double heightCut = tabsAcross ? band(true) : allowance;
        const double widthCut = tabsAcross ? allowance : band(true);
        const std::int32_t innerFirstHeight = host::CLng(r.ContainerFirstHeight - heightCut);
        const std::int32_t innerFirstWidth = host::CLng(r.ContainerFirstWidth - widthCut);
        const std::int32_t innerLastHeight = host::CLng(r.ContainerLastHeight - heightCut);
        const std::int32_t innerLastWidth = host::CLng(r.ContainerLastWidth - widthCut);
        // An axis whose inner first size is 0 is not scaled.
        const double hr =
            innerFirstHeight == 0 ? 1.0 : static_cast<double>(innerLastHeight) / innerFirstHeight;
        const double wr =
            innerFirstWidth == 0 ? 1.0 : static_cast<double>(innerLastWidth) / innerFirstWidth;

        // r x (First - offset) + offset is stored in two steps, as Singles.
        auto shifted = [](float& field, double rr, float first, double offset) {
            field = static_cast<float>(rr * (first - offset));
            field = static_cast<float>(field + offset);
        };
        const bool line = r.Type == kLine;
        switch (*orientation) {
            case 0:
                shifted(tabbed_.TabbedTop, hr, r.FirstTop, heightCut);
                tabbed_.TabbedLeft = static_cast<float>(wr * r.FirstLeft);
                if (line)
                    shifted(tabbed_.TabbedHeight, hr, r.FirstHeight, heightCut);
                else
                    tabbed_.TabbedHeight = static_cast<float>(hr * r.FirstHeight);
                tabbed_.TabbedWidth = static_cast<float>(wr * r.FirstWidth);
                break;
            case 2:
                shifted(tabbed_.TabbedTop, hr, r.FirstTop, allowance);
                shifted(tabbed_.TabbedLeft, wr, r.FirstLeft, band(false));
                if (line)
                    shifted(tabbed_.TabbedHeight, hr, r.FirstHeight, allowance);
                else
                    tabbed_.TabbedHeight = static_cast<float>(hr * r.FirstHeight);
                if (line)
                    shifted(tabbed_.TabbedWidth, wr, r.FirstWidth, band(true));
                else
                    tabbed_.TabbedWidth = static_cast<float>(wr * r.FirstWidth);
                break;
            default:  // 1 and 3: plain ratios of the inner sizes
                tabbed_.TabbedTop = static_cast<float>(hr * r.FirstTop);
                tabbed_.TabbedLeft = static_cast<float>(wr * r.FirstLeft);
                tabbed_.TabbedHeight = static_cast<float>(hr * r.FirstHeight);
                tabbed_.TabbedWidth = static_cast<float>(wr * r.FirstWidth);
                break;
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace resizer
