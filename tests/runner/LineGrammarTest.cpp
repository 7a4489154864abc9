#include <gtest/gtest.h>

#include "runner/LineGrammar.h"
#include "runner/RunnerError.h"

namespace {

using runner::classifyLine;
using runner::GetField;
using runner::LineKind;

struct KindCase {
    const char* line;
    LineKind kind;
};

TEST(LineGrammar, ClassifiesMarkersExactlyAfterTrimmingSpaces) {
    const KindCase cases[] = {
        {"RUN", LineKind::Run},
        {"  RUN  ", LineKind::Run},
        {"run", LineKind::Other},
        {"Run", LineKind::Other},
        {"RUN;", LineKind::Other},
        {"\tRUN", LineKind::Other},  // only spaces are trimmed
        {"RUN\t", LineKind::Other},
        {"<JET:COLUMNS>", LineKind::OpenColumns},
        {" <JET:USERS> ", LineKind::OpenUsers},
        {"<JET:GROUPS>", LineKind::OpenGroups},
        {"</JET:COLUMNS>", LineKind::CloseColumns},
        {"</JET:USERS>", LineKind::CloseUsers},
        {"   </JET:GROUPS>", LineKind::CloseGroups},
        {"<jet:columns>", LineKind::Other},
        {"<JET:COLUMNS> x", LineKind::Other},
        {"", LineKind::Other},
        {"ALTER TABLE [T] ADD COLUMN [RUN] TEXT(5);", LineKind::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(classifyLine(c.line), c.kind) << '"' << c.line << '"';
}

struct FieldCase {
    const char* line;
    int index;
    bool toEnd;
    const char* want;
};

TEST(LineGrammar, GetFieldSplitsAtSemicolons) {
    const FieldCase cases[] = {
        {"T;C;1;abc", 1, false, "T"},
        {"T;C;1;abc", 2, false, "C"},
        {"T;C;1;abc", 3, false, "1"},
        {"T;C;1;abc", 4, true, "abc"},
        {" T ;C", 1, false, "T"},  // a leading space, T, a space
        {"T ; C ; 13 ;-1", 3, false, "13"},
        {"a;b;c;d;e", 4, true, "d;e"},  // toEnd keeps later fields
        {"T;C;2;  value ; with;semicolons  ", 4, true, "  value ; with;semicolons  "},
        {"a;b", 3, false, "a;b"},  // too few separators: whole line
        {" a;b ", 3, false, "a;b"},
        {" a;b ", 3, true, " a;b "},
        {"a;b;", 3, false, ""},  // second separator is the last character
        {"a;b;", 3, true, ""},
        {"a;;c", 2, false, ""},
        {"", 1, false, ""},
        {"", 3, true, ""},
        {"u;Database;3;2;8 tail", 5, true, "8 tail"},
        {"\tT\t;C", 1, false, "\tT\t"},  // tabs are not trimmed
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.line, static_cast<uint8_t>(c.index), c.toEnd), c.want)
            << '"' << c.line << "\" field " << c.index << (c.toEnd ? " to end" : "");
}

TEST(LineGrammar, GetFieldHasNoLineLengthLimit) {
    // Far beyond what a 16-bit position could count.
    const std::string value(100000, 'x');
    const std::string line = "T;C;2;" + value + ";tail";
    EXPECT_EQ(GetField(line, 4, true), value + ";tail");
    EXPECT_EQ(GetField(line, 5), "tail");
}

TEST(LineGrammar, FieldToLongAcceptsSignedDecimals) {
    EXPECT_EQ(runner::fieldToLong("13", "position", 1), 13);
    EXPECT_EQ(runner::fieldToLong(" -1 ", "position", 1), -1);
    EXPECT_EQ(runner::fieldToLong("+7", "position", 1), 7);
    EXPECT_EQ(runner::fieldToLong("2147483647", "rights", 1), 2147483647);
    EXPECT_EQ(runner::fieldToLong("-2147483648", "rights", 1), INT32_MIN);
    EXPECT_EQ(runner::fieldToLong("0008", "rights", 1), 8);
}

TEST(LineGrammar, FieldToLongRefusesEverythingElseNamingTheLine) {
    for (const char* bad : {"", " ", "x", "1.5", "1e3", "&H10", "8 tail", "--1", "-", "2147483648",
                            "-2147483649", "99999999999999999999999", "1\t"}) {
        try {
            (void)runner::fieldToLong(bad, "rights", 42);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const runner::RunnerError& e) {
            EXPECT_NE(std::string(e.what()).find("Line 42"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("rights"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
