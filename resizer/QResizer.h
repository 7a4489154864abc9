#pragma once
// QResizer: moves and sizes every control of its host form in proportion to
// its container's client size, optionally scaling fonts too, and keeps the form
// between a minimum and a maximum size. It takes over the form's window
// messages through MSubclass; in the designer it only follows the form's size
// unless WorkAtDesignTime is set.
//
// This class holds every rule and no Qt: the host is a host::Site (a Qt widget
// site in the programs and in Designer, a fake one in tests). It must be owned
// by a shared pointer before it attaches (InitProperties or ReadProperties),
// and Terminate must run before it goes.
//
// Units: every size it keeps is twips. FirstHeight and FirstWidth are the
// form's client size the controls' saved geometry belongs to; the four limits
// are the form's outer size, 0 meaning none. Control geometry is in each
// container's units; container sizes are twips, so the ratios have no unit.
//
// Each control has one record, matched to it by its position in the form's
// collection and by the control itself: a table that no longer fits the
// collection (a control added, removed or replaced) is brought in step before
// a pass, and a position that holds another control than the one recorded
// there is never given that record's geometry.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/FormLimits.h"
#include "host/Site.h"
#include "subclass/ISubclass.h"
#include "subclass/MSubclass.h"

namespace resizer {

// One control's record. Geometry in its container's units, with the
// hidden-tab offset taken out; a line keeps X1, Y1, Y2, X2 in the Left, Top,
// Height, Width slots. Container sizes in twips.
struct ResizeType {
    float FirstLeft = 0, FirstTop = 0, FirstHeight = 0, FirstWidth = 0;
    float FirstFont = 0;
    float LastLeft = 0, LastTop = 0, LastHeight = 0, LastWidth = 0;
    float LastFont = 0;
    host::Hwnd ContainerHwnd = 0;
    float ContainerLastHeight = 0, ContainerLastWidth = 0;
    float ContainerFirstHeight = 0, ContainerFirstWidth = 0;
    // "Line", "SSTab", "Std", "Shape", "None"; empty in a slot never recorded.
    std::string Type;
    // The control the record was taken from.
    std::weak_ptr<host::Object> Control;
};

// The new geometry of a control on a tab strip (a line's X1, Y1, Y2, X2).
struct TabbedGeometry {
    float TabbedLeft = 0, TabbedTop = 0, TabbedHeight = 0, TabbedWidth = 0;
};

class QResizer : public subclass::ISubclass {
public:
    // The site and the module must outlive the control.
    QResizer(host::Site& site, subclass::MSubclass& module);
    // A control that keeps its site alive as long as it lives itself.
    QResizer(std::shared_ptr<host::Site> site, subclass::MSubclass& module);
    ~QResizer() override;

    // ---- life ----
    // A new control placed on a form: defaults, the form's client size as the
    // design size, attach. The set-up waits for the form's first position
    // message. Attach errors (host::Error) reach the caller.
    void InitProperties();
    // A control loaded with its form: the saved values straight into the
    // fields (no rule applies), the design size as the form's size taken
    // until the first pass measures it, then attach.
    void ReadProperties(host::PropertyBag& bag);
    void WriteProperties(host::PropertyBag& bag) const;
    // Detaches from the form's window; never raises.
    void Terminate() noexcept;

    // ---- the control's interface ----
    void About();
    [[nodiscard]] std::int32_t FirstHeight() const { return firstHeight_; }
    void setFirstHeight(std::int32_t value);
    [[nodiscard]] std::int32_t FirstWidth() const { return firstWidth_; }
    void setFirstWidth(std::int32_t value);
    [[nodiscard]] bool ResizeFont() const { return resizeFont_; }
    void setResizeFont(bool value);
    // True makes the control work in the designer too, and switches Enabled
    // and SmartDetect on.
    [[nodiscard]] bool WorkAtDesignTime() const { return workAtDesignTime_; }
    void setWorkAtDesignTime(bool value);
    // Refused (with a message box) in the designer while WorkAtDesignTime is set.
    [[nodiscard]] bool SmartDetect() const { return smartDetect_; }
    void setSmartDetect(bool value);
    // Switched on, the form's present size becomes the design size and every
    // control's present geometry the geometry that belongs to it.
    [[nodiscard]] bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    // A negative limit is stored as 0; setting one keeps the form within the
    // limits at once (errors of that reach the caller).
    [[nodiscard]] std::int32_t MinFormHeight() const { return minFormHeight_; }
    void setMinFormHeight(std::int32_t value);
    [[nodiscard]] std::int32_t MaxFormHeight() const { return maxFormHeight_; }
    void setMaxFormHeight(std::int32_t value);
    [[nodiscard]] std::int32_t MinFormWidth() const { return minFormWidth_; }
    void setMinFormWidth(std::int32_t value);
    [[nodiscard]] std::int32_t MaxFormWidth() const { return maxFormWidth_; }
    void setMaxFormWidth(std::int32_t value);
    // For a program that moved or sized controls or containers itself: the
    // moved ones take their present geometry as their base (unless SmartDetect
    // does that on every size change anyway), then the size-change handling.
    void ContainerResized();

    // ---- events ----
    // Before each control is moved: the handler may change the proposed
    // values (a line's X1, Y1, Y2, X2), set Ignore to leave the control where
    // it is, or put another control in Control to move that one instead.
    std::function<void(host::ObjectRef& Control, float& NewLeft, float& NewTop, float& NewHeight,
                       float& NewWidth, float& NewFontSize, bool& Ignore)>
        BeforeResizeControl;
    // After each pass when the design size is known: client size / design size.
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
    // Slots 0 to the recorded count - 1; slot 0 (the form) is never filled.
    [[nodiscard]] const std::vector<ResizeType>& ResizeTable() const { return table_; }
    [[nodiscard]] std::int32_t recordedCount() const { return recordedCount_; }
    [[nodiscard]] bool busy() const { return busy_; }
    [[nodiscard]] bool initialised() const { return initialised_; }
    [[nodiscard]] std::int32_t currentClientHeight() const { return currentClientHeight_; }
    [[nodiscard]] std::int32_t currentClientWidth() const { return currentClientWidth_; }
    [[nodiscard]] host::Hwnd formHwnd() const { return formHwnd_; }
    [[nodiscard]] const host::ObjectRef& currentControl() const { return currentControl_; }
    // The last tab-strip computation's results (they outlast the call).
    [[nodiscard]] const TabbedGeometry& tabbed() const { return tabbed_; }
    [[nodiscard]] host::Site& site() const { return site_; }

    // The saved properties' names, in the order they are read and written.
    static const std::vector<std::string>& savedPropertyNames();
    static constexpr const char* kTitle = "Orvel! Resizer Control";
    static constexpr const char* kSmartDetectRefused =
        "You can't set 'SmartDetect' to False when you're at Design-Time and "
        "'WorkAtDesignTime' is set to True.";

private:
    [[nodiscard]] bool active();
    void attach();
    void firstTimeSetUp();
    void retake();
    [[nodiscard]] host::FormLimits limits() const {
        return {minFormHeight_, maxFormHeight_, minFormWidth_, maxFormWidth_};
    }
    void ApplyFormLimits();
    [[nodiscard]] host::ObjectRef fetch(std::int32_t position);

    // Records and change detection.
    void RecordControls(bool Force);
    void RecordControl(std::int32_t Index, bool Force);
    [[nodiscard]] bool changedSinceRecorded(const host::Object& c, const ResizeType& r) const;
    [[nodiscard]] double ClientHeightTwips(host::Hwnd hwnd) const;
    [[nodiscard]] double ClientWidthTwips(host::Hwnd hwnd) const;
    // Whether every record still belongs to the control at its position.
    [[nodiscard]] bool tableInStep();
    // Rebuilds the table for the collection as it is: each control keeps the
    // record taken of it, one not recorded yet is recorded where it stands.
    void bringTableInStep();

    // The resize pass.
    void ResizeAll();
    void ResizeControl(std::int32_t i);
    // Fills tabbed_ for the current control on a tab strip; false when it
    // could not (the results it did not reach keep their old values).
    bool ComputeTabbedGeometry(const ResizeType& r);

    std::shared_ptr<host::Site> siteOwner_;
    host::Site& site_;
    subclass::MSubclass& module_;

    host::Hwnd formHwnd_ = 0;
    std::vector<ResizeType> table_;
    std::int32_t recordedCount_ = 0;
    bool busy_ = false;
    std::int32_t currentClientHeight_ = 0;
    std::int32_t currentClientWidth_ = 0;
    std::int32_t firstHeight_ = 0;
    std::int32_t firstWidth_ = 0;
    bool resizeFont_ = true;
    bool enabled_ = true;
    std::int32_t maxFormHeight_ = 0;
    std::int32_t maxFormWidth_ = 0;
    std::int32_t minFormHeight_ = 0;
    std::int32_t minFormWidth_ = 0;
    bool workAtDesignTime_ = false;
    bool smartDetect_ = false;
    bool initialised_ = false;
    TabbedGeometry tabbed_;
    host::ObjectRef currentControl_;
    // Counts full recordings, so that a pass interrupted by one (it yields)
    // never writes into records made after it began.
    std::uint64_t generation_ = 0;
    bool attached_ = false;
};

}  // namespace resizer
