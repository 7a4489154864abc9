#pragma once
// A frame: a captioned box that holds other controls.
#include <QGroupBox>

namespace ui {

class Frame : public QGroupBox {
public:
    explicit Frame(const QString& caption = {}, QWidget* parent = nullptr)
        : QGroupBox(caption, parent) {}

    [[nodiscard]] QString Caption() const { return title(); }
    void Caption(const QString& caption) { setTitle(caption); }
};

}  // namespace ui
