#include "script/ScriptGenerator.h"

#include <array>
#include <stdexcept>
#include <string_view>

#include "script/MFunctions.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace script {

using namespace engine;

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kRun = "\r\n\r\nRUN\r\n\r\n";

// Lines the runner takes as separators or block markers (after trimming
// spaces, compared exactly).
constexpr std::array<std::string_view, 7> kReservedLines = {
    "RUN",          "<JET:COLUMNS>", "<JET:USERS>", "<JET:GROUPS>", "</JET:COLUMNS>",
    "</JET:USERS>", "</JET:GROUPS>",
};

int32_t generatingOnly(int32_t direction) {
    return direction == 0 ? acOnlyInSource : acOnlyInDestination;
}
int32_t targetOnly(int32_t direction) {
    return direction == 0 ? acOnlyInDestination : acOnlyInSource;
}
template <class Element>
const auto& generatingHalf(const Element& e, int32_t direction) {
    return direction == 0 ? e.Source : e.Destination;
}
template <class Element>
const auto& targetHalf(const Element& e, int32_t direction) {
    return direction == 0 ? e.Destination : e.Source;
}

bool isBlank(std::string_view s) { return text::trimSpaces(s).empty(); }

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A name the runner reads back unchanged from a block line: the fields are
// split at ";" and trimmed, and a line ends at a line break.
bool fitsBlockField(std::string_view name) {
    return name.find(';') == std::string_view::npos && !hasLineBreak(name) &&
           text::trimSpaces(name).size() == name.size();
}

// False when a line of the text would read as "RUN" or a block marker.
bool fitsStatementBody(std::string_view body) {
    size_t pos = 0;
    while (pos <= body.size()) {
        size_t end = body.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = body.size();
        const auto line = text::trimSpaces(body.substr(pos, end - pos));
        for (auto reserved : kReservedLines)
            if (line == reserved) return false;
        if (end == body.size()) break;
        pos = end + 1;
    }
    return true;
}

std::string bracket(std::string_view name) {
    std::string s;
    s.reserve(name.size() + 2);
    s += '[';
    s += name;
    s += ']';
    return s;
}

const char* kindWord(int32_t kind) {
    switch (kind) {
        case okView:
            return "View";
        case okProcedure:
            return "Procedure";
        case okUser:
            return "user";
        case okGroup:
            return "group";
        default:
            return "object";
    }
}

const char* cannotCarry() {
    return "it holds \";\", a line break or outer blanks, which a block line of the script "
           "file cannot carry";
}

bool onTarget(int32_t action, int32_t direction) {
    return action == acEqual || action == acDifferent || action == targetOnly(direction);
}
bool onGenerating(int32_t action, int32_t direction) {
    return action == acEqual || action == acDifferent || action == generatingOnly(direction);
}

// A column's name on each side: a paired column carries the source's name in
// Name and the destination's in DestinationName.
const std::string& targetName(const TColumn& c, int32_t direction) {
    return direction == 0 ? c.DestinationName : c.Name;
}
const std::string& generatingName(const TColumn& c, int32_t direction) {
    return direction == 0 ? c.Name : c.DestinationName;
}

// Whether an index is on the columns a relationship refers to, in any order
// (as the target matches them).
bool onRelatedColumns(const TIndexProps& x, const TKeyProps& key) {
    if (x.Columns.UBound() != key.Columns.UBound()) return false;
    for (const TKeyColumn& k : key.Columns) {
        bool found = false;
        for (const TIndexColumn& c : x.Columns)
            if (text::equalNoCase(c.Name, k.RelatedColumn)) found = true;
        if (!found) return false;
    }
    return true;
}

std::string bracketList(const TKeyProps& k) {
    std::string list;
    for (const TKeyColumn& c : k.Columns) {
        if (!list.empty()) list += ", ";
        list += bracket(c.RelatedColumn);
    }
    return list;
}

// The passes note what they leave out in the generator's report, not in
// their own TScript, so only the texts are appended.
void append(TScript& to, const TScript& from) {
    to.Statements += from.Statements;
    to.Blocks += from.Blocks;
}

}  // namespace

ScriptGenerator::ScriptGenerator(const TComparisonResult& result, const ScriptOptions& options,
                                 bool matchColumnsBox)
    : r_(result), o_(options), matchColumnsBox_(matchColumnsBox) {
    for (int32_t i = 1; i <= r_.Tables.UBound(); ++i)
        tableByName_.emplace(text::fold(r_.Tables[i].Name), i);
}

// ---------------------------------------------------------------------------
// Driver

TScript ScriptGenerator::GenerateScript(ScriptDirection direction) {
    if (direction != sdSourceToDestination && direction != sdDestinationToSource)
        throw std::invalid_argument(
            "script direction must be 0 (source to destination) or 1 "
            "(destination to source), not " +
            std::to_string(static_cast<int32_t>(direction)));
    report_.clear();
    skippedAutoIncrement_ = 0;
    droppedTables_.clear();
    leftOutTables_.clear();
    missingColumns_.clear();
    leftOutObjects_.clear();
    droppedColumns_.clear();
    droppedIndexes_.clear();
    writtenIndexes_.clear();

    const int32_t d = direction;
    const int32_t opposite = d == 1 ? 0 : 1;
    TScript out;
    if (o_.IncludeKeys) out.Statements = ScriptDropKeys(d);
    // Dropped only where they are written back: with tables and indexes.
    if (o_.IncludeTables && o_.IncludeIndexes) out.Statements += ScriptDropIndexes(d);
    if (o_.IncludeTables) {
        for (int32_t i = 1; i <= r_.Tables.UBound(); ++i)
            if (r_.Tables[i].Selected) append(out, ScriptObject(okTable, i, d, smTableStatements));
        if (o_.IncludeIndexes) {
            for (int32_t i = 1; i <= r_.Tables.UBound(); ++i) {
                const TTable& t = r_.Tables[i];
                if (!rebuildsIndexes(t, d)) continue;
                // The opposite direction writes the target's own indexes back.
                append(out, ScriptObject(okTable, i, keepsTargetDefinition(t, d) ? opposite : d,
                                         smIndexStatements));
            }
        }
    }
    if (o_.IncludeKeys) append(out, ScriptCreateKeys(d));
    append(out, ScriptViewsAndProcedures(d));
    if (o_.IncludeGroups)
        for (int32_t i = 1; i <= r_.Groups.UBound(); ++i)
            if (r_.Groups[i].Selected) append(out, ScriptObject(okGroup, i, d, 0));
    if (o_.IncludeUsers)
        for (int32_t i = 1; i <= r_.Users.UBound(); ++i)
            if (r_.Users[i].Selected) append(out, ScriptObject(okUser, i, d, 0));
    out.Report = report_;
    out.SkippedAutoIncrement = skippedAutoIncrement_;
    if (!o_.DropOppositeObjects) out.KeptTargetOnly = keptTargetOnly(d);
    return out;
}

int32_t ScriptGenerator::keptTargetOnly(int32_t direction) const {
    const int32_t kept = targetOnly(direction);
    int32_t n = 0;
    auto count = [&](bool included, const auto& elements) {
        if (!included) return;
        for (const auto& e : elements) n += e.Selected && e.Action == kept ? 1 : 0;
    };
    count(o_.IncludeTables, r_.Tables);
    count(o_.IncludeViews, r_.Views);
    count(o_.IncludeProcedures, r_.Procedures);
    count(o_.IncludeUsers, r_.Users);
    count(o_.IncludeGroups, r_.Groups);
    return n;
}

bool ScriptGenerator::keepsTargetDefinition(const TTable& t, int32_t direction) const {
    if (!o_.IncludeTables || !t.Selected) return true;
    // A selected table found only on the target and not dropped stays as it is.
    return t.Action == targetOnly(direction) && !o_.DropOppositeObjects;
}

bool ScriptGenerator::rebuildsIndexes(const TTable& t, int32_t direction) const {
    // Without keys the drop pass could not tell a kept table's foreign-key
    // indexes apart, so its indexes are left standing.
    return o_.IncludeKeys || !keepsTargetDefinition(t, direction);
}

// ---------------------------------------------------------------------------
// Key and index drops, key re-creation

std::string ScriptGenerator::ScriptDropKeys(int32_t direction) {
    std::string out;
    if (direction != 0 && direction != 1) return out;
    for (const TTable& t : r_.Tables)
        for (const TKey& k : t.Keys)
            if (!isBlank(targetHalf(k, direction).RelatedTable)) {
                out += "ALTER TABLE ";
                out += bracket(t.Name);
                out += " DROP CONSTRAINT ";
                out += bracket(k.Name);
                out += ';';
                out += kRun;
            }
    return out;
}

namespace {
std::string standsSentence(const TTable& t, const TIndex& ix, const TTable& holder,
                           const TKey& key) {
    const std::string head =
        "Index " + bracket(ix.Name) + " of table " + bracket(t.Name) + " left as it stands: ";
    if (&holder == &t && text::equalNoCase(key.Name, ix.Name))
        return head + "it belongs to relationship " + bracket(key.Name) +
               ", and keys are not scripted.";
    return head + "relationship " + bracket(key.Name) + " of table " + bracket(holder.Name) +
           " depends on it, and keys are not scripted.";
}
}  // namespace

std::string ScriptGenerator::ScriptDropIndexes(int32_t direction) {
    std::string out;
    if (direction != 0 && direction != 1) return out;
    for (const TTable& t : r_.Tables) {
        if (!rebuildsIndexes(t, direction)) continue;
        for (const TIndex& ix : t.Indexes) {
            if (!onTarget(ix.Action, direction)) continue;
            bool ofForeignKey = false;
            for (const TKey& k : t.Keys)
                if (text::equalNoCase(k.Name, ix.Name)) {
                    ofForeignKey = targetHalf(k, direction).Type == 2;
                    break;
                }
            if (ofForeignKey) continue;  // went with its key
            if (!o_.IncludeKeys) {
                // The target's relationships stay, and with them the indexes
                // they hold or refer to; an equal index needs no change (and
                // may be one of those, when keys were not compared).
                if (ix.Action == acEqual) continue;
                if (const auto by = pinnedBy(t, ix, direction)) {
                    // A changed one is reported where it would be written again.
                    if (ix.Action != acDifferent) note(standsSentence(t, ix, *by->table, *by->key));
                    continue;
                }
            }
            // Only a unique index can serve a relationship later on.
            if (const TIndexProps& x = targetHalf(ix, direction); x.Unique || x.PrimaryKey)
                droppedIndexes_.insert(&ix);
            out += "DROP INDEX ";
            out += bracket(ix.Name);
            out += " ON ";
            out += bracket(t.Name);
            out += ';';
            out += kRun;
        }
    }
    return out;
}

TScript ScriptGenerator::ScriptCreateKeys(int32_t direction) {
    TScript out;
    if (direction != 0 && direction != 1) return out;
    const int32_t generatingSide = direction == 0 ? csSource : csDestination;
    const int32_t targetSide = direction == 0 ? csDestination : csSource;
    for (int32_t ti = 1; ti <= r_.Tables.UBound(); ++ti) {
        const TTable& t = r_.Tables[ti];
        if (!tableAfterScript(t, direction)) continue;
        const bool keep = keepsTargetDefinition(t, direction);
        for (int32_t ki = 1; ki <= t.Keys.UBound(); ++ki) {
            const TKey& k = t.Keys[ki];
            // A kept table gets back every foreign key the drop pass took from it.
            const int32_t ownCode = keep ? targetOnly(direction) : generatingOnly(direction);
            if (k.Action != acEqual && k.Action != acDifferent && k.Action != ownCode) continue;
            const TKeyProps& half = keep ? targetHalf(k, direction) : generatingHalf(k, direction);
            if (isBlank(half.RelatedTable)) continue;
            if (const std::string obstacle = keyObstacle(t, half, direction); !obstacle.empty()) {
                note("Foreign key " + bracket(k.Name) + " of table " + bracket(t.Name) +
                     " left out: " + obstacle);
                continue;
            }
            append(out, ScriptKeyConstraints(ti, ki, keep ? targetSide : generatingSide));
        }
    }
    return out;
}

std::string ScriptGenerator::keyObstacle(const TTable& t, const TKeyProps& half,
                                         int32_t direction) const {
    const TTable* related = findTable(half.RelatedTable);
    if (related && !tableAfterScript(*related, direction))
        return "it refers to table " + bracket(half.RelatedTable) +
               (droppedTables_.count(related)   ? ", which the script drops."
                : leftOutTables_.count(related) ? ", which the script leaves out."
                                                : ", which the script does not create: it is not "
                                                  "selected.");
    for (const TKeyColumn& c : half.Columns) {
        const std::string* column = &c.Name;
        const TTable* owner = &t;
        ColumnFate fate = columnAfterScript(t, c.Name, direction);
        if (fate == ColumnFate::Present && related) {
            column = &c.RelatedColumn;
            owner = related;
            fate = columnAfterScript(*related, c.RelatedColumn, direction);
        }
        if (fate == ColumnFate::Present) continue;
        const std::string head =
            "it uses column " + bracket(*column) + " of table " + bracket(owner->Name);
        switch (fate) {
            case ColumnFate::LeftOut:
                return head + ", which the script leaves out.";
            case ColumnFate::Dropped:
                return head + ", which the script drops.";
            default:
                return head + ", which the target lacks and the script does not add" +
                       (owner->Selected ? "." : ": that table is not selected.");
        }
    }
    // The key a relationship refers to must be unique.
    if (related && !uniqueKeyAfterScript(*related, half, direction))
        return "table " + bracket(related->Name) + " will have no unique index on " +
               bracketList(half) + ", which the relationship needs.";
    return {};
}

TScript ScriptGenerator::ScriptKeyConstraints(int32_t tableIndex, int32_t keyIndex, int32_t side) {
    TScript out;
    if (side != csSource && side != csDestination) return out;
    const TTable& t = r_.Tables[tableIndex];
    const TKey& k = t.Keys[keyIndex];
    const TKeyProps& half = side == csSource ? k.Source : k.Destination;
    if (half.Columns.empty()) return out;

    std::string columns, related;
    for (const TKeyColumn& c : half.Columns) {
        if (!columns.empty()) columns += ',';
        columns += bracket(c.Name);
        if (!related.empty()) related += ',';
        related += bracket(c.RelatedColumn);
    }
    std::string& s = out.Statements;
    s = "ALTER TABLE " + bracket(t.Name) + " ADD CONSTRAINT " + bracket(k.Name);
    switch (half.Type) {
        case 1:
            s += " PRIMARY KEY (" + columns + ")";
            break;
        case 3:
            s += " UNIQUE (" + columns + ")";
            break;
        case 2:
            s += " FOREIGN KEY (" + columns + ") REFERENCES " + bracket(half.RelatedTable) + " (" +
                 related + ")";
            break;
        default:
            return TScript{};  // no statement without a constraint clause
    }
    if (half.UpdateRule == 1) s += " ON UPDATE CASCADE";
    if (half.UpdateRule == 2) s += " ON UPDATE SET NULL";
    if (half.DeleteRule == 1) s += " ON DELETE CASCADE";
    if (half.DeleteRule == 2) s += " ON DELETE SET NULL";
    s += ';';
    s += kRun;
    return out;
}

// ---------------------------------------------------------------------------
// Per-element writer

TScript ScriptGenerator::ScriptObject(int32_t kind, int32_t index, int32_t direction,
                                      int32_t mode) {
    const int32_t d = direction == 0 ? 0 : 1;
    switch (kind) {
        case okTable: {
            const TTable& t = r_.Tables[index];
            if (t.Action == targetOnly(d)) {
                TScript out;
                if (mode == smTableStatements && o_.DropOppositeObjects) {
                    out.Statements = "DROP TABLE " + bracket(t.Name) + ";";
                    out.Statements += kRun;
                    droppedTables_.insert(&t);
                }
                return out;
            }
            if (mode == smTableStatements) return scriptTable(index, d);
            if (mode == smIndexStatements) return scriptIndexes(index, d);
            return {};
        }
        case okProcedure:
        case okView:
            return scriptQuery(kind, index, d);
        case okUser:
        case okGroup:
            return scriptPrincipal(kind, index, d);
        default:
            return {};
    }
}

std::string ScriptGenerator::typeText(const TColumnProps& g) const {
    return MFunctions::ColumnTypeDdl(
        g.Type, g.DefinedSize, o_.IncludeIncrementAndSeed && o_.CompareIncrementAndSeed,
        g.AutoIncrement, g.Increment, g.Seed, g.NumericScale, g.Precision);
}

void ScriptGenerator::noteMissingColumn(const std::string& table, const std::string& column) {
    missingColumns_.emplace(text::fold(table), text::fold(column));
}

bool ScriptGenerator::isMissingColumn(const std::string& table, const std::string& column) const {
    if (missingColumns_.empty()) return false;
    return missingColumns_.count({text::fold(table), text::fold(column)}) != 0;
}

const TTable* ScriptGenerator::findTable(const std::string& name) const {
    const auto it = tableByName_.find(text::fold(name));
    return it == tableByName_.end() ? nullptr : &r_.Tables[it->second];
}

const TPrincipal* ScriptGenerator::findGroup(const std::string& name) const {
    for (const TPrincipal& g : r_.Groups)
        if (text::equalNoCase(g.Name, name)) return &g;
    return nullptr;
}

bool ScriptGenerator::tableAfterScript(const TTable& t, int32_t direction) const {
    if (droppedTables_.count(&t) || leftOutTables_.count(&t)) return false;
    if (t.Action == generatingOnly(direction)) return o_.IncludeTables && t.Selected;
    return true;
}

ScriptGenerator::ColumnFate ScriptGenerator::columnAfterScript(const TTable& t,
                                                               const std::string& column,
                                                               int32_t direction) const {
    // A kept table has its target columns; a written one the generating
    // side's, less those left out, and what the script did not drop.
    const bool written = !keepsTargetDefinition(t, direction);
    bool dropped = false;
    for (const TColumn& c : t.Columns) {
        if (written && onGenerating(c.Action, direction) &&
            text::equalNoCase(generatingName(c, direction), column))
            return isMissingColumn(t.Name, column) ? ColumnFate::LeftOut : ColumnFate::Present;
        if (onTarget(c.Action, direction) && text::equalNoCase(targetName(c, direction), column)) {
            if (!droppedColumns_.count(&c)) return ColumnFate::Present;
            dropped = true;
        }
    }
    return dropped ? ColumnFate::Dropped : ColumnFate::Absent;
}

bool ScriptGenerator::uniqueKeyAfterScript(const TTable& t, const TKeyProps& key,
                                           int32_t direction) const {
    // Without indexes in the record there is nothing to go by.
    if (!o_.IncludeIndexes) return true;
    for (const TIndex& ix : t.Indexes) {
        // As written by the script, or as the target has it when not dropped.
        const TIndexProps* x = nullptr;
        if (const auto w = writtenIndexes_.find(&ix); w != writtenIndexes_.end())
            x = w->second;
        else if (onTarget(ix.Action, direction) && !droppedIndexes_.count(&ix))
            x = &targetHalf(ix, direction);
        if (x && (x->Unique || x->PrimaryKey) && onRelatedColumns(*x, key)) return true;
    }
    return false;
}

const std::vector<ScriptGenerator::Referrer>& ScriptGenerator::referrersOf(
    const std::string& foldedTable, int32_t direction) {
    auto& byTable = referrers_[direction == 0 ? 0 : 1];
    if (!byTable) {
        byTable.emplace();
        for (const TTable& t : r_.Tables)
            for (const TKey& k : t.Keys) {
                const TKeyProps& half = targetHalf(k, direction);
                if (!isBlank(half.RelatedTable))
                    (*byTable)[text::fold(half.RelatedTable)].push_back({&t, &k});
            }
    }
    static const std::vector<Referrer> none;
    const auto it = byTable->find(foldedTable);
    return it == byTable->end() ? none : it->second;
}

std::optional<ScriptGenerator::Referrer> ScriptGenerator::pinnedBy(const TTable& t,
                                                                   const TIndex& ix,
                                                                   int32_t direction) {
    if (!onTarget(ix.Action, direction)) return std::nullopt;
    for (const TKey& k : t.Keys)
        if (text::equalNoCase(k.Name, ix.Name)) {
            if (targetHalf(k, direction).Type == 2) return Referrer{&t, &k};
            break;
        }
    // A relationship needs a unique index on the columns it refers to; while
    // it stands, none of them may go.
    const TIndexProps& x = targetHalf(ix, direction);
    if (!x.Unique && !x.PrimaryKey) return std::nullopt;
    for (const Referrer& by : referrersOf(text::fold(t.Name), direction))
        if (onRelatedColumns(x, targetHalf(*by.key, direction))) return by;
    return std::nullopt;
}

TScript ScriptGenerator::scriptTable(int32_t index, int32_t d) {
    const TTable& t = r_.Tables[index];
    TScript out;
    if (t.Action == generatingOnly(d))
        scriptCreateTable(t, index, d, out);
    else if (t.Action == acDifferent)
        scriptAlterTable(t, d, out);
    return out;
}

namespace {
std::string noTypeSentence(const TTable& t, const TColumn& c, const TColumnProps& g) {
    return "Column " + bracket(c.Name) + " of table " + bracket(t.Name) +
           " left out: its data type (code " + std::to_string(g.Type) +
           ") has no Jet SQL type text.";
}
}  // namespace

void ScriptGenerator::scriptCreateTable(const TTable& t, int32_t index, int32_t d, TScript& out) {
    const int32_t generating = generatingOnly(d);
    const int32_t ub = t.Columns.UBound();
    std::vector<std::string> types(static_cast<size_t>(ub) + 1);
    std::string lines;
    for (int32_t j = 1; j <= ub; ++j) {
        const TColumn& c = t.Columns[j];
        if (c.Action != acDifferent && c.Action != generating) continue;
        const TColumnProps& g = generatingHalf(c, d);
        std::string type = typeText(g);
        if (type.empty()) {
            note(noTypeSentence(t, c, g));
            noteMissingColumn(t.Name, c.Name);
            continue;
        }
        if (!lines.empty()) lines += ",\r\n";
        lines += bracket(c.Name) + " " + type;
        if (g.NotNull) lines += " NOT NULL";
        types[static_cast<size_t>(j)] = std::move(type);
    }
    if (lines.empty()) {
        note("Table " + bracket(t.Name) +
             " left out: none of its columns has a Jet SQL type text.");
        leftOutTables_.insert(&t);
        leftOutObjects_.emplace(1, index);
        return;
    }
    out.Statements += "CREATE TABLE " + bracket(t.Name) + "\r\n(\r\n" + lines + "\r\n);";
    out.Statements += kRun;

    // Compression has no place in the column definition, so each compressed
    // column is altered once more; NOT NULL is repeated as ALTER COLUMN would
    // otherwise make the column optional.
    for (int32_t j = 1; j <= ub; ++j) {
        const auto& type = types[static_cast<size_t>(j)];
        const TColumnProps& g = generatingHalf(t.Columns[j], d);
        if (type.empty() || !g.Compressed) continue;
        out.Statements += "ALTER TABLE " + bracket(t.Name) + " ALTER COLUMN " +
                          bracket(t.Columns[j].Name) + " " + type + " WITH COMPRESSION";
        if (g.NotNull) out.Statements += " NOT NULL";
        out.Statements += ';';
        out.Statements += kRun;
    }

    std::string block;
    for (int32_t j = 1; j <= ub; ++j)
        if (!types[static_cast<size_t>(j)].empty())
            columnLines(block, t, t.Columns[j].Name, generatingHalf(t.Columns[j], d));
    out.Blocks += wrapColumnBlock(t, std::move(block));
}

void ScriptGenerator::scriptAlterTable(const TTable& t, int32_t d, TScript& out) {
    const int32_t generating = generatingOnly(d);
    const int32_t target = targetOnly(d);
    const std::string alter = "ALTER TABLE " + bracket(t.Name);
    std::string block;
    const int32_t ub = t.Columns.UBound();
    for (int32_t j = 1; j <= ub; ++j) {
        const TColumn& c = t.Columns[j];
        const TColumnProps& g = generatingHalf(c, d);
        const bool paired = c.Action == acEqual || c.Action == acDifferent;
        const bool rename =
            paired && matchColumnsBox_ && !text::equalNoCase(c.Name, c.DestinationName);
        const std::string& newName = d == 0 ? c.Name : c.DestinationName;
        const std::string& oldName = d == 0 ? c.DestinationName : c.Name;
        // Whether the column stands on the target under its line name afterwards.
        bool present = true;
        const TColumnProps& s = c.Source;
        const TColumnProps& e = c.Destination;
        const bool autoIncrementCounts = c.Action == acDifferent || c.Action == generating;
        const bool differs = (autoIncrementCounts && s.AutoIncrement != e.AutoIncrement) ||
                             s.Type != e.Type || s.DefinedSize != e.DefinedSize ||
                             s.Increment != e.Increment || s.NumericScale != e.NumericScale ||
                             s.Precision != e.Precision || s.NotNull != e.NotNull ||
                             s.Seed != e.Seed || s.Compressed != e.Compressed;

        if (o_.SkipAutoIncrementColumns && g.AutoIncrement) {
            // Not added: indexes and keys on it must not be written either.
            if (c.Action == generating || rename) {
                noteMissingColumn(t.Name, newName);
                present = false;
            }
            // Counted where a statement would have been written: the
            // difference stays.
            if (c.Action == generating || rename || (paired && differs)) ++skippedAutoIncrement_;
        } else if (rename) {
            const std::string type = typeText(g);
            if (type.empty()) {
                note(noTypeSentence(t, c, g));
                noteMissingColumn(t.Name, newName);
                present = false;
            } else {
                out.Statements += alter + " ADD COLUMN " + bracket(newName) + " " + type;
                if (g.Compressed) out.Statements += " WITH COMPRESSION";
                if (g.NotNull) out.Statements += " NOT NULL";
                out.Statements += ';';
                out.Statements += kRun;
                out.Statements += "UPDATE " + bracket(t.Name) + " SET " + bracket(newName) + "=" +
                                  bracket(oldName) + ";";
                out.Statements += kRun;
                out.Statements += alter + " DROP COLUMN " + bracket(oldName) + ";";
                out.Statements += kRun;
                droppedColumns_.insert(&c);  // under its old name
            }
        } else {
            if (differs && c.Action == target) {
                out.Statements += alter + " DROP COLUMN " + bracket(c.Name) + ";";
                out.Statements += kRun;
                droppedColumns_.insert(&c);
            } else if (differs && (paired || c.Action == generating)) {
                // An equal column whose precision or scale differs (not compared)
                // is altered like a changed one.
                const std::string type = typeText(g);
                if (type.empty()) {
                    note(noTypeSentence(t, c, g));
                    if (c.Action == generating) noteMissingColumn(t.Name, c.Name);
                    present = false;
                } else {
                    out.Statements += alter +
                                      (c.Action == generating ? " ADD COLUMN " : " ALTER COLUMN ") +
                                      bracket(c.Name) + " " + type;
                    if (g.Compressed) out.Statements += " WITH COMPRESSION";
                    if (g.NotNull) out.Statements += " NOT NULL";
                    out.Statements += ';';
                    out.Statements += kRun;
                }
            }
        }

        const bool wantsLines = rename || c.Action == acDifferent || c.Action == generating;
        if (wantsLines && present)
            columnLines(block, t, d == 1 && rename ? c.DestinationName : c.Name, g,
                        paired && !rename ? &targetHalf(c, d) : nullptr);
    }
    out.Blocks += wrapColumnBlock(t, std::move(block));
}

void ScriptGenerator::columnLines(std::string& block, const TTable& t, const std::string& column,
                                  const TColumnProps& g, const TColumnProps* target) {
    if (!fitsBlockField(column)) {
        note("Properties of column " + bracket(column) + " of table " + bracket(t.Name) +
             " left out: the column's name " + cannotCarry() + ".");
        return;
    }
    const std::string head = t.Name + ";" + column;
    if (!isBlank(g.Default)) {
        if (hasLineBreak(g.Default))
            note("Default value of column " + bracket(column) + " of table " + bracket(t.Name) +
                 " left out: it holds a line break, which the script file cannot carry.");
        else
            block += head + ";1;" + g.Default + "\r\n";
    } else if (target && !isBlank(target->Default)) {
        // The default was removed on the generating side: clear it.
        block += head + ";1;\r\n";
    }
    block += head + ";13;" + (g.AllowZeroLength ? "-1" : "0") + "\r\n";
    if (hasLineBreak(g.Description))
        note("Description of column " + bracket(column) + " of table " + bracket(t.Name) +
             " left out: it holds a line break, which the script file cannot carry.");
    else
        block += head + ";2;" + g.Description + "\r\n";
}

std::string ScriptGenerator::wrapColumnBlock(const TTable& t, std::string lines) {
    if (lines.empty()) return {};
    if (!fitsBlockField(t.Name)) {
        note("Column properties of table " + bracket(t.Name) + " left out: the table's name " +
             cannotCarry() + ".");
        return {};
    }
    return "<JET:COLUMNS>\r\n" + lines + "</JET:COLUMNS>\r\n\r\n";
}

TScript ScriptGenerator::scriptIndexes(int32_t index, int32_t d) {
    const TTable& t = r_.Tables[index];
    TScript out;
    if (leftOutTables_.count(&t)) return out;
    const int32_t n = t.Indexes.UBound();
    // With keys not scripted the drop pass leaves equal indexes and the
    // target's relationship indexes standing; a primary one among them rules
    // out another.
    const TIndex* keptPrimary = nullptr;
    if (!o_.IncludeKeys)
        for (const TIndex& ix : t.Indexes)
            if (onTarget(ix.Action, d) && targetHalf(ix, d).PrimaryKey &&
                (ix.Action == acEqual || pinnedBy(t, ix, d)))
                keptPrimary = &ix;
    for (int32_t i = 1; i <= n; ++i) {
        const TIndex& ix = t.Indexes[i];
        if (!onGenerating(ix.Action, d)) continue;
        bool ofForeignKey = false;
        for (const TKey& k : t.Keys)
            if (text::equalNoCase(k.Name, ix.Name)) {
                ofForeignKey = generatingHalf(k, d).Type == 2;
                break;
            }
        if (ofForeignKey) continue;  // comes with its key
        if (!o_.IncludeKeys) {
            // Not dropped, so not written again (as the drop pass decided).
            if (ix.Action == acEqual) continue;
            if (const auto by = pinnedBy(t, ix, d)) {
                note(standsSentence(t, ix, *by->table, *by->key));
                continue;
            }
        }
        const TIndexProps& g = generatingHalf(ix, d);
        if (g.PrimaryKey && keptPrimary && keptPrimary != &ix) {
            note("Index " + bracket(ix.Name) + " of table " + bracket(t.Name) +
                 " left out: the table keeps its primary index " + bracket(keptPrimary->Name) +
                 ".");
            continue;
        }
        const std::string* missing = nullptr;
        for (const TIndexColumn& c : g.Columns)
            if (isMissingColumn(t.Name, c.Name)) {
                missing = &c.Name;
                break;
            }
        if (missing) {
            note("Index " + bracket(ix.Name) + " of table " + bracket(t.Name) +
                 " left out: it uses column " + bracket(*missing) +
                 ", which the script leaves out.");
            continue;
        }
        std::string& s = out.Statements;
        s += "CREATE";
        if (g.Unique) s += " UNIQUE";
        s += " INDEX " + bracket(ix.Name) + " ON " + bracket(t.Name) + " (";
        bool first = true;
        for (const TIndexColumn& c : g.Columns) {
            if (!first) s += ',';
            first = false;
            s += bracket(c.Name);
            s += c.SortOrder == 1 ? " ASC" : " DESC";
        }
        s += ')';
        if (g.PrimaryKey)
            s += " WITH PRIMARY";
        else if (g.IndexNulls == 1)
            s += " WITH DISALLOW NULL";
        else if (g.IndexNulls == 2 || g.IndexNulls == 4)
            s += " WITH IGNORE NULL";
        s += ';';
        s += kRun;
        if (g.Unique || g.PrimaryKey) writtenIndexes_.emplace(&ix, &g);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Views and procedures

TScript ScriptGenerator::scriptQuery(int32_t kind, int32_t index, int32_t d) {
    const bool isView = kind == okView;
    const std::string& name = isView ? r_.Views[index].Name : r_.Procedures[index].Name;
    const int32_t action = isView ? r_.Views[index].Action : r_.Procedures[index].Action;
    const std::string& body = isView ? generatingHalf(r_.Views[index], d).CommandText
                                     : generatingHalf(r_.Procedures[index], d).CommandText;
    TScript out;
    const std::string drop =
        std::string(isView ? "DROP VIEW " : "DROP PROCEDURE ") + bracket(name) + std::string(kRun);
    if (action == targetOnly(d)) {
        if (o_.DropOppositeObjects) out.Statements = drop;
        return out;
    }
    if (action != acDifferent && action != generatingOnly(d)) return out;
    if (!fitsStatementBody(body)) {
        note(std::string(kindWord(kind)) + " " + bracket(name) +
             " left out: a line of its text reads \"RUN\" or a block marker, which the script "
             "runner would take for its own.");
        if (action != acDifferent) leftOutObjects_.emplace(isView ? 5 : 4, index);
        return out;
    }
    if (action == acDifferent) out.Statements = drop;
    if (isView)
        out.Statements +=
            "CREATE PROCEDURE " + bracket(name) + " AS \r\n" + body + std::string(kRun);
    else
        out.Statements +=
            "CREATE PROCEDURE " + bracket(name) + " \r\nAS \r\n" + body + "\r\nRUN\r\n\r\n";
    return out;
}

TScript ScriptGenerator::ScriptViewsAndProcedures(int32_t direction) {
    const int32_t d = direction == 0 ? 0 : 1;
    struct Entry {
        int32_t kind;
        int32_t index;
        int32_t action;
        std::string foldedName;
        std::string foldedText;
        bool done = false;
    };
    std::vector<Entry> list;
    if (o_.IncludeViews)
        for (int32_t i = 1; i <= r_.Views.UBound(); ++i) {
            const TView& v = r_.Views[i];
            if (v.Selected)
                list.push_back({okView, i, v.Action, text::fold(v.Name),
                                text::fold(generatingHalf(v, d).CommandText)});
        }
    if (o_.IncludeProcedures)
        for (int32_t i = 1; i <= r_.Procedures.UBound(); ++i) {
            const TProcedure& p = r_.Procedures[i];
            if (p.Selected)
                list.push_back({okProcedure, i, p.Action, text::fold(p.Name),
                                text::fold(generatingHalf(p, d).CommandText)});
        }

    TScript out;
    const int32_t dropCode = targetOnly(d);
    size_t pending = list.size();
    auto write = [&](Entry& e) {
        append(out, ScriptObject(e.kind, e.index, d, 0));
        e.done = true;
        --pending;
    };
    while (pending > 0) {
        size_t placed = 0;
        for (size_t j = 0; j < list.size(); ++j) {
            Entry& e = list[j];
            if (e.done) continue;
            bool ready = true;
            for (size_t k = 0; k < list.size() && ready; ++k) {
                const Entry& other = list[k];
                if (k == j || other.done) continue;
                if (e.foldedText.find(other.foldedName) != std::string::npos) ready = false;
                // A view and a procedure of one name: the one being dropped goes
                // first, or the creation would meet the old object.
                if (other.action == dropCode && other.foldedName == e.foldedName) ready = false;
            }
            if (ready) {
                write(e);
                ++placed;
            }
        }
        if (placed == 0) {
            // Texts that name each other never become ready: list order then.
            for (Entry& e : list)
                if (!e.done) write(e);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Users and groups

TScript ScriptGenerator::scriptPrincipal(int32_t kind, int32_t index, int32_t d) {
    const bool isUser = kind == okUser;
    const TPrincipal& p = isUser ? r_.Users[index] : r_.Groups[index];
    const int32_t created = generatingOnly(d);
    TScript out;
    const char* word = isUser ? "USER " : "GROUP ";
    if (p.Action == targetOnly(d)) {
        if (o_.DropOppositeObjects) {
            out.Statements = std::string("DROP ") + word + bracket(p.Name);
            out.Statements += kRun;
        }
        return out;
    }
    if (p.Action != acDifferent && p.Action != created) return out;
    if (p.Action == created) {
        out.Statements = std::string("CREATE ") + word + bracket(p.Name);
        out.Statements += kRun;
    }
    const TPrincipalProps& g = generatingHalf(p, d);
    if (isUser)
        for (const TMember& m : g.Members) {
            if (m.Action != created) continue;
            // CREATE USER already puts every new account in the group Users.
            if (p.Action == created && text::equalNoCase(m.Name, "Users")) continue;
            if (const TPrincipal* group = findGroup(m.Name);
                group && group->Action == created && !(o_.IncludeGroups && group->Selected)) {
                note("Membership of user " + bracket(p.Name) + " in group " + bracket(m.Name) +
                     " left out: the script does not create that group: " +
                     (o_.IncludeGroups ? "it is not selected." : "groups are not scripted."));
                continue;
            }
            out.Statements += "ADD USER " + bracket(p.Name) + " TO " + bracket(m.Name);
            out.Statements += kRun;
        }

    std::string lines;
    const bool principalFits = fitsBlockField(p.Name);
    bool principalLinesLost = false;
    const char* action = isUser ? ";2;" : ";1;";
    for (const TPermission& e : g.Permissions) {
        if (e.Action != acDifferent) continue;
        int32_t objectAction = acEqual;
        bool objectSelected = true;
        switch (e.ObjectType) {
            case 1:
                objectAction = r_.Tables[e.ObjectIndex].Action;
                objectSelected = r_.Tables[e.ObjectIndex].Selected;
                break;
            case 4:
                objectAction = r_.Procedures[e.ObjectIndex].Action;
                objectSelected = r_.Procedures[e.ObjectIndex].Selected;
                break;
            case 5:
                objectAction = r_.Views[e.ObjectIndex].Action;
                objectSelected = r_.Views[e.ObjectIndex].Selected;
                break;
            default:
                break;
        }
        // A new object gets its rights only when the script creates it.
        if (objectAction == created && !objectSelected) continue;
        if (objectAction == created && leftOutObjects_.count({e.ObjectType, e.ObjectIndex})) {
            note("Permissions of " + std::string(kindWord(kind)) + " " + bracket(p.Name) + " on " +
                 bracket(e.ObjectName) + " left out: the script leaves that object out.");
            continue;
        }
        if (!principalFits) {
            principalLinesLost = true;
            continue;
        }
        if (!fitsBlockField(e.ObjectName)) {
            note("Permissions of " + std::string(kindWord(kind)) + " " + bracket(p.Name) + " on " +
                 bracket(e.ObjectName) + " left out: the object's name " + cannotCarry() + ".");
            continue;
        }
        lines += p.Name + ";" + e.ObjectName + ";" + std::to_string(e.ObjectType) + action +
                 std::to_string(e.Rights) + "\r\n";
    }
    if (principalLinesLost)
        note("Permissions of " + std::string(kindWord(kind)) + " " + bracket(p.Name) +
             " left out: its name " + cannotCarry() + ".");
    if (!isBlank(lines)) {
        out.Blocks = isUser ? "<JET:USERS>\r\n" + lines + "</JET:USERS>\r\n\r\n"
                            : "<JET:GROUPS>\r\n" + lines + "</JET:GROUPS>\r\n\r\n";
    }
    return out;
}

}  // namespace script
