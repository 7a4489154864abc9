#pragma once
// Facts both providers derive from a saved query's SQL text, by one rule, so
// that a query lands in the same collection with the same parameters whichever
// provider reads it: views are select, union and crosstab queries without a
// PARAMETERS clause; every other query is a procedure.
#include <string_view>
#include <vector>

#include "jet/CatalogData.h"

namespace jet {

enum class QueryKind {
    Select,
    Crosstab,  // TRANSFORM …
    Union,
    MakeTable,  // SELECT … INTO
    Append,     // INSERT INTO
    Update,
    Delete,
    DataDefinition,  // CREATE / ALTER / DROP …
    Other,
};

// The kind of the statement after any PARAMETERS clause.
[[nodiscard]] QueryKind classifyQuery(std::string_view sql);

// True when the text opens with a PARAMETERS clause.
[[nodiscard]] bool hasParametersClause(std::string_view sql);

// View or procedure, by the rule above.
[[nodiscard]] bool isViewQuery(std::string_view sql);

// The parameters a PARAMETERS clause declares, in order: name, ADO type code and
// size (the length for Text(n), else 0). A name of one part loses its brackets
// ([Start Date] is "Start Date"); a reference of parts joined by "!" or "."
// ([Forms]![Dialog]![Date]) is kept as written. A text without the clause has
// none; a type the table does not know is adVariant (12). The clause ends at
// ";", at the end of the text, or at anything but a comma after a parameter.
[[nodiscard]] std::vector<ParameterData> parametersOf(std::string_view sql);

// A saved query of a Jet file as the catalog lists it: its text with the
// outer white space trimmed, among the views or the procedures by the rule
// above, a procedure with the parameters parametersOf gives.
void addSavedQuery(CatalogData& data, std::string name, std::string_view sql);

}  // namespace jet
