#include "ui/images/ImageList.h"

using namespace Qt::StringLiterals;

namespace ui {

ImageList::ImageList(QString name, std::vector<Glyph> glyphs)
    : name_(std::move(name)), glyphs_(std::move(glyphs)) {
    normal_.reserve(glyphs_.size());
    dense_.reserve(glyphs_.size());
    for (Glyph g : glyphs_) {
        normal_.push_back(QPixmap::fromImage(glyphImage(g, 1)));
        QPixmap dense = QPixmap::fromImage(glyphImage(g, 2));
        dense.setDevicePixelRatio(2);
        dense_.push_back(std::move(dense));
    }
}

QPixmap ImageList::pixmap(int position, qreal devicePixelRatio) const {
    if (!contains(position)) return {};
    const auto i = static_cast<size_t>(position);
    return devicePixelRatio > 1 ? dense_[i] : normal_[i];
}

QIcon ImageList::icon(int position) const {
    if (!contains(position)) return {};
    QIcon icon;
    icon.addPixmap(normal_[static_cast<size_t>(position)]);
    icon.addPixmap(dense_[static_cast<size_t>(position)]);
    return icon;
}

std::vector<Glyph> imageListGlyphs(QStringView name) {
    using enum Glyph;
    if (name == u"MGridImg")
        return {Collapsed,    Expanded, Equal,    Different,   OnlyInDestination,
                OnlyInSource, CheckNo,  CheckYes, CheckPartly, Table,
                Procedure,    View,     User,     Group};
    if (name == u"DGridImg")
        return {Collapsed,         Expanded,     Equal,   Different,
                OnlyInDestination, OnlyInSource, CheckNo, CheckYes,
                CheckPartly,       ColumnList,   Key,     Index};
    if (name == u"FrmImg") return {TableWindow, Procedure, View};
    return {};
}

const ImageList& mainGridImages() {
    static const ImageList list(u"MGridImg"_s, imageListGlyphs(u"MGridImg"));
    return list;
}

const ImageList& detailGridImages() {
    static const ImageList list(u"DGridImg"_s, imageListGlyphs(u"DGridImg"));
    return list;
}

const ImageList& detailWindowIcons() {
    static const ImageList list(u"FrmImg"_s, imageListGlyphs(u"FrmImg"));
    return list;
}

const ImageList* imageListByName(QStringView name) {
    if (name == u"MGridImg") return &mainGridImages();
    if (name == u"DGridImg") return &detailGridImages();
    if (name == u"FrmImg") return &detailWindowIcons();
    return nullptr;
}

QPixmap imageListPixmap(QStringView list, int position) {
    const ImageList* images = imageListByName(list);
    return images ? images->pixmap(position) : QPixmap();
}

QIcon glyphIcon(Glyph glyph) {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(glyphImage(glyph, 1)));
    QPixmap dense = QPixmap::fromImage(glyphImage(glyph, 2));
    dense.setDevicePixelRatio(2);
    icon.addPixmap(dense);
    return icon;
}

namespace {
class ProgramImages final : public ImageLookup {
public:
    [[nodiscard]] QPixmap picture(const QString& list, int index) const override {
        return imageListPixmap(list, index);
    }
};
}  // namespace

const ImageLookup& programImages() {
    static const ProgramImages images;
    return images;
}

}  // namespace ui
