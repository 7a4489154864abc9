#pragma once
// Image lists: numbered pictures of one size, as the grids and windows name
// them (positions from 0, -1 none). The program's lists are built once, on
// first use, from its own glyphs; a QGuiApplication must exist by then.
//
//   "MGridImg"  the results grid: 0/1 collapsed/expanded glyph, 2-5 the
//               difference codes (code + 2), 6 no, 7 yes, 8 partly selected,
//               9-13 tables, procedures, views, users, groups.
//   "DGridImg"  the detail grid: 0-8 as above, 9 columns and parameters,
//               10 keys, 11 indexes.
//   "FrmImg"    the detail window's icon per kind: 0 table, 1 procedure, 2 view.
//
// The reports print the same pictures from numbered bitmap files, named by
// position + 1 (reportImageFolders()).
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringView>
#include <vector>

#include "ui/ImageLookup.h"
#include "ui/images/Glyphs.h"

namespace ui {

class ImageList {
public:
    ImageList(QString name, std::vector<Glyph> glyphs);

    [[nodiscard]] const QString& name() const { return name_; }
    [[nodiscard]] int Count() const { return static_cast<int>(glyphs_.size()); }
    [[nodiscard]] int IconWidth() const { return kGlyphSize; }
    [[nodiscard]] int IconHeight() const { return kGlyphSize; }
    [[nodiscard]] Glyph glyph(int position) const {
        return glyphs_.at(static_cast<size_t>(position));
    }
    [[nodiscard]] bool contains(int position) const { return position >= 0 && position < Count(); }

    // The picture at a position; a null pixmap for a position outside the list.
    // A ratio above 1 gives the high-density picture of the same logical size.
    [[nodiscard]] QPixmap pixmap(int position, qreal devicePixelRatio = 1) const;
    // The picture at both densities; a null icon outside the list.
    [[nodiscard]] QIcon icon(int position) const;

private:
    QString name_;
    std::vector<Glyph> glyphs_;
    std::vector<QPixmap> normal_;
    std::vector<QPixmap> dense_;
};

// The glyphs of a named list, in its order; empty for an unknown name.
[[nodiscard]] std::vector<Glyph> imageListGlyphs(QStringView name);

[[nodiscard]] const ImageList& mainGridImages();     // "MGridImg"
[[nodiscard]] const ImageList& detailGridImages();   // "DGridImg"
[[nodiscard]] const ImageList& detailWindowIcons();  // "FrmImg"
// A list by its name, or null.
[[nodiscard]] const ImageList* imageListByName(QStringView name);
// The picture at a position of a named list (what a report draws when its
// bitmap file is missing); a null pixmap for an unknown list or position.
[[nodiscard]] QPixmap imageListPixmap(QStringView list, int position);
// The program's lists as a report's fallback pictures (imageListPixmap).
[[nodiscard]] const ImageLookup& programImages();

// A glyph as a picture of both densities (toolbar buttons, window icons).
[[nodiscard]] QIcon glyphIcon(Glyph glyph);

// The report bitmap folders beside the program and the list each holds.
struct ReportImageFolder {
    const char* folder;
    const char* list;
};
inline constexpr ReportImageFolder kReportImageFolders[] = {
    {"Main Images", "MGridImg"},
    {"Detail Images", "DGridImg"},
};

}  // namespace ui
