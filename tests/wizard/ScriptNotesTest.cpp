// The script window's notes: the generator's sentences, then what the script
// options kept as it stands, named by side for each direction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/ScriptNotes.h"

namespace {

using Notes = std::vector<std::string>;

struct NotesCase {
    const char* name;
    int32_t direction;
    Notes report;
    int32_t kept;
    int32_t skipped;
    Notes notes;
};

class ScriptNotes : public ::testing::TestWithParam<NotesCase> {};

TEST_P(ScriptNotes, FollowTheGeneratorsSentences) {
    const NotesCase& c = GetParam();
    script::TScript s;
    s.Report = c.report;
    s.KeptTargetOnly = c.kept;
    s.SkippedAutoIncrement = c.skipped;
    EXPECT_EQ(wizard::ScriptNotes(s, c.direction), c.notes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptNotes,
    ::testing::Values(
        NotesCase{"Nothing", 0, {}, 0, 0, {}},
        NotesCase{"GeneratorsOnly",
                  0,
                  {"Index [I] of table [B] left as it stands."},
                  0,
                  0,
                  {"Index [I] of table [B] left as it stands."}},
        NotesCase{"KeptInTheDestination",
                  0,
                  {},
                  3,
                  0,
                  {"3 objects only in the destination are kept: the option to drop them is off."}},
        NotesCase{"OneKeptInTheSource",
                  1,
                  {},
                  1,
                  0,
                  {"1 object only in the source is kept: the option to drop it is off."}},
        NotesCase{"SkippedTowardsTheDestination",
                  0,
                  {},
                  0,
                  2,
                  {"2 columns that are AutoIncrement in the source are not added or changed in "
                   "the destination: the option to skip them is on."}},
        NotesCase{"OneSkippedTowardsTheSource",
                  1,
                  {},
                  0,
                  1,
                  {"1 column that is AutoIncrement in the destination is not added or changed in "
                   "the source: the option to skip it is on."}},
        NotesCase{"AllInOrder",
                  0,
                  {"Column [C] of table [T] left out: its data type (code 999) has no Jet SQL "
                   "type text."},
                  1,
                  4,
                  {"Column [C] of table [T] left out: its data type (code 999) has no Jet SQL "
                   "type text.",
                   "1 object only in the destination is kept: the option to drop it is off.",
                   "4 columns that are AutoIncrement in the source are not added or changed in "
                   "the destination: the option to skip them is on."}}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
