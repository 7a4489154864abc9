#pragma once
// QAnchor: keeps every control of its host form at fixed distances from the
// edges of its container chosen for it, and keeps the form between a minimum
// and a maximum size. It takes over the form's window messages through
// MSubclass and works in the designer (user mode False) as at run time.
//
// This class holds every rule and no Qt: the host is a host::Site (a Qt widget
// site in the programs and in Designer, a fake one in tests). It must be owned
// by a shared pointer before it attaches (InitProperties or ReadProperties),
// and Terminate must run before it goes.
//
// Geometry: FirstHeight, FirstWidth and the form's current client size are
// client pixels; the four limits are twips of the form's outer size, 0 meaning
// none. Control geometry is in each container's scale units.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "anchor/AnchorList.h"
#include "host/FormLimits.h"
#include "host/Site.h"
#include "subclass/ISubclass.h"
#include "subclass/MSubclass.h"

namespace anchor {

// One control's anchor record. Geometry as on the visible tab page (the
// hidden-tab offset taken out); a line keeps X1, Y1, Y2 - Y1 and X2 - X1.
struct TAnchorEntry {
    std::string Key;
    std::int32_t ControlIndex = 0;  // position in the form's controls; 0 when none has the key
    std::string AnchorLeft;
    std::string AnchorTop;
    std::string AnchorRight;
    std::string AnchorBottom;
    float BaseLeft = 0, BaseTop = 0, BaseHeight = 0, BaseWidth = 0;
    float LastLeft = 0, LastTop = 0, LastHeight = 0, LastWidth = 0;
    host::Hwnd ContainerHwnd = 0;
    float ContainerHeight = 0, ContainerWidth = 0;
    float ContainerFirstHeight = 0, ContainerFirstWidth = 0;
};

class QAnchor : public subclass::ISubclass {
public:
    // The site and the module must outlive the control.
    QAnchor(host::Site& site, subclass::MSubclass& module);
    // A control that keeps its site alive as long as it lives itself.
    QAnchor(std::shared_ptr<host::Site> site, subclass::MSubclass& module);
    ~QAnchor() override;

    // ---- life ----
    // A new control placed on a form in the designer: defaults, the form's
    // client size as the design size, attach, and the first-time set-up at once.
    void InitProperties();
    // A control loaded with its form: the saved values straight into the fields,
    // the design size as the form's size held until the first layout pass, then
    // attach. Attach errors (host::Error) reach the caller.
    void ReadProperties(host::PropertyBag& bag);
    void WriteProperties(host::PropertyBag& bag) const;
    // Detaches from the form's window; never raises.
    void Terminate() noexcept;

    // ---- the control's interface ----
    void About();
    [[nodiscard]] std::int32_t FirstHeight() const;  // rounded, halves to even
    void setFirstHeight(std::int32_t value);
    [[nodiscard]] std::int32_t FirstWidth() const;
    void setFirstWidth(std::int32_t value);
    [[nodiscard]] bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    // Limits: a negative value is stored as 0; setting one keeps the form
    // within the limits at once (errors of that reach the caller).
    [[nodiscard]] std::int32_t MinFormHeight() const { return minFormHeight_; }
    void setMinFormHeight(std::int32_t value);
    [[nodiscard]] std::int32_t MaxFormHeight() const { return maxFormHeight_; }
    void setMaxFormHeight(std::int32_t value);
    [[nodiscard]] std::int32_t MinFormWidth() const { return minFormWidth_; }
    void setMinFormWidth(std::int32_t value);
    [[nodiscard]] std::int32_t MaxFormWidth() const { return maxFormWidth_; }
    void setMaxFormWidth(std::int32_t value);
    // The saved anchor list set as a form's saved data sets it (no change
    // report); once the records are made, they are made afresh from it.
    void setSavedAnchorList(std::string text);
    // The property browser's entry for the property page: reads "", takes nothing.
    [[nodiscard]] std::string Anchor() const { return {}; }
    void setAnchor(const std::string& /*value*/) {}
    // The property page's channel: at design time the anchor list brought in
    // step with the form's controls (or a default list when it is empty), and
    // a list written is parsed into the records at once; at run time "" and
    // writes are ignored.
    [[nodiscard]] std::string Anchorit();
    void setAnchorit(const std::string& value);
    // Sets (or adds) the control's record, records it and lays the form out.
    void AnchorControl(const host::ObjectRef& Control, bool AnchorLeft, bool AnchorTop,
                       bool AnchorRight, bool AnchorBottom);
    // The size-change handling, for a program that moved or resized a container
    // itself; does nothing until the control is enabled and set up.
    void ContainerResized();

    // Raised after every layout pass when the design size is known.
    std::function<void(float XScale, float YScale)> AfterResize;
    // Shows the about box (the host side's).
    std::function<void()> showAbout;

    // ---- ISubclass ----
    [[nodiscard]] subclass::EMsgResponse MsgResponse() const override {
        return subclass::emrPostProcess;
    }
    void setMsgResponse(subclass::EMsgResponse /*response*/) override {}
    host::LResult WindowProc(host::Hwnd hwnd, std::uint32_t iMsg, host::WParam wParam,
                             host::LParam lParam) override;

    // ---- state, for the host side and tests ----
    // Records at 1 to size() - 1 (slot 0 unused); empty until first parsed.
    [[nodiscard]] const std::vector<TAnchorEntry>& records() const { return records_; }
    [[nodiscard]] bool recordsDimensioned() const { return recordsDimensioned_; }
    [[nodiscard]] const std::string& anchorList() const { return anchorList_; }
    [[nodiscard]] float firstHeightSingle() const { return firstHeight_; }
    [[nodiscard]] float firstWidthSingle() const { return firstWidth_; }
    [[nodiscard]] float formHeight() const { return formHeight_; }
    [[nodiscard]] float formWidth() const { return formWidth_; }
    [[nodiscard]] host::Hwnd formHwnd() const { return formHwnd_; }
    [[nodiscard]] bool initialised() const { return initialised_; }
    [[nodiscard]] const host::ObjectRef& currentControl() const { return currentControl_; }
    [[nodiscard]] host::Site& site() const { return site_; }

    // The saved properties' names, in the order they are written.
    static const std::vector<std::string>& savedPropertyNames();

private:
    void attach();
    void firstTimeSetUp();
    void sizeChanged();
    [[nodiscard]] host::FormLimits limits() const {
        return {minFormHeight_, maxFormHeight_, minFormWidth_, maxFormWidth_};
    }
    void retakeDesignSize();
    [[nodiscard]] host::ObjectRef fetch(std::int32_t position);
    [[nodiscard]] std::size_t upperBound() const {
        return records_.empty() ? 0 : records_.size() - 1;
    }

    // Anchor list and records.
    void ParseAnchorList();
    void BuildAnchorList();
    void SyncAnchorList();
    void DefaultAnchorList();
    [[nodiscard]] std::string ControlKey(const host::ObjectRef& control) const;
    [[nodiscard]] std::int32_t FindControlIndex(const std::string& key);

    // Layout pass.
    void RecordPositions();
    void ResizeControls();
    void PlaceControl(std::size_t i);
    [[nodiscard]] float ClientHeight(host::Hwnd hwnd) const;
    [[nodiscard]] float ClientWidth(host::Hwnd hwnd) const;
    void EnforceFormLimits();

    std::shared_ptr<host::Site> siteOwner_;
    host::Site& site_;
    subclass::MSubclass& module_;

    std::int32_t maxFormHeight_ = 0;
    std::int32_t maxFormWidth_ = 0;
    std::int32_t minFormHeight_ = 0;
    std::int32_t minFormWidth_ = 0;
    float firstHeight_ = 0;
    float firstWidth_ = 0;
    float formHeight_ = 0;
    float formWidth_ = 0;
    bool enabled_ = true;
    bool initialised_ = false;
    std::string anchorList_;
    std::vector<TAnchorEntry> records_;
    bool recordsDimensioned_ = false;
    bool busy_ = false;
    host::ObjectRef currentControl_;
    host::Hwnd formHwnd_ = 0;
    bool attached_ = false;
};

}  // namespace anchor
