#pragma once
// Fake forms and controls for tests of the layout controls: a form with its
// collection of controls (position 0 the form), plain controls, control array
// members, containers with windows of their own, lines, tab strips and data
// controls. Every member can be made unreadable or failing; geometry set on a
// control can be rounded as a real container rounds it.
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/Object.h"
#include "host/model/Desktop.h"

namespace host::model {

class FakeControl : public Object {
public:
    explicit FakeControl(std::string controlName, std::string controlType = "CommandButton");

    std::string typeName;
    std::optional<std::string> name;
    std::optional<std::int32_t> index;   // set for control array members
    std::optional<bool> visible = true;  // nothing: Visible cannot be read
    float left = 0, top = 0, width = 0, height = 0;
    std::optional<float> fontSize;
    std::weak_ptr<Object> container;
    // A container's own window; its client size follows Width and Height.
    std::optional<Hwnd> window;
    std::optional<std::int32_t> scaleMode;  // nothing: ScaleMode cannot be read
    Desktop* desktop = nullptr;

    std::set<Member> unreadable;  // reads fail
    std::set<Member> unsettable;  // sets fail
    bool moveFails = false;
    bool containerUnreadable = false;
    // Positions and sizes set are rounded to multiples of this (0: not rounded).
    float grid = 0;

    int moves = 0;             // successful Move calls
    std::vector<Member> sets;  // successful single sets, in order

    [[nodiscard]] std::string TypeName() const override { return typeName; }
    [[nodiscard]] std::optional<std::string> Name() const override { return name; }
    [[nodiscard]] std::optional<std::int32_t> Index() const override { return index; }
    [[nodiscard]] std::optional<bool> Visible() const override { return visible; }
    [[nodiscard]] std::optional<float> Get(Member m) const override;
    bool Set(Member m, float value) override;
    bool Move(float l, float t, float w, float h) override;
    [[nodiscard]] ObjectRef Container() const override;
    [[nodiscard]] std::optional<Hwnd> hwnd() const override { return window; }
    [[nodiscard]] std::optional<std::int32_t> ScaleMode() const override { return scaleMode; }

protected:
    [[nodiscard]] float snap(float value) const;
    void syncWindow();
};

// A line: end points X1, Y1, X2, Y2; no Left, Top, Width, Height and no Move.
class FakeLine : public FakeControl {
public:
    explicit FakeLine(std::string controlName);

    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;

    [[nodiscard]] std::optional<float> Get(Member m) const override;
    bool Set(Member m, float value) override;
    bool Move(float, float, float, float) override { return false; }
};

// A tab strip ("SSTab"): the controls of its hidden pages stand 75000 twips to
// the left of their place on the visible page.
class FakeTabStrip : public FakeControl {
public:
    explicit FakeTabStrip(std::string controlName);

    std::int32_t tabs = 3;
    std::int32_t tabsPerRow = 3;
    std::int32_t tabOrientation = 0;
    float tabHeight = 300;
    // The controls of each page.
    std::vector<std::vector<std::weak_ptr<FakeControl>>> pages;
    std::int32_t currentTab = 0;

    // Shows page `tab`: the controls of every other page move out of sight.
    void ShowTab(std::int32_t tab);

    [[nodiscard]] std::optional<float> Get(Member m) const override;
    [[nodiscard]] std::optional<std::int32_t> Tabs() const override { return tabs; }
    [[nodiscard]] std::optional<std::int32_t> TabsPerRow() const override { return tabsPerRow; }
    [[nodiscard]] std::optional<std::int32_t> TabOrientation() const override {
        return tabOrientation;
    }
};

// A form: its outer Height and Width are twips; setting them resizes its window
// (which sends the window's messages). It is also its own control collection.
class FakeForm : public Object,
                 public ControlCollection,
                 public std::enable_shared_from_this<FakeForm> {
public:
    FakeForm(Desktop& desktop, std::int32_t clientWidth, std::int32_t clientHeight);
    ~FakeForm() override;

    Desktop& desktop;
    Hwnd window;
    std::string name = "Form1";
    std::vector<ObjectRef> controls;     // positions 1 to Count() - 1
    std::set<std::int32_t> unfetchable;  // positions whose Item fails
    bool sizeFails = false;              // setting Height or Width fails
    std::optional<std::int32_t> scaleMode = kScaleTwips;

    // A control placed directly on the form (or in `container`), appended to the
    // collection.
    template <typename T = FakeControl>
    std::shared_ptr<T> add(std::string controlName, float l, float t, float w, float h,
                           const ObjectRef& container = nullptr) {
        auto c = std::make_shared<T>(std::move(controlName));
        place(*c, l, t, w, h, container);
        controls.push_back(c);
        return c;
    }
    std::shared_ptr<FakeLine> addLine(std::string controlName, float x1, float y1, float x2,
                                      float y2, const ObjectRef& container = nullptr);
    // Gives a control a window of its own, so that it can hold others.
    void makeContainer(FakeControl& control, std::optional<std::int32_t> scale = kScaleTwips);
    // Removes a control from the collection (the positions behind it move down).
    void remove(const ObjectRef& control);

    [[nodiscard]] std::int32_t clientWidth() const;
    [[nodiscard]] std::int32_t clientHeight() const;
    // Resizes the client area in pixels, sending the window's messages.
    void resizeClient(std::int32_t width, std::int32_t height);

    // Object
    [[nodiscard]] std::string TypeName() const override { return "Form"; }
    [[nodiscard]] bool IsForm() const override { return true; }
    [[nodiscard]] std::optional<std::string> Name() const override { return name; }
    [[nodiscard]] std::optional<bool> Visible() const override { return true; }
    [[nodiscard]] std::optional<float> Get(Member m) const override;
    bool Set(Member m, float value) override;
    [[nodiscard]] std::optional<Hwnd> hwnd() const override { return window; }
    [[nodiscard]] std::optional<std::int32_t> ScaleMode() const override { return scaleMode; }

    // ControlCollection
    [[nodiscard]] std::int32_t Count() override;
    [[nodiscard]] ObjectRef Item(std::int32_t position) override;

private:
    void place(FakeControl& c, float l, float t, float w, float h, const ObjectRef& container);
};

}  // namespace host::model
