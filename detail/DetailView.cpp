#include "detail/DetailView.h"

#include <cmath>
#include <utility>

#include "detail/MFunctions.h"
#include "text/CaseFold.h"
#include "ui/grid/TreeKeys.h"

namespace detail {

using namespace engine;
namespace grid = ui::grid;

namespace {

// Switches the grid's painting off for a request and on again however it ends.
class RedrawOff {
public:
    explicit RedrawOff(grid::GridModel& g) : grid_(g) { grid_.Redraw(false); }
    ~RedrawOff() { grid_.Redraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    grid::GridModel& grid_;
};

template <class T>
bool inRange(const ElementArray<T>& list, int32_t index) {
    return index >= 1 && index <= list.UBound();
}

// Walks the entries of a list both sides keep (a key's or an index's
// columns, a procedure's parameters): each source entry with the first
// destination entry of the same name as its partner, then every destination
// entry marked as only in the destination (the others have their partner in
// the source). A source entry that lacks a partner, whatever its code says,
// stands as only in the source, so no entry is read past its list's end.
template <class Entry, class Add>
void walkPairs(const ElementArray<Entry>& source, const ElementArray<Entry>& destination, Add add) {
    const int32_t sourceCount = source.UBound();
    const int32_t destinationCount = destination.UBound();
    for (int32_t j = 1; j <= sourceCount; ++j) {
        const Entry& s = source[j];
        int32_t partner = 0;
        for (int32_t m = 1; m <= destinationCount && partner == 0; ++m)
            if (text::equalNoCase(destination[m].Name, s.Name)) partner = m;
        if (s.Action == acOnlyInSource || partner == 0)
            add(s, s, Presence::SourceOnly);
        else
            add(s, destination[partner], Presence::Both);
    }
    for (int32_t k = 1; k <= destinationCount; ++k)
        if (destination[k].Action == acOnlyInDestination)
            add(destination[k], destination[k], Presence::DestinationOnly);
}

// The icon of a member or item row whose entry stands as `presence` says.
int32_t entryIcon(int32_t action, Presence presence) {
    switch (presence) {
        case Presence::SourceOnly:
            return icon::OnlyInSource;
        case Presence::DestinationOnly:
            return icon::OnlyInDestination;
        case Presence::Both:
            break;
    }
    return icon::ofAction(action);
}

// The command texts and the picture between them: a side the element is
// missing from shows no text; the picture follows the two texts (equal when
// they match ignoring letter case) unless the element is one-sided.
template <class Element>
void commandTexts(const Element& e, DetailHead& head) {
    switch (e.Action) {
        case acOnlyInDestination:
            head.destinationText = e.Destination.CommandText;
            head.actionPicture = icon::OnlyInDestination;
            break;
        case acOnlyInSource:
            head.sourceText = e.Source.CommandText;
            head.actionPicture = icon::OnlyInSource;
            break;
        default:
            head.sourceText = e.Source.CommandText;
            head.destinationText = e.Destination.CommandText;
            head.actionPicture = text::equalNoCase(head.sourceText, head.destinationText)
                                     ? icon::Equal
                                     : icon::Different;
            break;
    }
}

}  // namespace

DetailView::DetailView(grid::GridModel& grid, const WizardOptions& options)
    : tree_(grid), options_(options) {}

std::optional<DetailHead> DetailView::ShowDetails(int32_t kind, int32_t index) {
    const bool known = kind == okTable || kind == okProcedure || kind == okView;
    const bool exists = (kind == okTable && inRange(result_.Tables, index)) ||
                        (kind == okProcedure && inRange(result_.Procedures, index)) ||
                        (kind == okView && inRange(result_.Views, index));
    if (!known || exists) {
        kind_ = kind;
        index_ = index;
    }
    tree_.grid().Clear();
    RedrawOff painting(tree_.grid());
    if (!exists) return std::nullopt;

    DetailHead head;
    switch (kind) {
        case okView: {
            const TView& v = result_.Views[index];
            head.caption = "Details of View (" + v.Name + ")";
            head.windowIcon = windowIcon::View;
            head.mode = layout::Mode::Text;
            commandTexts(v, head);
            break;
        }
        case okProcedure:
            showProcedure(result_.Procedures[index], head);
            break;
        default:
            showTable(result_.Tables[index], head);
            break;
    }
    return head;
}

std::optional<int32_t> DetailView::shownAction() const {
    if (kind_ == okProcedure && inRange(result_.Procedures, index_))
        return result_.Procedures[index_].Action;
    if (kind_ == okView && inRange(result_.Views, index_)) return result_.Views[index_].Action;
    return std::nullopt;
}

// --- procedures

void DetailView::showProcedure(const TProcedure& p, DetailHead& head) {
    head.caption = "Details of Procedure (" + p.Name + ")";
    head.windowIcon = windowIcon::Procedure;
    head.mode = layout::Mode::Text;
    const auto& source = p.Source.Parameters;
    const auto& destination = p.Destination.Parameters;
    if (source.UBound() > 0 || destination.UBound() > 0) {
        tree_.AddGroup("Parameters", icon::Columns);
        walkPairs(
            source, destination, [&](const TParameter& s, const TParameter& d, Presence presence) {
                tree_.AddItem(s.Name, icon::Columns, entryIcon(s.Action, presence));
                tree_.AddProperty(
                    2, "Parameter Type", presence, cellValue(MFunctions::ColumnTypeName(s.Type)),
                    cellValue(MFunctions::ColumnTypeName(d.Type)), s.Type == d.Type, false);
                tree_.AddProperty(2, "Parameter Size", presence, cellValue(s.Size),
                                  cellValue(d.Size), s.Size == d.Size, false);
            });
    }
    commandTexts(p, head);
}

// --- tables

void DetailView::showTable(const TTable& table, DetailHead& head) {
    head.caption = "Details of Table (" + table.Name + ")";
    head.windowIcon = windowIcon::Table;
    head.mode = layout::Mode::Table;
    addColumns(table);
    addKeys(table);
    addIndexes(table);
}

void DetailView::addColumns(const TTable& table) {
    const int32_t n = table.Columns.UBound();
    if (n > 0) tree_.AddGroup("Columns", icon::Columns);
    for (int32_t i = 1; i <= n; ++i) {
        const TColumn& c = table.Columns[i];
        // A pair made by position shows both names while the option is on.
        const int match = options_.CMatch();
        const bool joined = (c.Action == acEqual || c.Action == acDifferent) && match == 1 &&
                            !text::equalNoCase(c.DestinationName, c.Name);
        tree_.AddItem(joined ? c.Name + " <-> " + c.DestinationName : c.Name, icon::Columns,
                      icon::ofAction(c.Action));
        addColumnProperties(c);
    }
}

void DetailView::addColumnProperties(const TColumn& c) {
    const Presence presence = presenceOf(c.Action);
    const TColumnProps& s = c.Source;
    const TColumnProps& d = c.Destination;
    auto row = [&](std::string_view label, std::string source, std::string destination,
                   bool equal) {
        tree_.AddProperty(2, label, presence, std::move(source), std::move(destination), equal,
                          true);
    };
    auto number = [&](std::string_view label, int32_t a, int32_t b) {
        row(label, cellValue(a), cellValue(b), a == b);
    };
    auto flag = [&](std::string_view label, bool a, bool b) {
        row(label, cellValue(a), cellValue(b), a == b);
    };
    auto words = [&](std::string_view label, const std::string& a, const std::string& b) {
        row(label, a, b, text::equalNoCase(a, b));
    };

    row("Column Type", cellValue(MFunctions::ColumnTypeName(s.Type)),
        cellValue(MFunctions::ColumnTypeName(d.Type)), s.Type == d.Type);
    number("Defined Size", s.DefinedSize, d.DefinedSize);
    number("Numeric Scale", s.NumericScale, d.NumericScale);
    number("Precision", s.Precision, d.Precision);
    words("Description", s.Description, d.Description);
    flag("AutoIncrement", s.AutoIncrement, d.AutoIncrement);
    if (options_.CISeed() == 1) {
        number("Increment", s.Increment, d.Increment);
        number("Seed", s.Seed, d.Seed);
    }
    flag("Required", s.NotNull, d.NotNull);
    flag("Allow Zero Length", s.AllowZeroLength, d.AllowZeroLength);
    flag("Unicode Compression", s.Compressed, d.Compressed);
    words("Default Value", s.Default, d.Default);
}

void DetailView::addKeys(const TTable& table) {
    const int32_t n = table.Keys.UBound();
    if (n > 0) tree_.AddGroup("Keys", icon::Keys);
    for (int32_t k = 1; k <= n; ++k) {
        const TKey& key = table.Keys[k];
        const Presence presence = presenceOf(key.Action);
        const TKeyProps& s = key.Source;
        const TKeyProps& d = key.Destination;
        tree_.AddItem(key.Name, icon::Keys, icon::ofAction(key.Action));
        // Every key has the four rows, whatever its type.
        tree_.AddProperty(2, "Key Type", presence, cellValue(MFunctions::KeyTypeName(s.Type)),
                          cellValue(MFunctions::KeyTypeName(d.Type)), s.Type == d.Type, true);
        tree_.AddProperty(2, "Related Table", presence, s.RelatedTable, d.RelatedTable,
                          text::equalNoCase(s.RelatedTable, d.RelatedTable), true);
        tree_.AddProperty(2, "Update Rule", presence, cellValue(MFunctions::RuleName(s.UpdateRule)),
                          cellValue(MFunctions::RuleName(d.UpdateRule)),
                          s.UpdateRule == d.UpdateRule, true);
        tree_.AddProperty(2, "Delete Rule", presence, cellValue(MFunctions::RuleName(s.DeleteRule)),
                          cellValue(MFunctions::RuleName(d.DeleteRule)),
                          s.DeleteRule == d.DeleteRule, true);
        if (s.Columns.UBound() <= 0 && d.Columns.UBound() <= 0) continue;
        tree_.AddNode();
        walkPairs(s.Columns, d.Columns,
                  [&](const TKeyColumn& sc, const TKeyColumn& dc, Presence columnPresence) {
                      tree_.AddMember(sc.Name, entryIcon(sc.Action, columnPresence));
                      tree_.AddProperty(
                          4, "Related Column", columnPresence, sc.RelatedColumn, dc.RelatedColumn,
                          text::equalNoCase(sc.RelatedColumn, dc.RelatedColumn), false);
                  });
    }
}

void DetailView::addIndexes(const TTable& table) {
    const int32_t n = table.Indexes.UBound();
    if (n > 0) tree_.AddGroup("Indexes", icon::Indexes);
    for (int32_t i = 1; i <= n; ++i) {
        const TIndex& index = table.Indexes[i];
        const Presence presence = presenceOf(index.Action);
        const TIndexProps& s = index.Source;
        const TIndexProps& d = index.Destination;
        tree_.AddItem(index.Name, icon::Indexes, icon::ofAction(index.Action));
        tree_.AddProperty(2, "Primary Key", presence, cellValue(s.PrimaryKey),
                          cellValue(d.PrimaryKey), s.PrimaryKey == d.PrimaryKey, true);
        tree_.AddProperty(2, "Unique", presence, cellValue(s.Unique), cellValue(d.Unique),
                          s.Unique == d.Unique, true);
        tree_.AddProperty(2, "Index Nulls", presence,
                          cellValue(MFunctions::IndexNullsName(s.IndexNulls)),
                          cellValue(MFunctions::IndexNullsName(d.IndexNulls)),
                          s.IndexNulls == d.IndexNulls, true);
        if (s.Columns.UBound() <= 0 && d.Columns.UBound() <= 0) continue;
        tree_.AddNode();
        walkPairs(s.Columns, d.Columns,
                  [&](const TIndexColumn& sc, const TIndexColumn& dc, Presence columnPresence) {
                      tree_.AddMember(sc.Name, entryIcon(sc.Action, columnPresence));
                      tree_.AddProperty(4, "Sort Order", columnPresence,
                                        cellValue(MFunctions::SortOrderName(sc.SortOrder)),
                                        cellValue(MFunctions::SortOrderName(dc.SortOrder)),
                                        sc.SortOrder == dc.SortOrder, false);
                  });
    }
}

// --- mouse

bool DetailView::toggle(int32_t row) {
    grid::GridModel& g = tree_.grid();
    g.Redraw(false);
    tree_.ToggleRow(row);
    g.Redraw(true);
    return true;
}

bool DetailView::MouseDown(int button, int /*shift*/, float x, float y, grid::Scroll scroll) {
    pressToggled_ = 0;
    if (button != 1) return false;
    const double px = static_cast<double>(x) / kTwipsPerPixel;
    const double py = static_cast<double>(y) / kTwipsPerPixel;
    const grid::CellHit hit = tree_.grid().CellFromPoint(
        static_cast<int32_t>(std::lrint(px)), static_cast<int32_t>(std::lrint(py)), scroll);
    if (hit.column != col::Object || hit.row <= 0) return false;
    const int32_t glyph = tree_.Glyph(hit.row);
    if (glyph != icon::Collapsed && glyph != icon::Expanded) return false;
    // Measured from column 1's left edge, where the data area begins.
    const double fromColumn = px + scroll.x;
    if (!(fromColumn < tree_.grid().CellIndent(hit.row, col::Object) + DetailTree::kGlyphWidth))
        return false;
    pressToggled_ = hit.row;
    return toggle(hit.row);
}

bool DetailView::DblClick(int32_t row, int32_t column) {
    const int32_t pressed = std::exchange(pressToggled_, 0);
    const grid::GridModel& g = tree_.grid();
    if (row <= 0 || column <= 0 || row > g.Rows() || column > g.Columns()) return false;
    if (row == pressed) return false;
    const int32_t glyph = g.CellExtraIcon(row, column);
    if (glyph != icon::Collapsed && glyph != icon::Expanded) return false;
    return toggle(row);
}

void DetailView::KeyDown(int& keyCode, int shift) {
    grid::GridModel& g = tree_.grid();
    const grid::TreeShape shape{col::Level, col::Object, icon::Collapsed, icon::Expanded};
    const grid::TreeMove move = grid::treeKeyMove(g, shape, g.SelectedRow(), keyCode, shift);
    switch (move.kind) {
        case grid::TreeMove::Kind::Toggle:
            keyCode = 0;
            toggle(move.row);
            return;
        case grid::TreeMove::Kind::Select:
            keyCode = 0;
            g.SelectedRow(move.row);
            return;
        case grid::TreeMove::Kind::None:
            return;
    }
}

}  // namespace detail
