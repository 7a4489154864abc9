#pragma once
// Finding a picture of an image list by the list's name and the picture's
// index: what a report draws when a picture's bitmap file is missing. The
// windows' image lists answer it.
#include <QPixmap>
#include <QString>

namespace ui {

class ImageLookup {
public:
    virtual ~ImageLookup() = default;
    // Picture `index` (from 0) of the list named `list`; a null pixmap when
    // there is no such list or picture.
    [[nodiscard]] virtual QPixmap picture(const QString& list, int index) const = 0;
};

}  // namespace ui
