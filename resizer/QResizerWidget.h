#pragma once
// QResizer as a widget, for forms built in code, from Designer's .ui files,
// and in Designer itself. Create it on the form (directly, or through
// scalora2::CreateObject("Scalora2.QResizer")), give it the design size the
// form's controls were placed for and the limits; from the form's first show
// on it scales every control of the form, and its font, with the form. After
// moving or sizing controls by program call ContainerResized().
//
// The saved properties are the widget's properties, so that Designer writes
// them into the form's .ui and uic-generated code sets them back:
// "ResizeFont", "Enabled", the four limits, "FirstHeight", "FirstWidth",
// "WorkAtDesignTime" and "SmartDetect" (all twips where they are sizes). A
// widget with a parent is sited at once: it subclasses its form's window and
// every later property set is the control's own (a limit is enforced at once,
// Enabled switched on takes the form's present size as the design size). A
// widget made for a designer (the second constructor) waits for the event
// loop, so that the form's saved values arrive first and are taken as saved.
//
// A control made at run time takes the form's client size at that moment as
// its design size, until its saved form or the program sets one.
//
// Taken off its form it lets the form go; put on a form again it sites itself
// afresh with the values it had.
//
// It shows its icon in the designer and hides itself at run time.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "host/qt/ControlWidget.h"
#include "resizer/QResizer.h"

namespace subclass {
class frmabout;
}

namespace resizer {

class QResizerWidget : public host::qt::ControlWidget {
    Q_OBJECT
    Q_PROPERTY(bool ResizeFont READ ResizeFont WRITE setResizeFont)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int MinFormHeight READ MinFormHeight WRITE setMinFormHeight)
    Q_PROPERTY(int MaxFormHeight READ MaxFormHeight WRITE setMaxFormHeight)
    Q_PROPERTY(int MinFormWidth READ MinFormWidth WRITE setMinFormWidth)
    Q_PROPERTY(int MaxFormWidth READ MaxFormWidth WRITE setMaxFormWidth)
    Q_PROPERTY(int FirstHeight READ FirstHeight WRITE setFirstHeight DESIGNABLE false)
    Q_PROPERTY(int FirstWidth READ FirstWidth WRITE setFirstWidth DESIGNABLE false)
    Q_PROPERTY(bool WorkAtDesignTime READ WorkAtDesignTime WRITE setWorkAtDesignTime)
    Q_PROPERTY(bool SmartDetect READ SmartDetect WRITE setSmartDetect)

public:
    explicit QResizerWidget(QWidget* parent = nullptr);
    // For a designer: `makeSite` gives the control its site; siting waits for
    // the event loop.
    QResizerWidget(QWidget* parent, const SiteFactory& makeSite);
    ~QResizerWidget() override;

    // ---- the control's interface ----
    void About();
    [[nodiscard]] bool ResizeFont() const;
    void setResizeFont(bool value);
    [[nodiscard]] bool Enabled() const;
    // Hides QWidget::setEnabled: this is the control's switch, not the widget's.
    void setEnabled(bool value);
    [[nodiscard]] int MinFormHeight() const;
    void setMinFormHeight(int value);
    [[nodiscard]] int MaxFormHeight() const;
    void setMaxFormHeight(int value);
    [[nodiscard]] int MinFormWidth() const;
    void setMinFormWidth(int value);
    [[nodiscard]] int MaxFormWidth() const;
    void setMaxFormWidth(int value);
    // The design size: the form's client size in twips.
    [[nodiscard]] int FirstHeight() const;
    void setFirstHeight(int value);
    [[nodiscard]] int FirstWidth() const;
    void setFirstWidth(int value);
    [[nodiscard]] bool WorkAtDesignTime() const;
    void setWorkAtDesignTime(bool value);
    [[nodiscard]] bool SmartDetect() const;
    void setSmartDetect(bool value);
    void ContainerResized();

    [[nodiscard]] QResizer& control() { return *core_; }

signals:
    // Before each control is moved, with what it is about to get (twips of its
    // container; a line's X1, Y1, Y2, X2): a receiver connected directly may
    // change the values, set Ignore to leave the control where it is, or put
    // another widget in Control to move that one instead.
    void BeforeResizeControl(QWidget*& Control, float& NewLeft, float& NewTop, float& NewHeight,
                             float& NewWidth, float& NewFontSize, bool& Ignore);
    // After each pass: client size / design size.
    void AfterResize(float XScale, float YScale);

protected:
    void initProperties() override;
    void readProperties(host::PropertyBag& saved) override;
    void release(host::PropertyBag& saved) override;
    // In twips.
    [[nodiscard]] host::Value designLength(int pixels) const override;

private:
    void makeCore();
    void dropCore();

    std::shared_ptr<QResizer> core_;
    QPointer<subclass::frmabout> about_;
};

// The module of the library's controls (library name "Scalora2").
[[nodiscard]] subclass::MSubclass& module();

}  // namespace resizer
