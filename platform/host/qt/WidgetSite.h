#pragma once
// host::Site for a control that is a Qt widget on a form.
//
// - The form is the control's window (a designer puts its own form in place).
// - The form's controls (position 0 the form) are its descendant widgets that
//   have an objectName not starting with "qt_", in depth-first order of the
//   widget tree; the walk goes into containers (plain widgets and frames, group
//   boxes, stacked, tab, scroll, splitter and tool-box widgets, and widgets of
//   the project that say so) and into unnamed widgets, never into the inside of
//   other controls or into separate windows. The list is taken afresh whenever
//   the count is asked for.
// - A changed property asks the form's window for its size limits again.
// - Yielding lets pending events run once a pass has run 15 ms since it began
//   or last yielded (calls less than 5 ms apart are one pass), so that a long
//   pass keeps the window alive without paying for it on every record.
// - Message boxes go through the modal hook (Modal.h).
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "host/Site.h"

namespace host::qt {

class WidgetSite;

class FormControls : public ControlCollection {
public:
    explicit FormControls(WidgetSite& site) : site_(site) {}

    [[nodiscard]] std::int32_t Count() override;
    [[nodiscard]] ObjectRef Item(std::int32_t position) override;

    // The controls of `form`, in collection order (position 1 first).
    [[nodiscard]] static std::vector<QWidget*> controlsOf(QWidget* form);

private:
    void refresh();
    WidgetSite& site_;
    std::vector<QPointer<QWidget>> widgets_;
    QPointer<QWidget> form_;
    bool taken_ = false;
};

class WidgetSite : public Site {
public:
    explicit WidgetSite(QWidget* control);

    [[nodiscard]] QWidget* control() const { return control_; }
    // The form the control sits on; nothing while it has no parent.
    [[nodiscard]] virtual QWidget* formWidget() const;
    // Runs once the control has attached to its form.
    virtual void Sited() {}

    [[nodiscard]] WindowSystem& Windows() override;
    [[nodiscard]] ControlCollection& ParentControls() override { return controls_; }
    [[nodiscard]] ObjectRef Parent() override;
    [[nodiscard]] Hwnd ContainerHwnd() override;
    [[nodiscard]] bool UserMode() override { return true; }
    void PropertyChanged(const std::string& name) override;
    [[nodiscard]] float TwipsPerPixelX() override;
    [[nodiscard]] float TwipsPerPixelY() override;
    void DoEvents() override;
    std::int32_t MsgBox(const std::string& text, std::int32_t style,
                        const std::string& title) override;

protected:
    QPointer<QWidget> control_;

private:
    FormControls controls_{*this};
    QPointer<QWidget> parentWidget_;
    ObjectRef parentObject_;
    QElapsedTimer clock_;
    qint64 lastCall_ = -1000;
    qint64 sliceStart_ = 0;
};

}  // namespace host::qt
