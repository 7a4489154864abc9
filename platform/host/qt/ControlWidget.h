#pragma once
// What a layout control's widget does on its form, whichever control it is:
// siting itself on the form (at once, or for a designer once the event loop
// runs, so that the form's saved values arrive first), keeping saved values set
// before it is sited, letting the form go when taken off it and siting itself
// afresh on the next one, showing its face in the designer and hiding itself
// at run time.
//
// The control's widget derives from it, makes its control in its constructor
// and then, for the first constructor, calls site(). What differs is the
// control itself: the widget attaches it, lets it go, and says how a design
// size is saved.
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "host/Site.h"

namespace host::qt {

class WidgetSite;

class ControlWidget : public QWidget {
public:
    using SiteFactory = std::function<std::unique_ptr<WidgetSite>(QWidget* control)>;
    // The control's picture at a size in pixels.
    using Face = QPixmap (*)(int size);

    [[nodiscard]] bool sited() const { return sited_; }
    // Sites the control now if it can (a parent and a form); done by itself
    // otherwise.
    void site();
    [[nodiscard]] WidgetSite& widgetSite() { return *site_; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    // `name` is the control's ("QAnchor"): its first object name is `name`
    // and "1", and the log names it. Sited at run time, on the site made here.
    ControlWidget(QWidget* parent, const char* name, Face face);
    // For a designer: `makeSite` gives the control its site; siting waits for
    // the event loop.
    ControlWidget(QWidget* parent, const char* name, Face face, const SiteFactory& makeSite);

    // ---- the control ----
    // Attaches it to the form from its defaults (placed new in a designer).
    virtual void initProperties() = 0;
    // Attaches it to the form from its saved values.
    virtual void readProperties(PropertyBag& saved) = 0;
    // Taken off its form: writes its saved values to `saved`, lets the form go
    // and puts a fresh control, not attached, in its place.
    virtual void release(PropertyBag& saved) = 0;
    // A saved design length ("FirstHeight", "FirstWidth") of `pixels`.
    [[nodiscard]] virtual Value designLength(int pixels) const = 0;

    // The site, for the control to hold.
    [[nodiscard]] const std::shared_ptr<WidgetSite>& sharedSite() const { return site_; }
    // A saved value set before the control is sited.
    [[nodiscard]] Value pending(const char* name, Value fallback) const;
    void keep(const char* name, Value value);
    // Runs a property set: it has no caller to tell of a failure but the log.
    void runLet(const char* what, const std::function<void()>& let);
    // A saved property of `control`: its own once sited, else the value kept.
    template <typename T, typename Control>
    [[nodiscard]] T saved(const char* name, T fallback, const Control& control,
                          T (Control::*get)() const) const {
        if (!sited_) return std::get<T>(pending(name, fallback));
        return (control.*get)();
    }
    // Sets it: on `control` once sited (a failure logged), else kept for the
    // siting.
    template <typename T, typename Control>
    void let(const char* name, T value, Control& control, void (Control::*set)(T)) {
        if (!sited_) {
            keep(name, value);
            return;
        }
        runLet(name, [&] { (control.*set)(value); });
    }

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void unsite();

    std::string name_;
    Face face_;
    std::shared_ptr<WidgetSite> site_;
    MemoryBag pending_;  // saved values set before the control is sited
    bool sited_ = false;
    bool deferred_ = false;
    QPointer<QWidget> sitedForm_;
};

}  // namespace host::qt
