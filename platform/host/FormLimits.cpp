#include "host/FormLimits.h"

#include "host/Error.h"
#include "host/Scale.h"

namespace host {

Hwnd formWindow(Site& site) {
    const ObjectRef parent = site.Parent();
    if (parent && parent->IsForm()) return parent->hwnd().value_or(0);
    return site.ContainerHwnd();
}

void limitTracking(const FormLimits& limits, Site& site, MINMAXINFO& info) {
    if (limits.maxWidth > 0) info.ptMaxTrackSize.x = CLng(limits.maxWidth / site.TwipsPerPixelX());
    if (limits.maxHeight > 0)
        info.ptMaxTrackSize.y = CLng(limits.maxHeight / site.TwipsPerPixelY());
}

void clampSizing(const FormLimits& limits, Site& site, RECT& rect) {
    const double tx = site.TwipsPerPixelX();
    const double ty = site.TwipsPerPixelY();
    std::int32_t w = rect.right - rect.left;
    std::int32_t h = rect.bottom - rect.top;
    if (limits.minWidth > 0 && w * tx < limits.minWidth) w = CLng(limits.minWidth / tx);
    if (limits.minHeight > 0 && h * ty < limits.minHeight) h = CLng(limits.minHeight / ty);
    if (limits.maxWidth > 0 && w * tx > limits.maxWidth) w = CLng(limits.maxWidth / tx);
    if (limits.maxHeight > 0 && h * ty > limits.maxHeight) h = CLng(limits.maxHeight / ty);
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
}

void enforceLimits(const FormLimits& limits, Object& form) {
    auto outer = [&](Member m) {
        const auto v = form.Get(m);
        if (!v) throw Error(err::NotSupported);
        return *v;
    };
    auto setOuter = [&](Member m, std::int32_t value) {
        if (!form.Set(m, static_cast<float>(value))) throw Error(err::InvalidPropertyValue);
    };
    if (limits.maxHeight > 0 && outer(Member::Height) > limits.maxHeight)
        setOuter(Member::Height, limits.maxHeight);
    if (limits.minHeight > 0 && outer(Member::Height) < limits.minHeight)
        setOuter(Member::Height, limits.minHeight);
    if (limits.maxWidth > 0 && outer(Member::Width) > limits.maxWidth)
        setOuter(Member::Width, limits.maxWidth);
    if (limits.minWidth > 0 && outer(Member::Width) < limits.minWidth)
        setOuter(Member::Width, limits.minWidth);
}

}  // namespace host
