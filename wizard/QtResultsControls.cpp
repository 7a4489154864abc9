#include "wizard/QtResultsControls.h"

#include "ui/Twips.h"
#include "ui/images/Glyphs.h"
#include "ui/images/ImageList.h"

namespace wizard {

namespace {

ui::Glyph pictureOf(std::string_view key) {
    static const std::pair<std::string_view, ui::Glyph> kPictures[] = {
        {"SHT", ui::Glyph::Table},
        {"SHP", ui::Glyph::Procedure},
        {"SHV", ui::Glyph::View},
        {"SHU", ui::Glyph::User},
        {"SHG", ui::Glyph::Group},
        {"SHE", ui::Glyph::Equal},
        {"SHD", ui::Glyph::Different},
        {"SHES", ui::Glyph::OnlyInDestination},
        {"SHED", ui::Glyph::OnlyInSource},
        {"SelAll", ui::Glyph::SelectAll},
        {"SelNone", ui::Glyph::SelectNone},
        {"Expand", ui::Glyph::ExpandAll},
        {"Collapse", ui::Glyph::CollapseAll},
        {"SScript", ui::Glyph::ScriptToDestination},
        {"DScript", ui::Glyph::ScriptToSource},
        {"Print", ui::Glyph::Print},
    };
    for (const auto& [k, glyph] : kPictures)
        if (k == key) return glyph;
    return ui::Glyph::Print;  // not reached: every key has its picture
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void AddResultsButtons(ui::Toolbar& TBar) {
    for (const ResultsButton& b : kResultsButtons) {
        if (b.separator())
            TBar.AddSeparator();
        else
            TBar.AddButton(qs(b.Key), qs(b.ToolTip), ui::glyphIcon(pictureOf(b.Key)),
                           b.CheckedAtStart);
    }
}

void AddMenuPopEntries(ui::PopupMenu& MenuPop) {
    for (const ResultsMenuEntry& e : kMenuPopEntries) MenuPop.AddItem(qs(e.Name), qs(e.Caption));
}

ui::MenuItem* MenuEntry(const ui::PopupMenu& MenuPop, const char* name) {
    return MenuPop.findChild<ui::MenuItem*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void SetUpResultsGrid(ui::TreeGrid& MGrid) { MGrid.ImageList(&ui::mainGridImages()); }

QtResultsControls::QtResultsControls(ui::Toolbar& TBar, ui::TreeGrid& MGrid, ui::PopupMenu& MenuPop)
    : TBar_(TBar), MGrid_(MGrid), MenuPop_(MenuPop) {}

bool QtResultsControls::ButtonChecked(int32_t button) const { return TBar_.ButtonChecked(button); }

void QtResultsControls::ButtonChecked(int32_t button, bool checked) {
    TBar_.ButtonChecked(button, checked);
}

ui::grid::CellHit QtResultsControls::CellFromPoint(int32_t x, int32_t y) const {
    return MGrid_.CellFromPoint(x, y);
}

int32_t QtResultsControls::ScrolledX() const { return MGrid_.scroll().x; }

std::optional<ui::grid::CellArea> QtResultsControls::CellBounds(int32_t row, int32_t column) const {
    return MGrid_.CellBounds(row, column);
}

void QtResultsControls::PopupMenu(const MenuState& entries, float x, float y) {
    if (ui::MenuItem* vd = MenuEntry(MenuPop_, "VD")) vd->Enabled(entries.VD);
    if (ui::MenuItem* sfs = MenuEntry(MenuPop_, "SFS")) sfs->Enabled(entries.SFS);
    if (ui::MenuItem* unsfs = MenuEntry(MenuPop_, "UnSFS")) unsfs->Enabled(entries.UnSFS);
    // The grid's point in its window: the grid's inside starts within its frame.
    QWidget* window = MGrid_.window();
    const QPoint origin = MGrid_.mapTo(window, QPoint(MGrid_.frameWidth(), MGrid_.frameWidth()));
    MenuPop_.PopupAt(window, ui::pixelsToTwips(origin.x()) + static_cast<int>(x),
                     ui::pixelsToTwips(origin.y()) + static_cast<int>(y));
}

void ConnectResults(ResultsTree& tree, ui::Toolbar& TBar, ui::TreeGrid& MGrid,
                    ui::PopupMenu& MenuPop) {
    TBar.ButtonClick.connect([&tree](int index, const QString& key) {
        tree.TBar_ButtonClick(index, key.toStdString());
    });
    MGrid.MouseDown.connect([&tree](int button, int shift, float x, float y) {
        tree.MGrid_MouseDown(button, shift, x, y);
    });
    MGrid.MouseUp.connect([&tree](int button, int shift, float x, float y) {
        tree.MGrid_MouseUp(button, shift, x, y);
    });
    MGrid.KeyDown.connect([&tree](int& code, int shift) { tree.MGrid_KeyDown(code, shift); });
    MGrid.DblClick.connect(
        [&tree](int32_t row, int32_t column) { tree.MGrid_DblClick(row, column); });
    MGrid.ColumnChanging.connect(
        [&tree](int32_t column, bool& cancel) { tree.MGrid_ColumnChanging(column, cancel); });
    if (ui::MenuItem* vd = MenuEntry(MenuPop, "VD"))
        vd->Click.connect([&tree] { tree.VD_Click(); });
    if (ui::MenuItem* sfs = MenuEntry(MenuPop, "SFS"))
        sfs->Click.connect([&tree] { tree.SFS_Click(); });
    if (ui::MenuItem* unsfs = MenuEntry(MenuPop, "UnSFS"))
        unsfs->Click.connect([&tree] { tree.UnSFS_Click(); });
}

}  // namespace wizard
