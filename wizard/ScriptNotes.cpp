#include "wizard/ScriptNotes.h"

namespace wizard {

std::vector<std::string> ScriptNotes(const script::TScript& S, int32_t Direction) {
    std::vector<std::string> notes = S.Report;
    const std::string target = Direction == 0 ? "destination" : "source";
    const std::string generating = Direction == 0 ? "source" : "destination";
    if (const int32_t n = S.KeptTargetOnly; n > 0)
        notes.push_back(n == 1 ? "1 object only in the " + target +
                                     " is kept: the option to drop it is off."
                               : std::to_string(n) + " objects only in the " + target +
                                     " are kept: the option to drop them is off.");
    if (const int32_t n = S.SkippedAutoIncrement; n > 0)
        notes.push_back(n == 1 ? "1 column that is AutoIncrement in the " + generating +
                                     " is not added or changed in the " + target +
                                     ": the option to skip it is on."
                               : std::to_string(n) + " columns that are AutoIncrement in the " +
                                     generating + " are not added or changed in the " + target +
                                     ": the option to skip them is on.");
    return notes;
}

}  // namespace wizard
