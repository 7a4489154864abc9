#include "anchor/QAnchor.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

#include "host/Error.h"
#include "host/FormLimits.h"
#include "host/Scale.h"

namespace anchor {

namespace {

using host::asBool;
using host::asLong;
using host::asSingle;
using host::asString;

using host::Member;

constexpr const char* kLine = "Line";
constexpr const char* kTabStrip = "SSTab";

// Runs one step whose failure is passed over: the next step runs.
template <typename Step>
void passOver(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

// The whole number written between a key's brackets: blanks around it, a sign,
// digits and an optional fraction (rounded, halves to even). Nothing for any
// other text.
std::optional<std::int32_t> keyIndex(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    for (const char c : trimmed)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.'))
            return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (errno != 0 || end != trimmed.c_str() + trimmed.size() || !std::isfinite(value))
        return std::nullopt;
    try {
        return host::CLng(value);
    } catch (const host::Error&) {
        return std::nullopt;
    }
}

}  // namespace

QAnchor::QAnchor(host::Site& site, subclass::MSubclass& module) : site_(site), module_(module) {}

QAnchor::QAnchor(std::shared_ptr<host::Site> site, subclass::MSubclass& module)
    : siteOwner_(std::move(site)), site_(*siteOwner_), module_(module) {}

QAnchor::~QAnchor() = default;

const std::vector<std::string>& QAnchor::savedPropertyNames() {
    static const std::vector<std::string> names{"Enabled",      "MinFormHeight", "MaxFormHeight",
                                                "MinFormWidth", "MaxFormWidth",  "Anchor",
                                                "FirstHeight",  "FirstWidth"};
    return names;
}

// ---------------------------------------------------------------- life

void QAnchor::attach() {
    const std::shared_ptr<ISubclass> self = shared_from_this();
    attached_ = true;
    if (!site_.UserMode()) module_.AttachMessage(self, formHwnd_, host::WM_EXITSIZEMOVE);
    for (const std::uint32_t msg :
         {host::WM_WINDOWPOSCHANGING, host::WM_GETMINMAXINFO, host::WM_SIZE, host::WM_SIZING})
        module_.AttachMessage(self, formHwnd_, static_cast<std::int32_t>(msg));
}

void QAnchor::InitProperties() {
    enabled_ = true;
    maxFormHeight_ = maxFormWidth_ = minFormHeight_ = minFormWidth_ = 0;
    initialised_ = false;
    anchorList_.clear();
    formHwnd_ = host::formWindow(site_);
    setFirstHeight(host::CLng(ClientHeight(formHwnd_)));
    setFirstWidth(host::CLng(ClientWidth(formHwnd_)));
    formHeight_ = firstHeight_;
    formWidth_ = firstWidth_;
    attach();
    WindowProc(formHwnd_, host::WM_WINDOWPOSCHANGING, 0, 0);
}

void QAnchor::ReadProperties(host::PropertyBag& bag) {
    enabled_ = asBool(bag.ReadProperty("Enabled", true));
    minFormHeight_ = asLong(bag.ReadProperty("MinFormHeight", std::int32_t{0}));
    maxFormHeight_ = asLong(bag.ReadProperty("MaxFormHeight", std::int32_t{0}));
    minFormWidth_ = asLong(bag.ReadProperty("MinFormWidth", std::int32_t{0}));
    maxFormWidth_ = asLong(bag.ReadProperty("MaxFormWidth", std::int32_t{0}));
    anchorList_ = asString(bag.ReadProperty("Anchor", std::string()));
    firstHeight_ = asSingle(bag.ReadProperty("FirstHeight", 0.0f));
    firstWidth_ = asSingle(bag.ReadProperty("FirstWidth", 0.0f));
    // Until the first show the controls stand as designed: a control recorded
    // before then (AnchorControl) is recorded against the design size.
    formHeight_ = static_cast<float>(host::roundHalfEven(firstHeight_));
    formWidth_ = static_cast<float>(host::roundHalfEven(firstWidth_));
    formHwnd_ = host::formWindow(site_);
    attach();
}

void QAnchor::WriteProperties(host::PropertyBag& bag) const {
    bag.WriteProperty("Enabled", enabled_, true);
    bag.WriteProperty("MinFormHeight", minFormHeight_, std::int32_t{0});
    bag.WriteProperty("MaxFormHeight", maxFormHeight_, std::int32_t{0});
    bag.WriteProperty("MinFormWidth", minFormWidth_, std::int32_t{0});
    bag.WriteProperty("MaxFormWidth", maxFormWidth_, std::int32_t{0});
    bag.WriteProperty("Anchor", anchorList_, std::string());
    bag.WriteProperty("FirstHeight", firstHeight_, 0.0f);
    bag.WriteProperty("FirstWidth", firstWidth_, 0.0f);
}

void QAnchor::Terminate() noexcept {
    if (!attached_) return;
    attached_ = false;
    for (const std::uint32_t msg : {host::WM_EXITSIZEMOVE, host::WM_WINDOWPOSCHANGING,
                                    host::WM_SIZE, host::WM_SIZING, host::WM_GETMINMAXINFO})
        module_.DetachMessage(*this, formHwnd_, static_cast<std::int32_t>(msg));
}

// ---------------------------------------------------------------- interface

void QAnchor::About() {
    if (showAbout) showAbout();
}

std::int32_t QAnchor::FirstHeight() const { return host::CLng(firstHeight_); }
std::int32_t QAnchor::FirstWidth() const { return host::CLng(firstWidth_); }

void QAnchor::setFirstHeight(std::int32_t value) {
    firstHeight_ = static_cast<float>(value);
    site_.PropertyChanged("FirstHeight");
}

void QAnchor::setFirstWidth(std::int32_t value) {
    firstWidth_ = static_cast<float>(value);
    site_.PropertyChanged("FirstWidth");
}

void QAnchor::setEnabled(bool value) {
    const bool was = enabled_;
    enabled_ = value;
    site_.PropertyChanged("Enabled");
    if (!was && value && site_.UserMode()) {
        setFirstHeight(host::CLng(ClientHeight(formHwnd_)));
        setFirstWidth(host::CLng(ClientWidth(formHwnd_)));
        formHeight_ = firstHeight_;
        formWidth_ = firstWidth_;
    }
}

void QAnchor::setMinFormHeight(std::int32_t value) {
    minFormHeight_ = std::max(value, 0);
    site_.PropertyChanged("MinFormHeight");
    EnforceFormLimits();
}

void QAnchor::setMaxFormHeight(std::int32_t value) {
    maxFormHeight_ = std::max(value, 0);
    site_.PropertyChanged("MaxFormHeight");
    EnforceFormLimits();
}

void QAnchor::setMinFormWidth(std::int32_t value) {
    minFormWidth_ = std::max(value, 0);
    site_.PropertyChanged("MinFormWidth");
    EnforceFormLimits();
}

void QAnchor::setMaxFormWidth(std::int32_t value) {
    maxFormWidth_ = std::max(value, 0);
    site_.PropertyChanged("MaxFormWidth");
    EnforceFormLimits();
}

std::string QAnchor::Anchorit() {
    if (site_.UserMode()) return {};
    if (!anchorList_.empty()) {
        ParseAnchorList();
        SyncAnchorList();
        BuildAnchorList();
    } else {
        DefaultAnchorList();
    }
    return anchorList_;
}

void QAnchor::setAnchorit(const std::string& value) {
    if (site_.UserMode()) return;
    anchorList_ = value;
    site_.PropertyChanged("Anchorit");
    // The records take the new flags at once: the design-time sync of the
    // next size change rebuilds the text from them. Each control is recorded
    // afresh where it stands.
    ParseAnchorList();
}

void QAnchor::setSavedAnchorList(std::string text) {
    anchorList_ = std::move(text);
    // Once parsed, the records are what lays the form out (and, in the
    // designer, what the text is rebuilt from): a new list replaces them.
    if (recordsDimensioned_) ParseAnchorList();
}

void QAnchor::ContainerResized() {
    if (enabled_ && initialised_) sizeChanged();
}

// ---------------------------------------------------------------- messages

host::LResult QAnchor::WindowProc(host::Hwnd /*hwnd*/, std::uint32_t iMsg, host::WParam /*wParam*/,
                                  host::LParam lParam) {
    // Nothing escapes a window message.
    try {
        switch (iMsg) {
            case host::WM_WINDOWPOSCHANGING:
                if (!initialised_ && enabled_ && !busy_) firstTimeSetUp();
                break;
            case host::WM_SIZE:
                if (enabled_ && initialised_) sizeChanged();
                break;
            case host::WM_GETMINMAXINFO:
                if (enabled_ && initialised_ && lParam != 0)
                    host::limitTracking(limits(), site_,
                                        *reinterpret_cast<host::MINMAXINFO*>(lParam));
                break;
            case host::WM_SIZING:
                if (enabled_ && initialised_ && lParam != 0)
                    host::clampSizing(limits(), site_, *reinterpret_cast<host::RECT*>(lParam));
                break;
            case host::WM_EXITSIZEMOVE:
                if (!site_.UserMode()) retakeDesignSize();
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return 0;
}

void QAnchor::firstTimeSetUp() {
    formHeight_ = static_cast<float>(FirstHeight());
    formWidth_ = static_cast<float>(FirstWidth());
    if (!recordsDimensioned_) passOver([&] { ParseAnchorList(); });
    passOver([&] { SyncAnchorList(); });
    passOver([&] { RecordPositions(); });
    busy_ = true;
    passOver([&] { EnforceFormLimits(); });
    busy_ = false;
    passOver([&] { ResizeControls(); });
    initialised_ = true;
}

void QAnchor::sizeChanged() {
    SyncAnchorList();
    RecordPositions();
    ResizeControls();
}

void QAnchor::retakeDesignSize() {
    setFirstHeight(host::CLng(ClientHeight(formHwnd_)));
    setFirstWidth(host::CLng(ClientWidth(formHwnd_)));
}

// ---------------------------------------------------------------- anchor list

host::ObjectRef QAnchor::fetch(std::int32_t position) {
    // Position 0 is the form itself, never a control of it.
    if (position < 1) return nullptr;
    return site_.ParentControls().Item(position);
}

std::string QAnchor::ControlKey(const host::ObjectRef& control) const {
    if (!control) return {};
    const auto name = control->Name();
    if (!name) return {};
    const auto index = control->Index();
    if (!index || *index == -1) return *name;
    return *name + "(" + std::to_string(*index) + ")";
}

std::int32_t QAnchor::FindControlIndex(const std::string& key) {
    host::ControlCollection& controls = site_.ParentControls();
    const std::int32_t count = controls.Count();
    const auto open = key.find('(');
    if (open == std::string::npos) {
        for (std::int32_t i = 1; i < count; ++i) {
            const host::ObjectRef c = controls.Item(i);
            if (c && c->Name() == key) return i;
        }
        return 0;
    }
    // A malformed key names no control.
    const auto close = key.find(')');
    if (close == std::string::npos || close < open) return 0;
    const auto index = keyIndex(key.substr(open + 1, close - open - 1));
    if (!index) return 0;
    const std::string name = key.substr(0, open);
    for (std::int32_t i = 1; i < count; ++i) {
        const host::ObjectRef c = controls.Item(i);
        if (!c || c->Name() != name) continue;
        if (c->Index() == *index) return i;
    }
    return 0;
}

void QAnchor::ParseAnchorList() {
    records_.assign(1, TAnchorEntry{});
    recordsDimensioned_ = true;
    if (anchorList_.empty()) return;
    for (TAnchorPageEntry& e : parseAnchorText(anchorList_)) {
        TAnchorEntry r;
        r.Key = std::move(e.Key);
        r.ControlIndex = FindControlIndex(r.Key);
        r.AnchorLeft = std::move(e.AnchorLeft);
        r.AnchorTop = std::move(e.AnchorTop);
        r.AnchorRight = std::move(e.AnchorRight);
        r.AnchorBottom = std::move(e.AnchorBottom);
        records_.push_back(std::move(r));
    }
}

void QAnchor::BuildAnchorList() {
    std::string text;
    for (std::size_t i = 1; i <= upperBound(); ++i) {
        const TAnchorEntry& r = records_[i];
        text += anchorEntryText(r.Key, r.AnchorLeft, r.AnchorTop, r.AnchorRight, r.AnchorBottom);
    }
    anchorList_ = std::move(text);
}

void QAnchor::DefaultAnchorList() {
    host::ControlCollection& controls = site_.ParentControls();
    const std::int32_t count = controls.Count();
    for (std::int32_t i = 1; i < count; ++i) {
        const host::ObjectRef c = controls.Item(i);
        if (c && c->Visible()) anchorList_ += anchorEntryText(ControlKey(c), "1", "1", "0", "0");
    }
}

void QAnchor::SyncAnchorList() {
    if (!recordsDimensioned_) records_.assign(1, TAnchorEntry{});
    recordsDimensioned_ = true;
    host::ControlCollection& controls = site_.ParentControls();

    // A record whose position no longer holds its control is looked up again by
    // its key; it goes only when no control has that key any more. One whose
    // control cannot be fetched just now stays as it is.
    const std::int32_t before = controls.Count();
    for (std::size_t i = 1; i <= upperBound();) {
        TAnchorEntry& r = records_[i];
        const bool inRange = r.ControlIndex >= 1 && r.ControlIndex < before;
        const host::ObjectRef c = fetch(r.ControlIndex);
        if (c) currentControl_ = c;
        if ((c && ControlKey(c) == r.Key) || (!c && inRange)) {
            ++i;
            continue;
        }
        const std::int32_t found = FindControlIndex(r.Key);
        if (found > 0 && ControlKey(controls.Item(found)) == r.Key) {
            records_[i].ControlIndex = found;
            ++i;
            continue;
        }
        records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
    }

    // New controls, in collection order, anchored left and top. (The count
    // holds the form as well, so the walk runs on every sync.)
    const std::int32_t count = controls.Count();
    if (static_cast<std::size_t>(count) != upperBound()) {
        std::unordered_set<std::string> keys;
        for (std::size_t i = 1; i <= upperBound(); ++i) keys.insert(records_[i].Key);
        for (std::int32_t i = 1; i < count; ++i) {
            passOver([&] {
                const host::ObjectRef c = controls.Item(i);
                if (!c) return;
                std::string key = ControlKey(c);
                if (!c->Visible() || keys.count(key) > 0) return;
                TAnchorEntry r;
                r.Key = key;
                r.ControlIndex = FindControlIndex(key);
                r.AnchorLeft = "1";
                r.AnchorTop = "1";
                r.AnchorRight = "0";
                r.AnchorBottom = "0";
                records_.push_back(std::move(r));
                keys.insert(std::move(key));
            });
        }
    }

    if (!site_.UserMode()) BuildAnchorList();
}

void QAnchor::AnchorControl(const host::ObjectRef& Control, bool AnchorLeft, bool AnchorTop,
                            bool AnchorRight, bool AnchorBottom) {
    const std::string key = ControlKey(Control);
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    std::size_t index = 0;
    passOver([&] {
        if (!recordsDimensioned_) ParseAnchorList();
    });
    passOver([&] {
        for (std::size_t i = 1; i <= upperBound(); ++i)
            if (records_[i].Key == key) {
                index = i;
                break;
            }
        if (index == 0) {
            if (!recordsDimensioned_) records_.assign(1, TAnchorEntry{});
            recordsDimensioned_ = true;
            TAnchorEntry r;
            r.Key = key;
            r.ControlIndex = FindControlIndex(key);
            records_.push_back(std::move(r));
            index = upperBound();
        }
        TAnchorEntry& r = records_[index];
        r.AnchorLeft = flag(AnchorLeft);
        r.AnchorTop = flag(AnchorTop);
        r.AnchorRight = flag(AnchorRight);
        r.AnchorBottom = flag(AnchorBottom);
    });
    if (index != 0 && Control) {
        passOver([&] {
            TAnchorEntry& r = records_.at(index);
            if (Control->TypeName() == kLine) {
                const auto x1 = Control->Get(Member::X1);
                const auto y1 = Control->Get(Member::Y1);
                const auto x2 = Control->Get(Member::X2);
                const auto y2 = Control->Get(Member::Y2);
                if (x1)
                    r.LastLeft =
                        *x1 < host::kHiddenTabThreshold ? *x1 + host::kHiddenTabOffset : *x1;
                if (y1) r.LastTop = *y1;
                if (x1 && x2) r.LastWidth = *x2 - *x1;
                if (y1 && y2) r.LastHeight = *y2 - *y1;
            } else {
                if (const auto l = Control->Get(Member::Left))
                    r.LastLeft = *l < host::kHiddenTabThreshold ? *l + host::kHiddenTabOffset : *l;
                if (const auto t = Control->Get(Member::Top)) r.LastTop = *t;
                if (const auto w = Control->Get(Member::Width)) r.LastWidth = *w;
                if (const auto h = Control->Get(Member::Height)) r.LastHeight = *h;
            }
            r.BaseLeft = r.LastLeft;
            r.BaseTop = r.LastTop;
            r.BaseHeight = r.LastHeight;
            r.BaseWidth = r.LastWidth;
        });
        passOver([&] {
            const host::ObjectRef container = Control->Container();
            const auto hwnd = container ? container->hwnd() : std::nullopt;
            TAnchorEntry& r = records_.at(index);
            if (!hwnd || *hwnd == formHwnd_) {
                r.ContainerFirstHeight = r.ContainerHeight = formHeight_;
                r.ContainerFirstWidth = r.ContainerWidth = formWidth_;
                r.ContainerHwnd = formHwnd_;
            } else {
                r.ContainerFirstHeight = r.ContainerHeight = ClientHeight(*hwnd);
                r.ContainerFirstWidth = r.ContainerWidth = ClientWidth(*hwnd);
                r.ContainerHwnd = *hwnd;
            }
        });
    }
    passOver([&] { RecordPositions(); });
    passOver([&] { ResizeControls(); });
}

// ---------------------------------------------------------------- layout pass

float QAnchor::ClientHeight(host::Hwnd hwnd) const {
    const host::RECT r = site_.Windows().GetClientRect(hwnd);
    return static_cast<float>(r.bottom - r.top);
}

float QAnchor::ClientWidth(host::Hwnd hwnd) const {
    const host::RECT r = site_.Windows().GetClientRect(hwnd);
    return static_cast<float>(r.right - r.left);
}

void QAnchor::RecordPositions() {
    for (std::size_t i = 1; i <= upperBound(); ++i) {
        if (records_[i].Key.empty()) break;
        const host::ObjectRef c = fetch(records_[i].ControlIndex);
        if (!c) continue;  // a control that cannot be fetched is left alone
        currentControl_ = c;
        TAnchorEntry& r = records_[i];
        const bool line = c->TypeName() == kLine;
        auto offset = [](float x) {
            return x < host::kHiddenTabThreshold ? x + host::kHiddenTabOffset : x;
        };

        bool moved = true;
        if (line) {
            const auto x1 = c->Get(Member::X1);
            const auto y1 = c->Get(Member::Y1);
            const auto x2 = c->Get(Member::X2);
            const auto y2 = c->Get(Member::Y2);
            if (x1 && y1 && x2 && y2) {
                const host::ObjectRef container = c->Container();
                const bool onTab = container && container->TypeName() == kTabStrip;
                const float left = onTab ? offset(*x1) : *x1;
                moved = left != r.LastLeft || *y1 != r.LastTop || *x2 - *x1 != r.LastWidth ||
                        *y2 - *y1 != r.LastHeight;
            }
        } else {
            const auto l = c->Get(Member::Left);
            const auto t = c->Get(Member::Top);
            const auto w = c->Get(Member::Width);
            const auto h = c->Get(Member::Height);
            if (l && t && w && h)
                moved = offset(*l) != r.LastLeft || *t != r.LastTop || *w != r.LastWidth ||
                        *h != r.LastHeight;
        }
        if (!moved) continue;

        if (line) {
            const auto x1 = c->Get(Member::X1);
            const auto y1 = c->Get(Member::Y1);
            const auto x2 = c->Get(Member::X2);
            const auto y2 = c->Get(Member::Y2);
            if (x1) r.LastLeft = offset(*x1);
            if (y1) r.LastTop = *y1;
            if (x1 && x2) r.LastWidth = *x2 - *x1;
            if (y1 && y2) r.LastHeight = *y2 - *y1;
        } else {
            if (const auto l = c->Get(Member::Left)) r.LastLeft = offset(*l);
            if (const auto t = c->Get(Member::Top)) r.LastTop = *t;
            if (const auto w = c->Get(Member::Width)) r.LastWidth = *w;
            if (const auto h = c->Get(Member::Height)) r.LastHeight = *h;
        }
        r.BaseLeft = r.LastLeft;
        r.BaseTop = r.LastTop;
        r.BaseHeight = r.LastHeight;
        r.BaseWidth = r.LastWidth;

        const host::ObjectRef container = c->Container();
        const auto hwnd = container ? container->hwnd() : std::nullopt;
        if (!hwnd || *hwnd == formHwnd_) {
            r.ContainerFirstHeight = r.ContainerHeight = formHeight_;
            r.ContainerFirstWidth = r.ContainerWidth = formWidth_;
            r.ContainerHwnd = formHwnd_;
        } else {
            r.ContainerHwnd = *hwnd;
            r.ContainerFirstHeight = ClientHeight(*hwnd);
            r.ContainerFirstWidth = ClientWidth(*hwnd);
            r.ContainerHeight = r.ContainerFirstHeight;
            r.ContainerWidth = r.ContainerFirstWidth;
        }
    }
}

void QAnchor::ResizeControls() {
    formHeight_ = ClientHeight(formHwnd_);
    formWidth_ = ClientWidth(formHwnd_);

    // Controls on the form first, then those inside containers, whose size the
    // first pass may have changed. The table may change while the pass yields:
    // an index is checked against its size at each use.
    const std::size_t first = upperBound();
    for (std::size_t i = 1; i <= first; ++i) {
        if (i <= upperBound() && records_[i].ContainerHwnd == formHwnd_)
            passOver([&] { PlaceControl(i); });
        site_.DoEvents();
    }
    site_.DoEvents();
    const std::size_t second = upperBound();
    for (std::size_t i = 1; i <= second; ++i) {
        if (i <= upperBound() && records_[i].ContainerHwnd != formHwnd_)
            passOver([&] { PlaceControl(i); });
        site_.DoEvents();
    }

    if (FirstHeight() != 0 && FirstWidth() != 0 && AfterResize) {
        const auto xScale = static_cast<float>(ClientWidth(formHwnd_) / FirstWidth());
        const auto yScale = static_cast<float>(ClientHeight(formHwnd_) / FirstHeight());
        passOver([&] { AfterResize(xScale, yScale); });
    }
}

void QAnchor::PlaceControl(std::size_t i) {
    // Work on a copy: nothing below yields, but the host's setters may.
    TAnchorEntry r = records_[i];
    if (r.ContainerHwnd == formHwnd_) {
        r.ContainerHeight = formHeight_;
        r.ContainerWidth = formWidth_;
    } else {
        r.ContainerHeight = ClientHeight(r.ContainerHwnd);
        r.ContainerWidth = ClientWidth(r.ContainerHwnd);
    }
    auto writeBack = [&] {
        if (i <= upperBound() && records_[i].Key == r.Key) records_[i] = r;
    };

    const host::ObjectRef c = fetch(r.ControlIndex);
    if (!c) {
        writeBack();
        return;
    }
    currentControl_ = c;

    std::int32_t scale = host::kScaleTwips;
    if (const host::ObjectRef container = c->Container())
        if (const auto mode = container->ScaleMode()) scale = *mode;
    const auto dyd = host::ScaleY(static_cast<double>(r.ContainerHeight) - r.ContainerFirstHeight,
                                  host::kScalePixels, scale, site_.TwipsPerPixelY());
    const auto dxd = host::ScaleX(static_cast<double>(r.ContainerWidth) - r.ContainerFirstWidth,
                                  host::kScalePixels, scale, site_.TwipsPerPixelX());
    if (!dyd || !dxd) {
        // A conversion that fails leaves the control where it is.
        writeBack();
        return;
    }
    const auto dx = static_cast<float>(*dxd);
    const auto dy = static_cast<float>(*dyd);

    const bool line = c->TypeName() == kLine;
    // A control on a hidden tab page stays 75000 to the left of its place (a
    // left that cannot be read counts as hidden, as a failed test holds).
    const auto current = c->Get(line ? Member::X1 : Member::Left);
    const double s =
        !current || *current < host::kHiddenTabThreshold ? host::kHiddenTabOffset : 0.0;

    float L = 0, R = 0, T = 0, B = 0;
    const std::string& al = r.AnchorLeft;
    const std::string& ar = r.AnchorRight;
    if (al == "1" && ar == "0") {
        L = static_cast<float>(r.BaseLeft - s);
        R = L + r.BaseWidth;
    } else if (al == "0" && ar == "1") {
        L = static_cast<float>(r.BaseLeft - s + dx);
        R = L + r.BaseWidth;
    } else if (al == "1" && ar == "1") {
        L = static_cast<float>(r.BaseLeft - s);
        R = L + r.BaseWidth + dx;
    } else {
        L = static_cast<float>(r.BaseLeft - s + dx / 2.0);
        R = L + r.BaseWidth;
    }
    const std::string& at = r.AnchorTop;
    const std::string& ab = r.AnchorBottom;
    if (at == "1" && ab == "0") {
        T = r.BaseTop;
        B = T + r.BaseHeight;
    } else if (at == "0" && ab == "1") {
        T = r.BaseTop + dy;
        B = T + r.BaseHeight;
    } else if (at == "1" && ab == "1") {
        T = r.BaseTop;
        B = T + r.BaseHeight + dy;
    } else {
        T = static_cast<float>(r.BaseTop + dy / 2.0);
        B = T + r.BaseHeight;
    }

    auto offset = [](float x) {
        return x < host::kHiddenTabThreshold ? x + host::kHiddenTabOffset : x;
    };
    if (line) {
        c->Set(Member::X1, L);
        c->Set(Member::Y1, T);
        c->Set(Member::X2, R);
        c->Set(Member::Y2, B);
        const auto x1 = c->Get(Member::X1);
        const auto y1 = c->Get(Member::Y1);
        const auto x2 = c->Get(Member::X2);
        const auto y2 = c->Get(Member::Y2);
        if (x1) r.LastLeft = offset(*x1);
        if (y1) r.LastTop = *y1;
        if (x1 && x2) r.LastWidth = *x2 - *x1;
        if (y1 && y2) r.LastHeight = *y2 - *y1;
    } else {
        if (!c->Move(L, T, R - L, B - T)) {
            c->Set(Member::Left, L);
            c->Set(Member::Top, T);
            c->Set(Member::Width, std::max(R - L, 0.0f));
            c->Set(Member::Height, std::max(B - T, 0.0f));
        }
        if (const auto l = c->Get(Member::Left)) r.LastLeft = offset(*l);
        if (const auto t = c->Get(Member::Top)) r.LastTop = *t;
        if (const auto w = c->Get(Member::Width)) r.LastWidth = *w;
        if (const auto h = c->Get(Member::Height)) r.LastHeight = *h;
    }
    writeBack();
}

void QAnchor::EnforceFormLimits() {
    const host::ObjectRef parent = site_.Parent();
    if (!parent || !parent->IsForm() || !enabled_) return;
    host::enforceLimits(limits(), *parent);
}

}  // namespace anchor
