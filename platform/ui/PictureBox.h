#pragma once
// A picture box: a container for other controls that may also show a
// picture, drawn at its top-left corner at its own size (not stretched).
// ScaleWidth and ScaleHeight are its inner size in twips, inside the border.
#include <QFrame>
#include <QPixmap>

namespace ui {

class PictureBox : public QFrame {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    [[nodiscard]] const QPixmap& Picture() const { return picture_; }
    // A null pixmap clears the picture.
    void Picture(const QPixmap& picture);
    // False: no border.
    void BorderStyle(bool border);

    [[nodiscard]] int ScaleWidth() const;
    [[nodiscard]] int ScaleHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace ui
