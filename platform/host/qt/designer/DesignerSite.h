#pragma once
// The site of a control placed on a form in Qt Designer: the designer's form is
// the control's form, the ambient user mode is False while the control sits on a
// form being edited (a preview runs it as at run time), and a changed property
// marks the control's saved property changed and the form modified, so that
// Designer writes it into the .ui. The end of an interactive resize of the
// form (the mouse released after the form was resized) reaches the form's
// window as WM_EXITSIZEMOVE; a size typed into the property editor does not.
#include <map>
#include <string>

#include "host/qt/WidgetSite.h"

class QDesignerFormWindowInterface;

namespace host::qt {

// Sends WM_EXITSIZEMOVE to `form`'s window when a resize of it made while a
// mouse button was down ends with the button's release. Once per form.
void watchResizeEnd(QWidget* form);

class DesignerSite : public WidgetSite {
public:
    // `aliases` maps a reported name that is not a saved property to the saved
    // property it changes.
    explicit DesignerSite(QWidget* control, std::map<std::string, std::string> aliases = {});

    [[nodiscard]] QWidget* formWidget() const override;
    void Sited() override;
    [[nodiscard]] bool UserMode() override;
    void PropertyChanged(const std::string& name) override;

    [[nodiscard]] QDesignerFormWindowInterface* formWindow() const;

private:
    std::map<std::string, std::string> aliases_;
};

}  // namespace host::qt
