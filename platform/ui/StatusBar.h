#pragma once
// A status bar of text panels numbered from 1; the last one takes the width
// left over.
#include <QStatusBar>
#include <vector>

class QLabel;

namespace ui {

class StatusBar : public QStatusBar {
public:
    explicit StatusBar(int panels = 1, QWidget* parent = nullptr);

    [[nodiscard]] int PanelCount() const { return static_cast<int>(panels_.size()); }
    // These throw ControlError for a panel outside 1 to PanelCount().
    [[nodiscard]] QString PanelText(int panel) const;
    void PanelText(int panel, const QString& text);

private:
    [[nodiscard]] QLabel* panel(int number) const;

    std::vector<QLabel*> panels_;
};

}  // namespace ui
