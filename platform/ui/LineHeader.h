#pragma once
// A header line: a bold caption followed by an etched rule to the right edge,
// marking the start of an area.
#include <QWidget>

namespace ui {

class LineHeader : public QWidget {
public:
    explicit LineHeader(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] const QString& Caption() const { return caption_; }
    void Caption(const QString& caption);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QFont captionFont() const;

    QString caption_;
};

}  // namespace ui
