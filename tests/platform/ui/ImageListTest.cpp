#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <iostream>

#include "ui/images/ImageList.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

class ImageLists : public ::testing::Test {
protected:
    void SetUp() override { ui::testing::qtApplication(); }
};

TEST_F(ImageLists, EachListHasItsPicturesInItsOrder) {
    using G = ui::Glyph;
    struct Case {
        QString name;
        const ui::ImageList* list;
        std::vector<G> want;
    };
    const std::vector<G> common = {G::Collapsed, G::Expanded,          G::Equal,
                                   G::Different, G::OnlyInDestination, G::OnlyInSource,
                                   G::CheckNo,   G::CheckYes,          G::CheckPartly};
    auto with = [&](std::vector<G> more) {
        std::vector<G> all = common;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Case cases[] = {
        {u"MGridImg"_s, &ui::mainGridImages(),
         with({G::Table, G::Procedure, G::View, G::User, G::Group})},
        {u"DGridImg"_s, &ui::detailGridImages(), with({G::ColumnList, G::Key, G::Index})},
        {u"FrmImg"_s, &ui::detailWindowIcons(), {G::TableWindow, G::Procedure, G::View}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(ui::imageListByName(c.name), c.list) << c.name.toStdString();
        EXPECT_EQ(c.list->name(), c.name);
        ASSERT_EQ(c.list->Count(), static_cast<int>(c.want.size())) << c.name.toStdString();
        EXPECT_EQ(c.list->IconWidth(), 16);
        for (int i = 0; i < c.list->Count(); ++i) {
            EXPECT_EQ(c.list->glyph(i), c.want[static_cast<size_t>(i)])
                << c.name.toStdString() << " " << i;
            const QPixmap p = c.list->pixmap(i);
            EXPECT_EQ(p.size(), QSize(16, 16));
            const QPixmap dense = c.list->pixmap(i, 2);
            EXPECT_EQ(dense.size(), QSize(32, 32));
            EXPECT_EQ(dense.devicePixelRatio(), 2);
            EXPECT_FALSE(c.list->icon(i).isNull());
        }
        // Outside the list, and -1 for "no picture": nothing.
        for (int outside : {-1, c.list->Count()}) {
            EXPECT_TRUE(c.list->pixmap(outside).isNull());
            EXPECT_TRUE(c.list->icon(outside).isNull());
        }
    }
    EXPECT_EQ(ui::imageListByName(u"TBarImg"_s), nullptr);
    EXPECT_EQ(ui::imageListPixmap(u"DGridImg"_s, 5).toImage(),
              ui::detailGridImages().pixmap(5).toImage());
    EXPECT_TRUE(ui::imageListPixmap(u"DGridImg"_s, 12).isNull());
    EXPECT_TRUE(ui::imageListPixmap(u"TBarImg"_s, 0).isNull());
    EXPECT_TRUE(ui::imageListGlyphs(u"mgridimg"_s).empty());
}

TEST_F(ImageLists, EveryGlyphIsDrawnAndTellsItselfApart) {
    const auto& glyphs = ui::allGlyphs();
    std::vector<QImage> images;
    for (ui::Glyph g : glyphs) {
        const QImage image = ui::glyphImage(g);
        ASSERT_EQ(image.size(), QSize(16, 16));
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) inked += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GE(inked, 12) << "glyph " << static_cast<int>(g);
        for (size_t j = 0; j < images.size(); ++j)
            EXPECT_NE(image, images[j]) << "glyphs " << j << " and " << images.size();
        images.push_back(image);
    }
}

// The numbered bitmaps the build wrote beside the program, one per picture.
TEST_F(ImageLists, ReportBitmapsBesideTheProgramMatchTheLists) {
    const QDir program(QString::fromUtf8(PARABASE_PROGRAM_DIR));
    for (const auto& [folder, name] : ui::kReportImageFolders) {
        const ui::ImageList* list = ui::imageListByName(QString::fromLatin1(name));
        ASSERT_NE(list, nullptr);
        const QDir dir(program.filePath(QString::fromLatin1(folder)));
        ASSERT_TRUE(dir.exists()) << dir.path().toStdString();
        for (int i = 0; i < list->Count(); ++i) {
            const QString file = dir.filePath(QString::number(i + 1) + u".bmp"_s);
            QImage bitmap(file);
            ASSERT_FALSE(bitmap.isNull()) << file.toStdString();
            EXPECT_EQ(bitmap.size(), QSize(16, 16));
            const QImage want =
                ui::glyphImage(list->glyph(i), 1, Qt::white).convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), want) << file.toStdString();
        }
        EXPECT_FALSE(
            QFileInfo::exists(dir.filePath(QString::number(list->Count() + 1) + u".bmp"_s)));
    }
}

// Every glyph four times its size, and at double density, for a person to look at.
TEST_F(ImageLists, GlyphSheetForAPersonsCheck) {
    const auto& glyphs = ui::allGlyphs();
    const int cell = 72;
    QImage sheet(cell * static_cast<int>(glyphs.size()), cell * 2 + 8, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const int x = static_cast<int>(i) * cell + 4;
        p.drawImage(QRect(x, 4, 64, 64), ui::glyphImage(glyphs[i]));  // each pixel 4 x 4
        p.drawImage(QRect(x, cell + 4, 64, 64), ui::glyphImage(glyphs[i], 2));
        p.drawImage(QPoint(x, cell * 2 - 10), ui::glyphImage(glyphs[i]));
    }
    p.end();
    const auto file = std::filesystem::current_path() / "Glyphs.png";
    EXPECT_TRUE(sheet.save(QString::fromStdString(file.string())));
    std::cout << "screenshot: " << file << "\n";
}

}  // namespace
