#pragma once
// QAnchor as a widget, for forms built in code, from Designer's .ui files, and
// in Designer itself. Create it on the form (directly, or through
// bollard2::CreateObject("Bollard2.QAnchor")), set its anchor list and limits,
// switch it on with setEnabled(true), and call ContainerResized() after moving
// a container by program; it does the rest from the form's messages.
//
// The saved properties are the widget's properties, so that Designer writes
// them into the form's .ui and uic-generated code sets them back: "Enabled",
// the four limits, "Anchor" (the anchor list), "FirstHeight" and "FirstWidth".
// A widget with a parent is sited at once: it subclasses its form's window and
// every later property set is the control's own (a run-time Enabled switched
// on re-takes the design size, a limit is enforced). A widget made for a
// designer (the second constructor) waits for the event loop, so that the
// form's saved values arrive first and are taken as saved.
//
// Carriage returns do not survive a .ui file (uic drops them), so the saved
// "Anchor" property writes each of the list's carriage returns as a line
// feed, and takes line feeds back as carriage returns; the control itself
// keeps the list with carriage returns (control().anchorList()).
//
// A control made at run time takes the form's client size at that moment as
// its design size, until its saved form or the program sets one.
//
// Taken off its form it lets the form go; put on a form again it sites itself
// afresh with the values it had.
//
// It shows its icon in the designer and hides itself at run time.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "anchor/QAnchor.h"
#include "host/qt/ControlWidget.h"

namespace subclass {
class frmabout;
}

namespace anchor {

class QAnchorWidget : public host::qt::ControlWidget {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int MinFormHeight READ MinFormHeight WRITE setMinFormHeight)
    Q_PROPERTY(int MaxFormHeight READ MaxFormHeight WRITE setMaxFormHeight)
    Q_PROPERTY(int MinFormWidth READ MinFormWidth WRITE setMinFormWidth)
    Q_PROPERTY(int MaxFormWidth READ MaxFormWidth WRITE setMaxFormWidth)
    Q_PROPERTY(QString Anchor READ Anchor WRITE setAnchor DESIGNABLE false)
    Q_PROPERTY(double FirstHeight READ savedFirstHeight WRITE setFirstHeight DESIGNABLE false)
    Q_PROPERTY(double FirstWidth READ savedFirstWidth WRITE setFirstWidth DESIGNABLE false)
    Q_PROPERTY(QString Anchorit READ Anchorit WRITE setAnchorit DESIGNABLE false STORED false)

public:
    explicit QAnchorWidget(QWidget* parent = nullptr);
    // For a designer: `makeSite` gives the control its site; siting waits for
    // the event loop.
    QAnchorWidget(QWidget* parent, const SiteFactory& makeSite);
    ~QAnchorWidget() override;

    // ---- the control's interface ----
    void About();
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
    // The design size in client pixels (rounded, halves to even).
    [[nodiscard]] int FirstHeight() const;
    [[nodiscard]] int FirstWidth() const;
    void setFirstHeight(double value);
    void setFirstWidth(double value);
    [[nodiscard]] QString Anchorit();
    void setAnchorit(const QString& value);
    // Sets (or adds) `control`'s anchor flags, records it and lays the form out.
    void AnchorControl(QWidget* control, bool AnchorLeft, bool AnchorTop, bool AnchorRight,
                       bool AnchorBottom);
    void ContainerResized();

    // ---- saved properties ----
    // The anchor list as saved: one entry per control, key, line feed, four
    // flags, line feed.
    [[nodiscard]] QString Anchor() const;
    void setAnchor(const QString& value);
    [[nodiscard]] double savedFirstHeight() const;
    [[nodiscard]] double savedFirstWidth() const;

    [[nodiscard]] QAnchor& control() { return *core_; }

signals:
    void AfterResize(float XScale, float YScale);

protected:
    void initProperties() override;
    void readProperties(host::PropertyBag& saved) override;
    void release(host::PropertyBag& saved) override;
    // In client pixels.
    [[nodiscard]] host::Value designLength(int pixels) const override;

private:
    void makeCore();
    void dropCore();

    std::shared_ptr<QAnchor> core_;
    QPointer<subclass::frmabout> about_;
};

// The module of the library's controls (library name "Bollard2").
[[nodiscard]] subclass::MSubclass& module();

}  // namespace anchor
