#include "wizard/ResultsTree.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <stdexcept>
#include <utility>

#include "script/ScriptFile.h"
#include "script/ScriptGenerator.h"
#include "ui/grid/TreeKeys.h"
#include "wizard/CompareSession.h"
#include "wizard_core/MFunctions.h"
#include "wizard/OptionRules.h"
#include "wizard_core/PrintableGridModel.h"
#include "wizard/ScriptNotes.h"

namespace wizard {

namespace {

using engine::TComparisonResult;
using ui::grid::GridModel;

constexpr const char* kStale =
    "The results shown no longer match the comparison. Open the Results page again to "
    "refresh them, then try again.";
constexpr const char* kReportTitle = "Comparison Results Report";

// Icon and hidden cells: single line, word ellipsis.
constexpr uint32_t kIconCell = ui::grid::align::SingleLine | ui::grid::align::WordEllipsis;
// The slot an icon is centred in, and the object rows' indent in column 1.
constexpr int32_t kIconSlot = 18;
constexpr int32_t kObjectIndent = 18;
// The expand glyph's width after the cell's indent.
constexpr int32_t kGlyphWidth = 16;
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;

// The first status button (SHE); the others follow in ActionCode order.
constexpr int32_t kFirstStatusButton = 7;
// Buttons below this one are the filters, whose checked state a click flips.
constexpr int32_t kFirstNonFilterButton = 11;

struct Kind {
    int32_t type;      // ObjectKind, the Type item data
    int32_t icon;      // MGridImg position
    int32_t button;    // its filter button
    const char* text;  // category row
};
// In the tree's order: procedures come before views.
constexpr std::array<Kind, 5> kKinds{{
    {engine::okTable, img::Tables, 1, "Tables"},
    {engine::okProcedure, img::Procedures, 2, "Procedures"},
    {engine::okView, img::Views, 3, "Views"},
    {engine::okUser, img::Users, 4, "Users"},
    {engine::okGroup, img::Groups, 5, "Groups"},
}};

const Kind* kindOf(int32_t type) {
    for (const Kind& k : kKinds)
        if (k.type == type) return &k;
    return nullptr;
}

// Calls f with the result's array of a kind; false for another kind.
template <typename Result, typename F>
bool withArray(Result& result, int32_t type, F&& f) {
    switch (type) {
        case engine::okTable:
            f(result.Tables);
            return true;
        case engine::okProcedure:
            f(result.Procedures);
            return true;
        case engine::okView:
            f(result.Views);
            return true;
        case engine::okUser:
            f(result.Users);
            return true;
        case engine::okGroup:
            f(result.Groups);
            return true;
        default:
            return false;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The grid's redraw switched off for a scope and on again at its end, however
// it ends.
class RedrawOff {
public:
    explicit RedrawOff(GridModel& grid) : grid_(grid) { grid_.Redraw(false); }
    ~RedrawOff() { grid_.Redraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    GridModel& grid_;
};

}  // namespace

ResultsTree::ResultsTree(GridModel& MGrid, ResultsControls& controls, ResultsView& view,
                         AccessSource access, const OptionRules& options, ComparingSource comparing)
    : MGrid_(MGrid),
      controls_(controls),
      view_(view),
      access_(std::move(access)),
      options_(options),
      comparing_(std::move(comparing)) {}

ResultsTree::ResultsTree(GridModel& MGrid, ResultsControls& controls, ResultsView& view,
                         CompareSession& session)
    : ResultsTree(
          MGrid, controls, view, [&session] { return session.Access(); }, session.Options(),
          [&session] { return session.Comparing(); }) {}

void ResultsTree::SetUpGrid(GridModel& MGrid) {
    using ui::grid::HeaderAlign;
    MGrid.AddColumn("1", "Object", HeaderAlign::Centre, -1, 230);
    MGrid.AddColumn("2", "Source Db", HeaderAlign::Centre, -1, 100);
    MGrid.AddColumn("3", "Action", HeaderAlign::Centre, -1, 50);
    MGrid.AddColumn("4", "Destination Db", HeaderAlign::Centre, -1, 100);
    MGrid.AddColumn("5", "Script", HeaderAlign::Centre, -1, 50);
    MGrid.AddColumn("6", "Level", HeaderAlign::Left, -1, -1, false);
    MGrid.AddColumn("7", "Visible", HeaderAlign::Left, -1, -1, false);
    MGrid.AddColumn("8", "Type", HeaderAlign::Left, -1, -1, false);
    MGrid.AddColumn("9", "Index", HeaderAlign::Left, -1, -1, false);
    MGrid.AddColumn("10", "MainRowIndex", HeaderAlign::Left, -1, -1, false);
    MGrid.HeaderHeight(18);
    MGrid.DefaultRowHeight(18);
    MGrid.Redraw(true);
}

// ---------------------------------------------------------------- helpers

template <typename Work>
void ResultsTree::guarded(Work&& work) {
    try {
        work();
    } catch (...) {
        view_.MsgBox(FailureText(std::current_exception()), BoxIcon::Critical, kProgramTitle);
    }
}

bool ResultsTree::refusedWhileComparing() {
    if (!comparing_ || !comparing_()) return false;
    view_.MsgBox(kComparisonRunning, BoxIcon::Information, kProgramTitle);
    return true;
}

std::shared_ptr<engine::CCAccess> ResultsTree::engine() const {
    std::shared_ptr<engine::CCAccess> access = access_ ? access_() : nullptr;
    if (!access) throw std::logic_error("The results page has no comparison engine.");
    return access;
}

int32_t ResultsTree::data(int32_t row, int32_t column) const {
    return ui::grid::itemDataToInt(MGrid_.CellItemData(row, column));
}

int32_t ResultsTree::centringIndent(int32_t column) const {
    return report::roundHalfEven((MGrid_.ColumnWidth(column) - kIconSlot) / 2.0);
}

void ResultsTree::writeHidden(int32_t row, int32_t column, int32_t value) {
    MGrid_.CellDetails(row, column, std::nullopt, kIconCell, -1, 0, -1, value);
}

// ---------------------------------------------------------------- the page

void ResultsTree::ShowResults() {
    guarded([&] {
        if (comparing_ && comparing_()) {
            Clear();
            return;
        }
        FillResults();
        const RedrawOff off(MGrid_);
        ApplyFilter();
    });
}

void ResultsTree::Clear() {
    const RedrawOff off(MGrid_);
    MGrid_.Clear();
}

void ResultsTree::FillResults() { FillResults(engine()->Differences()); }

void ResultsTree::FillResults(const TComparisonResult& result) {
    const RedrawOff off(MGrid_);
    MGrid_.Clear();
    for (const Kind& kind : kKinds) {
        withArray(result, kind.type, [&](const auto& elements) {
            const int32_t count = elements.UBound();
            if (count <= 0) return;
            const int32_t category = MGrid_.AddRow(true);
            MGrid_.CellDetails(category, col::Object, std::string(kind.text), 0, kind.icon, 0,
                               img::Collapsed);
            MGrid_.CellDetails(category, col::Script, std::nullopt, kIconCell, img::Yes,
                               centringIndent(col::Script));
            writeHidden(category, col::Level, 0);
            writeHidden(category, col::Visible, -1);
            writeHidden(category, col::Type, kind.type);
            for (int32_t i = 1; i <= count; ++i) {
                const auto& element = elements[i];
                const int32_t r = MGrid_.AddRow(false);
                MGrid_.CellDetails(r, col::Object, element.Name, 0, kind.icon, kObjectIndent);
                const auto icon = [&](int32_t column, int32_t image) {
                    MGrid_.CellDetails(r, column, std::nullopt, kIconCell, image,
                                       centringIndent(column));
                };
                icon(col::SourceDb,
                     element.Action == engine::acOnlyInDestination ? img::No : img::Yes);
                icon(col::Action, element.Action + img::ActionBase);
                icon(col::DestinationDb,
                     element.Action == engine::acOnlyInSource ? img::No : img::Yes);
                icon(col::Script, img::Yes);
                writeHidden(r, col::Level, 1);
                writeHidden(r, col::Visible, 0);
                writeHidden(r, col::Type, kind.type);
                writeHidden(r, col::Index, i);
                writeHidden(r, col::MainRowIndex, category);
            }
        });
    }
}

void ResultsTree::ApplyFilter() {
    // The buttons do not change during the pass: read each once.
    std::array<bool, kFirstNonFilterButton> checked{};
    for (int32_t b = 1; b < kFirstNonFilterButton; ++b)
        if (!kResultsButtons[static_cast<size_t>(b - 1)].separator())
            checked[static_cast<size_t>(b)] = controls_.ButtonChecked(b);

    const int32_t rows = MGrid_.Rows();
    for (int32_t r = 1; r <= rows; ++r) {
        const Kind* kind = kindOf(data(r, col::Type));
        const bool typeOn = kind && checked[static_cast<size_t>(kind->button)];
        bool statusOn = false;
        if (data(r, col::Level) == 0) {
            statusOn = typeOn;
        } else {
            const int32_t a = MGrid_.CellIcon(r, col::Action) - img::ActionBase;
            if (a >= engine::acEqual && a <= engine::acOnlyInSource)
                statusOn = checked[static_cast<size_t>(kFirstStatusButton + a)];
        }
        const int32_t m = data(r, col::MainRowIndex);
        const bool parentOn =
            m == 0 ? typeOn
                   : m >= 1 && m <= rows && MGrid_.CellExtraIcon(m, col::Object) == img::Expanded;
        MGrid_.RowVisible(r, typeOn && statusOn && parentOn);
    }
}

void ResultsTree::ToggleExpand(int32_t Row) {
    const int32_t level = data(Row, col::Level);
    const bool opening = MGrid_.CellExtraIcon(Row, col::Object) == img::Collapsed;
    const int32_t rows = MGrid_.Rows();
    for (int32_t j = Row + 1; j <= rows; ++j) {
        const int32_t lj = data(j, col::Level);
        if (lj <= level) break;
        if (lj == level + 1 || data(j, col::Visible) == -1) {
            if (opening) {
                MGrid_.RowVisible(j, true);
                MGrid_.CellItemData(j, col::Visible, -1);
            } else {
                MGrid_.RowVisible(j, false);
                if (lj == level + 1) MGrid_.CellItemData(j, col::Visible, 0);
            }
        }
    }
    MGrid_.CellExtraIcon(Row, col::Object, opening ? img::Expanded : img::Collapsed);
    ApplyFilter();
}

void ResultsTree::SetScriptSelection(int32_t Row) {
    const RedrawOff off(MGrid_);
    if (data(Row, col::Level) > 0) {
        const int32_t parent = data(Row, col::MainRowIndex);
        if (parent < 1 || parent >= Row) return;  // not a row of this tree
        const int32_t parentLevel = data(parent, col::Level);
        int32_t j = parent + 1;
        int32_t selected = 0;
        while (j <= MGrid_.Rows() && data(j, col::Level) != parentLevel) {
            selected += MGrid_.CellIcon(j, col::Script) - img::No;
            ++j;
        }
        const int32_t count = j - (parent + 1);
        const double share = static_cast<double>(selected) / count;
        MGrid_.CellIcon(parent, col::Script,
                        share == 1.0   ? img::Yes
                        : share == 0.0 ? img::No
                                       : img::Partly);
    } else {
        const int32_t level = data(Row, col::Level);
        const int32_t image = MGrid_.CellIcon(Row, col::Script);
        for (int32_t j = Row + 1; j <= MGrid_.Rows() && data(j, col::Level) != level; ++j)
            MGrid_.CellIcon(j, col::Script, image);
    }
}

// ---------------------------------------------------------------- grid events

void ResultsTree::MGrid_ColumnChanging(int32_t column, bool& cancel) {
    if (column > 1) cancel = true;
}

void ResultsTree::MGrid_MouseDown(int Button, int /*Shift*/, float x, float y) {
    guarded([&] {
        const double tx = report::kTwipsPerPixel;
        const ui::grid::CellHit hit =
            controls_.CellFromPoint(report::roundHalfEven(x / tx), report::roundHalfEven(y / tx));
        if (Button == kRightButton) {
            if (hit.row <= 0 || hit.column <= 0) return;
            if (MGrid_.SelectedRow() != hit.row) MGrid_.SelectedRow(hit.row);
            if (MGrid_.SelectedCol() != hit.column) MGrid_.SelectedCol(hit.column);
            popUpMenuFor(hit.row, x, y);
        } else if (Button == kLeftButton && hit.column == col::Object && hit.row > 0) {
            const int32_t glyph = MGrid_.CellExtraIcon(hit.row, col::Object);
            if (glyph != img::Collapsed && glyph != img::Expanded) return;
            // Measured from column 1's left edge, which scrolls with the columns.
            if (static_cast<double>(x) / tx + controls_.ScrolledX() <
                MGrid_.CellIndent(hit.row, col::Object) + kGlyphWidth) {
                const RedrawOff off(MGrid_);
                ToggleExpand(hit.row);
            }
        }
    });
}

void ResultsTree::MGrid_MouseUp(int Button, int /*Shift*/, float x, float y) {
    guarded([&] {
        const double tx = report::kTwipsPerPixel;
        const ui::grid::CellHit hit =
            controls_.CellFromPoint(report::roundHalfEven(x / tx), report::roundHalfEven(y / tx));
        if (Button != kLeftButton || hit.row <= 0 || hit.column != col::Script) return;
        toggleScriptMark(hit.row);
    });
}

void ResultsTree::toggleScriptMark(int32_t row) {
    const int32_t image = MGrid_.CellIcon(row, col::Script);
    MGrid_.CellIcon(row, col::Script, image == img::Yes ? img::No : img::Yes);
    SetScriptSelection(row);
}

void ResultsTree::popUpMenuFor(int32_t row, float x, float y) {
    const int32_t type = data(row, col::Type);
    MenuState menu;
    menu.VD = data(row, col::Level) != 0 &&
              (type == engine::okTable || type == engine::okProcedure || type == engine::okView);
    const int32_t script = MGrid_.CellIcon(row, col::Script);
    menu.SFS = script != img::Yes;
    menu.UnSFS = script != img::No;
    controls_.PopupMenu(menu, x, y);
}

void ResultsTree::MGrid_KeyDown(int& KeyCode, int Shift) {
    namespace key = ui::grid::key;
    namespace shift = ui::grid::shift;
    guarded([&] {
        const int32_t row = MGrid_.SelectedRow();
        // Keys act on the row the user sees as current, never on a hidden one.
        if (row < 1 || row > MGrid_.Rows() || !MGrid_.RowVisible(row)) return;
        const int code = KeyCode;
        if (code == key::Apps || (code == key::F10 && Shift == shift::Shift)) {
            KeyCode = 0;
            // Under the row's caption, as a click there would put it.
            const auto area = controls_.CellBounds(row, col::Object);
            if (!area) return;
            const auto twips = [](int32_t pixels) {
                return static_cast<float>(pixels * report::kTwipsPerPixel);
            };
            popUpMenuFor(row, twips(area->left + MGrid_.CellIndent(row, col::Object)),
                         twips(area->top + area->height));
            return;
        }
        if (Shift & (shift::Ctrl | shift::Alt)) return;
        if (code == key::Space && Shift == 0) {
            KeyCode = 0;
            toggleScriptMark(row);
            return;
        }
        if (code == key::Return) {
            const int32_t type = data(row, col::Type);
            if (data(row, col::Level) == 0 ||
                (type != engine::okTable && type != engine::okProcedure && type != engine::okView))
                return;
            KeyCode = 0;
            VD_Click();
            return;
        }
        const ui::grid::TreeShape shape{col::Level, col::Object, img::Collapsed, img::Expanded};
        const ui::grid::TreeMove move = ui::grid::treeKeyMove(MGrid_, shape, row, code, Shift);
        switch (move.kind) {
            case ui::grid::TreeMove::Kind::Toggle: {
                KeyCode = 0;
                const RedrawOff off(MGrid_);
                ToggleExpand(move.row);
                return;
            }
            case ui::grid::TreeMove::Kind::Select:
                KeyCode = 0;
                MGrid_.SelectedRow(move.row);
                return;
            case ui::grid::TreeMove::Kind::None:
                return;
        }
    });
}

void ResultsTree::MGrid_DblClick(int32_t row, int32_t column) {
    guarded([&] {
        if (row <= 0 || column <= 0) return;
        const int32_t glyph = MGrid_.CellExtraIcon(row, column);
        if (glyph != img::Collapsed && glyph != img::Expanded) return;
        const RedrawOff off(MGrid_);
        ToggleExpand(row);
    });
}

// ---------------------------------------------------------------- menu

void ResultsTree::SFS_Click() {
    guarded([&] {
        const int32_t row = MGrid_.SelectedRow();
        if (row <= 0) return;
        MGrid_.CellIcon(row, col::Script, img::Yes);
        SetScriptSelection(row);
    });
}

void ResultsTree::UnSFS_Click() {
    guarded([&] {
        const int32_t row = MGrid_.SelectedRow();
        if (row <= 0) return;
        MGrid_.CellIcon(row, col::Script, img::No);
        SetScriptSelection(row);
    });
}

void ResultsTree::VD_Click() {
    guarded([&] {
        if (refusedWhileComparing()) return;
        const int32_t row = MGrid_.SelectedRow();
        if (row <= 0 || row > MGrid_.Rows() || data(row, col::Level) == 0) return;
        const int32_t kind = data(row, col::Type);
        if (kind != engine::okTable && kind != engine::okProcedure && kind != engine::okView)
            return;
        const int32_t index = data(row, col::Index);
        TComparisonResult result = engine()->Differences();
        bool matches = false;
        withArray(result, kind, [&](const auto& elements) {
            matches = index >= 1 && index <= elements.UBound() &&
                      MGrid_.CellText(row, col::Object) == elements[index].Name;
        });
        if (!matches) {
            view_.MsgBox(kStale, BoxIcon::Critical, kProgramTitle);
            return;
        }
        view_.ShowDetails(result, kind, index);
    });
}

// ---------------------------------------------------------------- toolbar

void ResultsTree::setAllScriptImages(int32_t image) {
    const RedrawOff off(MGrid_);
    const int32_t rows = MGrid_.Rows();
    for (int32_t r = 1; r <= rows; ++r) MGrid_.CellIcon(r, col::Script, image);
}

void ResultsTree::toggleAll(int32_t glyph) {
    const RedrawOff off(MGrid_);
    const int32_t rows = MGrid_.Rows();
    for (int32_t r = 1; r <= rows; ++r)
        if (MGrid_.CellExtraIcon(r, col::Object) == glyph) ToggleExpand(r);
}

void ResultsTree::TBar_ButtonClick(int Index, std::string_view Key) {
    guarded([&] {
        if (Index >= 1 && Index < kFirstNonFilterButton &&
            !kResultsButtons[static_cast<size_t>(Index - 1)].separator())
            controls_.ButtonChecked(Index, !controls_.ButtonChecked(Index));
        const auto is = [&](std::string_view key) { return equalsIgnoringCase(Key, key); };
        if (is("SHT") || is("SHP") || is("SHV") || is("SHU") || is("SHG") || is("SHE") ||
            is("SHD") || is("SHES") || is("SHED")) {
            const RedrawOff off(MGrid_);
            ApplyFilter();
        } else if (is("SelAll")) {
            setAllScriptImages(img::Yes);
        } else if (is("SelNone")) {
            setAllScriptImages(img::No);
        } else if (is("SScript")) {
            CreateScript(script::sdSourceToDestination);
        } else if (is("DScript")) {
            CreateScript(script::sdDestinationToSource);
        } else if (is("Expand")) {
            toggleAll(img::Collapsed);
        } else if (is("Collapse")) {
            toggleAll(img::Expanded);
        } else if (is("Print")) {
            PrintResults();
        }
    });
}

void ResultsTree::CreateScript(int32_t Direction) {
    if (refusedWhileComparing()) return;
    const std::shared_ptr<engine::CCAccess> access = engine();
    ApplyScriptOptions(*access, options_);
    TComparisonResult result = access->Differences();
    // Every row is checked before anything is written back: a row that does
    // not name its element leaves the engine's result as it was.
    const int32_t rows = MGrid_.Rows();
    for (int32_t r = 1; r <= rows; ++r) {
        if (data(r, col::Level) < 1) continue;
        const int32_t kind = data(r, col::Type);
        const int32_t i = data(r, col::Index);
        const bool selected = MGrid_.CellIcon(r, col::Script) != img::No;
        bool matches = true;
        withArray(result, kind, [&](auto& elements) {
            matches = i >= 1 && i <= elements.UBound() &&
                      MGrid_.CellText(r, col::Object) == elements[i].Name;
            if (matches) elements[i].Selected = selected;
        });
        if (!matches) {
            view_.MsgBox(kStale, BoxIcon::Critical, kProgramTitle);
            return;
        }
    }
    access->Differences(result);
    const script::TScript S = script::GenerateScript(
        *access, static_cast<script::ScriptDirection>(Direction), options_.IsOn(OptionBox::CMatch));
    ScriptWindowText shown;
    shown.Text = script::ScriptFileText(S);
    shown.Caption = Direction != 0 ? "Database Script (Destination->Source)"
                                   : "Database Script (Source->Destination)";
    shown.SourceDBPath = view_.SourceDBPath();
    shown.DestinationDBPath = view_.DestinationDBPath();
    shown.Report = ScriptNotes(S, Direction);
    view_.ShowScript(shown);
}

void ResultsTree::PrintResults() {
    if (!Preview) return;
    report::Document& P = *Preview;
    P.NewDocument();
    const ui::grid::GridFont& font = MGrid_.Font();
    P.Font(report::Font{font.name, font.size, font.bold});
    P.DocumentTitle(kReportTitle);
    P.ForeColor(report::kGrey);
    P.PrintAligned(kReportTitle, 2);
    P.PrintAligned("", 0);
    P.ForeColor(report::kBlack);
    const PrintableGridModel grid(MGrid_);
    const PrintableImages images("MGridImg", 16);
    MFunctions::PrintGrid(P, grid, images, ReportImageFolder);
    view_.ShowReport(P);
}

}  // namespace wizard
