#include "host/model/FakeObjects.h"

#include <algorithm>
#include <cmath>

#include "host/Scale.h"

namespace host::model {

// ---- FakeControl ----

FakeControl::FakeControl(std::string controlName, std::string controlType)
    : typeName(std::move(controlType)), name(std::move(controlName)) {}

std::optional<float> FakeControl::Get(Member m) const {
    if (unreadable.count(m) > 0) return std::nullopt;
    switch (m) {
        case Member::Left:
            return left;
        case Member::Top:
            return top;
        case Member::Width:
            return width;
        case Member::Height:
            return height;
        case Member::FontSize:
            return fontSize;
        default:
            return std::nullopt;
    }
}

float FakeControl::snap(float value) const {
    if (grid <= 0) return value;
    return static_cast<float>(roundHalfEven(value / grid) * grid);
}

bool FakeControl::Set(Member m, float value) {
    if (unsettable.count(m) > 0) return false;
    switch (m) {
        case Member::Left:
            left = snap(value);
            break;
        case Member::Top:
            top = snap(value);
            break;
        case Member::Width:
            if (value < 0) return false;
            width = snap(value);
            break;
        case Member::Height:
            if (value < 0) return false;
            height = snap(value);
            break;
        case Member::FontSize:
            if (!fontSize) return false;
            fontSize = value;
            break;
        default:
            return false;
    }
    sets.push_back(m);
    syncWindow();
    return true;
}

bool FakeControl::Move(float l, float t, float w, float h) {
    // Like the real controls, a negative size is an invalid property value.
    if (moveFails || w < 0 || h < 0) return false;
    left = snap(l);
    top = snap(t);
    width = snap(w);
    height = snap(h);
    ++moves;
    syncWindow();
    return true;
}

ObjectRef FakeControl::Container() const {
    if (containerUnreadable) return nullptr;
    return container.lock();
}

void FakeControl::syncWindow() {
    if (!window || desktop == nullptr) return;
    // The client area in pixels of a container sized in its own container's units.
    bool pixels = false;
    if (const ObjectRef c = container.lock()) pixels = c->ScaleMode() == kScalePixels;
    const double tx = pixels ? 1.0 : desktop->twipsPerPixelX;
    const double ty = pixels ? 1.0 : desktop->twipsPerPixelY;
    desktop->SetClientSize(*window, static_cast<std::int32_t>(roundHalfEven(width / tx)),
                           static_cast<std::int32_t>(roundHalfEven(height / ty)));
}

// ---- FakeLine ----

FakeLine::FakeLine(std::string controlName) : FakeControl(std::move(controlName), "Line") {}

std::optional<float> FakeLine::Get(Member m) const {
    if (unreadable.count(m) > 0) return std::nullopt;
    switch (m) {
        case Member::X1:
            return x1;
        case Member::Y1:
            return y1;
        case Member::X2:
            return x2;
        case Member::Y2:
            return y2;
        default:
            return std::nullopt;
    }
}

bool FakeLine::Set(Member m, float value) {
    if (unsettable.count(m) > 0) return false;
    switch (m) {
        case Member::X1:
            x1 = snap(value);
            break;
        case Member::Y1:
            y1 = snap(value);
            break;
        case Member::X2:
            x2 = snap(value);
            break;
        case Member::Y2:
            y2 = snap(value);
            break;
        default:
            return false;
    }
    sets.push_back(m);
    return true;
}

// ---- FakeTabStrip ----

FakeTabStrip::FakeTabStrip(std::string controlName) : FakeControl(std::move(controlName), "SSTab") {
    fontSize = 8.25f;
}

std::optional<float> FakeTabStrip::Get(Member m) const {
    if (m == Member::TabHeight && unreadable.count(m) == 0) return tabHeight;
    return FakeControl::Get(m);
}

void FakeTabStrip::ShowTab(std::int32_t tab) {
    auto shift = [](float& x, bool hide) {
        if (hide && x >= kHiddenTabThreshold) x -= kHiddenTabOffset;
        if (!hide && x < kHiddenTabThreshold) x += kHiddenTabOffset;
    };
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const bool hide = static_cast<std::int32_t>(p) != tab;
        for (const auto& weak : pages[p]) {
            const auto c = weak.lock();
            if (!c) continue;
            if (auto* line = dynamic_cast<FakeLine*>(c.get())) {
                shift(line->x1, hide);
                shift(line->x2, hide);
            } else {
                shift(c->left, hide);
            }
        }
    }
    currentTab = tab;
}

// ---- FakeForm ----

FakeForm::FakeForm(Desktop& d, std::int32_t clientWidth, std::int32_t clientHeight)
    : desktop(d), window(d.CreateWindow(clientWidth, clientHeight)) {}

FakeForm::~FakeForm() = default;

void FakeForm::place(FakeControl& c, float l, float t, float w, float h,
                     const ObjectRef& container) {
    c.left = l;
    c.top = t;
    c.width = w;
    c.height = h;
    c.desktop = &desktop;
    c.container = container ? container : ObjectRef(shared_from_this(), this);
}

std::shared_ptr<FakeLine> FakeForm::addLine(std::string controlName, float x1, float y1, float x2,
                                            float y2, const ObjectRef& container) {
    auto line = std::make_shared<FakeLine>(std::move(controlName));
    place(*line, 0, 0, 0, 0, container);
    line->x1 = x1;
    line->y1 = y1;
    line->x2 = x2;
    line->y2 = y2;
    controls.push_back(line);
    return line;
}

void FakeForm::makeContainer(FakeControl& control, std::optional<std::int32_t> scale) {
    control.window = desktop.CreateWindow(0, 0);
    control.scaleMode = scale;
    control.desktop = &desktop;
    control.Set(Member::Width, control.width);  // brings the window to its size
    control.sets.clear();
}

void FakeForm::remove(const ObjectRef& control) {
    controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
}

std::int32_t FakeForm::clientWidth() const { return desktop.GetClientRect(window).right; }
std::int32_t FakeForm::clientHeight() const { return desktop.GetClientRect(window).bottom; }

void FakeForm::resizeClient(std::int32_t width, std::int32_t height) {
    desktop.ResizeWindow(window, width, height);
}

std::optional<float> FakeForm::Get(Member m) const {
    const RECT r = desktop.GetClientRect(window);
    switch (m) {
        case Member::Left:
        case Member::Top:
            return 0.0f;
        case Member::Width:
            return static_cast<float>((r.right + desktop.FrameWidth(window)) *
                                      desktop.twipsPerPixelX);
        case Member::Height:
            return static_cast<float>((r.bottom + desktop.FrameHeight(window)) *
                                      desktop.twipsPerPixelY);
        default:
            return std::nullopt;
    }
}

bool FakeForm::Set(Member m, float value) {
    if (sizeFails || value < 0) return false;
    const RECT r = desktop.GetClientRect(window);
    if (m == Member::Width) {
        const auto outer = static_cast<std::int32_t>(roundHalfEven(value / desktop.twipsPerPixelX));
        desktop.ResizeWindow(window, std::max(0, outer - desktop.FrameWidth(window)), r.bottom);
        return true;
    }
    if (m == Member::Height) {
        const auto outer = static_cast<std::int32_t>(roundHalfEven(value / desktop.twipsPerPixelY));
        desktop.ResizeWindow(window, r.right, std::max(0, outer - desktop.FrameHeight(window)));
        return true;
    }
    return false;
}

std::int32_t FakeForm::Count() { return static_cast<std::int32_t>(controls.size()) + 1; }

ObjectRef FakeForm::Item(std::int32_t position) {
    if (unfetchable.count(position) > 0) return nullptr;
    if (position == 0) return ObjectRef(shared_from_this(), this);
    if (position < 0 || position > static_cast<std::int32_t>(controls.size())) return nullptr;
    return controls[static_cast<std::size_t>(position - 1)];
}

}  // namespace host::model
