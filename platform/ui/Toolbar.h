#pragma once
// A toolbar of buttons numbered from 1 in the order added; separators take a
// number too. Each button has a key text, a tooltip, a 16 x 16 picture and a
// checked state. A click never changes the checked state by itself: it raises
// ButtonClick(number, key), and only code (the handler) checks or unchecks.
// Each button is a stop of the window's Tab chain and Space presses it; a
// mouse click leaves the focus where it was.
#include <QString>
#include <QToolBar>
#include <vector>

#include "ui/Event.h"

class QToolButton;

namespace ui {

class Toolbar : public QToolBar {
public:
    explicit Toolbar(QWidget* parent = nullptr);

    // Appends a button and returns its number.
    int AddButton(const QString& key, const QString& toolTip, const QIcon& picture,
                  bool checked = false);
    // Appends a separator and returns its number.
    int AddSeparator();

    [[nodiscard]] int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    // These throw ControlError for a number outside 1 to ButtonCount().
    [[nodiscard]] const QString& ButtonKey(int button) const;
    [[nodiscard]] bool ButtonChecked(int button) const;
    void ButtonChecked(int button, bool checked);
    // The widget of a button, or null for a separator.
    [[nodiscard]] QToolButton* buttonWidget(int button) const;

    Event<int, const QString&> ButtonClick;

private:
    struct Entry {
        QString key;
        QToolButton* widget = nullptr;  // null: a separator
        bool checked = false;
    };
    [[nodiscard]] const Entry& entry(int button) const;

    std::vector<Entry> buttons_;
};

}  // namespace ui
